// SPDX-License-Identifier: GPL-3.0-or-later
// Who holds the line. At most one activity has the line to itself (a
// search, the re-probe of a lost link, a listing, a write-back, a program
// read or write, master mode), and any number of reasons pause the status
// poll. The owner alone starts and stops the poll's timer, the link
// watchdog, the program-line watchdog and the transfer watchdog, so that no
// end of one activity can leave another's timers running or stopped.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

class QTimer;

namespace line {

enum class Activity : uint8_t { None, Search, ReProbe, Listing, WriteBack, ProgramRead, ProgramWrite, Master, Recovery };

enum class Pause : uint16_t {
    TerminalTyping = 1 << 0,      // the terminal's input has the focus
    UserStopped = 1 << 1,         // "RS232 Stop"
    DriveError = 1 << 2,          // a drive error waits for the user's confirmation
    LinkLost = 1 << 3,            // the drive does not answer; the re-probe looks for it
    AddressPrompt = 1 << 4,       // the address choice is offered, or a chosen address is probed
    ManualConfiguration = 1 << 5, // the interface is configured by hand
    Question = 1 << 6,            // the window asks before the drive's program is overwritten
    CutWrite = 1 << 7,            // a cut write waits for the user's choice, and while it is carried out
};

enum class Refusal : uint8_t { LinkLost, Busy };

// What a user asked for, named in a refusal: an activity, or one of the
// single commands that need the line as much.
enum class Request : uint8_t {
    Search,
    Listing,
    WriteBack,
    ProgramRead,
    ProgramWrite,
    Master,
    PermanentSave,
    InterfaceConfiguration,
    Recovery,
    ParameterValue,
};

// The refusal as the window shows it, in the interface's language.
QString refusalText(Refusal refusal, Activity holder, Request wanted);

} // namespace line

class LineOwner : public QObject {
    Q_OBJECT
public:
    explicit LineOwner(QObject *parent = nullptr);

    // Their intervals are set by whoever configures the link; only the
    // owner starts and stops them.
    QTimer *Timer3 = nullptr;           // status poll
    QTimer *Timer7 = nullptr;           // answer to a program line
    QTimer *Timer9 = nullptr;           // link watchdog, armed by each poll cycle
    QTimer *TransferWatchdog = nullptr; // answer to the other commands of a transfer
    QTimer *StopWatchdog = nullptr;     // a Stop waits and the queue's command in flight is unanswered

    line::Activity activity() const { return m_activity; }
    bool holds(line::Activity activity) const { return m_activity == activity; }
    bool paused(line::Pause pause) const { return (m_pauses & uint16_t(pause)) != 0; }
    // Nothing holds the line and nothing pauses the poll.
    bool pollAllowed() const { return m_activity == line::Activity::None && m_pauses == 0; }
    // The main window takes no input: a search, a listing or a write-back
    // holds the line, or the user has a drive error or a question to answer.
    bool locksWindow() const;

    // The drive does not answer: the re-probe looks for it.
    bool linkLost() const { return paused(line::Pause::LinkLost) || m_activity == line::Activity::ReProbe; }
    // Why an activity may not start now; nothing when it may.
    std::optional<line::Refusal> refusal(line::Activity activity) const;
    // Starts an activity: the poll and its watchdog stop. False, and
    // nothing changes, when it is refused. A search takes over from the
    // re-probe of a lost link.
    bool begin(line::Activity activity);
    // Ends the activity if it holds the line: the transfer's watchdogs stop
    // and the poll goes on where nothing else holds it.
    void end(line::Activity activity);
    // One activity hands the line on to the next without letting go of it
    // (a search to the listing of the drives it found).
    void handOver(line::Activity from, line::Activity to);
    // The link is lost: whatever held the line is ended (returned) and the
    // re-probe holds it until the drive answers again.
    line::Activity loseLink();
    // The drive answers again: the re-probe, the lost link and a pending
    // address probe end, and the poll goes on.
    void restoreLink();
    // The state reset of a connection start: nothing holds the line, only
    // the user's own stop of the poll stays.
    void reset();

    void pause(line::Pause pause);
    // Ends the pause; the poll goes on where nothing else holds it.
    void resume(line::Pause pause);
    // Starts the poll's timer where the poll is allowed; a running timer
    // keeps its period.
    void resumePoll();

    // ---- Hooks of single commands -------------------------------------
    // A poll cycle goes out: the poll's timer stops, the watchdog starts afresh.
    void cycleStarted();
    // The poll may run but the queue is still busy (an activity or a pause
    // ended with a command unanswered): the watchdog watches it, so that an
    // answer that never comes is noticed as a lost link.
    void watchBusyQueue();
    // The last answer of a cycle: the next one follows after an interval,
    // unless the terminal or the user paused the poll (then false).
    bool cycleEnded();
    // A command became the head and went out: a program line is watched by
    // Timer7, any command of a transfer by the transfer watchdog, and while
    // the terminal's typing alone pauses the poll, any command by the link
    // watchdog (a lost answer would otherwise hold the queue for as long as
    // the cursor stays there).
    void commandSent(uint8_t kind);
    // A command went out into an empty queue, or the queue ran empty.
    void queueBusy();
    void queueIdle();
    // A Stop waits in the queue or is on its way (false: none any more).
    // While one does, the link watchdog watches the command in flight even
    // where the user's own pauses stop the poll ("RS232 Stop", the
    // terminal's typing, the address offer): a lost answer ahead of the
    // Stop, or its own, is noticed as a lost link, and the Stop is kept and
    // sent again when the drive answers.
    void stopQueued(bool queued);
    // Where a Stop that got no answer in time is taken for lost: nothing
    // holds the line, and nothing but the user's own pauses stops the poll
    // (a drive error holds the queue on purpose until it is confirmed).
    bool watchesStop() const;
    // A transfer's first command went out (it was queued into an empty queue).
    void watchTransfer();
    // "pgm" answered the program line, or its watchdog gave up.
    void programLineEnded();
    // A drive error line is complete: the user confirms it before anything
    // goes on; its confirmation resumes.
    void driveErrorRaised();
    void driveErrorConfirmed();

signals:
    // Emitted when locksWindow() changes.
    void lockChanged(bool locked);

private:
    // Applies a change and says so.
    void changed(bool lockedBefore);
    void stopPoll();
    // The terminal's typing is the only thing that pauses the poll, or a
    // Stop is queued and only the user's own pauses stop the poll, and
    // nothing holds the line: the link watchdog watches the queue itself.
    bool watchesQueue() const;
    // Arms the link watchdog for a command in flight where it watches the queue.
    void watchInFlight();
    // Gives the command in flight ahead of a Stop, or the Stop itself, half
    // the link watchdog's period for its answer.
    void armStopWatchdog();

    line::Activity m_activity = line::Activity::None;
    uint16_t m_pauses = 0;
    bool m_inFlight = false; // a command is on the line, unanswered
    bool m_stopQueued = false; // a Stop waits or is on its way
};
