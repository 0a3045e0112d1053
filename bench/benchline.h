// SPDX-License-Identifier: GPL-3.0-or-later
// What the benchmarks share: a main window whose COM1 is a pseudo-terminal
// with one simulated drive (address 1), and the CPU clocks of the process
// and of its threads, so that the drive's own time can be left out.
#pragma once

#include "serial/tserial.h"
#include "shell/window/tform1.h"
#include "sim/simdrive.h"

#include <QTemporaryDir>

#include <memory>
#include <set>
#include <sys/types.h>

namespace bench {

double processCpuSeconds();
std::set<pid_t> threadIds();
// The CPU time of one thread of this process (0 once it has ended).
double threadCpuSeconds(pid_t tid);
double threadsCpuSeconds(const std::set<pid_t> &tids);
// The process's resident memory, in MB (0 where it cannot be read).
double residentMegabytes();

struct BenchLine {
    QTemporaryDir dir;
    sim::SimLine drive;
    std::unique_ptr<TForm1> form;
    std::set<pid_t> simThreads; // the simulated drive's, not the program's

    // The drive at this rate, the line emulated when latencyUs >= 0 (each
    // answer that long after its command), behind a USB adapter that holds
    // answers for adapterMs (0: none); the window's port open at rate.
    bool open(int baud, int latencyUs, int adapterMs = 0);
};

TBaudrate rateOf(int baud);

} // namespace bench
