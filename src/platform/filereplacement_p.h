// Internal to the library: replacing a file's content whole, or not at all. Not installed.

#pragma once

#include "suiteframe/platform/sharedfolder_p.h"

#include <QByteArray>

#include <sys/types.h>

// A file replaced as a whole: the new content goes to a temporary file beside it, named
// "<file>.tmp-XXXXXX", which takes the place of the file only once every byte of it is
// on disk. A full disk, a failing device or a writer killed in the middle leaves the old
// file byte for byte; a power cut after the replacement leaves the new one. The file is
// named by its folder and name (platform/sharedfolder_p.h), so what replaces it is the
// entry in that folder, whatever another user puts there meanwhile.
namespace platform::filereplacement {

// Replaces the content of the file at the location, whose current content is open as
// old (an invalid descriptor for a missing file). The new file keeps the old one's mode
// and group, and nobody who could not read the old file can open it while it is
// written. A missing file is made only where no link named it. Answers false, leaving
// the file and its folder as they were, when the existing file may not be written by
// this process, or when creating, writing, syncing, closing or renaming the new file
// fails; once renamed, it is replaced. Throws the refusal of platform/sharedfolder_p.h,
// the file as it was, where the folder is sticky and the file another user's, which
// only she may replace.
bool replace(const sharedfolder::Location &location, int old, const QByteArray &content);

// Removes the temporary files that writers killed in the middle of replace() left
// beside the file. Every writer holds an flock() on its temporary file while it writes
// it, so a file that a live writer still holds is passed by. Meant for callers that
// serialise their writers of the file by a lock of their own and call this under it.
void removeAbandoned(const sharedfolder::Location &location);

// A new file in the folder named prefix and six letters or digits, created exclusively
// with the mode less the umask and held by an flock() while it is worked on; its name is
// put in name. An invalid descriptor where it cannot be made.
sharedfolder::Descriptor createDraft(int folder,
                                     const QByteArray &prefix,
                                     mode_t mode,
                                     QByteArray *name);

// Removes the files in the folder whose names are prefix and six letters or digits and
// on which no process holds an flock(): the drafts that a killed process made with
// createDraft() under that prefix.
void removeUnheldDrafts(int folder, const QByteArray &prefix);

} // namespace platform::filereplacement
