// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clisteps.h"

#include "app/clirules.h"
#include "link/answerrules.h"
#include "parameters/descriptions.h"
#include "parameters/parameterfile.h"
#include "program/programfile.h"
#include "program/programtransfer.h"
#include "shell/cp1252.h"
#include "shell/datafiles.h"
#include "shell/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>

namespace cli::steps {

QByteArray json(const QString &text)
{
    return jsonString(text);
}

QByteArray json(const QByteArray &cp1252)
{
    return jsonString(fromCp1252(cp1252));
}

QByteArray json(int number)
{
    return QByteArray::number(number);
}

int exitOf(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Ok: return kDone;
    case Outcome::Refused: return kDiffers;
    case Outcome::Interrupted: return kInterrupted;
    case Outcome::TimedOut:
    case Outcome::Failed: return kNoDrive;
    }
    return kNoDrive;
}

// Says what went wrong in a step and gives its exit status.
int failed(Session &s, Outcome outcome, const QString &what)
{
    if (outcome == Outcome::Interrupted)
        s.say(QStringLiteral("%1: interrupted").arg(what));
    else
        s.say(QStringLiteral("%1: %2").arg(what, s.lastError));
    return exitOf(outcome);
}

// The port, rate and addresses the options give, the rest from the
// settings file of the current folder as the window reads it.
Target target(const Options &options)
{
    Target t;
    settings::State state;
    const QString path = QDir::current().filePath(QStringLiteral("ZYNT.ini"));
    if (QFileInfo::exists(path) && (options.port.isEmpty() || !options.baud || options.addresses.isEmpty())) {
        const datafiles::ReadResult read = datafiles::readFile(path);
        settings::read(read.bytes, state);
    }
    if (!options.port.isEmpty())
        t.port = options.port;
    else if (state.port)
        t.port = QStringLiteral("COM%1").arg(*state.port);
    if (options.baud)
        t.baud = *options.baud;
    else if (state.baudrate)
        t.baud = baudRateValue(*state.baudrate);
    t.addresses = options.addresses;
    for (int i = 1; t.addresses.isEmpty() && i <= state.addresses[0] && i < int(state.addresses.size()); ++i) {
        if (state.addresses[size_t(i)] > 0 && !t.addresses.contains(state.addresses[size_t(i)]))
            t.addresses << state.addresses[size_t(i)];
    }
    if (t.addresses.isEmpty())
        t.addresses << 1;
    return t;
}

bool saveFile(Session &s, const QString &path, const QByteArray &bytes)
{
    // Written aside and renamed: a failure never leaves half a file.
    const QString error = datafiles::saveFile(path, bytes);
    if (!error.isEmpty())
        s.say(error);
    return error.isEmpty();
}

std::optional<QByteArray> loadFile(Session &s, const QString &path)
{
    const datafiles::ReadResult read =
        datafiles::readUserFile(path, datafiles::kMaxUserFileBytes, datafiles::kMaxUserLineLength);
    if (!read.error.isEmpty()) {
        s.say(read.error);
        return std::nullopt;
    }
    // A backup with its sum beside it is checked against it; one that does
    // not match is never used.
    if (const QString fault = datafiles::checkAgainstSumFile(path, read.bytes); !fault.isEmpty()) {
        s.say(fault + QStringLiteral("\nnothing was used from it"));
        return std::nullopt;
    }
    return read.bytes;
}

// The descriptions of both languages, from the files the window reads.
void loadDescriptions(Session &s)
{
    std::optional<QByteArray> files[2];
    const char *const names[] = {"Par-dt.ini", "Par-engl.ini"};
    for (int i = 0; i < 2; ++i) {
        const QString path = datafiles::locate(QDir::currentPath(), QString::fromLatin1(names[i]));
        if (!path.isEmpty())
            files[i] = datafiles::readFile(path).bytes;
    }
    params::LoadParameterDescriptions(s.core.Parameters, files[0], files[1]);
}

// The drive's list as a parameter file, every parameter in it.
QByteArray parameterFileOf(const params::ParameterModel &model)
{
    return params::formatCompleteParameterFile(model.Grid, model.ParameterRowCount);
}

int parameterCount(const params::ParameterModel &model)
{
    int count = 0;
    for (int r = 1; r < model.ParameterRowCount && r < int(model.Grid.size()); ++r)
        count += model.Grid[size_t(r)][params::ColDesignation].isEmpty() ? 0 : 1;
    return count;
}

// The lines a program write sends, and the lines a listing holds.
QByteArrayList sentLines(program::ProgramLines lines)
{
    return program::sentLines(std::move(lines));
}

QByteArrayList listedLines(const program::ProgramLines &lines)
{
    return program::listedLines(lines);
}

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

namespace {

// The commands that decide a cut write by what they do to the drive.
bool decidesCut(const Options &options)
{
    return options.command == QLatin1String("restore") || options.command == QLatin1String("recover")
        || (options.command == QLatin1String("program") && options.arguments.value(0) == QLatin1String("write"));
}

} // namespace

QString describeRecord(const journal::Record &record)
{
    const QString time = record.time.isValid() ? record.time.toString(Qt::ISODate) : QStringLiteral("time unknown");
    QString text;
    if (record.kind == journal::Kind::Parameters) {
        QStringList taken;
        for (int i = 0; i < record.acknowledged && i < record.written.size(); ++i)
            taken << fromCp1252(record.written[i]);
        text = QStringLiteral("the parameter write to address %1 was cut after %2 of %3 assignments (%4)")
                   .arg(QString::fromLatin1(record.address))
                   .arg(record.acknowledged)
                   .arg(record.total)
                   .arg(time);
        if (!taken.isEmpty())
            text += QStringLiteral("; the drive acknowledged %1").arg(taken.join(QStringLiteral(", ")));
        if (!record.backup.isEmpty())
            text += QStringLiteral("; the values before it are in %1").arg(record.backup);
        return text;
    }
    text = QStringLiteral("the program write to address %1 was cut at line %2 of %3 (%4): the drive acknowledged %5 "
                          "lines and holds a partial program")
               .arg(QString::fromLatin1(record.address))
               .arg(std::min(record.acknowledged + 1, std::max(record.total, 1)))
               .arg(record.total)
               .arg(time)
               .arg(record.acknowledged);
    if (!record.backup.isEmpty())
        text += QStringLiteral("; its program before the write is in %1").arg(record.backup);
    return text;
}

QString describeCut(const DriveCore::CutWrite &cut)
{
    QString text = cut.reason == DriveCore::CutReason::InEntry
                       ? QStringLiteral("address %1 is in program entry and no write to it is recorded: what it "
                                        "received becomes its program when the entry ends")
                             .arg(QString::fromLatin1(cut.record.address))
                       : describeRecord(cut.record);
    if (cut.inEntry && cut.reason != DriveCore::CutReason::InEntry)
        text += QStringLiteral("; the drive is still in program entry");
    if (!cut.record.backup.isEmpty() && !cut.backupHolds)
        text += QStringLiteral("; the backup is missing or does not match its size and SHA-256");
    return text;
}

QString recoverLine(Session &s)
{
    const QByteArray address = s.core.PendingCut ? s.core.PendingCut->record.address
                             : s.core.Journal     ? s.core.Journal->address
                                                  : s.core.DriveAddress;
    return recoverCommand(s.port(), s.baud(), address);
}

int connectTo(Session &s, const Target &t, int address, QByteArray *version)
{
    if (!s.openLine(t.port, t.baud)) {
        s.say(QStringLiteral("cannot open %1").arg(s.lastError));
        return kNoDrive;
    }
    s.core.Parameters.SingleDriveListing = t.addresses.size() <= 1;
    const Outcome outcome = s.connectDrive(address, version);
    if (outcome != Outcome::Ok)
        return failed(s, outcome, QStringLiteral("%1 address %2").arg(t.port).arg(address));
    if (s.core.PendingCut) {
        // Nothing was sent past the probe: the drive's entry, or its cut
        // write, waits for a decision.
        const DriveCore::CutWrite cut = *s.core.PendingCut;
        if (s.options.command == QLatin1String("recover"))
            return kDone;
        if (!decidesCut(s.options)) {
            s.say(QStringLiteral("%1 address %2: %3").arg(t.port).arg(address).arg(describeCut(cut)));
            s.say(QStringLiteral("a cut write waits for a decision; nothing was done. To write the backup back: %1 "
                                 "(with --keep the drive keeps what it holds)")
                      .arg(recoverLine(s)));
            return kCutWrite;
        }
        s.say(QStringLiteral("%1 address %2: %3; its entry is ended as it is before this command writes")
                  .arg(t.port)
                  .arg(address)
                  .arg(describeCut(cut)));
        QByteArray said;
        const QMetaObject::Connection heard =
            QObject::connect(&s.core, &DriveCore::versionRead, &s, [&said](const QByteArray &text) { said = text; });
        bool readBack = false;
        const Outcome ended = s.resolveCut(DriveCore::CutChoice::Keep, &readBack);
        QObject::disconnect(heard);
        s.core.Sprache = s.options.language;
        if (ended != Outcome::Ok)
            return failed(s, ended, QStringLiteral("ending the cut write's entry"));
        if (version)
            *version = said;
    }
    if (version && version->isEmpty()) {
        s.say(QStringLiteral("%1 address %2: the drive did not say its version").arg(t.port).arg(address));
        return kNoDrive;
    }
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

int cutWrite(Session &s, Outcome outcome, const QString &what, int lines, const QByteArray &inFlight)
{
    // Said with --quiet too: the drive holds a part of a program.
    QString said;
    const int status = exitOf(outcome);
    if (outcome == Outcome::Interrupted) {
        said = QStringLiteral("interrupted: the program write was ended with \"quit\" after %1 lines the drive "
                              "acknowledged").arg(lines);
        if (!inFlight.isEmpty())
            said += QStringLiteral(" (\"%1\" was on its way and may have been taken too)").arg(fromCp1252(inFlight));
    } else if (outcome == Outcome::Refused) {
        // The write stopped at the refused line; what the drive holds is read.
        QStringList rows;
        for (const QByteArray &command : s.refusedCommands)
            rows << QStringLiteral("\"%1\"").arg(fromCp1252(answer::commandBody(command, s.core.DriveAddress)));
        said = QStringLiteral("%1: the drive refused %2 after %3 lines it acknowledged")
                   .arg(what, rows.isEmpty() ? QStringLiteral("a line") : rows.join(QStringLiteral(", ")))
                   .arg(lines);
        s.core.Owner.resume(line::Pause::CutWrite);
        if (s.readProgram() == Outcome::Ok)
            said += QStringLiteral("; it now holds %1 lines, neither its old program nor the new one")
                        .arg(listedLines(s.core.Program).size());
        s.core.Owner.pause(line::Pause::CutWrite);
    } else {
        said = QStringLiteral("%1: %2").arg(what, s.lastError);
    }
    if (s.core.Journal) {
        said += QLatin1Char('\n') + describeRecord(*s.core.Journal);
        said += QStringLiteral("\nthe way back: %1").arg(recoverLine(s));
    } else if (!s.backupPrg.isEmpty()) {
        said += QStringLiteral("; the program it replaced is in %1").arg(s.backupPrg);
    }
    s.say(said);
    return status;
}

int backUpAndWriteProgram(Session &s, const program::ProgramLines &wanted, const QString &what, int *lines)
{
    if (const int status = saveBeforeChange(s, false, true); status != kDone)
        return status;
    s.core.Program = wanted;
    int written = 0;
    QByteArray inFlight;
    const QString backup =
        s.options.noBackup ? QString() : s.backupPrg;
    const Outcome outcome = s.writeProgram(&written, &inFlight, backup);
    if (lines)
        *lines = written;
    if (outcome == Outcome::Ok)
        return kDone;
    // A refusal of the whole program ("label") ended the write as a whole:
    // the read after it says that the drive kept its own.
    if (outcome == Outcome::Refused && s.check == DriveCore::WriteCheck::KeptOld) {
        s.say(QStringLiteral("%1: %2; the drive keeps the program it had").arg(what, s.lastError));
        return kDiffers;
    }
    return cutWrite(s, outcome, what, written, inFlight);
}

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

} // namespace cli::steps
