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
    void lines_data();
    void lines();
    void pollLinesAreMarked();
    void shown_data();
    void shown();
    void views_data();
    void views();
    void logFileHonoursTheView();
    void logIsBounded();
    void historyWalk();
    void growth_data();
    void growth();
};

// Pieces and lines written as "<" (came in) or ">" (the program wrote it)
// and the bytes; a line that nothing more may join but a line feed ends in "|".
void TestTerminalLog::lines_data()
{
    QTest::addColumn<QByteArrayList>("pieces");
    QTest::addColumn<QByteArrayList>("expected");
    QTest::newRow("split after carriage returns")
        << QByteArrayList {"<#1P5", "<1?\rP51=12", "<\r"} << QByteArrayList {"<#1P51?\r|", "<P51=12\r|"};
    QTest::newRow("line feed after its return, even in the next piece")
        << QByteArrayList {"<ok\r", "<\nx"} << QByteArrayList {"<ok\r\n|", "<x"};
    QTest::newRow("line feed elsewhere is a byte of its line")
        << QByteArrayList {"<\nab\n\r\n\n"} << QByteArrayList {"<\nab\n\r\n|", "<\n"};
    QTest::newRow("traffic the other way ends a line")
        << QByteArrayList {"<P5", ">#1P11?\r", "<1=3\r"} << QByteArrayList {"<P5|", ">#1P11?\r|", "<1=3\r|"};
    QTest::newRow("keys going out one by one join")
        << QByteArrayList {">A", ">B", ">\r", "<AB\r\n"} << QByteArrayList {">AB\r|", "<AB\r\n|"};
}

void TestTerminalLog::lines()
{
    QFETCH(QByteArrayList, pieces);
    QFETCH(QByteArrayList, expected);
    Log log;
    qint64 time = 100;
    for (const QByteArray &piece : pieces)
        log.add(piece.mid(1), time += 100, false, piece.startsWith('>'));
    QByteArrayList got;
    for (const Line &line : log.lines())
        got << (line.sent ? ">" : "<") + line.bytes + (line.complete ? "|" : "");
    QCOMPARE(got, expected);
    // Each line carries the time of its first byte.
    QCOMPARE(log.lines().front().timeMs, 200);
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
}

void TestTerminalLog::shown_data()
{
    QTest::addColumn<bool>("poll");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<bool>("hex");
    QTest::addColumn<bool>("hidePoll");
    QTest::addColumn<bool>("expected");
    QTest::newRow("answer") << false << false << false << false << true;
    QTest::newRow("poll's answer") << true << false << false << false << true;
    QTest::newRow("poll's answer hidden") << true << false << false << true << false;
    QTest::newRow("other answer, poll hidden") << false << false << false << true << true;
    // The drive's echo shows a command as text; in hex both ways show.
    QTest::newRow("sent, as text") << false << true << false << false << false;
    QTest::newRow("sent, in hex") << false << true << true << false << true;
    QTest::newRow("poll's query in hex, poll hidden") << true << true << true << true << false;
}

void TestTerminalLog::shown()
{
    QFETCH(bool, poll);
    QFETCH(bool, sent);
    QFETCH(bool, hex);
    QFETCH(bool, hidePoll);
    QFETCH(bool, expected);
    const Line line {1, "#1P51?\r", poll, true, false, sent};
    QCOMPARE(terminal::shown(line, View {hex, false, hidePoll}), expected);
}

void TestTerminalLog::views_data()
{
    QTest::addColumn<bool>("hex");
    QTest::addColumn<bool>("timestamps");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    const QString time = QDateTime::fromMSecsSinceEpoch(1234567).toString(QStringLiteral("HH:mm:ss.zzz  "));
    const QString pad(16 * 3 - 1 - 9 * 3 + 1, QLatin1Char(' ')); // after nine bytes of hex
    QTest::newRow("text, without its line end") << false << false << false << QByteArray("P51=\xb0" "12\r\n")
                                                << QStringLiteral("P51=\u00b012");
    QTest::newRow("text with time") << false << true << false << QByteArray("P51=\xb0" "12\r")
                                    << time + QStringLiteral("P51=\u00b012");
    QTest::newRow("hex: every byte, ASCII beside") << true << false << false << QByteArray("P51=\xb0" "12\r\n")
        << QStringLiteral("ZYNT  50 35 31 3D B0 31 32 0D 0A") + pad + QStringLiteral("  P51=.12..");
    QTest::newRow("hex: what the program sent") << true << true << true << QByteArray("#1P51?\r")
        << time + QStringLiteral("PC    23 31 50 35 31 3F 0D") + QString(9 * 3 - 7 * 3, QLatin1Char(' ')) + pad
               + QStringLiteral("  #1P51?.");
    QTest::newRow("hex: rows of sixteen") << true << false << false << QByteArray("0123456789ABCDEFG")
        << QStringLiteral("ZYNT  30 31 32 33 34 35 36 37 38 39 41 42 43 44 45 46  0123456789ABCDEF\n"
                          "      47") + QString(45, QLatin1Char(' ')) + QStringLiteral("  G");
}

void TestTerminalLog::views()
{
    QFETCH(bool, hex);
    QFETCH(bool, timestamps);
    QFETCH(bool, sent);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    const Line line {1234567, bytes, false, true, false, sent};
    QCOMPARE(terminal::render(line, View {hex, timestamps, false}), expected);
}

void TestTerminalLog::logFileHonoursTheView()
{
    Log log;
    log.add("#1P51?\r", 1, true);
    log.add("VER\r\n\xe4\r", 2, false);
    log.add("#1ver\r", 3, false, true);
    QCOMPARE(terminal::file(log, View {false, false, true}), QByteArray("VER\r\n\xe4\r\n"));
    QCOMPARE(terminal::file(log, View {}), QByteArray("#1P51?\r\nVER\r\n\xe4\r\n"));
    const QByteArray hex = terminal::file(log, View {true, false, true});
    QVERIFY2(hex.startsWith("ZYNT  56 45 52 0D 0A ") && hex.contains("\r\nPC    23 31 76 65 72 0D "), hex.constData());
}

void TestTerminalLog::logIsBounded()
{
    Log log(3);
    for (int n = 0; n < 5; ++n)
        log.add(QByteArray::number(n) + '\r', n, false);
    QCOMPARE(log.lines().size(), size_t(3));
    QCOMPARE(log.dropped(), 2u);
    QCOMPARE(log.lines().front().bytes, QByteArray("2\r"));
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
