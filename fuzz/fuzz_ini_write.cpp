// The INI writer as a property: after writes of random keys into a random file, each
// key written reads back as written, and every line of the file that no write touched
// is kept byte for byte, in its order.
#include "fuzzinput.h"

#include "suiteframe/platform/codepage.h"
#include "suiteframe/platform/privateprofile.h"

#include <QByteArrayList>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <map>

namespace {

// Names and values the reader gives back unchanged: no blanks at the ends, no quotes,
// no brackets, equals signs, semicolons or line breaks.
QByteArray plainName(QByteArray bytes)
{
    QByteArray name;
    for (char c : bytes) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')
            name.append(c);
    }
    return name.left(40);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArrayList lines(const QByteArray &content)
{
    QByteArrayList result;
    qsizetype start = 0;
    for (qsizetype i = 0; i < content.size(); ++i) {
        if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
            ++i;
        if (content[i] == '\r' || content[i] == '\n') {
            result.append(content.mid(start, i + 1 - start));
            start = i + 1;
        }
    }
    if (start < content.size())
        result.append(content.mid(start));
    return result;
}

QByteArray withoutLineEnd(QByteArray line)
{
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return line;
}

// A write replaces one line or inserts lines at one place: what before and after have in
// common at their start and at their end covers every line of before but at most one.
// A last line without a line end may have gained one.
bool keepsOtherLines(const QByteArrayList &before, const QByteArrayList &after)
{
    const qsizetype last = before.size() - 1;
    const auto same = [&](qsizetype i, qsizetype k) {
        return after[k] == before[i] || (i == last && withoutLineEnd(after[k]) == before[i]);
    };
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype head = 0;
    while (head < shorter && same(head, head))
        ++head;
    qsizetype tail = 0;
    while (tail < shorter - head && same(last - tail, after.size() - 1 - tail))
        ++tail;
    return head + tail >= before.size() - 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("fuzz.ini"));
    FuzzInput input(data, size);
    platform::codepage::setName(input.byte() % 2 ? QStringLiteral("CP950")
                                                 : QStringLiteral("UTF-8"));
    const int writes = 1 + input.byte() % 4;
    std::vector<std::array<QByteArray, 3>> entries;
    for (int i = 0; i < writes; ++i) {
        const QByteArray section = plainName(input.bytes());
        const QByteArray key = plainName(input.bytes());
        const QByteArray value = plainName(input.bytes());
        if (!section.isEmpty() && !key.isEmpty())
            entries.push_back({section, key, value});
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(input.rest());
    file.close();

    std::map<std::pair<QByteArray, QByteArray>, QByteArray> written;
    for (const auto &[section, key, value] : entries) {
        const QByteArrayList before = lines(readAll(path));
        FUZZ_CHECK(platform::privateprofile::writePrivateProfileString(section, key, value, path));
        FUZZ_CHECK(keepsOtherLines(before, lines(readAll(path))));
        written[{section.toLower(), key.toLower()}] = value;
    }
    for (const auto &[name, value] : written) {
        std::array<char, 128> buffer{};
        const qsizetype copied = platform::privateprofile::getPrivateProfileString(name.first,
                                                                                   name.second,
                                                                                   QByteArray(),
                                                                                   buffer,
                                                                                   path);
        FUZZ_CHECK(QByteArray(buffer.data(), copied) == value);
    }
    return 0;
}
