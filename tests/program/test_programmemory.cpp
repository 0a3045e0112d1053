// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated drive's program memory on its own, and a program written and
// read back through it by the program's own transfer rules.
#include "program/programtransfer.h"
#include "sim/programmemory.h"

#include <QtTest>

namespace {

const QByteArray kAck = "\nok3\n\r";
const QByteArray kPgm = "\npgm\n\r";

// What the receive buffer makes of an answer: no line feeds, and the first
// status digit after "ok" removed.
QByteArray received(const QByteArray &echoAndAnswer)
{
    QByteArray buffer = echoAndAnswer;
    buffer.replace('\n', QByteArray());
    for (char digit = '0'; digit <= '4'; ++digit) {
        const qsizetype at = buffer.indexOf(QByteArray("ok") + digit + '\r');
        if (at >= 0) {
            buffer.remove(at + 2, 1);
            break;
        }
    }
    return buffer;
}

// Enters the lines; returns every answer in order (the one to "new" first,
// the one to "quit" last).
QByteArrayList enter(sim::ProgramMemory &memory, const QByteArrayList &lines)
{
    QByteArrayList answers;
    answers.append(memory.answer("new", kAck).value_or("none"));
    for (const QByteArray &line : lines)
        answers.append(memory.answer(line, kAck).value_or("none"));
    answers.append(memory.answer("quit", kAck).value_or("none"));
    return answers;
}

} // namespace

class TestProgramMemory : public QObject {
    Q_OBJECT
private slots:
    void sampleListing();
    void entryReplacesProgram();
    void validLines_data();
    void validLines();
    void syntaxError();
    void missingLabel_data();
    void missingLabel();
    void neverAnsweredLine();
    void notItsBusiness();
    void traceSteps();
    void traceThroughJump();
    void writtenAndReadBack();
};

void TestProgramMemory::sampleListing()
{
    sim::ProgramMemory memory;
    QVERIFY(memory.lines().size() >= 8);
    QVERIFY(!sim::ProgramMemory::missingLabel(memory.lines()));
    for (const QByteArray &line : memory.lines())
        QVERIFY2(sim::ProgramMemory::isValidLine(line), line.constData());

    const auto answer = memory.answer("list", kAck);
    QVERIFY(answer);
    QVERIFY(answer->startsWith("\n\r\n" + memory.lines().first() + "\r"));
    QVERIFY(answer->endsWith("\n" + memory.lines().last() + "\r" + kAck));
    const auto listing = program::parseListing(received("#1list\r" + *answer));
    QVERIFY(listing);
    QCOMPARE(QByteArrayList(listing->lines.begin() + 1, listing->lines.begin() + 1 + memory.lines().size()),
             memory.lines());
}

void TestProgramMemory::entryReplacesProgram()
{
    sim::ProgramMemory memory;
    const QByteArrayList program {"V=100", ":top", "G-250", "T20", "JMP top"};
    QCOMPARE(enter(memory, program), QByteArrayList({kPgm, kPgm, kPgm, kPgm, kPgm, kPgm, kAck}));
    QVERIFY(!memory.inEntry());
    QCOMPARE(memory.lines(), program);
    QCOMPARE(*memory.answer("list", "\nok\n\r"), QByteArray("\n\r\nV=100\r\n:top\r\nG-250\r\nT20\r\nJMP top\r\nok\n\r"));

    // An empty program: the write of an empty row 1.
    QCOMPARE(enter(memory, {""}), QByteArrayList({kPgm, kPgm, kAck}));
    QVERIFY(memory.lines().isEmpty());
    QCOMPARE(received("#1list\r" + *memory.answer("list", kAck)), QByteArray("#1list\r\rok\r"));
}

void TestProgramMemory::validLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("valid");
    QTest::newRow("assignment") << QByteArray("V=500") << true;
    QTest::newRow("decimal") << QByteArray("V=12.5") << true;
    QTest::newRow("go") << QByteArray("G1000") << true;
    QTest::newRow("wait") << QByteArray("t500") << true;
    QTest::newRow("label") << QByteArray(":loop2") << true;
    QTest::newRow("jump") << QByteArray("jmp loop2") << true;
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("no value") << QByteArray("W=") << false;
    QTest::newRow("value not a number") << QByteArray("V=ok") << false;
    QTest::newRow("name begins with a digit") << QByteArray("1V=5") << false;
    QTest::newRow("go without target") << QByteArray("G") << false;
    QTest::newRow("unknown word") << QByteArray("Look") << false;
    QTest::newRow("word with text") << QByteArray("e5") << false;
    QTest::newRow("jump nowhere") << QByteArray("JMP ") << false;
}

void TestProgramMemory::validLines()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, valid);
    QCOMPARE(sim::ProgramMemory::isValidLine(line), valid);
}

void TestProgramMemory::syntaxError()
{
    sim::ProgramMemory memory;
    const QByteArrayList answers = enter(memory, {"V=1", "V=ok", "e"});
    QCOMPARE(answers[2], QByteArray("\n** Syntaxfehler\r"));
    QVERIFY(!answers[2].contains("label"));
    QCOMPARE(answers.last(), kAck);
    QCOMPARE(memory.lines(), QByteArrayList({"V=1", "e"}));
}

void TestProgramMemory::missingLabel_data()
{
    QTest::addColumn<QByteArrayList>("program");
    QTest::addColumn<QByteArray>("missing"); // empty: none
    QTest::newRow("forward jump") << QByteArrayList {"JMP b", "e", ":b"} << QByteArray();
    QTest::newRow("no such label") << QByteArrayList {":a", "JMP nirgends"} << QByteArray("nirgends");
    QTest::newRow("first missing named") << QByteArrayList {"JMP x", "JMP y"} << QByteArray("x");
    QTest::newRow("names compared exactly") << QByteArrayList {":Loop", "JMP loop"} << QByteArray("loop");
}

void TestProgramMemory::missingLabel()
{
    QFETCH(QByteArrayList, program);
    QFETCH(QByteArray, missing);
    sim::ProgramMemory memory;
    const QByteArrayList before = memory.lines();
    const QByteArrayList answers = enter(memory, program);
    // Each line is taken as it comes; the jumps are checked at the end.
    for (qsizetype i = 0; i + 1 < answers.size(); ++i)
        QCOMPARE(answers[i], kPgm);
    QVERIFY(!memory.inEntry());
    if (missing.isEmpty()) {
        QCOMPARE(answers.last(), kAck);
        QCOMPARE(memory.lines(), program);
    } else {
        QCOMPARE(answers.last(), "\n** label " + missing + " fehlt\r");
        QCOMPARE(memory.lines(), before);
    }
}

void TestProgramMemory::neverAnsweredLine()
{
    sim::ProgramMemory memory;
    memory.setNeverAnswerLine(2);
    QCOMPARE(enter(memory, {"V=1", "V=2", "V=3"}), QByteArrayList({kPgm, kPgm, QByteArray(), kPgm, kAck}));
    QCOMPARE(memory.lines(), QByteArrayList({"V=1", "V=3"}));
    // Only the next entry.
    QCOMPARE(enter(memory, {"V=1", "V=2"}), QByteArrayList({kPgm, kPgm, kPgm, kAck}));
}

void TestProgramMemory::notItsBusiness()
{
    sim::ProgramMemory memory;
    for (const char *command : {"quit", "ver", "P41=5", "P265?", "listp", "", "Run"})
        QVERIFY2(!memory.answer(command, kAck), command);
    // "new" then "quit": every other command in between was a program line.
    QCOMPARE(*memory.answer("new", kAck), kPgm);
    QVERIFY(memory.inEntry());
    QCOMPARE(*memory.answer("ver", kAck), QByteArray("\n** Syntaxfehler\r"));
    QCOMPARE(*memory.answer("list", kAck), QByteArray("\n** Syntaxfehler\r"));
    QCOMPARE(*memory.answer("quit", kAck), kAck);
    QVERIFY(!memory.answer("quit", kAck));
}

void TestProgramMemory::traceSteps()
{
    sim::ProgramMemory memory;
    memory.setLines({"V=500", "W=1000", "e", "end", "W=0"});
    auto shown = [&memory](const char *query) {
        const QByteArray command(query);
        return program::traceAnswer(received("#1" + command + "\r" + *memory.answer(command, kAck)));
    };
    using program::TraceLine;
    using program::TraceTarget;
    QCOMPARE(*memory.answer("TRON", kAck), kAck);
    QVERIFY(memory.traceMode());
    QCOMPARE(*memory.answer("RUN", kAck), kAck);
    QVERIFY(!memory.running());
    QCOMPARE(shown("List."), (TraceLine {TraceTarget::Next, "V=500"}));
    QCOMPARE(shown("List-"), (TraceLine {TraceTarget::Current, ""}));

    const QByteArrayList expected {"V=500", "W=1000", "e", "end"};
    for (qsizetype step = 0; step < expected.size(); ++step) {
        QCOMPARE(*memory.answer("TR", kAck), kAck);
        QCOMPARE(shown("List-"), (TraceLine {TraceTarget::Current, expected[step]}));
        const QByteArray next = step + 1 < expected.size() ? expected[step + 1] : QByteArray();
        QCOMPARE(shown("List."), (TraceLine {TraceTarget::Next, next}));
    }
    // Past the end nothing is current any more.
    memory.answer("TR", kAck);
    QCOMPARE(shown("List-"), (TraceLine {TraceTarget::Current, ""}));

    QCOMPARE(*memory.answer("STROFF", kAck), kAck);
    QVERIFY(!memory.traceMode());
    QCOMPARE(*memory.answer("run", kAck), kAck);
    QVERIFY(memory.running());
    QCOMPARE(*memory.answer("S", kAck), kAck);
    QVERIFY(!memory.running());
}

void TestProgramMemory::traceThroughJump()
{
    sim::ProgramMemory memory;
    memory.setLines({"V=1", ":loop", "e", "JMP loop"});
    memory.answer("TRON", kAck);
    memory.answer("RUN", kAck);
    QByteArrayList visited;
    for (int step = 0; step < 7; ++step) {
        memory.answer("TR", kAck);
        const auto current = program::traceAnswer(received("#1List-\r" + *memory.answer("List-", kAck)));
        QVERIFY(current);
        visited.append(current->text);
    }
    QCOMPARE(visited, QByteArrayList({"V=1", ":loop", "e", "JMP loop", ":loop", "e", "JMP loop"}));
}

void TestProgramMemory::writtenAndReadBack()
{
    // The commands a write queues, answered one by one, then the listing.
    program::ProgramLines lines;
    const QByteArrayList rows {"#12G1000", "V=250", ":a", "T10", "JMP a", "", "never sent"};
    for (qsizetype i = 0; i < rows.size(); ++i)
        lines[i + 1] = rows[i];
    sim::ProgramMemory memory;
    for (const program::QueuedCommand &command : program::programWriteCommands(lines, "12", false)) {
        QVERIFY(command.text.startsWith("#12") && command.text.endsWith('\r'));
        const QByteArray body = command.text.mid(3).chopped(1);
        const std::optional<QByteArray> answer = memory.answer(body, kAck);
        QVERIFY2(answer, body.constData());
        const QByteArray buffer = received(command.text + *answer);
        if (command.kind == 4)
            QVERIFY2(buffer.contains("pgm\r"), buffer.constData());
        else
            QCOMPARE(buffer, command.text + "ok\r");
    }
    const QByteArray listing = received("#12list\r" + *memory.answer("list", kAck));
    const auto parsed = program::parseListing(listing);
    QVERIFY(parsed);
    QCOMPARE(QByteArrayList(parsed->lines.begin() + 1, parsed->lines.begin() + 6),
             QByteArrayList({"G1000", "V=250", ":a", "T10", "JMP a"}));
    QVERIFY(parsed->lines[6].isEmpty());
}

QTEST_GUILESS_MAIN(TestProgramMemory)
#include "test_programmemory.moc"
