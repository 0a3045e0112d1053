// SPDX-License-Identifier: GPL-3.0-or-later
// The user soak: a user acting at random through the window, step by step,
// while faults are injected into the line; after each step, once the line
// has settled, the invariants are checked. Each step draws its action, its
// fault and its answers from a generator of its own, seeded from the seed
// and the step's number, so that a run replays from its seed.
#pragma once

#include <QtGlobal>

namespace soak {

struct UserSoakOptions {
    quint32 seed = 1;
    qint64 seconds = 600;   // how long, unless steps is set
    int steps = 0;          // a replay: this many steps, however long they take
};

// Runs the soak and prints its report; 1 when an invariant broke.
int runUserSoak(const UserSoakOptions &options);

} // namespace soak
