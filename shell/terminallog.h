// SPDX-License-Identifier: GPL-3.0-or-later
// What the terminal keeps of the line: the lines that came in and the ones
// the program wrote, each with the time of its first byte and whether the
// status poll caused it, and the lines the user sent in line mode, with a
// history to walk.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <deque>

namespace terminal {

struct Line {
    qint64 timeMs = 0;      // ms since the epoch, of its first byte
    QByteArray bytes;       // every byte, its carriage return and a line feed after it too
    bool poll = false;      // the status poll's query or answer
    bool complete = false;  // ended: only the line feed right after its carriage return may still join
    bool note = false;      // the program's own word (bytes in the drive's code page), not the line's
    bool sent = false;      // the program wrote it to the drive
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
    // A received piece, or one the program wrote (sent), split after its
    // carriage returns; a line feed right after a carriage return stays
    // with that line. A line is the poll's when any of its bytes came while
    // a poll command was in flight. Traffic the other way ends a line.
    void add(const QByteArray &chunk, qint64 timeMs, bool poll, bool sent = false);
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

// Whether the view shows the line: the poll's are hidden on request; what
// the program wrote only in hex, since the drive's echo shows it as text.
bool shown(const Line &line, const View &view);
// One line as the view shows it, with "hh:mm:ss.zzz" first when timestamps
// are on. As text: in the drive's code page, without its line end. In hex:
// "PC" or "ZYNT" for who sent it, then every byte in rows of 16, each row
// with its bytes as ASCII beside it ("." for the others). A note is shown
// as text in any view.
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
