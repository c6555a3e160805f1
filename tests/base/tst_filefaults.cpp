// Settings files and the error log under the faults that offices meet: a file system
// that runs full or turns read-only (a small tmpfs and a loop-mounted ext4 image, made
// and unmounted by the test, which needs root for them) and writers killed in the
// middle of a write.

#include "suiteframe/base/basBase.h"
#include "suiteframe/base/failure.h"
#include "suiteframe/platform/runtimeerror.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype Page = 4096;

enum class Fault { NoBlockLeft, OnePageLeft, NoInodeLeft, ReadOnlyMount, ReadOnlyFile };

bool run(const QString &program, const QStringList &arguments, QString *error)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0)
        return true;
    *error = program + u": "_s + QString::fromLocal8Bit(process.readAll());
    return false;
}

// A file system of the test's own, mounted on a folder whose name holds a character
// outside the basic plane, and unmounted when the test ends.
class ScratchFileSystem
{
public:
    explicit ScratchFileSystem(const QTemporaryDir &dir)
        : m_root(dir.filePath(u"資料夾 𠀋"_s))
        , m_image(dir.filePath(u"ext4.img"_s))
    {}
    ~ScratchFileSystem()
    {
        if (m_mounted)
            QProcess::execute(u"umount"_s, {m_root});
    }

    bool mount(const QString &kind, QString *error)
    {
        QDir().mkpath(m_root);
        if (kind == u"tmpfs") {
            m_mounted
                = run(u"mount"_s,
                      {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=64k,nr_inodes=64"_s, u"tmpfs"_s, m_root},
                      error);
            return m_mounted;
        }
        QFile image(m_image);
        if (!image.open(QIODevice::WriteOnly) || !image.resize(8 << 20)) {
            *error = u"cannot make the image"_s;
            return false;
        }
        image.close();
        m_mounted
            = run(u"mkfs.ext4"_s,
                  {u"-q"_s, u"-F"_s, u"-b"_s, u"4096"_s, u"-m"_s, u"0"_s, u"-N"_s, u"64"_s, m_image},
                  error)
              && run(u"mount"_s, {u"-o"_s, u"loop"_s, m_image, m_root}, error);
        return m_mounted;
    }

    QString path(const QString &name) const { return m_root + u'/' + name; }

    // Injects the fault; what runs the file system full goes into files named filler*.
    void inject(Fault fault, const QString &file) const
    {
        switch (fault) {
        case Fault::NoInodeLeft:
            for (int i = 0; createEmpty(path(u"filler%1"_s.arg(i))); ++i) {
            }
            return;
        case Fault::ReadOnlyMount:
            QVERIFY(remount(u"ro"_s));
            return;
        case Fault::ReadOnlyFile:
            QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup));
            return;
        case Fault::NoBlockLeft:
        case Fault::OnePageLeft:
            break;
        }
        const QByteArray name = QFile::encodeName(path(u"filler"_s));
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const QByteArray block(Page, 'f');
        while (::write(fd, block.constData(), size_t(block.size())) == ssize_t(block.size())) {
        }
        ::fsync(fd);
        if (fault == Fault::OnePageLeft)
            QVERIFY(::ftruncate(fd, ::lseek(fd, 0, SEEK_END) / Page * Page - Page) == 0);
        ::close(fd);
    }

    void mend(Fault fault, const QString &file) const
    {
        if (fault == Fault::ReadOnlyMount)
            QVERIFY(remount(u"rw"_s));
        if (fault == Fault::ReadOnlyFile)
            QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
        const QDir root(m_root);
        for (const QString &name : root.entryList({u"filler*"_s}, QDir::Files))
            QFile::remove(root.filePath(name));
        ::sync();
    }

    QStringList filesOtherThanFillers() const
    {
        QStringList names = QDir(m_root).entryList(QDir::Files | QDir::Hidden | QDir::System);
        names.removeIf([](const QString &name) { return name.startsWith(u"filler"); });
        return names;
    }

private:
    bool remount(const QString &mode) const
    {
        QString error;
        return run(u"mount"_s, {u"-o"_s, u"remount,"_s + mode, m_root}, &error);
    }

    static bool createEmpty(const QString &path)
    {
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT, 0644);
        return fd >= 0 && ::close(fd) == 0;
    }

    QString m_root;
    QString m_image;
    bool m_mounted = false;
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Settings of about 3 KB: one page of the file system, which the next write outgrows.
QByteArray settingsOfOnePage()
{
    QByteArray bytes = "[設定]\r\n"_ba;
    for (int i = 0; bytes.size() < 3000; ++i)
        bytes += "鍵" + QByteArray::number(i) + "=資料夾 " + QByteArray(40, 'x') + "\r\n";
    return bytes;
}

void requireRoot()
{
    if (::geteuid() != 0)
        QSKIP("needs root to mount the file systems that run full");
}

void logOneRecord(const QString &procedure)
{
    failure::log(procedure, [] {
        throw platform::RuntimeError(platform::ErrorNumber::TypeMismatch, QString());
    });
}

} // namespace

class tst_FileFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void settingsFileIsTheOldOrTheWholeNew_data();
    void settingsFileIsTheOldOrTheWholeNew();
    void logHoldsOnlyWholeRecords_data();
    void logHoldsOnlyWholeRecords();
    void killedWritersLoseNothingAndLeaveNothing_data();
    void killedWritersLoseNothingAndLeaveNothing();

private:
    QTemporaryDir m_dir;
};

void tst_FileFaults::settingsFileIsTheOldOrTheWholeNew_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<Fault>("fault");
    for (const QString &kind : {u"tmpfs"_s, u"ext4"_s}) {
        QTest::addRow("%s, no block left", qPrintable(kind)) << kind << Fault::NoBlockLeft;
        QTest::addRow("%s, one page left", qPrintable(kind)) << kind << Fault::OnePageLeft;
        QTest::addRow("%s, no inode left", qPrintable(kind)) << kind << Fault::NoInodeLeft;
    }
    QTest::newRow("ext4 mounted read-only") << u"ext4"_s << Fault::ReadOnlyMount;
    // Root may write any file; one that nobody may write is left as it is all the same.
    QTest::newRow("read-only file") << u"tmpfs"_s << Fault::ReadOnlyFile;
}

void tst_FileFaults::settingsFileIsTheOldOrTheWholeNew()
{
    QFETCH(QString, kind);
    QFETCH(Fault, fault);
    requireRoot();
    ScratchFileSystem fileSystem(m_dir);
    QString error;
    QVERIFY2(fileSystem.mount(kind, &error), qPrintable(error));
    const QString settings = fileSystem.path(u"設定.ini"_s);
    const QByteArray old = settingsOfOnePage();
    writeAll(settings, old);
    const QString value = u"值𠀋"_s + QString(2000, u'v');

    fileSystem.inject(fault, settings);
    basBase::WriteIniValue(settings, u"設定"_s, u"新鍵"_s, value);
    QCOMPARE(readAll(settings), old);
    QCOMPARE(fileSystem.filesOtherThanFillers(), QStringList{u"設定.ini"_s});

    fileSystem.mend(fault, settings);
    basBase::WriteIniValue(settings, u"設定"_s, u"新鍵"_s, value);
    QCOMPARE(readAll(settings), old + (u"新鍵="_s + value + u"\r\n"_s).toUtf8());
    QCOMPARE(fileSystem.filesOtherThanFillers(), QStringList{u"設定.ini"_s});
}

void tst_FileFaults::logHoldsOnlyWholeRecords_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("tmpfs") << u"tmpfs"_s;
    QTest::newRow("ext4") << u"ext4"_s;
}

// The log ends 40 bytes before a page end and no block is left: the record's first 40
// bytes fit, the rest does not.
void tst_FileFaults::logHoldsOnlyWholeRecords()
{
    QFETCH(QString, kind);
    requireRoot();
    ScratchFileSystem fileSystem(m_dir);
    QString error;
    QVERIFY2(fileSystem.mount(kind, &error), qPrintable(error));
    basBase::LogFilePath = fileSystem.path(u"錯誤記錄.log"_s);
    const QByteArray earlier = QByteArray(2 * Page - 40, 'e');
    writeAll(basBase::LogFilePath, earlier);

    fileSystem.inject(Fault::NoBlockLeft, basBase::LogFilePath);
    logOneRecord(u"寫不下"_s);
    QCOMPARE(readAll(basBase::LogFilePath), earlier);

    fileSystem.mend(Fault::NoBlockLeft, basBase::LogFilePath);
    logOneRecord(u"寫得下"_s);
    const QByteArray log = readAll(basBase::LogFilePath);
    QVERIFY(log.startsWith(earlier));
    const QString record = QString::fromUtf8(log.mid(earlier.size()));
    QVERIFY2(record.startsWith(u"**記錄時間 - "_s) && record.contains(u"處理程序: (寫得下)\r\n"_s)
                 && record.endsWith(u"\r\n\r\n"_s) && record.count(u"**記錄時間"_s) == 1,
             qPrintable(record));
    basBase::LogFilePath.clear();
}

void tst_FileFaults::killedWritersLoseNothingAndLeaveNothing_data()
{
    QTest::addColumn<int>("paddingKeys");
    QTest::newRow("small file") << 10;
    QTest::newRow("large file") << 4000;
}

// A writer appends keys one after another until it is killed at a random moment, twenty
// times over; after each kill the file holds exactly the keys written before it, and the
// next writer clears what the killed ones left beside the file.
void tst_FileFaults::killedWritersLoseNothingAndLeaveNothing()
{
    QFETCH(int, paddingKeys);
    const QDir folder(m_dir.filePath(u"被中斷 𠀋"_s));
    QVERIFY(folder.mkpath(u"."_s));
    const QString settings = folder.filePath(u"設定.ini"_s);
    QByteArray expected = "[S]\r\n"_ba;
    for (int i = 0; i < paddingKeys; ++i)
        expected += "pad" + QByteArray::number(i) + "=" + QByteArray(60, 'p') + "\r\n";
    writeAll(settings, expected);
    const auto line = [](int key) {
        return "鍵" + QByteArray::number(key) + "=值" + QByteArray::number(key * 7) + "\r\n";
    };

    int written = 0;
    for (int kill = 0; kill < 20; ++kill) {
        const pid_t writer = ::fork();
        if (writer == 0) {
            for (int key = written;; ++key)
                basBase::WriteIniValue(settings, u"S"_s, u"鍵%1"_s.arg(key), u"值%1"_s.arg(key * 7));
        }
        QVERIFY(writer > 0);
        QThread::usleep(QRandomGenerator::global()->bounded(2000, 30000));
        ::kill(writer, SIGKILL);
        QCOMPARE(::waitpid(writer, nullptr, 0), writer);

        const QByteArray content = readAll(settings);
        while (content.size() > expected.size() && content.startsWith(expected + line(written)))
            expected += line(written++);
        QCOMPARE(content, expected);
    }
    basBase::WriteIniValue(settings, u"S"_s, u"鍵%1"_s.arg(written), u"值%1"_s.arg(written * 7));
    QCOMPARE(readAll(settings), expected + line(written));
    QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList{u"設定.ini"_s});
}

QTEST_GUILESS_MAIN(tst_FileFaults)
#include "tst_filefaults.moc"
