// SPDX-License-Identifier: GPL-3.0-or-later
// The status poll's rules: the queries of a cycle, when an answer is
// complete, how its value is read, and what each answer shows.
#include "manual/statusrules.h"

#include <QtTest>

// Not "Display": X11 declares one wherever a Qt GUI application header is seen.
using StatusDisplay = status::Display;

Q_DECLARE_METATYPE(status::Display)

namespace {

// What the dispatcher hands over: line feeds and the status digit are gone.
QByteArray answer(const QByteArray &echo, const QByteArray &line)
{
    return echo + line + '\r';
}

QByteArray shownText(const status::Shown &shown)
{
    return status::resolve(shown, [](int number) { return "text " + QByteArray::number(number); });
}

} // namespace

class TestStatusRules : public QObject {
    Q_OBJECT
private slots:
    void cycle_data();
    void cycle();
    void linkWatchdog_data();
    void linkWatchdog();
    void completeness_data();
    void completeness();
    void valueText_data();
    void valueText();
    void readInteger_data();
    void readInteger();
    void routing_data();
    void routing();
    void errorWord_data();
    void errorWord();
    void warningWord_data();
    void warningWord();
    void inPosition();
    void inputs_data();
    void inputs();
    void outputs();
    void driveState_data();
    void driveState();
    void wholeAnswers();
    void animation();
};

void TestStatusRules::cycle_data()
{
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<int>("firmware");
    QTest::addColumn<QByteArrayList>("queries");
    const QByteArrayList common = {"#P336?\r", "#P11?\r", "#P12?\r", "#O1?\r", "#O2?\r", "#O3?\r", "#O4?\r"};
    QTest::newRow("firmware 300: no analogue query")
        << QByteArray("1") << 300 << (QByteArrayList {"#1P51?\r"} + common + QByteArrayList {"#P134?\r", "#P1300?\r"});
    QTest::newRow("firmware 301: analogue query before P134")
        << QByteArray("7") << 301
        << (QByteArrayList {"#7P51?\r"} + common + QByteArrayList {"#ADC?\r", "#P134?\r", "#P1300?\r"});
    QTest::newRow("firmware unknown (0)")
        << QByteArray("10") << 0 << (QByteArrayList {"#10P51?\r"} + common + QByteArrayList {"#P134?\r", "#P1300?\r"});
}

void TestStatusRules::cycle()
{
    QFETCH(QByteArray, address);
    QFETCH(int, firmware);
    QFETCH(QByteArrayList, queries);
    const QByteArrayList cycle = status::cycleQueries(address, firmware);
    QCOMPARE(cycle, queries);
    QCOMPARE(cycle.size(), firmware > 300 ? 11 : 10);
    QVERIFY(cycle.last().contains("P1300")); // its answer starts the next cycle
}

void TestStatusRules::linkWatchdog_data()
{
    QTest::addColumn<int>("requested");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("poll");
    QTest::addColumn<int>("expected");
    // A longest cycle is 391 bytes (address 200, the analogue query, 11-digit
    // values, acknowledgements): 102 ms at 38400 baud, 3259 ms at 1200.
    QTest::newRow("38400 keeps the settings' 2000") << 2000 << 38400 << 100 << 2000;
    QTest::newRow("9600 keeps 2000") << 2000 << 9600 << 250 << 2000;
    QTest::newRow("1200 from the settings file") << 2000 << 1200 << 800 << 3259 + 800 + 1000;
    QTest::newRow("1200 from the search") << 3000 << 1200 << 800 << 3259 + 800 + 1000;
    QTest::newRow("2400, two drives") << 4000 << 2400 << 800 << 4000;
    QTest::newRow("a longer setting stays") << 9000 << 1200 << 800 << 9000;
    QTest::newRow("no rate yet") << 2000 << 0 << 50 << 2000;
}

void TestStatusRules::linkWatchdog()
{
    QFETCH(int, requested);
    QFETCH(int, baud);
    QFETCH(int, poll);
    QFETCH(int, expected);
    QCOMPARE(status::linkWatchdogMs(requested, baud, poll), expected);
}

void TestStatusRules::completeness_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<bool>("complete");
    QTest::newRow("echo only") << QByteArray("#1P51?\r") << false;
    QTest::newRow("value line not ended") << QByteArray("#1P51?\rP51=12") << false;
    QTest::newRow("value line ended") << QByteArray("#1P51?\rP51=123\r") << true;
    QTest::newRow("with acknowledgement") << QByteArray("#1P51?\rP51=123\rok\r") << true;
    QTest::newRow("ON line") << QByteArray("#P134?\rON\r") << true;
    QTest::newRow("OFF line") << QByteArray("#P134?\rOFF\r") << true;
    QTest::newRow("ON not ended") << QByteArray("#P134?\rON") << false;
    QTest::newRow("two lines without a value mark") << QByteArray("#P134?\rxx\r") << false;
    QTest::newRow("no echo, two lines") << QByteArray("P51=1\rok\r") << true;
    QTest::newRow("carriage returns and ON from different lines") << QByteArray("\rON\r") << true;
    QTest::newRow("three lines, no value mark") << QByteArray("#P51?\r\r\r") << false;
}

void TestStatusRules::completeness()
{
    QFETCH(QByteArray, buffer);
    QFETCH(bool, complete);
    QCOMPARE(status::isComplete(buffer), complete);
    QCOMPARE(status::readAnswer(buffer).has_value(), complete);
}

void TestStatusRules::valueText_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("plain") << QByteArray("#1P51?\rP51=123\r") << QByteArray("123");
    QTest::newRow("text after the answer line stays") << QByteArray("#1P51?\rP51=123\rok\r") << QByteArray("123ok\r");
    QTest::newRow("only the first = counts") << QByteArray("#P12?\rP12=a=b\r") << QByteArray("a=b");
    QTest::newRow("no =: only the first carriage return goes") << QByteArray("#P134?\rON\r")
                                                                << QByteArray("#P134?ON\r");
    QTest::newRow("empty value") << QByteArray("#P11?\rP11=\r") << QByteArray("");
}

void TestStatusRules::valueText()
{
    QFETCH(QByteArray, buffer);
    QFETCH(QByteArray, value);
    QCOMPARE(status::valueText(buffer), value);
}

void TestStatusRules::readInteger_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("value");
    QTest::newRow("digits") << QByteArray("18") << qint64(18);
    QTest::newRow("leading blanks") << QByteArray("   42") << qint64(42);
    QTest::newRow("leading tab") << QByteArray("\t7") << qint64(7);
    QTest::newRow("trailing text") << QByteArray("12ok\r") << qint64(12);
    QTest::newRow("trailing unit") << QByteArray("100 %") << qint64(100);
    QTest::newRow("no digits") << QByteArray("ON") << qint64(0);
    QTest::newRow("empty") << QByteArray() << qint64(0);
    QTest::newRow("text before digits") << QByteArray("x5") << qint64(0);
    // A sign is no digit.
    QTest::newRow("minus") << QByteArray("-40") << qint64(0);
    QTest::newRow("plus") << QByteArray("+3") << qint64(0);
    // 2^64 + 5: the low bits survive.
    QTest::newRow("too many digits") << QByteArray("18446744073709551621") << qint64(5);
}

void TestStatusRules::readInteger()
{
    QFETCH(QByteArray, text);
    QFETCH(qint64, value);
    QCOMPARE(qint64(status::readInteger(text)), value);
}

void TestStatusRules::routing_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<StatusDisplay>("display");
    // The answer to every query of a cycle reaches its own display.
    QTest::newRow("P51") << answer("#1P51?\r", "P51=1300") << StatusDisplay::Position;
    QTest::newRow("P51 at address 11") << answer("#11P51?\r", "P51=12") << StatusDisplay::Position;
    QTest::newRow("P336") << answer("#P336?\r", "P336=1") << StatusDisplay::InPosition;
    QTest::newRow("P336 named POS") << answer("#P336?\r", "POS=1") << StatusDisplay::InPosition;
    QTest::newRow("P11") << answer("#P11?\r", "P11=51") << StatusDisplay::Error;
    QTest::newRow("P12") << answer("#P12?\r", "P12=1300") << StatusDisplay::Warning;
    QTest::newRow("O1") << answer("#O1?\r", "O1=1") << StatusDisplay::Output1;
    QTest::newRow("O2") << answer("#O2?\r", "O2=0") << StatusDisplay::Output2;
    QTest::newRow("O3") << answer("#O3?\r", "O3=1") << StatusDisplay::Output3;
    QTest::newRow("O4") << answer("#O4?\r", "O4=0") << StatusDisplay::Output4;
    QTest::newRow("ADC") << answer("#ADC?\r", "ADC=51") << StatusDisplay::Analogue;
    QTest::newRow("P134 ON") << answer("#P134?\r", "ON") << StatusDisplay::DriveState;
    QTest::newRow("P134 OFF") << answer("#P134?\r", "OFF") << StatusDisplay::DriveState;
    QTest::newRow("P134 as assignment") << answer("#P134?\r", "P134=ON") << StatusDisplay::DriveState;
    // "P1300" holds "P1", "P13" and "P130", but none of the names before it.
    QTest::newRow("P1300") << answer("#P1300?\r", "P1300=11") << StatusDisplay::Inputs;
    QTest::newRow("P1300, acknowledgements around") << ("ok\r" + answer("#P1300?\r", "P1300=12") + "ok\r")
                                                   << StatusDisplay::Inputs;
    QTest::newRow("something else") << answer("#P7?\r", "P7=3") << StatusDisplay::None;
    // First match wins.
    QTest::newRow("P51 before everything") << QByteArray("P51 ADC P336 P11 ON") << StatusDisplay::Position;
    QTest::newRow("ADC before P336") << QByteArray("ADC P336") << StatusDisplay::Analogue;
    QTest::newRow("P11 before P1300") << QByteArray("P1300 P11") << StatusDisplay::Error;
    QTest::newRow("outputs before ON") << QByteArray("ON O3") << StatusDisplay::Output3;
}

void TestStatusRules::routing()
{
    QFETCH(QByteArray, buffer);
    QFETCH(StatusDisplay, display);
    QCOMPARE(status::displayOf(buffer), display);
}

void TestStatusRules::errorWord_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("0") << QByteArray("0") << QByteArray("text 61");
    QTest::newRow("18: bit 2 before bit 16") << QByteArray("18") << QByteArray("text 53");
    QTest::newRow("1: no listed bit") << QByteArray("1") << QByteArray("1");
    QTest::newRow("2") << QByteArray("2") << QByteArray("text 53");
    QTest::newRow("16") << QByteArray("16") << QByteArray("text 59");
    QTest::newRow("32") << QByteArray("32") << QByteArray("text 59");
    QTest::newRow("128") << QByteArray("128") << QByteArray("text 54");
    QTest::newRow("512") << QByteArray("512") << QByteArray("text 55");
    QTest::newRow("2048") << QByteArray("2048") << QByteArray("text 56");
    QTest::newRow("4096") << QByteArray("4096") << QByteArray("text 57");
    QTest::newRow("8192") << QByteArray("8192") << QByteArray("text 58");
    QTest::newRow("8192 + 128: 128 first") << QByteArray("8320") << QByteArray("text 54");
    QTest::newRow("unlisted bits 1, 4, 8, 64, 256") << QByteArray("333") << QByteArray("333");
    QTest::newRow("blank zero is not 0") << QByteArray(" 0") << QByteArray(" 0");
    QTest::newRow("no digits") << QByteArray("abc") << QByteArray("abc");
    QTest::newRow("trailing text") << QByteArray("2 x") << QByteArray("text 53");
}

void TestStatusRules::errorWord()
{
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, shown);
    QCOMPARE(shownText(status::errorText(value)), shown);
}

void TestStatusRules::warningWord_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("0") << QByteArray("0") << QByteArray("text 60");
    QTest::newRow("1") << QByteArray("1") << QByteArray("text 47");
    QTest::newRow("2") << QByteArray("2") << QByteArray("text 48");
    QTest::newRow("4") << QByteArray("4") << QByteArray("text 49");
    QTest::newRow("8") << QByteArray("8") << QByteArray("text 50");
    QTest::newRow("16") << QByteArray("16") << QByteArray("text 52");
    QTest::newRow("32") << QByteArray("32") << QByteArray("text 51");
    QTest::newRow("48: 32 before 16") << QByteArray("48") << QByteArray("text 51");
    QTest::newRow("64") << QByteArray("64") << QByteArray("text 161");
    QTest::newRow("128") << QByteArray("128") << QByteArray("text 162");
    QTest::newRow("255: bit 1 first") << QByteArray("255") << QByteArray("text 47");
    QTest::newRow("256: no listed bit") << QByteArray("256") << QByteArray("256");
}

void TestStatusRules::warningWord()
{
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, shown);
    QCOMPARE(shownText(status::warningText(value)), shown);
}

void TestStatusRules::inPosition()
{
    const status::InPosition standing = status::inPositionOf("1");
    QVERIFY(standing.inPosition);
    QCOMPARE(standing.text, QByteArray("In Position"));
    for (const QByteArray &other : {QByteArray("0"), QByteArray("11"), QByteArray(" 1"), QByteArray()}) {
        const status::InPosition moving = status::inPositionOf(other);
        QVERIFY2(!moving.inPosition, other.constData());
        QCOMPARE(moving.text, QByteArray());
    }
}

void TestStatusRules::inputs_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArrayList>("captions");
    QTest::newRow("5") << QByteArray("5") << QByteArrayList {"1", "0", "1", "0", "0", "0", "0", "0"};
    QTest::newRow("0") << QByteArray("0") << QByteArrayList {"0", "0", "0", "0", "0", "0", "0", "0"};
    QTest::newRow("128") << QByteArray("128") << QByteArrayList {"0", "0", "0", "0", "0", "0", "0", "1"};
    QTest::newRow("256: bit 8 is no input") << QByteArray("256")
                                            << QByteArrayList {"0", "0", "0", "0", "0", "0", "0", "0"};
    QTest::newRow("blanks and text") << QByteArray("  3 inputs")
                                     << QByteArrayList {"1", "1", "0", "0", "0", "0", "0", "0"};
    QTest::newRow("no digits") << QByteArray("x") << QByteArrayList {"0", "0", "0", "0", "0", "0", "0", "0"};
}

void TestStatusRules::inputs()
{
    QFETCH(QByteArray, value);
    QFETCH(QByteArrayList, captions);
    const auto shown = status::inputCaptions(value);
    QCOMPARE(QByteArrayList(shown.begin(), shown.end()), captions);
}

void TestStatusRules::outputs()
{
    QCOMPARE(status::outputCaption(1, "1"), QByteArray("O1 ON"));
    QCOMPARE(status::outputCaption(1, "0"), QByteArray("O1 OFF"));
    QCOMPARE(status::outputCaption(3, "1"), QByteArray("O3 ON"));
    QCOMPARE(status::outputCaption(4, "2"), QByteArray("O4 OFF"));
    QCOMPARE(status::outputCaption(2, "1 "), QByteArray("O2 OFF"));
}

void TestStatusRules::driveState_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<QByteArray>("stateText"); // the literal steps on the value text
    QTest::addColumn<bool>("on");
    QTest::newRow("ON") << QByteArray("#P134?\rON\r") << QByteArray("ON") << true;
    QTest::newRow("OFF") << QByteArray("#P134?\rOFF\r") << QByteArray("OFF") << false;
    QTest::newRow("ON as assignment") << QByteArray("#P134?\rP134=ON\r") << QByteArray("ON") << true;
    // Whatever followed the state line would stay glued to it.
    QTest::newRow("ON with text after it") << QByteArray("#P134?\rON\rok\r") << QByteArray("ONok\r") << false;
    QTest::newRow("empty state line") << QByteArray("#P134?\r\rOFF") << QByteArray("OFF") << false;
    QTest::newRow("ONE") << QByteArray("#P134?\rONE\r") << QByteArray("ONE") << false;
}

void TestStatusRules::driveState()
{
    QFETCH(QByteArray, buffer);
    QFETCH(QByteArray, stateText);
    QFETCH(bool, on);
    QCOMPARE(status::driveStateText(status::valueText(buffer)), stateText);
    const auto update = status::readAnswer(buffer);
    QVERIFY(update);
    QCOMPARE(update->display, StatusDisplay::DriveState);
    QCOMPARE(update->driveOn, on);
}

void TestStatusRules::wholeAnswers()
{
    // A cycle's answers as the drive sends them: the echo and the value line.
    auto read = [](const QByteArray &echo, const QByteArray &line) {
        const auto update = status::readAnswer(answer(echo, line));
        if (!update)
            qFatal("answer not complete");
        return *update;
    };

    status::Update u = read("#1P51?\r", "P51=-1234");
    QCOMPARE(u.display, StatusDisplay::Position);
    QCOMPARE(u.shown.literal, QByteArray("-1234"));
    QVERIFY(!u.endsCycle);

    u = read("#P336?\r", "P336=1");
    QCOMPARE(u.display, StatusDisplay::InPosition);
    QVERIFY(u.inPosition);
    QCOMPARE(u.shown.literal, QByteArray("In Position"));
    u = read("#P336?\r", "P336=0");
    QVERIFY(!u.inPosition);
    QCOMPARE(u.shown.literal, QByteArray());

    u = read("#P11?\r", "P11=18");
    QCOMPARE(u.display, StatusDisplay::Error);
    QCOMPARE(u.shown, (status::Shown {53, {}}));
    u = read("#P12?\r", "P12=0");
    QCOMPARE(u.display, StatusDisplay::Warning);
    QCOMPARE(u.shown, (status::Shown {60, {}}));

    u = read("#O2?\r", "O2=1");
    QCOMPARE(u.display, StatusDisplay::Output2);
    QCOMPARE(u.output, 2);
    QCOMPARE(u.outputCaption, QByteArray("O2 ON"));

    u = read("#ADC?\r", "ADC=513");
    QCOMPARE(u.display, StatusDisplay::Analogue);
    QCOMPARE(u.shown.literal, QByteArray("513"));

    u = read("#P1300?\r", "P1300=5");
    QCOMPARE(u.display, StatusDisplay::Inputs);
    QVERIFY(u.endsCycle);
    QCOMPARE(QByteArrayList(u.inputs.begin(), u.inputs.end()),
             (QByteArrayList {"1", "0", "1", "0", "0", "0", "0", "0"}));

    u = read("#P134?\r", "OFF");
    QCOMPARE(u.display, StatusDisplay::DriveState);
    QVERIFY(!u.driveOn);
}

void TestStatusRules::animation()
{
    // Seven ticks from step 0 show the five symbols in turn and start over.
    int step = 0;
    int shown = 6; // the last symbol of a round
    QList<int> sequence;
    for (int tick = 0; tick < 7; ++tick) {
        const status::AnimationTick t = status::animationTick(step);
        QCOMPARE(t.hide, shown); // each tick hides what the one before showed
        shown = t.show;
        step = t.step;
        sequence << t.show;
    }
    QCOMPARE(sequence, (QList<int> {2, 3, 4, 5, 6, 2, 3}));
    QCOMPARE(step, 2);
    QCOMPARE(status::animationTick(4).step, 0);
    // A step out of range starts the round afresh rather than reading off the table.
    QCOMPARE(status::animationTick(9).show, 2);
    QCOMPARE(status::animationTick(-1).show, 2);
}

QTEST_APPLESS_MAIN(TestStatusRules)
#include "test_statusrules.moc"
