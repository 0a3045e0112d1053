// SPDX-License-Identifier: GPL-3.0-or-later
// The rules by which answers are read, and the queue's bookkeeping.
#include "link/answerrules.h"
#include "link/commandqueue.h"

#include <QRandomGenerator>
#include <QtTest>

using answer::Ack;
using answer::Route;

class TestAnswerRules : public QObject {
    Q_OBJECT
private slots:
    void statusDigit_data();
    void statusDigit();
    void errorPosition();
    void onePassRulesAgreeWithTheirDefinition();
    void acknowledgement();
    void routing_data();
    void routing();
    void keystroke();
    void terminalClearing();
    void commandBody();
    void errorMessage();
    void queueOrderAndCounts();
    void queueLastQueuedAndClear();
    void queueAheadOfThePoll();
};

void TestAnswerRules::statusDigit_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("removed");
    QTest::newRow("digit 3") << QByteArray("#1s\rok3\r") << QByteArray("#1s\rok\r") << true;
    QTest::newRow("bare ok") << QByteArray("#1s\rok\r") << QByteArray("#1s\rok\r") << false;
    // Digits are tried from 0 upwards, so a later ok1 goes before an earlier ok3.
    QTest::newRow("order of digits") << QByteArray("ok3\rok1\r") << QByteArray("ok3\rok\r") << true;
    QTest::newRow("only the first of a digit") << QByteArray("ok2\rok2\r") << QByteArray("ok\rok2\r") << true;
    QTest::newRow("digit 5 is no status") << QByteArray("ok5\r") << QByteArray("ok5\r") << false;
    QTest::newRow("digit without carriage return") << QByteArray("ok3") << QByteArray("ok3") << false;
}

void TestAnswerRules::statusDigit()
{
    QFETCH(QByteArray, buffer);
    QFETCH(QByteArray, expected);
    QFETCH(bool, removed);
    QCOMPARE(answer::removeStatusDigit(buffer), removed);
    QCOMPARE(buffer, expected);
}

void TestAnswerRules::errorPosition()
{
    QCOMPARE(answer::errorPosition("#1x\r** unbekannt\r"), 5);
    QCOMPARE(answer::errorPosition("** a"), 1);
    QCOMPARE(answer::errorPosition("#1s\rok\r"), 0);
    QCOMPARE(answer::errorPosition("P1=2\r****\r** x"), 0); // a row of stars is no error
    QCOMPARE(answer::errorPosition("*a*"), 0);
    QVERIFY(answer::holdsUnresolvedError("x** y"));
    QVERIFY(!answer::holdsUnresolvedError("x**** y"));
    QVERIFY(!answer::holdsUnresolvedError("x* y"));
}

void TestAnswerRules::onePassRulesAgreeWithTheirDefinition()
{
    // The status digit and the error position are found in one pass over
    // the buffer; on random buffers made of the pieces that matter they
    // must agree with the rules as defined: the first "okD\r" of the lowest
    // digit, and the first "**" unless "****" stands anywhere.
    auto digitByDefinition = [](QByteArray buffer) {
        for (char digit = '0'; digit <= '4'; ++digit) {
            const qsizetype at = buffer.indexOf(QByteArray("ok") + digit + '\r');
            if (at >= 0)
                return buffer.remove(at + 2, 1);
        }
        return buffer;
    };
    auto errorByDefinition = [](const QByteArray &buffer) {
        return buffer.contains("****") ? 0 : int(buffer.indexOf("**") + 1);
    };
    const QList<QByteArray> pieces = {"ok", "o", "k", "0", "1", "2", "3", "4", "5", "\r", "*", "**", "x"};
    QRandomGenerator rng(7);
    for (int round = 0; round < 20000; ++round) {
        QByteArray buffer;
        for (int i = 0, n = rng.bounded(16); i < n; ++i)
            buffer += pieces[rng.bounded(pieces.size())];
        QByteArray fast = buffer;
        answer::removeStatusDigit(fast);
        QCOMPARE(fast, digitByDefinition(buffer));
        QCOMPARE(answer::errorPosition(buffer), errorByDefinition(buffer));
    }
}

void TestAnswerRules::acknowledgement()
{
    const QByteArray c = "#1s\r";
    QCOMPARE(answer::acknowledgement("#1s\rok\r", c), Ack::Exact);
    QCOMPARE(answer::acknowledgement("xx#1s\rok\r", c), Ack::Contained);
    QCOMPARE(answer::acknowledgement("#1s\rok\rmore", c), Ack::Contained);
    QCOMPARE(answer::acknowledgement("#1s\ro", c), Ack::None);
    QCOMPARE(answer::acknowledgement("#1s\rok3\r", c), Ack::None); // digit not yet removed
    QCOMPARE(answer::acknowledgement("#2s\rok\r", c), Ack::None);
}

void TestAnswerRules::routing_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("route");
    const QByteArray any = "#1x\rP1=5\r";
    for (int k : {14, 16, 17, 18})
        QTest::addRow("listing %d", k) << any << k << int(Route::ParameterListing);
    QTest::newRow("program listing") << any << 3 << int(Route::ProgramListing);
    QTest::newRow("program line waiting") << any << 4 << int(Route::None);
    QTest::newRow("program line done") << QByteArray("#1V1\rpgm\r") << 4 << int(Route::ProgramLineDone);
    QTest::newRow("pgm needs its return") << QByteArray("#1V1\rpgm") << 4 << int(Route::None);
    QTest::newRow("language") << any << 9 << int(Route::Language);
    QTest::newRow("version") << QByteArray("#1ver\rVersion 1.04\r") << 15 << int(Route::Version);
    QTest::newRow("version without 0") << QByteArray("#1ver\rVersion 1.1\r") << 15 << int(Route::Version);
    QTest::newRow("version text, other kind") << QByteArray("Version 1.0") << 0 << int(Route::None);
    QTest::newRow("status") << any << 5 << int(Route::Status);
    QTest::newRow("output 6") << any << 6 << int(Route::Output);
    QTest::newRow("output 10") << any << 10 << int(Route::Output);
    QTest::newRow("trace complete") << QByteArray("#1List.\rV1\rok\r") << 12 << int(Route::Trace);
    QTest::newRow("trace incomplete") << QByteArray("#1List.\rV1\r") << 12 << int(Route::None);
    QTest::newRow("quit done") << QByteArray("x#1quit\rok\r") << 13 << int(Route::QuitDone);
    QTest::newRow("quit waiting") << QByteArray("#1quit\r") << 13 << int(Route::None);
    QTest::newRow("plain kind 0") << QByteArray("#1s\rok\r") << 0 << int(Route::None);
    QTest::newRow("kind 1") << QByteArray("ok\r") << 1 << int(Route::None);
}

void TestAnswerRules::routing()
{
    QFETCH(QByteArray, buffer);
    QFETCH(int, kind);
    QFETCH(int, route);
    QCOMPARE(int(answer::routeByKind(buffer, uint8_t(kind))), route);
}

void TestAnswerRules::keystroke()
{
    QVERIFY(answer::keystrokeAnswered("aok\r", "a"));
    QVERIFY(answer::keystrokeAnswered("a", "a"));
    QVERIFY(answer::keystrokeAnswered("xyz ok\r", "a"));
    QVERIFY(!answer::keystrokeAnswered("ab", "a"));
    QVERIFY(!answer::keystrokeAnswered("", "a"));
}

void TestAnswerRules::terminalClearing()
{
    QVERIFY(!answer::terminalNeedsClearing(200, true));
    QVERIFY(answer::terminalNeedsClearing(201, true));
    QVERIFY(!answer::terminalNeedsClearing(500, false));
    QVERIFY(answer::terminalNeedsClearing(501, false));
    QVERIFY(!answer::terminalNeedsClearing(300, false));
}

void TestAnswerRules::commandBody()
{
    QCOMPARE(answer::commandBody("#1V100\r", "1"), QByteArray("V100"));
    QCOMPARE(answer::commandBody("#12P41=5\r", "12"), QByteArray("P41=5"));
    // A program line that itself begins with digits keeps them.
    QCOMPARE(answer::commandBody("#310 GOTO 5\r", "3"), QByteArray("10 GOTO 5"));
    QCOMPARE(answer::commandBody("#7s\r", "3"), QByteArray("s"));
    QCOMPARE(answer::commandBody("#*s\r", "3"), QByteArray("s"));
    QCOMPARE(answer::commandBody("a", "3"), QByteArray("a"));
    QCOMPARE(answer::commandBody("", "3"), QByteArray());
}

void TestAnswerRules::errorMessage()
{
    QCOMPARE(answer::programLineErrorMessage("** Fehler 7", "Fehler in Zeile ", 12, "V100"),
             QByteArray("** Fehler 7\r\r\rFehler in Zeile 12\r\"V100\""));
}

void TestAnswerRules::queueOrderAndCounts()
{
    CommandQueue q;
    QVERIFY(!q.head());
    QVERIFY(q.append("a"));  // empty queue: becomes the head
    QCOMPARE(q.waitingCount(), 0);
    QVERIFY(!q.append("b"));
    QVERIFY(!q.append("c"));
    QCOMPARE(q.waitingCount(), 2);
    QCOMPARE(q.size(), 3);
    QCOMPARE(q.head()->Text, QByteArray("a"));
    QCOMPARE(q.tail()->Text, QByteArray("c"));
    QCOMPARE(q.head()->Next->Text, QByteArray("b"));
    QCOMPARE(q.releaseHead()->Text, QByteArray("b"));
    QCOMPARE(q.waitingCount(), 1);
    QCOMPARE(q.releaseHead()->Text, QByteArray("c"));
    QCOMPARE(q.waitingCount(), 0);
    QVERIFY(!q.releaseHead());
    QVERIFY(!q.head());
    QVERIFY(!q.tail());
    QVERIFY(!q.releaseHead()); // nothing to release: harmless
    QVERIFY(q.append("d"));    // and the queue starts afresh
    QCOMPARE(q.head(), q.tail());
}

void TestAnswerRules::queueLastQueuedAndClear()
{
    CommandQueue q;
    q.append("a");
    q.lastQueued()->Kind = 4;
    q.append("b");
    q.lastQueued()->Kind = 9;
    QCOMPARE(q.head()->Kind, uint8_t(4));
    QCOMPARE(q.tail()->Kind, uint8_t(9));
    q.releaseHead();
    QCOMPARE(q.lastQueued(), q.head()); // "b" is still queued
    q.releaseHead();
    QVERIFY(!q.lastQueued());            // freed nodes are not handed out
    q.append("x");
    q.append("y");
    q.setWaitingCount(0);               // the count alone, the commands stay
    QCOMPARE(q.size(), 2);
    q.clear();
    QCOMPARE(q.size(), 0);
    QCOMPARE(q.waitingCount(), 0);
    QVERIFY(!q.head() && !q.tail() && !q.lastQueued());
}

void TestAnswerRules::queueAheadOfThePoll()
{
    const auto texts = [](const CommandQueue &q) {
        QByteArrayList list;
        for (const CommandNode *node = q.head(); node; node = node->Next)
            list << node->Text;
        return list;
    };
    const auto append = [](CommandQueue &q, const QByteArray &text, uint8_t kind) {
        q.append(text);
        q.lastQueued()->Kind = kind;
    };
    const QByteArray cycle[] = {"#1P51?\r", "#P336?\r", "#P11?\r"};

    // Into an empty queue: it is the head, to be sent now.
    CommandQueue empty;
    CommandNode *node = empty.insertAheadOfPoll("#1s\r", false);
    QCOMPARE(empty.head(), node);
    QCOMPARE(empty.tail(), node);
    QCOMPARE(empty.waitingCount(), 0);

    // Right behind the query in flight, ahead of the queries waiting.
    CommandQueue q;
    for (const QByteArray &query : cycle)
        append(q, query, CommandKind::Status);
    node = q.insertAheadOfPoll("#1s\r", false);
    QCOMPARE(q.head()->Next, node);
    QCOMPARE(texts(q), (QByteArrayList {"#1P51?\r", "#1s\r", "#P336?\r", "#P11?\r"}));
    QCOMPARE(q.waitingCount(), 3);
    QCOMPARE(q.lastQueued()->Text, QByteArray("#P11?\r")); // inserting is no append

    // To another drive: behind the queries without an address, which the
    // drive addressed last answers.
    CommandQueue other;
    for (const QByteArray &query : cycle)
        append(other, query, CommandKind::Status);
    node = other.insertAheadOfPoll("#2s\r", true);
    QCOMPARE(texts(other), (QByteArrayList {"#1P51?\r", "#P336?\r", "#P11?\r", "#2s\r"}));
    QCOMPARE(other.tail(), node);
    append(other, "#1P12=0\r", CommandKind::Plain); // the tail moved on with it
    QCOMPARE(other.tail()->Text, QByteArray("#1P12=0\r"));

    // Never ahead of a command the user gave before it: a jog waiting
    // would run after the stop.
    CommandQueue jog;
    append(jog, "#P11?\r", CommandKind::Status);
    append(jog, "#P12?\r", CommandKind::Status);
    append(jog, "#1rs\r", CommandKind::Plain);
    append(jog, "#1P51?\r", CommandKind::Status);
    append(jog, "#P336?\r", CommandKind::Status);
    jog.insertAheadOfPoll("#1s\r", true);
    QCOMPARE(texts(jog), (QByteArrayList {"#P11?\r", "#P12?\r", "#1rs\r", "#1s\r", "#1P51?\r", "#P336?\r"}));
    QCOMPARE(jog.waitingCount(), 5);
    QCOMPARE(jog.size(), 6);
}

QTEST_APPLESS_MAIN(TestAnswerRules)
#include "test_answerrules.moc"
