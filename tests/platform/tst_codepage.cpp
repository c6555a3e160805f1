// The code page in force: texts to and from its bytes, names refused, unmappable characters.
#include "suiteframe/platform/codepage.h"

#include "support/runtimeerror.h"

#include <QTest>

namespace codepage = platform::codepage;

class tst_CodePage : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        codepage::setName(QString());
        qunsetenv("SUITEFRAME_CODEPAGE");
    }

    void roundTrips_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Big5") << "BIG5"
                              << "處理程序" << QByteArray("\xB3\x42\xB2\x7A\xB5\x7B\xA7\xC7");
        QTest::newRow("CP950 with ASCII") << "CP950"
                                          << "A記B" << QByteArray("A\xB0OB");
        QTest::newRow("UTF-8") << "UTF-8"
                               << "記" << QByteArray("\xE8\xA8\x98");
        QTest::newRow("Latin-1") << "ISO-8859-1"
                                 << "é" << QByteArray("\xE9");
        // The user-defined areas as Windows maps them, each one's first and last code.
        const auto userDefined = [](const char *name, char16_t character, const char *bytes) {
            QTest::newRow(name) << "CP950" << QString(QChar(character)) << QByteArray(bytes, 2);
        };
        userDefined("CP950 user-defined FA40", 0xE000, "\xFA\x40");
        userDefined("CP950 user-defined FEFE", 0xE310, "\xFE\xFE");
        userDefined("CP950 user-defined 8E40", 0xE311, "\x8E\x40");
        userDefined("CP950 user-defined A0FE", 0xEEB7, "\xA0\xFE");
        userDefined("CP950 user-defined 8140", 0xEEB8, "\x81\x40");
        userDefined("CP950 user-defined 8DFE", 0xF6B0, "\x8D\xFE");
        userDefined("CP950 user-defined C6A1", 0xF6B1, "\xC6\xA1");
        userDefined("CP950 user-defined C8FE", 0xF848, "\xC8\xFE");
        QTest::newRow("CP950 name with a user-defined character")
            << "CP950" << QStringLiteral("林\uE000明") << QByteArray("\xAA\x4C\xFA\x40\xA9\xFA");
        QTest::newRow("Big5 name with a user-defined character")
            << "BIG5" << QStringLiteral("林\uF848明") << QByteArray("\xAA\x4C\xC8\xFE\xA9\xFA");
    }

    // Every code of each user-defined area reads as the next Private Use Area character
    // and is written back byte for byte.
    void everyUserDefinedCodeRoundTrips_data()
    {
        QTest::addColumn<int>("firstLead");
        QTest::addColumn<int>("firstTrail");
        QTest::addColumn<int>("lastLead");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::newRow("FA40-FEFE") << 0xFA << 0x40 << 0xFE << 0xE000 << 0xE310;
        QTest::newRow("8E40-A0FE") << 0x8E << 0x40 << 0xA0 << 0xE311 << 0xEEB7;
        QTest::newRow("8140-8DFE") << 0x81 << 0x40 << 0x8D << 0xEEB8 << 0xF6B0;
        QTest::newRow("C6A1-C8FE") << 0xC6 << 0xA1 << 0xC8 << 0xF6B1 << 0xF848;
    }

    void everyUserDefinedCodeRoundTrips()
    {
        QFETCH(int, firstLead);
        QFETCH(int, firstTrail);
        QFETCH(int, lastLead);
        QFETCH(int, first);
        QFETCH(int, last);
        QVERIFY(codepage::setName(QStringLiteral("CP950")));
        QByteArray bytes;
        for (int lead = firstLead; lead <= lastLead; ++lead) {
            for (int trail = lead == firstLead ? firstTrail : 0x40; trail <= 0xFE; ++trail) {
                if (trail <= 0x7E || trail >= 0xA1)
                    bytes += char(lead) + QByteArray(1, char(trail));
            }
        }
        QString expected;
        for (int character = first; character <= last; ++character)
            expected += QChar(char16_t(character));
        QCOMPARE(codepage::toUnicode(bytes), expected);
        QCOMPARE(codepage::fromUnicode(expected), bytes);
    }

    void roundTrips()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        codepage::setName(name);
        QCOMPARE(codepage::fromUnicode(text), bytes);
        QCOMPARE(codepage::toUnicode(bytes), text);
    }

    // A name iconv does not know would empty every conversion, and one that writes ASCII
    // otherwise would garble every file: neither comes in force.
    void unknownNamesAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("misspelt") << "CP9500";
        QTest::newRow("no such name") << "X-NO-SUCH-CODEPAGE";
        // Known to iconv, but ASCII would not be written as ASCII, nor be found in a file.
        QTest::newRow("UTF-16") << "UTF-16LE";
        QTest::newRow("UTF-7") << "UTF-7";
        QTest::newRow("EBCDIC") << "IBM037";
        QTest::newRow("with a suffix that drops characters untold") << "CP950//IGNORE";
    }

    void unknownNamesAreRefused()
    {
        QFETCH(QString, name);
        QVERIFY(codepage::setName(QStringLiteral("CP950")));
        QVERIFY(!codepage::setName(name));
        QCOMPARE(codepage::name(), QStringLiteral("CP950"));

        codepage::setName(QString());
        qputenv("SUITEFRAME_CODEPAGE", name.toLatin1());
        QCOMPARE(codepage::refusedEnvironmentName(), name);
        QCOMPARE(codepage::name(), QStringLiteral("UTF-8")); // the locale's, as the test runs
        QCOMPARE(codepage::fromUnicode(QStringLiteral("記")), QByteArray("\xE8\xA8\x98"));
    }

    // A code page named for one conversion, the process's staying UTF-8: what it cannot
    // hold is written "?" and told.
    void aCodePageForOneConversion_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("lost");
        QTest::newRow("Big5, extension B lost")
            << "BIG5" << QStringLiteral("黃𡩋祥") << QByteArray("\xB6\xC0?\xB2\xBB")
            << QStringLiteral("𡩋");
        QTest::newRow("CP950, user-defined kept, emoji lost")
            << "CP950" << QStringLiteral("\uE000a😀")
            << QByteArray("\xFA\x40"
                          "a?")
            << QStringLiteral("😀");
        QTest::newRow("UTF-8 holds everything")
            << "UTF-8" << QStringLiteral("𡩋😀") << QStringLiteral("𡩋😀").toUtf8() << QString();
        QTest::newRow("UTF-8, half of a character cut from the rest")
            << "UTF-8" << QString(QChar(0xD840)) + QStringLiteral("a") << QByteArray("?a")
            << QString(QChar(0xD840));
    }

    void aCodePageForOneConversion()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, lost);
        codepage::setName(QStringLiteral("UTF-8"));
        QString told = QStringLiteral("left from before");
        QCOMPARE(codepage::fromUnicode(text, name, &told), bytes);
        QCOMPARE(told, lost);
        const QString readBack = lost.isEmpty() ? text
                                                : QString(text).replace(lost, QStringLiteral("?"));
        QCOMPARE(codepage::toUnicode(bytes, name), readBack);
        QCOMPARE(codepage::name(), QStringLiteral("UTF-8"));
        QCOMPARE(errorNumberOf(
                     [] { codepage::fromUnicode(QStringLiteral("a"), QStringLiteral("CP9500")); }),
                 platform::ErrorNumber::InvalidProcedureCall);
    }

    void unmappableCharactersBecomeQuestionMarks()
    {
        codepage::setName(QStringLiteral("BIG5"));
        QCOMPARE(codepage::fromUnicode(QStringLiteral("a😀b")), QByteArray("a?b"));
        QCOMPARE(codepage::toUnicode(QByteArray("a\xFF")), QStringLiteral("a\uFFFD"));
        QCOMPARE(codepage::toUnicode(QByteArray("a\xB0")), QStringLiteral("a\uFFFD"));
        // A pair the converter does not know is one character: its trail byte neither
        // shows on its own nor takes the next byte with it.
        for (const QString &name : {QStringLiteral("CP950"), QStringLiteral("BIG5")}) {
            codepage::setName(name);
            QCOMPARE(codepage::toUnicode(QByteArray("\xA3\xC0\xA4\x40x")),
                     QStringLiteral("\uFFFD一x"));
            QCOMPARE(codepage::toUnicode(QByteArray("a\xB0")), QStringLiteral("a\uFFFD"));
        }
    }
};

QTEST_GUILESS_MAIN(tst_CodePage)

#include "tst_codepage.moc"
