// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's commands, each on a session with the line.
#pragma once

#include "app/clisession.h"

namespace cli {

// Runs the command the options name; returns the exit status.
int run(Session &session);

namespace commands {
// Each command on its session; the exit status.
int scan(Session &s);           // app/cliscan.cpp
int ports(Session &s);          // app/cliscan.cpp
int backup(Session &s);         // app/clibackup.cpp
int restore(Session &s);
int diff(Session &s);           // app/cliparameters.cpp
int get(Session &s);
int set(Session &s);
int programCommand(Session &s); // app/cliprogram.cpp
int recover(Session &s);        // app/clirecover.cpp
} // namespace commands

} // namespace cli
