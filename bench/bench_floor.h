// SPDX-License-Identifier: GPL-3.0-or-later
// The kernel's own floor for a plain command: what two threads that do
// nothing but read and write reach over a pseudo-terminal pair, so that the
// program's round trips can be put beside what the machine allows at the
// same minute.
#pragma once

namespace bench {

// One thread plays the program: it writes "#1s\r" and reads until the
// answer's second carriage return (the echo's and the acknowledgement's).
// The other plays the drive: it collects bytes until a carriage return ends
// a command, as the simulated drive does, and writes the echo and "\nok\n\r".
// Returns round trips per second, or a negative value when the pair could
// not be made or the line stopped.
double ptyFloorRoundTripsPerSecond(int count);

} // namespace bench
