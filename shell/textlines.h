// Reads a text file's bytes line by line, as the program's files are read:
// a line ends at "\n", a "\r" before it belongs to the line end, and a last
// line without a line end still counts. Past the end every line is empty.
#pragma once

#include <QByteArray>

class TextLines {
public:
    explicit TextLines(const QByteArray &bytes) : m_bytes(bytes) {}

    QByteArray next()
    {
        if (m_pos >= m_bytes.size())
            return {};
        qsizetype end = m_bytes.indexOf('\n', m_pos);
        if (end < 0)
            end = m_bytes.size();
        QByteArray line = m_bytes.mid(m_pos, end - m_pos);
        m_pos = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        return line;
    }

private:
    const QByteArray &m_bytes;
    qsizetype m_pos = 0;
};
