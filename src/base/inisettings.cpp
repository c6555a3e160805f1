// Settings files of basBase: one value of an INI file read or written by section and
// key, through the profile-string functions of the platform.

#include "suiteframe/base/basBase.h"

#include "suiteframe/base/failure.h"
#include "suiteframe/platform/codepage.h"
#include "suiteframe/platform/privateprofile.h"
#include "suiteframe/platform/runtimeerror.h"

#include <algorithm>
#include <array>

namespace basBase {

namespace {

// The read buffer's size in bytes of the code page: a value comes back with at most
// 127 bytes, the function ending it with a NUL within the 128.
constexpr qsizetype ReadBufferSize = 128;

bool holdsLineBreak(const QString &text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

} // namespace

QString ReadIniValue(const QString &filePath, const QString &section, const QString &key)
{
    QString result;
    failure::skip([&] {
        std::array<char, ReadBufferSize> buffer{};
        platform::privateprofile::getPrivateProfileString(platform::codepage::fromUnicode(section),
                                                          platform::codepage::fromUnicode(key),
                                                          QByteArray(),
                                                          buffer,
                                                          filePath);
        const auto nul = std::find(buffer.cbegin(), buffer.cend(), '\0');
        if (nul != buffer.cbegin())
            result = platform::codepage::toUnicode(QByteArray(buffer.data(), nul - buffer.cbegin()));
    });
    return result;
}

void WriteIniValue(const QString &filePath,
                   const QString &section,
                   const QString &key,
                   const QString &value)
{
    // A line break would end the entry early and start lines of its own in the file.
    if (holdsLineBreak(section) || holdsLineBreak(key) || holdsLineBreak(value))
        throw platform::RuntimeError(platform::ErrorNumber::InvalidProcedureCall);
    // Whether the write succeeded is not reported, as the platform's flag never was.
    platform::privateprofile::writePrivateProfileString(platform::codepage::fromUnicode(section),
                                                        platform::codepage::fromUnicode(key),
                                                        platform::codepage::fromUnicode(value),
                                                        filePath);
}

} // namespace basBase
