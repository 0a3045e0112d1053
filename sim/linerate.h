// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and setting the rate of a serial line through the termios2 ioctls,
// which carry any rate, not only the standard ones. On a pseudo-terminal
// master the ioctls act on the slave's settings, so the simulated drive sees
// the rate the program chose on its side of the line.
//
// Kept apart from <termios.h>: the kernel's termios2 header clashes with it.
#pragma once

namespace sim {

// The output rate of the line in bits per second, or -1 on failure.
int lineRate(int fd);
// Sets input and output rate to bitsPerSecond (any value); false on failure.
bool setLineRate(int fd, int bitsPerSecond);

} // namespace sim
