// SPDX-License-Identifier: GPL-3.0-or-later
// zynt-cli: finds, backs up, restores, compares and sets drives from a
// shell, on the drive core without a window.
#include "app/clicommands.h"
#include "app/clirules.h"
#include "app/clisession.h"
#include "zyntversion.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zynt-cli"));
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const cli::Parsed parsed = cli::parseArguments(arguments);
    if (parsed.help) {
        std::fputs(qPrintable(cli::usage()), stdout);
        return cli::kDone;
    }
    if (parsed.version) {
        std::fputs("zynt-cli " ZYNT_VERSION "\n", stdout);
        return cli::kDone;
    }
    if (!parsed.options) {
        std::fprintf(stderr, "zynt-cli: %s\n%s", qPrintable(parsed.error), qPrintable(cli::usage()));
        return cli::kUsage;
    }

    cli::Session session(*parsed.options);
    cli::catchSignals(session);
    const int status = cli::run(session);
    cli::endSession(session);
    return status;
}
