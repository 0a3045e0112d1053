// SPDX-License-Identifier: GPL-3.0-or-later
// The program's traffic with the drive: the commands that read, write,
// start, stop and trace it, and the answers to the listing and the trace
// queries, as plain functions of bytes. The window queues the commands and
// feeds the receive buffer in; nothing here touches a queue or a widget.
#pragma once

#include "program/programlines.h"

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <optional>

namespace program {

// One command for the queue: the exact text ("#" + address + command + "\r")
// and the kind the dispatcher reads its answer by.
struct QueuedCommand {
    QByteArray text;
    uint8_t kind = 0;

    bool operator==(const QueuedCommand &) const = default;
};

// "#" + address + command + "\r".
QByteArray driveCommand(const QByteArray &address, const QByteArray &command);

// Leaving trace mode before a read, a write, a load or closing the editor:
// "TROFF", and "s" when trace mode was on (kind 0 both).
QList<QueuedCommand> leaveTraceCommands(const QByteArray &address, bool traceOn);

// Reading the program: leaving trace mode, "p1028=8", then "list" (kind 3).
QList<QueuedCommand> programReadCommands(const QByteArray &address, bool traceOn);

// The program lines a write sends after "new", each "#" + address + line +
// "\r": row 1 always, then row after row until the next row is empty or
// begins with a blank, and never past row 299. A row that begins with "#"
// loses the "#" and the digits after it (an address written into the line);
// the row itself is rewritten so, whence lines is in/out.
QList<QByteArray> programLineCommands(ProgramLines &lines, const QByteArray &address);

// Where a write would stop before the end of the program: the row (2..299)
// that is empty or begins with a blank while a row after it (or, for a
// blank, the row itself) still holds text. Nothing when every line goes.
struct Truncation {
    int row = 0;
    bool blank = false;     // the row begins with a blank (else it is empty)
};
std::optional<Truncation> truncation(const ProgramLines &lines);

// Everything ZYNT_Programm_Speichern queues: leaving trace mode, "S", "new"
// and the lines (kind 4), "quit" (kind 19). Rewrites lines as above.
QList<QueuedCommand> programWriteCommands(ProgramLines &lines, const QByteArray &address, bool traceOn);

// The answer to "list" as the receive buffer holds it (line feeds and the
// status digit removed): the echo "#<addr>list\r", a further "\r", the
// program lines each ending in "\r", and the final line "ok\r".
//
// The lines start after the first "list\r\r" (at the start of the buffer when
// there is none). The answer is complete when those lines end with a line
// that is exactly "ok" followed by "\r" (for an empty program: "ok\r" right
// after the echo). Every line before it is a program line, whatever it holds,
// "ok" included; a listing cut off right after a program line that is exactly
// "ok" cannot be told from a complete one.
struct ProgramListing {
    ProgramLines lines;         // rows 1..300 in listing order, the rest empty
    int droppedLines = 0;       // lines past row 300, which have no place
};
// Nothing while the answer is not complete.
std::optional<ProgramListing> parseListing(const QByteArray &buffer);

// The lines a write of these rows sends (bodies, without "#", address and
// "\r"), and the lines a listing of the drive holds (rows up to the last
// that is not empty): a write went through whole when the two are equal.
// An empty program is one empty line on the wire and no line in a listing.
QByteArrayList sentLines(ProgramLines lines);
QByteArrayList listedLines(const ProgramLines &lines);
// Rows 1.. of the lines given, the rest empty.
ProgramLines linesOf(const QByteArrayList &lines);

// The program source line after a read: "ZYNT-EEProm Programm - address " + address.
QByteArray driveSourceCaption(const QByteArray &address);

// Execute line ("Zeile ausführen"): a line beginning with "#" is sent as it
// stands (its own address), any other as "#" + line; "\r" follows. No drive
// address is inserted, so a line without one is heard by every drive.
QByteArray executeLineCommand(const QByteArray &line);

// Start and stop of the stored program (kind 0).
QueuedCommand runCommand(const QByteArray &address);
QueuedCommand stopCommand(const QByteArray &address);

// Trace mode: on ("TRON", "RUN", "List."), one step ("TR", "List.",
// "List-"), off ("STROFF").
QList<QueuedCommand> traceOnCommands(const QByteArray &address);
QList<QueuedCommand> traceStepCommands(const QByteArray &address);
QList<QueuedCommand> traceOffCommands(const QByteArray &address);

// The answer to "List." (the next command) or "List-" (the current one):
// the echo, the command line and "ok", each ending in "\r".
enum class TraceTarget {
    Next,       // Label9
    Current,    // Label12
};
struct TraceLine {
    TraceTarget target;
    QByteArray text;

    bool operator==(const TraceLine &) const = default;
};
// Nothing until the answer is complete: an "ok\r" somewhere, and after the
// echo's "\r" the command line followed, on a later line, by a line that is
// exactly "ok" (what comes after that line is ignored). The target is the next command when the buffer holds
// "List.", otherwise the current one. A buffer with "ok\r" but neither echo
// is no readable answer: it empties the current command's label (text
// empty), so that the queue moves on.
std::optional<TraceLine> traceAnswer(const QByteArray &buffer);

} // namespace program
