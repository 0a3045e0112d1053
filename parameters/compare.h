// SPDX-License-Identifier: GPL-3.0-or-later
// Which parameters a transfer may write, and when two values are the same:
// one rule for the command line's restore and diff and for the window's
// comparison before a write-back.
#pragma once

#include "parameters/parametermodel.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

namespace params {

// A row may be written when the write-back's skip rules would write it and
// it is not the drive's own state: the position P51, P336, the error and
// warning words P11 and P12, P134, the inputs P1300, the analogue value ADC
// (P1046), and the status lines of a listing. designation as the grid shows
// it ("P47 (W)"), value as its value column holds it.
bool mayWrite(const QByteArray &designation, const QByteArray &value);

// What a parameter is when it is the machine's live state or its identity,
// never written from a file: one table for the comparison, restore, diff
// and the write-back. The designation as the drive lists it ("O1") or as
// the grid shows it ("P1201 (O1)").
enum class Live : uint8_t {
    None,       // an ordinary setting
    State,      // position, in-position, error and warning words, on/off, inputs, ADC, status lines
    Output,     // the outputs O1 to O16
    Flag,       // the flags M1 to M3
    DriveType,  // P1034: written only when asked for in so many words
};
Live liveState(const QByteArray &designation);
// The reason a grey row shows, in the interface's language.
QString liveReason(Live live);
// A comparison row of the drive type may be written when the user asks for
// it; its tick is never set for him.

// Numbers by their value ("100.000" is "100", "-5" is "-5.0"), with blanks
// and a unit after the number left out; any other text exactly, blanks
// around it left out.
bool sameValue(const QByteArray &a, const QByteArray &b);

// A parameter whose value differs.
struct Difference {
    QByteArray designation; // as the file shows it
    QByteArray driveValue;  // empty when the drive's list lacks it
    QByteArray fileValue;

    bool operator==(const Difference &) const = default;
};

// The rows of a file (or any list) that may be written and whose value the
// drive's grid rows 1..driveRows hold otherwise, in the file's order. Rows
// are matched by their plain designation ("P47 (W)" is "P47").
QList<Difference> differences(const GridCells &drive, int driveRows, const QList<GridRow> &file);

// The value text of a grid row as it goes into an assignment: blanks around
// it left out.
QByteArray plainValue(const QByteArray &value);

// One row of the comparison before a write-back.
struct CompareRow {
    int gridRow = 0;            // the row of the file in the grid
    QByteArray designation;     // as the file shows it
    QByteArray description;
    QByteArray driveValue;      // empty when the drive's list lacks it
    QByteArray fileValue;
    bool writable = false;      // mayWrite: the drive's state is never written
    bool differs = false;       // sameValue says no
    Live live = Live::None;     // why it is grey (or, for the drive type, not ticked)
    QByteArray assignment;      // what a tick sends: "P47=100.000"
};
// Every row of the file that names a parameter, in grid order.
QList<CompareRow> compareRows(const QList<GridRow> &file, const GridCells &drive, int driveRows);

// After a write-back: the assignments sent ("P41=3000") against what the
// drive's grid rows 1..driveRows list now; the differences name the value
// sent as the file's.
QList<Difference> verify(const QList<QByteArray> &sent, const GridCells &drive, int driveRows);

// The value the drive's grid rows 1..driveRows list for a parameter (by its
// plain designation), blanks around it left out; empty where it lacks it.
QByteArray valueOf(const GridCells &drive, int driveRows, const QByteArray &name);

// Why a row of a file (or an assignment typed by hand) must not go to the
// drive: its designation is not one the drive listed (the drive's grid rows
// 1..driveRows, as shown, in the plain "P" form or by the short name in its
// brackets), or its value holds a
// character no value has (a control character, a byte outside ASCII, one of
// "#=?"); nothing when it may go.
std::optional<QString> rowFault(const QByteArray &designation, const QByteArray &value, const GridCells &drive,
                                int driveRows);

// Why a value a loaded file shows must not go to the drive by itself (Enter
// on its row): the checks its row meets in the comparison before a
// write-back and in a restore, against the drive's grid rows 1..driveRows.
enum class FileValueFault : uint8_t {
    None,         // it may go
    Live,         // the machine's state or identity (liveState says which)
    NotWritten,   // the write-back's skip rules leave it out
    NotListed,    // the drive does not list the parameter
    BadCharacter, // the value holds a character no value has
};
FileValueFault fileValueFault(const QByteArray &designation, const QByteArray &value, const GridCells &drive,
                              int driveRows);

// What undoes a write-back: the assignments that give the named parameters
// ("P41") the values a backup parameter file holds, in the order named.
// Nothing when the file is none or lacks one of them.
QList<QByteArray> restoreAssignments(const QByteArray &backup, const QList<QByteArray> &names);

} // namespace params
