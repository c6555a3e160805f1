// Replacing a file whole through a synced temporary file, and clearing the temporary
// files of writers that were killed.

#include "suiteframe/platform/filereplacement_p.h"

#include "suiteframe/platform/regularfile_p.h"

#include <QRandomGenerator>

#include <algorithm>
#include <utility>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::filereplacement {

namespace {

using sharedfolder::Descriptor;

constexpr int NameLength = 6;

const QByteArray TemporarySuffix = QByteArrayLiteral(".tmp-");

bool isNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

QByteArray randomName()
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray name(NameLength, Qt::Uninitialized);
    for (char &c : name)
        c = letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    return name;
}

// The replacement needs only the folder's permission, so the file's own is asked for:
// the file opens for writing. Root passes every permission check, so a file that no
// one may write (as a read-only file on Windows) is also left alone.
bool mayWrite(const sharedfolder::Location &location, int old)
{
    struct stat status
    {};
    if (::fstat(old, &status) != 0 || (status.st_mode & 0222) == 0)
        return false;
    return sharedfolder::openFile(location, O_WRONLY).isOpen();
}

// The new file takes the old one's mode and group, so that every user who could read
// and write it before still can, whatever the writer's umask and primary group. It was
// made open to the writer alone, and the group is set before the mode, so that nobody
// who could not read the old file opens the new one meanwhile. A group the writer is no
// member of stays the writer's own, which then gets what everyone else gets.
void keepModeAndGroup(int old, int newFile)
{
    struct stat status
    {};
    if (::fstat(old, &status) != 0)
        return;
    mode_t mode = status.st_mode & 07777 & ~mode_t(S_ISUID | S_ISGID);
    if (::fchown(newFile, uid_t(-1), status.st_gid) != 0)
        mode = (mode & ~mode_t(S_IRWXG)) | ((mode & S_IRWXO) << 3);
    ::fchmod(newFile, mode);
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
bool syncFolder(int folder)
{
    const Descriptor readable(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return readable.isOpen() && syncDescriptor(readable.get());
}

// A temporary file beside the target, locked against cleaners while it is written, and
// removed unless it was renamed.
class TemporaryFile
{
public:
    TemporaryFile(const sharedfolder::Location &target, mode_t mode)
        : m_folder(target.folder.get())
        , m_file(createDraft(m_folder, target.name + TemporarySuffix, mode, &m_name))
    {
        if (!m_file.isOpen())
            m_name.clear();
    }

    ~TemporaryFile()
    {
        if (!m_name.isEmpty())
            ::unlinkat(m_folder, m_name.constData(), 0);
    }

    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    bool isOpen() const { return m_file.isOpen(); }
    int descriptor() const { return m_file.get(); }

    // Every byte on the device, and the file closed without an error: some file
    // systems report a failed write only there.
    bool writeAndSync(const QByteArray &content)
    {
        if (!regularfile::writeAll(m_file.get(), content) || !syncDescriptor(m_file.get()))
            return false;
        return ::close(m_file.release()) == 0;
    }

    bool renameTo(const QByteArray &name)
    {
        if (::renameat(m_folder, m_name.constData(), m_folder, name.constData()) != 0)
            return false;
        m_name.clear();
        return true;
    }

private:
    int m_folder;
    QByteArray m_name;
    Descriptor m_file;
};

// In a sticky folder only a file's owner, the folder's and root may rename over it: a
// shared settings file another clerk made there could be written by the group, but
// never replaced, and the setting would be lost without a word.
void requireReplaceable(const sharedfolder::Location &location, int old)
{
    struct stat file
    {};
    struct stat folder
    {};
    const uid_t me = ::geteuid();
    if (::fstat(old, &file) != 0 || ::fstat(location.folder.get(), &folder) != 0 || me == 0
        || !(folder.st_mode & S_ISVTX) || file.st_uid == me || folder.st_uid == me)
        return;
    sharedfolder::refuse(location.path,
                         QStringLiteral("資料夾設有黏著位元（sticky），只有檔案的擁有者能替換它"));
}

} // namespace

bool replace(const sharedfolder::Location &location, int old, const QByteArray &content)
{
    if (old >= 0 ? !mayWrite(location, old) : location.namedByLink)
        return false;
    if (old >= 0)
        requireReplaceable(location, old);
    // The old file's successor opens to the writer alone until it has the old one's mode.
    TemporaryFile file(location, old >= 0 ? 0600 : 0666);
    if (!file.isOpen())
        return false;
    if (old >= 0)
        keepModeAndGroup(old, file.descriptor());
    if (!file.writeAndSync(content) || !file.renameTo(location.name))
        return false;
    // Replaced: a folder that cannot be synced leaves the entry to the next sync.
    syncFolder(location.folder.get());
    return true;
}

void removeAbandoned(const sharedfolder::Location &location)
{
    removeUnheldDrafts(location.folder.get(), location.name + TemporarySuffix);
}

Descriptor createDraft(int folder, const QByteArray &prefix, mode_t mode, QByteArray *name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = prefix + randomName();
        Descriptor draft(::openat(folder,
                                  name->constData(),
                                  O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY,
                                  mode));
        if (draft.isOpen()) {
            ::flock(draft.get(), LOCK_EX | LOCK_NB);
            return draft;
        }
        if (errno != EEXIST)
            break;
    }
    return Descriptor();
}

void removeUnheldDrafts(int folder, const QByteArray &prefix)
{
    const int readable = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (readable < 0)
        return;
    DIR *listing = ::fdopendir(readable);
    if (!listing) {
        ::close(readable);
        return;
    }
    while (const dirent *entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        if (name.size() != prefix.size() + NameLength || !name.startsWith(prefix)
            || !std::all_of(name.cend() - NameLength, name.cend(), isNameCharacter))
            continue;
        const Descriptor draft(::openat(folder,
                                        name.constData(),
                                        O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
        if (!draft.isOpen())
            continue;
        struct stat held
        {};
        struct stat current
        {};
        if (::fstat(draft.get(), &held) == 0 && S_ISREG(held.st_mode)
            && ::flock(draft.get(), LOCK_EX | LOCK_NB) == 0
            && ::fstatat(folder, name.constData(), &current, AT_SYMLINK_NOFOLLOW) == 0
            && held.st_dev == current.st_dev && held.st_ino == current.st_ino)
            ::unlinkat(folder, name.constData(), 0);
    }
    ::closedir(listing);
}

} // namespace platform::filereplacement
