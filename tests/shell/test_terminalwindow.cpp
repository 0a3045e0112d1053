// SPDX-License-Identifier: GPL-3.0-or-later
// The terminal's own window against a drive whose status poll runs: the
// line mode, its history, the views of the log and saving it.
#include "tests/manual/manualfixture.h"
#include "tests/shell/picture.h"

#include "shell/window/tterminalwindow.h"

#include <QCheckBox>
#include <QMenuBar>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>

class TestTerminalWindow : public QObject {
    Q_OBJECT
private slots:
    void lineModeSendsLinesAndWalksItsHistory();
    void hexViewShowsEveryByteBothWays();
};

void TestTerminalWindow::lineModeSendsLinesAndWalksItsHistory()
{
    ManualUi ui;
    QVERIFY(ui.start());
    TForm1 *f = ui.f;
    TTerminalWindow *t = f->Terminal;
    QMenuBar *bar = f->menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(f->Terminal1).center());
    QVERIFY(QTest::qWaitForWindowActive(t));
    QVERIFY(f->TerminalOpen);
    // Key by key is the mode it opens in.
    QVERIFY(t->MemoTxD->isVisible());
    QVERIFY(!t->LineInput->isVisible());
    t->LineMode->click();
    QVERIFY(!t->MemoTxD->isVisible());
    QVERIFY(t->LineInput->isVisible());

    // The focus in the line pauses the poll, as typing does.
    t->LineInput->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(f->Core->Owner.paused(line::Pause::TerminalTyping), ManualUi::kWait);
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Queue.head(), ManualUi::kWait);
    qsizetype from = ui.mark();
    // Edited where it is typed: nothing goes out before Enter.
    QTest::keyClicks(t->LineInput, QStringLiteral("#1P11X"));
    QTest::keyClick(t->LineInput, Qt::Key_Backspace);
    QTest::keyClicks(t->LineInput, QStringLiteral("?"));
    QTest::qWait(200);
    QCOMPARE(ui.sentSince(from).size(), 0);
    QTest::keyClick(t->LineInput, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(ui.sentSince(from), QList<QByteArray>({"#1P11?\r"}), ManualUi::kWait);
    QVERIFY(t->LineInput->text().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Queue.head(), ManualUi::kWait); // let go at once
    QTest::keyClicks(t->LineInput, QStringLiteral("x#1P12?"));
    QTest::keyClick(t->LineInput, Qt::Key_Home);
    QTest::keyClick(t->LineInput, Qt::Key_Delete);
    QTest::keyClick(t->LineInput, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(ui.sentSince(from), QList<QByteArray>({"#1P11?\r", "#1P12?\r"}), ManualUi::kWait);

    // Up and down walk the lines sent, and come back to the one being typed.
    QTest::keyClicks(t->LineInput, QStringLiteral("half"));
    const auto press = [&](Qt::Key key) {
        QTest::keyClick(t->LineInput, key);
        return t->LineInput->text();
    };
    QCOMPARE(press(Qt::Key_Up), QStringLiteral("#1P12?"));
    QCOMPARE(press(Qt::Key_Up), QStringLiteral("#1P11?"));
    QCOMPARE(press(Qt::Key_Up), QStringLiteral("#1P11?"));
    QCOMPARE(press(Qt::Key_Down), QStringLiteral("#1P12?"));
    QCOMPARE(press(Qt::Key_Down), QStringLiteral("half"));
    t->LineInput->clear();

    // Timestamps, and the poll hidden: its queries and answers go, what was
    // typed stays. The poll runs again once the focus leaves the line.
    t->Timestamps->click();
    t->HidePoll->click();
    t->Timestamps->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Owner.paused(line::Pause::TerminalTyping), ManualUi::kWait);
    QVERIFY(ui.cycles(2));
    const QString shown = t->MemoRxD->toPlainText();
    QVERIFY2(shown.contains(QStringLiteral("#1P11?")) && shown.contains(QStringLiteral("#1P12?")), qPrintable(shown));
    QVERIFY2(!shown.contains(QStringLiteral("P51?")) && !shown.contains(QStringLiteral("P1300")), qPrintable(shown));
    const QRegularExpression stamped(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d  "));
    for (const QString &line : shown.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        QVERIFY2(stamped.match(line).hasMatch(), qPrintable(line));
    t->resize(640, 420);
    QVERIFY(savePicture(t, "terminal-line-mode.png"));

    // The poll's lines were kept: shown again when the switch is off.
    t->HidePoll->click();
    QVERIFY(t->MemoRxD->toPlainText().contains(QStringLiteral("#1P51?")));
    t->HexView->click();
    QVERIFY(t->MemoRxD->toPlainText().contains(QStringLiteral("23 31 50 31 31 3F 0D"))); // "#1P11?\r"

    // The log saved as the view shows it, in the drive's code page with CRLF.
    t->HexView->click();
    t->HidePoll->click();
    const QString file = ui.fx.dir.filePath(QStringLiteral("terminal.txt"));
    f->AskFileName = [&](const FileDialogRequest &request) { return request.save ? file : QString(); };
    t->SaveLog->click();
    QFile saved(file);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    QVERIFY(bytes.contains("  #1P11?\r\n"));
    QVERIFY(!bytes.contains("P51?"));
    QVERIFY(!bytes.contains("\n\n") && bytes.endsWith("\r\n"));

    // Closing the window closes the terminal, as its button does.
    t->close();
    QVERIFY(!f->TerminalOpen);
    QVERIFY(f->MemoRxD->isHidden());
}

void TestTerminalWindow::hexViewShowsEveryByteBothWays()
{
    ManualUi ui;
    QVERIFY(ui.start());
    TForm1 *f = ui.f;
    TTerminalWindow *t = f->Terminal;
    f->Terminal1Click();
    QVERIFY(QTest::qWaitForWindowActive(t));
    t->LineMode->click();
    t->HexView->click();
    t->LineInput->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(f->Core->Owner.paused(line::Pause::TerminalTyping), ManualUi::kWait);
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Queue.head(), ManualUi::kWait);
    const qsizetype from = ui.mark();
    QTest::keyClicks(t->LineInput, QStringLiteral("#1P11?"));
    QTest::keyClick(t->LineInput, Qt::Key_Return);
    QVERIFY(ui.receivedSince(from, "#1P11?\r"));
    // What went out is marked as the PC's; the drive's echo is its own, and
    // keeps the line feed the drive sends after it.
    const QString sent = QStringLiteral("PC    23 31 50 31 31 3F 0D ");
    const QString echo = QStringLiteral("ZYNT  23 31 50 31 31 3F 0D 0A ");
    QTRY_VERIFY_WITH_TIMEOUT(t->MemoRxD->toPlainText().contains(QStringLiteral(" 50 31 31 3D ")), ManualUi::kWait);
    const QString shown = t->MemoRxD->toPlainText();
    QVERIFY2(shown.indexOf(sent) >= 0 && shown.indexOf(sent) < shown.indexOf(echo), qPrintable(shown));
    QVERIFY2(shown.contains(QStringLiteral("  #1P11?..")), qPrintable(shown));
    // Every line feed of the drive's stands in the view.
    int feeds = 0;
    for (const terminal::Line &line : t->log().lines())
        feeds += line.sent ? 0 : int(line.bytes.count('\n'));
    QVERIFY(feeds > 0);
    QVERIFY2(shown.count(QStringLiteral(" 0A")) >= feeds, qPrintable(shown));
    t->resize(640, 420);
    QVERIFY(savePicture(t, "terminal-hex.png"));
}

QTEST_MAIN(TestTerminalWindow)
#include "test_terminalwindow.moc"
