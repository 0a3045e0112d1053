// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/terminallog.h"

#include "shell/cp1252.h"

#include <QDateTime>

namespace terminal {

void Log::add(const QByteArray &chunk, qint64 timeMs, bool poll, bool sent)
{
    for (const char byte : chunk) {
        const bool joins = !m_lines.empty() && !m_lines.back().note && m_lines.back().sent == sent
                        && (!m_lines.back().complete || (byte == '\n' && m_lines.back().bytes.endsWith('\r')));
        if (!joins) {
            if (!m_lines.empty())
                m_lines.back().complete = true;
            m_lines.push_back(Line {timeMs, {}, poll, false, false, sent});
        }
        Line &line = m_lines.back();
        line.poll = line.poll || poll;
        line.bytes += byte;
        if (byte == '\r')
            line.complete = true;
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
    return !(view.hidePoll && line.poll) && (view.hex || !line.sent);
}

namespace {

constexpr qsizetype kHexRow = 16;

QString hexRows(const Line &line, const QString &lead)
{
    const QString mark = line.sent ? QStringLiteral("PC  ") : QStringLiteral("ZYNT");
    QString text;
    for (qsizetype from = 0; from < line.bytes.size(); from += kHexRow) {
        const QByteArray row = line.bytes.mid(from, kHexRow);
        QString ascii;
        for (const char byte : row)
            ascii += byte >= 0x20 && byte < 0x7f ? QLatin1Char(byte) : QLatin1Char('.');
        if (from > 0)
            text += QLatin1Char('\n') + QString(lead.size() + mark.size(), QLatin1Char(' '));
        else
            text += lead + mark;
        text += QStringLiteral("  ") + QString::fromLatin1(row.toHex(' ').toUpper()).leftJustified(kHexRow * 3 - 1)
              + QStringLiteral("  ") + ascii;
    }
    return text;
}

} // namespace

QString render(const Line &line, const View &view)
{
    QString lead;
    if (view.timestamps)
        lead = QDateTime::fromMSecsSinceEpoch(line.timeMs).toString(QStringLiteral("HH:mm:ss.zzz  "));
    if (view.hex && !line.note)
        return hexRows(line, lead);
    QByteArray text = line.bytes;
    text.replace('\r', QByteArray()).replace('\n', QByteArray());
    return lead + fromCp1252(text);
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
