// SPDX-License-Identifier: GPL-3.0-or-later
// Parameter files (*.par) and program files (*.prg) as the user may pick any
// file: the first byte chooses which. A file that has once been through the
// program (loaded and saved) is saved alike after a second load, so that
// repeated loading and saving does not wear the data away. Nothing in a
// parameter file is escaped: that holds for rows whose cells do not carry
// the marks that separate the next cell.
#include "fuzzbytes.h"
#include "parameters/parameterfile.h"
#include "program/programfile.h"

#include <algorithm>

namespace {

// The grid a loaded file fills, and the file saved from it.
QByteArray saved(const params::LoadedParameterFile &file)
{
    params::GridCells cells;
    for (qsizetype i = 0; i < file.rows.size(); ++i)
        cells[size_t(i + 1)] = file.rows[i];
    return params::formatParameterFile(cells, file.gridRowCount);
}

// The row as loading can give it, and a save writes it so that it reads back.
bool plainRow(const params::GridRow &row)
{
    const QByteArray &designation = row[params::ColDesignation];
    const QByteArray &value = row[params::ColValue];
    return !designation.contains('[') && !designation.contains(']') && !value.contains(']')
        && !row[params::ColUnit].contains('[');
}

void parameterFile(const QByteArray &bytes)
{
    const std::optional<params::LoadedParameterFile> file = params::parseParameterFile(bytes);
    if (!file) {
        fuzz::check(!bytes.startsWith(params::kParameterFileHeader), "a file with the heading is read");
        return;
    }
    fuzz::check(!file->rows.isEmpty() && file->rows.size() <= params::kGridRows, "rows fit the grid");
    fuzz::check(file->gridRowCount == file->rows.size() + 1, "the grid shows the rows");
    for (const params::GridRow &row : file->rows)
        for (const QByteArray &cell : row)
            fuzz::check(!cell.contains('\r') && !cell.contains('\n'), "a cell holds no line end");

    if (!std::all_of(file->rows.begin(), file->rows.end(), plainRow))
        return;
    const QByteArray once = saved(*file);
    const std::optional<params::LoadedParameterFile> again = params::parseParameterFile(once);
    fuzz::check(again.has_value(), "a saved file loads");
    fuzz::check(saved(*again) == once, "a saved file saves alike after loading");
}

void programFile(const QByteArray &bytes)
{
    const program::ProgramLines lines = program::parseProgramFile(bytes);
    fuzz::check(lines[0].isEmpty(), "row 0 is never a program row");
    for (const QByteArray &line : lines)
        fuzz::check(!line.contains('\r') && !line.contains('\n'), "a row holds no line end");
    const QByteArray once = program::formatProgramFile(lines);
    fuzz::check(program::formatProgramFile(program::parseProgramFile(once)) == once,
                "a saved file saves alike after loading");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes = fuzz::bytesOf(data + 1, size - 1);
    if (data[0] & 1)
        parameterFile(bytes);
    else
        programFile(bytes);
    return 0;
}
