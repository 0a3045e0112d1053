// SPDX-License-Identifier: GPL-3.0-or-later
// The terminal, master mode, the firmware version and info displays, and
// the supervision that recovers a lost link, against the simulated drive.
#include "tests/link/linkfixture.h"

#include "manual/window/tform2.h"
#include "shell/window/tterminalwindow.h"
#include "program/window/tokbottomdlg.h"
#include "shell/cp1252.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

namespace {

constexpr int kWait = 20000;

void savePicture(QWidget &window, const char *name)
{
    QTest::qWait(50);
    const QString path = qEnvironmentVariable("ZYNT_BINARY_DIR") + QStringLiteral("/tests/") + QLatin1String(name);
    QVERIFY2(window.grab().save(path), qPrintable(path));
}

} // namespace

class TestTerminal : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void typedKeysGoOutOneByOne();
    void typingPausesThePoll();
    void masterOnDropsTheQueueAndRelays();
    void masterOffSendsItsFourCommands();
    void versionDisplayEndsAfterFourSeconds();
    void infoDisplayHidesAndRestores();
    void waitingNoticesBlink();
    void lostLinkIsProbedUntilTheDriveAnswers();
    void pulledAdapterComesBack();
    void adapterBackBehindItsStableName();

private:
    LinkFixture *fx = nullptr;
    TForm1 *f = nullptr;
};

void TestTerminal::init()
{
    fx = new LinkFixture;
    QVERIFY(fx->start());
    f = fx->form.get();
    f->init_Texte();
    f->Sprachauswahl(1, false);
    f->Timer6Timer(); // the splash ends
    f->Core->DriveConnected = 1;
    f->setEnabled(true);
    f->show();
}

void TestTerminal::cleanup()
{
    delete fx;
    fx = nullptr;
}

void TestTerminal::typedKeysGoOutOneByOne()
{
    f->Terminal1Click();
    QVERIFY(f->MemoTxD->isVisible());
    QVERIFY(f->TerminalOpen);
    // The terminal is a window of its own; the focus goes there.
    f->Terminal->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f->Terminal));
    f->MemoTxD->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(f->Core->Owner.paused(line::Pause::TerminalTyping), kWait); // the focus is in before the keys come
    QTest::keyClicks(f->MemoTxD, QStringLiteral("A"));
    QTest::keyClick(f->MemoTxD, Qt::Key_Return);
    // Each key is its own command, without address or line end.
    QTRY_COMPARE_WITH_TIMEOUT(fx->drive->receivedCommands().size(), 1, kWait); // the sim counts at "\r"
    QCOMPARE(fx->drive->receivedCommands().value(0), QByteArray("A\r"));
    QVERIFY(!f->Core->Queue.head());
    QVERIFY(f->MemoTxD->toPlainText().contains(QLatin1Char('A')));
    // Keys go out in the drive's code page: the euro sign as 0x80, a letter
    // the code page lacks not at all (never as a NUL byte).
    for (const QChar c : QStringLiteral("\u20ac\u00e4\u0142"))
        QTest::sendKeyEvent(QTest::Click, f->MemoTxD, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QTest::keyClick(f->MemoTxD, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(fx->drive->receivedCommands().size(), 2, kWait);
    QCOMPARE(fx->drive->receivedCommands().value(1), QByteArray("\x80\xe4\r"));
    // What the drive sends is shown in the output memo.
    fx->say("Hallo\r");
    QTRY_VERIFY_WITH_TIMEOUT(f->memoRxDText().contains("Hallo"), kWait);
    QTest::mouseClick(f->Button13, Qt::LeftButton);
    QVERIFY(f->MemoRxD->isHidden());
    QVERIFY(!f->TerminalOpen);
}

void TestTerminal::typingPausesThePoll()
{
    f->Terminal1Click();
    // The terminal is a window of its own; the focus goes there.
    f->Terminal->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f->Terminal));
    f->Core->Timer3->start();
    f->Core->Timer9->start();
    f->MemoRxD->setPlainText(QStringLiteral("alt"));
    f->MemoTxD->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(f->Core->Owner.paused(line::Pause::TerminalTyping), kWait);
    QVERIFY(!f->Core->Timer3->isActive());
    QVERIFY(!f->Core->Timer9->isActive());
    QVERIFY(f->MemoRxD->toPlainText().isEmpty());
    f->Button18->setFocus(); // the focus leaves the memo
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Owner.paused(line::Pause::TerminalTyping), kWait);
    QVERIFY(f->Core->Timer3->isActive());

    QTest::mouseClick(f->Button18, Qt::LeftButton);
    QVERIFY(f->Core->Owner.paused(line::Pause::UserStopped));
    QCOMPARE(f->Button18->text(), QStringLiteral("RS232 Start"));
    QVERIFY(!f->Core->Timer3->isActive());
    f->MemoTxD->setFocus();
    f->Button13->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Owner.paused(line::Pause::TerminalTyping), kWait);
    QVERIFY(!f->Core->Timer3->isActive()); // still paused by the button
    QTest::mouseClick(f->Button18, Qt::LeftButton);
    QCOMPARE(f->Button18->text(), QStringLiteral("RS232 Stop"));
    QVERIFY(f->Core->Timer3->isActive());
}

void TestTerminal::masterOnDropsTheQueueAndRelays()
{
    fx->drive->setMasterTraffic({"#0R", "#7P51?\r"}, 50);
    fx->drive->setSilent(true);
    f->Core->queueCommand("s", CommandKind::Plain);
    f->Core->queueCommand("run", CommandKind::Plain);
    f->Core->queueCommand("psave", CommandKind::Plain);
    QVERIFY(fx->commands(1, kWait));
    fx->drive->setSilent(false);
    f->Terminal1Click();
    f->ON1Click();
    QVERIFY(f->Core->Owner.holds(line::Activity::Master));
    QVERIFY(!f->Core->Queue.head());
    QVERIFY(!f->Label19->isHidden());
    QVERIFY(f->OFF1->isVisible());
    QVERIFY(!f->ON1->isVisible());
    QVERIFY(!f->Achse1->isEnabled());
    QVERIFY(!f->BitBtn3->isEnabled());
    QVERIFY(!f->Sprache1->isEnabled());
    QVERIFY(f->Timer2->isActive());
    // The master drive's traffic goes back onto the line, but "#0R".
    QTRY_VERIFY_WITH_TIMEOUT(fx->drive->receivedCommands().count("#7P51?\r") >= 2, kWait);
    QVERIFY(f->memoRxDText().contains("#0R"));
    const QList<QByteArray> got = fx->drive->receivedCommands();
    QCOMPARE(got.mid(0, 2), (QList<QByteArray> {"#1s\r", "#0RUN\r"}));
    for (const QByteArray &c : got.mid(2))
        QCOMPARE(c, QByteArray("#7P51?\r"));
    QVERIFY(f->Core->ReceiveBuffer.isEmpty());
}

void TestTerminal::masterOffSendsItsFourCommands()
{
    fx->drive->setMasterTraffic({}, 1000);
    f->ON1Click();
    QVERIFY(fx->commands(1, kWait));
    fx->drive->clearReceived();
    f->OFF1Click();
    QVERIFY(fx->commands(4, kWait));
    // What follows them (the poll, back at work) may already be on its way.
    QCOMPARE(fx->drive->receivedCommands().mid(0, 4), (QList<QByteArray> {"#200S\r", "#200\r", "#*s\r", "#200\r"}));
    QVERIFY(!f->Core->Owner.holds(line::Activity::Master));
    QVERIFY(f->Label19->isHidden());
    QVERIFY(f->ON1->isVisible());
    QVERIFY(f->Achse1->isEnabled());
    QVERIFY(f->Button3->isEnabled());
    QVERIFY(!f->Timer2->isActive());
    QVERIFY(f->Core->Timer3->isActive());
}

void TestTerminal::versionDisplayEndsAfterFourSeconds()
{
    f->Core->queueCommand("ver", CommandKind::Version);
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Queue.head(), kWait);
    f->ZYNTVersion1Click();
    QVERIFY(!f->Label18->isHidden());
    QCOMPARE(f->Label18->text(), QStringLiteral("Version 041200"));
    QVERIFY(f->Label2->isHidden());
    QVERIFY(f->Timer14->isActive());
    f->Label6->setText(QString::fromLatin1(f->Core->DriveAddress)); // as a connection start leaves it
    savePicture(*f, "version.png");
    QTRY_VERIFY_WITH_TIMEOUT(f->Label18->isHidden(), kWait);
    QVERIFY(!f->Label2->isHidden());
    QVERIFY(!f->Timer14->isActive());
    QVERIFY(f->Core->Timer3->isActive());
    // The address choice ends the same way, so the poll does not stay stopped.
    f->Core->Timer3->stop();
    f->Achse1Click();
    QVERIFY(!f->ListBox1->isHidden());
    QTRY_VERIFY_WITH_TIMEOUT(f->Core->Timer3->isActive(), kWait);
}

void TestTerminal::infoDisplayHidesAndRestores()
{
    f->Terminal1Click();
    f->StringGrid1->show();
    f->Button5->show();
    f->Liste_Speichern->show();
    f->Hexwald1Click();
    QVERIFY(!f->Image1->isHidden());
    QVERIFY(f->StringGrid1->isHidden());
    QVERIFY(f->MemoRxD->isHidden());
    QVERIFY(f->BitBtn1->isHidden());
    QVERIFY(f->Timer6->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(f->Image1->isHidden(), kWait);
    QVERIFY(!f->StringGrid1->isHidden());
    QVERIFY(!f->Liste_Speichern->isHidden());
    QVERIFY(!f->MemoRxD->isHidden());
    QVERIFY(!f->Button18->isHidden());
    QVERIFY(!f->BitBtn1->isHidden());
    QVERIFY(!f->Timer6->isActive());
    QCOMPARE(f->InfoRestore, (std::array<bool, 3> {}));
}

void TestTerminal::waitingNoticesBlink()
{
    f->Label4->show();
    f->Label19->show();
    const QColor aqua(Qt::cyan);
    auto colour = [](QLabel *l) { return l->palette().color(QPalette::Window); };
    QCOMPARE(colour(f->Label4), aqua);
    f->Timer2Timer();
    QCOMPARE(colour(f->Label4), QColor(Qt::blue));
    QCOMPARE(colour(f->Label19), aqua); // only the first shown notice blinks
    f->Timer2Timer();
    QCOMPARE(colour(f->Label4), aqua);
    f->Label4->hide();
    f->Timer2Timer();
    QCOMPARE(colour(f->Label19), f->palette().color(QPalette::Button));
    f->Timer2Timer();
    QCOMPARE(colour(f->Label19), aqua);
}

void TestTerminal::lostLinkIsProbedUntilTheDriveAnswers()
{
    // A poll cycle armed the watchdog; the drive is switched off.
    f->Core->InterfaceDescription = "COM1:38400 Baud - address ";
    fx->drive->setSilent(true);
    f->Core->queueCommand("P51?", CommandKind::Status);
    f->Core->Timer9->setInterval(300);
    f->Core->Timer9->start();
    QTRY_VERIFY_WITH_TIMEOUT(f->Core->Timer10->isActive(), kWait);
    QCOMPARE(f->Label2->text(), fromCp1252(f->Texte[1][74]));
    QCOMPARE(f->Label2->palette().color(QPalette::Window), QColor(Qt::red));
    QVERIFY(f->Label6->text().isEmpty());
    QCOMPARE(f->Core->PreviousAddress, QByteArray("1"));
    QVERIFY(f->Core->DriveAddress.isEmpty());
    // A probe of the old address every second.
    fx->drive->clearReceived();
    QVERIFY(fx->commands(2, kWait));
    QCOMPARE(fx->drive->receivedCommands().mid(0, 2), (QList<QByteArray> {"#1\r", "#1\r"}));
    savePicture(*f, "link-lost.png");
    // Switched on again: the first answer restores the link.
    fx->drive->setSilent(false);
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Timer10->isActive(), kWait);
    QTRY_VERIFY_WITH_TIMEOUT(fx->drive->receivedCommands().contains("#1p1035=0\r"), kWait);
    QCOMPARE(f->Label2->text(), QStringLiteral("COM1:38400 Baud - address "));
    QCOMPARE(f->Core->DriveAddress, QByteArray("1"));
    QCOMPARE(f->Label6->text(), QStringLiteral("1"));
    QVERIFY(f->Core->Timer3->isActive());
}

void TestTerminal::pulledAdapterComesBack()
{
    f->Core->InterfaceDescription = "COM1:38400 Baud - address ";
    f->Core->Timer9->setInterval(300);
    const QString link = fx->dir.filePath(QStringLiteral("COM1"));
    // The adapter is pulled: the line hangs up.
    fx->drive->hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(f->Serial1->HungUp(), kWait);
    f->Core->queueCommand("P51?", CommandKind::Status);
    f->Core->Timer9->start();
    QTRY_VERIFY_WITH_TIMEOUT(f->Core->Timer10->isActive(), kWait);
    QCOMPARE(f->Label2->text(), fromCp1252(f->Texte[1][74]));
    QTest::qWait(1500); // probes into nothing meanwhile
    QVERIFY(f->Core->Timer10->isActive());

    // Plugged in again: the same name, a new line behind it.
    sim::SimLine back;
    QVERIFY(!back.openPty().isEmpty());
    QVERIFY(back.makeLink(link));
    back.setBaud(38400);
    back.addDrive(1);
    QVERIFY(back.start());
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Timer10->isActive(), kWait);
    QTRY_VERIFY_WITH_TIMEOUT(back.receivedCommands().contains("#1p1035=0\r"), kWait);
    QVERIFY(!f->Serial1->HungUp());
    QCOMPARE(f->Label2->text(), QStringLiteral("COM1:38400 Baud - address "));
    // And the link carries commands again.
    f->Core->queueCommand("s", CommandKind::Plain);
    QTRY_VERIFY_WITH_TIMEOUT(back.receivedCommands().contains("#1s\r"), kWait);
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Queue.head(), kWait);
    f->Serial1->setActive(false); // before the new line goes
}

void TestTerminal::adapterBackBehindItsStableName()
{
    // No variable names COM1: the adapter is found as a device with a
    // stable name in the by-id folder.
    const QString byId = fx->dir.filePath(QStringLiteral("by-id"));
    QVERIFY(QDir().mkpath(byId));
    const QString stable = byId + QStringLiteral("/usb-FTDI_ZYNT_Adapter_A1-if00-port0");
    QVERIFY(fx->drive->makeLink(stable));
    qunsetenv("ZYNT_COM1");
    qputenv("ZYNT_SERIAL_BY_ID", QFile::encodeName(byId));
    serialports::reinitialisePortTable();
    f->Serial1->setActive(false);
    f->Serial1->setCOMPort(1);
    f->openPort();
    QVERIFY(f->Serial1->Active());
    QCOMPARE(f->Serial1->DevicePath(), stable);
    const QString firstDevice = fx->drive->slavePath();
    // The device it comes back as is made now, so that it cannot get the
    // number of the old one.
    sim::SimLine back;
    QVERIFY(!back.openPty().isEmpty());
    QVERIFY(back.slavePath() != firstDevice);

    // Pulled: the line hangs up and the stable name goes with the device.
    f->Core->InterfaceDescription = "COM1:38400 Baud - address ";
    f->Core->Timer9->setInterval(300);
    fx->drive->hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(f->Serial1->HungUp(), kWait);
    f->Core->queueCommand("P51?", CommandKind::Status);
    f->Core->Timer9->start();
    QTRY_VERIFY_WITH_TIMEOUT(f->Core->Timer10->isActive(), kWait);
    QTest::qWait(1500); // probes into nothing meanwhile

    // Plugged in again under another device, behind the same stable name.
    back.setBaud(38400);
    back.addDrive(1);
    QVERIFY(back.start());
    QVERIFY(back.makeLink(stable));
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Timer10->isActive(), kWait);
    QTRY_VERIFY_WITH_TIMEOUT(back.receivedCommands().contains("#1p1035=0\r"), kWait);
    QCOMPARE(f->Serial1->DevicePath(), stable);
    QCOMPARE(f->Label2->text(), QStringLiteral("COM1:38400 Baud - address "));
    f->Serial1->setActive(false); // before the new line goes
    qunsetenv("ZYNT_SERIAL_BY_ID");
}

QTEST_MAIN(TestTerminal)
#include "test_terminal.moc"
