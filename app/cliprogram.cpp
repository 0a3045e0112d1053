// SPDX-License-Identifier: GPL-3.0-or-later
// The drive's program on the command line: its read and write on the line,
// a write cut short, and the program command.
#include "app/cliprogram.h"

#include "app/clibackup.h"
#include "app/clicommands.h"
#include "app/clifiles.h"
#include "app/clirecover.h"
#include "link/answerrules.h"
#include "program/programfile.h"
#include "program/programtransfer.h"
#include "shell/cp1252.h"

#include <QTimer>

#include <algorithm>

namespace cli {

Outcome Session::readProgram()
{
    refusals.clear();
    refusedCommands.clear();
    bool ended = false, complete = false;
    const QMetaObject::Connection heard =
        connect(&core, &DriveCore::programReadEnded, this, [&](bool whole) { ended = true, complete = whole; });
    const qint64 start = core.Serial1->ReceivedTotal();
    QTimer shown;
    connect(&shown, &QTimer::timeout, this, [this, start] {
        // A program of 299 lines is some 6 KB; the bar shows what came of it.
        progress(QStringLiteral("program"), int(std::min<qint64>(99, (core.Serial1->ReceivedTotal() - start) / 60)));
    });
    shown.start(200);
    Outcome outcome = Outcome::Failed;
    if (core.ZYNTffnen1Click())
        outcome = waitUntil([&ended] { return ended; });
    else
        lastError = m_coreError.isEmpty() ? QStringLiteral("the program cannot be read now") : m_coreError;
    disconnect(heard);
    endProgress();
    if (outcome == Outcome::Ok && !complete) {
        lastError = refusals.isEmpty() ? QStringLiteral("the program did not arrive whole")
                                       : QStringLiteral("the drive refused to list its program: %1")
                                             .arg(fromCp1252(refusals.first()));
        outcome = refusals.isEmpty() ? Outcome::TimedOut : Outcome::Refused;
    }
    return outcome;
}

Outcome Session::writeProgram(int *lines, QByteArray *inFlight, const QString &backup)
{
    refusals.clear();
    refusedCommands.clear();
    m_lines = 0;
    check = DriveCore::WriteCheck::Unread;
    holds.clear();
    bool ended = false, checked = false;
    // The write is over when the drive's program was read back, or when it
    // ended early (no answer, a refused line, Ctrl+C).
    const QMetaObject::Connection read = connect(
        &core, &DriveCore::programWriteChecked, this, [this, &checked](DriveCore::WriteCheck result, const QByteArrayList &lines) {
            checked = true;
            check = result;
            holds = lines;
        });
    const QMetaObject::Connection cut = connect(&core, &DriveCore::transferEnded, this, [&ended] { ended = true; });
    int total = 0;
    for (int row = 1; row <= 299 && !core.Program[size_t(row)].isEmpty(); ++row)
        total = row;
    const QMetaObject::Connection shown = connect(&core, &DriveCore::programLineAcknowledged, this, [this, total] {
        progress(QStringLiteral("program"), total > 0 ? std::min(99, 100 * std::max(m_lines - 1, 0) / total) : 0);
    });
    Outcome outcome = Outcome::Failed;
    if (core.ZYNT_Programm_Speichern(backup)) {
        outcome = waitUntil([&] { return checked || ended; });
        if (outcome != Outcome::Ok && core.Owner.holds(line::Activity::ProgramWrite)) {
            // Ctrl+C, a signal or no answer: "quit" at once, as Timer7 ends a write.
            if (inFlight && core.Queue.head())
                *inFlight = answer::commandBody(core.Queue.head()->Text, core.DriveAddress);
            core.abortProgramWrite();
        }
    } else {
        lastError = m_coreError.isEmpty() ? QStringLiteral("the program cannot be written now") : m_coreError;
        m_coreError.clear();
    }
    disconnect(read);
    disconnect(cut);
    disconnect(shown);
    endProgress();
    if (lines)
        *lines = core.programLinesAnswered();
    if (outcome == Outcome::Ok && !refusals.isEmpty()) {
        lastError = QStringLiteral("the drive refused the program: %1").arg(fromCp1252(refusals.first()).simplified());
        outcome = Outcome::Refused;
    }
    return outcome;
}

namespace steps {

// The lines a program write sends, and the lines a listing holds.
QByteArrayList sentLines(program::ProgramLines lines)
{
    return program::sentLines(std::move(lines));
}

QByteArrayList listedLines(const program::ProgramLines &lines)
{
    return program::listedLines(lines);
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

} // namespace steps

namespace commands {

using namespace steps;

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

} // namespace commands

} // namespace cli
