// The cell text store: texts added to chunks, viewed, released and cleared.

#include "suiteframe/controls/celltextstore_p.h"

#include "suiteframe/platform/runtimeerror.h"

#include <QStringDecoder>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

namespace controls {

namespace {

bool fitsOneByte(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x100; });
}

bool isContinuation(uchar byte)
{
    return (byte & 0xc0) == 0x80;
}

// What a UTF-8 text holds, read in one pass: whether it is all ASCII, and how many
// UTF-16 units it decodes to, one for each character and two for one outside the basic
// plane (its lead byte from F0).
struct Utf8Shape
{
    bool ascii;
    quint32 utf16Units;
};

Utf8Shape shapeOf(QUtf8StringView text)
{
    uchar highBits = 0;
    quint32 units = 0;
    for (const char c : text) {
        const auto byte = uchar(c);
        highBits |= byte;
        units += !isContinuation(byte) + (byte >= 0xf0);
    }
    return {(highBits & 0x80) == 0, units};
}

// Well-formed UTF-8 decoded into UTF-16 at out, a short text at a time far faster than
// the general decoder; nothing where the text is not well formed (a stray or missing
// continuation byte, an overlong form, a surrogate, beyond U+10FFFF) or starts with a
// byte order mark, which the general decoder then handles as it always has.
std::optional<quint32> decodeWellFormed(QUtf8StringView text, char16_t *out)
{
    const auto *p = reinterpret_cast<const uchar *>(text.data());
    const auto *const end = p + text.size();
    if (text.size() >= 3 && std::memcmp(text.data(), "\xef\xbb\xbf", 3) == 0)
        return std::nullopt;
    char16_t *const start = out;
    while (p < end) {
        const uchar lead = *p;
        if (lead < 0x80) {
            *out++ = lead;
            ++p;
            continue;
        }
        if ((lead & 0xf0) == 0xe0 && end - p >= 3 && isContinuation(p[1])
            && isContinuation(p[2])) { // the common case: Chinese
            const auto code = char16_t(((lead & 0x0f) << 12) | ((p[1] & 0x3f) << 6) | (p[2] & 0x3f));
            if (code < 0x800 || (code >= 0xd800 && code < 0xe000))
                return std::nullopt;
            *out++ = code;
            p += 3;
            continue;
        }
        const int length = lead < 0xc2   ? 0
                           : lead < 0xe0 ? 2
                           : lead < 0xf0 ? 3
                           : lead < 0xf5 ? 4
                                         : 0;
        if (length == 0 || end - p < length || !std::all_of(p + 1, p + length, isContinuation))
            return std::nullopt;
        char32_t code = lead & (0x7f >> length);
        for (int i = 1; i < length; ++i)
            code = (code << 6) | (p[i] & 0x3f);
        constexpr char32_t Least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < Least[length] || (code >= 0xd800 && code < 0xe000) || code > 0x10ffff)
            return std::nullopt;
        if (code >= 0x10000) {
            *out++ = QChar::highSurrogate(code);
            *out++ = QChar::lowSurrogate(code);
        } else {
            *out++ = char16_t(code);
        }
        p += length;
    }
    return quint32(out - start);
}

using platform::Value;

// A flag, an integer, a number in quarters (whole, halves and quarters: most amounts and
// quantities) or a whole-day date kept in the reference itself: its kind in two bits, a
// 29-bit signed payload. Integers of 16 and 32 bits share a kind: a cell's value is kept
// for its text, which is the same for both.
enum InlineKind : quint32 { InlineBoolean, InlineWhole, InlineQuarters, InlineDate };
constexpr int InlinePayloadBits = 29;
constexpr qint64 InlineLimit = qint64(1) << (InlinePayloadBits - 1);

std::optional<CellRef> inlined(InlineKind kind, qint64 payload)
{
    if (payload < -InlineLimit || payload >= InlineLimit)
        return std::nullopt;
    const quint32 bits = quint32(payload) & ((1u << InlinePayloadBits) - 1);
    return CellRef{CellRef::InlineFlag | (quint32(kind) << InlinePayloadBits) | bits};
}

qint32 inlinePayload(CellRef ref)
{
    return qint32(ref.bits << (32 - InlinePayloadBits)) >> (32 - InlinePayloadBits);
}

InlineKind inlineKind(CellRef ref)
{
    return InlineKind((ref.bits >> InlinePayloadBits) & 3);
}

// A date without a time of day.
bool isWholeDay(double serial)
{
    return serial == std::floor(serial);
}

// The number in quarters where it is a whole number of them, with room in the reference;
// not -0, whose text may differ from 0's.
std::optional<CellRef> inQuarters(double number)
{
    if (!(std::fabs(number) < 0x1p26) || (number == 0 && std::signbit(number)))
        return std::nullopt;
    const double quarters = number * 4;
    const auto whole = qint64(quarters);
    return double(whole) == quarters ? inlined(InlineQuarters, whole) : std::nullopt;
}

quint32 evenBytes(quint32 bytes)
{
    return (bytes + 1) & ~1u;
}

} // namespace

void CellTextStore::addChunk()
{
    // A reference addresses two-byte units below its inline flag.
    if ((m_chunks.size() + 1) << (ChunkBits - 1) >= CellRef::InlineFlag)
        throw platform::RuntimeError(platform::ErrorNumber::OutOfMemory);
    if (m_chunks.empty()) {
        m_firstChunk = std::make_unique_for_overwrite<char[]>(FirstChunkBytes);
        m_chunks.push_back(m_firstChunk.get());
        m_lastChunkBytes = FirstChunkBytes;
    } else {
        m_blocks.push_back(platform::largeblock::allocate());
        m_chunks.push_back(m_blocks.back().get());
        m_lastChunkBytes = ChunkBytes;
    }
    m_usedInLastChunk = 0;
}

char *CellTextStore::place(Header header, quint32 bytes, CellRef &ref)
{
    const quint32 record = evenBytes(sizeof(Header) + bytes);
    if (m_usedInLastChunk + record > m_lastChunkBytes)
        addChunk();
    const auto unit = (quint32(m_chunks.size() - 1) << (ChunkBits - 1)) | (m_usedInLastChunk / 2);
    ref.bits = unit + 1; // zero is the empty cell
    char *at = m_chunks.back() + m_usedInLastChunk;
    std::memcpy(at, &header, sizeof header);
    m_usedInLastChunk += record;
    m_liveBytes += record;
    return at + sizeof header;
}

const char *CellTextStore::at(CellRef ref) const
{
    const quint32 unit = ref.bits - 1;
    return m_chunks[unit >> (ChunkBits - 1)] + (unit & ((ChunkBytes / 2) - 1)) * 2;
}

CellTextStore::Header CellTextStore::headerOf(CellRef ref) const
{
    Header header;
    std::memcpy(&header, at(ref), sizeof header);
    return header;
}

std::size_t CellTextStore::recordBytes(CellRef ref) const
{
    if (ref.isEmpty() || ref.isInline())
        return 0;
    const Header header = headerOf(ref);
    if (header & RecordOfValue) {
        const auto type = Value::Type(header & 0xff);
        const bool eightBytes = !(header & FloatPayload)
                                && (type == Value::Type::Double || type == Value::Type::Date);
        return sizeof header + (eightBytes ? 8 : 4);
    }
    const quint32 length = header & LengthBits;
    return evenBytes(sizeof header + length * ((header & (NarrowFlag | Utf8Flag)) ? 1 : 2));
}

CellRef CellTextStore::add(QAnyStringView text)
{
    if (text.isEmpty())
        return {};
    return text.visit([this](auto view) {
        if (view.size() > LargeText)
            return addLarge(view.toString());
        return addText(view);
    });
}

CellRef CellTextStore::addLarge(QString text)
{
    const auto index = quint32(m_large.size());
    m_large.push_back(std::move(text));
    CellRef ref;
    std::memcpy(place(RecordOfValue | LargeType, sizeof index, ref), &index, sizeof index);
    return ref;
}

CellRef CellTextStore::addText(QStringView text)
{
    const auto length = quint32(text.size());
    CellRef ref;
    if (fitsOneByte(text)) {
        char *at = place(Header(length | NarrowFlag), length, ref);
        std::transform(text.begin(), text.end(), at, [](QChar c) { return char(c.unicode()); });
    } else {
        std::memcpy(place(Header(length), length * 2, ref), text.utf16(), length * 2);
    }
    return ref;
}

CellRef CellTextStore::addText(QLatin1StringView text)
{
    const auto length = quint32(text.size());
    CellRef ref;
    std::memcpy(place(Header(length | NarrowFlag), length, ref), text.data(), length);
    return ref;
}

// Plain ASCII is kept a byte a character as it is, and a text no longer in UTF-8 than in
// UTF-16 as it came; anything else is decoded into UTF-16 in place, the room for the
// longest decoding placed first and the rest given back.
CellRef CellTextStore::addText(QUtf8StringView text)
{
    const auto bytes = quint32(text.size());
    const auto [ascii, units] = shapeOf(text);
    if (ascii)
        return addText(QLatin1StringView(text.data(), text.size()));
    CellRef ref;
    if (bytes <= 2 * units) {
        std::memcpy(place(Header(bytes | Utf8Flag), bytes, ref), text.data(), bytes);
        return ref;
    }
    auto *at = reinterpret_cast<char16_t *>(place(Header(bytes), bytes * 2, ref));
    std::optional<quint32> decoded = decodeWellFormed(text, at);
    if (!decoded) {
        auto *const chars = reinterpret_cast<QChar *>(at);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        decoded = quint32(decoder.appendToBuffer(chars, text) - chars);
    }
    unplace((bytes - *decoded) * 2);
    const auto header = Header(*decoded);
    std::memcpy(reinterpret_cast<char *>(at) - sizeof header, &header, sizeof header);
    return ref;
}

CellRef CellTextStore::addRecordOfValue(Header header, const void *payload, quint32 size)
{
    CellRef ref;
    std::memcpy(place(RecordOfValue | header, size, ref), payload, size);
    return ref;
}

CellRef CellTextStore::addValue(const Value &value)
{
    const Value::Type type = value.type();
    std::optional<CellRef> small;
    switch (type) {
    case Value::Type::Empty:
    case Value::Type::Null:
        return {};
    case Value::Type::Boolean:
        return *inlined(InlineBoolean, value.toBoolean() ? 1 : 0);
    case Value::Type::Integer:
        return *inlined(InlineWhole, value.toInteger());
    case Value::Type::Long: {
        const qint32 number = value.toLong();
        small = inlined(InlineWhole, number);
        return small ? *small : addRecordOfValue(Header(type), &number, sizeof number);
    }
    case Value::Type::Single: {
        const float number = value.toSingle();
        return addRecordOfValue(Header(type), &number, sizeof number);
    }
    case Value::Type::Date: {
        const double serial = value.dateSerial();
        if (isWholeDay(serial))
            small = inlined(InlineDate, qint64(std::clamp(serial, -4e9, 4e9)));
        return small ? *small : addRecordOfValue(Header(type), &serial, sizeof serial);
    }
    case Value::Type::Double: {
        const double number = value.toDouble();
        if ((small = inQuarters(number)))
            return *small;
        // Other numbers a single holds exactly take half the memory.
        if (const float narrow = float(number); double(narrow) == number)
            return addRecordOfValue(FloatPayload | Header(type), &narrow, sizeof narrow);
        return addRecordOfValue(Header(type), &number, sizeof number);
    }
    case Value::Type::Decimal:
    case Value::Type::String:
        break;
    }
    return add(value.toText());
}

bool CellTextStore::isValue(CellRef ref) const
{
    if (ref.isEmpty() || ref.isInline())
        return !ref.isEmpty();
    const Header header = headerOf(ref);
    return (header & RecordOfValue) && !isLargeText(header);
}

quint32 CellTextStore::largeIndex(CellRef ref) const
{
    quint32 index;
    std::memcpy(&index, at(ref) + sizeof(Header), sizeof index);
    return index;
}

Value CellTextStore::value(CellRef ref) const
{
    if (ref.isInline()) {
        const qint32 payload = inlinePayload(ref);
        switch (inlineKind(ref)) {
        case InlineBoolean:
            return Value(payload != 0);
        case InlineWhole:
            return Value(payload);
        case InlineQuarters:
            return Value(double(payload) / 4);
        case InlineDate:
            return Value::fromDateSerial(payload);
        }
    }
    const Header header = headerOf(ref);
    const auto type = Value::Type(header & 0xff);
    const char *payload = at(ref) + sizeof(Header);
    const auto read = [payload]<typename T>(T number) {
        std::memcpy(&number, payload, sizeof number);
        return number;
    };
    switch (type) {
    case Value::Type::Long:
        return Value(read(qint32()));
    case Value::Type::Single:
        return Value(read(float()));
    case Value::Type::Date:
        return Value::fromDateSerial(read(double()));
    default:
        return Value((header & FloatPayload) ? double(read(float())) : read(double()));
    }
}

QString CellTextStore::text(CellRef ref) const
{
    return isValue(ref) ? value(ref).toText() : view(ref).toString();
}

bool CellTextStore::writeNumberText(CellRef ref,
                                    platform::regional::ShortText &text,
                                    const platform::regional::LocaleForms &forms) const
{
    if (!isValue(ref))
        return false;
    const Value value = this->value(ref);
    switch (value.type()) {
    case Value::Type::Integer:
    case Value::Type::Long: {
        // As QString::number writes it, which is how the runtime writes an integer.
        char digits[16];
        const char *end = std::to_chars(std::begin(digits), std::end(digits), value.toLong()).ptr;
        text.append(QLatin1StringView(digits, end - digits));
        return true;
    }
    case Value::Type::Single:
        return platform::regional::writeNumberText(text, value.toSingle(), forms);
    case Value::Type::Double:
        return platform::regional::writeNumberText(text, value.toDouble(), forms);
    default:
        return false;
    }
}

QAnyStringView CellTextStore::view(CellRef ref) const
{
    if (ref.isEmpty() || ref.isInline())
        return {};
    const Header header = headerOf(ref);
    const char *text = at(ref) + sizeof header;
    if (header & RecordOfValue)
        return isLargeText(header) ? QAnyStringView(m_large[largeIndex(ref)]) : QAnyStringView();
    const qsizetype length = header & LengthBits;
    if (header & NarrowFlag)
        return QLatin1StringView(text, length);
    if (header & Utf8Flag)
        return QUtf8StringView(text, length);
    return QStringView(reinterpret_cast<const char16_t *>(text), length);
}

void CellTextStore::release(CellRef ref)
{
    if (ref.isEmpty() || ref.isInline())
        return;
    if (isLargeText(headerOf(ref)))
        m_large[largeIndex(ref)] = QString(); // frees it at once
    const auto bytes = qsizetype(recordBytes(ref));
    m_liveBytes -= bytes;
    m_garbageBytes += bytes;
}

void CellTextStore::clear()
{
    m_chunks.clear();
    m_blocks.clear();
    m_firstChunk.reset();
    m_large.clear();
    m_lastChunkBytes = 0;
    m_usedInLastChunk = 0;
    m_liveBytes = 0;
    m_garbageBytes = 0;
}

std::size_t CellTextStore::bytes() const
{
    std::size_t total = (m_firstChunk ? FirstChunkBytes : 0) + m_blocks.size() * ChunkBytes
                        + m_blocks.capacity() * sizeof(m_blocks[0])
                        + m_chunks.capacity() * sizeof(m_chunks[0])
                        + m_large.capacity() * sizeof(QString);
    for (const QString &text : m_large)
        total += std::size_t(text.capacity()) * sizeof(char16_t);
    return total;
}

} // namespace controls
