// SPDX-License-Identifier: GPL-3.0-or-later
// The drive's parameters on the command line: the list's read, the
// assignments and psave on the line, and the diff, get and set commands.
#include "app/cliparameters.h"

#include "app/clibackup.h"
#include "app/clicommands.h"
#include "app/clifiles.h"
#include "app/clirecover.h"
#include "parameters/compare.h"
#include "parameters/descriptions.h"
#include "parameters/listing.h"
#include "parameters/parameterfile.h"
#include "program/programfile.h"
#include "shell/cp1252.h"
#include "shell/datafiles.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace cli {

Outcome Session::readList()
{
    // Noise on the line can be read as an entry of the list: such a list
    // is read again, and never used while it holds one.
    Outcome outcome = readListOnce();
    for (int attempt = 0; outcome == Outcome::Ok && attempt < 2; ++attempt) {
        const int row = params::malformedRow(core.Parameters);
        if (row == 0)
            return outcome;
        const params::GridRow &bad = core.Parameters.Grid[size_t(row)];
        lastError = QStringLiteral("the parameter list came with noise on the line (row %1: \"%2=%3 %4\")")
                        .arg(row)
                        .arg(fromCp1252(bad[params::ColDesignation]), fromCp1252(bad[params::ColValue]),
                             fromCp1252(bad[params::ColUnit]).trimmed());
        if (attempt == 1)
            return Outcome::TimedOut;
        note(lastError + QStringLiteral(": read again"));
        outcome = readListOnce();
    }
    return outcome;
}

Outcome Session::readListOnce()
{
    refusals.clear();
    refusedCommands.clear();
    bool completed = false, failed = false;
    const QMetaObject::Connection ok =
        connect(&core, &DriveCore::listingCompleted, this, [&completed] { completed = true; });
    const QMetaObject::Connection bad =
        connect(&core, &DriveCore::listingFailed, this, [&failed] { failed = true; });
    Outcome outcome = Outcome::Failed;
    // The version the listing's end asks for is answered too: the next step
    // starts on a quiet line.
    if (core.ZYNT_Parameter_Neu_Lesen())
        outcome = waitUntil([&] { return failed || (completed && !core.Queue.head()); });
    else
        lastError = m_coreError.isEmpty() ? QStringLiteral("the parameter list cannot be read now") : m_coreError;
    disconnect(ok);
    disconnect(bad);
    endProgress();
    if (outcome == Outcome::Ok && failed) {
        lastError = QStringLiteral("the parameter list did not arrive in time");
        outcome = Outcome::TimedOut;
    }
    if (outcome != Outcome::Ok)
        core.Owner.end(line::Activity::Listing);
    return outcome;
}

Outcome Session::writeAssignments(const QList<QByteArray> &assignments, QList<QByteArray> *written,
                                  const QString &backup)
{
    refusals.clear();
    refusedCommands.clear();
    bool ended = false;
    const QMetaObject::Connection heard =
        connect(&core, &DriveCore::writeBackEnded, this, [&ended] { ended = true; });
    // The batch: "TROFF", "s" in trace mode, the assignments; counted from a quiet line.
    if (const Outcome quiet = waitUntil([this] { return !core.Queue.head(); }); quiet != Outcome::Ok)
        return quiet;
    const int prefix = core.TraceMode ? 2 : 1;
    const quint64 base = core.Released;
    Outcome outcome = Outcome::Failed;
    if (core.writeParameters(assignments, backup)) {
        outcome = waitUntil([&ended] { return ended; });
        if (outcome == Outcome::Interrupted) {
            // Nothing after the assignment on the line: it is answered, the
            // rest is not sent.
            core.Queue.dropWaiting();
            m_interrupted = false;
            const Outcome rest = waitUntil([this] { return !core.Queue.head(); });
            m_interrupted = true;
            if (rest != Outcome::Ok)
                core.clearQueue();
            core.Owner.end(line::Activity::WriteBack);
        }
    } else {
        lastError = m_coreError.isEmpty() ? QStringLiteral("the parameters cannot be written now") : m_coreError;
        m_coreError.clear();
    }
    disconnect(heard);
    const qsizetype taken = std::clamp<qsizetype>(qsizetype(core.Released - base) - prefix, 0, assignments.size());
    if (written) {
        written->clear();
        for (qsizetype i = 0; i < taken; ++i) {
            const QByteArray &assignment = assignments[i];
            const bool wasRefused = std::any_of(refusedCommands.begin(), refusedCommands.end(), [&](const QByteArray &text) {
                return text.trimmed().endsWith(assignment);
            });
            if (!wasRefused)
                written->append(assignment);
        }
    }
    if (outcome == Outcome::Ok && !refusals.isEmpty())
        outcome = Outcome::Refused;
    return outcome;
}

Outcome Session::permanentSave()
{
    refusals.clear();
    refusedCommands.clear();
    if (!core.permanentSave()) {
        lastError = m_coreError.isEmpty() ? QStringLiteral("psave cannot be sent now") : m_coreError;
        m_coreError.clear();
        return Outcome::Failed;
    }
    const Outcome outcome = waitUntil([this] { return !core.Queue.head(); });
    return outcome == Outcome::Ok && !refusals.isEmpty() ? Outcome::Refused : outcome;
}

Outcome Session::query(const QByteArray &name, QByteArray *value)
{
    refusals.clear();
    refusedCommands.clear();
    bool answered = false;
    const QMetaObject::Connection heard =
        connect(&core, &DriveCore::valueAnswered, this, [&](const QByteArray &, const QByteArray &v) {
            answered = true;
            if (value)
                *value = v;
        });
    core.query(name);
    const Outcome outcome = waitUntil([&] { return answered || (!refusals.isEmpty() && !core.Queue.head()); });
    disconnect(heard);
    if (outcome == Outcome::Ok && !answered) {
        lastError = fromCp1252(refusals.value(0));
        return Outcome::Refused;
    }
    return outcome;
}

Outcome Session::assign(const QByteArray &assignment)
{
    refusals.clear();
    refusedCommands.clear();
    core.queueCommand(assignment, CommandKind::Plain);
    const Outcome outcome = waitUntil([this] { return !core.Queue.head(); });
    if (outcome == Outcome::Ok && !refusals.isEmpty()) {
        lastError = fromCp1252(refusals.first());
        return Outcome::Refused;
    }
    return outcome;
}

namespace steps {

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

} // namespace steps

namespace commands {

using namespace steps;

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

} // namespace commands

} // namespace cli
