// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated drive's sequence program: the stored lines, program entry
// ("new" ... "quit"), the listing, start and stop, and trace mode.
//
// The program language of the simulated drive (our own, kept small so that a
// test can write both good and bad lines):
//
//   :name          label (name: letters and digits)
//   JMP name       jump to a label of the program
//   NAME=number    assignment: a name (a letter, then letters and digits:
//                  V, A, W, P41, O1 ...) and a decimal number, optionally
//                  signed, optionally with a decimal point ("W=-1000", "V=12.5")
//   G<number>      go to an absolute position ("G1000", "G-250")
//   T<number>      wait, in milliseconds ("T500")
//   e              start the positioning to W
//   ref            reference travel
//   end            end of the program
//
// Words are read without regard to case; label names are compared exactly.
// Anything else is a syntax error. An empty line is accepted and not stored.
//
// Answers (the text after the echo; line feeds and carriage returns as the
// drive sends them):
//   "list"       "\n\r", each line as "\n" line "\r", then the acknowledgement
//   "new"        "\npgm\n\r"; program entry starts
//   in entry     each line: "\npgm\n\r", or "\n** Syntaxfehler\r" (not stored)
//   "quit"       in entry: the acknowledgement, and the entered lines replace
//                the program; when a jump names a label the entered lines do
//                not define: "\n** label <name> fehlt\r" instead, and the
//                program stays as it was. Outside entry: not ours.
//   "TRON"       trace mode on                                acknowledgement
//   "RUN"        positions at the first line (in trace mode it waits there
//                for steps, otherwise the program runs)       acknowledgement
//   "TR"         one step: the next command becomes current   acknowledgement
//   "List."      "\n" next command line "\r" + acknowledgement
//   "List-"      "\n" current command line "\r" + acknowledgement
//   "STROFF", "TROFF"  trace mode off                         acknowledgement
//   "s", "S"     stop                                         acknowledgement
//   "run"        start                                        acknowledgement
//
// Jumps are checked when "quit" arrives, not line by line: a jump may well
// name a label that a later line defines.
#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

namespace sim {

class ProgramMemory {
public:
    ProgramMemory();

    // The answer to a command addressed to this drive (the text after "#" and
    // the address, without "\r"), given the drive's plain acknowledgement
    // ("\nok\n\r" or "\nok3\n\r"); nothing when the command is not one of the
    // program's. An empty answer means the drive stays silent after the echo.
    std::optional<QByteArray> answer(const QByteArray &command, const QByteArray &ack);

    // The stored program.
    const QList<QByteArray> &lines() const { return m_lines; }
    void setLines(const QList<QByteArray> &lines);

    // The n-th program line of the next entry (counted from 1 after "new")
    // gets no answer and is not stored; 0 switches this off.
    void setNeverAnswerLine(int n) { m_neverAnswerLine = n; }
    // The n-th program line of the next entry is refused as a syntax error
    // whatever it says (a drive short of memory does that).
    void refuseLine(int n) { m_refuseLines.append(n); }

    bool inEntry() const { return m_entering; }
    bool traceMode() const { return m_trace; }
    bool running() const { return m_running; }

    // Whether a line is one of the program language's (empty lines count).
    static bool isValidLine(const QByteArray &line);
    // The label a jump line names, or nothing for any other line.
    static std::optional<QByteArray> jumpTarget(const QByteArray &line);
    // The label a line defines, or nothing.
    static std::optional<QByteArray> labelOf(const QByteArray &line);
    // The first label that a jump of lines names and no line defines.
    static std::optional<QByteArray> missingLabel(const QList<QByteArray> &lines);

private:
    std::optional<QByteArray> entryAnswer(const QByteArray &command, const QByteArray &ack);
    QByteArray listing(const QByteArray &ack) const;
    QByteArray traceLine(int index) const;
    int successor(int index) const;

    QList<QByteArray> m_lines;
    QList<QByteArray> m_entered;
    bool m_entering = false;
    int m_enteredCount = 0;     // program lines received in this entry
    int m_neverAnswerLine = 0;
    QList<int> m_refuseLines;
    bool m_trace = false;
    bool m_running = false;
    int m_current = -1;         // index of the current command, -1: none yet
    int m_next = -1;            // index of the next command, -1: none
};

} // namespace sim
