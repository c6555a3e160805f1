// Settings files through ReadIniValue and WriteIniValue: reading, the buffer size limit,
// writes that keep every other line and leave no file beside, and two writers at once.
#include "suiteframe/base/basBase.h"
#include "suiteframe/platform/codepage.h"
#include "suiteframe/platform/privateprofile.h"
#include "support/runtimeerror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <array>

#include <sys/stat.h>
#include <unistd.h>

using basBase::ReadIniValue;
using basBase::WriteIniValue;

namespace {

const char WriterSwitch[] = "--write-keys";
constexpr int KeysPerWriter = 200;
constexpr gid_t SharedGroup = 60000;

QString writerKey(const QString &writer, int i)
{
    return writer + QStringLiteral("_%1").arg(i, 3, 10, QLatin1Char('0'));
}

// The other half of the two-writer test: this program started again with the switch.
int writeKeys(const QString &filePath, const QString &writer)
{
    for (int i = 0; i < KeysPerWriter; ++i)
        WriteIniValue(filePath, QStringLiteral("Shared"), writerKey(writer, i), QString::number(i));
    return 0;
}

} // namespace

class tst_IniFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readsAsTheWindowsProgramsDo_data();
    void readsAsTheWindowsProgramsDo();
    void readOfMissingFileIsEmpty();
    void profileBufferSizeLimitsTheCopy_data();
    void profileBufferSizeLimitsTheCopy();

    void writeKeepsEveryOtherLine_data();
    void writeKeepsEveryOtherLine();
    void writtenValueReadsBack_data();
    void writtenValueReadsBack();
    void writeRefusesWhatWouldNotReadBack_data();
    void writeRefusesWhatWouldNotReadBack();
    void writeLeavesNoFileBeside();
    void writeIntoAMissingFolderFailsQuietly();
    void writeFollowsOwnLinksToWhatExists_data();
    void writeFollowsOwnLinksToWhatExists();
    void twoProcessesWritingLoseNothing_data();
    void twoProcessesWritingLoseNothing();

private:
    QString path(const QString &name = QStringLiteral("settings.ini")) const;
    void writeBytes(const QByteArray &bytes, const QString &name = QStringLiteral("settings.ini"));
    QByteArray readBytes(const QString &name = QStringLiteral("settings.ini")) const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_IniFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_IniFile::cleanup()
{
    m_dir->setAutoRemove(!QTest::currentTestFailed());
    m_dir.reset();
    platform::codepage::setName(QString());
}

QString tst_IniFile::path(const QString &name) const
{
    return m_dir->filePath(name);
}

void tst_IniFile::writeBytes(const QByteArray &bytes, const QString &name)
{
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray tst_IniFile::readBytes(const QString &name) const
{
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Big5 bytes of the texts used below. 設 is B3 5D: its trail byte is ']'.
#define BIG5_SETTINGS "\xB3\x5D\xA9\x77"     // 設定
#define BIG5_CHINESE "\xA4\xA4\xA4\xE5"      // 中文
#define BIG5_TEST "\xB4\xFA\xB8\xD5\xAD\xC8" // 測試值
#define BIG5_MIDDLE "\xA4\xA4"               // 中

void tst_IniFile::readsAsTheWindowsProgramsDo_data()
{
    QTest::addColumn<QString>("codePage");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString utf8 = QStringLiteral("UTF-8");
    const QString big5 = QStringLiteral("CP950");
    auto row = [&](const char *name,
                   const QString &codePage,
                   const QByteArray &content,
                   const QString &section,
                   const QString &key,
                   const QString &expected) {
        QTest::newRow(name) << codePage << content << section << key << expected;
    };

    row("crlf", utf8, "[S]\r\nk=v\r\n", "S", "k", "v");
    row("lf", utf8, "[S]\nk=v\n", "S", "k", "v");
    row("cr", utf8, "[S]\rk=v\r", "S", "k", "v");
    row("no line end at the end", utf8, "[S]\r\nk=v", "S", "k", "v");
    row("blanks around names and value",
        utf8,
        " \t[ S \t]\r\n \t k \v= \t v  w \t\r\n",
        "S",
        "k",
        "v  w");
    row("outer spaces of the names asked for", utf8, "[S]\r\nk=v\r\n", "  S ", " k  ", "v");
    row("names in another case", utf8, "[Section]\r\nKey=v\r\n", "sECTION", "kEY", "v");
    row("value keeps its case", utf8, "[S]\r\nk=MiXeD\r\n", "S", "k", "MiXeD");
    row("double quotes dropped", utf8, "[S]\r\nk= \" a b \" \r\n", "S", "k", " a b ");
    row("single quotes dropped", utf8, "[S]\r\nk='x'\r\n", "S", "k", "x");
    row("only the outer quotes", utf8, "[S]\r\nk=\"\"x\"\"\r\n", "S", "k", "\"x\"");
    row("quotes that do not match", utf8, "[S]\r\nk=\"x'\r\n", "S", "k", "\"x'");
    row("lone quote", utf8, "[S]\r\nk=\"\r\n", "S", "k", "\"");
    row("comment line", utf8, "[S]\r\n;k=c\r\nk=v\r\n", "S", "k", "v");
    row("indented comment line", utf8, "[S]\r\n \t;k=c\r\n", "S", "k", "");
    row("semicolon inside a value", utf8, "[S]\r\nk=a ;b\r\n", "S", "k", "a ;b");
    row("hash is no comment", utf8, "[S]\r\n#k=h\r\n", "S", "#k", "h");
    row("equals sign inside a value", utf8, "[S]\r\nk=a=b\r\n", "S", "k", "a=b");
    row("first of duplicate keys", utf8, "[S]\r\nk=1\r\nK=2\r\n", "S", "k", "1");
    row("first of duplicate sections", utf8, "[S]\r\na=1\r\n[T]\r\n[s]\r\nb=2\r\n", "S", "b", "");
    row("key of the first duplicate section", utf8, "[S]\r\na=1\r\n[s]\r\na=2\r\n", "S", "a", "1");
    row("text after the closing bracket", utf8, "[S] k=x\r\nk=v\r\n", "S", "k", "v");
    row("section without closing bracket", utf8, "[S\r\nk=v\r\n", "S", "k", "v");
    row("key before every section", utf8, "k=v\r\n[S]\r\n", "S", "k", "");
    row("key of another section", utf8, "[T]\r\nk=v\r\n[S]\r\n", "S", "k", "");
    row("missing section", utf8, "[T]\r\nk=v\r\n", "S", "k", "");
    row("missing key", utf8, "[S]\r\nj=v\r\n", "S", "k", "");
    row("empty value", utf8, "[S]\r\nk=\r\n", "S", "k", "");
    row("quoted empty value", utf8, "[S]\r\nk=\"\"\r\n", "S", "k", "");
    row("key without equals sign", utf8, "[S]\r\nk\r\n", "S", "k", "");
    row("blank lines", utf8, "\r\n[S]\r\n\r\n\r\nk=v\r\n", "S", "k", "v");
    row("value of 127 bytes",
        utf8,
        "[S]\r\nk=" + QByteArray(127, 'x') + "\r\n",
        "S",
        "k",
        QString(127, u'x'));
    row("value of 200 bytes",
        utf8,
        "[S]\r\nk=" + QByteArray(200, 'x') + "\r\n",
        "S",
        "k",
        QString(127, u'x'));
    row("utf-8 character not split",
        utf8,
        "[S]\r\nk=" + QByteArray(125, 'x') + "\xE4\xB8\xAD\r\n",
        "S",
        "k",
        QString(125, u'x'));

    // Invalid bytes come back as U+FFFD, three bytes in UTF-8: the cut still fits the buffer.
    row("invalid utf-8 byte at the cut",
        utf8,
        "[S]\r\nk=" + QByteArray(126, 'x') + "\xFF\r\n",
        "S",
        "k",
        QString(126, u'x'));
    row("invalid utf-8 throughout",
        utf8,
        "[S]\r\nk=" + QByteArray(60, '\xFF') + "\r\n",
        "S",
        "k",
        QString(42, QChar(0xFFFD)));
    row("big5 names and value",
        big5,
        "[" BIG5_SETTINGS "]\r\n" BIG5_CHINESE "=" BIG5_TEST "\r\n",
        u"設定"_qs,
        u"中文"_qs,
        u"測試值"_qs);
    row("big5 trail byte is no bracket",
        big5,
        "[" BIG5_SETTINGS "]\r\nk=v\r\n[x]\r\n",
        u"設定"_qs,
        "k",
        "v");
    row("big5 value of 127 bytes",
        big5,
        "[S]\r\nk=" + QByteArray(125, 'x') + BIG5_MIDDLE "\r\n",
        "S",
        "k",
        QString(125, u'x') + u"中"_qs);
    row("big5 character not split",
        big5,
        "[S]\r\nk=" + QByteArray(126, 'x') + BIG5_MIDDLE "\r\n",
        "S",
        "k",
        QString(126, u'x'));
    row("big5 name with a user-defined character",
        big5,
        "[S]\r\nName=\xAA\x4C\xFA\x40\xA9\xFA\r\n",
        "S",
        "Name",
        u"林\uE000明"_qs);
    row("big5 pair the converter does not know",
        big5,
        "[S]\r\nk=\xA3\xC0x\r\n",
        "S",
        "k",
        u"?x"_qs); // one character for the pair, through the buffer of code page bytes
    row("big5 key the code page cannot hold finds no other",
        big5,
        "[S]\r\n?=another's\r\n",
        "S",
        u"𡩋"_qs,
        "");
    row("big5 value of 64 characters",
        big5,
        "[S]\r\nk=" + QByteArray(BIG5_MIDDLE).repeated(64) + "\r\n",
        "S",
        "k",
        u"中"_qs.repeated(63));
}

void tst_IniFile::readsAsTheWindowsProgramsDo()
{
    QFETCH(QString, codePage);
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    platform::codepage::setName(codePage);
    writeBytes(content);
    QCOMPARE(ReadIniValue(path(), section, key), expected);
}

void tst_IniFile::readOfMissingFileIsEmpty()
{
    QCOMPARE(ReadIniValue(path(QStringLiteral("missing.ini")),
                          QStringLiteral("S"),
                          QStringLiteral("k")),
             QString());
    QCOMPARE(ReadIniValue(m_dir->path(), QStringLiteral("S"), QStringLiteral("k")), QString());
    // Only regular files are read, and a read never waits.
    const QString fifo = path(QStringLiteral("fifo.ini"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(ReadIniValue(fifo, QStringLiteral("S"), QStringLiteral("k")), QString());
    QCOMPARE(ReadIniValue(QStringLiteral("/dev/zero"), QStringLiteral("S"), QStringLiteral("k")),
             QString());
    writeBytes("[S]\r\nk=v\r\n");
    QCOMPARE(ReadIniValue(path() + QChar(u'\0') + QStringLiteral("x"),
                          QStringLiteral("S"),
                          QStringLiteral("k")),
             QString());
}

void tst_IniFile::profileBufferSizeLimitsTheCopy_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("defaultValue");
    QTest::addColumn<int>("size");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("room for value and nul")
        << QByteArray("k") << QByteArray("d") << 5 << QByteArray("val1");
    QTest::newRow("one byte short") << QByteArray("k") << QByteArray("d") << 4 << QByteArray("val");
    QTest::newRow("room for the nul only")
        << QByteArray("k") << QByteArray("d") << 1 << QByteArray();
    QTest::newRow("default without trailing blanks")
        << QByteArray("none") << QByteArray(" def  ") << 20 << QByteArray(" def");
    QTest::newRow("default cut too")
        << QByteArray("none") << QByteArray("default") << 4 << QByteArray("def");
}

void tst_IniFile::profileBufferSizeLimitsTheCopy()
{
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, defaultValue);
    QFETCH(int, size);
    QFETCH(QByteArray, expected);

    writeBytes("[S]\r\nk=val1\r\n");
    std::array<char, 32> buffer;
    buffer.fill('#');
    const qsizetype copied = platform::privateprofile::getPrivateProfileString(
        "S", key, defaultValue, std::span<char>(buffer.data(), size), path());
    QCOMPARE(copied, expected.size());
    QCOMPARE(QByteArray(buffer.data(), copied), expected);
    QCOMPARE(buffer[copied], '\0');
    QCOMPARE(buffer[size], '#'); // nothing written beyond the buffer
}

void tst_IniFile::writeKeepsEveryOtherLine_data()
{
    QTest::addColumn<QString>("codePage");
    QTest::addColumn<QByteArray>("before"); // empty: no file
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    const QString utf8 = QStringLiteral("UTF-8");
    auto row = [&](const char *name,
                   const QString &codePage,
                   const QByteArray &before,
                   const QString &section,
                   const QString &key,
                   const QString &value,
                   const QByteArray &after) {
        QTest::newRow(name) << codePage << before << section << key << value << after;
    };

    row("new file", utf8, "", "S", "k", "v", "[S]\r\nk=v\r\n");
    // As a Windows machine wrote it: a name with a user-defined character stays as it was.
    row("big5 user-defined characters kept",
        u"CP950"_qs,
        "[Staff]\r\nName=\xAA\x4C\xFA\x40\xA9\xFA\r\n",
        "Staff",
        "Note",
        u"\uF848"_qs,
        "[Staff]\r\nName=\xAA\x4C\xFA\x40\xA9\xFA\r\nNote=\xC8\xFE\r\n");
    row("value replaced in place",
        utf8,
        "; settings\n[S]\nk=old\nother = x\n\n[T]\nk=t\n",
        "S",
        "k",
        "new",
        "; settings\n[S]\nk=new\r\nother = x\n\n[T]\nk=t\n");
    row("existing spelling of the key kept",
        utf8,
        "[Sect]\r\n  KEY \t= old\r\n",
        "sect",
        "key",
        "v",
        "[Sect]\r\nKEY=v\r\n");
    row("new key after the last entry",
        utf8,
        "[S]\r\na=1\r\n;note\r\n\r\n[T]\r\nb=2\r\n",
        "S",
        "c",
        "3",
        "[S]\r\na=1\r\nc=3\r\n;note\r\n\r\n[T]\r\nb=2\r\n");
    row("new key in an empty section",
        utf8,
        "[S]\r\n[T]\r\n",
        "S",
        "k",
        "v",
        "[S]\r\nk=v\r\n[T]\r\n");
    row("new section at the end",
        utf8,
        "[S]\r\na=1\r\n",
        "T",
        "k",
        "v",
        "[S]\r\na=1\r\n[T]\r\nk=v\r\n");
    row("last line without line end",
        utf8,
        "[S]\r\na=1",
        "T",
        "k",
        "v",
        "[S]\r\na=1\r\n[T]\r\nk=v\r\n");
    row("new key after an unterminated last entry",
        utf8,
        "[S]\na=1",
        "S",
        "k",
        "v",
        "[S]\na=1\r\nk=v\r\n");
    row("first of duplicate keys replaced",
        utf8,
        "[S]\r\nk=1\r\nk=2\r\n",
        "S",
        "k",
        "v",
        "[S]\r\nk=v\r\nk=2\r\n");
    row("first of duplicate sections extended",
        utf8,
        "[S]\r\na=1\r\n[S]\r\nb=2\r\n",
        "S",
        "c",
        "v",
        "[S]\r\na=1\r\nc=v\r\n[S]\r\nb=2\r\n");
    row("commented key left alone",
        utf8,
        "[S]\r\n;k=old\r\n",
        "S",
        "k",
        "v",
        "[S]\r\nk=v\r\n;k=old\r\n");
    row("outer spaces of names dropped, value as given",
        utf8,
        "",
        " S ",
        " k ",
        " v ",
        "[S]\r\nk= v \r\n");
    row("empty value", utf8, "", "S", "k", "", "[S]\r\nk=\r\n");
    row("big5 new file",
        QStringLiteral("CP950"),
        "",
        u"設定"_qs,
        u"中文"_qs,
        u"測試值"_qs,
        "[" BIG5_SETTINGS "]\r\n" BIG5_CHINESE "=" BIG5_TEST "\r\n");
    row("big5 value replaced",
        QStringLiteral("CP950"),
        "[" BIG5_SETTINGS "]\r\n" BIG5_CHINESE "=\xC2\xC2\r\n",
        u"設定"_qs,
        u"中文"_qs,
        u"新"_qs,
        "[" BIG5_SETTINGS "]\r\n" BIG5_CHINESE "=\xB7\x73\r\n");
}

void tst_IniFile::writeKeepsEveryOtherLine()
{
    QFETCH(QString, codePage);
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    platform::codepage::setName(codePage);
    if (!before.isEmpty())
        writeBytes(before);
    WriteIniValue(path(), section, key, value);
    QCOMPARE(readBytes(), after);
}

void tst_IniFile::writtenValueReadsBack_data()
{
    QTest::addColumn<QString>("codePage");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << "UTF-8"
                           << "v"
                           << "v";
    QTest::newRow("chinese in utf-8") << "UTF-8" << u"中文設定"_qs << u"中文設定"_qs;
    QTest::newRow("chinese in big5") << "CP950" << u"中文設定"_qs << u"中文設定"_qs;
    QTest::newRow("outer blanks lost on reading") << "UTF-8"
                                                  << "  v  "
                                                  << "v";
    QTest::newRow("quotes lost on reading") << "UTF-8"
                                            << "\"v\""
                                            << "v";
    QTest::newRow("character big5 cannot hold") << "CP950" << u"é"_qs << "?";
    QTest::newRow("200 characters read as 127")
        << "UTF-8" << QString(200, u'z') << QString(127, u'z');
}

void tst_IniFile::writtenValueReadsBack()
{
    QFETCH(QString, codePage);
    QFETCH(QString, value);
    QFETCH(QString, expected);

    platform::codepage::setName(codePage);
    writeBytes("[Other]\r\nk=x\r\n");
    WriteIniValue(path(), QStringLiteral("S"), QStringLiteral("k"), value);
    QCOMPARE(ReadIniValue(path(), QStringLiteral("S"), QStringLiteral("k")), expected);
    QCOMPARE(ReadIniValue(path(), QStringLiteral("Other"), QStringLiteral("k")),
             QStringLiteral("x"));
}

void tst_IniFile::writeRefusesWhatWouldNotReadBack_data()
{
    QTest::addColumn<QString>("codePage");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("lf in section") << ""
                                   << "S\n[T]"
                                   << "k"
                                   << "v";
    QTest::newRow("cr in key") << ""
                               << "S"
                               << "k\rj"
                               << "v";
    QTest::newRow("cr lf in value") << ""
                                    << "S"
                                    << "k"
                                    << "v\r\n[T]\r\nj=w";
    QTest::newRow("bracket in section") << ""
                                        << "a]b"
                                        << "k"
                                        << "v";
    QTest::newRow("equals in key") << ""
                                   << "S"
                                   << "x=y"
                                   << "v";
    QTest::newRow("key read as a comment") << ""
                                           << "S"
                                           << " ;c"
                                           << "v";
    QTest::newRow("key read as a section") << ""
                                           << "S"
                                           << "[T]"
                                           << "v";
    // Read, the tab is trimmed; written, it is not: the key would never be found.
    QTest::newRow("tab before key") << ""
                                    << "S"
                                    << "\tk"
                                    << "v";
    QTest::newRow("vertical tab after section") << ""
                                                << "S\v"
                                                << "k"
                                                << "v";
    // Written "?", it would be the key "?" of the file.
    QTest::newRow("key the code page cannot hold") << "CP950"
                                                   << "S"
                                                   << "𡩋"
                                                   << "v";
    QTest::newRow("section the code page cannot hold") << "BIG5"
                                                       << "😀"
                                                       << "k"
                                                       << "v";
}

void tst_IniFile::writeRefusesWhatWouldNotReadBack()
{
    QFETCH(QString, codePage);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    platform::codepage::setName(codePage);

    const QByteArray before("[S]\r\n?=old\r\n");
    writeBytes(before);
    QCOMPARE(errorNumberOf([&] { WriteIniValue(path(), section, key, value); }),
             platform::ErrorNumber::InvalidProcedureCall);
    QCOMPARE(readBytes(), before);
}

void tst_IniFile::writeLeavesNoFileBeside()
{
    WriteIniValue(path(), QStringLiteral("S"), QStringLiteral("a"), QStringLiteral("1"));
    WriteIniValue(path(), QStringLiteral("S"), QStringLiteral("b"), QStringLiteral("2"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("settings.ini")});
}

void tst_IniFile::writeIntoAMissingFolderFailsQuietly()
{
    WriteIniValue(path(QStringLiteral("missing/settings.ini")),
                  QStringLiteral("S"),
                  QStringLiteral("k"),
                  QStringLiteral("v"));
    WriteIniValue(QString(), QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"));
    QVERIFY(QDir(m_dir->path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));

    // A path cut at its NUL would name this file: it is neither written nor locked.
    writeBytes("[S]\r\nk=kept\r\n", QStringLiteral("a"));
    WriteIniValue(path(QStringLiteral("a")) + QChar(u'\0') + QStringLiteral(".ini"),
                  QStringLiteral("S"),
                  QStringLiteral("k"),
                  QStringLiteral("v"));
    writeBytes("[S]\r\n", QStringLiteral("b.lock"));
    WriteIniValue(path(QStringLiteral("b")) + QChar(u'\0'),
                  QStringLiteral("S"),
                  QStringLiteral("k"),
                  QStringLiteral("v"));
    QCOMPARE(readBytes(QStringLiteral("a")), QByteArray("[S]\r\nk=kept\r\n"));
    QCOMPARE(readBytes(QStringLiteral("b.lock")), QByteArray("[S]\r\n"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{QStringLiteral("a"), QStringLiteral("b.lock")}));
}

void tst_IniFile::writeFollowsOwnLinksToWhatExists_data()
{
    QTest::addColumn<bool>("folderLinked");
    QTest::addColumn<bool>("targetExists");
    QTest::newRow("link to a settings file elsewhere") << false << true;
    QTest::newRow("link to a file not there") << false << false;
    QTest::newRow("linked folder, settings there") << true << true;
    QTest::newRow("linked folder, settings not there yet") << true << false;
}

// A user's own link to her settings file elsewhere is written through and stays a link;
// a link to nothing is never followed to make a file. A link to a folder leads to a
// folder, where the file is written or made as in any other.
void tst_IniFile::writeFollowsOwnLinksToWhatExists()
{
    QFETCH(bool, folderLinked);
    QFETCH(bool, targetExists);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("elsewhere")));
    const QString target = path(QStringLiteral("elsewhere/real.ini"));
    if (targetExists)
        writeBytes("[S]\r\nk=old\r\n", QStringLiteral("elsewhere/real.ini"));
    const QString written = folderLinked ? path(QStringLiteral("linked/real.ini")) : path();
    QVERIFY(folderLinked
                ? QFile::link(path(QStringLiteral("elsewhere")), path(QStringLiteral("linked")))
                : QFile::link(target, path()));

    WriteIniValue(written, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("new"));

    QVERIFY(QFileInfo(folderLinked ? path(QStringLiteral("linked")) : path()).isSymLink());
    QCOMPARE(QFile::exists(target), targetExists || folderLinked);
    if (targetExists || folderLinked)
        QCOMPARE(readBytes(QStringLiteral("elsewhere/real.ini")), QByteArray("[S]\r\nk=new\r\n"));
}

void tst_IniFile::twoProcessesWritingLoseNothing_data()
{
    QTest::addColumn<bool>("asTwoUsers");
    QTest::newRow("one user") << false;
    QTest::newRow("two users in a shared folder") << true;
}

// Two writers at once, of one user or of two users of one group, each of whose lock
// files the other must be able to take.
void tst_IniFile::twoProcessesWritingLoseNothing()
{
    QFETCH(bool, asTwoUsers);
    if (asTwoUsers && ::geteuid() != 0)
        QSKIP("needs root to start writers as two other users");
    if (asTwoUsers) {
        QCOMPARE(::chown(QFile::encodeName(m_dir->path()).constData(), 0, SharedGroup), 0);
        QCOMPARE(::chmod(QFile::encodeName(m_dir->path()).constData(), 02775), 0);
    }
    writeBytes("; shared by two writers\r\n[Shared]\r\n");
    if (asTwoUsers) {
        QCOMPARE(::chown(QFile::encodeName(path()).constData(), 0, SharedGroup), 0);
        QCOMPARE(::chmod(QFile::encodeName(path()).constData(), 0664), 0);
    }
    // Other users may not reach this program where the build put it (under /root, say):
    // they run a copy from the shared folder.
    QString program = QCoreApplication::applicationFilePath();
    if (asTwoUsers) {
        const QString copy = path(QStringLiteral("writer"));
        QVERIFY(QFile::copy(program, copy));
        program = copy;
    }
    const QStringList writers{QStringLiteral("first"), QStringLiteral("second")};
    std::vector<std::unique_ptr<QProcess>> processes;
    int uid = 60001;
    for (const QString &writer : writers) {
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        const QStringList arguments{QString::fromLatin1(WriterSwitch), path(), writer};
        if (asTwoUsers) {
            // Each writer's files are its own, created under a umask that keeps them
            // from others unless the code opens them up.
            process->start(QStringLiteral("setpriv"),
                           QStringList{QStringLiteral("--reuid=%1").arg(uid++),
                                       QStringLiteral("--regid=%1").arg(SharedGroup),
                                       QStringLiteral("--clear-groups"),
                                       QStringLiteral("--"),
                                       QStringLiteral("sh"),
                                       QStringLiteral("-c"),
                                       QStringLiteral("umask 077 && exec \"$0\" \"$@\""),
                                       program}
                               + arguments);
        } else {
            process->start(program, arguments);
        }
        QVERIFY(process->waitForStarted());
        processes.push_back(std::move(process));
    }
    for (const auto &process : processes) {
        QVERIFY(process->waitForFinished(-1));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 0);
    }

    for (const QString &writer : writers) {
        for (int i = 0; i < KeysPerWriter; ++i) {
            QCOMPARE(ReadIniValue(path(), QStringLiteral("Shared"), writerKey(writer, i)),
                     QString::number(i));
        }
    }
    QCOMPARE(readBytes().count("\r\n"), 2 + 2 * KeysPerWriter);
}

// Started again with the writer switch, the program is the second writer of the
// two-writer test instead of the tests; so QTEST_GUILESS_MAIN cannot stand here.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], WriterSwitch) == 0)
        return writeKeys(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    tst_IniFile test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_inifile.moc"
