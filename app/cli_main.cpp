// SPDX-License-Identifier: GPL-3.0-or-later
// zynt-cli: finds, backs up, restores, compares and sets drives from a
// shell, on the drive core without a window.
#include "app/clicommands.h"
#include "app/clirules.h"
#include "app/clisession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Ctrl+C only writes a byte; the event loop hears it and the session ends
// its step where that is safe.
int g_interruptPipe[2] = {-1, -1};

void onInterrupt(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_interruptPipe[1], &byte, 1);
}

} // namespace

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
    if (!parsed.options) {
        std::fprintf(stderr, "zynt-cli: %s\n%s", qPrintable(parsed.error), qPrintable(cli::usage()));
        return cli::kUsage;
    }

    // A reader that went away (a pipe into "head") is no reason to die in
    // the middle of a write: the failed output ends the command at its next step.
    ::signal(SIGPIPE, SIG_IGN);
    cli::Session session(*parsed.options);
    if (::pipe2(g_interruptPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        auto *notifier = new QSocketNotifier(g_interruptPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &session, [&session] {
            char byte;
            while (::read(g_interruptPipe[0], &byte, 1) > 0) {
            }
            session.interrupt();
        });
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGHUP, &action, nullptr);
    }
    const int status = cli::run(session);
    // What is still on its way out ("quit" after Ctrl+C) leaves before the
    // port closes: closing drops what was not sent. A pseudo-terminal does
    // not tell how much its other end has yet to read, so after an
    // interruption the last command also gets three times its line time.
    QElapsedTimer clock;
    clock.start();
    while (session.core.Serial1->Active() && session.core.Serial1->OutQueueCount() > 0 && clock.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    if (session.interrupted() && session.baud() > 0) {
        QElapsedTimer settle;
        settle.start();
        const qint64 lineTimeMs = 3 * 16 * 10 * 1000 / session.baud();
        while (settle.elapsed() < std::max<qint64>(100, lineTimeMs))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    session.core.shutDown();
    return status;
}
