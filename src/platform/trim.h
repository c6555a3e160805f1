// Trimming blanks as the runtime's Trim does.

#pragma once

#include <QString>

namespace platform {

// The runtime's Trim: removes the blank character (code 32) at both ends; tabs and
// inner blanks stay.
QString trimBlanks(const QString &text);

} // namespace platform
