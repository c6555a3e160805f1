// The cell text store: texts added to chunks, viewed, released and cleared.

#include "suiteframe/controls/celltextstore_p.h"

#include "suiteframe/platform/runtimeerror.h"

#include <algorithm>
#include <cstring>

namespace controls {

namespace {

bool fitsOneByte(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x100; });
}

} // namespace

char *CellTextStore::place(quint32 bytes, quint32 alignment, CellRef &ref)
{
    m_usedInLastChunk = (m_usedInLastChunk + alignment - 1) & ~(alignment - 1);
    if (m_usedInLastChunk + bytes > ChunkBytes) {
        if (m_chunks.size() >= (LargeFlag >> ChunkBits))
            throw platform::RuntimeError(platform::ErrorNumber::OutOfMemory);
        m_chunks.push_back(std::make_unique_for_overwrite<char[]>(ChunkBytes));
        m_usedInLastChunk = 0;
    }
    ref.offset = (static_cast<quint32>(m_chunks.size() - 1) << ChunkBits) | m_usedInLastChunk;
    char *at = m_chunks.back().get() + m_usedInLastChunk;
    m_usedInLastChunk += bytes;
    return at;
}

CellRef CellTextStore::add(QStringView text)
{
    const auto length = static_cast<quint32>(text.size());
    if (length == 0)
        return {};
    CellRef ref;
    if (length > LargeText) {
        ref.length = length;
        ref.offset = LargeFlag | static_cast<quint32>(m_large.size());
        m_large.push_back(text.toString());
    } else if (fitsOneByte(text)) {
        ref.length = length | CellRef::NarrowFlag;
        char *at = place(length, 1, ref);
        std::transform(text.begin(), text.end(), at, [](QChar c) { return char(c.unicode()); });
    } else {
        ref.length = length;
        char *at = place(length * sizeof(char16_t), alignof(char16_t), ref);
        std::memcpy(at, text.utf16(), length * sizeof(char16_t));
    }
    m_liveChars += length;
    return ref;
}

QAnyStringView CellTextStore::view(CellRef ref) const
{
    if (ref.isEmpty())
        return {};
    if (ref.offset & LargeFlag)
        return m_large[ref.offset & ~LargeFlag];
    const char *at = m_chunks[ref.offset >> ChunkBits].get() + (ref.offset & (ChunkBytes - 1));
    const auto length = qsizetype(ref.characters());
    if (ref.isNarrow())
        return QLatin1StringView(at, length);
    return QStringView(reinterpret_cast<const char16_t *>(at), length);
}

void CellTextStore::release(CellRef ref)
{
    if (ref.isEmpty())
        return;
    m_liveChars -= ref.characters();
    if (ref.offset & LargeFlag)
        m_large[ref.offset & ~LargeFlag] = QString(); // frees it at once
    else
        m_garbageChars += ref.characters();
}

void CellTextStore::clear()
{
    m_chunks.clear();
    m_large.clear();
    m_usedInLastChunk = ChunkBytes;
    m_liveChars = 0;
    m_garbageChars = 0;
}

std::size_t CellTextStore::bytes() const
{
    std::size_t total = m_chunks.size() * ChunkBytes + m_chunks.capacity() * sizeof(m_chunks[0])
                        + m_large.capacity() * sizeof(QString);
    for (const QString &text : m_large)
        total += std::size_t(text.capacity()) * sizeof(char16_t);
    return total;
}

} // namespace controls
