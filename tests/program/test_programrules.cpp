// SPDX-License-Identifier: GPL-3.0-or-later
// The program editor's rules: line editing, the commands a write sends, the
// listing and trace answers, and program files.
#include "link/commandqueue.h"
#include "program/programfile.h"
#include "program/programlines.h"
#include "program/programtransfer.h"

#include <QtTest>

using program::ProgramLines;

namespace {

ProgramLines linesOf(const QByteArrayList &rows)
{
    ProgramLines lines;
    for (int i = 0; i < rows.size(); ++i)
        lines[i + 1] = rows[i];
    return lines;
}

// Rows 1..count, for readable comparisons.
QByteArrayList rowsOf(const ProgramLines &lines, int count)
{
    return QByteArrayList(lines.begin() + 1, lines.begin() + 1 + count);
}

// The rows up to the last one that holds text.
QByteArrayList usedRows(const ProgramLines &lines)
{
    int last = program::kRows;
    while (last > 0 && lines[last].isEmpty())
        --last;
    return rowsOf(lines, last);
}

ProgramLines numberedLines(int count)
{
    ProgramLines lines;
    for (int row = 1; row <= count; ++row)
        lines[row] = "L" + QByteArray::number(row);
    return lines;
}

QByteArray listingOf(const QByteArrayList &lines)
{
    QByteArray buffer = "#1list\r\r";
    for (const QByteArray &line : lines)
        buffer += line + '\r';
    return buffer + "ok\r";
}

QByteArrayList textsOf(const QList<program::QueuedCommand> &commands)
{
    QByteArrayList texts;
    for (const auto &command : commands)
        texts.append(command.text);
    return texts;
}

QList<int> kindsOf(const QList<program::QueuedCommand> &commands)
{
    QList<int> kinds;
    for (const auto &command : commands)
        kinds.append(command.kind);
    return kinds;
}

} // namespace

class TestProgramRules : public QObject {
    Q_OBJECT
private slots:
    void truncation_data();
    void truncation();
    void rowLabelsAndEnter();
    void insertLine();
    void insertUntilFull();
    void deleteLine();
    void invalidRows();
    void teachIn_data();
    void teachIn();
    void clearing();

    void writtenLines_data();
    void writtenLines();
    void writeOfFullGrid();
    void writeSequence_data();
    void writeSequence();

    void listing_data();
    void listing();
    void listingIncomplete_data();
    void listingIncomplete();
    void listingOverflow();
    void listingIsLinear();

    void traceAnswer_data();
    void traceAnswer();
    void readAndTraceCommands();
    void executeLine();

    void fileFormat();
    void fileParse_data();
    void fileParse();
    void fileRoundTrip();
    void fileTooLong();
    void fileNameCaption_data();
    void fileNameCaption();
};

void TestProgramRules::rowLabelsAndEnter()
{
    QCOMPARE(program::lineLabel(9), QByteArray("    9:#"));
    QCOMPARE(program::lineLabel(10), QByteArray("  10:#"));
    QCOMPARE(program::lineLabel(99), QByteArray("  99:#"));
    QCOMPARE(program::lineLabel(100), QByteArray("100:#"));
    QCOMPARE(program::rowAfterEnter(1), 2);
    QCOMPARE(program::rowAfterEnter(298), 299);
    QCOMPARE(program::rowAfterEnter(299), 299);
}

void TestProgramRules::insertLine()
{
    ProgramLines lines = linesOf({"A", "B", "C"});
    QVERIFY(program::insertLine(lines, 2));
    QCOMPARE(usedRows(lines), QByteArrayList({"A", "", "B", "C"}));
    QVERIFY(program::insertLine(lines, 1));
    QCOMPARE(usedRows(lines), QByteArrayList({"", "A", "", "B", "C"}));

    // The overflow slot is full: nothing moves.
    lines[program::kOverflowRow] = "X";
    const ProgramLines before = lines;
    QVERIFY(!program::insertLine(lines, 1));
    QVERIFY(lines == before);
}

void TestProgramRules::insertUntilFull()
{
    ProgramLines lines;
    lines[298] = "P";
    lines[299] = "Q";
    QVERIFY(program::insertLine(lines, 299));
    QCOMPARE(lines[298], QByteArray("P"));
    QCOMPARE(lines[299], QByteArray());
    QCOMPARE(lines[300], QByteArray("Q"));

    // Full now: refused until a line is deleted.
    QVERIFY(!program::insertLine(lines, 5));
    QVERIFY(program::deleteLine(lines, 5));
    QCOMPARE(lines[298], QByteArray());
    QCOMPARE(lines[297], QByteArray("P"));
    QCOMPARE(lines[299], QByteArray("Q"));
    QCOMPARE(lines[300], QByteArray());
    QVERIFY(program::insertLine(lines, 5));
}

void TestProgramRules::deleteLine()
{
    ProgramLines lines = linesOf({"A", "B", "C"});
    QVERIFY(program::deleteLine(lines, 2));
    QCOMPARE(usedRows(lines), QByteArrayList({"A", "C"}));
    // Below the program only empty lines move.
    QVERIFY(program::deleteLine(lines, 10));
    QCOMPARE(usedRows(lines), QByteArrayList({"A", "C"}));

    // Row 299 takes the overflow slot's line; the slot is empty then.
    lines[299] = "Y";
    lines[300] = "Z";
    QVERIFY(program::deleteLine(lines, 299));
    QCOMPARE(lines[299], QByteArray("Z"));
    QCOMPARE(lines[300], QByteArray());
    QCOMPARE(lines[298], QByteArray());
}

void TestProgramRules::invalidRows()
{
    ProgramLines lines = linesOf({"A", "B"});
    const ProgramLines before = lines;
    for (int row : {0, 300, -1, 1000}) {
        QVERIFY(!program::insertLine(lines, row));
        QVERIFY(!program::deleteLine(lines, row));
        program::teachIn(lines, row, "12");
    }
    QVERIFY(lines == before);
}

void TestProgramRules::teachIn_data()
{
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("number and text") << QByteArray("1234.5 mm") << QByteArray("V=5W=1234.5");
    QTest::newRow("number and letters") << QByteArray("1234.5abc") << QByteArray("V=5W=1234.5");
    QTest::newRow("minus and digits") << QByteArray("-2500") << QByteArray("V=5W=-2500");
    QTest::newRow("leading blank") << QByteArray(" 12") << QByteArray("V=5W=");
    QTest::newRow("empty display") << QByteArray() << QByteArray("V=5W=");
    QTest::newRow("stops at a comma") << QByteArray("12,5") << QByteArray("V=5W=12");
}

void TestProgramRules::teachIn()
{
    QFETCH(QByteArray, display);
    QFETCH(QByteArray, line);
    ProgramLines lines = linesOf({"A", "V=5", "C"});
    program::teachIn(lines, 2, display);
    QCOMPARE(usedRows(lines), QByteArrayList({"A", line, "C"}));
}

void TestProgramRules::clearing()
{
    ProgramLines lines = numberedLines(300);
    QVERIFY(!program::isEmptyProgram(lines));
    program::clearLines(lines);
    QVERIFY(program::isEmptyProgram(lines));
}

void TestProgramRules::writtenLines_data()
{
    QTest::addColumn<QByteArrayList>("rows");
    QTest::addColumn<QByteArrayList>("sent");
    QTest::addColumn<QByteArrayList>("rowsAfter");
    QTest::newRow("row 1 empty") << QByteArrayList {} << QByteArrayList {"#3\r"} << QByteArrayList {};
    QTest::newRow("row 1 empty, row 2 not") << QByteArrayList {"", "B"} << QByteArrayList {"#3\r", "#3B\r"}
                                            << QByteArrayList {"", "B"};
    QTest::newRow("three lines") << QByteArrayList {"V=500", "e", "T500"}
                                 << QByteArrayList {"#3V=500\r", "#3e\r", "#3T500\r"}
                                 << QByteArrayList {"V=500", "e", "T500"};
    QTest::newRow("empty row ends it") << QByteArrayList {"A", "B", "", "C"} << QByteArrayList {"#3A\r", "#3B\r"}
                                       << QByteArrayList {"A", "B", "", "C"};
    QTest::newRow("blank first ends it") << QByteArrayList {"A", " B", "C"} << QByteArrayList {"#3A\r"}
                                         << QByteArrayList {"A", " B", "C"};
    QTest::newRow("address in the line") << QByteArrayList {"#12G1000", "e"} << QByteArrayList {"#3G1000\r", "#3e\r"}
                                         << QByteArrayList {"G1000", "e"};
    QTest::newRow("only the hash") << QByteArrayList {"A", "#", "C"} << QByteArrayList {"#3A\r", "#3\r", "#3C\r"}
                                   << QByteArrayList {"A", "", "C"};
    QTest::newRow("only hash and digits") << QByteArrayList {"#123"} << QByteArrayList {"#3\r"} << QByteArrayList {};
    QTest::newRow("digits after the text stay") << QByteArrayList {"#7T500"} << QByteArrayList {"#3T500\r"}
                                                << QByteArrayList {"T500"};
    QTest::newRow("hash later in the line") << QByteArrayList {"A#12"} << QByteArrayList {"#3A#12\r"}
                                            << QByteArrayList {"A#12"};
    // A row not sent keeps its address.
    QTest::newRow("unsent row untouched") << QByteArrayList {"A", "", "#5B"} << QByteArrayList {"#3A\r"}
                                          << QByteArrayList {"A", "", "#5B"};
}

void TestProgramRules::writtenLines()
{
    QFETCH(QByteArrayList, rows);
    QFETCH(QByteArrayList, sent);
    QFETCH(QByteArrayList, rowsAfter);
    ProgramLines lines = linesOf(rows);
    QCOMPARE(program::programLineCommands(lines, "3"), sent);
    QCOMPARE(usedRows(lines), rowsAfter);
}

void TestProgramRules::writeOfFullGrid()
{
    ProgramLines lines = numberedLines(300);
    const QByteArrayList sent = program::programLineCommands(lines, "1");
    QCOMPARE(sent.size(), program::kVisibleRows);
    QCOMPARE(sent.first(), QByteArray("#1L1\r"));
    QCOMPARE(sent.last(), QByteArray("#1L299\r"));
    QVERIFY(!sent.contains("#1L300\r"));
}

void TestProgramRules::writeSequence_data()
{
    QTest::addColumn<bool>("traceOn");
    QTest::addColumn<QByteArrayList>("texts");
    QTest::addColumn<QList<int>>("kinds");
    QTest::newRow("trace off") << false << QByteArrayList {"#2TROFF\r", "#2S\r", "#2new\r", "#2V=1\r", "#2quit\r"}
                               << QList<int> {0, 0, 4, 4, 19};
    QTest::newRow("trace on") << true
                              << QByteArrayList {"#2TROFF\r", "#2s\r", "#2S\r", "#2new\r", "#2V=1\r", "#2quit\r"}
                              << QList<int> {0, 0, 0, 4, 4, 19};
}

void TestProgramRules::writeSequence()
{
    QFETCH(bool, traceOn);
    QFETCH(QByteArrayList, texts);
    QFETCH(QList<int>, kinds);
    ProgramLines lines = linesOf({"#2V=1"});
    const auto commands = program::programWriteCommands(lines, "2", traceOn);
    QCOMPARE(textsOf(commands), texts);
    QCOMPARE(kindsOf(commands), kinds);
    QCOMPARE(lines[1], QByteArray("V=1"));
}

void TestProgramRules::readAndTraceCommands()
{
    auto commands = program::programReadCommands("4", false);
    QCOMPARE(textsOf(commands), QByteArrayList({"#4TROFF\r", "#4p1028=8\r", "#4list\r"}));
    QCOMPARE(kindsOf(commands), QList<int>({0, 0, CommandKind::ProgramListing}));
    commands = program::programReadCommands("4", true);
    QCOMPARE(textsOf(commands), QByteArrayList({"#4TROFF\r", "#4s\r", "#4p1028=8\r", "#4list\r"}));
    QCOMPARE(program::driveSourceCaption("4"), QByteArray("ZYNT-EEProm Programm - address 4"));

    QCOMPARE(textsOf(program::traceOnCommands("1")), QByteArrayList({"#1TRON\r", "#1RUN\r", "#1List.\r"}));
    QCOMPARE(kindsOf(program::traceOnCommands("1")), QList<int>({0, 0, CommandKind::Trace}));
    QCOMPARE(textsOf(program::traceStepCommands("1")), QByteArrayList({"#1TR\r", "#1List.\r", "#1List-\r"}));
    QCOMPARE(kindsOf(program::traceStepCommands("1")), QList<int>({0, CommandKind::Trace, CommandKind::Trace}));
    QCOMPARE(textsOf(program::traceOffCommands("1")), QByteArrayList({"#1STROFF\r"}));
    QCOMPARE(textsOf(program::leaveTraceCommands("1", true)), QByteArrayList({"#1TROFF\r", "#1s\r"}));
    QCOMPARE(textsOf(program::leaveTraceCommands("1", false)), QByteArrayList({"#1TROFF\r"}));
    QCOMPARE(program::runCommand("7"), (program::QueuedCommand {"#7run\r", 0}));
    QCOMPARE(program::stopCommand("7"), (program::QueuedCommand {"#7s\r", 0}));
}

void TestProgramRules::listing_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<QByteArrayList>("rows");
    QTest::newRow("empty program") << QByteArray("#1list\r\rok\r") << QByteArrayList {};
    QTest::newRow("two lines") << listingOf({"V=500", "e"}) << QByteArrayList {"V=500", "e"};
    QTest::newRow("lines holding ok") << listingOf({"Look", "ok1", "V=ok", " ok"})
                                      << QByteArrayList {"Look", "ok1", "V=ok", " ok"};
    QTest::newRow("a line that is ok") << listingOf({"ok", "V=1"}) << QByteArrayList {"ok", "V=1"};
    QTest::newRow("empty line inside") << listingOf({"A", "", "B"}) << QByteArrayList {"A", "", "B"};
    QTest::newRow("noise before the echo") << QByteArray("xx\r#1list\r\rA\rok\r") << QByteArrayList {"A"};
    QTest::newRow("line named list") << listingOf({"list", "A"}) << QByteArrayList {"list", "A"};
    QTest::newRow("address 200") << QByteArray("#200list\r\rA\rB\rok\r") << QByteArrayList {"A", "B"};
}

void TestProgramRules::listing()
{
    QFETCH(QByteArray, buffer);
    QFETCH(QByteArrayList, rows);
    const auto listing = program::parseListing(buffer);
    QVERIFY(listing);
    QCOMPARE(usedRows(listing->lines), rows);
    QCOMPARE(listing->droppedLines, 0);
}

void TestProgramRules::listingIncomplete_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::newRow("nothing") << QByteArray();
    QTest::newRow("echo") << QByteArray("#1list\r");
    QTest::newRow("echo and blank line") << QByteArray("#1list\r\r");
    QTest::newRow("a line") << QByteArray("#1list\r\rV=1\r");
    QTest::newRow("ok without its line end") << QByteArray("#1list\r\rV=1\rok");
    QTest::newRow("a line with ok inside") << QByteArray("#1list\r\rLook\r");
    QTest::newRow("ok and a digit") << QByteArray("#1list\r\rok1\r");
    QTest::newRow("ok at the end of a line") << QByteArray("#1list\r\rV=ok\r");
    QTest::newRow("ok line then more") << QByteArray("#1list\r\rok\rV=1\r");
    QTest::newRow("ok in the echo") << QByteArray("#1list\rok");
}

void TestProgramRules::listingIncomplete()
{
    QFETCH(QByteArray, buffer);
    QVERIFY(!program::parseListing(buffer));
}

void TestProgramRules::listingOverflow()
{
    QByteArrayList lines;
    for (int i = 1; i <= 305; ++i)
        lines.append("L" + QByteArray::number(i));
    const auto listing = program::parseListing(listingOf(lines));
    QVERIFY(listing);
    QCOMPARE(listing->lines[299], QByteArray("L299"));
    QCOMPARE(listing->lines[program::kOverflowRow], QByteArray("L300"));
    QCOMPARE(listing->droppedLines, 5);

    const auto exact = program::parseListing(listingOf(lines.mid(0, 300)));
    QVERIFY(exact);
    QCOMPARE(exact->lines[300], QByteArray("L300"));
    QCOMPARE(exact->droppedLines, 0);
}

void TestProgramRules::listingIsLinear()
{
    // Cutting each line off the front of the buffer would take hours here.
    const int count = 400000;
    QByteArray buffer = "#1list\r\r";
    buffer.reserve(count * 10);
    for (int i = 0; i < count; ++i)
        buffer += "W=" + QByteArray::number(i) + '\r';
    QVERIFY(!program::parseListing(buffer));
    buffer += "ok\r";
    QElapsedTimer timer;
    timer.start();
    const auto listing = program::parseListing(buffer);
    QVERIFY(listing);
    QCOMPARE(listing->droppedLines, count - 300);
    QCOMPARE(listing->lines[300], QByteArray("W=299"));
    QVERIFY2(timer.elapsed() < 20000, "listing parse is not linear");
}

void TestProgramRules::truncation_data()
{
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<int>("row");      // 0: every line is written
    QTest::addColumn<bool>("blank");
    QTest::newRow("whole program") << QByteArrayList {"ref", "W=1", "e"} << 0 << false;
    QTest::newRow("empty program") << QByteArrayList {} << 0 << false;
    QTest::newRow("empty line 5 before more") << QByteArrayList {"a", "b", "c", "d", "", "f", "g"} << 5 << false;
    QTest::newRow("empty lines only at the end") << QByteArrayList {"a", "b", "", ""} << 0 << false;
    QTest::newRow("line beginning with a blank") << QByteArrayList {"a", " b", "c"} << 2 << true;
    QTest::newRow("last line beginning with a blank") << QByteArrayList {"a", " b"} << 2 << true;
    QTest::newRow("blanks alone at the end") << QByteArrayList {"a", "", "  "} << 0 << false;
    QTest::newRow("line of blanks before more") << QByteArrayList {"a", "  ", "c"} << 2 << true;
    QTest::newRow("row 1 is always written, empty or not") << QByteArrayList {"", "b"} << 0 << false;
    QByteArrayList overflow;
    for (int i = 1; i <= 300; ++i)
        overflow << "W=" + QByteArray::number(i);
    QTest::newRow("row 300 is never written: no question") << overflow << 0 << false;
}

void TestProgramRules::truncation()
{
    QFETCH(QByteArrayList, lines);
    QFETCH(int, row);
    QFETCH(bool, blank);
    program::ProgramLines program {};
    for (int i = 0; i < lines.size(); ++i)
        program[size_t(i + 1)] = lines[i];
    const std::optional<program::Truncation> cut = program::truncation(program);
    QCOMPARE(cut ? cut->row : 0, row);
    if (cut)
        QCOMPARE(cut->blank, blank);
}

void TestProgramRules::traceAnswer_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<bool>("next");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("next command") << QByteArray("#1List.\rV=500\rok\r") << true << true << QByteArray("V=500");
    QTest::newRow("current command") << QByteArray("#1List-\rW=1000\rok\r") << true << false << QByteArray("W=1000");
    QTest::newRow("empty command line") << QByteArray("#1List.\r\rok\r") << true << true << QByteArray();
    QTest::newRow("command holding ok") << QByteArray("#1List.\rLook\rok\r") << true << true << QByteArray("Look");
    QTest::newRow("command that is ok") << QByteArray("#1List-\rok\rok\r") << true << false << QByteArray("ok");
    QTest::newRow("noise before the echo") << QByteArray("x#12List-\re\rok\r") << true << false << QByteArray("e");
    QTest::newRow("command line reads List.") << QByteArray("#1List-\rList.\rok\r") << true << false
                                              << QByteArray("List.");
    QTest::newRow("line not ended yet") << QByteArray("#1List.\rV=5\rok") << false << false << QByteArray();
    QTest::newRow("no ok yet") << QByteArray("#1List.\rV=5\r") << false << false << QByteArray();
    // An "ok" before the echo is not the end of its answer.
    QTest::newRow("ok before the echo") << QByteArray("ok\r#1List.\rV=5\r") << false << false << QByteArray();
    QTest::newRow("ok before the echo, then the end") << QByteArray("ok\r#1List.\rV=5\rok\r") << true << true
                                                      << QByteArray("V=5");
    // Neither echo: nothing readable, the current label is emptied.
    QTest::newRow("no echo at all") << QByteArray("garbage\rok\r") << true << false << QByteArray();
    QTest::newRow("echo at the very end") << QByteArray("ok\r#1List.") << false << false << QByteArray();
    // The first "ok" line after the command line ends the answer, wherever it stands.
    QTest::newRow("text after the ok line") << QByteArray("#1List.\rV=5\rok\rP51=0\r") << true << true
                                            << QByteArray("V=5");
    QTest::newRow("unfinished text after the ok line") << QByteArray("#1List-\rW=1\rok\r#1") << true << false
                                                       << QByteArray("W=1");
    QTest::newRow("command line that is ok, end not yet here") << QByteArray("#1List-\rok\r") << false << false
                                                               << QByteArray();
}

void TestProgramRules::traceAnswer()
{
    QFETCH(QByteArray, buffer);
    QFETCH(bool, complete);
    QFETCH(bool, next);
    QFETCH(QByteArray, text);
    const auto line = program::traceAnswer(buffer);
    QCOMPARE(line.has_value(), complete);
    if (complete) {
        QCOMPARE(line->target, next ? program::TraceTarget::Next : program::TraceTarget::Current);
        QCOMPARE(line->text, text);
    }
}

void TestProgramRules::executeLine()
{
    QCOMPARE(program::executeLineCommand(""), QByteArray("#\r"));
    QCOMPARE(program::executeLineCommand("#5V=100"), QByteArray("#5V=100\r"));
    QCOMPARE(program::executeLineCommand("V=100"), QByteArray("#V=100\r"));
}

void TestProgramRules::fileFormat()
{
    ProgramLines lines;
    lines[1] = "V=500";
    lines[2] = "W=\xe4\x80";    // Windows-1252 bytes go out unchanged
    lines[5] = "e";
    QCOMPARE(program::formatProgramFile(lines), QByteArray("V=500\r\nW=\xe4\x80\r\ne\r\n"));
    lines[program::kOverflowRow] = "last";
    QVERIFY(program::formatProgramFile(lines).endsWith("e\r\nlast\r\n"));
    QCOMPARE(program::formatProgramFile(ProgramLines {}), QByteArray());
}

void TestProgramRules::fileParse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArrayList>("rows");
    QTest::newRow("crlf") << QByteArray("A\r\nB\r\n") << QByteArrayList {"A", "B"};
    QTest::newRow("bare lf") << QByteArray("A\nB\n") << QByteArrayList {"A", "B"};
    QTest::newRow("bare cr") << QByteArray("A\rB\r") << QByteArrayList {"A", "B"};
    QTest::newRow("mixed") << QByteArray("A\r\nB\nC\rD") << QByteArrayList {"A", "B", "C", "D"};
    QTest::newRow("last line without end") << QByteArray("A\r\nB") << QByteArrayList {"A", "B"};
    QTest::newRow("empty second line") << QByteArray("A\r\n\r\nC\r\n") << QByteArrayList {"A", "", "C"};
    QTest::newRow("lf then cr are two ends") << QByteArray("A\n\rC") << QByteArrayList {"A", "", "C"};
    QTest::newRow("empty file") << QByteArray() << QByteArrayList {};
    QTest::newRow("one empty line") << QByteArray("\r\n") << QByteArrayList {};
    QTest::newRow("address and 1252 kept") << QByteArray("#3G1000 \xfc\r\n") << QByteArrayList {"#3G1000 \xfc"};
}

void TestProgramRules::fileParse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArrayList, rows);
    QCOMPARE(usedRows(program::parseProgramFile(bytes)), rows);
}

void TestProgramRules::fileRoundTrip()
{
    ProgramLines lines;
    lines[1] = "V=500";
    lines[2] = "W=1000";
    lines[5] = "e";
    const QByteArray bytes = program::formatProgramFile(lines);
    QCOMPARE(bytes.count("\r\n"), 3);
    QCOMPARE(usedRows(program::parseProgramFile(bytes)), QByteArrayList({"V=500", "W=1000", "e"}));
}

void TestProgramRules::fileTooLong()
{
    QByteArray bytes;
    for (int i = 1; i <= 305; ++i)
        bytes += "L" + QByteArray::number(i) + "\r\n";
    const ProgramLines lines = program::parseProgramFile(bytes);
    QCOMPARE(lines[1], QByteArray("L1"));
    QCOMPARE(lines[299], QByteArray("L299"));
    QCOMPARE(lines[program::kOverflowRow], QByteArray("L300"));
    QVERIFY(lines == numberedLines(300));
}

void TestProgramRules::fileNameCaption_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    const QString fifty = QStringLiteral("C:\\Programme\\ZYNT\\") + QString(28, QLatin1Char('x')) + ".prg";
    QTest::newRow("50 whole") << fifty << fifty;
    QTest::newRow("51 shortened") << ("D" + fifty) << (QStringLiteral("\\...") + fifty);
    QTest::newRow("short") << QStringLiteral("a.prg") << QStringLiteral("a.prg");
    QTest::newRow("long") << (QString(80, QLatin1Char('y')) + "\\last.prg")
                          << (QStringLiteral("\\...") + QString(41, QLatin1Char('y')) + "\\last.prg");
}

void TestProgramRules::fileNameCaption()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    if (QTest::currentDataTag() == QByteArray("50 whole"))
        QCOMPARE(name.size(), 50);
    QCOMPARE(program::fileNameCaption(name), caption);
}

QTEST_GUILESS_MAIN(TestProgramRules)
#include "test_programrules.moc"
