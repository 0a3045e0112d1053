// SPDX-License-Identifier: GPL-3.0-or-later
// Parameter files (*.par): line 1 "ZYNT-Parameter", then one line per grid
// row, description ":" designation "=" value, followed by " [" unit "]" when
// the row has a unit. Nothing is escaped. A loader reads CRLF, LF, CR and
// LF CR line ends alike.
#pragma once

#include "parameters/parametermodel.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace params {

constexpr char kParameterFileHeader[] = "ZYNT-Parameter";

// The file for the grid's rows 1 .. ParameterRowCount - 1 (pass the row
// count of the grid being saved): every row that has a designation, a row
// without description under its designation as description, so that no
// parameter is left out. Rows without designation are left out. CRLF line
// ends.
QByteArray formatParameterFile(const GridCells &cells, int ParameterRowCount);

// The same, under the name the command line's backup knows it by.
QByteArray formatCompleteParameterFile(const GridCells &cells, int ParameterRowCount);

// One line of a file split into the four grid columns.
GridRow parseParameterLine(const QByteArray &line);

struct LoadedParameterFile {
    QList<GridRow> rows;  // grid rows 1 .. rows.size(), at most kGridRows
    int gridRowCount = 0; // rows.size() + 1
};

// The rows of a file; nullopt when line 1 does not begin with
// "ZYNT-Parameter". A file without parameter lines gives one empty row.
std::optional<LoadedParameterFile> parseParameterFile(const QByteArray &bytes);

// The file name as Label7 shows it: whole up to 26 characters, else "\..."
// followed by the last 26.
QString shortenedFileName(const QString &fullName);

} // namespace params
