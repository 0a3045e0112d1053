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
};

// The header's fields, in order: device, rate, address, version. Without a
// port only that is said; without a drive the address says so and no
// version is shown.
QStringList fields(const Facts &facts);
// The fields as one line.
QString text(const QStringList &fields);

} // namespace driveheader
