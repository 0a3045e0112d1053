// SPDX-License-Identifier: GPL-3.0-or-later
// What the user soak holds the program to after every step: the drive
// changed nothing the user did not ask for, its program is the one before,
// the one written, or one the user was told of (the part written, or what
// a cut write's message, offer or report said it holds), the link comes
// back when nothing holds it, the poll runs or the link is shown lost
// unless the user holds it, a Stop reaches the drive once the line is
// back, and no wait label stays up.
#pragma once

#include "sim/changes.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace soak {

// What one step of the user may change on the drive.
class Allowance {
public:
    // A command exactly (the value compared as text, names without regard to case).
    void command(sim::ChangeKind kind, const QByteArray &command);
    // An assignment to name with any value.
    void name(sim::ChangeKind kind, const QByteArray &name);
    // Anything of the kind.
    void any(sim::ChangeKind kind);
    void merge(const Allowance &other);
    void clear() { m_rules.clear(); }
    bool isEmpty() const { return m_rules.empty(); }

    bool permits(const sim::Change &change) const;

private:
    enum class Match { Exact, Name, Any };
    struct Rule {
        sim::ChangeKind kind;
        Match match;
        QByteArray text;
    };
    std::vector<Rule> m_rules;
};

// The line settings the program gives a drive on its own whenever it
// connects, reads or finds the drive again: only with their fixed values.
Allowance linkSettings();

// The changes the allowance does not cover, each described for the report.
QStringList unexpectedChanges(const QList<sim::Change> &changes, const Allowance &allowance);

// What one of the program's texts says the drive's program is, in the
// journal's terms: where a write stopped ("bei Zeile 5 von 20
// unterbrochen"), how many lines it holds, or, after the user's choice,
// which program it holds again.
struct ProgramClaim {
    enum class Says { Nothing, CutAt, Lines, Backup, Written, Empty, Neither };
    Says says = Says::Nothing;
    int line = 0;       // CutAt: the line the write stopped at (1 = the first)
    int total = 0;      // CutAt: the lines the write had
    int lines = 0;      // Lines, Backup, Written, Neither: the lines it holds
};
ProgramClaim programClaim(const QString &text);

// What is known of the drive's program after a step.
struct ProgramFacts {
    QList<QByteArray> before;                   // what it held when the step began
    std::optional<QList<QByteArray>> written;   // the lines a program write sent (none: no write)
    std::optional<QList<QByteArray>> backup;    // what the write overwrote (its backup)
    QStringList told;                           // what the user was told, in order
    bool toldShort = false;                     // told that the write left a part (a refused line)
};

// The drive's program after a step: empty when it is as it may be,
// otherwise what is wrong. The last text that says what the drive holds
// decides, and must match; without one, the program is the one before,
// the one written, or (told so) a part of the lines written.
QString programVerdict(const ProgramFacts &facts, const QList<QByteArray> &actual);

// The lines a program write sends from the grid's rows: the first row, and
// the rows after it up to the first empty one or one that begins with a blank.
QList<QByteArray> linesWritten(const QList<QByteArray> &rows);

// A condition that must not last: true from the moment it starts, a
// violation once it has lasted longer than the bound. Stretches in which
// the soak itself did not run (a loaded machine) do not count.
class Deadline {
public:
    explicit Deadline(qint64 boundMs = 0) : m_bound(boundMs) {}
    void setBound(qint64 boundMs) { m_bound = boundMs; }
    // Called at every look with whether the condition holds now; true when
    // it has lasted too long (once, until it ends).
    bool look(bool holds, qint64 nowMs);
    qint64 lasted(qint64 nowMs) const { return m_since < 0 ? 0 : nowMs - m_since - m_stalled; }
    void reset() { m_since = -1; m_stalled = 0; m_reported = false; }

private:
    static constexpr qint64 kStall = 250; // a look later than this: the soak did not run
    qint64 m_bound;
    qint64 m_since = -1;
    qint64 m_last = -1;
    qint64 m_stalled = 0;
    bool m_reported = false;
};

// What the window shows of the link at a look, for the rule that the poll
// runs or the link is shown lost within the watchdog's period and 2 s.
struct LinkView {
    bool userHolds = false;      // a dialog, "RS232 Stop", the terminal's typing, the address or cut write offer
    bool transferMoving = false; // a transfer or the search holds the line and its traffic flows
    bool noDrive = false;        // a search found none: nothing to poll until the user acts
    bool pollRuns = false;       // the poll's timer or its cycle's watchdog runs
    bool shownLost = false;      // Label2 red
};
// True when the poll should run or the link be shown lost and neither is so.
bool linkStalled(const LinkView &view);

// The Stops the user pressed, against the drive: each must be carried out
// within the bound once the line is back (counted from the press where the
// line was up). Time with the line down does not count, nor do stalls of
// the soak itself.
class StopWatch {
public:
    explicit StopWatch(qint64 boundMs = 0) : m_deadline(boundMs) {}
    void setBound(qint64 boundMs) { m_deadline.setBound(boundMs); }
    // A Stop pressed; carried: the drive's Stops carried out so far.
    void pressed(int carried);
    // Whether a Stop waits for the drive.
    bool waiting() const { return m_waiting; }
    // Each look: the drive's Stops carried out so far, whether the line is
    // up; true when the Stop waited too long with the line up, once for
    // each Stop pressed.
    bool look(int carried, bool lineUp, qint64 nowMs);
    // The drive answered otherwise (an error): it got the Stop.
    void answered() { m_waiting = false; m_late = false; m_deadline.reset(); }
    qint64 waited(qint64 nowMs) const { return m_deadline.lasted(nowMs); }

private:
    Deadline m_deadline;
    bool m_waiting = false;
    bool m_late = false;    // said so for this Stop
    int m_carried = 0;
};

} // namespace soak
