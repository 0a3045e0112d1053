// SPDX-License-Identifier: GPL-3.0-or-later
// The drive's parameter listing ("listp") turned into grid rows and, when it
// is complete, into the row copy of the record table.
//
// After the dispatcher has removed every "\n", an answer is the echo of the
// request, an empty line, one entry per line and "ok":
//
//   #1listp\r \r OFF\r P41=3000U/min\r W=100mm\r ... ok\r
//
// An entry is a status line ("ON", "OFF", "RS", "LS", "RF", "LF", "POSR",
// "POS0") or designation "=" value unit, the value being the leading run of
// digits, "." and "-".
//
// The window's listing handler calls, for every received piece:
//   loadProgress (single listing only), then, once listingAnswerComplete,
//   parseListingAnswer, empties the receive buffer, releases the head,
//   shows blockProgress and, for a final answer, runs completeListing.
#pragma once

#include "parameters/parametermodel.h"

#include <QByteArray>

namespace params {

// The command kinds that carry a listing.
enum ListingKind {
    ListingSingle = 14,      // "listp": the whole list in one answer
    ListingBlockFirst = 16,  // "listp1.20"
    ListingBlockMiddle = 17, // "listp21.20" .. "listp161.20"
    ListingBlockLast = 18,   // "listp181.20"
};
constexpr int kExpectedListingLength = 1422; // characters of a complete single listing

bool isListingKind(int kind);
// A single listing and the last block end the listing.
bool isFinalListing(int kind);

// The start of a read: columns 1..3 of rows 1..158 emptied (the descriptions
// stay), ListingRow, ListingLineCount and DescriptionCursor back to 1.
void startListing(ParameterModel &model);

// part * 100 / whole rounded to the nearest integer, halves to even; 0 for a
// whole of 0 or less.
int roundedPercent(qint64 part, qint64 whole);
// Progress of a single listing by the length of what has arrived; it passes
// 100 when the listing is longer than expected.
int loadProgress(qsizetype receivedLength);
// Progress of a block listing by the entries consumed so far.
int blockProgress(int listingLineCount);

// True once the received text holds the answer's "ok".
bool listingAnswerComplete(const QByteArray &received);

// Parses one complete answer of the given kind into the grid in the given
// language: the echo and its empty line are skipped, kinds 14 and 16 start
// the counters again, then one entry after the other is taken until the rest
// begins with "ok" or is empty. Linear in the answer's length. Rows past 158
// are read and counted but not kept: the listing then stays at 158 rows.
void parseListingAnswer(ParameterModel &model, int kind, int language, const QByteArray &answer);

// The end of a final answer: the trailing rows that read "ok" trimmed (never
// below one row), ParameterRowCount and the grid row count set, the line
// count raised, and the row copy made into both halves of the record table;
// the records past the list are emptied, so the table holds the drive's list
// and nothing of the catalogue.
void completeListing(ParameterModel &model);

// The first row of a completed listing (grid rows 1..ParameterRowCount - 1)
// that is not in the listing's form (a designation "P" and digits or a short
// name, perhaps with its short name in brackets; a value of digits, sign and
// point, or a status word): noise on the line read as an entry. 0 when
// every row is in form.
int malformedRow(const ParameterModel &model);

} // namespace params
