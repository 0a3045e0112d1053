// SPDX-License-Identifier: GPL-3.0-or-later
// The queue and the receive dispatcher against the simulated drive on a
// pseudo-terminal: what goes out when, and how each answer is recognised.
#include "linkfixture.h"

#include "program/window/tokbottomdlg.h"

#include "link/answerrules.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

namespace {
constexpr int kWait = 5000; // ms; generous, never a measure of speed

// Lets the event loop run for a while, for checks that something did NOT happen.
void settle(int ms = 300)
{
    QTest::qWait(ms);
}
} // namespace

class TestDispatcher : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void firstCommandGoesOutAtOnce();
    void laterCommandsWaitForTheAnswer();
    void connectSequenceGoesOutOneByOne();
    void statusDigitAnswerReleases();
    void answerSplitInsideOk();
    void answerInRandomChunks();
    void kindFourBecomingHeadStartsTimer7();
    void kindSevenExactCompletesWriteBack();
    void kindSevenWithStrayTextOnlyReleases();
    void kindEightMarksDriveConnected();
    void kindElevenRestoresLink();
    void kindNineteenEndsProgramWrite();
    void dataAnswersAreRoutedAndReleased();
    void everyKindAnsweredInChunks();
    void textWithoutCommandIsDiscarded();
    void keystrokeReleasedByTerminalRule();
    void starsInListingAreNoError();
    void driveErrorNamesProgramLine();
    void driveErrorWithLabelEndsProgramWrite();
    void driveErrorCompletedInPieces();
    void masterModeRelays();
    void terminalEchoClearing();
    void driveErrorShownOnceWhateverFollows();
    void megabytesOfNoiseInFlight();
    void endlessListingEndsAsItsWatchdogWould();

private:
    LinkFixture *fx = nullptr;
    TForm1 *f = nullptr;
};

void TestDispatcher::init()
{
    fx = new LinkFixture;
    const QByteArray test = QTest::currentTestFunction();
    auto prepare = [test](sim::SimLine &line) {
        if (test == "answerInRandomChunks")
            line.addDrive(1).statusDigit = 2;
        line.addDrive(1).values["P51"] = "1234";
    };
    QVERIFY2(fx->start(prepare), "could not open COM1 on the simulated drive's line");
    f = fx->form.get();
    fx->withoutStatusPoll(); // only the commands each test queues go out
    f->Texte[1][73] = "Fehler in Zeile ";
    f->Texte[1][191] = "Meldung der ZYNT";
}

void TestDispatcher::cleanup()
{
    delete fx;
    fx = nullptr;
    f = nullptr;
}

void TestDispatcher::firstCommandGoesOutAtOnce()
{
    fx->drive->setSilent(true);
    f->Core->Senden_Zeichensatz("#1s\r");
    QVERIFY(fx->commands(1, kWait));
    QCOMPARE(fx->drive->receivedCommands().value(0), QByteArray("#1s\r"));
    QCOMPARE(f->Label14->text(), QStringLiteral("0")); // not shown for the head
    QCOMPARE(f->Core->Queue.waitingCount(), 0);
}

void TestDispatcher::laterCommandsWaitForTheAnswer()
{
    fx->drive->setSilent(true);
    f->Core->Senden_Zeichensatz("#1s\r");
    f->Core->Senden_Zeichensatz("#1run\r");
    QCOMPARE(f->Core->Queue.waitingCount(), 1);
    QCOMPARE(f->Label14->text(), QStringLiteral("1"));
    f->Core->Senden_Zeichensatz("#1psave\r");
    QCOMPARE(f->Label14->text(), QStringLiteral("2"));
    QVERIFY(fx->commands(1, kWait));
    settle();
    QCOMPARE(fx->drive->receivedCommands().size(), 1); // only the head is on the line

    fx->say("#1s\r\nok\n\r");
    QVERIFY(fx->commands(2, kWait));
    QCOMPARE(fx->drive->receivedCommands().value(1), QByteArray("#1run\r"));
    QCOMPARE(f->Core->Queue.waitingCount(), 1);
    QCOMPARE(f->Label14->text(), QStringLiteral("2")); // not shown again on release
}

void TestDispatcher::connectSequenceGoesOutOneByOne()
{
    const QList<QByteArray> commands = {"#1quit\r", "#1P1028=8\r", "#1p1035=0\r", "#1p1716=58120394\r"};
    for (const QByteArray &c : commands)
        f->Core->Senden_Zeichensatz(c);
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Queue.head(), kWait);
    QCOMPARE(fx->drive->receivedCommands(), commands);
    QVERIFY(!f->Core->Queue.tail());
    QVERIFY(f->Core->ReceiveBuffer.isEmpty());
}

void TestDispatcher::statusDigitAnswerReleases()
{
    fx->drive->setSilent(true);
    f->Core->Senden_Zeichensatz("#1s\r");
    f->Core->Senden_Zeichensatz("#1run\r");
    QVERIFY(fx->commands(1, kWait));
    fx->say("#1s\r\nok3\n\r");
    QVERIFY(fx->commands(2, kWait));
    QVERIFY(f->Core->ReceiveBuffer.isEmpty());
    QCOMPARE(f->Core->Queue.head()->Text, QByteArray("#1run\r"));
}

void TestDispatcher::answerSplitInsideOk()
{
    fx->drive->setSilent(true);
    f->Core->Senden_Zeichensatz("#1s\r");
    f->Core->Senden_Zeichensatz("#1run\r");
    QVERIFY(fx->commands(1, kWait));
    fx->say("#1s\r\no");
    QTRY_COMPARE_WITH_TIMEOUT(f->Core->ReceiveBuffer, QByteArray("#1s\ro"), kWait);
    settle();
    QCOMPARE(f->Core->Queue.head()->Text, QByteArray("#1s\r")); // nothing happens yet
    fx->say("k3\n\r");
    QVERIFY(fx->commands(2, kWait));
    QCOMPARE(f->Core->Queue.head()->Text, QByteArray("#1run\r"));
}

void TestDispatcher::answerInRandomChunks()
{
    fx->drive->setChunking(1, 3, 4711);
    QList<QByteArray> sent;
    for (int i = 0; i < 30; ++i) {
        sent << "#1P" + QByteArray::number(100 + i) + "=" + QByteArray::number(i) + "\r";
        f->Core->Senden_Zeichensatz(sent.last());
    }
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Queue.head(), 20000);
    QCOMPARE(fx->drive->receivedCommands(), sent);
}

void TestDispatcher::kindFourBecomingHeadStartsTimer7()
{
    fx->drive->setSilent(true);
    // Queued into an empty queue it is sent before its kind is set: no Timer7.
    f->Core->queueCommand("new", 4);
    QVERIFY(!f->Core->Timer7->isActive());
    QVERIFY(f->Core->Owner.begin(line::Activity::ProgramWrite));
    f->Core->Timer9->start();
    f->Core->queueCommand("V100", 4);
    QVERIFY(fx->commands(1, kWait));
    fx->say("#1new\r\nok\n\r");
    QTRY_VERIFY_WITH_TIMEOUT(f->Core->Timer7->isActive(), kWait);
    QVERIFY(!f->Core->Timer9->isActive()); // the status watchdog rests during a program write
    QVERIFY(fx->commands(2, kWait));
    // "pgm" ends a program line and stops its watchdog.
    fx->say("#1V100\r\npgm\n\r");
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Queue.head(), kWait);
    QVERIFY(!f->Core->Timer7->isActive());
}

void TestDispatcher::kindSevenExactCompletesWriteBack()
{
    // The drive starts its listing but does not finish it, so that the
    // re-read is seen while it runs.
    fx->drive->addCommand([](sim::Drive &, const QByteArray &command) -> std::optional<QByteArray> {
        if (command == "listp")
            return QByteArray("\n\r\nP0=1\r");
        return std::nullopt;
    });
    f->Core->DriveConnected = 1;
    f->Label4->show();
    f->Label8->show();
    f->Timer2->start();
    QVERIFY(f->Core->Owner.begin(line::Activity::WriteBack));
    QVERIFY(!f->isEnabled());
    f->Core->queueCommand("P41=5", 7);
    // The re-read of the parameters follows on the line.
    QVERIFY(fx->commands(4, kWait));
    const auto got = fx->drive->receivedCommands();
    QCOMPARE(got.value(0), QByteArray("#1P41=5\r"));
    QCOMPARE(got.value(1), QByteArray("#1TROFF\r"));
    QCOMPARE(got.value(2), QByteArray("#1p1028=8\r"));
    QCOMPARE(got.value(3), QByteArray("#1listp\r"));
    QVERIFY(fx->drained(kWait));
    QVERIFY(f->Label8->isHidden());
    QVERIFY(f->Label4->isHidden());
    QVERIFY(!f->Timer2->isActive());
    // The re-read is under way: the listing watchdog runs, the poll waits for it.
    QVERIFY(f->Core->Timer11->isActive());
    QVERIFY(!f->Core->Timer3->isActive());
    QVERIFY(!f->Core->Owner.holds(line::Activity::ProgramWrite));
}

void TestDispatcher::kindSevenWithStrayTextOnlyReleases()
{
    fx->drive->setSilent(true);
    f->Core->DriveConnected = 1;
    f->Label8->show();
    f->Core->queueCommand("P41=5", 7);
    QVERIFY(fx->commands(1, kWait));
    fx->say("xx#1P41=5\r\nok\n\r");
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Queue.head(), kWait);
    settle();
    QVERIFY(!f->Label8->isHidden());                 // the write-back is not completed
    QCOMPARE(fx->drive->receivedCommands().size(), 1); // and nothing is re-read
}

void TestDispatcher::kindEightMarksDriveConnected()
{
    f->Core->DriveAddress = "1";
    f->Core->Timer8->start();
    f->Core->queueCommand(QByteArray(), 8);
    f->Core->Queue.setWaitingCount(3);
    QTRY_VERIFY_WITH_TIMEOUT(f->Core->DriveConnected == 1, kWait);
    QCOMPARE(f->Label6->text(), QStringLiteral("1"));
    QCOMPARE(f->Core->Queue.waitingCount(), 0);
    QVERIFY(!f->Core->Timer8->isActive());
    QVERIFY(f->Core->Timer3->isActive());
}

void TestDispatcher::kindElevenRestoresLink()
{
    f->Core->PreviousAddress = "1";
    f->Core->DriveAddress = "7";
    f->Core->InterfaceDescription = "COM1:38400 Baud - address ";
    f->Label2->setText(QStringLiteral("lost"));
    f->Button11->show();
    f->Core->Timer10->start();
    f->Core->Senden_Zeichensatz("#1\r");
    f->Core->Queue.lastQueued()->Kind = 11;
    QVERIFY(fx->commands(2, kWait));
    QCOMPARE(fx->drive->receivedCommands().value(1), QByteArray("#1p1035=0\r"));
    QCOMPARE(f->Core->DriveConnected, uint8_t(1));
    QCOMPARE(f->Core->DriveAddress, QByteArray("1"));
    QCOMPARE(f->Label2->text(), QStringLiteral("COM1:38400 Baud - address "));
    QCOMPARE(f->Label6->text(), QStringLiteral("1"));
    QCOMPARE(f->Core->FoundAddresses[0], 1);
    QVERIFY(f->Button11->isHidden());
    QVERIFY(!f->Core->Timer10->isActive());
}

void TestDispatcher::kindNineteenEndsProgramWrite()
{
    f->Label4->show();
    QVERIFY(f->Core->Owner.begin(line::Activity::ProgramWrite));
    f->Core->Timer7->start();
    f->Core->queueCommand("quit", 19);
    QTRY_VERIFY_WITH_TIMEOUT(f->Label4->isHidden(), kWait);
    QVERIFY(!f->Core->Timer7->isActive());
    QVERIFY(!f->Core->Owner.holds(line::Activity::ProgramWrite));
    QVERIFY(f->Core->Timer3->isActive());
    QVERIFY(!f->Core->Queue.head());
}

void TestDispatcher::dataAnswersAreRoutedAndReleased()
{
    // Value answers: the drive's text sits between echo and "ok", so only the
    // handler of the kind can let the command go.
    f->Core->queueCommand("P265?", 9);
    f->Core->queueCommand("ver", 15);
    f->Core->queueCommand("P51?", 5);
    f->Core->queueCommand("s", 0);
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Queue.head(), kWait);
    QCOMPARE(fx->drive->receivedCommands().size(), 4);
}

void TestDispatcher::everyKindAnsweredInChunks()
{
    // Each answer arrives in pieces of one to three bytes; every rule must
    // wait for the whole answer and then move on exactly once.
    fx->drive->setChunking(1, 3, 77);
    const QList<std::pair<QByteArray, int>> sequence = {
        {"", 8}, {"P265?", 9}, {"ver", 15}, {"P51?", 5}, {"O1?", 6}, {"O2?", 10},
        {"quit", 13}, {"new", 4}, {"V=5", 4}, {"quit", 19}, {"P41=5", 0}, {"s", 1}};
    QList<QByteArray> expected;
    f->Label4->show();
    QVERIFY(f->Core->Owner.begin(line::Activity::ProgramWrite)); // for the end of kind 19
    for (const auto &[command, kind] : sequence) {
        f->Core->queueCommand(command, uint8_t(kind));
        expected << "#1" + command + "\r";
    }
    // The output answers switch their output: that goes out last.
    expected << "#1O1=1\r" << "#1O2=1\r";
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Queue.head() && fx->drive->receivedCommands().size() == expected.size(), 20000);
    QCOMPARE(fx->drive->receivedCommands(), expected);
    QCOMPARE(f->Core->DriveConnected, uint8_t(1));       // kind 8 completed
    QCOMPARE(f->Label6->text(), QStringLiteral("1"));
    QVERIFY(f->Label4->isHidden());                // kind 19 completed
    QVERIFY(!f->OKBottomDlg->isVisible());
    QVERIFY(f->Core->ReceiveBuffer.isEmpty());
}

void TestDispatcher::textWithoutCommandIsDiscarded()
{
    fx->say("#1s\r\nok\n\r");
    QVERIFY(fx->drained(kWait));
    QVERIFY(f->Core->ReceiveBuffer.isEmpty());
    // But an unconfirmed error is kept for its dialog.
    fx->say("** Fehler\r");
    QTRY_VERIFY_WITH_TIMEOUT(f->OKBottomDlg->isVisible(), kWait);
    QCOMPARE(f->Core->ReceiveBuffer, QByteArray("** Fehler"));
}

void TestDispatcher::keystrokeReleasedByTerminalRule()
{
    fx->drive->setSilent(true);
    f->Core->Senden_Zeichensatz("a");
    f->Core->Queue.lastQueued()->Kind = 1;
    f->Core->Senden_Zeichensatz("#1s\r");
    settle();
    QCOMPARE(fx->drive->receivedCommands().size(), 0); // the keystroke is in flight
    fx->say("a");
    QVERIFY(fx->commands(1, kWait)); // "a" released, "#1s\r" goes out
    QCOMPARE(fx->drive->receivedCommands().value(0), QByteArray("#1s\r"));
}

void TestDispatcher::starsInListingAreNoError()
{
    fx->drive->setSilent(true);
    f->Core->queueCommand("s", 0);
    QVERIFY(fx->commands(1, kWait));
    fx->say("#1s\r\n**** Liste ****\r");
    QVERIFY(fx->drained(kWait));
    QVERIFY(!f->Core->Timer13->isActive());
    QVERIFY(!f->Core->Owner.paused(line::Pause::DriveError));
    QCOMPARE(f->Core->ReceiveBuffer, QByteArray("#1s\r**** Liste ****\r"));
}

void TestDispatcher::driveErrorNamesProgramLine()
{
    fx->drive->setSilent(true);
    f->Program[12] = "V100";
    f->showProgram();
    QVERIFY(f->Core->Owner.begin(line::Activity::ProgramWrite));
    f->Core->Timer9->start();
    f->Core->queueCommand("V100", 4);
    f->Core->queueCommand("V200", 4);
    QVERIFY(fx->commands(1, kWait));
    fx->say("#1V100\r\n** Wert zu gross\r");
    QTRY_VERIFY_WITH_TIMEOUT(f->OKBottomDlg->isVisible(), kWait);
    const QByteArray expected = "** Wert zu gross\r\r\rFehler in Zeile 12\r\"V100\"";
    QCOMPARE(f->Core->ReceiveBuffer, expected);
    QVERIFY(f->Core->Owner.paused(line::Pause::DriveError));
    QVERIFY(!f->Core->Timer9->isActive());
    QVERIFY(!f->isEnabled());
    QCOMPARE(f->OKBottomDlg->windowTitle(), QStringLiteral("Meldung der ZYNT"));
    QVERIFY(f->OKBottomDlg->CancelBtn->isHidden());
    QCOMPARE(f->OKBottomDlg->OKBtn->x(), 129);
    // The queue stands at the failing line until the user confirms.
    settle();
    QCOMPARE(fx->drive->receivedCommands().size(), 1);
    f->OKBottomDlg->OKBtn->click();
    QVERIFY(fx->commands(2, kWait));
    QCOMPARE(fx->drive->receivedCommands().value(1), QByteArray("#1V200\r"));
    QVERIFY(!f->Core->Owner.paused(line::Pause::DriveError));
    QVERIFY(f->isEnabled());
    QVERIFY(f->OKBottomDlg->isHidden());
    QCOMPARE(f->OKBottomDlg->OKBtn->x(), 79);
}

void TestDispatcher::driveErrorWithLabelEndsProgramWrite()
{
    fx->drive->setSilent(true);
    QVERIFY(f->Core->Owner.begin(line::Activity::ProgramWrite));
    f->Label4->show();
    f->Core->queueCommand("GOTO label9", 4);
    QVERIFY(fx->commands(1, kWait));
    fx->say("#1GOTO label9\r\n** label fehlt\r");
    QTRY_VERIFY_WITH_TIMEOUT(f->OKBottomDlg->isVisible(), kWait);
    QCOMPARE(f->Core->ReceiveBuffer, QByteArray("** label fehlt")); // only the drive's text
    QVERIFY(!f->Core->Owner.holds(line::Activity::ProgramWrite));
    QVERIFY(f->Label4->isHidden());
    // The poll goes on once the user has confirmed the error.
    QVERIFY(!f->Core->Timer3->isActive());
    f->OKBottomDlg->OKBtn->click();
    QVERIFY(f->Core->Timer3->isActive());
    QVERIFY(f->isEnabled());
}

void TestDispatcher::driveErrorCompletedInPieces()
{
    fx->drive->setSilent(true);
    f->Core->queueCommand("P41=99999", 7);
    QVERIFY(fx->commands(1, kWait));
    fx->say("#1P41=99999\r\n** Wert");
    QTRY_COMPARE_WITH_TIMEOUT(f->Core->ReceiveBuffer, QByteArray("** Wert"), kWait);
    settle();
    QVERIFY(!f->Core->Timer13->isActive()); // the line is not complete yet
    QVERIFY(!f->OKBottomDlg->isVisible());
    fx->say(" ungueltig\r");
    QTRY_VERIFY_WITH_TIMEOUT(f->OKBottomDlg->isVisible(), kWait);
    // A parameter write is looked up like a program line: not found, row 299.
    QCOMPARE(f->Core->ReceiveBuffer, QByteArray("** Wert ungueltig\r\r\rFehler in Zeile 299\r\"\""));
}

void TestDispatcher::masterModeRelays()
{
    f->show();
    f->MemoRxD->show();
    fx->drive->setSilent(true); // a drive answering its own relayed text would never stop
    QVERIFY(f->Core->Owner.begin(line::Activity::Master));
    f->Core->Senden_Zeichensatz("#1s\r"); // a queued command is left alone by the relay
    QVERIFY(fx->commands(1, kWait));
    fx->drive->clearReceived();
    fx->say("#0R");
    QTRY_VERIFY_WITH_TIMEOUT(f->memoRxDText().contains("#0R"), kWait);
    fx->say("#5s\r");
    QVERIFY(fx->commands(1, kWait));
    // "#0R" was shown but not written back; the rest went back unchanged.
    QCOMPARE(fx->drive->receivedCommands(), QList<QByteArray>{"#5s\r"});
    QVERIFY(f->Core->ReceiveBuffer.isEmpty());
    QVERIFY(f->Core->Queue.head()); // the queue is not touched
}

void TestDispatcher::terminalEchoClearing()
{
    f->show();
    f->MemoRxD->clear(); // its design lines
    f->MemoRxD->show();
    f->TerminalOpen = true;
    const QByteArray line(99, 'x');
    // Queue empty: the memo may grow to 500 characters before it is cleared.
    for (int i = 0; i < 5; ++i) {
        fx->say(line + "\r");
        QTRY_COMPARE_WITH_TIMEOUT(f->memoRxDText().size(), qsizetype(100 * (i + 1)), kWait);
    }
    fx->say("y\r");
    QTRY_COMPARE_WITH_TIMEOUT(f->memoRxDText().size(), qsizetype(502), kWait);
    fx->say("z\r");
    QTRY_COMPARE_WITH_TIMEOUT(f->memoRxDText(), QByteArray("z\n"), kWait);
    // With a command in flight the limit is 200.
    fx->drive->setSilent(true);
    f->Core->Senden_Zeichensatz("#1s\r");
    QVERIFY(fx->commands(1, kWait));
    fx->say(QByteArray(190, 'w'));
    QTRY_COMPARE_WITH_TIMEOUT(f->memoRxDText().size(), qsizetype(192), kWait);
    fx->say(QByteArray(10, 'u'));
    QTRY_COMPARE_WITH_TIMEOUT(f->memoRxDText().size(), qsizetype(202), kWait);
    fx->say("v");
    QTRY_COMPARE_WITH_TIMEOUT(f->memoRxDText(), QByteArray("v"), kWait);
}

void TestDispatcher::driveErrorShownOnceWhateverFollows()
{
    fx->drive->setSilent(true);
    f->Core->queueCommand("V100", 4);
    f->Core->queueCommand("s", 0);
    QVERIFY(fx->commands(1, kWait));
    fx->say("#1V100\r\n** Syntaxfehler\r");
    QTRY_VERIFY_WITH_TIMEOUT(f->OKBottomDlg->isVisible(), kWait);
    const QString shown = f->OKBottomDlg->Label1->text();
    const QByteArray message = f->Core->ReceiveBuffer;
    // More text while the message is up: it neither grows the message nor
    // raises the dialog again.
    int shows = 0;
    connect(f->Core->Timer13, &QTimer::timeout, this, [&shows] { ++shows; });
    fx->say("\n** noch ein Fehler\r\nok\n\r** und noch einer\r");
    QVERIFY(fx->drained(kWait));
    settle(100);
    QCOMPARE(shows, 0);
    QCOMPARE(f->OKBottomDlg->Label1->text(), shown);
    QCOMPARE(f->Core->ReceiveBuffer, message);
    QCOMPARE(fx->drive->receivedCommands().size(), 1);
    // The confirmation lets the failing line go; the link carries on.
    fx->drive->setSilent(false);
    f->OKBottomDlg->OKBtn->click();
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Queue.head(), kWait);
    QCOMPARE(fx->drive->receivedCommands().value(1), QByteArray("#1s\r"));
    QVERIFY(!f->OKBottomDlg->isVisible());
}

void TestDispatcher::megabytesOfNoiseInFlight()
{
    // A command whose answer never comes while the line keeps talking: the
    // buffer stays bounded and the window keeps being served.
    fx->drive->setSilent(true);
    f->Core->queueCommand("s", 0);
    QVERIFY(fx->commands(1, kWait));
    QByteArray noise;
    noise.reserve(4 << 20);
    QRandomGenerator rng(31);
    const char alphabet[] = "abcdefghijlmnopqrstuvwxyz0123456789=#?\r"; // no "k": never an "ok"
    while (noise.size() < (4 << 20))
        noise += alphabet[rng.bounded(int(sizeof alphabet) - 1)];
    qsizetype largest = 0;
    qint64 longestGap = 0;
    QElapsedTimer sinceTick;
    sinceTick.start();
    QTimer probe;
    connect(&probe, &QTimer::timeout, this, [&] {
        largest = std::max(largest, f->Core->ReceiveBuffer.size());
        longestGap = std::max(longestGap, sinceTick.restart());
    });
    probe.start(10);
    fx->say(noise);
    QVERIFY(fx->drained(120000));
    probe.stop();
    QVERIFY(largest <= answer::kReceiveBufferLimit);
    QVERIFY(f->Core->ReceiveBuffer.size() <= answer::kReceiveBufferLimit);
    QVERIFY(f->Core->Queue.head()); // the noise answered nothing
    // Generous: only a stall of seconds would mean the handler bogs down.
    QVERIFY2(longestGap < 3000, qPrintable(QString::number(longestGap)));
    // What arrives after the noise is still understood.
    fx->say("#1s\r\nok\n\r");
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Queue.head(), kWait);
}

void TestDispatcher::endlessListingEndsAsItsWatchdogWould()
{
    // A drive that keeps sending without ever ending its listing: the
    // listing watchdog is restarted by every piece, so without a bound the
    // window would stay locked for ever.
    fx->drive->setSilent(true);
    f->Texte[1][146] = "Parameterliste nicht empfangen";
    f->Core->FirstListingTimeout = false;
    f->Core->DriveConnected = 1;
    QVERIFY(f->Core->Owner.begin(line::Activity::Listing));
    QVERIFY(!f->isEnabled());
    f->Button11->hide();
    f->Core->queueCommand("listp", 14);
    f->Core->queueCommand("ver", 15);
    f->Core->Timer11->start();
    QVERIFY(fx->commands(1, kWait));
    QStringList boxes;
    QTimer answerBoxes;
    connect(&answerBoxes, &QTimer::timeout, this, [&boxes] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            boxes << box->text();
            box->accept();
        }
    });
    answerBoxes.start(20);
    const QByteArray line = "P1=2abcdefghijklmnopqrstuvwxyz\r";
    QByteArray stream;
    while (stream.size() < 2 * answer::kReceiveBufferLimit)
        stream += line;
    fx->say(stream);
    QVERIFY(fx->drained(kWait));
    QTRY_VERIFY_WITH_TIMEOUT(boxes.size() == 1, kWait);
    QCOMPARE(boxes.value(0), QStringLiteral("Parameterliste nicht empfangen"));
    QVERIFY(f->isEnabled());
    QVERIFY(!f->Core->Timer11->isActive());
    QVERIFY(!f->Button11->isHidden());
    QVERIFY(!f->Core->Queue.head()); // nothing more goes out into the noise
    // More of the same is thrown away at once: no further message.
    fx->say(stream);
    QVERIFY(fx->drained(kWait));
    settle(100);
    QCOMPARE(boxes.size(), 1);
    QVERIFY(f->Core->ReceiveBuffer.isEmpty());
    QCOMPARE(fx->drive->receivedCommands().size(), 1);
}

QTEST_MAIN(TestDispatcher)
#include "test_dispatcher.moc"
