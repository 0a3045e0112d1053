// Whatever arrives on the line, the dispatcher neither crashes nor hangs, and
// the link works again once the user has confirmed what was shown.
#include "linkfixture.h"

#include "program/tokbottomdlg.h"

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
    // Waits until everything sent has been taken in by the program.
    void drain(const QByteArray &marker);
    // Confirms whatever is shown and checks that a plain command is answered.
    void checkLinkRecovers();

    LinkFixture *fx = nullptr;
    TForm1 *f = nullptr;
};

void TestHostile::init()
{
    fx = new LinkFixture;
    QVERIFY(fx->start());
    f = fx->form.get();
    f->show();
    f->MemoRxD->show();
    f->TerminalOpen = true; // the terminal echo sees everything too
    fx->drive->setSilent(true);
}

void TestHostile::cleanup()
{
    delete fx;
    fx = nullptr;
}

void TestHostile::drain(const QByteArray &marker)
{
    // The marker is appended to the buffer only while a command is in flight;
    // otherwise the program discards it. Either way the device runs empty.
    fx->say(marker);
    QTRY_VERIFY_WITH_TIMEOUT(f->Serial1->InQueueCount() == 0, kWait);
    QTest::qWait(100);
    QTRY_VERIFY_WITH_TIMEOUT(f->Serial1->InQueueCount() == 0, kWait);
}

void TestHostile::checkLinkRecovers()
{
    QTest::qWait(50); // let a pending error display run
    f->clearQueue();  // what the stream left in flight is not to go out any more
    if (f->OKBottomDlg->isVisible())
        f->OKBottomDlg->OKBtn->click();
    f->Timer13->stop();
    f->DialogMessage = false;
    f->ReceiveBuffer.clear();
    f->setEnabled(true);
    QTest::qWait(200); // whatever was written before reaches the drive first
    fx->drive->setSilent(false);
    fx->drive->clearReceived();
    f->Senden_Zeichensatz("#1s\r");
    f->Senden_Zeichensatz("#1run\r");
    QTRY_VERIFY_WITH_TIMEOUT(!f->Queue.head(), kWait);
    QCOMPARE(fx->drive->receivedCommands(), (QList<QByteArray>{"#1s\r", "#1run\r"}));
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
        f->queueCommand("V1", 4); // the kind that looks up program lines on error
        f->queueCommand("P41=1", 7);
        QVERIFY(fx->commands(1, kWait));
    }
    fx->drive->setChunking(1, 4, 99);
    fx->say(stream);
    drain("x");
    checkLinkRecovers();
}

void TestHostile::megabyteOfGarbage()
{
    QRandomGenerator rng(12345);
    QByteArray garbage(1 << 20, Qt::Uninitialized);
    for (char &c : garbage)
        c = char(rng.bounded(256));
    f->queueCommand("s", 0);
    QVERIFY(fx->commands(1, kWait));
    fx->say(garbage);
    drain("y");
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
    for (int round = 0; round < 40; ++round) {
        if (rng.bounded(3) != 0 && !f->Queue.head()) {
            f->queueCommand("s", kinds[rng.bounded(int(std::size(kinds)))]);
            f->queueCommand("run", kinds[rng.bounded(int(std::size(kinds)))]);
        }
        QByteArray stream;
        for (int i = 0, n = 1 + rng.bounded(30); i < n; ++i)
            stream += rng.bounded(5) == 0 ? QByteArray(1, char(rng.bounded(256))) : pieces[rng.bounded(pieces.size())];
        fx->drive->setChunking(1, 1 + rng.bounded(8), rng.generate());
        fx->say(stream);
        drain(QByteArray());
        if (f->OKBottomDlg->isVisible())
            f->OKBottomDlg->OKBtn->click();
        f->DialogMessage = false;
        f->Timer13->stop();
    }
    checkLinkRecovers();
}

QTEST_MAIN(TestHostile)
#include "test_hostile.moc"
