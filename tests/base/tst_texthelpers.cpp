// Text helpers: SQLQuote's literals and Encrypt's cyclic XOR with a key.
#include "suiteframe/base/basBase.h"
#include "suiteframe/platform/codepage.h"
#include "suiteframe/platform/runtimeerror.h"
#include "support/desktopcapture.h"
#include "support/valuemetatype.h"

#include <QRandomGenerator>
#include <QTest>

using basBase::Encrypt;
using basBase::SQLQuote;
using platform::Value;

class tst_TextHelpers : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sqlQuoteMakesALiteral_data();
    void sqlQuoteMakesALiteral();

    void encryptXorsWithTheKeyCyclically_data();
    void encryptXorsWithTheKeyCyclically();
    void encryptIsItsOwnInverse_data();
    void encryptIsItsOwnInverse();
    void encryptOfEmptyTextNeedsNoKey();
    void encryptWithEmptyKeyReportsAndAnswersEmpty();

private:
    std::unique_ptr<DesktopCapture> m_desktop;
};

void tst_TextHelpers::init()
{
    m_desktop = std::make_unique<DesktopCapture>();
}

void tst_TextHelpers::cleanup()
{
    m_desktop.reset();
    platform::codepage::setName(QString());
}

void tst_TextHelpers::sqlQuoteMakesALiteral_data()
{
    QTest::addColumn<Value>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("apostrophe doubled") << Value("it's") << "'it''s'";
    QTest::newRow("blanks at both ends removed") << Value("  padded  ") << "'padded'";
    QTest::newRow("apostrophe and blanks at the ends") << Value("  it's  ") << "'it''s'";
    QTest::newRow("apostrophes at the ends") << Value("'x'") << "'''x'''";
    QTest::newRow("apostrophe alone") << Value("'") << "''''";
    QTest::newRow("blanks around an apostrophe") << Value(" ' ") << "''''";
    QTest::newRow("inner blanks kept") << Value("a  b") << "'a  b'";
    QTest::newRow("tabs are no blanks") << Value("\tx\t") << "'\tx\t'";
    QTest::newRow("number") << Value(qint32(5)) << "'5'";
    QTest::newRow("boolean") << Value(true) << "'True'";
    QTest::newRow("chinese text") << Value(u"許功蓋") << u"'許功蓋'"_qs;
    QTest::newRow("null") << Value::null() << "''";
    QTest::newRow("empty") << Value() << "''";
}

void tst_TextHelpers::sqlQuoteMakesALiteral()
{
    QFETCH(Value, value);
    QFETCH(QString, expected);
    QCOMPARE(SQLQuote(value), expected);
}

void tst_TextHelpers::encryptXorsWithTheKeyCyclically_data()
{
    QTest::addColumn<QString>("codePage");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    QTest::newRow("key shorter than text") << "UTF-8"
                                           << "Hello"
                                           << "key" << QString::fromLatin1("#\0\x15\x07\n", 5);
    QTest::newRow("one-character key") << "UTF-8"
                                       << "AAbb"
                                       << "B" << QString::fromLatin1("\x03\x03  ", 4);
    QTest::newRow("equal characters give code 0") << "CP950"
                                                  << "ab"
                                                  << "ab" << QString(2, QChar(0));
    QTest::newRow("key longer than text") << "UTF-8"
                                          << "a"
                                          << "bcd"
                                          << "\x03";
    // Characters outside the single-byte range stay; the key moves on past them.
    QTest::newRow("chinese character kept, key advances")
        << "CP950" << u"中a"_qs << "xy" << u"中\x18"_qs;
    QTest::newRow("chinese key character leaves the text character")
        << "UTF-8"
        << "ab" << u"中b"_qs << QString::fromLatin1("a\0", 2);
    // 'a' (0x61) xor U+0080 (0x80) would be 0xE1, a lead byte in Big5.
    QTest::newRow("result that is a lead byte") << "CP950"
                                                << "a" << u"\u0080"_qs << "a";
    // In ISO-8859-7, 0x61 xor 0xB3 is 0xD2, which that code page leaves undefined;
    // 0x62 xor 0xB3 is 0xD1, Greek capital rho.
    QTest::newRow("result the code page leaves undefined") << "ISO-8859-7"
                                                           << "ab" << u"³"_qs << u"aΡ"_qs;
    // 0xE9 xor 0x61 is 0x88, the modifier circumflex in CP1252.
    QTest::newRow("western code page above 127") << "CP1252" << u"é"_qs << "a" << u"\u02C6"_qs;
}

void tst_TextHelpers::encryptXorsWithTheKeyCyclically()
{
    QFETCH(QString, codePage);
    QFETCH(QString, text);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    platform::codepage::setName(codePage);
    QCOMPARE(Encrypt(text, key), expected);
    QVERIFY(m_desktop->warnings.isEmpty());
}

void tst_TextHelpers::encryptIsItsOwnInverse_data()
{
    QTest::addColumn<QString>("codePage");
    QTest::addColumn<bool>("asciiOnly");

    QTest::newRow("big5, ascii") << "CP950" << true;
    QTest::newRow("big5, mixed") << "CP950" << false;
    QTest::newRow("utf-8, ascii") << "UTF-8" << true;
    QTest::newRow("utf-8, mixed") << "UTF-8" << false;
    QTest::newRow("western, mixed") << "CP1252" << false;
}

static QString randomText(QRandomGenerator &random, int length, bool asciiOnly)
{
    static const QString others = u"中文設定許功蓋éüß€\u0080\u00ff😀"_qs;
    QString text;
    for (int i = 0; i < length; ++i) {
        if (asciiOnly || random.bounded(3) != 0)
            text += QChar(random.bounded(128));
        else
            text += others.at(random.bounded(others.size()));
    }
    return text;
}

void tst_TextHelpers::encryptIsItsOwnInverse()
{
    QFETCH(QString, codePage);
    QFETCH(bool, asciiOnly);
    platform::codepage::setName(codePage);

    QRandomGenerator random(20240601);
    for (int round = 0; round < 200; ++round) {
        const QString text = randomText(random, random.bounded(0, 60), asciiOnly);
        const QString key = randomText(random, random.bounded(1, 12), asciiOnly);
        const QString scrambled = Encrypt(text, key);

        QCOMPARE(scrambled.size(), text.size());
        QCOMPARE(Encrypt(scrambled, key), text);
        // What the code page can hold of the text, it can hold of the scrambled text.
        if (platform::codepage::toUnicode(platform::codepage::fromUnicode(text)) == text)
            QCOMPARE(platform::codepage::toUnicode(platform::codepage::fromUnicode(scrambled)),
                     scrambled);
        if (asciiOnly) {
            for (const QChar c : scrambled)
                QVERIFY(c.unicode() < 128);
        }
    }
    QVERIFY(m_desktop->warnings.isEmpty());
}

void tst_TextHelpers::encryptOfEmptyTextNeedsNoKey()
{
    QCOMPARE(Encrypt(QString(), QString()), QString());
    QCOMPARE(Encrypt(QString(), QStringLiteral("key")), QString());
    QVERIFY(m_desktop->warnings.isEmpty());
}

void tst_TextHelpers::encryptWithEmptyKeyReportsAndAnswersEmpty()
{
    QCOMPARE(Encrypt(QStringLiteral("secret"), QString()), QString());
    QCOMPARE(m_desktop->procedures(), QStringList{QStringLiteral("Encrypt")});
    QCOMPARE(m_desktop->beeps, 1);
    const QString &message = m_desktop->warnings.first().text;
    QVERIFY2(message.contains(QStringLiteral(" 5\r\n")), qPrintable(message));
    QVERIFY2(message.contains(platform::standardErrorText(5)), qPrintable(message));
}

QTEST_MAIN(tst_TextHelpers)
#include "tst_texthelpers.moc"
