// Regular files only: reading them whole, and appending to them whole or not at all.

#include "suiteframe/platform/regularfile_p.h"

#include "suiteframe/platform/sharedfolder_p.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::regularfile {

namespace {

using sharedfolder::Descriptor;

// O_NONBLOCK keeps the open itself from waiting on a FIFO; once the file is known to be
// regular, the flag changes nothing.
Descriptor openNative(const QString &path, int flags)
{
    const std::optional<QByteArray> native = nativePath(path);
    if (!native)
        return Descriptor();
    int fd;
    do
        fd = ::open(native->constData(), flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    while (fd < 0 && errno == EINTR);
    return Descriptor(fd);
}

bool isRegularFile(int fd)
{
    struct stat status
    {};
    return fd >= 0 && ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

// Takes back what a write cut short left after the file's former end.
void cutBackTo(int fd, off_t end)
{
    while (::ftruncate(fd, end) != 0 && errno == EINTR) {
    }
}

} // namespace

std::optional<QByteArray> nativePath(const QString &path)
{
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return std::nullopt;
    return QFile::encodeName(path);
}

std::optional<QByteArray> read(const QString &path)
{
    const Descriptor file = openNative(path, O_RDONLY);
    if (!isRegularFile(file.get()))
        return std::nullopt;
    return readAll(file.get());
}

std::optional<QByteArray> readAll(int fd)
{
    QByteArray content;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0)
            return content;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        content.append(buffer, qsizetype(got));
        if (content.size() > LargestFile)
            return std::nullopt;
    }
}

bool append(const QString &path, const QByteArray &bytes)
{
    const std::optional<sharedfolder::Location> location = sharedfolder::locate(path);
    if (!location)
        return false;
    const Descriptor file = sharedfolder::openFile(*location, O_WRONLY | O_CREAT | O_APPEND);
    if (!file.isOpen())
        return false;
    // Without the turn (a file system that has no flock) the bytes are appended all the
    // same; only a record cut short could then take another's bytes back with it.
    sharedfolder::lock(file.get(), path);
    const off_t end = ::lseek(file.get(), 0, SEEK_END);
    if (writeAll(file.get(), bytes))
        return true;
    if (end >= 0)
        cutBackTo(file.get(), end);
    return false;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *next = bytes.constData();
    size_t left = size_t(bytes.size());
    while (left > 0) {
        const ssize_t written = ::write(fd, next, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        next += written;
        left -= size_t(written);
    }
    return true;
}

} // namespace platform::regularfile
