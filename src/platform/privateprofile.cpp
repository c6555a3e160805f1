// The profile-string functions: INI files parsed as text of the code page, values read,
// and keys written by an atomic replacement under a lock.

#include "suiteframe/platform/privateprofile.h"

#include "suiteframe/platform/codepage.h"
#include "suiteframe/platform/filereplacement_p.h"
#include "suiteframe/platform/regularfile_p.h"
#include "suiteframe/platform/runtimeerror.h"
#include "suiteframe/platform/sharedfolder_p.h"

#include <QByteArrayList>
#include <QFile>

#include <algorithm>
#include <chrono>
#include <optional>
#include <vector>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::privateprofile {

namespace {

const QByteArray CrLf = QByteArrayLiteral("\r\n");

// --- Names and values as the functions take them ----------------------------------

// The bytes up to the first NUL, as a C string ends.
QByteArray cString(const QByteArray &bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    return nul < 0 ? bytes : bytes.left(nul);
}

// Space is never a trail byte of a multi-byte code page, so bytes trim safely.
QByteArray trimSpaces(QByteArray bytes)
{
    while (bytes.startsWith(' '))
        bytes.remove(0, 1);
    while (bytes.endsWith(' '))
        bytes.chop(1);
    return bytes;
}

QString nameParameter(const QByteArray &bytes)
{
    return codepage::toUnicode(trimSpaces(cString(bytes)));
}

bool holdsLineBreak(QStringView text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

// --- Lines of the file ---------------------------------------------------------------

// Splits the file, or its text, into lines that keep their own line ends (CR LF, LF or
// CR), so that joining them gives the whole back unchanged. Neither CR nor LF is ever a
// trail byte, so the split is safe in every code page and cuts bytes and text alike.
template<typename Text>
QList<Text> splitLines(const Text &content)
{
    QList<Text> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < content.size(); ++i) {
        const auto c = content.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        if (c == u'\r' && i + 1 < content.size() && content.at(i + 1) == u'\n')
            ++i;
        lines.append(content.mid(start, i + 1 - start));
        start = i + 1;
    }
    if (start < content.size())
        lines.append(content.mid(start));
    return lines;
}

// The text of each line. The file is decoded at once, which is much faster than line
// by line; only where an invalid byte sequence swallowed a line end do the lines get
// decoded one by one.
QStringList decodedLines(const QByteArrayList &lines)
{
    QStringList text = splitLines(codepage::toUnicode(lines.join()));
    if (text.size() == lines.size())
        return text;
    text.clear();
    for (const QByteArray &line : lines)
        text.append(codepage::toUnicode(line));
    return text;
}

bool isTerminated(const QByteArray &line)
{
    return line.endsWith('\n') || line.endsWith('\r');
}

QStringView withoutLineEnd(QStringView line)
{
    while (line.endsWith(u'\n') || line.endsWith(u'\r'))
        line.chop(1);
    return line;
}

// Blanks, tabs and vertical tabs around names and values do not count in a profile,
// unlike the runtime's Trim (platform::trimBlanks), which removes blanks alone.
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\v';
}

QStringView trimProfileWhitespace(QStringView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.mid(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

QStringView unquoted(QStringView value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'')
        && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

struct ParsedLine
{
    enum class Kind { Other, Section, Entry };
    Kind kind = Kind::Other;
    QString name;
    QString value;
};

ParsedLine parseLine(QStringView line)
{
    const QStringView rest = trimProfileWhitespace(withoutLineEnd(line));
    if (rest.startsWith(u'[')) {
        // The name ends at the first closing bracket or, lacking one, at the line end.
        QStringView name = rest.mid(1);
        const qsizetype close = name.indexOf(u']');
        if (close >= 0)
            name = name.left(close);
        return {ParsedLine::Kind::Section, trimProfileWhitespace(name).toString(), {}};
    }
    if (rest.isEmpty() || rest.startsWith(u';'))
        return {};
    const qsizetype equals = rest.indexOf(u'=');
    if (equals < 0)
        return {ParsedLine::Kind::Entry, rest.toString(), {}};
    return {ParsedLine::Kind::Entry,
            trimProfileWhitespace(rest.left(equals)).toString(),
            unquoted(trimProfileWhitespace(rest.mid(equals + 1))).toString()};
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where a key stands in the first section of its name; -1 for what is not there.
struct Location
{
    qsizetype section = -1;   // the section's heading line
    qsizetype lastEntry = -1; // the section's last entry line
    qsizetype entry = -1;     // the key's line
    QString keyName;          // the key as the file spells it
    QString value;
};

Location locate(const QStringList &lines, const QString &section, const QString &key)
{
    Location at;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const ParsedLine line = parseLine(lines.at(i));
        if (line.kind == ParsedLine::Kind::Section) {
            if (at.section >= 0)
                break; // the section ends here; a later one of the same name does not count
            if (sameName(line.name, section))
                at.section = i;
        } else if (line.kind == ParsedLine::Kind::Entry && at.section >= 0) {
            at.lastEntry = i;
            if (at.entry < 0 && sameName(line.name, key)) {
                at.entry = i;
                at.keyName = line.name;
                at.value = line.value;
            }
        }
    }
    return at;
}

// The text in the code page, cut to at most limit bytes at a character boundary. A
// character split by the cut decodes differently from the whole text (as U+FFFD), so
// the cut keeps only the characters that decode as they do in the whole. A U+FFFD that
// stood for invalid bytes in the file encodes to more bytes than it came from, so the
// kept characters are shortened further until their bytes fit.
QByteArray fitted(const QString &text, qsizetype limit)
{
    const QByteArray whole = codepage::fromUnicode(text);
    if (whole.size() <= limit)
        return whole;
    const QString wholeText = codepage::toUnicode(whole);
    const QString cutText = codepage::toUnicode(whole.left(limit));
    qsizetype kept = 0;
    while (kept < cutText.size() && kept < wholeText.size()
           && cutText.at(kept) == wholeText.at(kept))
        ++kept;
    for (;;) {
        if (kept > 0 && wholeText.at(kept - 1).isHighSurrogate())
            --kept;
        QByteArray bytes = codepage::fromUnicode(wholeText.left(kept));
        if (bytes.size() <= limit)
            return bytes;
        --kept;
    }
}

// --- Writing -------------------------------------------------------------------------

void terminateLastLine(QByteArrayList &lines)
{
    if (!lines.isEmpty() && !isTerminated(lines.last()))
        lines.last() += CrLf;
}

void setEntry(QByteArrayList &lines,
              const QByteArray &section,
              const QByteArray &key,
              const QByteArray &value)
{
    const Location at = locate(decodedLines(lines),
                               codepage::toUnicode(section),
                               codepage::toUnicode(key));
    if (at.entry >= 0) {
        lines[at.entry] = codepage::fromUnicode(at.keyName) + '=' + value + CrLf;
        return;
    }
    const QByteArray entry = key + '=' + value + CrLf;
    if (at.section >= 0) {
        const qsizetype after = at.lastEntry >= 0 ? at.lastEntry : at.section;
        if (!isTerminated(lines.at(after)))
            lines[after] += CrLf;
        lines.insert(after + 1, entry);
        return;
    }
    terminateLastLine(lines);
    lines.append('[' + section + ']' + CrLf);
    lines.append(entry);
}

// Holds an exclusive flock() on "<file>.lock" beside the settings file, and removes the
// lock file again when released. A writer that waited on a lock file which its holder
// has removed meanwhile finds the inode gone from the folder and starts over with the
// new lock file, so two writers never hold locks on different inodes of one name.
class WriterLock
{
public:
    // The lock file is beside the file itself, wherever the path to it led, so that
    // writers who reach the file by different paths take one lock.
    explicit WriterLock(const sharedfolder::Location &file)
        : m_location{sharedfolder::Descriptor(::fcntl(file.folder.get(), F_DUPFD_CLOEXEC, 0)),
                     file.name + ".lock",
                     file.path + QStringLiteral(".lock")}
        , m_deadline(sharedfolder::lockDeadline())
    {
        if (!m_location.folder.isOpen())
            return;
        for (;;) {
            sharedfolder::Descriptor file = openLockFile();
            if (!file.isOpen())
                return;
            sharedfolder::lock(file.get(), m_location.path, m_deadline);
            if (isStillInFolder(file.get())) {
                m_file = std::move(file);
                return;
            }
        }
    }

    ~WriterLock()
    {
        if (m_file.isOpen())
            ::unlinkat(folder(), m_location.name.constData(), 0);
    }

    WriterLock(const WriterLock &) = delete;
    WriterLock &operator=(const WriterLock &) = delete;

    bool isHeld() const { return m_file.isOpen(); }

    // What writers killed before they could clean up left beside the file: drafts of
    // the lock file, and new contents not yet renamed. Only one writer holds the lock,
    // and each of them holds an flock() on its own draft, so none of these is another
    // live writer's.
    void removeAbandonedFiles(const sharedfolder::Location &file) const
    {
        filereplacement::removeUnheldDrafts(folder(), draftPrefix());
        filereplacement::removeAbandoned(file);
    }

private:
    int folder() const { return m_location.folder.get(); }

    // flock() needs no write access, so every user who may read the lock file can take
    // the lock. A missing lock file is made readable by all before it appears under its
    // name, so that no other user ever finds it closed to them, whatever the umask; it
    // takes its name without replacing one that another writer made meanwhile, and has
    // one link throughout.
    sharedfolder::Descriptor openLockFile() const
    {
        while (std::chrono::steady_clock::now() < m_deadline) {
            sharedfolder::Descriptor file = sharedfolder::openFile(m_location, O_RDONLY);
            if (file.isOpen() || errno != ENOENT)
                return file;
            QByteArray draft;
            const sharedfolder::Descriptor created = filereplacement::createDraft(folder(),
                                                                                  draftPrefix(),
                                                                                  0666,
                                                                                  &draft);
            if (!created.isOpen())
                return sharedfolder::Descriptor();
            const bool named = ::fchmod(created.get(), 0644) == 0 && nameDraft(draft);
            // Made meanwhile by another writer, or the draft cleared by one in the
            // instant before it was locked: simply open or make it again.
            const bool again = named || errno == EEXIST || errno == ENOENT;
            ::unlinkat(folder(), draft.constData(), 0); // where it was renamed, long gone
            if (!again)
                return sharedfolder::Descriptor();
        }
        throw sharedfolder::lockWaitEnded(m_location.path);
    }

    QByteArray draftPrefix() const { return m_location.name + QByteArrayLiteral(".tmp-"); }

    // A file system that cannot rename without replacing gets a second link instead,
    // which the draft's removal takes away again at once.
    bool nameDraft(const QByteArray &draft) const
    {
        const char *name = m_location.name.constData();
        if (::renameat2(folder(), draft.constData(), folder(), name, RENAME_NOREPLACE) == 0)
            return true;
        return errno == EINVAL && ::linkat(folder(), draft.constData(), folder(), name, 0) == 0;
    }

    bool isStillInFolder(int fd) const
    {
        struct stat held
        {};
        struct stat current
        {};
        return ::fstat(fd, &held) == 0
               && ::fstatat(folder(), m_location.name.constData(), &current, AT_SYMLINK_NOFOLLOW)
                      == 0
               && held.st_dev == current.st_dev && held.st_ino == current.st_ino;
    }

    sharedfolder::Location m_location;
    std::chrono::steady_clock::time_point m_deadline;
    sharedfolder::Descriptor m_file;
};

} // namespace

namespace {

// A name loses its outer spaces as it is written, and its outer tabs as well as it is
// read: one with a tab at either end would never be found again.
bool keepsItsEnds(QStringView name)
{
    while (name.startsWith(u' '))
        name = name.mid(1);
    while (name.endsWith(u' '))
        name.chop(1);
    return trimProfileWhitespace(name).size() == name.size();
}

} // namespace

bool isWritableSectionName(QStringView name)
{
    return !holdsLineBreak(name) && !name.contains(u']') && keepsItsEnds(name);
}

bool isWritableKeyName(QStringView name)
{
    const QStringView trimmed = trimProfileWhitespace(name);
    return !holdsLineBreak(name) && !name.contains(u'=') && !trimmed.startsWith(u';')
           && !trimmed.startsWith(u'[') && keepsItsEnds(name);
}

qsizetype getPrivateProfileString(const QByteArray &section,
                                  const QByteArray &key,
                                  const QByteArray &defaultValue,
                                  std::span<char> buffer,
                                  const QString &filePath)
{
    if (buffer.empty())
        return 0;

    std::optional<QString> value;
    if (const auto content = regularfile::read(filePath)) {
        const Location at = locate(splitLines(codepage::toUnicode(*content)),
                                   nameParameter(section),
                                   nameParameter(key));
        if (at.entry >= 0)
            value = at.value;
    }
    if (!value) {
        QByteArray fallback = cString(defaultValue);
        while (fallback.endsWith(' '))
            fallback.chop(1);
        value = codepage::toUnicode(fallback);
    }

    const QByteArray bytes = fitted(*value, static_cast<qsizetype>(buffer.size()) - 1);
    std::copy(bytes.cbegin(), bytes.cend(), buffer.begin());
    buffer[bytes.size()] = '\0';
    return bytes.size();
}

QString wholeProfileString(const QString &section, const QString &key, const QString &filePath)
{
    // A name the code page cannot hold is in none of its files.
    const std::optional<QByteArray> sectionName = codepage::fromUnicodeWhole(section);
    const std::optional<QByteArray> keyName = codepage::fromUnicodeWhole(key);
    if (!sectionName || !keyName)
        return QString();
    std::vector<char> buffer(32768);
    const qsizetype length = getPrivateProfileString(*sectionName,
                                                     *keyName,
                                                     QByteArray(),
                                                     buffer,
                                                     filePath);
    return codepage::toUnicode(QByteArray(buffer.data(), length));
}

bool writePrivateProfileString(const QByteArray &section,
                               const QByteArray &key,
                               const QByteArray &value,
                               const QString &filePath)
{
    const QByteArray sectionName = trimSpaces(cString(section));
    const QByteArray keyName = trimSpaces(cString(key));
    const QByteArray text = cString(value);
    if (!regularfile::nativePath(filePath)
        || !isWritableSectionName(codepage::toUnicode(sectionName))
        || !isWritableKeyName(codepage::toUnicode(keyName)) || text.contains('\r')
        || text.contains('\n'))
        return false;

    const std::optional<sharedfolder::Location> location = sharedfolder::locate(filePath);
    if (!location)
        return false;
    const WriterLock lock(*location);
    if (!lock.isHeld())
        return false;
    const sharedfolder::Descriptor existing = sharedfolder::openFile(*location, O_RDONLY);
    if (!existing.isOpen() && errno != ENOENT)
        return false;
    QByteArray content;
    if (existing.isOpen()) {
        const auto read = regularfile::readAll(existing.get());
        if (!read)
            return false;
        content = *read;
    }
    QByteArrayList lines = splitLines(content);
    setEntry(lines, sectionName, keyName, text);
    lock.removeAbandonedFiles(*location);
    return filereplacement::replace(*location, existing.get(), lines.join());
}

} // namespace platform::privateprofile
