// SPDX-License-Identifier: GPL-3.0-or-later
// The status line's rules: how a text too long for it is shortened, and the
// messages it keeps for the user to read again.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>

namespace statusline {

// The width a text takes on screen, as the window measures it.
using Advance = std::function<int(const QString &)>;

// The text as it fits into width: whole when it fits; else its beginning
// and its end with "…" between, so that a path keeps its file name and a
// count its last words. A character is never split.
QString elideMiddle(const QString &text, int width, const Advance &advance);

struct Entry {
    QDateTime time;
    QString text;
};

// The last messages, oldest first. A message that differs from the newest
// only in its numbers, shortly after it, is the same report going on (a
// transfer's count): it takes the newest's place instead of pushing older
// messages out.
class History {
public:
    static constexpr int kCapacity = 50;
    static constexpr qint64 kProgressSeconds = 10;

    void add(const QDateTime &time, const QString &text);
    const QList<Entry> &entries() const { return m_entries; }

private:
    QList<Entry> m_entries;
};

} // namespace statusline
