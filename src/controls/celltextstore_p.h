// The packed store of a grid's cell texts. Internal to the grid; not installed.

#pragma once

#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

namespace controls {

// Where one cell's text lives in a CellTextStore. An empty text takes no storage.
struct CellRef
{
    quint32 offset = 0;
    quint32 length = 0;

    bool isEmpty() const { return length == 0; }
};

// The texts of a grid's cells, packed one after the other into large chunks of
// UTF-16 code units, so that a cell costs its characters plus one CellRef instead of
// a string object with its own allocation. Texts are never moved once added; a
// replaced text becomes garbage until the owner rebuilds the store.
class CellTextStore
{
public:
    CellRef add(QStringView text);
    QStringView view(CellRef ref) const;
    // Marks a text as no longer used; its characters count as garbage.
    void release(CellRef ref);
    void clear();

    qsizetype liveChars() const { return m_liveChars; }
    qsizetype garbageChars() const { return m_garbageChars; }
    // Bytes allocated for the texts.
    std::size_t bytes() const;

private:
    static constexpr quint32 ChunkBits = 16;
    static constexpr quint32 ChunkChars = 1u << ChunkBits;
    // Longer texts get an allocation of their own rather than a chunk's tail.
    static constexpr quint32 LargeText = ChunkChars / 8;
    static constexpr quint32 LargeFlag = 0x80000000u;

    std::vector<std::unique_ptr<char16_t[]>> m_chunks;
    quint32 m_usedInLastChunk = ChunkChars;
    std::vector<QString> m_large;
    qsizetype m_liveChars = 0;
    qsizetype m_garbageChars = 0;
};

} // namespace controls
