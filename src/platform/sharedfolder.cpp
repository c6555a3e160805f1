// Files in folders that other users may write: paths walked a component at a time,
// links followed only where another user cannot have planted them, locks waited for
// within a bound, and the trust a settings file deserves.

#include "suiteframe/platform/sharedfolder_p.h"

#include "suiteframe/platform/regularfile_p.h"
#include "suiteframe/platform/runtimeerror.h"

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
#include <unistd.h>

namespace platform::sharedfolder {

namespace {

// As many links as the kernel follows in one path.
constexpr int MostLinksFollowed = 40;

[[noreturn]] void refuse(const QString &path, const QString &why)
{
    throw RuntimeError(ErrorNumber::PermissionDenied,
                       QStringLiteral("拒絕寫入 %1：%2").arg(path, why));
}

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

// Users other than the owner may add and remove entries in the folder.
bool othersMayWrite(const struct stat &folder)
{
    return (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

bool isTrustedLink(const struct stat &link, const struct stat &folder)
{
    return !othersMayWrite(folder) || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
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

QByteArray linkTarget(int linkFd)
{
    QByteArray target(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlinkat(linkFd, "", target.data(), size_t(target.size()));
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

    Location location() && { return {std::move(m_folder), m_left.front(), m_path, m_throughLink}; }

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
        const QByteArray target = linkTarget(linkFd);
        if (target.isEmpty())
            refuse(m_path, QStringLiteral("無法讀出路徑中符號連結的目標"));
        std::deque<QByteArray> components = componentsOf(target);
        m_left.insert(m_left.begin(), components.begin(), components.end());
        if (target.startsWith('/'))
            m_folder = openPath(AT_FDCWD, "/");
        m_throughLink = true;
        if (m_left.empty())
            m_left.push_back(QByteArrayLiteral("."));
    }

    QString m_path;
    std::deque<QByteArray> m_left;
    Descriptor m_folder;
    int m_linksFollowed = 0;
    bool m_throughLink = false;
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

// The folder's writers other than this process's user and root.
void addWritersOf(const struct stat &status, bool isFolder, Writers &writers)
{
    const uid_t me = ::geteuid();
    if (status.st_uid != me && status.st_uid != 0 && (status.st_mode & S_IWUSR))
        writers.users.push_back(status.st_uid);
    // In a sticky folder others may add entries, but not replace this user's.
    if (isFolder && (status.st_mode & S_ISVTX))
        return;
    if ((status.st_mode & S_IWGRP) && status.st_gid != 0)
        writers.groups.push_back(status.st_gid);
    if (status.st_mode & S_IWOTH)
        writers.everyone = true;
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
    if (location.throughLink)
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

Writers othersWhoMayWrite(const QString &path)
{
    Writers writers;
    QByteArray native = QFile::encodeName(path);
    struct stat status
    {};
    if (::stat(native.constData(), &status) != 0)
        return writers;
    addWritersOf(status, false, writers);
    // Every folder above may have the file replaced by those who may write it.
    char resolved[PATH_MAX];
    if (!::realpath(native.constData(), resolved))
        return writers;
    native = resolved;
    while (native.size() > 1) {
        native.truncate(std::max<qsizetype>(native.lastIndexOf('/'), 1));
        if (::stat(native.constData(), &status) == 0)
            addWritersOf(status, true, writers);
    }
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
        return (u == status.st_uid && (status.st_mode & S_IWUSR))
               || (groupMayWrite && isMemberOf(u, status.st_gid));
    });
    return groupsMay && usersMay;
}

} // namespace platform::sharedfolder
