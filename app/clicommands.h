// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's commands, each on a session with the line.
#pragma once

#include "app/clisession.h"

namespace cli {

// Runs the command the options name; returns the exit status.
int run(Session &session);

} // namespace cli
