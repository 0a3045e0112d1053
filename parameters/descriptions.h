// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter description files "Par-dt.ini" (German) and "Par-engl.ini"
// (English): a heading line, then one line per parameter in the drive's
// listing order,
//
//   Referenzfahrt Geschwindigkeit schnell:P41
//   Positionieren Weg/Position w:W,P47
//
// a description, ":", the designation key as the drive lists it and,
// optionally, "," and an alternative key. The catalogue they fill is the
// first phase of the record table; a listing turns it into the row copy.
#pragma once

#include "parameters/parametermodel.h"

#include <QByteArray>

#include <optional>
#include <vector>

namespace params {

// The records of one file in file order: Description, Designation (the key)
// and Unit (the alternative key); Value stays empty. The first line is a
// heading; reading stops at the first empty line. CRLF, LF and bare CR end a
// line alike. Every field is cut to what a record holds.
std::vector<ParameterRecord> parseDescriptionFile(const QByteArray &bytes);

// Empties Description, Designation and Unit of records 1..158 of both
// languages, then loads each file into its half (record 1 from the first
// entry line on). An absent file leaves its half empty. Only records 1..158
// are ever searched, so entries beyond the 158th are not loaded: the records
// above stay empty, as the basic view's empty record 159 must.
void LoadParameterDescriptions(ParameterModel &model, const std::optional<QByteArray> &german,
                               const std::optional<QByteArray> &english);

// Column 0 of grid rows 1..158 takes the Description of the records of that
// language (the language switch).
void RelabelDescriptions(ParameterModel &model, int language);

} // namespace params
