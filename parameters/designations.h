// SPDX-License-Identifier: GPL-3.0-or-later
// How the drive's designations are shown and turned into parameter numbers:
// short names get their number ("W" is shown as "P47 (W)"), some rows are
// hidden, and the rows of the key parameters are remembered.
#pragma once

#include "parameters/parametermodel.h"

#include <QByteArray>

namespace params {

// The designation as shown: the display form of a short name ("W" becomes
// "P47 (W)"), every other designation unchanged.
QByteArray displayDesignation(const QByteArray &listed);

// Remembers row in KeyParameterRows when the listed designation is a key,
// replaces a short name by its display form, and returns the result (the
// text the grid's designation column takes).
void check_Parameter(QByteArray &designation, int row, std::array<uint8_t, kKeyParameters> &keyRows);

// Raises row by one unless the (display) designation is a hidden one, whose
// row the next entry then overwrites.
void check2_Parameter(const QByteArray &designation, int &row);
bool isHiddenDesignation(const QByteArray &designation);

// Turns a designation that carries a short name into "P" and its number
// ("P47 (W)" becomes "P47"); every other text stays as it is.
void Parameter_wert_check(QByteArray &designation);

// The parameter number of a designation: Parameter_wert_check, the first
// character dropped, the rest read as a decimal number (0 when it is none).
int parameterNumber(const QByteArray &designation);

} // namespace params
