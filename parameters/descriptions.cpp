// SPDX-License-Identifier: GPL-3.0-or-later
#include "parameters/descriptions.h"

#include <algorithm>

namespace params {

namespace {

// Splits the bytes into lines whatever the line ends: "\r\n", "\n" or "\r"
// (a file edited on any system reads the same). Past the end every line is
// empty, which ends reading like an empty line in the file.
class AnyLines {
public:
    explicit AnyLines(const QByteArray &bytes) : m_bytes(bytes) {}

    QByteArray next()
    {
        const qsizetype size = m_bytes.size();
        qsizetype end = m_pos;
        while (end < size && m_bytes.at(end) != '\r' && m_bytes.at(end) != '\n')
            ++end;
        QByteArray line = m_bytes.mid(m_pos, end - m_pos);
        if (end < size && m_bytes.at(end) == '\r' && end + 1 < size && m_bytes.at(end + 1) == '\n')
            ++end;
        m_pos = end + 1;
        return line;
    }

private:
    const QByteArray &m_bytes;
    qsizetype m_pos = 0;
};

ParameterRecord entryOf(const QByteArray &line)
{
    // Without a ":" the line has no description and all of it is the key part.
    const qsizetype colon = line.indexOf(':');
    const QByteArray keys = colon >= 0 ? line.mid(colon + 1) : line;
    const qsizetype comma = keys.indexOf(',');
    ParameterRecord record;
    record.Description = cutField(colon >= 0 ? line.left(colon) : QByteArray());
    record.Designation = cutField(comma >= 0 ? keys.left(comma) : keys);
    record.Unit = cutField(comma >= 0 ? keys.mid(comma + 1) : QByteArray());
    return record;
}

void loadHalf(ParameterModel &model, int language, const std::optional<QByteArray> &bytes)
{
    if (!bytes)
        return;
    const std::vector<ParameterRecord> entries = parseDescriptionFile(*bytes);
    const int count = int(std::min<size_t>(entries.size(), kGridRows));
    for (int record = 1; record <= count; ++record) {
        ParameterRecord &target = model.Records[language][record];
        const ParameterRecord &entry = entries[size_t(record - 1)];
        target.Description = entry.Description;
        target.Designation = entry.Designation;
        target.Unit = entry.Unit;
    }
}

} // namespace

std::vector<ParameterRecord> parseDescriptionFile(const QByteArray &bytes)
{
    std::vector<ParameterRecord> entries;
    AnyLines lines(bytes);
    lines.next(); // heading
    for (QByteArray line = lines.next(); !line.isEmpty(); line = lines.next())
        entries.push_back(entryOf(line));
    return entries;
}

void LoadParameterDescriptions(ParameterModel &model, const std::optional<QByteArray> &german,
                               const std::optional<QByteArray> &english)
{
    for (int language = 1; language <= kLanguages; ++language) {
        for (int record = 1; record <= kGridRows; ++record) {
            ParameterRecord &target = model.Records[language][record];
            target.Description.clear();
            target.Designation.clear();
            target.Unit.clear();
        }
    }
    loadHalf(model, 1, german);
    loadHalf(model, 2, english);
}

void RelabelDescriptions(ParameterModel &model, int language)
{
    const int half = tableLanguage(language);
    for (int row = 1; row <= kGridRows; ++row)
        model.Grid[row][ColDescription] = model.Records[half][row].Description;
}

} // namespace params
