// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's backups of whole drives, and their restore: a folder
// that checks itself, and nothing written from one that does not; and the
// backup of what a command is about to overwrite.
#include "app/clibackup.h"

#include "app/clicommands.h"
#include "app/clifiles.h"
#include "app/cliparameters.h"
#include "app/cliprogram.h"
#include "app/clirecover.h"
#include "parameters/compare.h"
#include "parameters/designations.h"
#include "program/programfile.h"
#include "shell/cp1252.h"
#include "shell/datafiles.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace cli {

namespace steps {

int checkBackupFolder(Session &s, const QDir &folder, const DriveInfo &info, const params::LoadedParameterFile &par,
                      const program::ProgramLines &program, const QList<std::pair<QString, QByteArray>> &files)
{
    int parameters = 0;
    for (const params::GridRow &row : par.rows)
        parameters += row[params::ColDesignation].isEmpty() ? 0 : 1;
    const QStringList faults = backupFaults(info, files, parameters, int(listedLines(program).size()));
    if (!faults.isEmpty()) {
        for (const QString &fault : faults)
            s.say(QStringLiteral("%1/%2").arg(folder.path(), fault));
        s.say(QStringLiteral("%1: the backup does not match its drive.ini: nothing was used from it").arg(folder.path()));
        return kFileError;
    }
    if (info.files.isEmpty())
        s.say(QStringLiteral("%1: made before backups kept their sizes and SHA-256: it cannot be checked")
                  .arg(folder.path()));
    return kDone;
}

// Saves what a command is about to overwrite; nothing is written when that fails.
int saveBeforeChange(Session &s, bool list, bool program)
{
    if (s.options.noBackup)
        return kDone;
    const QString folder = !s.options.backupTo.isEmpty() ? s.options.backupTo : datafiles::backupFolder();
    if (!QDir().mkpath(folder)) {
        s.say(datafiles::fileError(folder, QStringLiteral("the folder cannot be made")));
        return kFileError;
    }
    // One stem for what one command overwrites (its list and its program),
    // with the port: two commands at once on two lines keep apart, and a
    // name another command took a moment ago is not taken again.
    if (s.lastBackup.isEmpty())
        s.lastBackup = QDir(folder).filePath(
            datafiles::backupStem(QDateTime::currentDateTime(), s.port(), s.core.DriveAddress));
    const QString stem = s.lastBackup;
    if (list) {
        if (const Outcome outcome = s.readList(); outcome != Outcome::Ok)
            return failed(s, outcome, QStringLiteral("reading the list to back it up"));
        if (const QString error = datafiles::saveBackupFile(stem, QStringLiteral(".par"),
                                                            parameterFileOf(s.core.Parameters), &s.backupPar);
            !error.isEmpty()) {
            s.say(error + QStringLiteral("\nthe backup failed: nothing was written to the drive"));
            return kFileError;
        }
        s.note(QStringLiteral("the drive's parameters were saved to %1").arg(s.backupPar));
    }
    if (program) {
        if (const Outcome outcome = s.readProgram(); outcome != Outcome::Ok)
            return failed(s, outcome, QStringLiteral("reading the program to back it up"));
        if (const QString error = datafiles::saveBackupFile(stem, QStringLiteral(".prg"),
                                                            program::formatProgramFile(s.core.Program), &s.backupPrg);
            !error.isEmpty()) {
            s.say(error + QStringLiteral("\nthe backup failed: nothing was written to the drive"));
            return kFileError;
        }
        s.note(QStringLiteral("the drive's program was saved to %1").arg(s.backupPrg));
    }
    return kDone;
}

} // namespace steps

namespace commands {

using namespace steps;

namespace {

// ---- backup -------------------------------------------------------------------

int backupDrive(Session &s, const Target &t, int address, const QString &root, Report &report)
{
    QByteArray version;
    if (const int status = connectTo(s, t, address, &version); status != kDone)
        return status;
    loadDescriptions(s);
    if (const Outcome outcome = s.readList(); outcome != Outcome::Ok)
        return failed(s, outcome, QStringLiteral("reading the parameter list"));
    if (const Outcome outcome = s.readProgram(); outcome != Outcome::Ok)
        return failed(s, outcome, QStringLiteral("reading the program"));
    const QString folder = QDir(root).filePath(driveFolderName(t.port, address));
    DriveInfo info;
    info.port = portLabel(t.port);
    info.baud = t.baud;
    info.address = QByteArray::number(address);
    info.version = version;
    info.type = params::valueOf(s.core.Parameters.Grid, s.core.Parameters.ParameterRowCount, "P1034");
    info.time = QDateTime::currentDateTime();
    info.time.setOffsetFromUtc(info.time.offsetFromUtc()); // written with its offset
    info.parameters = parameterCount(s.core.Parameters);
    info.programLines = int(listedLines(s.core.Program).size());
    // A program longer than the editor holds is kept as far as it goes, and
    // the backup says that it is not whole.
    info.complete = s.core.ProgramListedLines <= program::kVisibleRows;
    if (!info.complete)
        info.programLines = std::min(info.programLines, program::kVisibleRows);
    const QByteArray par = parameterFileOf(s.core.Parameters);
    program::ProgramLines kept = s.core.Program;
    kept[size_t(program::kOverflowRow)].clear();
    const QByteArray prg = program::formatProgramFile(kept);
    for (const auto &[name, bytes] : {std::pair {QStringLiteral("parameters.par"), par}, std::pair {QStringLiteral("program.prg"), prg}})
        info.files << FileSum {name, bytes.size(), datafiles::sha256(bytes)};
    // The folder takes its name only once all of it is written and read back.
    const QString error = datafiles::saveFolder(folder, {{QStringLiteral("parameters.par"), par},
                                                         {QStringLiteral("program.prg"), prg},
                                                         {QStringLiteral("drive.ini"), formatDriveInfo(info)}});
    if (!error.isEmpty()) {
        s.say(error);
        return kFileError;
    }
    if (!info.complete) {
        s.say(QStringLiteral("%1: the drive holds %2 program lines; %3 can be kept: the backup is incomplete")
                  .arg(folder)
                  .arg(s.core.ProgramListedLines)
                  .arg(program::kVisibleRows));
    }
    report.add(QStringLiteral("%1 %2 parameters, %3 program lines").arg(folder).arg(info.parameters).arg(info.programLines),
               {{"folder", json(folder)}, {"port", json(info.port)}, {"address", json(address)},
                {"version", json(version)}, {"parameters", json(info.parameters)},
                {"programLines", json(info.programLines)}, {"complete", info.complete ? "true" : "false"}});
    return info.complete ? kDone : kDiffers;
}

} // namespace

int backup(Session &s)
{
    const Target t = target(s.options);
    const QString root = s.options.arguments.value(0);
    Report report(s);
    const QList<int> addresses = s.options.all ? t.addresses : QList<int> {t.addresses.first()};
    // A target that cannot take the backup is said before the drive is read.
    if (const QString error = datafiles::prepareFolder(root); !error.isEmpty()) {
        s.say(error + QStringLiteral("\nnothing was read from the drive"));
        return kFileError;
    }
    int status = kDone;
    for (const int address : addresses) {
        const int one = backupDrive(s, t, address, root, report);
        if (one == kInterrupted)
            return one;
        status = std::max(status, one);
    }
    return status;
}

// ---- restore ------------------------------------------------------------------

namespace {

// What restore writes from: a backup folder (its drive.ini, parameters and
// program, checked against each other), or a single parameter file (an
// automatic backup, checked against its side file where it has one).
struct Source {
    std::optional<DriveInfo> info;
    params::LoadedParameterFile parameters;
    std::optional<program::ProgramLines> program;
};

int loadSource(Session &s, const QString &argument, Source &source)
{
    if (QFileInfo(argument).isFile()) {
        const std::optional<QByteArray> bytes = loadFile(s, argument);
        if (!bytes)
            return kFileError;
        const std::optional<params::LoadedParameterFile> file = params::parseParameterFile(*bytes);
        if (!file) {
            s.say(QStringLiteral("%1: not a parameter file (its first line is not \"ZYNT-Parameter\")").arg(argument));
            return kFileError;
        }
        source.parameters = *file;
        return kDone;
    }
    const QDir folder(argument);
    const std::optional<QByteArray> infoBytes = loadFile(s, folder.filePath(QStringLiteral("drive.ini")));
    const std::optional<QByteArray> parBytes = loadFile(s, folder.filePath(QStringLiteral("parameters.par")));
    const std::optional<QByteArray> prgBytes = loadFile(s, folder.filePath(QStringLiteral("program.prg")));
    if (!infoBytes || !parBytes || !prgBytes)
        return kFileError;
    source.info = parseDriveInfo(*infoBytes);
    const std::optional<params::LoadedParameterFile> file = params::parseParameterFile(*parBytes);
    if (!source.info || !file) {
        s.say(QStringLiteral("%1: not a drive folder of a backup").arg(folder.path()));
        return kFileError;
    }
    source.parameters = *file;
    source.program = program::parseProgramFile(*prgBytes);
    // Nothing goes to the drive from a folder whose files are not what its
    // drive.ini says they were.
    return checkBackupFolder(s, folder, *source.info, *file, *source.program,
                             {{QStringLiteral("parameters.par"), *parBytes}, {QStringLiteral("program.prg"), *prgBytes}});
}

// A backup of another firmware is not written to the drive unless forced.
int checkVersion(Session &s, const std::optional<DriveInfo> &info, const QByteArray &version)
{
    if (info && versionNumber(version) != info->version && !s.options.force) {
        s.say(QStringLiteral("the drive says \"%1\", the backup was made of \"%2\": nothing written (--force "
                             "writes all the same)")
                  .arg(fromCp1252(version), fromCp1252(info->version)));
        return kDiffers;
    }
    return kDone;
}

// A drive of another type is another machine part: refused as another
// version is, and even then its type is written only when asked for.
int checkType(Session &s, const std::optional<DriveInfo> &info)
{
    const QByteArray type = params::valueOf(s.core.Parameters.Grid, s.core.Parameters.ParameterRowCount, "P1034");
    if (info && !info->type.isEmpty() && type != info->type && !s.options.force) {
        s.say(QStringLiteral("the drive is of type %1 (P1034), the backup was made of type %2: nothing written "
                             "(--force writes all the same, --write-type also its type)")
                  .arg(fromCp1252(type), fromCp1252(info->type)));
        return kDiffers;
    }
    return kDone;
}

// What restore writes of the parameters: the rows it may send, the
// assignments of those that differ from the drive, and kDiffers in status
// where a row was refused before sending.
struct ParameterPlan {
    QList<params::GridRow> sendable;
    QList<QByteArray> assignments;
    int status = kDone;
};

// The plan against the drive's list just read; a dry run reports each
// assignment it would send.
ParameterPlan planParameters(Session &s, const params::LoadedParameterFile &file, Report &report)
{
    const bool dryRun = s.options.dryRun;
    const params::GridCells &grid = s.core.Parameters.Grid;
    const int rows = s.core.Parameters.ParameterRowCount;
    const QByteArray type = params::valueOf(grid, rows, "P1034");
    ParameterPlan plan;
    // A row the drive does not list, or whose value no value can be, is
    // named and never sent; nothing in a file can change where a command goes.
    for (const params::GridRow &row : file.rows) {
        if (row[params::ColDesignation].trimmed().isEmpty())
            continue;
        if (const std::optional<QString> fault = params::rowFault(row[params::ColDesignation], row[params::ColValue], grid, rows)) {
            s.say(QStringLiteral("refused before sending: %1").arg(*fault));
            plan.status = kDiffers;
            continue;
        }
        plan.sendable << row;
    }
    const QList<params::Difference> before = params::differences(grid, rows, plan.sendable);
    QList<QByteArray> &assignments = plan.assignments;
    for (const params::Difference &d : before) {
        QByteArray plain = d.designation.trimmed();
        params::Parameter_wert_check(plain);
        assignments << plain + '=' + d.fileValue;
        if (dryRun)
            report.add(QStringLiteral("would write %1 drive %2 backup %3")
                           .arg(fromCp1252(plain + '=' + d.fileValue), fromCp1252(d.driveValue), fromCp1252(d.fileValue)),
                       {{"write", json(plain + '=' + d.fileValue)}, {"drive", json(d.driveValue)}, {"backup", json(d.fileValue)}});
    }
    if (s.options.writeType) {
        for (const params::GridRow &row : plan.sendable) {
            if (params::liveState(row[params::ColDesignation]) == params::Live::DriveType
                && !params::sameValue(row[params::ColValue], type)) {
                assignments << QByteArray("P1034=") + params::plainValue(row[params::ColValue]);
                if (dryRun)
                    report.add(QStringLiteral("would write %1").arg(fromCp1252(assignments.last())),
                               {{"write", json(assignments.last())}});
            }
        }
    }
    return plan;
}

// Writes the assignments and makes them permanent. kDone where restore goes
// on (status becomes kDiffers where the drive refused one); otherwise the
// exit status restore ends with.
int writeParameters(Session &s, const QList<QByteArray> &assignments, Report &report, int &status)
{
    if (assignments.isEmpty())
        return kDone;
    QList<QByteArray> written;
    const QString backup = s.options.noBackup ? QString() : s.backupPar;
    const Outcome outcome = s.writeAssignments(assignments, &written, backup);
    for (const QByteArray &assignment : written)
        report.add(QStringLiteral("written %1").arg(fromCp1252(assignment)), {{"written", json(assignment)}});
    for (const QByteArray &refusal : s.refusals)
        s.say(QStringLiteral("refused: %1").arg(fromCp1252(refusal).simplified()));
    if (outcome != Outcome::Ok && outcome != Outcome::Refused && s.core.Journal) {
        // The drive holds some of the values: which, and the way back.
        s.say(outcome == Outcome::Interrupted
                  ? QStringLiteral("interrupted: %1 of %2 parameters written, none saved permanently")
                        .arg(written.size()).arg(assignments.size())
                  : QStringLiteral("writing the parameters: %1").arg(s.lastError));
        s.say(describeRecord(*s.core.Journal));
        s.say(QStringLiteral("the way back: %1").arg(recoverLine(s)));
        return exitOf(outcome);
    }
    if (outcome == Outcome::Interrupted) {
        s.say(QStringLiteral("interrupted: %1 of %2 parameters written, none saved permanently")
                  .arg(written.size()).arg(assignments.size()));
        return kInterrupted;
    }
    if (outcome != Outcome::Ok && outcome != Outcome::Refused)
        return failed(s, outcome, QStringLiteral("writing the parameters"));
    if (outcome == Outcome::Refused) {
        // What the drive refused is not what the backup holds: nothing of
        // it is made permanent.
        status = kDiffers;
        s.say(QStringLiteral("not saved permanently (no psave): an assignment was refused"));
    } else if (const Outcome saved = s.permanentSave(); saved != Outcome::Ok) {
        return failed(s, saved, QStringLiteral("psave"));
    }
    return kDone;
}

// What a dry run says of the program: whether the backup's differs from
// the drive's (an incomplete one is not compared).
int programWouldChange(Session &s, const Source &source, Report &report, bool *changes)
{
    if (source.program && source.info->complete) {
        if (const Outcome outcome = s.readProgram(); outcome != Outcome::Ok)
            return failed(s, outcome, QStringLiteral("reading the program"));
        *changes = listedLines(s.core.Program) != sentLines(*source.program);
        if (*changes)
            report.add(QStringLiteral("would write program, %1 lines").arg(sentLines(*source.program).size()),
                       {{"program", json(int(sentLines(*source.program).size()))}});
    }
    return kDone;
}

// The program, when it differs; an incomplete backup's program is not
// the drive's program and is never written. kDone where restore goes on.
int restoreProgram(Session &s, const Source &source, Report &report)
{
    if (!source.program)
        return kDone;
    if (!source.info->complete) {
        s.say(QStringLiteral("the backup's program is incomplete (the drive held more than %1 lines): it was not "
                             "written").arg(program::kVisibleRows));
        return kDiffers;
    }
    if (const Outcome outcome = s.readProgram(); outcome != Outcome::Ok)
        return failed(s, outcome, QStringLiteral("reading the program"));
    if (listedLines(s.core.Program) != sentLines(*source.program)) {
        int lines = 0;
        if (const int written = backUpAndWriteProgram(s, *source.program, QStringLiteral("writing the program"), &lines);
            written != kDone)
            return written;
        report.add(QStringLiteral("written program, %1 lines").arg(lines), {{"programLines", json(lines)}});
    }
    return kDone;
}

// Reads the list and the program back and names what still differs from
// the backup; the exit status, status where nothing does.
int compareBack(Session &s, const Source &source, const QList<params::GridRow> &sendable, Report &report, int status)
{
    if (const Outcome outcome = s.readList(); outcome != Outcome::Ok)
        return failed(s, outcome, QStringLiteral("reading the list back"));
    const QList<params::Difference> after = params::differences(s.core.Parameters.Grid, s.core.Parameters.ParameterRowCount, sendable);
    for (const params::Difference &d : after)
        report.add(QStringLiteral("differs %1 drive %2 backup %3").arg(fromCp1252(d.designation), fromCp1252(d.driveValue), fromCp1252(d.fileValue)),
                   {{"differs", json(d.designation)}, {"drive", json(d.driveValue)}, {"backup", json(d.fileValue)}});
    bool programEqual = true;
    if (source.program) {
        if (const Outcome outcome = s.readProgram(); outcome != Outcome::Ok)
            return failed(s, outcome, QStringLiteral("reading the program back"));
        programEqual = listedLines(s.core.Program) == sentLines(*source.program);
        if (!programEqual)
            report.add(QStringLiteral("differs program"), {{"differs", json(QStringLiteral("program"))}});
    }
    if (!after.isEmpty() || !programEqual)
        status = kDiffers;
    return status;
}

} // namespace

int restore(Session &s)
{
    Source source;
    if (const int status = loadSource(s, s.options.arguments.value(0), source); status != kDone)
        return status;
    const std::optional<DriveInfo> &info = source.info;
    const bool dryRun = s.options.dryRun;

    Target t = target(s.options);
    if (info && !s.options.baud && info->baud > 0 && !QFileInfo::exists(QStringLiteral("ZYNT.ini")))
        t.baud = info->baud;
    const int address = !s.options.addresses.isEmpty() ? s.options.addresses.first()
                      : info                           ? info->address.toInt()
                                                       : t.addresses.first();
    QByteArray version;
    if (const int status = connectTo(s, t, address, &version); status != kDone)
        return status;
    if (const int status = checkVersion(s, info, version); status != kDone)
        return status;
    loadDescriptions(s);

    // The parameters that differ and may be written, with what they were.
    if (const int status = saveBeforeChange(s, !dryRun, false); status != kDone)
        return status;
    if (s.options.noBackup || dryRun) {
        if (const Outcome outcome = s.readList(); outcome != Outcome::Ok)
            return failed(s, outcome, QStringLiteral("reading the parameter list"));
    }
    if (const int status = checkType(s, info); status != kDone)
        return status;
    Report report(s);
    const ParameterPlan plan = planParameters(s, source.parameters, report);
    if (dryRun) {
        bool programChanges = false;
        if (const int status = programWouldChange(s, source, report, &programChanges); status != kDone)
            return status;
        // Nothing was sent but the reads: the answer is whether anything would change.
        return plan.assignments.isEmpty() && !programChanges && plan.status == kDone ? kDone : kDiffers;
    }
    int status = plan.status;
    if (const int ended = writeParameters(s, plan.assignments, report, status); ended != kDone)
        return ended;
    if (const int ended = restoreProgram(s, source, report); ended != kDone)
        return ended;
    return compareBack(s, source, plan.sendable, report, status);
}

} // namespace commands

} // namespace cli
