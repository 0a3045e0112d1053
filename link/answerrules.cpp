#include "link/answerrules.h"

#include "link/commandqueue.h"

namespace answer {

void removeLineFeeds(QByteArray &text)
{
    text.replace('\n', QByteArray());
}

bool removeStatusDigit(QByteArray &buffer)
{
    for (char digit = '0'; digit <= '4'; ++digit) {
        const char pattern[] = {'o', 'k', digit, '\r', 0};
        const qsizetype at = buffer.indexOf(pattern);
        if (at >= 0) {
            buffer.remove(at + 2, 1);
            return true;
        }
    }
    return false;
}

int errorPosition(const QByteArray &buffer)
{
    if (buffer.contains("****"))
        return 0;
    return int(buffer.indexOf("**") + 1);
}

bool holdsUnresolvedError(const QByteArray &buffer)
{
    return buffer.contains("**") && !buffer.contains("****");
}

Ack acknowledgement(const QByteArray &buffer, const QByteArray &commandText)
{
    const QByteArray expected = commandText + "ok\r";
    if (buffer == expected)
        return Ack::Exact;
    if (buffer.contains(expected))
        return Ack::Contained;
    return Ack::None;
}

Route routeByKind(const QByteArray &buffer, uint8_t kind)
{
    using namespace CommandKind;
    // The order of the tests matters: the version test looks at the text
    // before it looks at the kind.
    if (kind == ParameterList || kind == ListBlockFirst || kind == ListBlockMiddle || kind == ListBlockLast)
        return Route::ParameterListing;
    if (kind == ProgramListing)
        return Route::ProgramListing;
    if (kind == ProgramLine)
        return buffer.contains("pgm\r") ? Route::ProgramLineDone : Route::None;
    if (kind == Language)
        return Route::Language;
    if (buffer.contains("Version") && kind == Version && buffer.contains('0'))
        return Route::Version;
    if (kind == Status)
        return Route::Status;
    if (kind == OutputQuery || kind == OutputToggle)
        return Route::Output;
    if (buffer.contains("ok\r") && kind == Trace)
        return Route::Trace;
    if (kind == Trace)
        return Route::None;
    if (buffer.contains("quit\rok\r") && kind == ConnectQuit)
        return Route::QuitDone;
    return Route::None;
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
