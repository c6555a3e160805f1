// The running program's description: its file, name, folder and title, and its version.
#include "suiteframe/platform/appinfo.h"
#include "support/buildversion.h"

#include <QCoreApplication>
#include <QTest>

class tst_AppInfo : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCoreApplication::setApplicationVersion(QString()); }

    void describesThisProcess()
    {
        const platform::AppInfo app = platform::AppInfo::current();
        QCOMPARE(app.programFile, QCoreApplication::applicationFilePath());
        QCOMPARE(app.exeName(), QStringLiteral("tst_appinfo"));
        QCOMPARE(app.path(), QCoreApplication::applicationDirPath());
        QCOMPARE(app.title, QCoreApplication::applicationName());
    }

    void versionComesFromTheBuildUnlessTheApplicationSaysOtherwise_data()
    {
        QTest::addColumn<QString>("applicationVersion");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("none: the build's") << "" << buildversion::numbers();
        QTest::newRow("three numbers") << "2.10.3" << QList<int>{2, 10, 3};
        QTest::newRow("two numbers: the build's") << "2.10" << buildversion::numbers();
        QTest::newRow("not numbers: the build's") << "a.b.c" << buildversion::numbers();
    }

    void versionComesFromTheBuildUnlessTheApplicationSaysOtherwise()
    {
        QFETCH(QString, applicationVersion);
        QFETCH(QList<int>, expected);
        QCoreApplication::setApplicationVersion(applicationVersion);
        const platform::AppInfo app = platform::AppInfo::current();
        QCOMPARE((QList<int>{app.major, app.minor, app.revision}), expected);
    }
};

QTEST_GUILESS_MAIN(tst_AppInfo)

#include "tst_appinfo.moc"
