// The INI reader on any file bytes, section and key, in UTF-8 and in Big5: a value
// never comes back longer than the buffer allows, and the buffer is never overrun.
#include "fuzzinput.h"

#include "suiteframe/platform/codepage.h"
#include "suiteframe/platform/privateprofile.h"

#include <QFile>
#include <QTemporaryDir>

#include <array>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("fuzz.ini"));
    FuzzInput input(data, size);
    platform::codepage::setName(input.byte() % 2 ? QStringLiteral("CP950")
                                                 : QStringLiteral("UTF-8"));
    const QByteArray section = input.bytes();
    const QByteArray key = input.bytes();
    const size_t bufferSize = 1 + input.byte() % 128;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(input.rest());
    file.close();

    std::array<char, 130> buffer;
    buffer.fill('#');
    const qsizetype copied = platform::privateprofile::getPrivateProfileString(
        section, key, QByteArray(), std::span<char>(buffer.data(), bufferSize), path);
    FUZZ_CHECK(copied >= 0 && size_t(copied) < bufferSize);
    FUZZ_CHECK(buffer[copied] == '\0');
    FUZZ_CHECK(buffer[bufferSize] == '#');
    return 0;
}
