// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/terminallog.h"

#include "shell/cp1252.h"

#include <QDateTime>

namespace terminal {

void Log::add(const QByteArray &chunk, qint64 timeMs, bool poll)
{
    qsizetype from = 0;
    while (from < chunk.size()) {
        if (m_lines.empty() || m_lines.back().complete)
            m_lines.push_back(Line {timeMs, {}, poll, false});
        Line &line = m_lines.back();
        line.poll = line.poll || poll;
        const qsizetype cr = chunk.indexOf('\r', from);
        if (cr < 0) {
            line.bytes += chunk.mid(from);
            break;
        }
        line.bytes += chunk.mid(from, cr - from);
        line.complete = true;
        from = cr + 1;
    }
    while (m_lines.size() > m_maxLines) {
        m_lines.pop_front();
        ++m_dropped;
    }
}

void Log::note(const QByteArray &text, qint64 timeMs)
{
    if (!m_lines.empty())
        m_lines.back().complete = true;
    m_lines.push_back(Line {timeMs, text, false, true, true});
    while (m_lines.size() > m_maxLines) {
        m_lines.pop_front();
        ++m_dropped;
    }
}

bool shown(const Line &line, const View &view)
{
    return !(view.hidePoll && line.poll);
}

QString render(const Line &line, const View &view)
{
    QString text;
    if (view.timestamps)
        text = QDateTime::fromMSecsSinceEpoch(line.timeMs).toString(QStringLiteral("HH:mm:ss.zzz  "));
    if (view.hex && !line.note) {
        QByteArray bytes = line.bytes;
        if (line.complete)
            bytes += '\r';
        text += QString::fromLatin1(bytes.toHex(' ').toUpper());
    } else {
        text += fromCp1252(line.bytes);
    }
    return text;
}

QByteArray file(const Log &log, const View &view)
{
    QByteArray out;
    for (const Line &line : log.lines()) {
        if (shown(line, view))
            out += toCp1252(render(line, view)) + "\r\n";
    }
    return out;
}

void History::add(const QString &line)
{
    if (!line.isEmpty() && (m_entries.isEmpty() || m_entries.back() != line))
        m_entries.append(line);
    while (m_entries.size() > m_max)
        m_entries.removeFirst();
    m_at = int(m_entries.size());
    m_typing.clear();
}

QString History::older(const QString &current)
{
    if (m_at == int(m_entries.size()))
        m_typing = current;
    if (m_at > 0)
        --m_at;
    return m_at < int(m_entries.size()) ? m_entries[m_at] : m_typing;
}

QString History::newer(const QString &current)
{
    if (m_at >= int(m_entries.size()))
        return current;
    ++m_at;
    return m_at < int(m_entries.size()) ? m_entries[m_at] : m_typing;
}

} // namespace terminal
