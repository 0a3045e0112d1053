// SPDX-License-Identifier: GPL-3.0-or-later
// A healthy drive on a slow line: a minute of status polling at 1200 baud,
// with the line's byte time emulated, and the link is never declared lost.
#include "tests/shell/shellfixture.h"

#include <QLabel>

class TestSlowLine : public QObject {
    Q_OBJECT
private slots:
    void pollAt1200BaudKeepsTheLink();
};

void TestSlowLine::pollAt1200BaudKeepsTheLink()
{
    ShellFixture fx;
    auto drive = [](sim::SimLine &line) {
        line.setBaud(1200);
        line.addDrive(1);
        line.setLineEmulation(true);
    };
    QVERIFY(fx.start(drive, {}, ShellFixture::settings(1, 1200, "1", "1")));
    TForm1 &f = *fx.form;
    f.Timer12->stop(); // the listing would take its own minute at this rate
    QVERIFY(ShellFixture::commands(*fx.com1, 6, 30000)); // the connect sequence
    QTRY_VERIFY_WITH_TIMEOUT(!f.Core->Queue.head(), 30000);
    f.Core->Timer3->start();

    // A cycle of every query and its answer takes about two seconds here.
    QElapsedTimer clock;
    clock.start();
    int losses = 0;
    bool wasLost = false;
    while (clock.elapsed() < 60000) {
        const bool lost = f.Core->Timer10->isActive();
        if (lost && !wasLost)
            ++losses;
        wasLost = lost;
        QTest::qWait(20);
    }
    QCOMPARE(losses, 0);
    // No bare probe went out but the connection's own: the drive was never
    // looked for again.
    QCOMPARE(fx.com1->receivedCommands().count("#1\r"), 1);
    // And the poll did run all the while.
    QVERIFY(fx.com1->receivedCommands().count("#P1300?\r") >= 15);
    QCOMPARE(f.Label2->text(), QStringLiteral("COM1:1200 Baud - address "));
}

QTEST_MAIN(TestSlowLine)
#include "test_slowline.moc"
