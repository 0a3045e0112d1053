// SPDX-License-Identifier: GPL-3.0-or-later
// What the terminal keeps of the line: the lines that came in, each with the
// time of its first byte and whether the status poll caused it, and the
// lines the user sent in line mode, with a history to walk.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <deque>

namespace terminal {

struct Line {
    qint64 timeMs = 0;      // ms since the epoch, of its first byte
    QByteArray bytes;       // without its carriage return
    bool poll = false;      // the status poll's query or answer
    bool complete = false;  // its carriage return came
    bool note = false;      // the program's own word (bytes in the drive's code page), not the line's
};

struct View {
    bool hex = false;
    bool timestamps = false;
    bool hidePoll = false;
    bool plain() const { return !hex && !timestamps && !hidePoll; }
};

class Log {
public:
    explicit Log(size_t maxLines = 20000) : m_maxLines(maxLines) {}
    // A received piece, split at its carriage returns. A line is the poll's when any of its bytes came while a poll command was in
    // flight.
    void add(const QByteArray &chunk, qint64 timeMs, bool poll);
    // A line of the program's own, between what came in (a line still
    // coming is ended first).
    void note(const QByteArray &text, qint64 timeMs);
    void clear() { m_lines.clear(); }
    const std::deque<Line> &lines() const { return m_lines; }
    // Lines dropped from the front since the start (to find new ones).
    quint64 dropped() const { return m_dropped; }

private:
    size_t m_maxLines;
    quint64 m_dropped = 0;
    std::deque<Line> m_lines;
};

// Whether the view shows the line (the poll's are hidden on request).
bool shown(const Line &line, const View &view);
// One line as the view shows it: hex bytes (its carriage return included)
// or the text in the drive's code page, with "hh:mm:ss.zzz" first when
// timestamps are on. A note is shown as text in any view.
QString render(const Line &line, const View &view);
// The whole log as a file: the shown lines in the drive's code page, CRLF.
QByteArray file(const Log &log, const View &view);

// The lines sent in line mode, newest last; up and down walk it.
class History {
public:
    explicit History(int maxEntries = 100) : m_max(maxEntries) {}
    void add(const QString &line);
    // The entry before (up) or after (down) the one shown; after the newest
    // comes the line the user was typing.
    QString older(const QString &current);
    QString newer(const QString &current);
    const QStringList &entries() const { return m_entries; }

private:
    int m_max;
    QStringList m_entries;
    int m_at = 0;           // entries().size(): the line being typed
    QString m_typing;
};

} // namespace terminal
