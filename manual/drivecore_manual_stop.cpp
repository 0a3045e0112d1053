// SPDX-License-Identifier: GPL-3.0-or-later
// The manual window's Stop in the drive core: it goes out ahead of the poll,
// and one that did not reach the drive is kept until it did.
#include "link/drivecore.h"

#include "manual/manualcommands.h"

#include <algorithm>

using line::Activity;

namespace {

// Whether a command queued now can reach a drive. While the link is lost
// the re-probe clears the queue every second; a search, master mode and a
// configuration by hand take the line from the queue; and with no drive
// connected nothing answers.
bool lineTakesCommands(const DriveCore &core)
{
    const Activity holder = core.Owner.activity();
    return core.DriveConnected != 0 && holder != Activity::ReProbe && holder != Activity::Search
        && holder != Activity::Master && !core.Owner.paused(line::Pause::LinkLost)
        && !core.Owner.paused(line::Pause::ManualConfiguration);
}

QByteArray stopText(const QByteArray &address)
{
    return manual::commandText(address, "s");
}

} // namespace

bool DriveCore::stopPending() const
{
    return std::any_of(m_stops.begin(), m_stops.end(), [](const KeptStop &stop) { return stop.pending; });
}

bool DriveCore::stopOutstanding() const
{
    for (const CommandNode *node = Queue.head(); node; node = node->Next) {
        if (node->Stop)
            return true;
    }
    return stopPending();
}

void DriveCore::sendStop(const QByteArray &address)
{
    auto kept = std::find_if(m_stops.begin(), m_stops.end(), [&](const KeptStop &s) { return s.address == address; });
    if (kept == m_stops.end())
        kept = m_stops.insert(m_stops.end(), KeptStop {address, false});
    if (!lineTakesCommands(*this)) {
        if (!kept->pending) {
            const bool before = stopPending();
            kept->pending = true;
            if (!before)
                emit stopPendingChanged(true);
        }
        return;
    }
    queueStop(address);
}

void DriveCore::sendPendingStop()
{
    // Each in turn goes to the front; the later one ends up behind the earlier.
    for (const KeptStop &stop : std::vector<KeptStop>(m_stops)) {
        const QByteArray text = stopText(stop.address);
        bool queued = false;
        for (const CommandNode *node = Queue.head(); node && !queued; node = node->Next)
            queued = node->Stop && node->Text == text;
        if (!queued)
            queueStop(stop.address);
    }
}

void DriveCore::queueStop(const QByteArray &address)
{
    const QByteArray text = stopText(address);
    // One waiting is enough: it goes out first anyway. One in flight may
    // be on its way into a cut cable; the user asked again.
    for (const CommandNode *node = Queue.head() ? Queue.head()->Next : nullptr; node; node = node->Next) {
        if (node->Stop && node->Text == text)
            return;
    }
    noteSent(text);
    // Ahead of the poll; the poll's queries without an address go to the
    // drive addressed last, so a Stop to another one waits behind them.
    CommandNode *node = Queue.insertAheadOfPoll(text, address != DriveAddress);
    node->Stop = true;
    if (node != Queue.head()) {
        emit commandWaiting(Queue.waitingCount());
        Owner.stopQueued(true);
        return;
    }
    if (Serial1->Active()) {
        writeLine(text, false);
        Owner.queueBusy();
    }
    Owner.stopQueued(true);
}

bool DriveCore::stopInQueue() const
{
    for (const CommandNode *node = Queue.head(); node; node = node->Next) {
        if (node->Stop)
            return true;
    }
    return false;
}

void DriveCore::stopReleased(const CommandNode &node)
{
    if (!node.Stop)
        return;
    const QByteArray text = node.Text;
    const auto answered = std::find_if(m_stops.begin(), m_stops.end(),
                                       [&](const KeptStop &s) { return stopText(s.address) == text; });
    if (answered == m_stops.end())
        return;
    const bool before = stopPending();
    m_stops.erase(answered);
    if (before && !stopPending())
        emit stopPendingChanged(false);
}

void DriveCore::stopsDropped()
{
    const bool before = stopPending();
    for (KeptStop &stop : m_stops)
        stop.pending = true;
    if (!before && stopPending())
        emit stopPendingChanged(true);
}
