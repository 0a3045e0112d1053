// SPDX-License-Identifier: GPL-3.0-or-later
// The drive core's status poll: a cycle of queries whenever the line is free
// for it, and the answers, which the windows show; and the manual window's
// output toggle.
#include "link/drivecore.h"

#include "link/answerrules.h"
#include "manual/manualcommands.h"
#include "manual/statusrules.h"

#include <QDateTime>
#include <QTimer>

namespace {

// More than this many commands waiting: the poll leaves the line to them.
constexpr int kMaxWaiting = 10;

} // namespace

void DriveCore::Timer3Timer()
{
    // Only on a quiet, connected link that nothing else holds, with room in
    // the queue; otherwise the next tick tries again.
    if (DriveConnected == 0 || !Owner.pollAllowed())
        return;
    if (Serial1->OutQueueCount() != 0 || Queue.waitingCount() >= kMaxWaiting) {
        Owner.watchBusyQueue();
        return;
    }
    Owner.cycleStarted();
    // The drive answers: a Stop that did not reach it goes out first.
    sendPendingStop();
    if (m_cycleQueries.isEmpty() || m_cycleAddress != DriveAddress || m_cycleFirmware != FirmwareNumber) {
        m_cycleQueries = status::cycleQueries(DriveAddress, FirmwareNumber);
        m_cycleAddress = DriveAddress;
        m_cycleFirmware = FirmwareNumber;
    }
    // One batch: queries change nothing a read kept, and the waiting count
    // is shown once, with the cycle queued.
    bool waiting = false;
    m_pollBatch = true;
    for (const QByteArray &query : std::as_const(m_cycleQueries)) {
        waiting |= enqueue(query);
        Queue.lastQueued()->Kind = CommandKind::Status;
    }
    m_pollBatch = false;
    if (waiting)
        emit commandWaiting(Queue.waitingCount());
}

void DriveCore::Status_Antwort()
{
    const std::optional<status::Update> update = status::readAnswer(ReceiveBuffer);
    if (!update)
        return; // the answer line is not complete yet
    emit statusAnswered(*update);
    if (const std::optional<status::CycleSample> sample = Cycles.add(*update, QDateTime::currentMSecsSinceEpoch()))
        emit cycleSampled(*sample);
    // The last answer of a cycle: the next one follows after an interval,
    // unless the terminal or the user paused the poll.
    if (update->display == status::Display::Inputs && !Owner.cycleEnded())
        emit pollPausedAfterCycle();
    ReceiveBuffer.clear();
    Liste_aktualisieren();
}

void DriveCore::queryOutput(const QByteArray &address, const QByteArray &output, uint8_t kind)
{
    if (Senden_Zeichensatz(manual::commandText(address, output + '?')))
        Queue.lastQueued()->Kind = kind;
}

void DriveCore::Ausgang_Antwort()
{
    if (!manual::isOutputAnswerComplete(ReceiveBuffer))
        return;
    // The output takes the opposite of the state the drive reported.
    if (const std::optional<manual::OutputToggle> toggle = manual::outputToggle(ReceiveBuffer)) {
        queueCommand(toggle->command, CommandKind::Plain);
        Parameters.Records[1][Parameters.KeyParameterRows[toggle->key]].Value = toggle->recordValue;
    }
    ReceiveBuffer.clear();
    Liste_aktualisieren();
}

void DriveCore::query(const QByteArray &name)
{
    queueCommand(name + '?', CommandKind::Query);
}

void DriveCore::Query_Antwort()
{
    const QByteArray asked = answer::commandBody(Queue.head()->Text, DriveAddress);
    emit valueAnswered(asked.chopped(asked.endsWith('?') ? 1 : 0), answer::queryValue(ReceiveBuffer));
    ReceiveBuffer.clear();
    Liste_aktualisieren();
}
