// SPDX-License-Identifier: GPL-3.0-or-later
// What the status bar says when a port cannot be opened: the device, the
// system's reason and, where the user lacks the permission, the fix.
#pragma once

#include <QString>

namespace porthint {

// device: the port's device path; errorCode: the system's error number of
// the failed open (0 when unknown); reason: the system's text. For a missing
// permission the hint names the group that owns the device and how to join
// it, in the interface's language.
QString text(const QString &portName, const QString &device, int errorCode, const QString &reason);

// The group that owns a file, empty when it cannot be told.
QString owningGroup(const QString &path);

// Whether joining this group is the usual way to a serial port ("dialout"
// and its kin). Never for "tty", which owns every terminal of the system.
bool groupGivesSerialAccess(const QString &group);

// One of COM1 to COM4 as the system has it.
struct PortRow {
    QString name;    // "COM1"
    QString path;    // the path the program opens (a stable name, ZYNT_COMn, or /dev/tty…); empty: none
    QString device;  // the device behind it, links followed
    QString byId;    // its stable name in the by-id folder, empty where it has none
    bool exists = false;
    bool mayOpen = false;     // this user has read and write permission
    QString reason;           // why not, the system's words
    QString group;            // the device's group where the permission is missing
};
// stableFolder: where the stable names are (/dev/serial/by-id).
PortRow portRow(const QString &name, const QString &path, const QString &stableFolder);

} // namespace porthint
