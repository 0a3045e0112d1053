// SPDX-License-Identifier: GPL-3.0-or-later
// The soak's line: a simulated drive behind the program's COM1 that can be
// hung up and plugged in again, and the faults injected into it.
#pragma once

#include "sim/simdrive.h"

#include <QList>
#include <QObject>
#include <QRandomGenerator>
#include <QString>

#include <memory>
#include <set>
#include <sys/types.h>

namespace soak {

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
    QList<sim::Change> takeChanges();
    // The drive's stored program.
    QList<QByteArray> program();

    const std::set<pid_t> &simThreads() const { return m_simThreads; }

private:
    void collect();

    QString m_link;
    std::unique_ptr<sim::SimLine> m_line;
    std::set<pid_t> m_simThreads;
    QList<QByteArray> m_received;
    QList<sim::Change> m_changes;
};

enum class Fault { Split, Drop, Delay, Garbage, ErrorLine, Silence, HangUp };
constexpr int kFaultCount = 7;
extern const char *const kFaultNames[kFaultCount];

// Starts a fault, with its length and bytes drawn from rng, and ends it by
// timers owned by owner. Returns the milliseconds from now after which the
// line is as before; for a drop, 0: it lasts until the drive has dropped
// its answers (answersToDrop).
qint64 startFault(Fault fault, QRandomGenerator &rng, SoakLine &line, QObject *owner);

} // namespace soak
