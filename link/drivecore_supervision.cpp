// SPDX-License-Identifier: GPL-3.0-or-later
// The supervision of the link: a lost link is noticed and probed until the
// drive answers again, and no transfer waits for an answer for ever.
#include "link/drivecore.h"

#include "shell/cp1252.h"

#include <QTimer>

#include <utility>

using line::Activity;

namespace {

const char kWriteFailed[] = "Fehler beim Übertragen des Programm in die ZYNT";

} // namespace

void DriveCore::Timer7Timer()
{
    // A program line got no "pgm": the entry is ended in the drive, and
    // the lines still queued are dropped before anything else can happen.
    // Sent later, after the drive left entry mode, each would be executed
    // as a command of its own.
    const bool writing = Owner.holds(Activity::ProgramWrite);
    abortProgramWrite();
    QString said = QString::fromUtf8(kWriteFailed);
    const bool cut = writing && Journal;
    if (cut)
        said += QStringLiteral("\n\n") + cutSummary(*Journal, false);
    emit errorMessage(toCp1252(said));
    // The drive did not answer: it is looked for as after a lost link, and
    // where it answers, the journal's record offers the way back.
    if (cut && Journal)
        Timer9Timer();
}

void DriveCore::TransferWatchdogTimer()
{
    if (!Queue.head())
        return;
    if (Owner.holds(Activity::ProgramWrite)) {
        Timer7Timer(); // ended as a program line without "pgm" ends it
        return;
    }
    if (Owner.holds(Activity::Recovery)) {
        // The "quit" that ends a cut write's entry got no answer.
        clearQueue();
        ReceiveBuffer.clear();
        cutStepDone(false);
        return;
    }
    if (!Owner.holds(Activity::WriteBack))
        return;
    // A parameter of the write-back got no answer: the rest is dropped, the
    // window opens again, and the user is told which were taken.
    const int answered = writeBackAnswered();
    clearQueue();
    ReceiveBuffer.clear();
    Owner.end(Activity::WriteBack);
    const bool resolving = std::exchange(m_resolving, false);
    m_cutStep = CutStep::None;
    emit transferEnded();
    QByteArray said = toCp1252(tr("Fehler beim Übertragen der Parameter in die ZYNT: die ZYNT antwortet nicht."));
    if (Journal) {
        Journal->acknowledged = answered;
        m_journalDirty = true;
        flushJournal();
        Owner.pause(line::Pause::CutWrite);
        said += toCp1252(QStringLiteral("\n\n") + cutSummary(*Journal, false));
    }
    emit errorMessage(said);
    if (Journal) {
        if (!resolving)
            emit writeBackCut(*Journal);
        Timer9Timer();
    }
}

void DriveCore::Timer8Timer()
{
    // The newly chosen address did not answer: the link is lost as when a
    // poll cycle goes unanswered, shown so, and the address that answered
    // last is probed, the first time at once, until it answers. A single
    // probe would leave nothing to notice that the drive is back.
    Timer8->stop();
    ReceiveBuffer.clear();
    emit addressSilent();
    DriveAddress = PreviousAddress;
    Timer9Timer();
    if (!stopPending()) // with a Stop kept, the lost link asked at once already
        Timer10Timer();
}

void DriveCore::Timer9Timer()
{
    // A status poll cycle did not complete in time: the link is lost. The
    // last address that answered is probed every second until it answers
    // again; an address lost before keeps the one before it.
    FoundAddresses[0] = 0;
    if (!DriveAddress.isEmpty())
        PreviousAddress = DriveAddress;
    DriveAddress.clear();
    forgetSnapshot();
    const Activity interrupted = Owner.loseLink();
    Cycles.linkLost();
    Timer10->start();
    clearQueue();
    emit linkLost();
    // Only the poll arms this watchdog; whatever else held the line ends
    // here, and a read says that it did not get to its end.
    if (interrupted == Activity::ProgramRead) {
        abandonProgramListing(true);
    } else if (interrupted == Activity::Listing) {
        abandonListing(true);
    }
    // A Stop the queue lost goes out with the drive's first answer: the
    // drive, perhaps back long since, is asked at once, not a second later.
    if (stopPending())
        Timer10Timer();
}

void DriveCore::StopWatchdogTimer()
{
    // A Stop waits and the command on the line got no answer: the link is
    // lost, as when the watchdog runs out, and the kept Stop goes out with
    // the drive's first answer to the probe.
    if (!stopInQueue() || !Owner.watchesStop() || Owner.linkLost())
        return;
    Timer9Timer();
}

void DriveCore::Timer10Timer()
{
    if (Serial1->HungUp() || !Serial1->Active()) {
        // A pulled adapter leaves the port hung up (or, while it is away,
        // not open at all). It is closed before COMn is looked up again:
        // while the hung-up device is held open, the kernel names the
        // adapter anew (ttyUSB0 comes back as ttyUSB1); its stable by-id
        // name stays the same.
        Serial1->setActive(false);
        serialports::reresolvePort(Serial1->COMPort());
        openPort();
    }
    clearQueue();
    ReceiveBuffer.clear();
    Senden_Zeichensatz('#' + PreviousAddress + '\r');
    Queue.lastQueued()->Kind = CommandKind::ReProbe;
}

void DriveCore::Timer11Timer()
{
    // The parameter listing did not come in time. The first time in a run
    // the window says so only in its status bar.
    const bool first = FirstListingTimeout && !m_quietList;
    if (!m_quietList)
        FirstListingTimeout = false;
    abandonListing(!first);
}
