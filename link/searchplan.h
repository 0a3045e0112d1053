// SPDX-License-Identifier: GPL-3.0-or-later
// The plan of the drive search: which port and rate each scan step probes,
// and the link timing that goes with a rate.
#pragma once

#include "serial/tserial.h"

#include <QByteArray>

#include <optional>

namespace search {

constexpr int kLastStep = 23;   // step 24 means: nothing answered
constexpr int kFailedStep = 24;

struct Pair {
    int port;                   // 1 or 2
    TBaudrate rate;
    QByteArray description;     // "COM2:9600 Baud - address "
};

// The pair probed at a scan step 0..23 (two consecutive steps each).
std::optional<Pair> pairOfStep(int step);

// What a tick must change on the port when it moves to this step.
struct StepChange {
    std::optional<int> port;
    std::optional<TBaudrate> rate;
    std::optional<int> timer1;  // new search interval in ms
};
StepChange changeAtStep(int step);

// The link timing of a rate found by the search.
struct Timing {
    int timer3;                 // status poll period
    std::optional<int> timer9;  // link watchdog, only the slow rates change it
};
Timing timingOf(TBaudrate rate);

// True when the buffer holds the answer of drive address to its probe.
bool addressAnswered(const QByteArray &buffer, const QByteArray &address);
// True when the drive answered its probe from program entry ("pgm"): it is
// there, but must not be sent the connect sequence's "quit" unasked.
bool addressInEntry(const QByteArray &buffer, const QByteArray &address);

} // namespace search
