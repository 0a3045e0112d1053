// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter list of the simulated drive, in the order in which the drive
// lists it: the status lines, the short names, the parameters the program
// hides, and every parameter the program edits or writes at connection.
#pragma once

#include <QByteArray>

#include <vector>

namespace sim {

struct ListedParameter {
    QByteArray name;   // as listed: "P41", "W", or the status word "OFF"
    QByteArray value;  // empty for a status line
    QByteArray unit;   // follows the value directly; empty where there is none
    bool status;       // a status line: listed as the bare word
};

const std::vector<ListedParameter> &parameterList();

// The entry as the drive lists it, without its line end: name "=" value unit,
// or the bare word of a status line.
QByteArray listedLine(const ListedParameter &parameter);

} // namespace sim
