// SPDX-License-Identifier: GPL-3.0-or-later
// The plan of the drive search: the pair each scan step probes, what a tick
// changes on the port, the timing of a found rate and the address answer.
#include "link/searchplan.h"

#include <QtTest>

class TestSearchPlan : public QObject {
    Q_OBJECT
private slots:
    void pairs_data();
    void pairs();
    void noPairOutsideTheSteps();
    void changes_data();
    void changes();
    void tickSequence();
    void timing_data();
    void timing();
    void addressAnswer_data();
    void addressAnswer();
};

void TestSearchPlan::pairs_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("baud");
    QTest::addColumn<QByteArray>("description");
    const int rates[] = {38400, 19200, 9600, 4800, 2400, 1200};
    const char *const descriptions[] = {
        "COM1:38400 Baud - address ", "COM2:38400 Baud - address ", "COM1:19200 Baud - address ",
        "COM2:19200 Baud - address ", "COM1:9600 Baud - address ",  "COM2:9600 Baud - address ",
        "COM1:4800 Baud - address ",  "COM2:4800 Baud - address ",  "COM1:2400 Baud - address ",
        "COM2:2400 Baud - address ",  "COM1:1200 Baud - address ",  "COM2:1200 Baud - address ",
    };
    for (int pair = 0; pair < 12; ++pair) {
        for (int step = 2 * pair; step <= 2 * pair + 1; ++step) {
            QTest::addRow("step %d", step) << step << (pair % 2 == 0 ? 1 : 2) << rates[pair / 2]
                                           << QByteArray(descriptions[pair]);
        }
    }
}

void TestSearchPlan::pairs()
{
    QFETCH(int, step);
    QFETCH(int, port);
    QFETCH(int, baud);
    QFETCH(QByteArray, description);
    const auto pair = search::pairOfStep(step);
    QVERIFY(pair);
    QCOMPARE(pair->port, port);
    QCOMPARE(baudRateValue(pair->rate), baud);
    QCOMPARE(pair->description, description);
}

void TestSearchPlan::noPairOutsideTheSteps()
{
    QVERIFY(!search::pairOfStep(search::kFailedStep));
    QVERIFY(!search::pairOfStep(25));
    QVERIFY(!search::pairOfStep(-1));
    QCOMPARE(search::kFailedStep, 24);
}

void TestSearchPlan::changes_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("port");   // 0: unchanged
    QTest::addColumn<int>("baud");   // 0: unchanged
    QTest::addColumn<int>("timer1"); // 0: unchanged
    struct Row { int step, port, baud, timer1; };
    const Row rows[] = {
        {0, 0, 0, 0},                                                    // set by the start
        {1, 0, 38400, 0},     {2, 2, 0, 0},  {3, 0, 0, 0},
        {4, 1, 19200, 400},   {5, 0, 19200, 0}, {6, 2, 0, 0},  {7, 0, 0, 0},
        {8, 1, 9600, 400},    {9, 0, 9600, 0},  {10, 2, 0, 0}, {11, 0, 0, 0},
        {12, 1, 4800, 400},   {13, 0, 4800, 0}, {14, 2, 0, 0}, {15, 0, 0, 0},
        {16, 1, 2400, 400},   {17, 0, 2400, 0}, {18, 2, 0, 0}, {19, 0, 0, 0},
        {20, 1, 1200, 500},   {21, 0, 1200, 0}, {22, 2, 0, 0}, {23, 0, 0, 0},
        {24, 0, 0, 0},                                                   // the search has failed
        {-1, 0, 0, 0},        {25, 0, 0, 0},
    };
    for (const Row &row : rows)
        QTest::addRow("step %d", row.step) << row.step << row.port << row.baud << row.timer1;
}

void TestSearchPlan::changes()
{
    QFETCH(int, step);
    QFETCH(int, port);
    QFETCH(int, baud);
    QFETCH(int, timer1);
    const search::StepChange change = search::changeAtStep(step);
    QCOMPARE(change.port.value_or(0), port);
    QCOMPARE(change.rate ? baudRateValue(*change.rate) : 0, baud);
    QCOMPARE(change.timer1.value_or(0), timer1);
}

void TestSearchPlan::tickSequence()
{
    // The connection start leaves COM1 at 38400 with a 100 ms tick; each tick
    // must leave the port on the pair of its step.
    int port = 1;
    TBaudrate rate = br_038400;
    int timer1 = 100;
    for (int step = 1; step <= search::kLastStep; ++step) {
        const search::StepChange change = search::changeAtStep(step);
        port = change.port.value_or(port);
        rate = change.rate.value_or(rate);
        timer1 = change.timer1.value_or(timer1);
        const auto pair = search::pairOfStep(step);
        QVERIFY(pair);
        QVERIFY2(port == pair->port && rate == pair->rate,
                 qPrintable(QStringLiteral("step %1: COM%2 at %3, expected COM%4 at %5")
                                .arg(step)
                                .arg(port)
                                .arg(baudRateValue(rate))
                                .arg(pair->port)
                                .arg(baudRateValue(pair->rate))));
        const int expectedTimer1 = step < 4 ? 100 : step < 20 ? 400 : 500;
        QVERIFY2(timer1 == expectedTimer1, qPrintable(QStringLiteral("step %1: tick %2 ms").arg(step).arg(timer1)));
    }
}

void TestSearchPlan::timing_data()
{
    QTest::addColumn<int>("rate"); // TBaudrate
    QTest::addColumn<int>("timer3");
    QTest::addColumn<int>("timer9"); // 0: unchanged
    QTest::newRow("38400") << int(br_038400) << 100 << 0;
    QTest::newRow("19200") << int(br_019200) << 200 << 0;
    QTest::newRow("9600") << int(br_009600) << 250 << 0;
    QTest::newRow("4800") << int(br_004800) << 300 << 0;
    QTest::newRow("2400") << int(br_002400) << 400 << 3000;
    QTest::newRow("1200") << int(br_001200) << 800 << 3000;
}

void TestSearchPlan::timing()
{
    QFETCH(int, rate);
    QFETCH(int, timer3);
    QFETCH(int, timer9);
    const search::Timing timing = search::timingOf(TBaudrate(rate));
    QCOMPARE(timing.timer3, timer3);
    QCOMPARE(timing.timer9.value_or(0), timer9);
}

void TestSearchPlan::addressAnswer_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<bool>("answered");
    QTest::newRow("ok") << QByteArray("#3\r\nok\n\r") << QByteArray("3") << true;
    for (char digit = '0'; digit <= '4'; ++digit)
        QTest::addRow("ok%c", digit) << QByteArray("#3\r\nok") + digit + "\n\r" << QByteArray("3") << true;
    QTest::newRow("ok5 is no status") << QByteArray("#3\r\nok5\n\r") << QByteArray("3") << false;
    QTest::newRow("two-digit address") << QByteArray("#10\r\nok2\n\r") << QByteArray("10") << true;
    QTest::newRow("stray text around it") << QByteArray("\r\n#3\r\nok1\n\r\n") << QByteArray("3") << true;
    QTest::newRow("answer not complete") << QByteArray("#3\r\nok") << QByteArray("3") << false;
    QTest::newRow("no closing line end") << QByteArray("#3\r\nok\r") << QByteArray("3") << false;
    QTest::newRow("line feeds removed") << QByteArray("#3\rok\r") << QByteArray("3") << false;
    QTest::newRow("echo without line feed") << QByteArray("#3\rok\n\r") << QByteArray("3") << false;
    QTest::newRow("other address") << QByteArray("#4\r\nok\n\r") << QByteArray("3") << false;
    QTest::newRow("10 is not 1") << QByteArray("#10\r\nok\n\r") << QByteArray("1") << false;
    QTest::newRow("1 is not 10") << QByteArray("#1\r\nok\n\r") << QByteArray("10") << false;
    QTest::newRow("13 is not 3") << QByteArray("#13\r\nok\n\r") << QByteArray("3") << false;
    QTest::newRow("broadcast echo") << QByteArray("#*\r\nok\n\r") << QByteArray("3") << false;
    QTest::newRow("error line") << QByteArray("#3\r\n** unbekannt\n\r") << QByteArray("3") << false;
    QTest::newRow("garbage") << QByteArray("\x03\xFFok\n\r3#") << QByteArray("3") << false;
    QTest::newRow("empty") << QByteArray() << QByteArray("3") << false;
}

void TestSearchPlan::addressAnswer()
{
    QFETCH(QByteArray, buffer);
    QFETCH(QByteArray, address);
    QFETCH(bool, answered);
    QCOMPARE(search::addressAnswered(buffer, address), answered);
}

QTEST_APPLESS_MAIN(TestSearchPlan)
#include "test_searchplan.moc"
