// SPDX-License-Identifier: GPL-3.0-or-later
// The drive's answer to "list": the program as the receive buffer holds it.
// A complete answer gives at most 300 rows, none with a line end inside, and
// writing those rows back sends each as one command.
#include "fuzzbytes.h"
#include "program/programtransfer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray buffer = fuzz::bytesOf(data, size);
    std::optional<program::ProgramListing> listing = program::parseListing(buffer);
    if (!listing)
        return 0;
    fuzz::check(listing->droppedLines >= 0, "dropped lines counted up");
    fuzz::check(listing->lines[0].isEmpty(), "row 0 is never a program row");
    qsizetype kept = 0;
    for (const QByteArray &line : listing->lines) {
        fuzz::check(!line.contains('\r'), "a row holds one line");
        kept += line.size();
    }
    fuzz::check(kept <= buffer.size(), "rows are taken from the answer");
    if (listing->droppedLines > 0)
        fuzz::check(buffer.count('\r') > program::kRows, "rows dropped only past the 300th");

    for (const QByteArray &command : program::programLineCommands(listing->lines, "1")) {
        fuzz::check(command.startsWith("#1") && command.endsWith('\r'), "a line goes to its drive");
        fuzz::check(command.count('\r') == 1, "a line is one command");
    }
    return 0;
}
