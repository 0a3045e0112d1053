// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clicommands.h"

#include <QLatin1String>

namespace cli {

int run(Session &session)
{
    const QString &command = session.options.command;
    if (command == QLatin1String("ports"))
        return commands::ports(session);
    if (command == QLatin1String("scan"))
        return commands::scan(session);
    if (command == QLatin1String("backup"))
        return commands::backup(session);
    if (command == QLatin1String("restore"))
        return commands::restore(session);
    if (command == QLatin1String("diff"))
        return commands::diff(session);
    if (command == QLatin1String("get"))
        return commands::get(session);
    if (command == QLatin1String("set"))
        return commands::set(session);
    if (command == QLatin1String("recover"))
        return commands::recover(session);
    return commands::programCommand(session);
}

} // namespace cli
