// SPDX-License-Identifier: GPL-3.0-or-later
// What a drive recorded as changed: every command it carried out that
// changes its state or the machine's, so that a soak can hold each one
// against what the user asked for. An assignment counts only when it
// changed a value, and not one the drive keeps up to date by itself.
#pragma once

#include <QByteArray>

#include <optional>

namespace sim {

enum class ChangeKind {
    Assignment,     // NAME=value (outputs apart)
    PermanentSave,  // "psave"
    ProgramNew,     // "new": program entry starts
    ProgramLine,    // a line received during program entry
    ProgramQuit,    // "quit" that ends an entry (the entered lines become the program)
    Output,         // O1..O16 (or P1201..P1216) assigned
    Power,          // ON, OFF
    Motion,         // jogging, reference travel, positioning, stop
    Execution,      // program start and trace commands
};

const char *changeKindName(ChangeKind kind);

struct Change {
    int address = 0;
    QByteArray command;     // as the drive received it, without "#", address and "\r"
    ChangeKind kind = ChangeKind::Assignment;
};

// What kind of change a command is for a drive that is (or is not) in
// program entry; nothing for one that changes nothing (queries, listings,
// "ver", a "quit" outside entry, words the drive does not know).
std::optional<ChangeKind> changeKindOf(const QByteArray &command, bool inEntry);

} // namespace sim
