// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/answerrules.h"

#include "link/commandqueue.h"
#include "manual/statusrules.h"

#include <algorithm>
#include <string_view>

namespace answer {

namespace {

// A plain search that leans on memchr: the dispatcher runs its searches over
// the whole buffer for every piece that arrives, and the generic matchers
// walk it byte by byte.
qsizetype find(const QByteArray &haystack, std::string_view needle, qsizetype from = 0)
{
    const std::string_view text(haystack.constData(), size_t(haystack.size()));
    const size_t at = text.find(needle, size_t(from));
    return at == std::string_view::npos ? -1 : qsizetype(at);
}

} // namespace

void removeLineFeeds(QByteArray &text)
{
    // In place: an answer that came in one piece is never copied.
    const qsizetype first = find(text, "\n");
    if (first < 0)
        return;
    char *const begin = text.data();
    char *const end = std::remove(begin + first, begin + text.size(), '\n');
    text.truncate(end - begin);
}

bool isListingKind(uint8_t kind)
{
    using namespace CommandKind;
    return kind == ParameterList || kind == ListBlockFirst || kind == ListBlockMiddle || kind == ListBlockLast;
}

bool removeStatusDigit(QByteArray &buffer)
{
    // The lowest digit wins wherever it stands, so one pass notes the first
    // place of each digit and stops early only at a "0".
    qsizetype first[5] = {-1, -1, -1, -1, -1};
    const char *data = buffer.constData();
    const qsizetype size = buffer.size();
    for (qsizetype at = find(buffer, "ok"); at >= 0 && at + 3 < size; at = find(buffer, "ok", at + 1)) {
        const char digit = data[at + 2];
        if (digit < '0' || digit > '4' || data[at + 3] != '\r' || first[digit - '0'] >= 0)
            continue;
        first[digit - '0'] = at;
        if (digit == '0')
            break;
    }
    for (const qsizetype at : first) {
        if (at >= 0) {
            buffer.remove(at + 2, 1);
            return true;
        }
    }
    return false;
}

int errorPosition(const QByteArray &buffer)
{
    // One pass: the first "**", and whether a run of four follows anywhere.
    const qsizetype first = find(buffer, "**");
    if (first < 0 || find(buffer, "****", first) >= 0)
        return 0;
    return int(first + 1);
}

bool holdsUnresolvedError(const QByteArray &buffer)
{
    return buffer.contains("**") && !buffer.contains("****");
}

Ack acknowledgement(const QByteArray &buffer, const QByteArray &commandText)
{
    // Compared where they lie: this runs for every piece that arrives.
    constexpr std::string_view ok = "ok\r";
    const std::string_view text(buffer.constData(), size_t(buffer.size()));
    const std::string_view command(commandText.constData(), size_t(commandText.size()));
    if (text.size() == command.size() + ok.size() && text.starts_with(command) && text.ends_with(ok))
        return Ack::Exact;
    for (size_t at = text.find(command); at != std::string_view::npos; at = text.find(command, at + 1)) {
        if (text.substr(at + command.size(), ok.size()) == ok)
            return Ack::Contained;
    }
    return Ack::None;
}

Route routeByKind(const QByteArray &buffer, uint8_t kind)
{
    using namespace CommandKind;
    // Each kind is tested before its text is searched: the buffer is only
    // read for the one kind that is in flight.
    if (isListingKind(kind))
        return Route::ParameterListing;
    switch (kind) {
    case ProgramListing:
        return Route::ProgramListing;
    case ProgramLine:
        return buffer.contains("pgm\r") ? Route::ProgramLineDone : Route::None;
    case Language:
        return Route::Language;
    case Version:
        // Also an answer without a version: its handler lets it go once it
        // is over, so that it cannot hold up the queue.
        return Route::Version;
    case Status:
        return Route::Status;
    case OutputQuery:
    case OutputToggle:
        return Route::Output;
    case Trace:
        return buffer.contains("ok\r") ? Route::Trace : Route::None;
    case ConnectQuit:
        return buffer.contains("quit\rok\r") ? Route::QuitDone : Route::None;
    case Query:
        // Complete as a status answer is: a value line after the echo.
        return status::isComplete(buffer) ? Route::Query : Route::None;
    case AddressProbe:
    case ReProbe:
    case ContactProbe:
        // A drive in program entry takes the bare probe as an empty program
        // line: it is there, but anything sent now becomes a line of its program.
        return buffer.contains("pgm\r") ? Route::InEntry : Route::None;
    default:
        return Route::None;
    }
}

QByteArray queryValue(const QByteArray &buffer)
{
    const qsizetype echoEnd = buffer.indexOf('\r');
    const qsizetype start = echoEnd < 0 ? 0 : echoEnd + 1;
    qsizetype end = buffer.indexOf('\r', start);
    if (end < 0)
        end = buffer.size();
    const QByteArray line = buffer.mid(start, end - start);
    const qsizetype equals = line.indexOf('=');
    return equals < 0 ? line : line.mid(equals + 1);
}

bool keystrokeAnswered(const QByteArray &buffer, const QByteArray &commandText)
{
    return buffer == commandText + "ok\r" || buffer == commandText || buffer.contains("ok\r");
}

bool terminalNeedsClearing(qsizetype shownLength, bool commandInFlight)
{
    return shownLength > (commandInFlight ? 200 : 500);
}

QByteArray commandBody(const QByteArray &commandText, const QByteArray &driveAddress)
{
    QByteArray body = commandText;
    if (body.endsWith('\r'))
        body.chop(1);
    const QByteArray prefix = '#' + driveAddress;
    if (!driveAddress.isEmpty() && body.startsWith(prefix)) {
        body.remove(0, prefix.size());
    } else if (body.startsWith('#')) {
        qsizetype i = 1;
        if (i < body.size() && body[i] == '*')
            ++i;
        else
            while (i < body.size() && body[i] >= '0' && body[i] <= '9')
                ++i;
        body.remove(0, i);
    }
    return body;
}

QByteArray programLineErrorMessage(const QByteArray &driveText, const QByteArray &lineCaption,
                                   int row, const QByteArray &rowText)
{
    return driveText + "\r\r\r" + lineCaption + QByteArray::number(row) + "\r\"" + rowText + "\"";
}

} // namespace answer
