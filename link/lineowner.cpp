// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/lineowner.h"

#include "link/commandqueue.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>

using line::Activity;
using line::Pause;
using line::Refusal;

namespace line {

namespace {

// Each request's name as a sentence names it, by Request.
const char *const kRequests[] = {
    QT_TRANSLATE_NOOP("line", "die ZYNT-Suche"),
    QT_TRANSLATE_NOOP("line", "das Lesen der Parameter"),
    QT_TRANSLATE_NOOP("line", "das Übertragen der Parameter in die ZYNT"),
    QT_TRANSLATE_NOOP("line", "das Lesen des Programms"),
    QT_TRANSLATE_NOOP("line", "das Schreiben des Programms in die ZYNT"),
    QT_TRANSLATE_NOOP("line", "der Master-Betrieb"),
    QT_TRANSLATE_NOOP("line", "das dauerhafte Speichern der Parameter"),
    QT_TRANSLATE_NOOP("line", "das Konfigurieren der Schnittstelle"),
    QT_TRANSLATE_NOOP("line", "das Beenden einer unterbrochenen Übertragung"),
};

// What holds the line, by Activity (None and ReProbe never refuse as busy).
const char *const kHolders[] = {
    "",
    QT_TRANSLATE_NOOP("line", "die ZYNT-Suche"),
    QT_TRANSLATE_NOOP("line", "die Suche nach der ZYNT"),
    QT_TRANSLATE_NOOP("line", "das Lesen der Parameter"),
    QT_TRANSLATE_NOOP("line", "das Übertragen der Parameter"),
    QT_TRANSLATE_NOOP("line", "das Lesen des Programms"),
    QT_TRANSLATE_NOOP("line", "das Schreiben des Programms"),
    QT_TRANSLATE_NOOP("line", "der Master-Betrieb"),
    QT_TRANSLATE_NOOP("line", "das Beenden einer unterbrochenen Übertragung"),
};

QString capitalised(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

QString requestName(Request wanted)
{
    if (wanted == Request::ParameterValue)
        return QCoreApplication::translate("line", "das Senden eines geänderten Parameterwerts");
    return QCoreApplication::translate("line", kRequests[size_t(wanted)]);
}

} // namespace

QString refusalText(Refusal refusal, Activity holder, Request wanted)
{
    const QString asked = requestName(wanted);
    if (refusal == Refusal::LinkLost) {
        return QCoreApplication::translate("line", "Keine Verbindung zur ZYNT: %1 ist erst wieder möglich, wenn die "
                                                   "ZYNT antwortet.")
            .arg(asked);
    }
    const QString busy = QCoreApplication::translate("line", kHolders[size_t(holder)]);
    return QCoreApplication::translate("line", "%1 ist jetzt nicht möglich: %2 läuft noch.")
        .arg(capitalised(asked), busy);
}

} // namespace line

namespace {

bool isTransfer(Activity activity)
{
    return activity == Activity::Listing || activity == Activity::WriteBack || activity == Activity::ProgramRead
        || activity == Activity::ProgramWrite || activity == Activity::Master || activity == Activity::Recovery;
}

} // namespace

LineOwner::LineOwner(QObject *parent)
    : QObject(parent)
{
    struct Design {
        QTimer **timer;
        int interval;
        bool singleShot;
    };
    // Timer3's design interval; the connection sets the one for its rate.
    const Design designs[] = {{&Timer3, 50, false}, {&Timer7, 4000, false}, {&Timer9, 2000, false},
                              {&TransferWatchdog, 4000, true}};
    for (const Design &d : designs) {
        *d.timer = new QTimer(this);
        (*d.timer)->setInterval(d.interval);
        (*d.timer)->setSingleShot(d.singleShot);
    }
    StopWatchdog = new QTimer(this);
    StopWatchdog->setSingleShot(true);
}

bool LineOwner::locksWindow() const
{
    return m_activity == Activity::Search || m_activity == Activity::Listing || m_activity == Activity::WriteBack
        || paused(Pause::DriveError) || paused(Pause::Question);
}

std::optional<Refusal> LineOwner::refusal(Activity activity) const
{
    if (isTransfer(activity) && linkLost())
        return Refusal::LinkLost;
    if (m_activity == Activity::None || (activity == Activity::Search && m_activity == Activity::ReProbe))
        return std::nullopt;
    return Refusal::Busy;
}

bool LineOwner::begin(Activity activity)
{
    if (activity == Activity::None || refusal(activity))
        return false;
    const bool lockedBefore = locksWindow();
    if (activity == Activity::Search) {
        // The search looks for the drives afresh: what the lost link, an
        // address choice or a configuration waited for is over.
        m_pauses &= uint16_t(Pause::UserStopped);
    }
    m_activity = activity;
    stopPoll();
    Timer7->stop();
    TransferWatchdog->stop();
    changed(lockedBefore);
    return true;
}

void LineOwner::end(Activity activity)
{
    if (m_activity != activity || activity == Activity::None)
        return;
    const bool lockedBefore = locksWindow();
    m_activity = Activity::None;
    Timer7->stop();
    TransferWatchdog->stop();
    resumePoll();
    changed(lockedBefore);
}

void LineOwner::handOver(Activity from, Activity to)
{
    if (m_activity != from || to == Activity::None)
        return;
    const bool lockedBefore = locksWindow();
    m_activity = to;
    Timer7->stop();
    TransferWatchdog->stop();
    changed(lockedBefore);
}

Activity LineOwner::loseLink()
{
    const bool lockedBefore = locksWindow();
    const Activity interrupted = m_activity == Activity::ReProbe ? Activity::None : m_activity;
    m_activity = Activity::ReProbe;
    m_pauses |= uint16_t(Pause::LinkLost);
    StopWatchdog->stop();
    stopPoll();
    Timer7->stop();
    TransferWatchdog->stop();
    changed(lockedBefore);
    return interrupted;
}

void LineOwner::restoreLink()
{
    const bool lockedBefore = locksWindow();
    if (m_activity == Activity::ReProbe)
        m_activity = Activity::None;
    m_pauses &= ~uint16_t(uint16_t(Pause::LinkLost) | uint16_t(Pause::AddressPrompt));
    resumePoll();
    changed(lockedBefore);
}

void LineOwner::reset()
{
    const bool lockedBefore = locksWindow();
    m_activity = Activity::None;
    m_pauses &= uint16_t(Pause::UserStopped);
    StopWatchdog->stop();
    stopPoll();
    Timer7->stop();
    TransferWatchdog->stop();
    changed(lockedBefore);
}

void LineOwner::pause(Pause pause)
{
    const bool lockedBefore = locksWindow();
    m_pauses |= uint16_t(pause);
    stopPoll();
    watchInFlight();
    changed(lockedBefore);
}

void LineOwner::resume(Pause pause)
{
    const bool lockedBefore = locksWindow();
    m_pauses &= ~uint16_t(pause);
    resumePoll();
    watchInFlight();
    changed(lockedBefore);
}

void LineOwner::resumePoll()
{
    if (pollAllowed() && !Timer3->isActive())
        Timer3->start();
}

void LineOwner::cycleStarted()
{
    Timer3->stop();
    Timer9->start();
}

void LineOwner::watchBusyQueue()
{
    if (pollAllowed() && !Timer9->isActive())
        Timer9->start();
}

bool LineOwner::cycleEnded()
{
    if (paused(Pause::TerminalTyping) || paused(Pause::UserStopped))
        return false;
    resumePoll();
    return true;
}

void LineOwner::commandSent(uint8_t kind)
{
    queueBusy();
    if (m_activity == Activity::ProgramWrite || m_activity == Activity::WriteBack || m_activity == Activity::Recovery)
        TransferWatchdog->start();
    if (kind == CommandKind::ProgramLine) {
        // A program line is answered by "pgm"; the poll pauses meanwhile,
        // so its watchdog must not fire.
        Timer7->start();
        if (m_activity == Activity::ProgramWrite)
            Timer9->stop();
    }
}

void LineOwner::queueBusy()
{
    m_inFlight = true;
    if (watchesQueue())
        Timer9->start(); // each command has the whole period for its answer
    if (m_stopQueued)
        armStopWatchdog();
}

void LineOwner::queueIdle()
{
    m_inFlight = false;
    if (watchesQueue())
        Timer9->stop();
}

bool LineOwner::watchesQueue() const
{
    using line::Pause;
    if (m_activity != Activity::None || m_pauses == 0)
        return false;
    if (m_pauses == uint16_t(Pause::TerminalTyping))
        return true;
    const uint16_t usersOwn = uint16_t(Pause::TerminalTyping) | uint16_t(Pause::UserStopped)
        | uint16_t(Pause::AddressPrompt);
    return m_stopQueued && (m_pauses & ~usersOwn) == 0;
}

void LineOwner::stopQueued(bool queued)
{
    if (queued == m_stopQueued)
        return;
    const bool watched = watchesQueue();
    m_stopQueued = queued;
    if (queued)
        armStopWatchdog();
    else
        StopWatchdog->stop();
    if (watchesQueue())
        watchInFlight();
    else if (watched)
        Timer9->stop(); // it watched for the Stop alone, with the poll paused
}

bool LineOwner::watchesStop() const
{
    const uint16_t usersOwn = uint16_t(Pause::TerminalTyping) | uint16_t(Pause::UserStopped)
        | uint16_t(Pause::AddressPrompt);
    return m_activity == Activity::None && (m_pauses & ~usersOwn) == 0;
}

void LineOwner::armStopWatchdog()
{
    // The link watchdog may have been armed anew just before the drive came
    // back (a poll cycle started, a pause ended): waiting for it, the Stop
    // would go out later than its period after the line is back. A Stop's
    // answer takes milliseconds; half the period says it was lost, and the
    // lost link's probe, at once and every second, finds the drive back.
    if (!m_inFlight)
        return;
    StopWatchdog->setInterval(std::max(Timer9->interval() / 2, 1));
    StopWatchdog->start();
}

void LineOwner::watchInFlight()
{
    if (m_inFlight && watchesQueue() && !Timer9->isActive())
        Timer9->start();
}

void LineOwner::watchTransfer()
{
    if (m_activity == Activity::ProgramWrite || m_activity == Activity::WriteBack || m_activity == Activity::Recovery)
        TransferWatchdog->start();
}

void LineOwner::programLineEnded()
{
    Timer7->stop();
}

void LineOwner::driveErrorRaised()
{
    // The user answers now; the transfer goes on after the confirmation.
    Timer7->stop();
    TransferWatchdog->stop();
    pause(Pause::DriveError);
}

void LineOwner::driveErrorConfirmed()
{
    resume(Pause::DriveError);
}

void LineOwner::stopPoll()
{
    Timer3->stop();
    Timer9->stop();
}

void LineOwner::changed(bool lockedBefore)
{
    if (locksWindow() != lockedBefore)
        emit lockChanged(locksWindow());
}
