// The packed store of a grid's cell texts and values. Internal to the grid; not
// installed.

#pragma once

#include "suiteframe/platform/largeblock_p.h"
#include "suiteframe/platform/regional_p.h"
#include "suiteframe/platform/value.h"

#include <QAnyStringView>
#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

namespace controls {

// Where one cell lives in a CellTextStore, in four bytes: a grid of a million records
// holds eight million of them. Zero is an empty cell. A flag, an integer of up to 29
// bits, a number in quarters below 2^26 or a date without a time of day is kept in the
// reference itself (InlineFlag); anything else is the place of its record in the store.
struct CellRef
{
    quint32 bits = 0;

    static constexpr quint32 InlineFlag = 0x80000000u;

    bool isEmpty() const { return bits == 0; }
    bool isInline() const { return bits & InlineFlag; }
};

// The texts and values of a grid's cells, packed one after the other into large chunks,
// so that a cell costs its characters, a two-byte header and its CellRef instead of a
// string object with its own allocation. A text whose characters all lie below U+0100
// (digits, dates, amounts, codes) is kept in one byte per character, any other in UTF-16;
// a UTF-8 text is decoded into the store without a QString between. A cell may hold a
// value instead (a number, a date, a flag): no text is kept for it, and its text is made
// each time it is asked for. Records are never moved once added; a replaced one becomes
// garbage until the owner rebuilds the store.
class CellTextStore
{
public:
    CellRef add(QAnyStringView text);
    // A number, date or flag kept as it is, in the CellRef itself where it fits; a
    // text or exact decimal is kept as its text, Null and Empty as an empty cell.
    CellRef addValue(const platform::Value &value);
    // Whether the cell holds a value rather than a text.
    bool isValue(CellRef ref) const;
    // The text as stored: Latin-1, UTF-16 or UTF-8; nothing for a value. Valid until the
    // store is cleared.
    QAnyStringView view(CellRef ref) const;
    // The text, made from a value as the runtime writes it.
    QString text(CellRef ref) const;
    // The text of a number (an integer, a single or double float) as text() makes it in
    // the locale of forms, written without the heap; false for any other cell.
    bool writeNumberText(CellRef ref,
                         platform::regional::ShortText &text,
                         const platform::regional::LocaleForms &forms) const;
    // The value of a value cell.
    platform::Value value(CellRef ref) const;
    // Marks a record as no longer used; its bytes count as garbage.
    void release(CellRef ref);
    void clear();

    qsizetype liveBytes() const { return m_liveBytes; }
    qsizetype garbageBytes() const { return m_garbageBytes; }
    // Bytes allocated for the records.
    std::size_t bytes() const;

private:
    // A record starts with a header: a text's length in characters, with NarrowFlag for
    // one byte a character, or its length in bytes with Utf8Flag for UTF-8; or RecordOfValue with the value's type, its payload
    // following (eight bytes for a double or a date, four for a single, a long, or a
    // double that a single holds exactly, with FloatPayload); or RecordOfValue with
    // LargeType, the index of a text of its own following.
    using Header = quint16;
    static constexpr Header RecordOfValue = 0x8000;
    static constexpr Header NarrowFlag = 0x4000;
    static constexpr Header Utf8Flag = 0x2000;
    static constexpr Header LengthBits = 0x1fff;
    static constexpr Header FloatPayload = 0x0100;
    static constexpr Header LargeType = 0xff;

    // Records go into chunks: a first one of FirstChunkBytes, for the few cells of most
    // grids, then blocks of ChunkBytes backed by huge pages where the system gives them.
    static constexpr quint32 ChunkBits = 21;
    static constexpr quint32 ChunkBytes = 1u << ChunkBits;
    static constexpr quint32 FirstChunkBytes = 128 * 1024;
    // Longer texts get an allocation of their own rather than a chunk's tail.
    static constexpr qsizetype LargeText = LengthBits;

    CellRef addText(QStringView text);
    CellRef addText(QLatin1StringView text);
    CellRef addText(QUtf8StringView text);
    CellRef addLarge(QString text);
    CellRef addRecordOfValue(Header header, const void *payload, quint32 size);
    // Room for a record of the header and bytes more, two-byte aligned, counted live.
    char *place(Header header, quint32 bytes, CellRef &ref);
    // Gives back the end of the last record placed, which turned out longer than needed.
    void unplace(quint32 bytes)
    {
        m_usedInLastChunk -= bytes;
        m_liveBytes -= bytes;
    }
    static bool isLargeText(Header header)
    {
        return (header & RecordOfValue) && (header & 0xff) == LargeType;
    }
    // Where a large text's record says its text is kept.
    quint32 largeIndex(CellRef ref) const;
    const char *at(CellRef ref) const;
    Header headerOf(CellRef ref) const;
    std::size_t recordBytes(CellRef ref) const;

    void addChunk();

    std::unique_ptr<char[]> m_firstChunk;
    std::vector<platform::largeblock::Block> m_blocks;
    std::vector<char *> m_chunks; // where each chunk starts, the first chunk first
    quint32 m_lastChunkBytes = 0;
    quint32 m_usedInLastChunk = 0;
    std::vector<QString> m_large;
    qsizetype m_liveBytes = 0;
    qsizetype m_garbageBytes = 0;
};

} // namespace controls
