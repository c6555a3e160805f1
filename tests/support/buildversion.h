// The version this build gives the frame's own program: the project's version, which
// the tests' build passes in, so that no test repeats it.

#pragma once

#include <QList>
#include <QString>

namespace buildversion {

inline QList<int> numbers()
{
    return {SUITEFRAME_VERSION_MAJOR, SUITEFRAME_VERSION_MINOR, SUITEFRAME_VERSION_PATCH};
}

// "1.0.1"
inline QString text()
{
    return QStringLiteral(SUITEFRAME_VERSION);
}

} // namespace buildversion
