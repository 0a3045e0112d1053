// SPDX-License-Identifier: GPL-3.0-or-later
// The sequence program as the editor holds it: 300 lines of text, one drive
// command per line, and the editing rules that act on the current row.
//
// Rows 1..299 are what the user sees and what a write sends; row 300 is an
// overflow slot outside the visible grid: it catches the line pushed out by
// an insert and the 300th line of a file or listing.
#pragma once

#include <QByteArray>

#include <array>

namespace program {

constexpr int kVisibleRows = 299;   // rows 1..299 are shown and sent
constexpr int kOverflowRow = 300;   // held, never shown, never sent
constexpr int kRows = kOverflowRow;

// [row 1..300]; index 0 (the grid's heading row) is unused and stays empty.
using ProgramLines = std::array<QByteArray, kRows + 1>;

// The heading of the line column.
inline constexpr const char *kHeading = "ZYNT-Programm";

// The label of a row in the number column: the number right-aligned to three
// places (blanks before 1..99) followed by ":#" ("    1:#", "  10:#", "100:#").
QByteArray lineLabel(int row);

// "Zeile Einfügen": an empty line at row, the lines from row on one row down.
// Refused while the overflow slot holds text (the program is full) or when
// row is no visible row; returns whether a line was inserted.
bool insertLine(ProgramLines &lines, int row);

// "Zeile löschen": the lines below row move up one row, the overflow slot
// included, and the slot becomes empty. Returns false (nothing changed) when
// row is no visible row.
bool deleteLine(ProgramLines &lines, int row);

// The current row after Enter (and after executing a line): one row down,
// except on the last visible row, which stays.
int rowAfterEnter(int row);

// The position in the position display: its leading run of "0".."9", "-" and
// "." (all of it when nothing else follows; empty when it begins otherwise).
QByteArray scannedPosition(const QByteArray &display);

// "Teach IN": the row's line followed by "W=" and the scanned position.
// Nothing happens for a row that is not visible.
void teachIn(ProgramLines &lines, int row, const QByteArray &positionDisplay);

// "Neu" and the start of a read: every line empty, the overflow slot included.
void clearLines(ProgramLines &lines);

// True when no row (overflow slot included) holds text.
bool isEmptyProgram(const ProgramLines &lines);

} // namespace program
