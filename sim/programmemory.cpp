// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/programmemory.h"

#include <algorithm>
#include <cctype>

namespace sim {

namespace {

const QByteArray kEntryAnswer = "\npgm\n\r";

// A short back-and-forth run, so that a fresh drive has something to list
// and to trace, a label and a jump included.
const char *const kSampleProgram[] = {
    "ref", "V=500", "A=100", ":loop", "W=1000", "e", "T500", "W=-1000", "e", "T500", "JMP loop",
};

bool isLetter(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isName(const QByteArray &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](char c) { return isLetter(c) || isDigit(c); });
}

// Letters and digits, beginning with a letter.
bool isVariableName(const QByteArray &text)
{
    return isName(text) && isLetter(text.front());
}

bool isInteger(const QByteArray &text)
{
    const QByteArray digits = text.startsWith('-') || text.startsWith('+') ? text.mid(1) : text;
    return !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), isDigit);
}

// An integer, or one with a decimal point and digits on both sides.
bool isNumber(const QByteArray &text)
{
    const qsizetype point = text.indexOf('.');
    if (point < 0)
        return isInteger(text);
    const QByteArray fraction = text.mid(point + 1);
    return isInteger(text.left(point)) && !fraction.isEmpty() && std::all_of(fraction.begin(), fraction.end(), isDigit);
}

bool isAssignment(const QByteArray &line)
{
    const qsizetype eq = line.indexOf('=');
    return eq > 0 && isVariableName(line.left(eq)) && isNumber(line.mid(eq + 1));
}

// The command words: a word alone, or a word with a whole number attached.
enum class Argument { None, Integer };
struct Word {
    const char *word;
    Argument argument;
};
const Word kWords[] = {
    {"e", Argument::None},
    {"ref", Argument::None},
    {"end", Argument::None},
    {"G", Argument::Integer},
    {"T", Argument::Integer},
};

bool startsWithWord(const QByteArray &line, const char *word)
{
    const QByteArray w(word);
    return line.size() >= w.size() && line.left(w.size()).compare(w, Qt::CaseInsensitive) == 0;
}

bool isCommandWord(const QByteArray &line)
{
    return std::any_of(std::begin(kWords), std::end(kWords), [&line](const Word &word) {
        if (!startsWithWord(line, word.word))
            return false;
        const QByteArray rest = line.mid(qsizetype(qstrlen(word.word)));
        return word.argument == Argument::None ? rest.isEmpty() : isInteger(rest);
    });
}

bool isEndLine(const QByteArray &line)
{
    return line.compare("end", Qt::CaseInsensitive) == 0;
}

} // namespace

ProgramMemory::ProgramMemory()
{
    for (const char *line : kSampleProgram)
        m_lines.append(line);
}

void ProgramMemory::setLines(const QList<QByteArray> &lines)
{
    m_lines = lines;
    m_current = m_next = -1;
}

bool ProgramMemory::isValidLine(const QByteArray &line)
{
    return line.isEmpty() || labelOf(line) || jumpTarget(line) || isAssignment(line) || isCommandWord(line);
}

std::optional<QByteArray> ProgramMemory::jumpTarget(const QByteArray &line)
{
    static const char jump[] = "JMP ";
    if (!startsWithWord(line, jump))
        return std::nullopt;
    const QByteArray name = line.mid(qsizetype(sizeof jump - 1));
    return isName(name) ? std::optional<QByteArray>(name) : std::nullopt;
}

std::optional<QByteArray> ProgramMemory::labelOf(const QByteArray &line)
{
    if (!line.startsWith(':') || !isName(line.mid(1)))
        return std::nullopt;
    return line.mid(1);
}

std::optional<QByteArray> ProgramMemory::missingLabel(const QList<QByteArray> &lines)
{
    QList<QByteArray> defined;
    for (const QByteArray &line : lines) {
        if (const auto label = labelOf(line))
            defined.append(*label);
    }
    for (const QByteArray &line : lines) {
        const auto target = jumpTarget(line);
        if (target && !defined.contains(*target))
            return target;
    }
    return std::nullopt;
}

std::optional<QByteArray> ProgramMemory::answer(const QByteArray &command, const QByteArray &ack)
{
    if (m_entering)
        return entryAnswer(command, ack);

    using Action = QByteArray (*)(ProgramMemory &memory, const QByteArray &ack);
    struct Command {
        const char *name;
        Action action;
    };
    static const Command commands[] = {
        {"list", [](ProgramMemory &m, const QByteArray &ack) { return m.listing(ack); }},
        {"new",
         [](ProgramMemory &m, const QByteArray &) {
             m.m_entering = true;
             m.m_entered.clear();
             m.m_enteredCount = 0;
             return kEntryAnswer;
         }},
        {"TRON",
         [](ProgramMemory &m, const QByteArray &ack) {
             m.m_trace = true;
             return ack;
         }},
        {"RUN",
         [](ProgramMemory &m, const QByteArray &ack) {
             // In trace mode the program waits before its first line.
             m.m_current = -1;
             m.m_next = m.m_lines.isEmpty() ? -1 : 0;
             m.m_running = !m.m_trace;
             return ack;
         }},
        {"TR",
         [](ProgramMemory &m, const QByteArray &ack) {
             m.m_current = m.m_next;
             m.m_next = m.successor(m.m_current);
             return ack;
         }},
        {"List.", [](ProgramMemory &m, const QByteArray &ack) { return '\n' + m.traceLine(m.m_next) + '\r' + ack; }},
        {"List-",
         [](ProgramMemory &m, const QByteArray &ack) { return '\n' + m.traceLine(m.m_current) + '\r' + ack; }},
        {"STROFF",
         [](ProgramMemory &m, const QByteArray &ack) {
             m.m_trace = false;
             return ack;
         }},
        {"TROFF",
         [](ProgramMemory &m, const QByteArray &ack) {
             m.m_trace = false;
             return ack;
         }},
        {"s",
         [](ProgramMemory &m, const QByteArray &ack) {
             m.m_running = false;
             return ack;
         }},
        // The capital S that precedes a program write stops the program too.
        {"S",
         [](ProgramMemory &m, const QByteArray &ack) {
             m.m_running = false;
             return ack;
         }},
        {"run",
         [](ProgramMemory &m, const QByteArray &ack) {
             m.m_current = -1;
             m.m_next = m.m_lines.isEmpty() ? -1 : 0;
             m.m_running = true;
             return ack;
         }},
    };
    for (const Command &entry : commands) {
        if (command == entry.name)
            return entry.action(*this, ack);
    }
    return std::nullopt;
}

std::optional<QByteArray> ProgramMemory::entryAnswer(const QByteArray &command, const QByteArray &ack)
{
    if (command == "quit") {
        m_entering = false;
        m_neverAnswerLine = 0;
        m_refuseLines.clear();
        // A program whose jumps lead nowhere is not taken: the drive keeps
        // the one it has.
        if (const auto missing = missingLabel(m_entered))
            return "\n** label " + *missing + " fehlt\r";
        setLines(m_entered);
        m_running = false;
        return ack;
    }
    if (command == "new") {
        // A fresh start of an entry that never ended.
        m_entered.clear();
        m_enteredCount = 0;
        return kEntryAnswer;
    }
    if (++m_enteredCount == m_neverAnswerLine)
        return QByteArray();
    if (!isValidLine(command) || m_refuseLines.contains(m_enteredCount))
        return QByteArray("\n** Syntaxfehler\r");
    if (!command.isEmpty())
        m_entered.append(command);
    return kEntryAnswer;
}

QByteArray ProgramMemory::listing(const QByteArray &ack) const
{
    QByteArray text = "\n\r";
    for (const QByteArray &line : m_lines)
        text += '\n' + line + '\r';
    return text + ack;
}

QByteArray ProgramMemory::traceLine(int index) const
{
    return index >= 0 && index < m_lines.size() ? m_lines[index] : QByteArray();
}

// The command after the one at index: a jump leads to its label's line,
// "end" and the last line lead nowhere.
int ProgramMemory::successor(int index) const
{
    if (index < 0 || index >= m_lines.size() || isEndLine(m_lines[index]))
        return -1;
    if (const auto target = jumpTarget(m_lines[index])) {
        for (int i = 0; i < m_lines.size(); ++i) {
            if (labelOf(m_lines[i]) == target)
                return i;
        }
        return -1;
    }
    return index + 1 < m_lines.size() ? index + 1 : -1;
}

} // namespace sim
