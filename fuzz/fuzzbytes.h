// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the fuzz targets: the input as bytes, and a check that ends the
// run as a finding when a rule the parsers promise does not hold.
#pragma once

#include <QByteArray>
#include <QByteArrayList>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzz {

// The input without a copy and without a terminating zero, so that a parser
// reading past the end of what it was given is caught.
inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A promise broken: reported like a crash, so that the input is kept.
inline void check(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

// Cuts the input into pieces at a separator byte (as a file is cut into the
// parts a target feeds to different functions); the last piece is the rest.
inline QByteArrayList pieces(const QByteArray &input, char separator, int count)
{
    QByteArrayList parts;
    qsizetype from = 0;
    for (int i = 1; i < count; ++i) {
        const qsizetype at = input.indexOf(separator, from);
        if (at < 0)
            break;
        parts.append(input.mid(from, at - from));
        from = at + 1;
    }
    parts.append(input.mid(from));
    while (parts.size() < count)
        parts.append(QByteArray());
    return parts;
}

// Takes an input apart: numbers from its end, text from its front, in the
// way clang's FuzzedDataProvider does, so that inputs the fuzzer found
// replay the same way in the builds without clang.
class Input {
public:
    Input(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}

    size_t remaining_bytes() const { return m_size; }

    // The integral types used here are one byte wide.
    template <typename T> T ConsumeIntegral()
    {
        static_assert(sizeof(T) == 1, "only single bytes are taken from the end");
        if (m_size == 0)
            return T(0);
        --m_size;
        return T(m_data[m_size]);
    }

    std::string ConsumeBytesAsString(size_t count)
    {
        count = std::min(count, m_size);
        std::string taken(reinterpret_cast<const char *>(m_data), count);
        advance(count);
        return taken;
    }

    // Up to maxLength characters; a backslash followed by anything but a
    // backslash ends the text early, a doubled one stands for itself.
    std::string ConsumeRandomLengthString(size_t maxLength)
    {
        std::string taken;
        for (size_t i = 0; i < maxLength && m_size > 0; ++i) {
            char next = char(m_data[0]);
            advance(1);
            if (next == '\\' && m_size > 0) {
                next = char(m_data[0]);
                advance(1);
                if (next != '\\')
                    break;
            }
            taken += next;
        }
        return taken;
    }

    std::string ConsumeRemainingBytesAsString() { return ConsumeBytesAsString(m_size); }

    template <typename T> std::vector<T> ConsumeRemainingBytes()
    {
        static_assert(sizeof(T) == 1, "bytes only");
        std::vector<T> taken(m_data, m_data + m_size);
        advance(m_size);
        return taken;
    }

private:
    void advance(size_t count)
    {
        m_data += count;
        m_size -= count;
    }

    const uint8_t *m_data;
    size_t m_size;
};

} // namespace fuzz
