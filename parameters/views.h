// SPDX-License-Identifier: GPL-3.0-or-later
// The two views of the parameter grid, both built from the record table:
// the basic view (a fixed selection in six titled groups) and the view of
// all parameters in the drive's order. Which controls show or hide, and
// whether a drive is connected, is the window's part.
#pragma once

#include "parameters/parametermodel.h"
#include "shell/texttable.h"

#include <QByteArray>
#include <QList>

#include <array>

namespace params {

constexpr int kBasicViewRows = 35;    // header included
constexpr int kEmptyRecord = kGridRows + 1; // what a lookup that finds nothing shows

// Rows 1..34 by the basic layout in the given language: group titles from the
// text table, lookups of the first German record with that designation (the
// empty record 159 when there is none) shown in the language; grid row count
// 35; AllViewRowsIndexed cleared.
void Grundparameter_Anzeigen(ParameterModel &model, int language, const TextTable &texts);

// Rows 1..158 from the records of the language; the rows of P1060..P1068
// recorded in MaskParameterRows when AllViewRowsIndexed is 0 (0 for one the
// list lacks), then the flag set; grid row count ParameterRowCount.
void Alle_Parameter_Anzeigen(ParameterModel &model, int language);

// The first record 1..158 of the language whose Designation is the row's
// designation takes the value (cut to what a record holds); without one, or
// for an empty designation, nothing changes.
void Parameterwert_in_Par_Text(ParameterModel &model, int language, const QByteArray &rowDesignation,
                               const QByteArray &value);

// A loaded parameter file is shown in either view too, its rows in the
// place of the drive's list; the record table stays the drive's.

// The file's rows with the descriptions of the language: a row whose
// designation a record of that language holds (with a description) takes
// that description, the others keep the file's.
QList<GridRow> relabelledFileRows(const ParameterModel &model, int language, const QList<GridRow> &rows);

// The all-parameters view of a file: its rows, relabelled, as rows 1..
// (158 at most), the rows below emptied; MaskParameterRows recorded from
// them when AllViewRowsIndexed is 0, then the flag set; grid row count the
// rows + 1.
void showFileRows(ParameterModel &model, int language, const QList<GridRow> &rows);

// The basic view of a file: the basic layout, each lookup the first of the
// file's rows with that designation, relabelled (an empty row where the
// file lacks it); grid row count 35; AllViewRowsIndexed cleared.
void showFileBasicView(ParameterModel &model, int language, const TextTable &texts, const QList<GridRow> &rows);

// The grid's column widths (description, designation, unit, value) at the
// design size.
constexpr std::array<int, 4> kColumnWidths = {270, 80, 50, 80};

// The column widths in a window growth pixels wider than its design. room
// is the width left of the value editor at the design size (less than the
// columns need: there the editor covers the last ones). Once the room has
// grown past the columns, the description takes three quarters of what is
// left and the value one: the value column ends where the editor begins.
std::array<int, 4> gridColumnWidths(int growth, int room);

} // namespace params
