// SPDX-License-Identifier: GPL-3.0-or-later
// What one simulated drive answers to a command addressed to it: its
// parameters, its program memory, its axis, the listing and the version.
#pragma once

#include "sim/simdrive.h"

#include <QByteArray>

#include <chrono>

namespace sim {

// The drive's parameter list and the values its status poll asks for.
void setDefaults(Drive &drive);

// The name the drive keeps a value under: some parameters are listed under
// a short name ("P47" is "W", "P1201" is "O1"), and names are upper case.
QByteArray storedName(const QByteArray &name);

// The text that follows the echo of a command (the part after "#" and the
// address, without "\r"): an acknowledgement, a value line, a listing or an
// error line for a command the drive does not know.
QByteArray driveAnswer(Drive &drive, const QByteArray &command, std::chrono::steady_clock::time_point now);

} // namespace sim
