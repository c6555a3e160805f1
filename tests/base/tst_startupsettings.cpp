// The settings applied at start-up: the error log's place, the date format and
// separator from the settings file in the code page, or from a file the environment names.
#include "suiteframe/base/basBase.h"
#include "suiteframe/base/startupsettings_p.h"
#include "suiteframe/platform/codepage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <tuple>
#include <unistd.h>

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

    // A settings file others may write names a log only where they could write it
    // themselves; otherwise the default stays and the user is told, naming the setting.
    // The owner of a file may write it whatever its mode says, and whoever may write the
    // folder of a link on the way may put another link there.
    void logPathTrustedAsFarAsItsWriters_data()
    {
        QTest::addColumn<int>("settingsOwner");
        QTest::addColumn<int>("settingsMode");
        QTest::addColumn<bool>("linkedFromTheGroupsFolder");
        QTest::addColumn<int>("logFolderMode");
        QTest::addColumn<bool>("kept");
        const int root = 0;
        const int another = 65534; // nobody
        QTest::newRow("settings of the user's own, any log folder")
            << root << 0644 << false << 0755 << true;
        QTest::newRow("group's settings, log folder the group writes")
            << root << 0664 << false << 0775 << true;
        QTest::newRow("group's settings, log folder closed to it")
            << root << 0664 << false << 0755 << false;
        QTest::newRow("everyone's settings, log folder the group writes")
            << root << 0666 << false << 0775 << false;
        QTest::newRow("another user's settings, read-only")
            << another << 0444 << false << 0755 << false;
        QTest::newRow("the user's own settings, through a link in the group's folder")
            << root << 0644 << true << 0755 << false;
    }

    void logPathTrustedAsFarAsItsWriters()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to give the files a group of another user's");
        QFETCH(int, settingsOwner);
        QFETCH(int, settingsMode);
        QFETCH(bool, linkedFromTheGroupsFolder);
        QFETCH(int, logFolderMode);
        QFETCH(bool, kept);
        const gid_t group = 65534; // nogroup: users other than the tests' own
        const QString folder = m_dir.filePath(QStringLiteral("共用記錄"));
        const QString file = m_dir.filePath(QStringLiteral("共用設定.ini"));
        const QString linkFolder = m_dir.filePath(QStringLiteral("共用連結"));
        QVERIFY(QDir().mkpath(folder) && QDir().mkpath(linkFolder));
        writeSettings(QStringLiteral("[basBase]\r\nLogFilePath=%1/error.log\r\n").arg(folder), file);
        const QString link = linkFolder + QStringLiteral("/設定.ini");
        QFile::remove(link);
        QVERIFY(QFile::link(file, link));
        for (const auto &[path, owner, mode] : {std::tuple(folder, 0, logFolderMode),
                                                std::tuple(file, settingsOwner, settingsMode),
                                                std::tuple(linkFolder, 0, 0775)}) {
            QCOMPARE(::chown(QFile::encodeName(path).constData(), uid_t(owner), group), 0);
            QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
        }
        qputenv("SUITEFRAME_SETTINGS", (linkedFromTheGroupsFolder ? link : file).toUtf8());

        const QStringList notices = basBase::startup::applySettings();

        QCOMPARE(basBase::LogFilePath == folder + QStringLiteral("/error.log"), kept);
        QCOMPARE(notices.size(), kept ? 0 : 1);
        if (!kept) {
            QCOMPARE(basBase::LogFilePath, basBase::startup::defaultLogFilePath());
            QVERIFY(notices.first().contains(QStringLiteral("[basBase] LogFilePath")));
        }
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
