// Two clerks of one group sharing a folder for the suite's settings files and error
// log (group-writable, setgid, not sticky): what the one plants there or in folders of
// her own (symbolic and hard links to the other's files, FIFOs, held locks, a link
// swapped in while the other writes, a settings file naming her files, read-only or not)
// never leads the other's program to write her files, to wait without end, or to lose
// a setting without a word. Two real users are made by the test, which
// needs root for them, and removed again.

#include "suiteframe/base/basBase.h"
#include "suiteframe/base/failure.h"
#include "suiteframe/base/startupsettings_p.h"
#include "suiteframe/platform/runtimeerror.h"
#include "suiteframe/platform/sharedfolder_p.h"
#include "support/desktopcapture.h"
#include "support/ordinaryuser.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString Group = u"sfoffice"_s;
const QString Planter = u"sfclerka"_s; // the clerk who plants
const QString Victim = u"sfclerkb"_s;  // the clerk whose files are aimed at

// What the planting clerk leaves in the shared folder under the row's name.
enum class Plant {
    LinkToVictim,         // a symbolic link to the victim's file
    DanglingLinkToVictim, // the same, to a file of hers that does not exist yet
    HardLinkToVictim,     // a second name of her file (where hard links are not protected)
    Fifo,                 // a named pipe
    HeldLock,             // a regular file that the planter holds an flock() on
    SwapWhileWriting,     // a regular settings file, swapped for a link as she writes
    SettingsNamingVictim, // a shared settings file whose LogFilePath names her file
    LinkFromHerFolder,    // a symbolic link to the victim's file, in a folder of the planter's
    HerReadOnlySettings,  // settings naming the victim's file, read-only in a read-only
                          // folder of the planter's (her home, say) outside the shared one
    HersInStickyFolder,   // a settings file the group may write, the planter's, the shared
                          // folder made sticky: the victim may write it but not replace it
};

// What the victim's program does.
enum class Act { ReportError, LogError, WriteIniValue };

bool run(const QString &program, const QStringList &arguments)
{
    return QProcess::execute(program, arguments) == 0;
}

struct Account
{
    uid_t user = 0;
    gid_t group = 0;
};

Account accountOf(const QString &name)
{
    const passwd *entry = ::getpwnam(name.toLocal8Bit().constData());
    return entry ? Account{entry->pw_uid, entry->pw_gid} : Account{};
}

// Writes the text to the descriptor, whole.
void say(int fd, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n <= 0)
            return;
        written += n;
    }
}

QString drain(int fd)
{
    QByteArray bytes;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, n);
    return QString::fromUtf8(bytes);
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

class tst_SharedFolder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void plantedFilesReachNoOtherClerk_data();
    void plantedFilesReachNoOtherClerk();

private:
    QString shared(const QString &name) const { return m_shared + u'/' + name; }
    QString victimFile(const QString &name) const { return m_victimHome + u'/' + name; }
    void plant(Plant plant, const QString &name, const QString &target);
    void startSwapper(const QString &name, const QString &target);
    QString actAsVictim(Act act, const QString &name, bool *ended);

    QTemporaryDir m_dir;
    QString m_shared;
    QString m_victimHome;
    Account m_planter;
    Account m_victim;
    gid_t m_office = 0;
    QList<pid_t> m_helpers;
};

void tst_SharedFolder::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("two clerks are made as users of the machine, which needs root");
    QVERIFY(m_dir.isValid());
    QVERIFY(QFile::setPermissions(m_dir.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                      | QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup
                                      | QFile::ExeGroup));
    m_victimHome = m_dir.filePath(u"家 %1"_s.arg(Victim));
    run(u"groupadd"_s, {Group});
    for (const QString &clerk : {Planter, Victim}) {
        run(u"useradd"_s,
            {u"-M"_s, u"-g"_s, Group, u"-d"_s, m_dir.filePath(clerk), u"-s"_s, u"/bin/sh"_s, clerk});
    }
    m_planter = accountOf(Planter);
    m_victim = accountOf(Victim);
    const group *office = ::getgrnam(Group.toLocal8Bit().constData());
    QVERIFY2(office && m_planter.user != 0 && m_victim.user != 0, "cannot make the two clerks");
    m_office = office->gr_gid;
}

void tst_SharedFolder::cleanupTestCase()
{
    if (::geteuid() != 0)
        return;
    for (const QString &clerk : {Planter, Victim})
        run(u"userdel"_s, {clerk});
    run(u"groupdel"_s, {Group});
}

// A shared folder of the office's (root's, group-writable, setgid) with a character
// outside the basic plane in its name, and the victim's home with the files that
// matter to her.
void tst_SharedFolder::init()
{
    m_shared = m_dir.filePath(u"共用 𠀋"_s);
    QDir(m_shared).removeRecursively();
    QDir(m_dir.filePath(u"她的家"_s)).removeRecursively();
    QDir(m_victimHome).removeRecursively();
    QVERIFY(QDir().mkpath(m_shared) && QDir().mkpath(m_victimHome + u"/.ssh"_s));
    QVERIFY(::chown(QFile::encodeName(m_shared).constData(), 0, m_office) == 0);
    QVERIFY(::chmod(QFile::encodeName(m_shared).constData(), 02775) == 0);
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile file(victimFile(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write(u".profile"_s, "# ~/.profile\nexport PATH=\"$HOME/bin:$PATH\"\n");
    write(u".ssh/authorized_keys"_s, "ssh-ed25519 AAAAC3Nza the-victims-own-key\n");
    QVERIFY(run(u"chown"_s, {u"-R"_s, Victim + u':' + Group, m_victimHome}));
    QVERIFY(QFile::setPermissions(victimFile(u".ssh"_s),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void tst_SharedFolder::cleanup()
{
    for (pid_t helper : std::as_const(m_helpers))
        exitCodeOf(helper, 0);
    m_helpers.clear();
}

void tst_SharedFolder::plantedFilesReachNoOtherClerk_data()
{
    QTest::addColumn<Plant>("plant");
    QTest::addColumn<QString>("name");   // in the shared folder
    QTest::addColumn<QString>("target"); // in the victim's home
    QTest::addColumn<Act>("act");

    QTest::newRow("log linked to ~/.profile")
        << Plant::LinkToVictim << u"error.log"_s << u".profile"_s << Act::ReportError;
    QTest::newRow("log linked to ~/.ssh/authorized_keys, logged quietly")
        << Plant::LinkToVictim << u"error.log"_s << u".ssh/authorized_keys"_s << Act::LogError;
    QTest::newRow("settings linked to ~/.profile")
        << Plant::LinkToVictim << u"staff.ini"_s << u".profile"_s << Act::WriteIniValue;
    QTest::newRow("log linked to a missing ~/.bash_profile")
        << Plant::DanglingLinkToVictim << u"error.log"_s << u".bash_profile"_s << Act::ReportError;
    QTest::newRow("settings linked to a missing ~/.bash_login")
        << Plant::DanglingLinkToVictim << u"staff.ini"_s << u".bash_login"_s << Act::WriteIniValue;
    QTest::newRow("log a hard link of ~/.profile")
        << Plant::HardLinkToVictim << u"error.log"_s << u".profile"_s << Act::ReportError;
    QTest::newRow("settings a hard link of ~/.profile")
        << Plant::HardLinkToVictim << u"staff.ini"_s << u".profile"_s << Act::WriteIniValue;
    QTest::newRow("log a FIFO") << Plant::Fifo << u"error.log"_s << QString() << Act::ReportError;
    QTest::newRow("settings lock a FIFO")
        << Plant::Fifo << u"staff.ini.lock"_s << QString() << Act::WriteIniValue;
    QTest::newRow("log held locked")
        << Plant::HeldLock << u"error.log"_s << QString() << Act::ReportError;
    QTest::newRow("settings lock held")
        << Plant::HeldLock << u"staff.ini.lock"_s << QString() << Act::WriteIniValue;
    QTest::newRow("settings swapped for a link to ~/.profile while written")
        << Plant::SwapWhileWriting << u"staff.ini"_s << u".profile"_s << Act::WriteIniValue;
    QTest::newRow("shared settings name ~/.profile as the log")
        << Plant::SettingsNamingVictim << u"suiteframe.ini"_s << u".profile"_s << Act::ReportError;
    QTest::newRow("log linked to ~/.profile from a folder of hers")
        << Plant::LinkFromHerFolder << u"她的/error.log"_s << u".profile"_s << Act::ReportError;
    QTest::newRow("settings linked to ~/.ssh/authorized_keys from a folder of hers")
        << Plant::LinkFromHerFolder << u"她的/staff.ini"_s << u".ssh/authorized_keys"_s
        << Act::WriteIniValue;
    QTest::newRow("settings of hers the group writes, in a sticky folder")
        << Plant::HersInStickyFolder << u"staff.ini"_s << QString() << Act::WriteIniValue;
    QTest::newRow("her read-only settings name ~/.profile as the log")
        << Plant::HerReadOnlySettings << u"../她的家/suiteframe.ini"_s << u".profile"_s
        << Act::ReportError;
}

void tst_SharedFolder::plantedFilesReachNoOtherClerk()
{
    QFETCH(Plant, plant);
    QFETCH(QString, name);
    QFETCH(QString, target);
    QFETCH(Act, act);
    const QStringList herFiles{u".profile"_s, u".ssh/authorized_keys"_s};
    QList<QByteArray> before;
    for (const QString &file : herFiles)
        before << contentOf(victimFile(file));

    this->plant(plant, name, target);
    bool ended = false;
    const QString said = actAsVictim(act, name, &ended);

    QVERIFY2(ended, "the victim's program did not answer");
    for (qsizetype i = 0; i < herFiles.size(); ++i)
        QVERIFY2(contentOf(victimFile(herFiles[i])) == before[i], qPrintable(herFiles[i]));
    QVERIFY(!QFile::exists(victimFile(u".bash_profile"_s)));
    QVERIFY(!QFile::exists(victimFile(u".bash_login"_s)));
    if (plant == Plant::SwapWhileWriting) {
        // The swap was made while she wrote; her write went to the folder's entry.
        QCOMPARE(exitCodeOf(m_helpers.takeLast(), 5), 0);
        return;
    }
    // She is told which file and why; the record she reported is in her own log.
    const bool settingsPlanted = plant == Plant::SettingsNamingVictim
                                 || plant == Plant::HerReadOnlySettings;
    const QString named = settingsPlanted ? u"LogFilePath"_s : shared(name);
    QVERIFY2(said.contains(named), qPrintable(said));
    if (act != Act::WriteIniValue)
        QVERIFY2(contentOf(victimFile(u".local/state/suiteframe/error.log"_s))
                     .contains(u"處理程序: (fmStaff_Save)"_s.toUtf8()),
                 qPrintable(said));
}

void tst_SharedFolder::plant(Plant plant, const QString &name, const QString &target)
{
    const QString path = shared(name);
    const QByteArray native = QFile::encodeName(path);
    const QByteArray targetPath = QFile::encodeName(victimFile(target));
    switch (plant) {
    case Plant::LinkToVictim:
    case Plant::DanglingLinkToVictim:
        QCOMPARE(exitCodeOf(startAsUser(m_planter.user,
                                        m_office,
                                        [&] { return ::symlink(targetPath, native); })),
                 0);
        break;
    case Plant::HardLinkToVictim:
        // As a machine without protected hard links lets any clerk do.
        QVERIFY(::link(targetPath, native) == 0);
        break;
    case Plant::Fifo:
        QCOMPARE(exitCodeOf(startAsUser(m_planter.user,
                                        m_office,
                                        [&] {
                                            return ::mkfifo(native, 0666) == 0
                                                       ? ::chmod(native, 0666)
                                                       : 1;
                                        })),
                 0);
        break;
    case Plant::HeldLock: {
        int ready[2];
        QVERIFY(::pipe(ready) == 0);
        m_helpers << startAsUser(m_planter.user, m_office, [&] {
            ::umask(002);
            const int fd = ::open(native, O_RDWR | O_CREAT, 0664);
            if (fd < 0 || ::flock(fd, LOCK_EX) != 0)
                return 1;
            say(ready[1], u"held"_s);
            ::close(ready[1]);
            ::pause();
            return 0;
        });
        ::close(ready[1]);
        QCOMPARE(drain(ready[0]), u"held"_s);
        ::close(ready[0]);
        break;
    }
    case Plant::LinkFromHerFolder:
        QCOMPARE(exitCodeOf(startAsUser(m_planter.user,
                                        m_office,
                                        [&] {
                                            const QByteArray folder = native.left(
                                                native.lastIndexOf('/'));
                                            return ::mkdir(folder, 0755) == 0
                                                       ? ::symlink(targetPath, native)
                                                       : 1;
                                        })),
                 0);
        break;
    case Plant::HerReadOnlySettings: {
        const QByteArray folder = native.left(native.lastIndexOf('/'));
        QVERIFY(::mkdir(folder, 0755) == 0 && ::chown(folder, m_planter.user, m_office) == 0);
        QCOMPARE(exitCodeOf(
                     startAsUser(m_planter.user,
                                 m_office,
                                 [&] {
                                     QFile file(path);
                                     if (!file.open(QIODevice::WriteOnly))
                                         return 1;
                                     file.write("[basBase]\r\nLogFilePath=" + targetPath + "\r\n");
                                     file.close();
                                     return ::chmod(native, 0444) == 0 ? ::chmod(folder, 0555) : 1;
                                 })),
                 0);
        break;
    }
    case Plant::HersInStickyFolder:
        QVERIFY(::chmod(QFile::encodeName(m_shared).constData(), 03775) == 0);
        QCOMPARE(exitCodeOf(
                     startAsUser(m_planter.user,
                                 m_office,
                                 [&] {
                                     ::umask(002);
                                     QFile file(path);
                                     return file.open(QIODevice::WriteOnly)
                                                    && file.write("[Staff]\r\nLastId=A000\r\n") > 0
                                                ? 0
                                                : 1;
                                 })),
                 0);
        break;
    case Plant::SwapWhileWriting:
        startSwapper(name, target);
        break;
    case Plant::SettingsNamingVictim:
        QCOMPARE(exitCodeOf(startAsUser(m_planter.user,
                                        m_office,
                                        [&] {
                                            ::umask(002);
                                            QFile file(path);
                                            if (!file.open(QIODevice::WriteOnly))
                                                return 1;
                                            file.write("[basBase]\r\nLogFilePath=" + targetPath
                                                       + "\r\n");
                                            return 0;
                                        })),
                 0);
        break;
    }
}

// The planter's settings file, and a watcher of hers that swaps it for a link to the
// victim's file the moment the victim's writer makes its temporary file beside it.
void tst_SharedFolder::startSwapper(const QString &name, const QString &target)
{
    const QByteArray native = QFile::encodeName(shared(name));
    const QByteArray folder = QFile::encodeName(m_shared);
    const QByteArray link = native + ".swap";
    const QByteArray targetPath = QFile::encodeName(victimFile(target));
    int ready[2];
    QVERIFY(::pipe(ready) == 0);
    m_helpers << startAsUser(m_planter.user, m_office, [&] {
        ::umask(002);
        QFile file(QFile::decodeName(native));
        if (!file.open(QIODevice::WriteOnly) || ::symlink(targetPath, link) != 0)
            return 1;
        file.write("[Staff]\r\nLastId=A000\r\n");
        file.close();
        const int watch = ::inotify_init1(0);
        if (watch < 0 || ::inotify_add_watch(watch, folder, IN_CREATE) < 0)
            return 1;
        say(ready[1], u"watching"_s);
        ::close(ready[1]);
        alignas(inotify_event) char events[4096];
        for (;;) {
            const ssize_t got = ::read(watch, events, sizeof events);
            for (ssize_t at = 0; at < got;) {
                const auto *event = reinterpret_cast<const inotify_event *>(events + at);
                if (event->len > 0 && QByteArray(event->name).startsWith(name.toUtf8() + ".tmp-"))
                    return ::rename(link, native) == 0 ? 0 : 1;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
            if (got <= 0)
                return 1;
        }
    });
    ::close(ready[1]);
    QCOMPARE(drain(ready[0]), u"watching"_s);
    ::close(ready[0]);
}

// Runs the victim's program's step as the victim, in her own home, and answers what she
// was told: the warning boxes, what the step threw and her standard error. ended says
// whether the step ended within three times the bound of a lock wait.
QString tst_SharedFolder::actAsVictim(Act act, const QString &name, bool *ended)
{
    int told[2];
    if (::pipe(told) != 0)
        return QString();
    const QString path = shared(name);
    const pid_t clerk = startAsUser(m_victim.user, m_office, [&] {
        ::dup2(told[1], STDERR_FILENO);
        qputenv("HOME", QFile::encodeName(m_victimHome));
        qputenv("XDG_STATE_HOME", QFile::encodeName(victimFile(u".local/state"_s)));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(victimFile(u".config"_s)));
        const bool sharedSettings = name.endsWith(u"suiteframe.ini"_s);
        qputenv("SUITEFRAME_SETTINGS",
                QFile::encodeName(sharedSettings ? path : victimFile(u"none.ini"_s)));
        const DesktopCapture desktop;
        QStringList notices = basBase::startup::applySettings();
        if (name.endsWith(u"error.log"_s))
            basBase::LogFilePath = path;
        const auto failed = failure::capture([&] {
            if (act == Act::WriteIniValue) {
                basBase::WriteIniValue(path.chopped(path.endsWith(u".lock"_s) ? 5 : 0),
                                       u"Staff"_s,
                                       u"LastId"_s,
                                       u"A001"_s);
                return;
            }
            platform::Err().set(platform::RuntimeError(5, u"存檔失敗"_s));
            if (act == Act::ReportError)
                basBase::ReportError(platform::Value(u"fmStaff_Save"_s));
            else
                basBase::LogError(platform::Value(u"fmStaff_Save"_s));
        });
        for (const DesktopCapture::Warning &warning : desktop.warnings)
            notices << warning.text;
        if (failed)
            notices << failed->description;
        say(told[1], notices.join(u'\n'));
        return 0;
    });
    ::close(told[1]);
    const int seconds = 3 * platform::sharedfolder::LockWaitSeconds;
    *ended = exitCodeOf(clerk, seconds) == 0;
    const QString said = drain(told[0]);
    ::close(told[0]);
    return said;
}

QTEST_GUILESS_MAIN(tst_SharedFolder)

#include "tst_sharedfolder.moc"
