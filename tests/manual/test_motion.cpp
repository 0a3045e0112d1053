// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated axis on a clock of the test's own: jogging, positioning,
// reference travel, stop, ON/OFF and the status values it reports.
#include "sim/motion.h"

#include <QtTest>

using namespace std::chrono_literals;
using sim::Motion;

namespace {

const QByteArray kAck = "\nok\n\r";

struct Axis {
    Motion motion;
    Motion::Values values {{"P1019", "100"}, {"P1020", "1000"}, {"P41", "500"}, {"V", "200"}, {"W", "0"},
                           {"P11", "0"},     {"P12", "0"}};
    Motion::Clock::time_point t0 = Motion::Clock::time_point(100s);

    Motion::Clock::time_point at(std::chrono::milliseconds ms) const { return t0 + ms; }

    std::optional<QByteArray> send(const QByteArray &command, std::chrono::milliseconds ms)
    {
        return motion.command(command, kAck, values, at(ms));
    }

    // The values a query at ms would report.
    QByteArray value(const char *name, std::chrono::milliseconds ms)
    {
        motion.update(values, at(ms));
        return values[name];
    }
};

} // namespace

class TestMotion : public QObject {
    Q_OBJECT
private slots:
    void ownedCommands_data();
    void ownedCommands();
    void standingAtStart();
    void jogging_data();
    void jogging();
    void travelDistance();
    void travelLeftAndZeroDistance();
    void referenceTravel();
    void offStopsAndBlocks();
    void errorWordHoldsTheAxis();
    void zeroingPosition();
    void driveStateAnswer();
    void analogueWanders();
    void referenceSwitchInput();
    void nonPositiveSpeedTakesDefault();
};

void TestMotion::ownedCommands_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<bool>("owned");
    for (const char *word : {"ON", "OFF", "ls", "rs", "lf", "rf", "h", "e", "s", "on", "LS", "P51=0", "p51=-7"})
        QTest::newRow(word) << QByteArray(word) << true;
    for (const char *word : {"run", "P11=0", "P12=0", "O1=1", "w=100", "P51?", "P51=x", "list", "ver", ""})
        QTest::newRow(*word ? word : "empty") << QByteArray(word) << false;
}

void TestMotion::ownedCommands()
{
    QFETCH(QByteArray, command);
    QFETCH(bool, owned);
    Axis axis;
    const auto answer = axis.send(command, 0ms);
    QCOMPARE(answer.has_value(), owned);
    if (owned)
        QCOMPARE(*answer, kAck);
}

void TestMotion::standingAtStart()
{
    Axis axis;
    QCOMPARE(axis.value("P51", 0ms), QByteArray("0"));
    QCOMPARE(axis.values["P336"], QByteArray("1"));
    QCOMPARE(axis.values["P134"], QByteArray("OFF"));
    QVERIFY(!axis.motion.isOn());
}

void TestMotion::jogging_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("after1500ms");
    // Slow 100/s from P1019, fast 1000/s from P1020; left decreases.
    QTest::newRow("ls") << QByteArray("ls") << -150;
    QTest::newRow("rs") << QByteArray("rs") << 150;
    QTest::newRow("lf") << QByteArray("lf") << -1500;
    QTest::newRow("rf") << QByteArray("rf") << 1500;
}

void TestMotion::jogging()
{
    QFETCH(QByteArray, command);
    QFETCH(int, after1500ms);
    Axis axis;
    axis.send("ON", 0ms);
    axis.send(command, 1000ms);
    QCOMPARE(axis.value("P51", 1000ms), QByteArray("0"));
    QCOMPARE(axis.value("P51", 2500ms), QByteArray::number(after1500ms));
    QCOMPARE(axis.values["P336"], QByteArray("0"));
    // Jogging goes on until "s".
    QCOMPARE(axis.value("P51", 4000ms), QByteArray::number(after1500ms * 2));
    axis.send("s", 4000ms);
    QCOMPARE(axis.value("P51", 9000ms), QByteArray::number(after1500ms * 2));
    QCOMPARE(axis.values["P336"], QByteArray("1"));
    // The same stop, asked for by another part of the drive.
    axis.send(command, 9000ms);
    axis.motion.stop(axis.values, axis.at(10000ms));
    QCOMPARE(axis.value("P51", 12000ms), QByteArray::number(after1500ms * 2 + after1500ms * 2 / 3));
    QVERIFY(!axis.motion.isMoving());
}

void TestMotion::travelDistance()
{
    Axis axis;
    axis.values["W"] = "500";       // assigned as "w=500", stored upper case
    axis.send("ON", 0ms);
    axis.send("rs", 0ms);
    axis.send("s", 1000ms);         // at 100
    axis.send("e", 1000ms);         // 500 further at 200/s: 2.5 s
    QCOMPARE(axis.value("P51", 2000ms), QByteArray("300"));
    QCOMPARE(axis.values["P336"], QByteArray("0"));
    QCOMPARE(axis.value("P51", 3499ms), QByteArray("599"));
    QCOMPARE(axis.value("P51", 3500ms), QByteArray("600"));
    QCOMPARE(axis.values["P336"], QByteArray("1"));
    // It stops at the target, it does not run on.
    QCOMPARE(axis.value("P51", 60000ms), QByteArray("600"));
    QVERIFY(!axis.motion.isMoving());
}

void TestMotion::travelLeftAndZeroDistance()
{
    Axis axis;
    axis.send("ON", 0ms);
    axis.values["W"] = "-100";
    axis.send("e", 0ms);
    QCOMPARE(axis.value("P51", 250ms), QByteArray("-50"));
    QCOMPARE(axis.value("P51", 900ms), QByteArray("-100"));
    axis.values["W"] = "0";
    axis.send("e", 1000ms);
    QCOMPARE(axis.value("P336", 1000ms), QByteArray("1"));
    QCOMPARE(axis.values["P51"], QByteArray("-100"));
}

void TestMotion::referenceTravel()
{
    Axis axis;
    axis.send("ON", 0ms);
    axis.send("lf", 0ms);
    axis.send("s", 2000ms);         // at -2000
    axis.send("h", 2000ms);         // back to 0 at 500/s: 4 s
    QCOMPARE(axis.value("P51", 4000ms), QByteArray("-1000"));
    QCOMPARE(axis.values["P336"], QByteArray("0"));
    QCOMPARE(axis.value("P51", 6000ms), QByteArray("0"));
    QCOMPARE(axis.values["P336"], QByteArray("1"));
    QCOMPARE(axis.value("P51", 8000ms), QByteArray("0"));
}

void TestMotion::offStopsAndBlocks()
{
    Axis axis;
    axis.send("ls", 0ms);           // not on yet: nothing moves
    QCOMPARE(axis.value("P51", 1000ms), QByteArray("0"));
    QCOMPARE(axis.values["P336"], QByteArray("1"));

    axis.send("ON", 1000ms);
    QCOMPARE(axis.value("P134", 1000ms), QByteArray("ON"));
    axis.send("rf", 1000ms);
    axis.send("OFF", 1500ms);       // stops at 500
    QCOMPARE(axis.value("P51", 3000ms), QByteArray("500"));
    QCOMPARE(axis.values["P134"], QByteArray("OFF"));
    QCOMPARE(axis.values["P336"], QByteArray("1"));
    axis.values["W"] = "100";
    axis.send("e", 3000ms);
    axis.send("h", 3000ms);
    QCOMPARE(axis.value("P51", 5000ms), QByteArray("500"));
}

void TestMotion::errorWordHoldsTheAxis()
{
    Axis axis;
    axis.send("ON", 0ms);
    axis.send("rs", 0ms);
    QCOMPARE(axis.value("P51", 1000ms), QByteArray("100"));
    axis.values["P11"] = "2";       // set by the test, as a drive fault would
    QCOMPARE(axis.value("P51", 1500ms), QByteArray("150"));
    QCOMPARE(axis.value("P51", 3000ms), QByteArray("150"));
    QCOMPARE(axis.values["P336"], QByteArray("1"));
    axis.send("rs", 3000ms);        // refused while the error stands
    QCOMPARE(axis.value("P51", 4000ms), QByteArray("150"));
    axis.values["P11"] = "0";       // "P11=0", the drive's own assignment
    axis.send("rs", 4000ms);
    QCOMPARE(axis.value("P51", 5000ms), QByteArray("250"));
    // The warning word does not stop anything.
    axis.values["P12"] = "16";
    QCOMPARE(axis.value("P51", 6000ms), QByteArray("350"));
}

void TestMotion::zeroingPosition()
{
    Axis axis;
    axis.send("ON", 0ms);
    axis.send("lf", 0ms);
    axis.send("P51=0", 1000ms);     // stops and zeroes
    QCOMPARE(axis.value("P51", 3000ms), QByteArray("0"));
    QVERIFY(!axis.motion.isMoving());
    axis.send("p51=-25", 3000ms);
    QCOMPARE(axis.value("P51", 3000ms), QByteArray("-25"));
}

void TestMotion::driveStateAnswer()
{
    // The drive reports its state as a bare line, without "=".
    Axis axis;
    QCOMPARE(axis.send("P134?", 0ms), std::optional<QByteArray>("\nOFF\r"));
    axis.send("ON", 0ms);
    QCOMPARE(axis.send("p134?", 0ms), std::optional<QByteArray>("\nON\r"));
}

void TestMotion::analogueWanders()
{
    Axis axis;
    QSet<QByteArray> seen;
    for (int s = 0; s < 8; ++s) {
        const QByteArray adc = axis.value("ADC", std::chrono::milliseconds(s * 1000));
        const int value = adc.toInt();
        QVERIFY2(qAbs(value - Motion::kAnalogueCentre) <= 2, adc.constData());
        seen.insert(adc);
    }
    QCOMPARE(seen.size(), 5);
    // The same moment always gives the same value.
    QCOMPARE(axis.value("ADC", 2000ms), axis.value("ADC", 10000ms));
}

void TestMotion::referenceSwitchInput()
{
    Axis axis;
    axis.motion.setInputs(0xF5);    // bit 0 is not the wiring's
    QCOMPARE(axis.value("P1300", 0ms), QByteArray::number(0xF4 | 1));
    axis.send("ON", 0ms);
    axis.send("rs", 0ms);
    QCOMPARE(axis.value("P1300", 1000ms), QByteArray::number(0xF4));
}

void TestMotion::nonPositiveSpeedTakesDefault()
{
    Axis axis;
    axis.values["P1019"] = "0";
    axis.values.erase("P1020");
    axis.send("ON", 0ms);
    axis.send("rs", 0ms);
    QCOMPARE(axis.value("P51", 1000ms), QByteArray::number(Motion::kDefaultSpeed));
    axis.send("lf", 1000ms);
    QCOMPARE(axis.value("P51", 2000ms), QByteArray("0"));
}

QTEST_APPLESS_MAIN(TestMotion)
#include "test_motion.moc"
