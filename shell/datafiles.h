// Where the program finds the files it reads: the user's own copy in the
// given folder first, else the copy shipped with the program.
#pragma once

#include <QString>

namespace datafiles {

// The folder of the shipped files: "data" next to the executable (or one
// level up, for programs built into a subfolder), else the installed share
// folder. Empty when none exists.
QString shippedDirectory();

// folder/name when that file exists, else the shipped copy when that exists,
// else empty.
QString locate(const QString &folder, const QString &name);

} // namespace datafiles
