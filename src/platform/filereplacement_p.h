// Internal to the library: replacing a file's content whole, or not at all. Not installed.

#pragma once

#include <QByteArray>
#include <QString>

// A file replaced as a whole: the new content goes to a temporary file beside it, named
// "<file>.new.XXXXXX", which takes the place of the file only once every byte of it is
// on disk. A full disk, a failing device or a writer killed in the middle leaves the old
// file byte for byte; a power cut after the replacement leaves the new one.
namespace platform::filereplacement {

// Replaces the content of the file at path, following a symbolic link to the file it
// names, so that the link stays. The new file keeps the old one's mode and group.
// Answers false, leaving the file and its folder as they were, when the existing file
// may not be written by this process, or when creating, writing, syncing, closing or
// renaming the new file fails.
bool replace(const QString &path, const QByteArray &content);

// Removes the temporary files that writers killed in the middle of replace() left
// beside the file. Every writer holds an flock() on its temporary file while it writes
// it, so a file that a live writer still holds is passed by. Meant for callers that
// serialise their writers of the file by a lock of their own and call this under it.
void removeAbandoned(const QString &path);

// Removes the files in the folder whose names are prefix and six letters or digits and
// on which no process holds an flock(): the drafts that a killed process made with
// mkostemp() under that prefix and locked while it worked on them.
void removeUnheldDrafts(const QByteArray &nativePrefix);

} // namespace platform::filereplacement
