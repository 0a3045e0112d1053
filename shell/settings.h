// SPDX-License-Identifier: GPL-3.0-or-later
// The connection settings file "ZYNT.ini": seven fixed lines, each key at the
// start of its own line.
//
//   ZYNT Schnittstellendaten:
//   Autoscan=0
//   COMPort=2
//   Baudrate=19200
//   Hardwarehandshake=0
//   Anzahl ZYNT=2
//   ZYNTNr=3,5,
#pragma once

#include "serial/tserial.h"

#include <QByteArray>
#include <QList>

#include <array>

#include <optional>
#include <vector>

namespace settings {

// Room in the found-address list (element 0 holds the count).
constexpr int kMaxAddresses = 126;

// The part of the main window's state that reading the file looks at and changes.
struct State {
    uint8_t autoscan = 0;
    std::optional<int> port;            // COMPort, when the file gives one
    std::optional<TBaudrate> baudrate;
    std::optional<bool> handshake;      // RTS/CTS
    QByteArray interfaceDescription;
    std::vector<int> addresses = std::vector<int>(kMaxAddresses + 1, 0); // [0] = count
    uint8_t masterAddress = 0;          // 1: address 200 is in the list
    int timer3 = 0, timer8 = 0, timer9 = 0, timer11 = 0; // intervals in ms
    std::optional<QByteArray> driveAddress;
    QList<QByteArray> addedItems;       // address texts for both address boxes, in order
};

// Applies the file's lines to the state, as far as they are well formed.
void read(const QByteArray &bytes, State &state);

// The file as the program writes it: autoscan 0, CRLF line ends. addresses
// has the count in element 0.
QByteArray write(int port, int baud, bool handshake, const std::vector<int> &addresses);

// The rates the drives run at, slowest first, with what the program sets for
// each: one table for the settings file, the drive search and the interface
// configured by hand.
struct DriveRate {
    TBaudrate rate;
    int baud;
    int pollInterval;       // status poll period, ms (search and settings file)
    int searchWatchdog;     // link watchdog the search sets, ms; 0: left as it is
    const char *manualItem; // the choice in the hand-made configuration
    const char *manualSuffix; // its interface caption after the port
    int manualTimer1, manualTimer3, manualTimer9; // ms; timer 9 0: left as it is
};
const std::array<DriveRate, 6> &driveRates();
const DriveRate *driveRate(int baud);
const DriveRate *driveRate(TBaudrate rate);

// The status poll interval of a baud rate, in ms; 0 for a rate without one
// (the drives run at 1200, 2400, 4800, 9600, 19200 and 38400 baud only).
int pollInterval(int baud);

// The highest address the line protocol carries; other numbers are no address.
constexpr int kHighestAddress = 255;

// How the interface is named: "COM2:9600 Baud - address ".
QByteArray interfaceDescription(int port, int baud);

} // namespace settings
