// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/linerate.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

// <sys/ioctl.h> would drag in the C library's termios types.
extern "C" int ioctl(int fd, unsigned long request, ...);

namespace sim {

int lineRate(int fd)
{
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return -1;
    return static_cast<int>(tio.c_ospeed);
}

bool setLineRate(int fd, int bitsPerSecond)
{
    if (bitsPerSecond <= 0)
        return false;
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = static_cast<speed_t>(bitsPerSecond);
    tio.c_ospeed = static_cast<speed_t>(bitsPerSecond);
    return ioctl(fd, TCSETS2, &tio) == 0;
}

} // namespace sim
