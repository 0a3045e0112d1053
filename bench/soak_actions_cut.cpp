// SPDX-License-Identifier: GPL-3.0-or-later
// What the user does while the line is cut or a write is under way: an
// address chosen while the drive is silent, the interface configuration
// cancelled, the window closed during a program write, and Stop during a
// loss of the link.
#include "bench/soak_actions.h"

#include "bench/soak_line.h"
#include "manual/window/tform2.h"
#include "program/window/tokbottomdlg.h"
#include "shell/window/tform1.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace soak {

using K = sim::ChangeKind;

namespace {

// Waits, the program and the soak's monitors running, until done says so
// or ms have passed; true when done said so.
bool waitFor(const std::function<bool()> &done, qint64 ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() >= ms)
            return false;
        QTest::qWait(5);
    }
    return true;
}

bool shownLost(TForm1 *f)
{
    return f->Label2->palette().color(QPalette::Window) == QColor(Qt::red);
}

// The cable out for a drawn time: at times shorter than the watchdogs, at
// times long past them.
qint64 drawnPull(ActionContext &c)
{
    return c.coin() ? 300 + c.pick(1700) : 2000 + c.pick(6000);
}

} // namespace

bool addressWhileSilent(ActionContext &c, bool run)
{
    if (!usable(c.f->Achse1))
        return false;
    if (!run)
        return true;
    const qint64 out = drawnPull(c);
    c.line->pullCable(out, c.owner);
    // Chosen at once, or once the silence has gone on a little.
    waitFor([] { return false; }, c.pick(int(std::min<qint64>(out, 1500))));
    if (!usable(c.f->Achse1)) {
        c.notes.detail = QStringLiteral("cable out %1 ms, the choice no longer offered").arg(out);
        return true;
    }
    allowConnect(c.notes.allowed);
    c.f->Achse1->trigger();
    const QString chosen = c.coin() ? QStringLiteral("1") : QString();
    c.notes.detail = QStringLiteral("cable out %1 ms, %2").arg(out).arg(chosen.isEmpty() ? QStringLiteral("(empty)") : chosen);
    if (!c.f->ComboBox1->isVisible() || !c.f->ComboBox1->isEnabled())
        return true;
    c.f->ComboBox1->setFocus();
    c.f->ComboBox1->setEditText(chosen);
    QTest::keyClick(c.f->ComboBox1, Qt::Key_Return);
    return true;
}

bool configureCancelled(ActionContext &c, bool run)
{
    if (!usable(c.f->ManuellKonfigurieren1))
        return false;
    if (run) {
        // The port dialog is modal: the user's answer to it (Cancel) comes
        // from the soak's loop while it is open.
        c.notes.detail = QStringLiteral("port dialog cancelled");
        c.f->ManuellKonfigurieren1->trigger();
    }
    return true;
}

bool closeDuringWrite(ActionContext &c, bool run)
{
    if (!usable(c.f->Liste_Speichern))
        return false;
    if (!run)
        return true;
    const int lines = int(notedWrite(c).size());
    // The backup may go back after the restart, line by line.
    for (const QByteArray &line : c.before)
        c.notes.allowed.command(K::ProgramLine, line);
    click(c.f->Liste_Speichern);
    // Closed once the drive has answered a drawn number of lines, or when
    // the write ended before (or never began: the question was cancelled).
    const int after = c.pick(lines + 1);
    TForm1 *f = c.f;
    waitFor([f, after] {
        const bool writing = f->Core->Owner.holds(line::Activity::ProgramWrite);
        return (writing && f->Core->programLinesAnswered() >= after)
            || (!writing && !f->OKBottomDlg->isVisible() && !f->Label4->isVisible() && f->Core->Owner.holds(line::Activity::None));
    }, 10000);
    const bool writing = f->Core->Owner.holds(line::Activity::ProgramWrite);
    c.notes.detail += QStringLiteral(", closed %1").arg(writing ? QStringLiteral("after %1 lines answered").arg(f->Core->programLinesAnswered())
                                                                : QStringLiteral("with no write under way"));
    f->close(); // during a write it asks; the answer comes from the soak's loop
    c.notes.windowClosed = !f->isVisible();
    if (!c.notes.windowClosed)
        c.notes.detail += QStringLiteral(" (waited)");
    return true;
}

bool stopDuringLoss(ActionContext &c, bool run)
{
    TForm2 *w = c.f->Form2;
    if (!usable(w->Button12))
        return false;
    if (!run)
        return true;
    const qint64 out = drawnPull(c);
    c.line->pullCable(out, c.owner);
    // Pressed once the window shows the link lost, or at a drawn moment
    // of the silence (the Stop then goes out into the cut cable).
    TForm1 *f = c.f;
    const bool untilLost = c.coin();
    if (untilLost)
        waitFor([f] { return shownLost(f); }, out);
    else
        waitFor([] { return false; }, c.pick(int(out)));
    if (!usable(w->Button12)) {
        c.notes.detail = QStringLiteral("cable out %1 ms, Stop no longer offered").arg(out);
        return true;
    }
    const bool escape = c.coin();
    c.notes.allowed.command(K::Motion, "s");
    c.notes.detail = QStringLiteral("cable out %1 ms, %2 %3").arg(out).arg(escape ? QStringLiteral("Escape") : QStringLiteral("Stop"),
                                                                 shownLost(f) ? QStringLiteral("with the link shown lost")
                                                                              : QStringLiteral("before the link was shown lost"));
    c.stopPressed();
    if (escape) {
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w, 500))
            c.notes.detail += QStringLiteral(" (the window not active)");
        QTest::keyClick(w, Qt::Key_Escape);
    } else {
        click(w->Button12);
    }
    return true;
}

} // namespace soak
