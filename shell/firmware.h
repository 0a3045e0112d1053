// SPDX-License-Identifier: GPL-3.0-or-later
// The drive's answer to "ver": the version text shown in Label18 and the
// firmware number the status poll and the manual window compare with 300.
#pragma once

#include <QByteArray>

#include <optional>

namespace firmware {

struct Version {
    QByteArray text;    // what Label18 shows: "Version 041200"
    int number = 0;     // characters 11-12, 9-10 and 13-14 of it; 0 for one beginning with "9"
};

// The version in the receive buffer (the echo, then the version line), or
// nothing when the answer does not hold one in the expected form: after the
// echo's carriage return, a text longer than 14 characters with a "0" and a
// carriage return, and a carriage return within the 15 characters from
// "Version".
std::optional<Version> readVersion(const QByteArray &buffer);

// An answer that holds no readable version is over once something follows
// the line after the echo: the drive's "ok", or a further line.
bool answerComplete(const QByteArray &buffer);

} // namespace firmware
