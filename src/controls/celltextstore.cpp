// The cell text store: texts added to chunks, viewed, released and cleared.

#include "suiteframe/controls/celltextstore_p.h"

#include "suiteframe/platform/runtimeerror.h"

#include <algorithm>

namespace controls {

CellRef CellTextStore::add(QStringView text)
{
    const auto length = static_cast<quint32>(text.size());
    if (length == 0)
        return {};
    CellRef ref;
    ref.length = length;
    if (length > LargeText) {
        ref.offset = LargeFlag | static_cast<quint32>(m_large.size());
        m_large.push_back(text.toString());
    } else {
        if (m_usedInLastChunk + length > ChunkChars) {
            if (m_chunks.size() >= (LargeFlag >> ChunkBits))
                throw platform::RuntimeError(platform::ErrorNumber::OutOfMemory);
            m_chunks.push_back(std::make_unique_for_overwrite<char16_t[]>(ChunkChars));
            m_usedInLastChunk = 0;
        }
        ref.offset = (static_cast<quint32>(m_chunks.size() - 1) << ChunkBits) | m_usedInLastChunk;
        std::copy(text.utf16(), text.utf16() + length, m_chunks.back().get() + m_usedInLastChunk);
        m_usedInLastChunk += length;
    }
    m_liveChars += length;
    return ref;
}

QStringView CellTextStore::view(CellRef ref) const
{
    if (ref.length == 0)
        return {};
    if (ref.offset & LargeFlag)
        return m_large[ref.offset & ~LargeFlag];
    const char16_t *chunk = m_chunks[ref.offset >> ChunkBits].get();
    return QStringView(chunk + (ref.offset & (ChunkChars - 1)), qsizetype(ref.length));
}

void CellTextStore::release(CellRef ref)
{
    if (ref.length == 0)
        return;
    m_liveChars -= ref.length;
    if (ref.offset & LargeFlag)
        m_large[ref.offset & ~LargeFlag] = QString(); // frees it at once
    else
        m_garbageChars += ref.length;
}

void CellTextStore::clear()
{
    m_chunks.clear();
    m_large.clear();
    m_usedInLastChunk = ChunkChars;
    m_liveChars = 0;
    m_garbageChars = 0;
}

std::size_t CellTextStore::bytes() const
{
    std::size_t total = m_chunks.size() * ChunkChars * sizeof(char16_t)
                        + m_chunks.capacity() * sizeof(m_chunks[0])
                        + m_large.capacity() * sizeof(QString);
    for (const QString &text : m_large)
        total += std::size_t(text.capacity()) * sizeof(char16_t);
    return total;
}

} // namespace controls
