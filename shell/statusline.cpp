// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/statusline.h"

namespace statusline {

namespace {

const QString kEllipsis = QStringLiteral("\u2026");

// The first n UTF-16 units of text, less a lone half of a pair at the cut.
QString head(const QString &text, qsizetype n)
{
    if (n > 0 && n < text.size() && text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n);
}

// The last n UTF-16 units of text, less a lone half of a pair at the cut.
QString tail(const QString &text, qsizetype n)
{
    if (n > 0 && n < text.size() && text.at(text.size() - n).isLowSurrogate())
        --n;
    return text.right(n);
}

QString shortened(const QString &text, qsizetype kept)
{
    // The end gets the larger half: it holds the file name or the count.
    return head(text, kept / 2) + kEllipsis + tail(text, kept - kept / 2);
}

QString withoutNumbers(const QString &text)
{
    QString rest;
    for (const QChar c : text)
        if (!c.isDigit())
            rest += c;
    return rest;
}

} // namespace

QString elideMiddle(const QString &text, int width, const Advance &advance)
{
    if (advance(text) <= width)
        return text;
    if (advance(kEllipsis) > width)
        return {};
    // The most characters kept that still fit, found by halving.
    qsizetype fits = 0;
    qsizetype tooMany = text.size();
    while (tooMany - fits > 1) {
        const qsizetype kept = (fits + tooMany) / 2;
        if (advance(shortened(text, kept)) <= width)
            fits = kept;
        else
            tooMany = kept;
    }
    return shortened(text, fits);
}

void History::add(const QDateTime &time, const QString &text)
{
    if (text.isEmpty())
        return;
    if (!m_entries.isEmpty()) {
        Entry &newest = m_entries.last();
        if (newest.time.secsTo(time) <= kProgressSeconds && withoutNumbers(newest.text) == withoutNumbers(text)) {
            newest = {time, text};
            return;
        }
    }
    m_entries.append({time, text});
    if (m_entries.size() > kCapacity)
        m_entries.removeFirst();
}

} // namespace statusline
