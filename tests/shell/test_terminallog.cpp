// SPDX-License-Identifier: GPL-3.0-or-later
// The terminal's log, its views and its history, and where the main
// window's controls go when it grows.
#include "shell/window/growlayout.h"
#include "shell/terminallog.h"

#include <QDateTime>
#include <QTest>

using terminal::Line;
using terminal::Log;
using terminal::View;

class TestTerminalLog : public QObject {
    Q_OBJECT
private slots:
    void linesSplitAtCarriageReturns();
    void pollLinesAreMarked();
    void views_data();
    void views();
    void logFileHonoursTheView();
    void logIsBounded();
    void historyWalk();
    void growth_data();
    void growth();
};

void TestTerminalLog::linesSplitAtCarriageReturns()
{
    Log log;
    log.add("#1P5", 100, false);
    log.add("1?\rP51=12", 200, false);
    log.add("\r", 300, false);
    log.add("ok\rx", 400, false);
    QCOMPARE(log.lines().size(), size_t(4));
    QCOMPARE(log.lines()[0].bytes, QByteArray("#1P51?"));
    QCOMPARE(log.lines()[0].timeMs, 100); // the time of its first byte
    QCOMPARE(log.lines()[1].bytes, QByteArray("P51=12"));
    QCOMPARE(log.lines()[1].timeMs, 200);
    QVERIFY(log.lines()[2].complete);
    QCOMPARE(log.lines()[3].bytes, QByteArray("x"));
    QVERIFY(!log.lines()[3].complete);
}

void TestTerminalLog::pollLinesAreMarked()
{
    Log log;
    log.add("#P11?\r", 1, true);
    log.add("ab", 2, false);  // typed while a poll answer was still due
    log.add("c\r", 3, true);
    log.add("hello\r", 4, false);
    QVERIFY(log.lines()[0].poll);
    QVERIFY(log.lines()[1].poll);
    QVERIFY(!log.lines()[2].poll);
    const View hide {false, false, true};
    QVERIFY(!terminal::shown(log.lines()[0], hide));
    QVERIFY(terminal::shown(log.lines()[2], hide));
    QVERIFY(terminal::shown(log.lines()[0], View {}));
}

void TestTerminalLog::views_data()
{
    QTest::addColumn<bool>("hex");
    QTest::addColumn<bool>("timestamps");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QString>("expected");
    const QString time = QDateTime::fromMSecsSinceEpoch(1234567).toString(QStringLiteral("HH:mm:ss.zzz  "));
    QTest::newRow("text") << false << false << true << QStringLiteral("P51=\u00b012");
    QTest::newRow("text with time") << false << true << true << time + QStringLiteral("P51=\u00b012");
    QTest::newRow("hex, its return too") << true << false << true << QStringLiteral("50 35 31 3D B0 31 32 0D");
    QTest::newRow("hex, line not ended") << true << true << false << time + QStringLiteral("50 35 31 3D B0 31 32");
}

void TestTerminalLog::views()
{
    QFETCH(bool, hex);
    QFETCH(bool, timestamps);
    QFETCH(bool, complete);
    QFETCH(QString, expected);
    const Line line {1234567, QByteArray("P51=\xb0" "12"), false, complete};
    QCOMPARE(terminal::render(line, View {hex, timestamps, false}), expected);
}

void TestTerminalLog::logFileHonoursTheView()
{
    Log log;
    log.add("#1P51?\r", 1, true);
    log.add("VER\r\xe4\r", 2, false);
    QCOMPARE(terminal::file(log, View {false, false, true}), QByteArray("VER\r\n\xe4\r\n"));
    QCOMPARE(terminal::file(log, View {}), QByteArray("#1P51?\r\nVER\r\n\xe4\r\n"));
}

void TestTerminalLog::logIsBounded()
{
    Log log(3);
    for (int n = 0; n < 5; ++n)
        log.add(QByteArray::number(n) + '\r', n, false);
    QCOMPARE(log.lines().size(), size_t(3));
    QCOMPARE(log.dropped(), 2u);
    QCOMPARE(log.lines().front().bytes, QByteArray("2"));
}

void TestTerminalLog::historyWalk()
{
    terminal::History history(3);
    history.add(QStringLiteral("a"));
    history.add(QStringLiteral("b"));
    history.add(QStringLiteral("b")); // a repeat is kept once
    history.add(QString());           // an empty line not at all
    QCOMPARE(history.entries(), QStringList({"a", "b"}));
    // Up from a half-typed line, and back down to it.
    QCOMPARE(history.older(QStringLiteral("typ")), QStringLiteral("b"));
    QCOMPARE(history.older(QStringLiteral("b")), QStringLiteral("a"));
    QCOMPARE(history.older(QStringLiteral("a")), QStringLiteral("a")); // stays at the oldest
    QCOMPARE(history.newer(QStringLiteral("a")), QStringLiteral("b"));
    QCOMPARE(history.newer(QStringLiteral("b")), QStringLiteral("typ"));
    QCOMPARE(history.newer(QStringLiteral("typ")), QStringLiteral("typ"));
    for (const char *line : {"c", "d"})
        history.add(QString::fromLatin1(line));
    QCOMPARE(history.entries(), QStringList({"b", "c", "d"}));
}

void TestTerminalLog::growth_data()
{
    using namespace growlayout;
    QTest::addColumn<unsigned>("anchor");
    QTest::addColumn<QSize>("growth");
    QTest::addColumn<QRect>("expected");
    const QSize grown(630, 420);
    QTest::newRow("fixed") << unsigned(Fixed) << grown << QRect(378, 4, 226, 15);
    QTest::newRow("grid grows") << unsigned(GrowRight | GrowDown) << grown << QRect(378, 4, 856, 435);
    QTest::newRow("right column") << unsigned(MoveRight) << grown << QRect(1008, 4, 226, 15);
    QTest::newRow("bottom corner") << unsigned(MoveRight | MoveDown) << grown << QRect(1008, 424, 226, 15);
    QTest::newRow("design size") << unsigned(GrowRight | MoveDown) << QSize(0, 0) << QRect(378, 4, 226, 15);
    QTest::newRow("never below design") << unsigned(GrowRight | MoveDown) << QSize(-20, -5) << QRect(378, 4, 226, 15);
}

void TestTerminalLog::growth()
{
    QFETCH(unsigned, anchor);
    QFETCH(QSize, growth);
    QFETCH(QRect, expected);
    QCOMPARE(growlayout::placed(QRect(378, 4, 226, 15), anchor, growth), expected);
}

QTEST_APPLESS_MAIN(TestTerminalLog)
#include "test_terminallog.moc"
