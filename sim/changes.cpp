// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/changes.h"

#include <cctype>

namespace sim {

namespace {

struct Word {
    const char *word;
    ChangeKind kind;
};

// Whole commands, compared without regard to case (the drive takes "on" as "ON").
const Word kWords[] = {
    {"psave", ChangeKind::PermanentSave}, {"new", ChangeKind::ProgramNew},
    {"on", ChangeKind::Power},            {"off", ChangeKind::Power},
    {"ls", ChangeKind::Motion},           {"rs", ChangeKind::Motion},
    {"lf", ChangeKind::Motion},           {"rf", ChangeKind::Motion},
    {"h", ChangeKind::Motion},            {"e", ChangeKind::Motion},
    {"s", ChangeKind::Motion},            {"run", ChangeKind::Execution},
    {"tron", ChangeKind::Execution},      {"tr", ChangeKind::Execution},
    {"troff", ChangeKind::Execution},     {"stroff", ChangeKind::Execution},
};

const char *const kNames[] = {"assignment", "psave", "new", "program line", "quit",
                              "output", "on/off", "motion", "execution"};

bool isOutputName(const QByteArray &name)
{
    const QByteArray upper = name.trimmed().toUpper();
    bool ok = false;
    if (upper.startsWith('O')) {
        const int n = upper.mid(1).toInt(&ok);
        return ok && n >= 1 && n <= 16;
    }
    if (upper.startsWith('P')) {
        const int n = upper.mid(1).toInt(&ok);
        return ok && n >= 1201 && n <= 1216;
    }
    return false;
}

bool isName(const QByteArray &name)
{
    if (name.isEmpty() || !std::isalpha(static_cast<unsigned char>(name.front())))
        return false;
    for (char c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

} // namespace

const char *changeKindName(ChangeKind kind)
{
    return kNames[int(kind)];
}

std::optional<ChangeKind> changeKindOf(const QByteArray &command, bool inEntry)
{
    // In entry every line is the program's, whatever it says.
    if (inEntry)
        return command == "quit" ? ChangeKind::ProgramQuit : ChangeKind::ProgramLine;
    const QByteArray lower = command.toLower();
    for (const Word &word : kWords) {
        if (lower == word.word)
            return word.kind;
    }
    const qsizetype eq = command.indexOf('=');
    if (eq > 0 && isName(command.left(eq).trimmed()))
        return isOutputName(command.left(eq)) ? ChangeKind::Output : ChangeKind::Assignment;
    return std::nullopt;
}

} // namespace sim
