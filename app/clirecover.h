// SPDX-License-Identifier: GPL-3.0-or-later
// A cut write in words, and the way back from it: what every command says
// when it meets one or leaves one behind.
#pragma once

#include "app/clisession.h"
#include "link/drivecore.h"
#include "link/journal.h"

#include <QString>

namespace cli::steps {

// What a cut write's record (or a drive in entry) means, in a sentence.
QString describeCut(const DriveCore::CutWrite &cut);
QString describeRecord(const journal::Record &record);
// The way back, as the exact command line.
QString recoverLine(Session &s);

} // namespace cli::steps
