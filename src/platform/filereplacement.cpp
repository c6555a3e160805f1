// Replacing a file whole through a synced temporary file, and clearing the temporary
// files of writers that were killed.

#include "suiteframe/platform/filereplacement_p.h"

#include "suiteframe/platform/regularfile_p.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <optional>
#include <utility>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::filereplacement {

namespace {

constexpr int NameLength = 6;

const QByteArray TemporarySuffix = QByteArrayLiteral(".tmp-");

bool isNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The file a chain of symbolic links ends at; the path itself for a missing file or a
// chain that does not end.
QString resolvedTarget(const QString &path)
{
    QFileInfo file(path);
    for (int depth = 0; depth < 128 && file.isSymLink(); ++depth)
        file.setFile(file.symLinkTarget());
    return file.isSymLink() ? path : file.filePath();
}

QByteArray folderOf(const QByteArray &nativePath)
{
    const qsizetype slash = nativePath.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : nativePath.left(slash);
}

// The replacement needs only the folder's permission, so the file's own is asked for.
// Root passes every permission check, so a file that no one may write (as a read-only
// file on Windows) is also left alone.
bool mayWrite(const QByteArray &nativePath)
{
    struct stat status
    {};
    if (::stat(nativePath.constData(), &status) != 0)
        return errno == ENOENT;
    return S_ISREG(status.st_mode) && (status.st_mode & 0222) != 0
           && ::faccessat(AT_FDCWD, nativePath.constData(), W_OK, AT_EACCESS) == 0;
}

// The new file takes the old one's mode and group, so that every user who could read
// and write it before still can, whatever the writer's umask and primary group.
void keepModeAndGroup(const QByteArray &nativePath, int newFile)
{
    struct stat old
    {};
    if (::stat(nativePath.constData(), &old) != 0)
        return;
    ::fchmod(newFile, old.st_mode & 07777 & ~mode_t(S_ISUID | S_ISGID));
    if (::fchown(newFile, uid_t(-1), old.st_gid) != 0)
        return; // a group the writer is no member of stays the writer's own
}

bool syncDescriptor(int fd)
{
    int result;
    do
        result = ::fsync(fd);
    while (result != 0 && errno == EINTR);
    // File systems that cannot sync a folder say EINVAL; there is nothing to wait for.
    return result == 0 || errno == EINVAL;
}

// After a rename the folder's entry is what must reach the disk, or a power cut could
// bring back the old entry, or none.
bool syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = syncDescriptor(fd);
    ::close(fd);
    return synced;
}

// A temporary file beside the target, created with the mode the umask gives a new file,
// locked against cleaners while it is written, and removed unless it was renamed.
class TemporaryFile
{
public:
    explicit TemporaryFile(const QByteArray &nativeTarget)
    {
        for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
            m_path = nativeTarget + TemporarySuffix + randomName();
            m_fd = ::open(m_path.constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY,
                          0666);
            if (m_fd < 0 && errno != EEXIST)
                return;
        }
        m_exists = m_fd >= 0;
        if (m_exists)
            ::flock(m_fd, LOCK_EX | LOCK_NB);
    }

    ~TemporaryFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (m_exists)
            ::unlink(m_path.constData());
    }

    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int descriptor() const { return m_fd; }

    // Every byte on the device, and the file closed without an error: some file
    // systems report a failed write only there.
    bool writeAndSync(const QByteArray &content)
    {
        if (!regularfile::writeAll(m_fd, content) || !syncDescriptor(m_fd))
            return false;
        return ::close(std::exchange(m_fd, -1)) == 0;
    }

    bool renameTo(const QByteArray &nativeTarget)
    {
        if (::rename(m_path.constData(), nativeTarget.constData()) != 0)
            return false;
        m_exists = false;
        return true;
    }

private:
    static QByteArray randomName()
    {
        static const char letters[]
            = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        QByteArray name(NameLength, Qt::Uninitialized);
        for (char &c : name)
            c = letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
        return name;
    }

    QByteArray m_path;
    int m_fd = -1;
    bool m_exists = false;
};

} // namespace

bool replace(const QString &path, const QByteArray &content)
{
    const std::optional<QByteArray> target = regularfile::nativePath(resolvedTarget(path));
    if (!target || !mayWrite(*target))
        return false;
    TemporaryFile file(*target);
    if (!file.isOpen())
        return false;
    keepModeAndGroup(*target, file.descriptor());
    return file.writeAndSync(content) && file.renameTo(*target) && syncFolder(folderOf(*target));
}

void removeAbandoned(const QString &path)
{
    if (const auto target = regularfile::nativePath(resolvedTarget(path)))
        removeUnheldDrafts(*target + TemporarySuffix);
}

void removeUnheldDrafts(const QByteArray &nativePrefix)
{
    const QByteArray folder = folderOf(nativePrefix);
    const QByteArray namePrefix = nativePrefix.mid(nativePrefix.lastIndexOf('/') + 1);
    DIR *listing = ::opendir(folder.constData());
    if (!listing)
        return;
    const int folderFd = ::dirfd(listing);
    while (const dirent *entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        if (name.size() != namePrefix.size() + NameLength || !name.startsWith(namePrefix)
            || !std::all_of(name.cend() - NameLength, name.cend(), isNameCharacter))
            continue;
        const int fd = ::openat(folderFd,
                                name.constData(),
                                O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            continue;
        struct stat held
        {};
        struct stat current
        {};
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0
            && ::fstatat(folderFd, name.constData(), &current, AT_SYMLINK_NOFOLLOW) == 0
            && held.st_dev == current.st_dev && held.st_ino == current.st_ino)
            ::unlinkat(folderFd, name.constData(), 0);
        ::close(fd);
    }
    ::closedir(listing);
}

} // namespace platform::filereplacement
