// SPDX-License-Identifier: GPL-3.0-or-later
// Program files (*.prg): one program line per text line, each ending in
// carriage return and line feed, Windows-1252 text taken byte for byte.
#pragma once

#include "program/programlines.h"

#include <QByteArray>
#include <QString>

namespace program {

// The longest file name the program source line shows whole.
constexpr int kCaptionNameLength = 50;

// The file's bytes: the non-empty rows 1..300 in row order, each followed by
// "\r\n"; empty rows are left out.
QByteArray formatProgramFile(const ProgramLines &lines);

// The lines of a file: the n-th line goes to row n, an empty line leaves its
// row empty, lines past the 300th are ignored. "\r\n", a bare "\n" and a bare
// "\r" end a line alike; a last line without a line end counts.
ProgramLines parseProgramFile(const QByteArray &bytes);

// The program source line for a file: its full name when that has at most 50
// characters, otherwise "\..." followed by the last 50.
QString fileNameCaption(const QString &fileName);

} // namespace program
