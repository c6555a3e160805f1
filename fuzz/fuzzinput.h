#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// Takes a fuzzer's bytes apart into the pieces a harness needs: single bytes for
// choices, and byte strings that end at a NUL byte or at the end of the input.
class FuzzInput
{
public:
    FuzzInput(const uint8_t *data, size_t size)
        : m_data(data)
        , m_size(size)
    {}

    bool atEnd() const { return m_at >= m_size; }
    uint8_t byte() { return atEnd() ? 0 : m_data[m_at++]; }

    QByteArray bytes()
    {
        QByteArray piece;
        while (!atEnd() && m_data[m_at] != 0)
            piece.append(char(m_data[m_at++]));
        byte(); // the NUL that ended it
        return piece;
    }

    QByteArray rest()
    {
        const QByteArray piece(reinterpret_cast<const char *>(m_data + m_at),
                               qsizetype(m_size - m_at));
        m_at = m_size;
        return piece;
    }

    QString text() { return QString::fromUtf8(bytes()); }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_at = 0;
};

// A crash libFuzzer reports with the input that broke the property.
#define FUZZ_CHECK(condition) \
    do { \
        if (!(condition)) \
            __builtin_trap(); \
    } while (false)
