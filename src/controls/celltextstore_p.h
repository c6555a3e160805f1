// The packed store of a grid's cell texts and values. Internal to the grid; not
// installed.

#pragma once

#include "suiteframe/platform/value.h"

#include <QAnyStringView>
#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

namespace controls {

// Where one cell lives in a CellTextStore. An empty text takes no storage.
struct CellRef
{
    // A text's start, or a value's payload (ValueFlag): the value itself where it fits,
    // else where its eight bytes start.
    quint32 offset = 0;
    // A text's characters, with NarrowFlag for a text of one byte each; or ValueFlag
    // with the value's type.
    quint32 length = 0;

    static constexpr quint32 NarrowFlag = 0x80000000u;
    static constexpr quint32 ValueFlag = 0x40000000u;
    static constexpr quint32 InlineFlag = 0x20000000u; // the payload is the offset

    bool isEmpty() const { return length == 0; }
    bool isValue() const { return (length & (NarrowFlag | ValueFlag)) == ValueFlag; }
    quint32 characters() const { return isValue() ? 0 : length & ~NarrowFlag; }
    bool isNarrow() const { return length & NarrowFlag; }
};

// The texts of a grid's cells, packed one after the other into large chunks, so that a
// cell costs its characters plus one CellRef instead of a string object with its own
// allocation. A text whose characters all lie below U+0100 (digits, dates, amounts,
// codes) is kept in one byte per character, any other in UTF-16. A cell may hold a
// value instead (a number, a date, a flag): no text is kept for it, and its text is
// made each time it is asked for. Texts are never moved once added; a replaced text
// becomes garbage until the owner rebuilds the store.
class CellTextStore
{
public:
    CellRef add(QStringView text);
    // A number, date or flag kept as it is, in the CellRef itself where it fits; a
    // text or exact decimal is kept as its text, Null and Empty as an empty cell.
    CellRef addValue(const platform::Value &value);
    // The text as stored: Latin-1 or UTF-16; nothing for a value. Valid until the store
    // is cleared.
    QAnyStringView view(CellRef ref) const;
    // The text, made from a value as the runtime writes it.
    QString text(CellRef ref) const;
    // The value of a value cell.
    platform::Value value(CellRef ref) const;
    // Marks a text as no longer used; its characters count as garbage.
    void release(CellRef ref);
    void clear();

    qsizetype liveChars() const { return m_liveChars; }
    qsizetype garbageChars() const { return m_garbageChars; }
    // Bytes allocated for the texts.
    std::size_t bytes() const;

private:
    static constexpr quint32 ChunkBits = 17;
    static constexpr quint32 ChunkBytes = 1u << ChunkBits;
    // Longer texts get an allocation of their own rather than a chunk's tail.
    static constexpr quint32 LargeText = ChunkBytes / 16;
    static constexpr quint32 LargeFlag = 0x80000000u;

    char *place(quint32 bytes, quint32 alignment, CellRef &ref);
    const char *at(CellRef ref) const;

    std::vector<std::unique_ptr<char[]>> m_chunks;
    quint32 m_usedInLastChunk = ChunkBytes;
    std::vector<QString> m_large;
    qsizetype m_liveChars = 0;
    qsizetype m_garbageChars = 0;
};

} // namespace controls
