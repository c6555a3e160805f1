// The cell text store: texts added to chunks, viewed, released and cleared.

#include "suiteframe/controls/celltextstore_p.h"

#include "suiteframe/platform/runtimeerror.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace controls {

namespace {

bool fitsOneByte(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x100; });
}

using platform::Value;

// The bits of a 32-bit payload and back.
template<typename T>
quint32 bitsOf(T value)
{
    static_assert(sizeof(T) <= sizeof(quint32));
    quint32 bits = 0;
    std::memcpy(&bits, &value, sizeof value);
    return bits;
}

template<typename T>
T fromBits(quint32 bits)
{
    T value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A date without a time of day whose serial fits 32 bits is kept in the CellRef.
bool isWholeDay(double serial)
{
    return serial == std::floor(serial) && std::fabs(serial) < 2e9;
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

CellRef CellTextStore::addValue(const Value &value)
{
    const auto inlined = [](Value::Type type, quint32 payload) {
        return CellRef{payload, CellRef::ValueFlag | CellRef::InlineFlag | quint32(type)};
    };
    switch (value.type()) {
    case Value::Type::Empty:
    case Value::Type::Null:
        return {};
    case Value::Type::Boolean:
        return inlined(value.type(), value.toBoolean() ? 1 : 0);
    case Value::Type::Integer:
        return inlined(value.type(), bitsOf(value.toInteger()));
    case Value::Type::Long:
        return inlined(value.type(), bitsOf(value.toLong()));
    case Value::Type::Single:
        return inlined(value.type(), bitsOf(value.toSingle()));
    case Value::Type::Date:
        if (isWholeDay(value.dateSerial()))
            return inlined(value.type(), bitsOf(qint32(value.dateSerial())));
        [[fallthrough]];
    case Value::Type::Double: {
        CellRef ref{0, CellRef::ValueFlag | quint32(value.type())};
        const double payload = value.type() == Value::Type::Date ? value.dateSerial()
                                                                 : value.toDouble();
        std::memcpy(place(sizeof payload, alignof(double), ref), &payload, sizeof payload);
        m_liveChars += sizeof payload / sizeof(char16_t);
        return ref;
    }
    case Value::Type::Decimal:
    case Value::Type::String:
        break;
    }
    return add(value.toText());
}

Value CellTextStore::value(CellRef ref) const
{
    const auto type = Value::Type(ref.length & 0xff);
    if (ref.length & CellRef::InlineFlag) {
        switch (type) {
        case Value::Type::Boolean:
            return Value(ref.offset != 0);
        case Value::Type::Integer:
            return Value(fromBits<qint16>(ref.offset));
        case Value::Type::Long:
            return Value(fromBits<qint32>(ref.offset));
        case Value::Type::Single:
            return Value(fromBits<float>(ref.offset));
        default:
            return Value::fromDateSerial(fromBits<qint32>(ref.offset));
        }
    }
    double payload = 0;
    std::memcpy(&payload, at(ref), sizeof payload);
    return type == Value::Type::Date ? Value::fromDateSerial(payload) : Value(payload);
}

QString CellTextStore::text(CellRef ref) const
{
    return ref.isValue() ? value(ref).toText() : view(ref).toString();
}

const char *CellTextStore::at(CellRef ref) const
{
    return m_chunks[ref.offset >> ChunkBits].get() + (ref.offset & (ChunkBytes - 1));
}

QAnyStringView CellTextStore::view(CellRef ref) const
{
    if (ref.isEmpty() || ref.isValue())
        return {};
    if (ref.offset & LargeFlag)
        return m_large[ref.offset & ~LargeFlag];
    const char *at = this->at(ref);
    const auto length = qsizetype(ref.characters());
    if (ref.isNarrow())
        return QLatin1StringView(at, length);
    return QStringView(reinterpret_cast<const char16_t *>(at), length);
}

void CellTextStore::release(CellRef ref)
{
    if (ref.isValue()) {
        if (!(ref.length & CellRef::InlineFlag)) {
            m_liveChars -= sizeof(double) / sizeof(char16_t);
            m_garbageChars += sizeof(double) / sizeof(char16_t);
        }
        return;
    }
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
