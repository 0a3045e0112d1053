// SPDX-License-Identifier: GPL-3.0-or-later
// The receive dispatcher's rules, step by step as it applies them to the
// buffer: line feeds out, the status digit out, the drive error's place, the
// acknowledgement of the command in flight, the route of its kind, and the
// cut before an error line. The input gives the kind, the drive address, the
// command and then the received text.
#include "fuzzbytes.h"
#include "link/answerrules.h"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input input(data, size);
    const uint8_t kind = input.ConsumeIntegral<uint8_t>();
    const QByteArray address = QByteArray::fromStdString(input.ConsumeRandomLengthString(4));
    const QByteArray command = QByteArray::fromStdString(input.ConsumeRandomLengthString(24));
    const std::vector<uint8_t> rest = input.ConsumeRemainingBytes<uint8_t>();
    QByteArray buffer(reinterpret_cast<const char *>(rest.data()), qsizetype(rest.size()));

    answer::removeLineFeeds(buffer);
    fuzz::check(!buffer.contains('\n'), "no line feed left");

    const QByteArray before = buffer;
    const bool removed = answer::removeStatusDigit(buffer);
    fuzz::check(buffer.size() == before.size() - (removed ? 1 : 0), "at most the one digit removed");
    if (removed)
        fuzz::check(buffer.contains("ok\r"), "the digit's place reads ok");

    const int errorPos = answer::errorPosition(buffer);
    fuzz::check(errorPos >= 0 && errorPos < qMax<qsizetype>(buffer.size(), 1), "error position inside the buffer");
    if (errorPos > 0)
        fuzz::check(buffer.mid(errorPos - 1, 2) == "**", "error position at the stars");
    fuzz::check((errorPos > 0) == answer::holdsUnresolvedError(buffer), "error position and unresolved error agree");

    const QByteArray commandText = '#' + address + command + '\r';
    switch (answer::acknowledgement(buffer, commandText)) {
    case answer::Ack::Exact:
        fuzz::check(buffer == commandText + "ok\r", "exact acknowledgement is the command and ok");
        break;
    case answer::Ack::Contained:
        fuzz::check(buffer.contains(commandText + "ok\r"), "contained acknowledgement is there");
        break;
    case answer::Ack::None:
        fuzz::check(!buffer.contains(commandText + "ok\r"), "no acknowledgement overlooked");
        break;
    }
    const answer::Route route = answer::routeByKind(buffer, kind);
    fuzz::check(!answer::isListingKind(kind) || route == answer::Route::ParameterListing, "listings go to the listing");
    (void)answer::keystrokeAnswered(buffer, command);
    (void)answer::terminalNeedsClearing(buffer.size(), kind & 1);

    const QByteArray body = answer::commandBody(commandText, address);
    fuzz::check(body.size() <= commandText.size(), "the body is part of the command");
    fuzz::check(commandText.contains(body), "the body is taken from the command");
    const QByteArray message = answer::programLineErrorMessage(buffer, command, kind, body);
    fuzz::check(message.startsWith(buffer), "the drive's text leads the message");

    // The cut before a drive error line, as the dispatcher makes it.
    if (errorPos > 0) {
        QByteArray line = buffer;
        line.remove(0, qMin<qsizetype>(qMax(errorPos - 1, 0), line.size()));
        fuzz::check(line.startsWith("**"), "the error line starts at its stars");
        fuzz::check(answer::errorPosition(line) == 1, "the cut buffer's error is at its start");
    }
    return 0;
}
