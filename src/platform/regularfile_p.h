// Internal to the library: reading and appending regular files only. Not installed.

#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Settings files and the error log as the system reads and appends them: only regular
// files, and never a wait. A FIFO, a terminal or a device named as one of them (by a
// mistyped setting, say) is no file of the system's, and a path that holds a NUL
// character names no file at all.
namespace platform::regularfile {

// The path in the file system's encoding; nothing for an empty path or one holding NUL,
// which the system calls would cut short and so take for another file.
std::optional<QByteArray> nativePath(const QString &path);

// The whole content of the regular file; nothing when it is missing, unreadable or no
// regular file.
std::optional<QByteArray> read(const QString &path);

// Appends the bytes after the file's last byte with one write in append mode, creating
// the file when missing, so that processes appending at the same moment never overwrite
// or tear each other's bytes. Answers false, writing nothing, for what is no regular
// file or cannot be opened.
bool append(const QString &path, const QByteArray &bytes);

} // namespace platform::regularfile
