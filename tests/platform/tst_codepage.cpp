// The code page in force: texts to and from its bytes, names refused, unmappable characters.
#include "suiteframe/platform/codepage.h"

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

    // A name iconv does not know would empty every conversion: it never comes in force.
    void unknownNamesAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("misspelt") << "CP9500";
        QTest::newRow("no such name") << "X-NO-SUCH-CODEPAGE";
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

    void unmappableCharactersBecomeQuestionMarks()
    {
        codepage::setName(QStringLiteral("BIG5"));
        QCOMPARE(codepage::fromUnicode(QStringLiteral("a😀b")), QByteArray("a?b"));
        QCOMPARE(codepage::toUnicode(QByteArray("a\xFF")), QStringLiteral("a\uFFFD"));
        QCOMPARE(codepage::toUnicode(QByteArray("a\xB0")), QStringLiteral("a\uFFFD"));
    }
};

QTEST_GUILESS_MAIN(tst_CodePage)

#include "tst_codepage.moc"
