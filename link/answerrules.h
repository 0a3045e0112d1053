// SPDX-License-Identifier: GPL-3.0-or-later
// The rules by which the receive dispatcher reads the drive's answers, as
// plain functions of the receive buffer, so that they can be checked without
// a window or a port.
#pragma once

#include <QByteArray>

#include <cstdint>

namespace answer {

// The receive buffer never holds more than this: a full parameter listing is
// about 1.5 KB, a program listing of 300 lines some 10 KB. Past it the buffer
// keeps only its last kReceiveBufferKeep bytes (a listing ends instead).
constexpr qsizetype kReceiveBufferLimit = 64 * 1024;
constexpr qsizetype kReceiveBufferKeep = 1024;

// The kinds of the parameter listing: one drive, and the blocks of several.
bool isListingKind(uint8_t kind);

// Removes every line feed.
void removeLineFeeds(QByteArray &text);

// Turns the first "okD\r" (D tried from 0 to 4, in that order) into "ok\r".
// Returns whether a digit was removed.
bool removeStatusDigit(QByteArray &buffer);

// 1-based position of the first "**" (a drive error line), or 0 when there is
// none or when the buffer contains "****" (a row of stars in a listing).
int errorPosition(const QByteArray &buffer);

// The buffer holds a drive error that is not yet confirmed: "**" without "****".
bool holdsUnresolvedError(const QByteArray &buffer);

enum class Ack { None, Exact, Contained };
// Acknowledgement of the command text: the buffer equals it followed by
// "ok\r", or contains that somewhere.
Ack acknowledgement(const QByteArray &buffer, const QByteArray &commandText);

// Where an answer that is not a plain acknowledgement goes, by command kind.
enum class Route {
    None,             // keep collecting
    ParameterListing, // kinds 14, 16, 17, 18
    ProgramListing,   // kind 3
    ProgramLineDone,  // kind 4 with "pgm\r"
    Language,         // kind 9
    Version,          // kind 15 with "Version" and "0"
    Status,           // kind 5
    Output,           // kinds 6 and 10
    Trace,            // kind 12 with "ok\r"
    QuitDone,         // kind 13 with "quit\rok\r"
    Query,            // kind 2 with its value line complete
    InEntry,          // a bare probe (kinds 8, 11, 20) answered from program entry
};
Route routeByKind(const QByteArray &buffer, uint8_t kind);

// The value a query's answer carries: the line after the echo, from its
// first "=" on ("P41=3000" gives "3000"), or the whole line where it has
// none ("ON").
QByteArray queryValue(const QByteArray &buffer);

// A terminal keystroke (kind 1) is answered when the buffer equals the
// keystroke followed by "ok\r", equals the keystroke, or contains "ok\r".
bool keystrokeAnswered(const QByteArray &buffer, const QByteArray &commandText);

// The terminal output is cleared before appending once it passes 200
// characters while a command is in flight, or 500 while the queue is empty.
bool terminalNeedsClearing(qsizetype shownLength, bool commandInFlight);

// The command of a queued text as the program grid holds it: without the
// final carriage return and without the leading "#" and drive address (the
// current one; failing that, whatever address the text carries).
QByteArray commandBody(const QByteArray &commandText, const QByteArray &driveAddress);

// The error message for a failing program line or parameter write: the
// drive's text, three carriage returns, the line caption, the row number, a
// carriage return and the row's text in double quotes.
QByteArray programLineErrorMessage(const QByteArray &driveText, const QByteArray &lineCaption,
                                   int row, const QByteArray &rowText);

} // namespace answer
