// SPDX-License-Identifier: GPL-3.0-or-later
#include "parameters/parameterfile.h"

#include <algorithm>

namespace params {

namespace {

constexpr qsizetype kShownNameLength = 26;

// Splits the bytes into lines. CRLF, LF and CR all end a line, so that a
// file edited on any system reads alike, and so does LF CR (a file written
// with the two the wrong way round); a last line without line end counts.
class FileLines {
public:
    explicit FileLines(const QByteArray &bytes) : m_bytes(bytes) {}

    bool atEnd() const { return m_pos >= m_bytes.size(); }

    QByteArray next()
    {
        qsizetype end = m_pos;
        while (end < m_bytes.size() && m_bytes[end] != '\r' && m_bytes[end] != '\n')
            ++end;
        const QByteArray line = m_bytes.mid(m_pos, end - m_pos);
        m_pos = end;
        if (m_pos < m_bytes.size()) {
            const char ending = m_bytes[m_pos++];
            const char partner = ending == '\r' ? '\n' : '\r';
            if (m_pos < m_bytes.size() && m_bytes[m_pos] == partner)
                ++m_pos;
        }
        return line;
    }

private:
    const QByteArray &m_bytes;
    qsizetype m_pos = 0;
};

} // namespace

QByteArray formatParameterFile(const GridCells &cells, int ParameterRowCount)
{
    QByteArray file = QByteArray(kParameterFileHeader) + "\r\n";
    const int lastRow = std::min(int(cells.size()) - 1, ParameterRowCount - 1);
    for (int r = 1; r <= lastRow; ++r) {
        const GridRow &row = cells[size_t(r)];
        // A row without designation names no parameter (a title or gap of
        // the basic view). One without description is a parameter the
        // description files do not know: it is saved all the same, under
        // its designation, or the file would silently lack it.
        if (row[ColDesignation].trimmed().isEmpty())
            continue;
        const QByteArray &description = row[ColDescription].isEmpty() ? row[ColDesignation] : row[ColDescription];
        const QByteArray assignment = description + ':' + row[ColDesignation] + '=' + row[ColValue];
        if (!row[ColUnit].isEmpty()) {
            // A loaded value still carries the blank before "[": one blank
            // only, or every save and load would add another.
            const char *separator = row[ColValue].endsWith(' ') ? "[" : " [";
            file += assignment + separator + row[ColUnit] + "]\r\n";
        } else {
            file += assignment + "\r\n";
        }
    }
    return file;
}

GridRow parseParameterLine(const QByteArray &line)
{
    GridRow row;
    QByteArray rest = line;
    const qsizetype colon = rest.indexOf(':');
    if (colon >= 0) {
        row[ColDescription] = rest.left(colon);
        rest.remove(0, colon + 1);
    }
    // Without "=" the designation is empty and the value starts at the
    // beginning of the rest.
    const qsizetype equals = rest.indexOf('=');
    const qsizetype valueStart = equals + 1;
    if (equals >= 0)
        row[ColDesignation] = rest.left(equals);
    const qsizetype open = rest.indexOf('[');
    if (open < 0) {
        row[ColValue] = rest.mid(valueStart);
        return row;
    }
    // A unit without "]" runs to the end of the line.
    const qsizetype close = rest.indexOf(']', open + 1);
    row[ColUnit] = close < 0 ? rest.mid(open + 1) : rest.mid(open + 1, close - open - 1);
    if (open >= valueStart)
        row[ColValue] = rest.mid(valueStart, open - valueStart);
    return row;
}

std::optional<LoadedParameterFile> parseParameterFile(const QByteArray &bytes)
{
    FileLines lines(bytes);
    if (!lines.next().startsWith(kParameterFileHeader))
        return std::nullopt;
    LoadedParameterFile file;
    // At least one row is read, an empty one at the end of the file.
    do {
        file.rows << parseParameterLine(lines.next());
    } while (!lines.atEnd() && file.rows.size() < kGridRows);
    file.gridRowCount = int(file.rows.size()) + 1;
    return file;
}

QByteArray formatCompleteParameterFile(const GridCells &cells, int ParameterRowCount)
{
    return formatParameterFile(cells, ParameterRowCount);
}

QString shortenedFileName(const QString &fullName)
{
    if (fullName.size() <= kShownNameLength)
        return fullName;
    return QStringLiteral("\\...") + fullName.right(kShownNameLength);
}

} // namespace params
