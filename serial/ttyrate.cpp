// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bit rates through termios2. Kept apart from everything that
// includes <termios.h>: the two headers define the same names differently.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace serialdetail {

int setArbitraryRate(int fd, int bitsPerSecond)
{
    struct termios2 tio;
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return errno;
    tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT)); // input rate follows the output rate
    tio.c_cflag |= BOTHER;
    tio.c_ispeed = static_cast<speed_t>(bitsPerSecond);
    tio.c_ospeed = static_cast<speed_t>(bitsPerSecond);
    if (ioctl(fd, TCSETS2, &tio) != 0)
        return errno;
    return 0;
}

} // namespace serialdetail
