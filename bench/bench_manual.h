// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace bench {

struct PollFigures {
    double cyclesPerSecond = 0; // status poll cycles achieved; negative when the poll did not run
    double idealPerSecond = 0;  // one cycle's bytes both ways at 10 bit times, the drive's latency
                                // per query and the poll timer's interval
    double ratio = 0;           // cyclesPerSecond / idealPerSecond
    double cpuPercent = 0;      // the program's CPU time while it polls, % of one core
};

// The status poll of one simulated drive at 38400 baud with the line
// emulated (latencyUs before each answer), polled for the given time; with
// the live plot shown when withPlot is set.
PollFigures statusPoll38400(int latencyUs = 1000, int seconds = 10, bool withPlot = false);

} // namespace bench
