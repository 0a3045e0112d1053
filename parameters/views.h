// SPDX-License-Identifier: GPL-3.0-or-later
// The two views of the parameter grid, both built from the record table:
// the basic view (a fixed selection in six titled groups) and the view of
// all parameters in the drive's order. Which controls show or hide, and
// whether a drive is connected, is the window's part.
#pragma once

#include "parameters/parametermodel.h"
#include "shell/texttable.h"

#include <QByteArray>

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

} // namespace params
