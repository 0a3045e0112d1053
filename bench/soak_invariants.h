// SPDX-License-Identifier: GPL-3.0-or-later
// What the user soak holds the program to after every step: the drive
// changed nothing the user did not ask for, its program is the one before
// or the one written (or, when the user was told, the part written), the
// link comes back when nothing holds it, and no wait label stays up.
#pragma once

#include "sim/changes.h"

#include <QByteArray>
#include <QList>
#include <QString>

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

// The drive's program after a step. before: what it held when the step
// began; written: the lines a program write of this step sent (none: no
// write); told: the user was told that the write ended early. Empty when
// the program is as it may be, otherwise what is wrong.
QString programVerdict(const QList<QByteArray> &before, const std::optional<QList<QByteArray>> &written,
                       const QList<QByteArray> &actual, bool told);

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

} // namespace soak
