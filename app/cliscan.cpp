// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's scan: probes on each port and rate, then the connect
// sequence to each drive that answered.
#include "app/clicommands.h"

#include "app/clirecover.h"
#include "link/searchplan.h"
#include "shell/cp1252.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <functional>

namespace cli::commands {

using namespace steps;

namespace {

// Runs the event loop for a while, or until the condition holds.
bool waitFor(Session &s, int ms, const std::function<bool()> &condition)
{
    QTimer wake;
    wake.start(10);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms && !s.interrupted()) {
        if (condition())
            return true;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return condition();
}

} // namespace

int scan(Session &s)
{
    Report report(s);
    int found = 0, waiting = 0;
    const QList<int> addresses = s.options.addresses.isEmpty() ? QList<int> {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}
                                                               : s.options.addresses;
    QStringList ports;
    if (!s.options.port.isEmpty()) {
        ports << s.options.port;
    } else {
        for (int n = 1; n <= 4; ++n) {
            if (!serialports::portTable().paths[size_t(n - 1)].isEmpty())
                ports << QStringLiteral("COM%1").arg(n);
        }
    }
    const QList<int> rates = s.options.baud ? QList<int> {*s.options.baud} : driveRates();
    DriveCore &core = s.core;
    for (const QString &port : ports) {
        for (const int rate : rates) {
            if (!s.openLine(port, rate))
                break; // no device behind it: no rate will do
            // The probes go straight to the port; the buffer only collects.
            core.clearQueue();
            core.LinkState = 5;
            const int wait = probeWaitMs(rate);
            bool answered = false;
            for (int probe = 0; probe < 2 && !answered && !s.interrupted(); ++probe) {
                core.ReceiveBuffer.clear();
                core.writeDirect("#*\r");
                answered = waitFor(s, wait, [&core] {
                    return core.ReceiveBuffer.contains('#')
                        && (core.ReceiveBuffer.contains("ok") || core.ReceiveBuffer.contains("pgm"));
                });
            }
            QList<int> drives, inEntry;
            for (const int address : addresses) {
                if (!answered || s.interrupted())
                    break;
                const QByteArray a = QByteArray::number(address);
                core.ReceiveBuffer.clear();
                core.writeDirect('#' + a + '\r');
                if (waitFor(s, wait, [&core, &a] {
                        return search::addressAnswered(core.ReceiveBuffer, a) || search::addressInEntry(core.ReceiveBuffer, a);
                    })) {
                    drives << address;
                    if (search::addressInEntry(core.ReceiveBuffer, a))
                        inEntry << address;
                }
            }
            core.LinkState = 0;
            core.ReceiveBuffer.clear();
            for (const int address : drives) {
                const QString where = QStringLiteral("%1 %2 %3").arg(portLabel(port)).arg(rate).arg(address);
                const QList<std::pair<const char *, QByteArray>> fields = {
                    {"port", json(portLabel(port))}, {"baud", json(rate)}, {"address", json(address)}};
                if (inEntry.contains(address)) {
                    // It answers, but the connect sequence's "quit" would end
                    // its entry: it is found and left as it is.
                    ++found;
                    ++waiting;
                    report.add(where + QStringLiteral(" in program entry"), fields + QList<std::pair<const char *, QByteArray>> {{"inEntry", "true"}});
                    continue;
                }
                QByteArray version;
                const Outcome outcome = s.connectDrive(address, &version);
                if (outcome == Outcome::Interrupted)
                    return kInterrupted;
                if (outcome != Outcome::Ok) {
                    s.say(QStringLiteral("%1 %2 baud address %3: %4").arg(port).arg(rate).arg(address).arg(s.lastError));
                    continue;
                }
                ++found;
                if (core.PendingCut) {
                    ++waiting;
                    s.say(QStringLiteral("%1 address %2: %3; the way back: %4")
                              .arg(port).arg(address).arg(describeCut(*core.PendingCut), recoverLine(s)));
                    core.leaveCutPending();
                    report.add(where + QStringLiteral(" a cut write waits"),
                               fields + QList<std::pair<const char *, QByteArray>> {{"cutWrite", "true"}});
                    continue;
                }
                report.add(where + QLatin1Char(' ') + fromCp1252(version),
                           fields + QList<std::pair<const char *, QByteArray>> {{"version", json(version)}});
            }
            if (s.interrupted())
                return kInterrupted;
        }
    }
    if (found == 0)
        s.say(QStringLiteral("no drive answered"));
    if (waiting > 0)
        return kCutWrite;
    return found > 0 ? kDone : kNoDrive;
}

} // namespace cli::commands
