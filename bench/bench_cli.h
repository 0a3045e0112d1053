// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace bench {

// zynt-cli backup against the simulated drive on an emulated line at 38400
// baud, each drive with a listing and a 299-line program.
struct BackupFigures {
    double achieved = -1;   // seconds the whole process took for one drive; < 0: failed
    double ideal = 0;       // every byte both ways on the line during it, at 10 bit times
    double tenDrives = -1;  // seconds for ten drives on one line (--all)
};

BackupFigures cliBackup38400();

} // namespace bench
