// Internal to the library: files in folders that other users may write. Not installed.

#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>
#include <vector>

#include <sys/types.h>

// Offices keep the suite's settings files and error log in one folder shared by a group
// of clerks. Anyone of the group may plant a symbolic link, a hard link, a FIFO or a
// held lock there, and another clerk's program must never be led by it to write into
// her own files or to wait without end. So the files the system writes or locks are
// reached by walking their path a component at a time, each one opened without
// following a link:
//   - a symbolic link is followed only where its owner is this process's user or root,
//     or where nobody else may write its folder (a folder owned by another user is
//     hers to plant in, whatever its mode says now); the check is made on the link that
//     was opened, so a link swapped in after the check is never followed;
//   - a link in the place of the file whose target is missing is never followed to
//     create a file (a link in the place of a folder leads to a folder that exists);
//   - the file opened must be a regular file with no other link;
//   - a lock is waited for at most LockWaitSeconds.
// A refusal throws RuntimeError (PermissionDenied) whose description names the file
// and the reason in Chinese. An ordinary failure (a missing folder, a full disk, no
// permission) is no refusal: those answer as they always did.
namespace platform {
class RuntimeError;
}

namespace platform::sharedfolder {

// The longest wait for another writer's lock on a log or settings file, as long as the
// longest wait for a lock on the embedded database.
inline constexpr int LockWaitSeconds = 10;

// A descriptor that closes itself.
class Descriptor
{
public:
    Descriptor() = default;
    explicit Descriptor(int fd)
        : m_fd(fd)
    {}
    ~Descriptor();
    Descriptor(Descriptor &&other) noexcept;
    Descriptor &operator=(Descriptor &&other) noexcept;
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    // Hands the descriptor over; this one no longer closes it.
    int release();

private:
    int m_fd = -1;
};

// Where a path leads: the folder that holds its last component, held open, and the
// component's name in it, which is no symbolic link (or is missing).
struct Location
{
    Descriptor folder;
    QByteArray name;
    QString path;             // the path as given, for messages
    bool namedByLink = false; // the name is a symbolic link's target, the path's own
                              // last component having been a link
};

// Walks the path to the folder of its file. Nothing for a path holding NUL, a missing
// folder or another ordinary failure; throws for a refused link.
std::optional<Location> locate(const QString &path);

// Opens the file at the location with the flags (O_RDONLY, O_WRONLY, O_APPEND, O_CREAT
// …), never following a link, never waiting on a FIFO, and creating a missing file only
// where no link named it. Answers an invalid descriptor for an ordinary
// failure (errno tells); throws where the file is no regular file or has more than one
// link, or a link was swapped in meanwhile.
Descriptor openFile(const Location &location, int flags);

// Throws the refusal to write the file at path (PermissionDenied), naming it and why.
[[noreturn]] void refuse(const QString &path, const QString &why);

// The failure of a wait for a lock on the file at path that reached its deadline.
RuntimeError lockWaitEnded(const QString &path);

// When a wait for a lock that starts now must end.
std::chrono::steady_clock::time_point lockDeadline();

// An exclusive flock() on the descriptor, waited for until the deadline (at most
// LockWaitSeconds from now unless given); throws naming the path when the wait ends.
void lock(int fd, const QString &path);
void lock(int fd, const QString &path, std::chrono::steady_clock::time_point deadline);

// Whether the path's file may hold settings that other users could not have chosen:
// the file and every folder its path passes through, those that hold links included,
// are writable only by this process's user or root. Otherwise, which of them may: the
// users and groups, or everyone. An owner counts as a writer whatever the mode says,
// since she may change it; a path that cannot be walked to its end counts as open to
// everyone.
struct Writers
{
    std::vector<uid_t> users;
    std::vector<gid_t> groups;
    bool everyone = false;

    bool onlyTrusted() const { return users.empty() && groups.empty() && !everyone; }
};
Writers othersWhoMayWrite(const QString &path);

// Whether every one of the writers may write the folder itself, so that naming a file
// in it gives them nothing they did not have.
bool mayAllWriteFolder(const Writers &writers, const QString &folder);

} // namespace platform::sharedfolder
