// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a text file's bytes line by line, as the program's files are read:
// a line ends at "\r\n", at a bare "\n" or at a bare "\r", and a last line
// without a line end still counts. Past the end every line is empty.
#pragma once

#include <QByteArray>

class TextLines {
public:
    // The bytes are held (shared, not copied), so a temporary may be passed.
    explicit TextLines(QByteArray bytes) : m_bytes(std::move(bytes)) {}

    bool atEnd() const { return m_pos >= m_bytes.size(); }

    QByteArray next()
    {
        const qsizetype size = m_bytes.size();
        if (m_pos >= size)
            return {};
        const char *data = m_bytes.constData();
        qsizetype end = m_pos;
        while (end < size && data[end] != '\n' && data[end] != '\r')
            ++end;
        QByteArray line = m_bytes.mid(m_pos, end - m_pos);
        m_pos = end + 1;
        if (end + 1 < size && data[end] == '\r' && data[end + 1] == '\n')
            ++m_pos;
        return line;
    }

private:
    QByteArray m_bytes;
    qsizetype m_pos = 0;
};
