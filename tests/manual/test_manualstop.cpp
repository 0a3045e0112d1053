// SPDX-License-Identifier: GPL-3.0-or-later
// The manual window's Stop must reach the drive: kept while the link is
// lost and sent first when the drive answers again, and sent soon after a
// cable pulled for a moment, also while the user holds the poll; closing
// the window before it went out asks first.
#include "tests/manual/manualfixture.h"
#include "tests/shell/picture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

namespace {

bool moving(ManualUi &ui)
{
    bool running = false;
    ui.drive(1, [&running](sim::Drive &d) { running = d.motion.isMoving(); });
    return running;
}

QLabel *stopNote(const TForm2 *w)
{
    return w->findChild<QLabel *>(QStringLiteral("StopNote"));
}

} // namespace

class TestManualStop : public QObject {
    Q_OBJECT
private slots:
    void stopReachesTheDriveWhenTheCableIsBack();
    void stopIntoAShortCutGoesOutSoonAfter();
    void stopIntoAShortCutWhileTheUserHoldsThePoll_data();
    void stopIntoAShortCutWhileTheUserHoldsThePoll();
    void stopIntoACutThenThePollResumed();
};

void TestManualStop::stopReachesTheDriveWhenTheCableIsBack()
{
    ManualUi ui;
    QVERIFY(ui.start());
    QVERIFY(ui.open());
    QVERIFY(ui.cycles());
    // "Rechts-langsam" latches: the axis runs on after the click.
    QTest::mouseClick(ui.w->Button6, Qt::LeftButton);
    QVERIFY(ManualUi::until([&] { return moving(ui); }));
    QVERIFY(ManualUi::until([&] { return ui.w->Label1->text().isEmpty() && ui.w->Label5->text() != "0"; }));

    // The cable is pulled, and Stop pressed before the watchdog notices:
    // it waits behind a query that is never answered.
    ui.fx.com1->setSilent(true);
    QTest::mouseClick(ui.w->Button12, Qt::LeftButton);
    QVERIFY(ManualUi::until([&] { return ui.f->Core->Timer10->isActive(); }));
    // Stop is what the window offers now; Escape says the same.
    QVERIFY(ui.w->Button12->isEnabled());
    QVERIFY(!ui.w->Button6->isEnabled());
    QTest::keyClick(ui.w, Qt::Key_Escape);
    const qsizetype probing = ui.mark();
    QVERIFY(ManualUi::until([&] { return ui.sentSince(probing).count("#1\r") >= 2; }));
    QVERIFY(moving(ui));
    QLabel *note = stopNote(ui.w);
    QVERIFY(note);
    QVERIFY(note->isVisible());
    QCOMPARE(note->text(), QStringLiteral("Stop nicht gesendet - wird gesendet, sobald die ZYNT antwortet"));
    QVERIFY(note->palette().color(note->foregroundRole()).red() > 150);
    QVERIFY(savePicture(ui.w, "stop-pending.png"));

    // Closing the main window now asks: after it nothing would send the
    // Stop. The user waits, and the window stays.
    QString asked;
    bool answered = false;
    QTimer::singleShot(0, [&] {
        ManualUi::until([&] { return qobject_cast<QMessageBox *>(QApplication::activeModalWidget()) != nullptr; });
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        asked = box->text();
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == QStringLiteral("Warten")) {
                button->click();
                answered = true;
            }
        }
    });
    ui.f->close();
    QVERIFY2(answered, qPrintable(asked));
    QVERIFY(asked.startsWith(QStringLiteral("Ein Stop hat die ZYNT noch nicht erreicht")));
    QVERIFY(ui.f->isVisible());

    // The cable back: the Stop is the first thing after the probe's answer,
    // before the drive's settings and the poll.
    const qsizetype back = ui.mark();
    ui.fx.com1->setSilent(false);
    QVERIFY(ui.receivedSince(back, "#1p1035=0\r"));
    QList<QByteArray> sent = ui.sentSince(back);
    while (!sent.isEmpty() && sent.first() == "#1\r")
        sent.removeFirst();
    QVERIFY2(sent.size() >= 2 && sent[0] == "#1s\r" && sent[1] == "#1p1035=0\r", sent.join(' ').constData());
    QVERIFY(ManualUi::until([&] { return !moving(ui); }));
    QVERIFY(ManualUi::until([&] { return !note->isVisible(); }));
    QVERIFY(ui.cycles());
    // Kept once, sent once.
    QCOMPARE(ui.sentSince(back).count("#1s\r"), 1);
}

void TestManualStop::stopIntoAShortCutGoesOutSoonAfter()
{
    ManualUi ui;
    QVERIFY(ui.start());
    QVERIFY(ui.open());
    QVERIFY(ui.cycles());
    QTest::mouseClick(ui.w->Button6, Qt::LeftButton);
    QVERIFY(ManualUi::until([&] { return moving(ui); }));
    QVERIFY(ui.cycles());

    // The cable out for half a second, and Stop pressed at once: the Stop
    // goes into the cut cable, and nothing answers it. The link watchdog
    // notices; the drive, back long since, must have the Stop within the
    // watchdog's period after the cable was plugged back in.
    ui.fx.com1->setSilent(true);
    QTest::mouseClick(ui.w->Button12, Qt::LeftButton);
    QTest::qWait(500);
    ui.fx.com1->setSilent(false);
    QElapsedTimer back;
    back.start();
    const int watchdog = ui.f->Core->Timer9->interval();
    QVERIFY(ManualUi::until([&] { return !moving(ui); }));
    QVERIFY2(back.elapsed() <= watchdog,
             qPrintable(QStringLiteral("%1 ms after the cable was back (watchdog %2 ms)").arg(back.elapsed()).arg(watchdog)));
    QVERIFY(ui.cycles());
}

void TestManualStop::stopIntoAShortCutWhileTheUserHoldsThePoll_data()
{
    QTest::addColumn<QString>("held");
    QTest::newRow("RS232 Stop") << QStringLiteral("stopped");
    QTest::newRow("the address list offered") << QStringLiteral("address");
}

void TestManualStop::stopIntoAShortCutWhileTheUserHoldsThePoll()
{
    // The poll held by the user, who then presses Stop while the cable is
    // out for half a second: nothing of the poll watches the line then,
    // and the Stop (or the query ahead of it) is lost in the cut cable.
    // It must still reach the drive within the watchdog's period after
    // the cable was plugged back in.
    QFETCH(QString, held);
    ManualUi ui;
    QVERIFY(ui.start());
    QVERIFY(ui.open());
    QVERIFY(ui.cycles());
    QTest::mouseClick(ui.w->Button6, Qt::LeftButton);
    QVERIFY(ManualUi::until([&] { return moving(ui); }));
    QVERIFY(ui.cycles());

    ui.fx.com1->setSilent(true);
    if (held == QLatin1String("stopped")) {
        ui.f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(ui.f));
        QTest::mouseClick(ui.f->Button18, Qt::LeftButton); // "RS232 Stop"
        QVERIFY(ui.f->Core->Owner.paused(line::Pause::UserStopped));
    } else {
        ui.f->Achse1->trigger();
        QVERIFY(ui.f->Core->Owner.paused(line::Pause::AddressPrompt));
    }
    ui.w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(ui.w));
    QTest::mouseClick(ui.w->Button12, Qt::LeftButton);
    QTest::qWait(500);
    ui.fx.com1->setSilent(false);
    QElapsedTimer back;
    back.start();
    const int watchdog = ui.f->Core->Timer9->interval();
    QVERIFY(ManualUi::until([&] { return !moving(ui); }, 10000));
    QVERIFY2(back.elapsed() <= watchdog,
             qPrintable(QStringLiteral("%1 ms after the cable was back (watchdog %2 ms)").arg(back.elapsed()).arg(watchdog)));
    // What the user held stays held: the poll does not start by itself.
    if (held == QLatin1String("stopped")) {
        QVERIFY(ui.f->Core->Owner.paused(line::Pause::UserStopped));
        QVERIFY(!ui.f->Core->Timer3->isActive());
    }
}

void TestManualStop::stopIntoACutThenThePollResumed()
{
    // "RS232 Stop" held, the cable out, and Stop pressed: it goes into the
    // cut cable. The cable is back a moment later, and the user, seeing the
    // axis run on, lets the poll go on again ("RS232 Start"), which starts a
    // cycle behind the unanswered Stop. The Stop must still reach the drive
    // within the link watchdog's period after the cable was back, however
    // late the watchdog was armed anew.
    ManualUi ui;
    QVERIFY(ui.start());
    QVERIFY(ui.open());
    QVERIFY(ui.cycles());
    QTest::mouseClick(ui.w->Button6, Qt::LeftButton);
    QVERIFY(ManualUi::until([&] { return moving(ui); }));
    QVERIFY(ui.cycles());

    ui.f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(ui.f));
    QTest::mouseClick(ui.f->Button18, Qt::LeftButton); // "RS232 Stop"
    QVERIFY(ui.f->Core->Owner.paused(line::Pause::UserStopped));
    QVERIFY(ManualUi::until([&] { return !ui.f->Core->Queue.head(); }));
    ui.w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(ui.w));

    ui.fx.com1->setSilent(true);
    const qsizetype from = ui.mark();
    QTest::mouseClick(ui.w->Button12, Qt::LeftButton);
    QVERIFY(ManualUi::until([&] { return ui.sentSince(from).contains("#1s\r"); }));
    QTest::qWait(20);
    ui.fx.com1->setSilent(false);
    QElapsedTimer back;
    back.start();
    QTest::qWait(300);
    ui.f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(ui.f));
    QTest::mouseClick(ui.f->Button18, Qt::LeftButton); // "RS232 Start"
    QVERIFY(!ui.f->Core->Owner.paused(line::Pause::UserStopped));

    const int watchdog = ui.f->Core->Timer9->interval();
    QVERIFY(ManualUi::until([&] { return !moving(ui); }, 10000));
    QVERIFY2(back.elapsed() <= watchdog,
             qPrintable(QStringLiteral("%1 ms after the cable was back (watchdog %2 ms)").arg(back.elapsed()).arg(watchdog)));
    QVERIFY(ui.cycles());
}

QTEST_MAIN(TestManualStop)
#include "test_manualstop.moc"
