#pragma once

// The window designs name Windows fonts; this maps each to its Linux substitute so
// that Chinese captions render in a Ming face and Latin text keeps its metrics:
// 新細明體 and 細明體 → AR PL UMing TW, Times New Roman → Liberation Serif,
// Courier New → Liberation Mono, MS Sans Serif → Liberation Sans.
namespace controls {

void installFontSubstitutes();

} // namespace controls
