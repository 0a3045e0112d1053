// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clicommands.h"

#include "app/clisteps.h"

#include "link/answerrules.h"
#include "link/journal.h"
#include "link/searchplan.h"
#include "parameters/compare.h"
#include "parameters/descriptions.h"
#include "parameters/designations.h"
#include "parameters/parameterfile.h"
#include "program/programfile.h"
#include "shell/cp1252.h"
#include "shell/datafiles.h"
#include "shell/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>

namespace cli {

namespace {

using namespace steps;

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

// ---- diff, get, set, program ----------------------------------------------------

int diff(Session &s)
{
    const QString path = s.options.arguments.value(0);
    const std::optional<QByteArray> bytes = loadFile(s, path);
    if (!bytes)
        return kFileError;
    const std::optional<params::LoadedParameterFile> file = params::parseParameterFile(*bytes);
    if (!file) {
        s.say(QStringLiteral("%1: not a parameter file (its first line is not \"ZYNT-Parameter\")").arg(path));
        return kFileError;
    }
    // The parameter file of a backup folder is checked against its drive.ini.
    const QDir folder = QFileInfo(path).dir();
    if (QFileInfo(path).fileName() == QLatin1String("parameters.par") && folder.exists(QStringLiteral("drive.ini"))) {
        const std::optional<QByteArray> infoBytes = loadFile(s, folder.filePath(QStringLiteral("drive.ini")));
        const std::optional<DriveInfo> info = infoBytes ? parseDriveInfo(*infoBytes) : std::nullopt;
        const std::optional<QByteArray> prgBytes = loadFile(s, folder.filePath(QStringLiteral("program.prg")));
        if (!info || !prgBytes) {
            s.say(QStringLiteral("%1: not a drive folder of a backup").arg(folder.path()));
            return kFileError;
        }
        if (const int status = checkBackupFolder(s, folder, *info, *file, program::parseProgramFile(*prgBytes),
                                                 {{QStringLiteral("parameters.par"), *bytes},
                                                  {QStringLiteral("program.prg"), *prgBytes}});
            status != kDone)
            return status;
    }
    const Target t = target(s.options);
    if (const int status = connectTo(s, t, t.addresses.first(), nullptr); status != kDone)
        return status;
    loadDescriptions(s);
    if (const Outcome outcome = s.readList(); outcome != Outcome::Ok)
        return failed(s, outcome, QStringLiteral("reading the parameter list"));
    Report report(s);
    const QList<params::Difference> found = params::differences(s.core.Parameters.Grid, s.core.Parameters.ParameterRowCount, file->rows);
    for (const params::Difference &d : found)
        report.add(QStringLiteral("%1\t%2\t%3").arg(fromCp1252(d.designation), fromCp1252(d.driveValue), fromCp1252(d.fileValue)),
                   {{"parameter", json(d.designation)}, {"drive", json(d.driveValue)}, {"file", json(d.fileValue)}});
    return found.isEmpty() ? kDone : kDiffers;
}

int get(Session &s)
{
    const Target t = target(s.options);
    if (const int status = connectTo(s, t, t.addresses.first(), nullptr); status != kDone)
        return status;
    Report report(s);
    int status = kDone;
    for (const QString &name : s.options.arguments) {
        QByteArray value;
        const Outcome outcome = s.query(toCp1252(name), &value);
        if (outcome == Outcome::Refused) {
            s.say(QStringLiteral("%1: refused: %2").arg(name, s.lastError.simplified()));
            status = kDiffers;
            continue;
        }
        if (outcome != Outcome::Ok)
            return failed(s, outcome, name);
        report.add(name + QLatin1Char('=') + fromCp1252(value), {{"name", json(name)}, {"value", json(value)}});
    }
    return status;
}

int set(Session &s)
{
    const Target t = target(s.options);
    if (const int status = connectTo(s, t, t.addresses.first(), nullptr); status != kDone)
        return status;
    loadDescriptions(s);
    if (const int status = saveBeforeChange(s, true, false); status != kDone)
        return status;
    if (s.options.noBackup) {
        if (const Outcome outcome = s.readList(); outcome != Outcome::Ok)
            return failed(s, outcome, QStringLiteral("reading the parameter list"));
    }
    QList<QByteArray> assignments;
    for (const QString &assignment : s.options.arguments)
        assignments << toCp1252(assignment);
    // Only names the drive lists, with values a value may be: anything else
    // is refused before a single assignment goes out.
    bool refusedAny = false;
    for (const QByteArray &assignment : assignments) {
        const qsizetype equals = assignment.indexOf('=');
        if (const std::optional<QString> fault = params::rowFault(assignment.left(equals), assignment.mid(equals + 1),
                                                                  s.core.Parameters.Grid,
                                                                  s.core.Parameters.ParameterRowCount)) {
            s.say(QStringLiteral("refused before sending: %1").arg(*fault));
            refusedAny = true;
        }
    }
    if (refusedAny)
        return kDiffers;
    const QString backup =
        s.options.noBackup ? QString() : s.backupPar;
    if (!s.core.recordAssignments(assignments, backup)) {
        s.say(s.coreError());
        return kFileError;
    }
    // Ended early: which assignments the drive took, and the way back.
    const auto cut = [&s](const QString &said, int status) {
        s.say(said);
        if (s.core.Journal) {
            s.say(describeRecord(*s.core.Journal));
            s.say(QStringLiteral("the way back: %1").arg(recoverLine(s)));
        }
        return status;
    };
    Report report(s);
    int status = kDone;
    int written = 0;
    for (qsizetype i = 0; i < s.options.arguments.size(); ++i) {
        const QString &assignment = s.options.arguments[i];
        if (s.interrupted())
            return cut(QStringLiteral("interrupted: %1 of %2 assignments written, none saved permanently")
                           .arg(written).arg(s.options.arguments.size()),
                       kInterrupted);
        const Outcome outcome = s.assign(toCp1252(assignment));
        if (outcome == Outcome::Ok || outcome == Outcome::Refused)
            s.core.assignmentsAnswered(int(i + 1));
        if (outcome == Outcome::Refused) {
            s.say(QStringLiteral("%1: refused: %2").arg(assignment, s.lastError.simplified()));
            report.add(QStringLiteral("refused %1").arg(assignment), {{"refused", json(assignment)}});
            status = kDiffers;
            continue;
        }
        if (outcome == Outcome::Interrupted)
            return cut(QStringLiteral("interrupted: %1 of %2 assignments written, none saved permanently")
                           .arg(written + 1).arg(s.options.arguments.size()),
                       kInterrupted);
        if (outcome != Outcome::Ok)
            return cut(QStringLiteral("%1: %2").arg(assignment, s.lastError), exitOf(outcome));
        ++written;
        report.add(QStringLiteral("written %1").arg(assignment), {{"written", json(assignment)}});
    }
    s.core.assignmentsDone();
    if (s.options.save) {
        if (status != kDone) {
            s.say(QStringLiteral("not saved permanently: an assignment was refused"));
        } else if (const Outcome outcome = s.permanentSave(); outcome != Outcome::Ok) {
            return failed(s, outcome, QStringLiteral("psave"));
        } else {
            report.add(QStringLiteral("saved permanently"), {{"saved", "true"}});
        }
    }
    return status;
}

int programCommand(Session &s)
{
    const bool writing = s.options.arguments.value(0) == QLatin1String("write");
    const QString path = s.options.arguments.value(1);
    program::ProgramLines wanted;
    if (writing) {
        const std::optional<QByteArray> bytes = loadFile(s, path);
        if (!bytes)
            return kFileError;
        wanted = program::parseProgramFile(*bytes);
        // A file the grid cannot hold whole, or with a gap that would end
        // the write early, is refused before anything goes out.
        if (!wanted[size_t(program::kOverflowRow)].isEmpty()) {
            s.say(QStringLiteral("%1: more than 299 lines, more than a drive's program holds: nothing was written")
                      .arg(path));
            return kFileError;
        }
        if (const std::optional<program::Truncation> cut = program::truncation(wanted); cut && !s.options.truncate) {
            s.say(QStringLiteral("%1: line %2 %3: the lines after it would not be written; nothing was written "
                                 "(--truncate writes up to it)")
                      .arg(path)
                      .arg(cut->row)
                      .arg(cut->blank ? QStringLiteral("begins with a blank") : QStringLiteral("is empty")));
            return kFileError;
        }
    }
    const Target t = target(s.options);
    if (const int status = connectTo(s, t, t.addresses.first(), nullptr); status != kDone)
        return status;
    Report report(s);
    if (!writing) {
        if (const Outcome outcome = s.readProgram(); outcome != Outcome::Ok)
            return failed(s, outcome, QStringLiteral("reading the program"));
        if (!saveFile(s, path, program::formatProgramFile(s.core.Program)))
            return kFileError;
        const int lines = int(listedLines(s.core.Program).size());
        report.add(QStringLiteral("%1 %2 lines").arg(path).arg(lines), {{"file", json(path)}, {"lines", json(lines)}});
        return kDone;
    }
    int lines = 0;
    if (const int status = backUpAndWriteProgram(s, wanted, QStringLiteral("writing %1").arg(path), &lines);
        status != kDone)
        return status;
    // The core read the program back after the write.
    if (s.check == DriveCore::WriteCheck::Unread) {
        s.say(QStringLiteral("reading the program back: it did not arrive whole"));
        s.say(QStringLiteral("the way back: %1").arg(recoverLine(s)));
        return kNoDrive;
    }
    const bool equal = s.check == DriveCore::WriteCheck::Equal;
    if (!equal && s.core.Journal) {
        s.say(describeRecord(*s.core.Journal));
        s.say(QStringLiteral("the way back: %1").arg(recoverLine(s)));
    }
    report.add(QStringLiteral("%1 %2 lines written%3").arg(path).arg(lines).arg(equal ? QString() : QStringLiteral(", the drive holds another program")),
               {{"file", json(path)}, {"lines", json(lines)}, {"equal", equal ? "true" : "false"}});
    return equal ? kDone : kDiffers;
}

} // namespace

int run(Session &session)
{
    const QString &command = session.options.command;
    if (command == QLatin1String("scan"))
        return scan(session);
    if (command == QLatin1String("backup"))
        return commands::backup(session);
    if (command == QLatin1String("restore"))
        return commands::restore(session);
    if (command == QLatin1String("diff"))
        return diff(session);
    if (command == QLatin1String("get"))
        return get(session);
    if (command == QLatin1String("set"))
        return set(session);
    if (command == QLatin1String("recover"))
        return commands::recover(session);
    return programCommand(session);
}

} // namespace cli
