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

} // namespace porthint
