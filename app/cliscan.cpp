// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's scan: probes on each port and rate, then the connect
// sequence to each drive that answered.
#include "app/clicommands.h"

#include "app/clirecover.h"
#include "link/searchplan.h"
#include "shell/cp1252.h"
#include "shell/porthint.h"

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

// Why a port could not be used, and what to do about it.
QString portTrouble(const porthint::PortRow &row)
{
    if (row.path.isEmpty())
        return QStringLiteral("no device");
    if (!row.exists)
        return QStringLiteral("%1 does not exist").arg(row.device);
    QString text = QStringLiteral("this user may not open it: %1").arg(row.reason);
    if (porthint::groupGivesSerialAccess(row.group))
        text += QStringLiteral("; join the group %1 (sudo adduser $USER %1), then log in again").arg(row.group);
    else if (!row.group.isEmpty())
        text += QStringLiteral(" (the device belongs to the group %1)").arg(row.group);
    return text;
}

} // namespace

int ports(Session &s)
{
    Report report(s);
    int usable = 0, present = 0;
    for (int n = 1; n <= 4; ++n) {
        const QString name = QStringLiteral("COM%1").arg(n);
        const porthint::PortRow row =
            porthint::portRow(name, serialports::portTable().paths[size_t(n - 1)], serialports::stableNameFolder());
        present += row.exists;
        usable += row.mayOpen;
        QString line = name + QStringLiteral("  ");
        if (row.exists) {
            line += row.device;
            if (!row.byId.isEmpty())
                line += QStringLiteral("  by-id %1").arg(row.byId);
            line += row.mayOpen ? QStringLiteral("  may open") : QStringLiteral("  ") + portTrouble(row);
        } else {
            line += portTrouble(row);
        }
        report.add(line, {{"port", json(name)},
                          {"device", row.path.isEmpty() ? QByteArray("null") : json(row.device)},
                          {"byId", row.byId.isEmpty() ? QByteArray("null") : json(row.byId)},
                          {"exists", row.exists ? "true" : "false"},
                          {"mayOpen", row.mayOpen ? "true" : "false"},
                          {"group", row.group.isEmpty() ? QByteArray("null") : json(row.group)}});
    }
    if (present == 0) {
        s.say(QStringLiteral("no serial port exists on this system: no USB adapter (ttyUSB, ttyACM) and no built-in "
                             "port with a UART; ZYNT_COM1 to ZYNT_COM4 name other devices"));
        return kNoDrive;
    }
    return usable > 0 ? kDone : kNoDrive;
}

int scan(Session &s)
{
    Report report(s);
    int found = 0, waiting = 0;
    QStringList foundSoFar, skipped;
    QString searching;
    // Ctrl+C: what was found stays on standard output; this says where the
    // search stood.
    const auto stopHere = [&] {
        s.say(QStringLiteral("scan interrupted at %1; found so far: %2")
                  .arg(searching, foundSoFar.isEmpty() ? QStringLiteral("no drive") : foundSoFar.join(QStringLiteral(", "))));
        return kInterrupted;
    };
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
    if (ports.isEmpty())
        skipped << QStringLiteral("no serial port exists (`zynt-cli ports` lists COM1 to COM4)");
    for (const QString &port : ports) {
        for (const int rate : rates) {
            searching = QStringLiteral("%1, %2 baud").arg(port).arg(rate);
            if (!s.openLine(port, rate)) {
                // No rate will do: said once, and again at the end.
                skipped << QStringLiteral("%1 skipped: %2").arg(port, s.lastError);
                s.note(skipped.last());
                break;
            }
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
                } else if (!core.ReceiveBuffer.isEmpty()) {
                    s.note(QStringLiteral("%1 %2 baud address %3: bytes came but no answer could be read; two drives "
                                          "may share this address")
                               .arg(port).arg(rate).arg(address));
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
                    foundSoFar << where;
                    report.add(where + QStringLiteral(" in program entry"), fields + QList<std::pair<const char *, QByteArray>> {{"inEntry", "true"}});
                    continue;
                }
                QByteArray version;
                const Outcome outcome = s.connectDrive(address, &version);
                if (outcome == Outcome::Interrupted)
                    return stopHere();
                if (outcome != Outcome::Ok) {
                    s.say(QStringLiteral("%1 %2 baud address %3: %4").arg(port).arg(rate).arg(address).arg(s.lastError));
                    continue;
                }
                ++found;
                foundSoFar << where;
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
                return stopHere();
        }
    }
    if (found == 0) {
        s.say(skipped.isEmpty() ? QStringLiteral("no drive answered")
                                : QStringLiteral("no drive answered; ") + skipped.join(QStringLiteral("; ")));
    }
    if (waiting > 0)
        return kCutWrite;
    return found > 0 ? kDone : kNoDrive;
}

} // namespace cli::commands
