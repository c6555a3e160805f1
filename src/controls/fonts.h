// The fonts of the window designs.

#pragma once

// The window designs name Windows fonts; this maps each to its Linux substitute so
// that Chinese captions render in a Ming face and Latin text keeps its metrics:
// 新細明體 and 細明體 → AR PL UMing TW, Times New Roman → Liberation Serif,
// Courier New → Liberation Mono, MS Sans Serif → Liberation Sans. Chinese falls back
// from the Ming face to the national full-character font. An installed font of Big5's
// user-defined characters alone (U+E000 on: an office's own) comes before them all, and
// the frame's own empty box after them all, for those none of them has: the system
// would otherwise find a Ming face's glyphs in the Private Use Area, other characters.
class QFont;
class QString;

namespace controls {

void installFontSubstitutes();

// A font as the window designs state it: face, size in points, weight.
QFont designFont(const QString &family, double points, bool bold = false);

} // namespace controls
