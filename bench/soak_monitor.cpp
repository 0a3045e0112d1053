// SPDX-License-Identifier: GPL-3.0-or-later
// The user soak's monitor: what it looks at every 50 ms, and when the
// line counts as settled after a step.
#include "bench/soak_usersoak.h"

#include "bench/benchline.h"
#include "link/drivecore.h"
#include "parameters/window/writeback_dialog.h"
#include "program/window/tokbottomdlg.h"
#include "shell/window/tform1.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

namespace soak {

namespace {

// The pauses of the poll, by name, for a report.
QString pausesOf(const LineOwner &o)
{
    static const std::pair<line::Pause, const char *> names[] = {
        {line::Pause::TerminalTyping, "typing"},   {line::Pause::UserStopped, "stopped"},
        {line::Pause::DriveError, "error"},        {line::Pause::LinkLost, "lost"},
        {line::Pause::AddressPrompt, "address"},   {line::Pause::ManualConfiguration, "configuration"},
        {line::Pause::Question, "question"},       {line::Pause::CutWrite, "cut write"},
    };
    QStringList held;
    for (const auto &[pause, name] : names) {
        if (o.paused(pause))
            held << QLatin1String(name);
    }
    return held.isEmpty() ? QStringLiteral("none") : held.join(QLatin1Char('+'));
}

} // namespace

// No fault lasts and the cable is in. Answers still to drop count only
// while the program talks: a program that sends nothing has no line to
// wait for.
bool UserSoak::lineUp()
{
    const qint64 now = m_clock.elapsed();
    const qsizetype received = m_line->line().receivedCommands().size();
    if (received != m_receivedSeen) {
        m_receivedSeen = received;
        m_lastReceived = now;
    }
    return now >= m_faultOver && !m_line->cableOut() && !m_line->pullArmed()
        && (m_line->line().answersToDrop() == 0 || now - m_lastReceived > 3000);
}

bool UserSoak::somethingWaits() const
{
    TForm1 *f = m_form.get();
    return QApplication::activeModalWidget() || f->OKBottomDlg->isVisible()
        || (f->CompareDialog && f->CompareDialog->isVisible())
        || (f->VerifyReport && f->VerifyReport->isVisible());
}

bool UserSoak::waitLabelShown() const
{
    TForm1 *f = m_form.get();
    return f->Label3->isVisible() || f->Label4->isVisible() || f->Label8->isVisible();
}

// Nothing more will happen by itself: no fault, no transfer, nothing
// asked, the queue empty (the poll's cycles leave it empty between them),
// and no start-up still to read the list (the window started again).
bool UserSoak::quiet()
{
    TForm1 *f = m_form.get();
    return lineUp() && !somethingWaits() && !waitLabelShown() && !f->Timer12->isActive()
        && f->Core->Owner.holds(line::Activity::None)
        && !f->Core->Owner.paused(line::Pause::LinkLost) && !f->Core->Timer8->isActive()
        && (onlyPollQueued() || stuckWhileStopped() || noDrive()) && m_line->line().outputIdle();
}

// After a search that found no drive nothing goes out: what the user
// typed or clicked meanwhile waits in the queue until the next search
// or address choice empties it.
bool UserSoak::noDrive() const
{
    return m_searchFoundNone && m_form->Core->DriveConnected == 0 && !m_form->Core->Timer10->isActive();
}

// With the poll stopped by the user nothing supervises the queue: a
// lost answer holds it until the poll runs again, which is the user's
// to do in a later step.
bool UserSoak::stuckWhileStopped()
{
    const CommandNode *head = m_form->Core->Queue.head();
    const qint64 now = m_clock.elapsed();
    if (head != m_stuckHead) {
        m_stuckHead = head;
        m_stuckSince = now;
    }
    return m_form->Core->Owner.paused(line::Pause::UserStopped) && now - m_stuckSince >= 5000;
}

// The poll's cycles follow one another: its queries are no work of the user's.
bool UserSoak::onlyPollQueued() const
{
    for (const CommandNode *node = m_form->Core->Queue.head(); node; node = node->Next) {
        if (node->Kind != CommandKind::Status)
            return false;
    }
    return true;
}

QString UserSoak::describeState() const
{
    TForm1 *f = m_form.get();
    const LineOwner &o = f->Core->Owner;
    return QStringLiteral("activity %1, pauses %13, poll allowed %2, enabled %3, connected %4, re-probing %5, "
                          "poll timer %6, watchdog %7, queue %8, labels %9%10%11, waiting %12, shown lost %14, "
                          "cut pending %15, drive in entry %16")
        .arg(int(o.activity()))
        .arg(o.pollAllowed())
        .arg(f->isEnabled())
        .arg(f->Core->DriveConnected)
        .arg(f->Core->Timer10->isActive())
        .arg(f->Core->Timer3->isActive())
        .arg(f->Core->Timer9->isActive())
        .arg(f->Core->Queue.head() ? QString::fromLatin1(f->Core->Queue.head()->Text.trimmed()) : QStringLiteral("empty"))
        .arg(f->Label3->isVisible())
        .arg(f->Label4->isVisible())
        .arg(f->Label8->isVisible())
        .arg(somethingWaits())
        .arg(pausesOf(o))
        .arg(shownLost())
        .arg(f->Core->PendingCut.has_value())
        .arg(m_line->inEntry());
}

bool UserSoak::userHolds() const
{
    TForm1 *f = m_form.get();
    const LineOwner &o = f->Core->Owner;
    // The address list waits for a choice until its time is up; a chosen
    // address is the program's to probe.
    const bool addressOffered = o.paused(line::Pause::AddressPrompt) && f->Timer14->isActive()
        && !f->Core->Timer8->isActive();
    return somethingWaits() || f->CutOfferShown || addressOffered || o.holds(line::Activity::Master)
        || o.paused(line::Pause::TerminalTyping) || o.paused(line::Pause::UserStopped);
}

bool UserSoak::shownLost() const
{
    return m_form->Label2->palette().color(QPalette::Window) == QColor(Qt::red);
}

// Every 50 ms: the link comes back, the poll runs or the link is shown
// lost, a Stop reaches the drive, no wait label stays, memory.
void UserSoak::look()
{
    TForm1 *f = m_form.get();
    const qint64 now = m_clock.elapsed();
    if (f->OKBottomDlg->isVisible() && f->OKBottomDlg->showsDriveError())
        m_driveErrorSeen = true;
    const LineOwner &o = f->Core->Owner;
    const bool up = lineUp();
    const bool lineFree = o.holds(line::Activity::None) || o.holds(line::Activity::ReProbe);
    bool userPause = false;
    for (line::Pause pause : {line::Pause::TerminalTyping, line::Pause::UserStopped, line::Pause::DriveError,
                              line::Pause::AddressPrompt, line::Pause::ManualConfiguration, line::Pause::Question})
        userPause = userPause || o.paused(pause);
    // A search that found no drive leaves nothing to come back to: the
    // user searches again or chooses an address.
    const bool healthy = noDrive()
        || (f->isEnabled() && f->Core->DriveConnected == 1 && !f->Core->Timer10->isActive()
            && o.holds(line::Activity::None) && (f->Core->Timer3->isActive() || f->Core->Timer9->isActive()));
    m_linkBack.setBound(f->Core->Timer9->interval() + 2000);
    if (m_linkBack.look(up && lineFree && !userPause && !somethingWaits() && !healthy, now))
        pending(QStringLiteral("the link comes back within the watchdog's period + 2 s"), describeState());

    const qint64 bytes = m_line->line().bytesSent();
    const bool transfer = o.holds(line::Activity::Listing) || o.holds(line::Activity::WriteBack)
        || o.holds(line::Activity::ProgramRead) || o.holds(line::Activity::ProgramWrite);
    if (bytes != m_lastBytes) {
        m_lastBytes = bytes;
        m_lastProgress = now;
    }
    const bool progressing = transfer && now - m_lastProgress < 1000;

    // Where the user does not hold it, the poll runs or the window says the
    // link is lost; a transfer or the search under its own watchdog, and
    // the start-up before its first read, hold it for the program.
    const DriveCore *core = f->Core;
    const bool supervised = (transfer || o.holds(line::Activity::Recovery))
        && (progressing || core->Timer7->isActive() || core->TransferWatchdog->isActive()
            || core->Timer11->isActive() || core->ProgramListingTimer->isActive());
    LinkView view;
    view.userHolds = userHolds();
    view.transferMoving = supervised || (o.holds(line::Activity::Search) && core->Timer1->isActive())
        || f->Timer12->isActive();
    view.noDrive = noDrive();
    view.pollRuns = core->Timer3->isActive() || core->Timer9->isActive();
    view.shownLost = shownLost();
    m_pollOrLost.setBound(core->Timer9->interval() + 2000);
    if (m_pollOrLost.look(linkStalled(view), now))
        pending(QStringLiteral("the poll runs or the link is shown lost within the watchdog's period + 2 s"),
                describeState());

    // A Stop the user pressed is carried out within the watchdog's period
    // once the line is back; one the drive answered with an error it got.
    if (f->OKBottomDlg->isVisible() && f->OKBottomDlg->showsDriveError() && core->Queue.head()
        && core->Queue.head()->Stop)
        m_stop.answered();
    m_stop.setBound(core->Timer9->interval());
    if (m_stop.look(m_stop.waiting() ? m_line->stopsCarriedOut() : 0, up && !somethingWaits(), now))
        pending(QStringLiteral("a Stop reaches the drive within the watchdog's period after the line is back"),
                QStringLiteral("waited %1 ms with the line up, kept %2; ").arg(m_stop.waited(now)).arg(core->stopPending())
                    + describeState() + QStringLiteral("; the drive received lately: ")
                    + QString::fromLatin1(m_line->lastReceived(16).join(' ')).replace(QLatin1Char('\r'), QLatin1Char('|')));
    struct Wait {
        QLabel *label;
        qint64 timeout;
        Deadline &deadline;
    };
    const qint64 transferTimeout = f->Core->TransferWatchdog->interval();
    const Wait waits[] = {
        {f->Label3, std::max<qint64>(f->Core->Timer11->interval(), DriveCore::kProgramListingSilenceMs),
         m_labelDeadlines[0]},
        {f->Label4, std::max<qint64>(f->Core->Timer7->interval(), transferTimeout), m_labelDeadlines[1]},
        {f->Label8, transferTimeout, m_labelDeadlines[2]},
    };
    for (const Wait &wait : waits) {
        wait.deadline.setBound(wait.timeout + 2000);
        if (wait.deadline.look(wait.label->isVisible() && up && !progressing && !somethingWaits(), now))
            pending(QStringLiteral("no wait label beyond its transfer's time-out"),
                    QStringLiteral("\"%1\" still shown; ").arg(wait.label->text()) + describeState());
    }

    if (now - m_lastMemory >= 5000) {
        m_lastMemory = now;
        m_lastRss = bench::residentMegabytes();
        m_peakRss = std::max(m_peakRss, m_lastRss);
        if (now >= 60000 && m_firstRss == 0)
            m_firstRss = m_lastRss;
    }
}

void UserSoak::pending(const QString &invariant, const QString &detail)
{
    m_pending << Finding {m_steps, invariant, detail, {}};
}

void UserSoak::found(int step, const QString &invariant, const QString &detail)
{
    m_pending << Finding {step, invariant, detail, {}};
}

} // namespace soak
