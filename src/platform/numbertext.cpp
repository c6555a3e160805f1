// Numbers read from text and written as text as the runtime does, in the system
// locale.

#include "suiteframe/platform/regional.h"
#include "suiteframe/platform/regional_p.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace platform::regional {

namespace {

// "&H" and "&O" numbers keep the sign bit of the smallest integer holding them, as
// literals do: &HFFFF is -1, &H10000 is 65536, &HFFFFFFFF is -1.
std::optional<double> parseRadix(QStringView digits, int base)
{
    if (digits.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : digits) {
        const int digit = isDigit(c) ? c.digitValue()
                          : c.toLower() >= u'a' && c.toLower() <= u'f'
                              ? c.toLower().unicode() - u'a' + 10
                              : 99;
        if (digit >= base)
            return std::nullopt;
        value = value * base + quint64(digit);
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    if (value <= 0xFFFF)
        return double(qint16(quint16(value)));
    return double(qint32(quint32(value)));
}

// Reads the text character by character into a plain number text in the C locale.
class NumberReader
{
public:
    NumberReader(QStringView text, const QLocale &locale)
        : m_text(text)
        , m_locale(locale)
    {
        m_currencies << locale.currencySymbol();
        if (isTaiwan(locale))
            m_currencies << QStringLiteral("NT$") << QStringLiteral("$");
    }

    std::optional<double> read()
    {
        readAffixes(true);
        if (!readMantissa() || !readExponent())
            return std::nullopt;
        readAffixes(false);
        if (m_pos != m_text.size() || m_parens == 1 || (m_parens == 2 && m_negative))
            return std::nullopt;
        bool ok = false; // not ok on underflow too, where the answer is 0
        const double value = QLocale::c().toDouble(m_plain, &ok);
        if (!std::isfinite(value) || (!ok && value != 0))
            return std::nullopt;
        return (m_negative || m_parens == 2) && value != 0 ? -value : value;
    }

private:
    bool take(const QString &symbol)
    {
        if (symbol.isEmpty() || !m_text.mid(m_pos).startsWith(symbol))
            return false;
        m_pos += symbol.size();
        return true;
    }

    // Blanks, one sign, one currency symbol and a parenthesis before or after.
    void readAffixes(bool leading)
    {
        while (m_pos < m_text.size()) {
            const QChar c = m_text.at(m_pos);
            if (c.isSpace()) {
                ++m_pos;
            } else if ((c == u'-' || c == u'+') && !m_signed) {
                m_signed = true;
                m_negative = c == u'-';
                ++m_pos;
            } else if (c == (leading ? u'(' : u')') && m_parens == (leading ? 0 : 1)) {
                ++m_parens;
                ++m_pos;
            } else if (!m_currency
                       && std::any_of(m_currencies.cbegin(),
                                      m_currencies.cend(),
                                      [&](const QString &s) { return take(s); })) {
                m_currency = true;
            } else {
                return;
            }
        }
    }

    int readDigits()
    {
        int count = 0;
        while (m_pos < m_text.size() && isDigit(m_text.at(m_pos))) {
            m_plain += m_text.at(m_pos);
            ++m_pos;
            ++count;
        }
        return count;
    }

    // Digits with groups of three after each group separator, then the decimal part.
    bool readMantissa()
    {
        int digits = readDigits();
        const QString group = m_locale.groupSeparator();
        while (digits > 0 && m_text.mid(m_pos).startsWith(group)) {
            const qsizetype mark = m_pos;
            m_pos += group.size();
            if (readDigits() != 3) {
                m_pos = mark;
                return false;
            }
        }
        if (take(m_locale.decimalPoint())) {
            m_plain += u'.';
            digits += readDigits();
        }
        return digits > 0;
    }

    bool readExponent()
    {
        if (m_pos >= m_text.size() || !QStringLiteral("eEdD").contains(m_text.at(m_pos)))
            return true;
        ++m_pos;
        m_plain += u'e';
        if (m_pos < m_text.size() && (m_text.at(m_pos) == u'-' || m_text.at(m_pos) == u'+'))
            m_plain += m_text.at(m_pos++);
        return readDigits() > 0;
    }

    QStringView m_text;
    const QLocale &m_locale;
    QStringList m_currencies;
    QString m_plain;
    qsizetype m_pos = 0;
    int m_parens = 0; // 1 after "(", 2 after the matching ")"
    bool m_signed = false;
    bool m_negative = false;
    bool m_currency = false;
};

// A number's significant digits, rounded, and the power of ten of the first of them.
struct RoundedDigits
{
    char digits[24]; // without trailing zeros
    int count = 0;
    int exponent = 0;
};

// The magnitude in scientific form with the given number of digits after the point,
// correctly rounded: the digits start the buffer, the exponent follows the "e".
struct Scientific
{
    const char *e;
    const char *end;
};

Scientific scientific(double magnitude, int digitsAfterPoint, char *begin, char *end)
{
    const char *written
        = std::to_chars(begin, end, magnitude, std::chars_format::scientific, digitsAfterPoint).ptr;
    return {std::find(static_cast<const char *>(begin), written, 'e'), written};
}

// The shortest digits that read back as the magnitude, where there are no more than
// precision of them: then they are its rounded digits, whichever way ties go, since the
// magnitude lies far closer to them than to any other number of so many digits. That
// holds where a double has its full precision, and not for the subnormal ones.
std::optional<RoundedDigits> shortDigits(double magnitude, int precision)
{
    if (magnitude < std::numeric_limits<double>::min())
        return std::nullopt;
    char buffer[40];
    const char *end = std::to_chars(std::begin(buffer),
                                    std::end(buffer),
                                    magnitude,
                                    std::chars_format::scientific)
                          .ptr;
    const char *e = std::find(static_cast<const char *>(buffer), end, 'e');
    const int count = e - buffer > 2 ? int(e - buffer) - 1 : 1; // "d.ddd" or "d"
    if (count > precision)
        return std::nullopt;
    RoundedDigits rounded;
    rounded.digits[0] = buffer[0];
    if (count > 1)
        std::copy(static_cast<const char *>(buffer) + 2, e, rounded.digits + 1);
    rounded.count = count;
    std::from_chars(e + 1 + (e[1] == '+'), end, rounded.exponent);
    return rounded;
}

// Most amounts and quantities have few binary places (whole numbers, halves, quarters,
// down to 1/1024), and so as many decimal places: below 10^(precision - places) they
// have no more than precision digits, which a whole number's digits give exactly, far
// quicker than the shortest digits of a double.
constexpr int MostBinaryPlaces = 10;

// The places are read off the magnitude in units of 2^-MostBinaryPlaces: their trailing
// zero bits are the places it does not need. From 2^52 on, a double is whole.
std::optional<int> fewBinaryPlaces(double magnitude, int precision)
{
    static constexpr double powersOfTen[]
        = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (precision >= int(std::size(powersOfTen)))
        return std::nullopt;
    int places = 0;
    if (magnitude < 0x1p52) { // not NaN, and exact in units below 2^62
        const double scaled = magnitude * (1 << MostBinaryPlaces);
        const auto units = quint64(scaled);
        if (double(units) != scaled)
            return std::nullopt;
        if (units != 0)
            places = MostBinaryPlaces - std::min(std::countr_zero(units), MostBinaryPlaces);
    }
    if (places >= precision || !(magnitude < powersOfTen[precision - places]))
        return std::nullopt;
    return places;
}

// The digits of a magnitude with few binary places, into rounded; false for another.
bool fewPlacesDigits(double magnitude, int precision, RoundedDigits &rounded)
{
    const std::optional<int> places = fewBinaryPlaces(magnitude, precision);
    if (!places)
        return false;
    // magnitude * 10^places, a whole number below 10^precision.
    quint64 whole = quint64(std::ldexp(magnitude, *places));
    for (int i = 0; i < *places; ++i)
        whole *= 5;
    const char *end = std::to_chars(std::begin(rounded.digits), std::end(rounded.digits), whole).ptr;
    const int written = int(end - rounded.digits);
    rounded.exponent = written - 1 - *places;
    rounded.count = written;
    while (rounded.count > 1 && rounded.digits[rounded.count - 1] == '0')
        --rounded.count;
    return true;
}

// Rounds to the given number of significant digits with ties away from zero, as the
// runtime does (the Single 654322.25 is 654322.3). A magnitude with no more digits is its
// own rounding. Otherwise the digit after the last one kept, correctly rounded, decides,
// unless it is a 5: then the exact value, written far enough, tells a tie from a value
// just below it.
RoundedDigits roundedDigits(double magnitude, int precision)
{
    if (RoundedDigits rounded; fewPlacesDigits(magnitude, precision, rounded))
        return rounded;
    if (const auto digits = shortDigits(magnitude, precision))
        return *digits;
    char buffer[96];
    Scientific written = scientific(magnitude, precision, std::begin(buffer), std::end(buffer));
    if (buffer[precision + 1] == '5')
        written = scientific(magnitude, precision + 40, std::begin(buffer), std::end(buffer));

    RoundedDigits rounded;
    rounded.digits[0] = buffer[0];
    std::copy(buffer + 2, buffer + 1 + precision, rounded.digits + 1);
    std::from_chars(written.e + 1 + (written.e[1] == '+'), written.end, rounded.exponent);
    int count = precision;
    if (buffer[precision + 1] >= '5') {
        int i = precision - 1;
        for (; i >= 0 && rounded.digits[i] == '9'; --i)
            rounded.digits[i] = '0';
        if (i >= 0) {
            ++rounded.digits[i];
        } else {
            rounded.digits[0] = '1';
            ++rounded.exponent;
        }
    }
    while (count > 1 && rounded.digits[count - 1] == '0')
        --count;
    rounded.count = count;
    return rounded;
}

// The runtime writes plain decimals whenever they need no more digit positions than
// the number has significant digits: 999999999999999 and 0.000000000056789 (15 places),
// but 1E+15 and 6.66666666666667E-02 (16 places); the exponent has two digits at least.
// Longest: a sign, "0", the point and 15 places, or digits, point and "E-308".
bool writePrinted(ShortText &text, double value, int precision, const LocaleForms &forms)
{
    if (value == 0) {
        text.append(u'0'); // also for negative zero
        return true;
    }
    if (!std::isfinite(value))
        return false;
    const RoundedDigits r = roundedDigits(std::fabs(value), precision);
    const QString &point = forms.decimalPoint;
    const auto digits = [&r](int from, int to) {
        return QLatin1StringView(r.digits + from, qsizetype(to - from));
    };

    if (value < 0)
        text.append(u'-');
    const bool plain = r.exponent >= 0 ? r.exponent < precision
                                       : -r.exponent - 1 + r.count <= precision;
    if (!plain) {
        text.append(digits(0, 1));
        if (r.count > 1) {
            text.append(point);
            text.append(digits(1, r.count));
        }
        text.append(QLatin1StringView(r.exponent < 0 ? "E-" : "E+"));
        const int magnitude = std::abs(r.exponent);
        if (magnitude < 10)
            text.append(u'0');
        char exponent[8];
        text.append(QLatin1StringView(exponent,
                                      std::to_chars(exponent, std::end(exponent), magnitude).ptr));
    } else if (r.exponent >= 0) {
        const int whole = r.exponent + 1;
        text.append(digits(0, std::min(whole, r.count)));
        text.appendRepeated(u'0', whole - r.count);
        if (r.count > whole) {
            text.append(point);
            text.append(digits(whole, r.count));
        }
    } else {
        text.append(u'0');
        text.append(point);
        text.appendRepeated(u'0', -r.exponent - 1);
        text.append(digits(0, r.count));
    }
    return true;
}

QString printed(double value, int precision)
{
    ShortText text;
    return writePrinted(text, value, precision, localeForms()) ? text.view().toString()
                                                               : QString::number(value);
}

} // namespace

void ShortText::append(QStringView text)
{
    for (const QChar c : text)
        append(c.unicode());
}

void ShortText::append(QLatin1StringView text)
{
    for (const char c : text)
        append(char16_t(uchar(c)));
}

void ShortText::appendRepeated(char16_t unit, qsizetype count)
{
    while (count-- > 0)
        append(unit);
}

double roundedToSignificantDigits(double value, int digits)
{
    if (value == 0 || !std::isfinite(value) || fewBinaryPlaces(std::fabs(value), digits)
        || shortDigits(std::fabs(value), digits))
        return value; // its own digits are its rounded ones
    const RoundedDigits r = roundedDigits(std::fabs(value), digits);
    char text[48];
    char *at = text;
    if (value < 0)
        *at++ = '-';
    at = std::copy(r.digits, r.digits + r.count, at);
    *at++ = 'e';
    at = std::to_chars(at, std::end(text), r.exponent - (r.count - 1)).ptr;
    double read = value;
    std::from_chars(text, at, read);
    return read;
}

std::optional<double> parseNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.size() > 2 && trimmed.at(0) == u'&') {
        const QChar radix = trimmed.at(1).toUpper();
        if (radix == u'H' || radix == u'O')
            return parseRadix(QStringView(trimmed).mid(2), radix == u'H' ? 16 : 8);
    }
    return NumberReader(trimmed, systemLocale()).read();
}

QString numberText(double value)
{
    return printed(value, 15);
}

QString numberText(float value)
{
    return printed(double(value), 7);
}

bool writeNumberText(ShortText &text, double value, const LocaleForms &forms)
{
    return writePrinted(text, value, 15, forms);
}

bool writeNumberText(ShortText &text, float value, const LocaleForms &forms)
{
    return writePrinted(text, double(value), 7, forms);
}

} // namespace platform::regional
