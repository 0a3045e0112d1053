// SPDX-License-Identifier: GPL-3.0-or-later
// The session: the line, the wait for each command's answer within its
// deadline, the signals that end a step, and where the output goes.
#include "app/clisession.h"

#include "shell/porthint.h"

#include "app/clirecover.h"
#include "link/answerrules.h"
#include "shell/cp1252.h"
#include "shell/datafiles.h"
#include "shell/porthint.h"
#include "shell/settings.h"
#include "shell/texttable.h"
#include "shell/translation.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
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

// Ctrl+C only writes a byte; the event loop hears it and the session ends
// its step where that is safe.
int g_interruptPipe[2] = {-1, -1};

void onInterrupt(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_interruptPipe[1], &byte, 1);
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
    // The core's own messages in the same language (Qt's catalogue serves
    // no window here).
    translation::followWithoutQt(options.language);
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
        const int code = core.Serial1->LastErrorCode();
        const auto &paths = serialports::portTable().paths;
        if (device.isEmpty() && std::all_of(paths.begin(), paths.end(), [](const QString &p) { return p.isEmpty(); }))
            lastError = QStringLiteral("%1: no serial port exists on this system (`zynt-cli ports` lists COM1 to COM4)").arg(port);
        else if (device.isEmpty())
            lastError = QStringLiteral("%1 has no device (`zynt-cli ports` lists the serial ports)").arg(port);
        else
            lastError = QStringLiteral("%1 (%2): %3").arg(port, device, core.Serial1->LastError());
        if (code == EBUSY)
            lastError += QStringLiteral(": another program holds the port (close it there, e.g. the window)");
        if (code == EACCES || code == EPERM) {
            const QString group = porthint::owningGroup(device);
            if (porthint::groupGivesSerialAccess(group))
                lastError += QStringLiteral("; join the group %1 (sudo adduser $USER %1), then log in again").arg(group);
        }
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

void catchSignals(Session &session)
{
    // A reader that went away (a pipe into "head") is no reason to die in
    // the middle of a write: the failed output ends the command at its next step.
    ::signal(SIGPIPE, SIG_IGN);
    if (::pipe2(g_interruptPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        auto *notifier = new QSocketNotifier(g_interruptPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
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
}

void endSession(Session &session)
{
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
}

namespace steps {

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

namespace {

// The commands that decide a cut write by what they do to the drive.
bool decidesCut(const Options &options)
{
    return options.command == QLatin1String("restore") || options.command == QLatin1String("recover")
        || (options.command == QLatin1String("program") && options.arguments.value(0) == QLatin1String("write"));
}

} // namespace

int connectTo(Session &s, const Target &t, int address, QByteArray *version)
{
    if (!s.openLine(t.port, t.baud)) {
        s.say(QStringLiteral("cannot open %1").arg(s.lastError));
        return kNoDrive;
    }
    s.core.Parameters.SingleDriveListing = t.addresses.size() <= 1;
    // What came back at all: bytes without an answer point at two drives
    // on one address.
    qsizetype heard = 0;
    const QMetaObject::Connection counting = QObject::connect(
        &s.core, &DriveCore::terminalEcho, &s,
        [&heard](const QByteArray &chunk, bool, bool) { heard += chunk.size(); });
    const Outcome outcome = s.connectDrive(address, version);
    QObject::disconnect(counting);
    if (outcome == Outcome::TimedOut) {
        s.lastError += QStringLiteral("; ") + noAnswerHint(t.baud, address, heard);
    }
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

} // namespace steps

} // namespace cli
