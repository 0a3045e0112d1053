// SPDX-License-Identifier: GPL-3.0-or-later
#include "program/programlines.h"

#include <algorithm>

namespace program {

namespace {

bool isVisibleRow(int row)
{
    return row >= 1 && row <= kVisibleRows;
}

bool isPositionCharacter(char c)
{
    return (c >= '0' && c <= '9') || c == '-' || c == '.';
}

} // namespace

QByteArray lineLabel(int row)
{
    QByteArray label = QByteArray::number(row);
    if (row < 10)
        label.prepend("    ");
    else if (row < 100)
        label.prepend("  ");
    return label + ":#";
}

bool insertLine(ProgramLines &lines, int row)
{
    if (!isVisibleRow(row) || !lines[kOverflowRow].isEmpty())
        return false;
    // The overflow slot is empty, so rotating row..300 one step down moves it
    // (empty) into row and every other line one row further.
    std::rotate(lines.begin() + row, lines.begin() + kOverflowRow, lines.begin() + kOverflowRow + 1);
    return true;
}

bool deleteLine(ProgramLines &lines, int row)
{
    if (!isVisibleRow(row))
        return false;
    std::move(lines.begin() + row + 1, lines.begin() + kOverflowRow + 1, lines.begin() + row);
    lines[kOverflowRow].clear();
    return true;
}

int rowAfterEnter(int row)
{
    return row >= kVisibleRows ? kVisibleRows : row + 1;
}

QByteArray scannedPosition(const QByteArray &display)
{
    const auto end = std::find_if_not(display.begin(), display.end(), isPositionCharacter);
    return display.left(end - display.begin());
}

void teachIn(ProgramLines &lines, int row, const QByteArray &positionDisplay)
{
    if (!isVisibleRow(row))
        return;
    lines[row] += "W=" + scannedPosition(positionDisplay);
}

void clearLines(ProgramLines &lines)
{
    for (QByteArray &line : lines)
        line.clear();
}

bool isEmptyProgram(const ProgramLines &lines)
{
    return std::all_of(lines.begin(), lines.end(), [](const QByteArray &line) { return line.isEmpty(); });
}

} // namespace program
