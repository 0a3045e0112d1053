// SPDX-License-Identifier: GPL-3.0-or-later
// Whatever arrives on the line, the dispatcher neither crashes nor hangs, and
// the link works again once the user has confirmed what was shown and the
// supervision has recovered the link: the state is checked after each round.
#include "linkfixture.h"

#include "link/answerrules.h"
#include "program/window/tokbottomdlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTimer>

namespace {
constexpr int kWait = 20000;
}

class TestHostile : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void hostileStreams_data();
    void hostileStreams();
    void megabyteOfGarbage();
    void randomStreamsInRandomStates();

private:
    // The user confirms what is shown; the link watchdog (which a status
    // poll cycle would have armed) declares the link lost, the re-probe
    // restores it. Then the link must be as good as new.
    void recoverAsTheUserWould();
    void checkLinkRecovers();

    LinkFixture *fx = nullptr;
    TForm1 *f = nullptr;
    // A "pgm" under a probe is a drive in program entry: the user is asked,
    // and answers as offered.
    QTimer m_answer;
};

void TestHostile::init()
{
    fx = new LinkFixture;
    QVERIFY(fx->start());
    f = fx->form.get();
    fx->withoutStatusPoll(); // the watchdog is armed here as a poll cycle would arm it
    f->show();
    f->setEnabled(true);
    f->MemoRxD->show();
    f->TerminalOpen = true; // the terminal echo sees everything too
    f->Texte[1][74] = "keine Verbindung";
    f->Core->InterfaceDescription = "COM1:38400 Baud - address ";
    // Short supervision periods keep the rounds quick. The listing watchdog
    // is examined elsewhere: a fake listing head must not restart the
    // program in the middle of this test.
    f->Core->Timer9->setInterval(100);
    f->Core->Timer10->setInterval(50);
    f->Core->Timer11->setInterval(3600 * 1000);
    fx->drive->setSilent(true);
    m_answer.disconnect();
    connect(&m_answer, &QTimer::timeout, this, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            if (QAbstractButton *chosen = box->defaultButton())
                chosen->click();
            else
                box->done(QMessageBox::Ok);
        }
    });
    m_answer.start(20);
}

void TestHostile::cleanup()
{
    delete fx;
    fx = nullptr;
}

void TestHostile::recoverAsTheUserWould()
{
    QVERIFY(fx->drained(kWait));
    // An error line found at the end waits 10 ms for its dialog.
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Timer13->isActive(), kWait);
    if (f->OKBottomDlg->isVisible())
        f->OKBottomDlg->OKBtn->click();
    fx->drive->setSilent(false);
    // A drive that seemed to answer from program entry was offered, and the
    // offer answered: its choice is carried out first.
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->PendingCut && !f->Core->Owner.paused(line::Pause::CutWrite)
                                 && !f->Core->Owner.holds(line::Activity::Recovery)
                                 && !f->Core->Owner.holds(line::Activity::ProgramRead),
                             kWait);
    f->Core->Timer9->start();
    QTRY_VERIFY_WITH_TIMEOUT(f->Core->Timer10->isActive(), kWait);
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Timer10->isActive() && !f->Core->Queue.head(), kWait);

    QVERIFY(f->Core->ReceiveBuffer.isEmpty());
    QVERIFY(!f->Core->Owner.paused(line::Pause::DriveError));
    QVERIFY(!f->OKBottomDlg->isVisible());
    QVERIFY(f->isEnabled());
    QCOMPARE(f->Core->DriveConnected, uint8_t(1));
    QCOMPARE(f->Core->DriveAddress, QByteArray("1"));
    QCOMPARE(f->Label2->text(), QStringLiteral("COM1:38400 Baud - address "));
    QCOMPARE(f->Core->Queue.waitingCount(), 0);
    const QList<QByteArray> received = fx->drive->receivedCommands();
    QVERIFY(received.size() >= 2);
    QCOMPARE(received.last(), QByteArray("#1p1035=0\r")); // the re-probe's completion
    fx->drive->setSilent(true);
}

void TestHostile::checkLinkRecovers()
{
    recoverAsTheUserWould();
    fx->drive->setSilent(false);
    fx->drive->clearReceived();
    f->Core->Senden_Zeichensatz("#1s\r");
    f->Core->Senden_Zeichensatz("#1run\r");
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Queue.head(), kWait);
    QCOMPARE(fx->drive->receivedCommands(), (QList<QByteArray>{"#1s\r", "#1run\r"}));
    QVERIFY(f->Core->ReceiveBuffer.isEmpty());
}

void TestHostile::hostileStreams_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<bool>("inFlight");
    const QByteArray nul("\0\0#1s\0\r\0ok\0\n\r", 14);
    for (bool inFlight : {false, true}) {
        const char *state = inFlight ? "in flight" : "idle";
        QTest::addRow("NUL bytes, %s", state) << nul << inFlight;
        QTest::addRow("stars without return, %s", state) << QByteArray("#1s\r\n** kein Ende") << inFlight;
        QTest::addRow("half an ok, %s", state) << QByteArray("#1s\r\no") << inFlight;
        QTest::addRow("only stars, %s", state) << QByteArray("**") << inFlight;
        QTest::addRow("stars then return, %s", state) << QByteArray("**\r") << inFlight;
        QTest::addRow("return then stars, %s", state) << QByteArray("\r**") << inFlight;
        QTest::addRow("label error, %s", state) << QByteArray("** label\r") << inFlight;
        QTest::addRow("error then more, %s", state) << QByteArray("** eins\r** zwei\rnoch mehr\r") << inFlight;
        QTest::addRow("many oks, %s", state) << QByteArray("ok0\rok1\rok2\rok3\rok4\rok\r") << inFlight;
        QTest::addRow("high bytes, %s", state) << QByteArray("\xff\xfe\x80\x9f\xa0#1s\r") << inFlight;
        QTest::addRow("line feeds only, %s", state) << QByteArray(3000, '\n') << inFlight;
    }
}

void TestHostile::hostileStreams()
{
    QFETCH(QByteArray, stream);
    QFETCH(bool, inFlight);
    if (inFlight) {
        f->Core->queueCommand("V1", 4); // the kind that looks up program lines on error
        f->Core->queueCommand("P41=1", 7);
        QVERIFY(fx->commands(1, kWait));
    }
    fx->drive->setChunking(1, 4, 99); // the stream arrives in pieces of 1 to 4 bytes
    fx->say(stream);
    checkLinkRecovers();
}

void TestHostile::megabyteOfGarbage()
{
    QRandomGenerator rng(12345);
    QByteArray garbage(1 << 20, Qt::Uninitialized);
    for (char &c : garbage)
        c = char(rng.bounded(256));
    f->Core->queueCommand("s", 0);
    QVERIFY(fx->commands(1, kWait));
    fx->say(garbage);
    QVERIFY(fx->drained(kWait));
    QVERIFY(f->Core->ReceiveBuffer.size() <= answer::kReceiveBufferLimit);
    checkLinkRecovers();
}

void TestHostile::randomStreamsInRandomStates()
{
    // Pieces of real answers mixed with noise, in random chunks, while the
    // head's kind changes under them.
    QRandomGenerator rng(2024);
    const QList<QByteArray> pieces = {"#1", "s\r", "\n", "ok", "3", "\n\r", "**", "****", "\r", "pgm\r",
                                      "Version 1.0", "label", "quit\rok\r", "P265=1\r", QByteArray(1, '\0')};
    const uint8_t kinds[] = {0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
    for (int round = 0; round < 25; ++round) {
        if (rng.bounded(3) != 0) {
            f->Core->queueCommand("s", kinds[rng.bounded(int(std::size(kinds)))]);
            f->Core->queueCommand("run", kinds[rng.bounded(int(std::size(kinds)))]);
        }
        QByteArray stream;
        for (int i = 0, n = 1 + rng.bounded(30); i < n; ++i)
            stream += rng.bounded(5) == 0 ? QByteArray(1, char(rng.bounded(256))) : pieces[rng.bounded(pieces.size())];
        fx->drive->setChunking(1, 1 + rng.bounded(8), rng.generate());
        fx->say(stream);
        recoverAsTheUserWould();
        if (QTest::currentTestFailed())
            return;
    }
    checkLinkRecovers();
}

QTEST_MAIN(TestHostile)
#include "test_hostile.moc"
