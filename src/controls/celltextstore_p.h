// The packed store of a grid's cell texts. Internal to the grid; not installed.

#pragma once

#include <QAnyStringView>
#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

namespace controls {

// Where one cell's text lives in a CellTextStore. An empty text takes no storage.
struct CellRef
{
    quint32 offset = 0;
    quint32 length = 0; // characters, with NarrowFlag for a text of one byte each

    static constexpr quint32 NarrowFlag = 0x80000000u;

    bool isEmpty() const { return length == 0; }
    quint32 characters() const { return length & ~NarrowFlag; }
    bool isNarrow() const { return length & NarrowFlag; }
};

// The texts of a grid's cells, packed one after the other into large chunks, so that a
// cell costs its characters plus one CellRef instead of a string object with its own
// allocation. A text whose characters all lie below U+0100 (digits, dates, amounts,
// codes) is kept in one byte per character, any other in UTF-16. Texts are never moved
// once added; a replaced text becomes garbage until the owner rebuilds the store.
class CellTextStore
{
public:
    CellRef add(QStringView text);
    // The text as stored: Latin-1 or UTF-16. Valid until the store is cleared.
    QAnyStringView view(CellRef ref) const;
    QString text(CellRef ref) const { return view(ref).toString(); }
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

    std::vector<std::unique_ptr<char[]>> m_chunks;
    quint32 m_usedInLastChunk = ChunkBytes;
    std::vector<QString> m_large;
    qsizetype m_liveChars = 0;
    qsizetype m_garbageChars = 0;
};

} // namespace controls
