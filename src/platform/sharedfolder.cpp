// Files in folders that other users may write: paths walked a component at a time,
// links followed only where another user cannot have planted them, locks waited for
// within a bound, and the trust a settings file deserves.

#include "suiteframe/platform/sharedfolder_p.h"

#include "suiteframe/platform/regularfile_p.h"
#include "suiteframe/platform/runtimeerror.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <chrono>
#include <deque>
#include <thread>
#include <utility>

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace platform::sharedfolder {

namespace {

// As many links as the kernel follows in one path.
constexpr int MostLinksFollowed = 40;

template<typename Call>
int retryingOnInterrupt(Call &&call)
{
    int result;
    do
        result = call();
    while (result < 0 && errno == EINTR);
    return result;
}

bool statusOf(int fd, struct stat *status)
{
    return ::fstat(fd, status) == 0;
}

// This process's user, or root: nobody else whose choice of a path could aim it at this
// user's files.
bool isTrustedUser(uid_t user)
{
    return user == ::geteuid() || user == 0;
}

// Only a trusted user may add and remove entries in the folder: its owner may always
// give others the right, or take it back.
bool onlyTrustedMayWrite(const struct stat &folder)
{
    return isTrustedUser(folder.st_uid) && (folder.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// A link is followed where a trusted user made it, or where nobody else could have put
// it in its folder. The owner of the folder is no exception: a clerk's own folder in the
// shared one is hers to plant in.
bool isTrustedLink(const struct stat &link, const struct stat &folder)
{
    return isTrustedUser(link.st_uid) || onlyTrustedMayWrite(folder);
}

std::deque<QByteArray> componentsOf(const QByteArray &path)
{
    std::deque<QByteArray> components;
    for (const QByteArray &part : path.split('/')) {
        if (!part.isEmpty() && part != ".")
            components.push_back(part);
    }
    return components;
}

// The target of the link named in the folder; of the link open as folder where the
// name is empty.
QByteArray linkTarget(int folder, const char *name)
{
    QByteArray target(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlinkat(folder, name, target.data(), size_t(target.size()));
    if (length < 0 || length >= target.size())
        return QByteArray();
    target.truncate(length);
    return target;
}

Descriptor openPath(int folder, const char *name)
{
    return Descriptor(retryingOnInterrupt(
        [&] { return ::openat(folder, name, O_PATH | O_NOFOLLOW | O_CLOEXEC); }));
}

// The walk of a path: the folder reached so far and what is left to walk.
class Walk
{
public:
    Walk(const QString &path, const QByteArray &native)
        : m_path(path)
        , m_left(componentsOf(native))
    {
        m_folder = openPath(AT_FDCWD, native.startsWith('/') ? "/" : ".");
    }

    // Walks every component but the last; false for an ordinary failure.
    bool toLastFolder()
    {
        if (!m_folder.isOpen() || m_left.empty())
            return false;
        while (m_left.size() > 1 || isLink(m_left.front())) {
            if (!step())
                return false;
        }
        return true;
    }

    Location location() && { return {std::move(m_folder), m_left.front(), m_path, m_namedByLink}; }

private:
    bool isLink(const QByteArray &name) const
    {
        struct stat status
        {};
        return ::fstatat(m_folder.get(), name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0
               && S_ISLNK(status.st_mode);
    }

    // Takes the next component: into a folder, or along a link.
    bool step()
    {
        const QByteArray name = m_left.front();
        m_left.pop_front();
        Descriptor next = openPath(m_folder.get(), name.constData());
        struct stat status
        {};
        if (!next.isOpen() || !statusOf(next.get(), &status))
            return false;
        if (S_ISDIR(status.st_mode)) {
            m_folder = std::move(next);
            return true;
        }
        if (!S_ISLNK(status.st_mode))
            return false;
        // A link in the place of the file names it; one in the place of a folder only
        // leads to the folder.
        if (m_left.empty())
            m_namedByLink = true;
        follow(next.get(), status);
        return true;
    }

    void follow(int linkFd, const struct stat &link)
    {
        struct stat folder
        {};
        if (!statusOf(m_folder.get(), &folder))
            refuse(m_path, QStringLiteral("無法確認資料夾的擁有者"));
        if (!isTrustedLink(link, folder))
            refuse(m_path,
                   QStringLiteral("路徑中的符號連結是別的使用者在共用資料夾中建立的，"
                                  "不會跟隨它寫入"));
        if (++m_linksFollowed > MostLinksFollowed)
            refuse(m_path, QStringLiteral("路徑中的符號連結太多層"));
        const QByteArray target = linkTarget(linkFd, "");
        if (target.isEmpty())
            refuse(m_path, QStringLiteral("無法讀出路徑中符號連結的目標"));
        std::deque<QByteArray> components = componentsOf(target);
        m_left.insert(m_left.begin(), components.begin(), components.end());
        if (target.startsWith('/'))
            m_folder = openPath(AT_FDCWD, "/");
        if (m_left.empty())
            m_left.push_back(QByteArrayLiteral("."));
    }

    QString m_path;
    std::deque<QByteArray> m_left;
    Descriptor m_folder;
    int m_linksFollowed = 0;
    bool m_namedByLink = false;
};

void requireSingleRegularFile(int fd, const QString &path)
{
    struct stat status
    {};
    if (!statusOf(fd, &status))
        refuse(path, QStringLiteral("無法確認檔案的種類"));
    if (!S_ISREG(status.st_mode))
        refuse(path, QStringLiteral("它不是一般檔案（可能是具名管道、裝置或資料夾）"));
    // No link left is a file removed since it was opened (a lock file let go of), which
    // its opener notices; more than one may be another user's file under a second name.
    if (status.st_nlink > 1)
        refuse(path, QStringLiteral("它有 %1 個硬連結，可能指向別人的檔案").arg(status.st_nlink));
}

// Whether the file or folder has an access list beyond its mode's bits: a POSIX one, or
// the NFS 4 one of a network share.
bool hasAccessList(const QByteArray &path)
{
    return ::lgetxattr(path.constData(), "system.posix_acl_access", nullptr, 0) > 0
           || ::lgetxattr(path.constData(), "system.nfs4_acl", nullptr, 0) > 0;
}

// Who other than trusted users may change the file, or the folder's entries: its owner,
// who may give herself the right whenever she likes, and the group and everyone as the
// mode lets them.
void addWritersOf(const QByteArray &path, const struct stat &status, bool isFolder, Writers &writers)
{
    if (!isTrustedUser(status.st_uid))
        writers.users.push_back(status.st_uid);
    // In a sticky folder others may add entries, but not replace this user's.
    if (isFolder && (status.st_mode & S_ISVTX))
        return;
    // With an access list the group's bits are the most that any user or group listed
    // may do; who they are is not read here, so everyone counts.
    if ((status.st_mode & S_IWGRP) && hasAccessList(path))
        writers.everyone = true;
    if ((status.st_mode & S_IWGRP) && status.st_gid != 0)
        writers.groups.push_back(status.st_gid);
    if (status.st_mode & S_IWOTH)
        writers.everyone = true;
}

QByteArray joined(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QByteArray parentOf(const QByteArray &folder)
{
    return folder.left(std::max<qsizetype>(folder.lastIndexOf('/'), 1));
}

bool isMemberOf(uid_t user, gid_t groupId)
{
    const passwd *account = ::getpwuid(user);
    if (!account)
        return false;
    if (account->pw_gid == groupId)
        return true;
    const struct group *entry = ::getgrgid(groupId);
    if (!entry)
        return false;
    for (char **member = entry->gr_mem; *member; ++member) {
        if (qstrcmp(*member, account->pw_name) == 0)
            return true;
    }
    return false;
}

} // namespace

void refuse(const QString &path, const QString &why)
{
    throw RuntimeError(ErrorNumber::PermissionDenied,
                       QStringLiteral("拒絕寫入 %1：%2").arg(path, why));
}

Descriptor::~Descriptor()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

Descriptor::Descriptor(Descriptor &&other) noexcept
    : m_fd(other.release())
{}

Descriptor &Descriptor::operator=(Descriptor &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.release();
    }
    return *this;
}

int Descriptor::release()
{
    return std::exchange(m_fd, -1);
}

std::optional<Location> locate(const QString &path)
{
    const std::optional<QByteArray> native = regularfile::nativePath(path);
    if (!native)
        return std::nullopt;
    Walk walk(path, *native);
    if (!walk.toLastFolder())
        return std::nullopt;
    return std::move(walk).location();
}

Descriptor openFile(const Location &location, int flags)
{
    if (location.namedByLink)
        flags &= ~O_CREAT;
    Descriptor file(retryingOnInterrupt([&] {
        return ::openat(location.folder.get(),
                        location.name.constData(),
                        flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                        0666);
    }));
    if (!file.isOpen()) {
        if (errno == ELOOP)
            refuse(location.path, QStringLiteral("它在開啟的前一刻被換成了符號連結"));
        if (errno == ENXIO || errno == ENODEV)
            refuse(location.path, QStringLiteral("它不是一般檔案（可能是具名管道、裝置或資料夾）"));
        return file;
    }
    requireSingleRegularFile(file.get(), location.path);
    return file;
}

RuntimeError lockWaitEnded(const QString &path)
{
    return RuntimeError(ErrorNumber::PermissionDenied,
                        QStringLiteral("無法寫入 %1：另一個程式鎖住它已超過 %2 秒")
                            .arg(path)
                            .arg(LockWaitSeconds));
}

std::chrono::steady_clock::time_point lockDeadline()
{
    return std::chrono::steady_clock::now() + std::chrono::seconds(LockWaitSeconds);
}

void lock(int fd, const QString &path)
{
    lock(fd, path, lockDeadline());
}

void lock(int fd, const QString &path, std::chrono::steady_clock::time_point deadline)
{
    using namespace std::chrono;
    auto pause = milliseconds(1);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return; // a file system without flock(): nothing to wait for
        if (steady_clock::now() >= deadline)
            throw lockWaitEnded(path);
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, milliseconds(50));
    }
}

// The path is walked as the kernel walks it, a component at a time from the root: the
// writers of every folder whose entry is looked up could have put another entry there,
// a link or a folder of their own, so the folders that hold links count as much as the
// file's own. What cannot be looked at counts as open to everyone.
Writers othersWhoMayWrite(const QString &path)
{
    Writers writers;
    QByteArray native = QFile::encodeName(path);
    if (!native.startsWith('/'))
        native = QFile::encodeName(QDir::currentPath()) + '/' + native;
    std::deque<QByteArray> left = componentsOf(native);
    QByteArray folder = QByteArrayLiteral("/");
    int linksFollowed = 0;
    while (!left.empty()) {
        const QByteArray name = left.front();
        left.pop_front();
        // Nobody changes where a folder's ".." leads.
        if (name == "..") {
            folder = parentOf(folder);
            continue;
        }
        struct stat status
        {};
        if (::lstat(folder.constData(), &status) != 0)
            break;
        addWritersOf(folder, status, true, writers);
        const QByteArray entry = joined(folder, name);
        if (::lstat(entry.constData(), &status) != 0)
            break;
        if (S_ISLNK(status.st_mode)) {
            // Its owner may put another in its place, a sticky folder notwithstanding.
            if (!isTrustedUser(status.st_uid))
                writers.users.push_back(status.st_uid);
            const QByteArray target = linkTarget(AT_FDCWD, entry.constData());
            if (target.isEmpty() || ++linksFollowed > MostLinksFollowed)
                break;
            const std::deque<QByteArray> components = componentsOf(target);
            left.insert(left.begin(), components.begin(), components.end());
            if (target.startsWith('/'))
                folder = QByteArrayLiteral("/");
            continue;
        }
        if (left.empty()) {
            addWritersOf(entry, status, false, writers);
            return writers;
        }
        if (!S_ISDIR(status.st_mode))
            break;
        folder = entry;
    }
    writers.everyone = true;
    return writers;
}

bool mayAllWriteFolder(const Writers &writers, const QString &folder)
{
    struct stat status
    {};
    if (::stat(QFile::encodeName(folder).constData(), &status) != 0 || !S_ISDIR(status.st_mode))
        return false;
    if (status.st_mode & S_IWOTH)
        return true;
    if (writers.everyone)
        return false;
    const bool groupMayWrite = (status.st_mode & S_IWGRP) != 0;
    const bool groupsMay = std::all_of(writers.groups.cbegin(), writers.groups.cend(), [&](gid_t g) {
        return groupMayWrite && g == status.st_gid;
    });
    const bool usersMay = std::all_of(writers.users.cbegin(), writers.users.cend(), [&](uid_t u) {
        return u == status.st_uid || (groupMayWrite && isMemberOf(u, status.st_gid));
    });
    return groupsMay && usersMay;
}

} // namespace platform::sharedfolder
