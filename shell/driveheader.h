// SPDX-License-Identifier: GPL-3.0-or-later
// The drive header of the main window: which device, rate, drive address
// and firmware the program is talking to, read at a glance.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace driveheader {

struct Facts {
    QString device;      // the port's device, by its stable name where it has one; empty: no port open
    int baud = 0;        // bit rate of the open port
    QByteArray address;  // the drive address in use; empty while no drive answers
    QString version;     // the firmware version the drive named last; empty before that
    QString adapterDriver;    // the driver of the USB adapter behind the port, where sysfs names one
    int latencyTimerMs = -1;  // the adapter's latency timer; -1 where the port has none
};

// A latency timer above this holds every answer back noticeably (a command
// and its answer take 3.4 ms at 38400 baud); the status bar then says so.
constexpr int kLatencyNoteAboveMs = 2;

// The header's fields, in order: device, rate, the adapter's latency timer
// where it has one, address, version. Without a port only that is said;
// without a drive the address says so and no version is shown.
QStringList fields(const Facts &facts);
// What the status bar says once of an adapter whose timer holds answers back
// too long, with the fix; empty when there is nothing to say.
QString latencyNote(const Facts &facts);
// The fields as one line.
QString text(const QStringList &fields);

} // namespace driveheader
