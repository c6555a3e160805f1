// The profile-string functions for INI settings files.

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <span>

// The Windows profile-string functions for INI settings files, on the same files: text
// in the system's ANSI code page (platform/codepage.h), section names in square
// brackets, "key=value" lines, ';' comment lines, CR LF, LF or CR line ends. Names and
// values cross this interface as bytes of the code page, as they cross the Windows
// functions; a NUL byte ends each of them.
//
// Reading follows what the Windows functions are observed to do:
//   - blanks (space, tab, vertical tab) around section names, keys and values in the
//     file are ignored; the section and key asked for lose their outer spaces only;
//   - section and key names match without regard to case;
//   - a value enclosed in a matching pair of double or single quotes loses them;
//   - a line whose first non-blank character is ';' is a comment; text after a
//     section's closing bracket and lines before the first section are ignored;
//   - of duplicate sections only the first counts, of duplicate keys the first.
// The file is parsed as text, so a trail byte of a double-byte character (']' is one
// in Big5) never ends a name.
namespace platform::privateprofile {

// Whether a section of the name, once written, would be found again: a name holding a
// line break or "]" would not, since its heading line would end early, nor one with a
// tab at either end, which the reading trims and the writing does not.
bool isWritableSectionName(QStringView name);
// Whether a key of the name, once written, would be found again: a name holding a line
// break or "=", or starting with ";" or "[" (blanks aside), would end early or be read
// as a comment or a section; nor would one with a tab at either end.
bool isWritableKeyName(QStringView name);

// Copies the value of the key in the section of the file into the buffer, followed by
// a NUL byte, and answers the number of bytes copied without the NUL. Only a regular
// file is read, without waiting. A missing file, section or key copies the default
// value instead, without its trailing spaces. A value longer than the buffer holds is
// cut to at most the buffer's size minus one byte, less where that would split a
// multi-byte character. An empty buffer receives nothing.
qsizetype getPrivateProfileString(const QByteArray &section,
                                  const QByteArray &key,
                                  const QByteArray &defaultValue,
                                  std::span<char> buffer,
                                  const QString &filePath);

// The value of the key in the section of the file as text of the code page, whole up to
// 32767 bytes: for settings such as paths and connection strings that the 127 bytes of
// basBase::ReadIniValue would cut. A missing file, section or key gives the empty text.
QString wholeProfileString(const QString &section, const QString &key, const QString &filePath);

// Sets the key in the section of the file to the value, creating the file, the section
// (at the end of the file) or the key (after the section's last entry) as needed; an
// existing key keeps its place and the spelling of its name. Every other line stays
// byte for byte as it was; the lines written end in CR LF. Section and key lose their
// outer spaces; the value is written as given.
//
// The file is replaced whole, through a synced temporary file beside it: a crash, a full
// disk or a failing write leaves the old file byte for byte, a power cut after the
// replacement the new one. It is replaced under an advisory lock held against every other writer that
// goes through this function, so that writers of different keys at the same time lose
// nothing, and the temporary files that killed writers left are removed under it.
// Readers need no lock.
//
// Answers false, leaving the file as it was, when the path is empty or holds a NUL
// character, when the file has no write permission or cannot be read or replaced whole
// (a missing folder is not created), when the section or the key is a name that would
// not be found again (isWritableSectionName, isWritableKeyName), or when the value
// holds a CR or LF byte (which would add lines to the file). The lock file is open to every user who may read
// it, and the replaced file keeps its mode and group, so users of one group share a file.
//
// In a folder that other users may write, the file and its lock file are reached as
// platform/sharedfolder_p.h says: a link another user planted, a file that is not
// regular or has several links, another writer's lock held past the bound, or another
// user's file in a sticky folder (which only she may replace) throws RuntimeError naming
// the file and the reason, the file left as it was.
bool writePrivateProfileString(const QByteArray &section,
                               const QByteArray &key,
                               const QByteArray &value,
                               const QString &filePath);

} // namespace platform::privateprofile
