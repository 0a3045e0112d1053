// SPDX-License-Identifier: GPL-3.0-or-later
// The drive's program on the command line: the lines a write sends and a
// listing holds, and a write that saves what it overwrites first.
#pragma once

#include "app/clisession.h"
#include "program/programlines.h"

#include <QByteArray>
#include <QString>

namespace cli::steps {

// The lines a program write sends, and the lines a listing holds.
QByteArrayList sentLines(program::ProgramLines lines);
QByteArrayList listedLines(const program::ProgramLines &lines);
// A program write that ended early (Ctrl+C, a signal, no answer, a refused
// line): what the drive took, that it holds a part of the program, where
// its program was saved and the way back; the exit status.
int cutWrite(Session &s, Outcome outcome, const QString &what, int lines, const QByteArray &inFlight);
// Saves the drive's program, then writes wanted; what names the step in a
// message, lines gets the lines the drive acknowledged.
int backUpAndWriteProgram(Session &s, const program::ProgramLines &wanted, const QString &what,
                          int *lines = nullptr);

} // namespace cli::steps
