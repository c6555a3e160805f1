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

[[noreturn]] void refuseToWrite(const QString &what, const QString &why)
{
    throw platform::RuntimeError(platform::ErrorNumber::InvalidProcedureCall,
                                 QStringLiteral("設定檔的%1無法寫入：%2").arg(what, why));
}

// The name's bytes, where the file would give the name back: not where it would end
// early or read as something else (why not), nor where the code page cannot hold one
// of its characters, which would be written "?" and so name another key ("𡩋" and "😀"
// alike).
QByteArray writableName(const QString &kind,
                        const QString &name,
                        bool readsBack,
                        const QString &whyNot)
{
    // Its line breaks would start lines of their own in the log record and the box.
    const QString shown = QString(name).replace(u'\r', u' ').replace(u'\n', u' ');
    const QString what = QStringLiteral("%1「%2」").arg(kind, shown);
    const std::optional<QByteArray> bytes = platform::codepage::fromUnicodeWhole(name);
    if (!bytes)
        refuseToWrite(what, QStringLiteral("有字碼頁無法存放的字"));
    if (!readsBack)
        refuseToWrite(what, whyNot);
    return *bytes;
}

} // namespace

QString ReadIniValue(const QString &filePath, const QString &section, const QString &key)
{
    QString result;
    failure::skip([&] {
        // A name the code page cannot hold is in none of its files.
        const auto sectionBytes = platform::codepage::fromUnicodeWhole(section);
        const auto keyBytes = platform::codepage::fromUnicodeWhole(key);
        if (!sectionBytes || !keyBytes)
            return;
        std::array<char, ReadBufferSize> buffer{};
        platform::privateprofile::getPrivateProfileString(*sectionBytes,
                                                          *keyBytes,
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
    using namespace platform::privateprofile;
    const QByteArray sectionName = writableName(QStringLiteral("區段"),
                                                section,
                                                isWritableSectionName(section),
                                                QStringLiteral("含有換行或「]」"));
    const QByteArray keyName = writableName(QStringLiteral("鍵"),
                                            key,
                                            isWritableKeyName(key),
                                            QStringLiteral("含有換行或「=」，或以「;」「[」開頭"));
    // A line break would end the value early and start lines of its own in the file.
    if (value.contains(u'\r') || value.contains(u'\n'))
        refuseToWrite(QStringLiteral("值"), QStringLiteral("含有換行"));
    // Whether the write succeeded is not reported, as the platform's flag never was.
    writePrivateProfileString(sectionName,
                              keyName,
                              platform::codepage::fromUnicode(value),
                              filePath);
}

} // namespace basBase
