// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clisteps.h"

#include "app/clirules.h"
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
    QByteArrayList sent;
    for (const QByteArray &command : program::programLineCommands(lines, "1"))
        sent << command.mid(2).chopped(1);
    if (sent == QByteArrayList {QByteArray()})
        sent.clear(); // an empty program is one empty line on the wire
    return sent;
}

QByteArrayList listedLines(const program::ProgramLines &lines)
{
    int last = 0;
    for (int row = 1; row <= program::kRows; ++row) {
        if (!lines[size_t(row)].isEmpty())
            last = row;
    }
    QByteArrayList listed;
    for (int row = 1; row <= last; ++row)
        listed << lines[size_t(row)];
    return listed;
}

// Opens the line and sends the connect sequence to one drive.
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
    // One name for what one command overwrites (its list and its program);
    // two commands within one second must not overwrite each other's backup.
    if (s.lastBackup.isEmpty())
        s.lastBackup = datafiles::uniqueBackupStem(folder, QDateTime::currentDateTime(), s.core.DriveAddress);
    const QString stem = s.lastBackup;
    if (list) {
        if (const Outcome outcome = s.readList(); outcome != Outcome::Ok)
            return failed(s, outcome, QStringLiteral("reading the list to back it up"));
        if (!saveFile(s, stem + QStringLiteral(".par"), parameterFileOf(s.core.Parameters)))
            return kFileError;
        s.note(QStringLiteral("the drive's parameters were saved to %1.par").arg(stem));
    }
    if (program) {
        if (const Outcome outcome = s.readProgram(); outcome != Outcome::Ok)
            return failed(s, outcome, QStringLiteral("reading the program to back it up"));
        if (!saveFile(s, stem + QStringLiteral(".prg"), program::formatProgramFile(s.core.Program)))
            return kFileError;
        s.note(QStringLiteral("the drive's program was saved to %1.prg").arg(stem));
    }
    return kDone;
}

// Ctrl+C during a program write: what the drive took, and where its program was saved.
int interruptedWrite(Session &s, int lines, const QByteArray &inFlight)
{
    QString said = QStringLiteral("interrupted: the program write was ended with \"quit\" after %1 lines the drive "
                                  "acknowledged").arg(lines);
    if (!inFlight.isEmpty())
        said += QStringLiteral(" (\"%1\" was on its way and may have been taken too)").arg(fromCp1252(inFlight));
    if (!s.lastBackup.isEmpty())
        said += QStringLiteral("; the program it replaced is in %1.prg").arg(s.lastBackup);
    s.say(said);
    return kInterrupted;
}

int backUpAndWriteProgram(Session &s, const program::ProgramLines &wanted, const QString &what, int *lines)
{
    if (const int status = saveBeforeChange(s, false, true); status != kDone)
        return status;
    s.core.Program = wanted;
    int written = 0;
    QByteArray inFlight;
    const Outcome outcome = s.writeProgram(&written, &inFlight);
    if (lines)
        *lines = written;
    if (outcome == Outcome::Interrupted)
        return interruptedWrite(s, written, inFlight);
    if (outcome != Outcome::Ok)
        return failed(s, outcome, what);
    return kDone;
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
