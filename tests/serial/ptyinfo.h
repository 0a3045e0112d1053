// SPDX-License-Identifier: GPL-3.0-or-later
// Line settings of a pseudo-terminal's slave, read through its master with
// TCGETS2 (the slave itself is held exclusively by the component under test).
#pragma once

struct SlaveLineSettings {
    unsigned inputRate = 0;
    unsigned outputRate = 0;
    int dataBits = 0;       // 5..8
    bool parityEnabled = false; // PARENB
    bool parityOdd = false;     // PARODD (with CMSPAR: mark)
    bool parityStick = false;   // CMSPAR
    int stopBits = 0;       // 1 or 2
    bool rtsCts = false;
    bool xonIn = false;     // IXOFF: we send XON/XOFF
    bool xonOut = false;    // IXON: we obey XON/XOFF
    bool parityCheck = false;
    bool markErrors = false;
    bool raw = false;       // no canonical mode, echo, signals or output processing
    unsigned char startChar = 0;
    unsigned char stopChar = 0;
};

// False if the ioctl failed.
bool readSlaveLineSettings(int masterFd, SlaveLineSettings &out);

// Recent kernels force a pseudo-terminal to 8 data bits without parity
// enable, whatever was asked; then those two cannot be read back.
bool ptyKeepsCharacterFormat();
