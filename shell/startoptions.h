// SPDX-License-Identifier: GPL-3.0-or-later
// The window program's own options. They are read before Qt starts, so that
// --help and --version need no display and open neither a window nor a port.
#pragma once

#include <QString>
#include <QStringList>

namespace startoptions {

struct Options {
    bool help = false;
    bool version = false;
    bool demo = false;
    QString error; // an option neither the program nor Qt knows
};

// The arguments without the program's name. Qt's own options (-platform,
// -style, …) pass untouched.
Options parse(const QStringList &arguments);
QString usage();
QString versionText();

} // namespace startoptions
