// SPDX-License-Identifier: GPL-3.0-or-later
#include "program/programtransfer.h"

#include "link/commandqueue.h"

#include <algorithm>
#include <span>

namespace program {

namespace {

struct CommandStep {
    const char *command;
    uint8_t kind;
};

const CommandStep kTraceOn[] = {
    {"TRON", CommandKind::Plain},
    {"RUN", CommandKind::Plain},
    {"List.", CommandKind::Trace}, // the first command to be executed
};
const CommandStep kTraceStep[] = {
    {"TR", CommandKind::Plain},
    {"List.", CommandKind::Trace},
    {"List-", CommandKind::Trace},
};
const CommandStep kTraceOff[] = {
    {"STROFF", CommandKind::Plain},
};
// P1028 gets the same setting the connection start gives it.
const CommandStep kReadProgram[] = {
    {"p1028=8", CommandKind::Plain},
    {"list", CommandKind::ProgramListing},
};

QList<QueuedCommand> commandsOf(std::span<const CommandStep> steps, const QByteArray &address)
{
    QList<QueuedCommand> commands;
    for (const CommandStep &step : steps)
        commands.append({driveCommand(address, step.command), step.kind});
    return commands;
}

// A line that begins with "#" carries an address of its own; the drive is
// given the line without it, and so is the editor.
QByteArray withoutAddress(const QByteArray &line)
{
    if (!line.startsWith('#'))
        return line;
    qsizetype start = 1;
    while (start < line.size() && line[start] >= '0' && line[start] <= '9')
        ++start;
    return line.mid(start);
}

// The next row is sent unless it is empty or begins with a blank.
bool continuesProgram(const QByteArray &nextLine)
{
    return !nextLine.isEmpty() && !nextLine.startsWith(' ');
}

constexpr char kFinalLine[] = "ok";

// Where the line ending at end (exclusive of its "\r") begins, searching no
// further back than from.
qsizetype lineStart(const QByteArray &text, qsizetype from, qsizetype end)
{
    const qsizetype cr = end > from ? text.lastIndexOf('\r', end - 1) : -1;
    return cr >= from ? cr + 1 : from;
}

// The final line of an answer: text ends with "\r" and the line before that
// "\r", begun no earlier than from, is exactly "ok". Returns where it begins.
std::optional<qsizetype> finalOkLine(const QByteArray &text, qsizetype from)
{
    if (!text.endsWith('\r'))
        return std::nullopt;
    const qsizetype end = text.size() - 1;
    const qsizetype start = lineStart(text, from, end);
    if (text.mid(start, end - start) != kFinalLine)
        return std::nullopt;
    return start;
}

} // namespace

QByteArray driveCommand(const QByteArray &address, const QByteArray &command)
{
    return '#' + address + command + '\r';
}

QList<QueuedCommand> leaveTraceCommands(const QByteArray &address, bool traceOn)
{
    QList<QueuedCommand> commands {{driveCommand(address, "TROFF"), CommandKind::Plain}};
    if (traceOn)
        commands.append(stopCommand(address));
    return commands;
}

QList<QueuedCommand> programReadCommands(const QByteArray &address, bool traceOn)
{
    return leaveTraceCommands(address, traceOn) + commandsOf(kReadProgram, address);
}

QList<QByteArray> programLineCommands(ProgramLines &lines, const QByteArray &address)
{
    QList<QByteArray> commands;
    for (int row = 1; row <= kVisibleRows; ++row) {
        lines[row] = withoutAddress(lines[row]);
        commands.append(driveCommand(address, lines[row]));
        if (row == kVisibleRows || !continuesProgram(lines[row + 1]))
            break;
    }
    return commands;
}

std::optional<Truncation> truncation(const ProgramLines &lines)
{
    // Blanks alone are nothing lost.
    const auto hasContent = [](const QByteArray &line) { return line.trimmed().size() > 0; };
    for (int row = 2; row <= kVisibleRows; ++row) {
        if (continuesProgram(lines[row]))
            continue;
        // The write stops before this row: is anything left out?
        for (int later = row; later <= kVisibleRows; ++later) {
            if (hasContent(lines[later]))
                return Truncation {row, !lines[row].isEmpty()};
        }
        return std::nullopt;
    }
    return std::nullopt;
}

QList<QueuedCommand> programWriteCommands(ProgramLines &lines, const QByteArray &address, bool traceOn)
{
    QList<QueuedCommand> commands = leaveTraceCommands(address, traceOn);
    commands.append({driveCommand(address, "S"), CommandKind::Plain});
    commands.append({driveCommand(address, "new"), CommandKind::ProgramLine});
    for (const QByteArray &line : programLineCommands(lines, address))
        commands.append({line, CommandKind::ProgramLine});
    commands.append({driveCommand(address, "quit"), CommandKind::ProgramEnd});
    return commands;
}

std::optional<ProgramListing> parseListing(const QByteArray &buffer)
{
    static const QByteArray echoEnd = "list\r\r";
    const qsizetype echo = buffer.indexOf(echoEnd);
    const qsizetype first = echo >= 0 ? echo + echoEnd.size() : 0;
    const std::optional<qsizetype> okLine = finalOkLine(buffer, first);
    if (!okLine)
        return std::nullopt;

    // One pass over the lines, each copied once.
    ProgramListing listing;
    int row = 0;
    for (qsizetype start = first; start < *okLine;) {
        const qsizetype cr = buffer.indexOf('\r', start);
        if (++row <= kRows)
            listing.lines[row] = buffer.mid(start, cr - start);
        else
            ++listing.droppedLines;
        start = cr + 1;
    }
    return listing;
}

QByteArray driveSourceCaption(const QByteArray &address)
{
    return "ZYNT-EEProm Programm - address " + address;
}

QByteArray executeLineCommand(const QByteArray &line)
{
    return (line.startsWith('#') ? line : '#' + line) + '\r';
}

QueuedCommand runCommand(const QByteArray &address)
{
    return {driveCommand(address, "run"), CommandKind::Plain};
}

QueuedCommand stopCommand(const QByteArray &address)
{
    return {driveCommand(address, "s"), CommandKind::Plain};
}

QList<QueuedCommand> traceOnCommands(const QByteArray &address)
{
    return commandsOf(kTraceOn, address);
}

QList<QueuedCommand> traceStepCommands(const QByteArray &address)
{
    return commandsOf(kTraceStep, address);
}

QList<QueuedCommand> traceOffCommands(const QByteArray &address)
{
    return commandsOf(kTraceOff, address);
}

std::optional<TraceLine> traceAnswer(const QByteArray &buffer)
{
    if (!buffer.contains("ok\r"))
        return std::nullopt;
    // Whichever echo comes first is the command answered; a command line
    // that happens to read "List." cannot turn a "List-" answer around.
    const qsizetype next = buffer.indexOf("List.");
    const qsizetype current = buffer.indexOf("List-");
    if (next < 0 && current < 0)
        return TraceLine {TraceTarget::Current, {}};
    const bool isNext = next >= 0 && (current < 0 || next < current);
    const TraceTarget target = isNext ? TraceTarget::Next : TraceTarget::Current;

    // The echo, and the "\r" that ends it; then the command line, whatever
    // it holds ("ok" too), and the first line after it that is exactly
    // "ok" ends the answer. What the drive adds after that line is not part
    // of it and must not hold the queue.
    const qsizetype first = std::min((isNext ? next : current) + 6, buffer.size());
    const qsizetype commandEnd = buffer.indexOf('\r', first);
    if (commandEnd < 0)
        return std::nullopt;
    for (qsizetype start = commandEnd + 1;;) {
        const qsizetype cr = buffer.indexOf('\r', start);
        if (cr < 0)
            return std::nullopt;
        if (buffer.mid(start, cr - start) == kFinalLine)
            return TraceLine {target, buffer.mid(first, start - 1 - first)};
        start = cr + 1;
    }
}

QByteArrayList sentLines(ProgramLines lines)
{
    QByteArrayList sent;
    for (const QByteArray &command : programLineCommands(lines, "1"))
        sent << command.mid(2).chopped(1);
    if (sent == QByteArrayList {QByteArray()})
        sent.clear();
    return sent;
}

QByteArrayList listedLines(const ProgramLines &lines)
{
    int last = 0;
    for (int row = 1; row <= kRows; ++row) {
        if (!lines[size_t(row)].isEmpty())
            last = row;
    }
    QByteArrayList listed;
    for (int row = 1; row <= last; ++row)
        listed << lines[size_t(row)];
    return listed;
}

ProgramLines linesOf(const QByteArrayList &lines)
{
    ProgramLines rows {};
    for (qsizetype i = 0; i < lines.size() && i < kRows; ++i)
        rows[size_t(i + 1)] = lines[i];
    return rows;
}

} // namespace program
