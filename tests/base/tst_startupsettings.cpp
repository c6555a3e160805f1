// The settings applied at start-up: the error log's place, the date format and
// separator from the settings file in the code page, or from a file the environment names.
#include "suiteframe/base/basBase.h"
#include "suiteframe/base/startupsettings_p.h"
#include "suiteframe/platform/codepage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_StartupSettings : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
        qputenv("XDG_STATE_HOME", m_dir.filePath(QStringLiteral("state")).toUtf8());
        qunsetenv("SUITEFRAME_SETTINGS");
    }

    void cleanup()
    {
        basBase::LogFilePath.clear();
        basBase::DateDispFormat.clear();
        basBase::DateSeparator.clear();
        platform::codepage::setName(QString());
    }

    void withoutAFileTheLogGoesToTheStateFolder()
    {
        basBase::startup::applySettings();
        const QString expected = m_dir.filePath(QStringLiteral("state/suiteframe/error.log"));
        QCOMPARE(basBase::LogFilePath, expected);
        QVERIFY(QFileInfo(expected).dir().exists());
        QVERIFY(basBase::DateDispFormat.isEmpty());
        QVERIFY(basBase::DateSeparator.isEmpty());
    }

    void settingsFileFillsTheThreeSettings_data()
    {
        QTest::addColumn<QString>("codePage");
        QTest::newRow("UTF-8") << "UTF-8";
        QTest::newRow("Big5") << "BIG5";
    }

    void settingsFileFillsTheThreeSettings()
    {
        QFETCH(QString, codePage);
        platform::codepage::setName(codePage);
        // A log path longer than 127 bytes, with Chinese folder names, is kept whole.
        const QString logPath = QStringLiteral("/srv/共用資料夾/錯誤記錄/")
                                + QString(100, QLatin1Char('x'))
                                + QStringLiteral("/系統錯誤記錄檔.log");
        QVERIFY(platform::codepage::fromUnicode(logPath).size() > 127);
        writeSettings(
            QStringLiteral(
                "[basBase]\r\nLogFilePath = %1\r\nDateDispFormat=\"yyyy/mm/dd, hh:nn\"\r\n"
                "; the separator of the assembled layouts\r\nDateSeparator=.\r\n")
                .arg(logPath),
            m_dir.filePath(QStringLiteral("config/suiteframe/suiteframe.ini")));

        basBase::startup::applySettings();
        QCOMPARE(basBase::LogFilePath, logPath);
        QCOMPARE(basBase::DateDispFormat, QStringLiteral("yyyy/mm/dd, hh:nn"));
        QCOMPARE(basBase::DateSeparator, QStringLiteral("."));
    }

    void environmentNamesAnotherFile()
    {
        const QString file = m_dir.filePath(QStringLiteral("elsewhere.ini"));
        writeSettings(QStringLiteral("[BASBASE]\nDateSeparator=-\n"), file);
        qputenv("SUITEFRAME_SETTINGS", file.toUtf8());
        basBase::startup::applySettings();
        QCOMPARE(basBase::DateSeparator, QStringLiteral("-"));
    }

private:
    void writeSettings(const QString &text, const QString &path)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(platform::codepage::fromUnicode(text));
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_StartupSettings)

#include "tst_startupsettings.moc"
