// Masking of connection-string secrets in messages, at the edges fuzzing found.
#include "suiteframe/adodb/connectionstring_p.h"

#include <QTest>

namespace connectionstring = adodb::connectionstring;

class tst_ConnectionString : public QObject
{
    Q_OBJECT

private slots:
    void masksEverySecret_data()
    {
        QTest::addColumn<QString>("connectionString");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("expected");

        QTest::newRow("password and string") << "Uid=u;Pwd={a;b}}c}"
                                             << "login a;b}c failed for Uid=u;Pwd={a;b}}c}"
                                             << "login *** failed for ***";
        QTest::newRow("replacement joins a secret") << "Pwd=x***y;Password=Z"
                                                    << "xZy"
                                                    << "***";
        QTest::newRow("short asterisk passwords, many times")
            << QStringLiteral("Pwd=*;").repeated(40) << "a * b"
            << "a * b";
        QTest::newRow("long asterisk password") << "Pwd=*****"
                                                << "pw *****"
                                                << "pw ***";
    }

    void masksEverySecret()
    {
        QFETCH(QString, connectionString);
        QFETCH(QString, message);
        QFETCH(QString, expected);
        QCOMPARE(connectionstring::masked(message, connectionstring::secretsOf(connectionString)),
                 expected);
    }
};

QTEST_GUILESS_MAIN(tst_ConnectionString)

#include "tst_connectionstring.moc"
