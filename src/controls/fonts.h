#pragma once

// The fonts named in the window designs are Windows fonts; on Linux each is drawn
// with a metric-compatible or same-style substitute: 新細明體 and 細明體 with
// AR PL UMing TW, Times New Roman with Liberation Serif, Courier New with Liberation
// Mono, MS Sans Serif with Liberation Sans.
namespace controls {

// Registers the substitutes with QFont; call once after the application object
// exists. Calling it again does nothing more.
void installFontSubstitutes();

} // namespace controls
