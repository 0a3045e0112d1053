// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's commands, each on a session with the line.
#pragma once

#include "app/clisession.h"

namespace cli {

// Runs the command the options name; returns the exit status.
int run(Session &session);

namespace commands {
// Each command on its session; the exit status.
int backup(Session &s);
int restore(Session &s);
int recover(Session &s);
} // namespace commands

} // namespace cli
