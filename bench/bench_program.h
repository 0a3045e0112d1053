// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

namespace bench {

// One program write of 299 lines to the simulated drive on an emulated line.
struct ProgramWriteFigures {
    double achieved = -1;   // seconds from the start of the write to its completion; < 0: failed
    double ideal = 0;       // every byte both ways at 10 bit times, plus the drive's latency per command
    int commands = 0;       // commands on the wire
    qint64 bytes = 0;       // bytes on the wire, both ways
};

// With adapterMs > 0 the drive's answers reach the program through a USB
// adapter with that latency timer; the line time stays the ideal.
ProgramWriteFigures programWrite(int baud, int latencyUs, int adapterMs = 0);

} // namespace bench
