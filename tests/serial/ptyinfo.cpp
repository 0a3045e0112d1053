// SPDX-License-Identifier: GPL-3.0-or-later
// Uses <asm/termbits.h> (termios2): it must not meet <termios.h>.
#include "ptyinfo.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

bool readSlaveLineSettings(int masterFd, SlaveLineSettings &out)
{
    struct termios2 t;
    if (ioctl(masterFd, TCGETS2, &t) != 0)
        return false;
    out.inputRate = t.c_ispeed;
    out.outputRate = t.c_ospeed;
    switch (t.c_cflag & CSIZE) {
    case CS5: out.dataBits = 5; break;
    case CS6: out.dataBits = 6; break;
    case CS7: out.dataBits = 7; break;
    default: out.dataBits = 8; break;
    }
    out.parityEnabled = t.c_cflag & PARENB;
    out.parityOdd = t.c_cflag & PARODD;
    out.parityStick = t.c_cflag & CMSPAR;
    out.stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
    out.rtsCts = t.c_cflag & CRTSCTS;
    out.xonIn = t.c_iflag & IXOFF;
    out.xonOut = t.c_iflag & IXON;
    out.parityCheck = t.c_iflag & INPCK;
    out.markErrors = t.c_iflag & PARMRK;
    out.raw = !(t.c_lflag & (ICANON | ECHO | ISIG)) && !(t.c_oflag & OPOST) && !(t.c_iflag & (ICRNL | INLCR | IGNCR));
    out.startChar = t.c_cc[VSTART];
    out.stopChar = t.c_cc[VSTOP];
    return true;
}

bool ptyKeepsCharacterFormat()
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0)
        return false;
    bool kept = false;
    if (grantpt(master) == 0 && unlockpt(master) == 0) {
        const int slave = open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
        struct termios2 t;
        if (slave >= 0 && ioctl(slave, TCGETS2, &t) == 0) {
            t.c_cflag = (t.c_cflag & ~CSIZE) | CS7 | PARENB;
            struct termios2 back;
            if (ioctl(slave, TCSETS2, &t) == 0 && ioctl(master, TCGETS2, &back) == 0)
                kept = (back.c_cflag & CSIZE) == CS7 && (back.c_cflag & PARENB);
        }
        if (slave >= 0)
            close(slave);
    }
    close(master);
    return kept;
}
