// SPDX-License-Identifier: GPL-3.0-or-later
// The soak's line: a simulated drive behind the program's COM1 that can be
// hung up and plugged in again, and the faults injected into it.
#pragma once

#include "sim/simdrive.h"

#include <QList>
#include <QObject>
#include <QRandomGenerator>
#include <QElapsedTimer>
#include <QString>

#include <memory>
#include <set>
#include <sys/types.h>

namespace soak {

// A working folder of the soak's own: the window's settings for COM1 and
// the user's folders (data, state, config) inside it, so that a soak never
// touches the files of whoever runs it. The error, or empty.
const char *prepareHome(const QString &dir);

class SoakLine {
public:
    explicit SoakLine(QString linkPath) : m_link(std::move(linkPath)) {}

    // A line behind the link; after a hang-up a new one at the same path, as
    // a USB adapter plugged in again. The drive is the same drive: what it
    // held (parameters, program, an entry begun) is carried over.
    bool open();
    sim::SimLine &line() { return *m_line; }
    bool isOpen() const { return m_line != nullptr; }

    // Commands and changes of the current line and of those hung up before,
    // each handed out once.
    QList<QByteArray> takeReceived();
    // The last commands received, not handed out yet, for a report.
    QList<QByteArray> lastReceived(int count);
    QList<sim::Change> takeChanges();
    // The drive's stored program.
    QList<QByteArray> program();
    // Whether the drive is in program entry.
    bool inEntry();

    // The cable pulled for ms from now and plugged back, the drive keeping
    // all it holds; a pull during a pull lasts until the later end.
    void pullCable(qint64 ms, QObject *owner);
    bool cableOut() const { return m_cableBack > m_clock.elapsed(); }
    int pulls() const { return m_pulls; }
    // A pull is drawn and waits for its moment.
    bool pullArmed() const { return m_armed > 0; }
    void armPull(int delta) { m_armed += delta; }
    // The Stops ("s") the drive carried out so far; it only grows.
    int stopsCarriedOut();

    const std::set<pid_t> &simThreads() const { return m_simThreads; }

private:
    void collect();
    void plugBackLater(QObject *owner);

    QString m_link;
    std::unique_ptr<sim::SimLine> m_line;
    std::set<pid_t> m_simThreads;
    QList<QByteArray> m_received;
    QList<sim::Change> m_changes;
    QElapsedTimer m_clock;
    qint64 m_cableBack = 0;     // on the clock: when the pulled cable is back
    int m_stops = 0;
    int m_armed = 0;
    int m_pulls = 0;
};

enum class Fault { Split, Drop, Delay, Garbage, ErrorLine, Silence, HangUp, CablePulled };
constexpr int kFaultCount = 8;
extern const char *const kFaultNames[kFaultCount];

// Starts a fault, with its length and bytes drawn from rng, and ends it by
// timers owned by owner. Returns the milliseconds from now after which the
// line is as before; for a drop, 0: it lasts until the drive has dropped
// its answers (answersToDrop); for a pulled cable, 0 as well: the line
// says when it is out (pullArmed, cableOut). The pulled cable comes out once the drive
// has said a drawn number of bytes more, so that it lands in the middle of
// whatever the step's action sends, a transfer too.
qint64 startFault(Fault fault, QRandomGenerator &rng, SoakLine &line, QObject *owner);

} // namespace soak
