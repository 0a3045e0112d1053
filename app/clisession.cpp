// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clisession.h"

#include "link/answerrules.h"
#include "parameters/listing.h"
#include "shell/cp1252.h"
#include "shell/datafiles.h"
#include "shell/texttable.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <utility>
#include <unistd.h>

namespace cli {

namespace {

// What a drive says to a command besides its echo, at most: a listing of
// the whole parameter list or program holds some thousands of bytes, a block
// of twenty parameters some hundreds, any other answer a line.
constexpr int kLineBytes = 64;

int expectedAnswerBytes(uint8_t kind)
{
    switch (kind) {
    case CommandKind::ParameterList:
    case CommandKind::ProgramListing:
        return 12000;
    case CommandKind::ListBlockFirst:
    case CommandKind::ListBlockMiddle:
    case CommandKind::ListBlockLast:
        return 1600;
    default:
        return kLineBytes;
    }
}

bool write(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) == size_t(bytes.size());
    return std::fflush(stream) == 0 && written;
}

} // namespace

Session::Session(const Options &options)
    : options(options)
{
    m_showProgress = !options.quiet && ::isatty(STDERR_FILENO);
    // The texts the window shows, for the drive's messages (a refused
    // program line is named with text 73).
    if (const QString texts = datafiles::locate(QDir::currentPath(), QStringLiteral("ZYNT-Texte.ini")); !texts.isEmpty())
        core.Texte = texts::parseTextFile(datafiles::readFile(texts).bytes);
    // The command line polls nothing: the line is its commands'.
    core.Owner.pause(line::Pause::UserStopped);
    core.Sprache = options.language;
    connect(&core, &DriveCore::errorMessage, this,
            [this](const QByteArray &text) { m_coreError = fromCp1252(text); });
    connect(&core, &DriveCore::driveErrorShown, this, [this](const QByteArray &message) {
        refusals << message;
        refusedCommands << (core.Queue.head() ? core.Queue.head()->Text : QByteArray());
        // A refused program line ends the write at once, as a lost line would:
        // the drive leaves its entry mode and nothing of the rest follows.
        if (core.Owner.holds(line::Activity::ProgramWrite))
            core.abortProgramWrite();
        core.confirmDriveError();
    });
    connect(&core, &DriveCore::programLineAcknowledged, this, [this] { ++m_lines; });
    connect(&core, &DriveCore::listingProgress, this,
            [this](int percent) { progress(QStringLiteral("parameters"), percent); });
}

bool Session::openLine(const QString &port, int baud)
{
    m_port = port;
    m_baud = baud;
    core.Serial1->setActive(false);
    if (port.contains(QLatin1Char('/'))) {
        core.Serial1->setDevicePath(port);
    } else {
        // COM1..COM4 as the window finds them, past any gap in the numbering.
        const int n = port.mid(3).toInt();
        core.Serial1->setDevicePath(n >= 1 && n <= 4 ? serialports::portTable().paths[size_t(n - 1)] : QString());
    }
    const std::optional<TBaudrate> rate = baudRateFromValue(baud);
    if (rate)
        core.Serial1->setBaudrate(*rate);
    core.openPort();
    if (!core.Serial1->Active()) {
        const QString device = core.Serial1->DevicePath();
        lastError = device.isEmpty() ? QStringLiteral("%1 has no device").arg(port)
                                     : QStringLiteral("%1 (%2): %3").arg(port, device, core.Serial1->LastError());
        return false;
    }
    return true;
}

Outcome Session::waitUntil(const std::function<bool()> &done)
{
    QTimer wake; // bounds each wait of the event loop
    wake.start(20);
    // Each command has its deadline from when it became the one in flight;
    // bytes that arrive do not move it (a noisy line would keep a command
    // alive for ever), only its answer, which lets the next one go.
    QElapsedTimer since;
    since.start();
    const CommandNode *inFlight = core.Queue.head();
    quint64 released = core.Released;
    int queued = core.Queue.size();
    for (;;) {
        if (m_interrupted)
            return Outcome::Interrupted;
        if (!m_coreError.isEmpty()) {
            lastError = m_coreError;
            m_coreError.clear();
            return Outcome::TimedOut;
        }
        if (done())
            return Outcome::Ok;
        const CommandNode *head = core.Queue.head();
        if (head != inFlight || core.Released != released || (!head && core.Queue.size() != queued)) {
            inFlight = head;
            released = core.Released;
            queued = core.Queue.size();
            since.restart();
        }
        const int expected = expectedAnswerBytes(head ? head->Kind : 0);
        const int limit = commandTimeoutMs((head ? head->Text.size() : 0) + expected, m_baud)
                        + (expected > kLineBytes ? 2000 : 0);
        if (since.elapsed() > limit) {
            lastError = head ? QStringLiteral("no answer to %1 within %2 ms")
                                   .arg(fromCp1252(head->Text.trimmed()))
                                   .arg(limit)
                             : QStringLiteral("no answer within %1 ms").arg(limit);
            return Outcome::TimedOut;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

Outcome Session::connectDrive(int address, QByteArray *version)
{
    refusals.clear();
    refusedCommands.clear();
    QByteArray said;
    const QMetaObject::Connection heard =
        connect(&core, &DriveCore::versionRead, this, [&said](const QByteArray &text) { said = text; });
    core.connectTo(QByteArray::number(address));
    const Outcome outcome = waitUntil([this] { return !core.Queue.head(); });
    disconnect(heard);
    // The drive's language answer must not change the language asked for.
    core.Sprache = options.language;
    if (outcome == Outcome::Ok && said.isEmpty() && !refusals.isEmpty()) {
        lastError = QStringLiteral("the drive refused the connect sequence: %1").arg(fromCp1252(refusals.first()));
        return Outcome::Refused;
    }
    if (version)
        *version = said;
    return outcome;
}

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

Outcome Session::resolveCut(DriveCore::CutChoice choice, bool *readBack)
{
    refusals.clear();
    refusedCommands.clear();
    holds.clear();
    bool resolved = false, known = false;
    const QMetaObject::Connection heard = connect(
        &core, &DriveCore::cutWriteResolved, this, [&](bool read, const QByteArrayList &lines) {
            resolved = true;
            known = read;
            holds = lines;
        });
    Outcome outcome = Outcome::Failed;
    if (core.resolveCutWrite(choice)) {
        // The connection the cut write held back follows its resolution.
        outcome = waitUntil([&] { return resolved && !core.Queue.head() && !core.PendingCut; });
    } else {
        lastError = m_coreError.isEmpty() ? QStringLiteral("the cut write cannot be resolved now") : m_coreError;
        m_coreError.clear();
    }
    disconnect(heard);
    if (readBack)
        *readBack = known;
    if (outcome == Outcome::Ok && !known) {
        lastError = QStringLiteral("what the drive holds could not be read back");
        outcome = Outcome::TimedOut;
    }
    return outcome;
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

QString Session::coreError()
{
    return std::exchange(m_coreError, QString());
}

void Session::interrupt()
{
    m_interrupted = true;
}

void Session::say(const QString &message) const
{
    write(stderr, message + QLatin1Char('\n'));
}

void Session::note(const QString &message) const
{
    if (!options.quiet)
        say(message);
}

void Session::print(const QString &line)
{
    if (m_outputClosed)
        return;
    if (!write(stdout, line + QLatin1Char('\n'))) {
        // Nobody reads the results any more: the command ends at its next
        // step, as after Ctrl+C, and says so where it still can.
        m_outputClosed = true;
        say(QStringLiteral("standard output was closed: the command ends here"));
        interrupt();
    }
}

void Session::progress(const QString &what, int percent)
{
    if (!m_showProgress)
        return;
    constexpr int kWidth = 30;
    const int filled = std::clamp(percent, 0, 100) * kWidth / 100;
    write(stderr, QStringLiteral("\r%1 [%2%3] %4%").arg(what, -10).arg(QString(filled, QLatin1Char('#')),
                                                                      QString(kWidth - filled, QLatin1Char(' ')))
                      .arg(std::clamp(percent, 0, 100), 3));
    m_progressShown = true;
}

void Session::endProgress()
{
    if (m_progressShown)
        write(stderr, QStringLiteral("\r%1\r").arg(QString(60, QLatin1Char(' '))));
    m_progressShown = false;
}

} // namespace cli
