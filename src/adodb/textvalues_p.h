// Internal to the database connection: values that cross between the program and a
// database as text. Not installed.

#pragma once

#include "suiteframe/platform/value.h"

#include <QString>
#include <QStringView>

namespace adodb {

// A sign at most, then digits with a decimal point among them or after them, at least
// one digit in all: "-12.50", "12.", ".5".
inline bool isPlainDecimal(QStringView text)
{
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+'))
        text = text.mid(1);
    bool digit = false;
    bool point = false;
    for (const QChar c : text) {
        if (c >= u'0' && c <= u'9')
            digit = true;
        else if (c == u'.' && !point)
            point = true;
        else
            return false;
    }
    return digit;
}

// A NUMERIC or 64-bit integer cell read as text: exact digits stay an exact Decimal;
// what a database writes otherwise (NaN, an exponent, or a text stored in a numeric
// column) keeps the meaning it can carry: a Double, or the text itself.
inline platform::Value numericTextValue(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (isPlainDecimal(trimmed))
        return platform::Value::fromDecimalText(trimmed);
    bool ok = false;
    const double number = trimmed.toDouble(&ok);
    return ok ? platform::Value(number) : platform::Value(text);
}

// A parameter's value as a database takes it in text: an exact decimal's digits with
// '.', a date in ISO form (with its time of day where it has one), any other value as
// the runtime writes it.
inline QString parameterText(const platform::Value &value)
{
    switch (value.type()) {
    case platform::Value::Type::Decimal:
        return value.decimalDigits();
    case platform::Value::Type::Date: {
        const QDateTime at = value.toDate();
        return at.time() == QTime(0, 0) ? at.date().toString(Qt::ISODate)
                                        : at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    default:
        return value.toText();
    }
}

// The failure's words where a statement's ? markers and the values given differ in number.
inline QString parameterCountMismatch(qsizetype markers, qsizetype given)
{
    return QStringLiteral("敘述有 %1 個參數記號 ?，卻給了 %2 個參數").arg(markers).arg(given);
}

} // namespace adodb
