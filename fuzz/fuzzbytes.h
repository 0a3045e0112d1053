// Shared by the fuzz targets: the input as bytes, and a check that ends the
// run as a finding when a rule the parsers promise does not hold.
#pragma once

#include <QByteArray>
#include <QByteArrayList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

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

} // namespace fuzz
