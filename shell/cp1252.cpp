// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/cp1252.h"

#include <array>

namespace {

// 0x80..0x9F; 0 marks the five codes that the code page leaves undefined,
// which are passed through as the control characters of the same number.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

QString fromCp1252(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b < 0xA0 && kHigh[b - 0x80] != 0)
            out.append(QChar(kHigh[b - 0x80]));
        else
            out.append(QChar(char16_t(b)));
    }
    return out;
}

std::optional<char> cp1252Byte(QChar ch)
{
    const char16_t u = ch.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF) || (u >= 0x80 && u < 0xA0 && kHigh[u - 0x80] == 0))
        return char(u);
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == u)
            return char(0x80 + i);
    }
    return std::nullopt;
}

QByteArray toCp1252(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text)
        out.append(cp1252Byte(ch).value_or('?'));
    return out;
}
