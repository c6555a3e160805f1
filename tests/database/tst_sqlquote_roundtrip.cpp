// Texts quoted by SQLQuote, inserted into real databases and selected back, come back as
// the text SQLQuote was given, less the blanks at both ends.
#include "suiteframe/adodb/queryrecordset.h"
#include "suiteframe/base/basBase.h"
#include "support/testdatabases.h"
#include "support/valuemetatype.h"

#include <QTest>

using platform::Value;
using namespace Qt::StringLiterals;

class tst_SQLQuoteRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void quotedTextComesBack_data();
    void quotedTextComesBack();

private:
    TestDatabases m_databases;
    int m_nextId = 0;
};

void tst_SQLQuoteRoundTrip::initTestCase()
{
    QString error;
    QVERIFY2(m_databases.open(&error), qPrintable(error));
    m_databases.executeOnEach(u"CREATE TABLE quoted (id integer, t text)"_s);
}

void tst_SQLQuoteRoundTrip::quotedTextComesBack_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<Value>("value");
    QTest::addColumn<QString>("expected");

    const QString tenThousand = u"甲'乙\\丙%"_s.repeated(2000);
    struct Case
    {
        const char *name;
        Value value;
        QString expected;
    };
    const Case cases[] = {
        {"apostrophe", Value(u"O'Brien"_s), u"O'Brien"_s},
        {"only apostrophes", Value(u"''"_s), u"''"_s},
        {"statement breakout",
         Value(u"x'); DROP TABLE quoted; --"_s),
         u"x'); DROP TABLE quoted; --"_s},
        {"backslashes", Value(u"C:\\path\\ \\' end\\"_s), u"C:\\path\\ \\' end\\"_s},
        {"percent and underscore", Value(u"100% _x_ %%"_s), u"100% _x_ %%"_s},
        {"chinese with quotes", Value(u"中文「引號」與'單引號'"_s), u"中文「引號」與'單引號'"_s},
        {"outer blanks trimmed", Value(u"   padded  text   "_s), u"padded  text"_s},
        {"tabs are kept", Value(u"\tx\t"_s), u"\tx\t"_s},
        {"empty", Value(u""_s), QString()},
        {"null", Value::null(), QString()},
        {"10,000 characters", Value(u"  "_s + tenThousand + u"  "_s), tenThousand},
    };
    for (const QString &database : TestDatabases::Names) {
        for (const Case &c : cases)
            TestDatabases::newRow(database, QString::fromUtf8(c.name)) << c.value << c.expected;
    }
}

void tst_SQLQuoteRoundTrip::quotedTextComesBack()
{
    QFETCH(QString, database);
    QFETCH(Value, value);
    QFETCH(QString, expected);
    adodb::Connection &connection = m_databases.connection(database);

    const QString literal = basBase::SQLQuote(value);
    const int id = ++m_nextId;
    connection.Execute(u"INSERT INTO quoted (id, t) VALUES (%1, %2)"_s.arg(id).arg(literal));

    auto records = connection.Execute(u"SELECT t FROM quoted WHERE id = %1"_s.arg(id));
    QVERIFY(!records->isEOF());
    const QString back = records->fieldValue(0).toText();
    QCOMPARE(back.size(), expected.size());
    QVERIFY(back == expected);
    // The same literal finds the row again, and only that row.
    auto found = connection.Execute(
        u"SELECT count(*) FROM quoted WHERE id = %1 AND t = %2"_s.arg(id).arg(literal));
    QCOMPARE(found->fieldValue(0).toText(), u"1"_s);
}

QTEST_GUILESS_MAIN(tst_SQLQuoteRoundTrip)
#include "tst_sqlquote_roundtrip.moc"
