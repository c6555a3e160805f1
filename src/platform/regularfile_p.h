// Internal to the library: reading and appending regular files only. Not installed.

#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Settings files and the error log as the system reads and appends them: only regular
// files, and never a wait on anything but another appender of the same log. A FIFO, a terminal or a device named as one of them (by a
// mistyped setting, say) is no file of the system's, and a path that holds a NUL
// character names no file at all.
namespace platform::regularfile {

// The path in the file system's encoding; nothing for an empty path or one holding NUL,
// which the system calls would cut short and so take for another file.
std::optional<QByteArray> nativePath(const QString &path);

// The most a file read whole may hold. Settings files hold a few kilobytes; one of
// many gigabytes (a sparse file planted in a shared folder) would take all memory.
inline constexpr qsizetype LargestFile = 16 * 1024 * 1024;

// The whole content of the regular file; nothing when it is missing, unreadable, no
// regular file or larger than LargestFile.
std::optional<QByteArray> read(const QString &path);

// The rest of the open file's content, from where it stands; nothing when a read fails
// or it is larger than LargestFile.
std::optional<QByteArray> readAll(int fd);

// Appends the bytes after the file's last byte, whole or not at all, creating the file
// when missing. Appenders take turns by an flock() on the file, so that processes
// appending at the same moment never overwrite or tear each other's bytes, and bytes
// that could not all be written (a full disk) are taken back by cutting the file to
// where it ended before, which touches no earlier byte. Answers false, the file as it
// was, where it cannot be opened or could not take the bytes whole. The file is reached
// as platform/sharedfolder_p.h says: a planted link, a file that is not regular or
// has several links, or a turn not had within the bound throws, naming the file.
bool append(const QString &path, const QByteArray &bytes);

// Writes all the bytes to the descriptor, going on after a short write; false at the
// first failure, with the bytes before it written.
bool writeAll(int fd, const QByteArray &bytes);

} // namespace platform::regularfile
