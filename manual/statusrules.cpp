// SPDX-License-Identifier: GPL-3.0-or-later
#include "manual/statusrules.h"

#include <algorithm>

namespace status {

namespace {

struct Query {
    const char *command;
    bool analogue;          // sent only to firmware that has the analogue input
};

// One cycle in order; the inputs come last because their answer starts the
// next cycle.
const Query kQueries[] = {
    {"P51?", false}, {"P336?", false}, {"P11?", false}, {"P12?", false}, {"O1?", false}, {"O2?", false},
    {"O3?", false},  {"O4?", false},   {"ADC?", true},  {"P134?", false}, {"P1300?", false},
};

// Tested in this order on the whole buffer, echo included; the first name
// contained wins. Each query's echo holds exactly one of them.
struct Route {
    const char *name;
    Display display;
};
const Route kRoutes[] = {
    {"P51", Display::Position},   {"ADC", Display::Analogue}, {"P336", Display::InPosition},
    {"P11", Display::Error},      {"P12", Display::Warning},  {"P1300", Display::Inputs},
    {"O1", Display::Output1},     {"O2", Display::Output2},   {"O3", Display::Output3},
    {"O4", Display::Output4},
};

struct BitText {
    int64_t bit;
    int text;
};
// The first set bit of the list chooses the text, so the order is the
// priority: both 0x10 and 0x20 of the error word mean the same fault, and the
// warning word names 0x20 before 0x10.
const BitText kErrorBits[] = {
    {0x0002, 53}, {0x0010, 59}, {0x0020, 59}, {0x0080, 54},
    {0x0200, 55}, {0x0800, 56}, {0x1000, 57}, {0x2000, 58},
};
const BitText kWarningBits[] = {
    {0x01, 47}, {0x02, 48}, {0x04, 49}, {0x08, 50}, {0x20, 51}, {0x10, 52}, {0x40, 161}, {0x80, 162},
};
constexpr int kNoError = 61;
constexpr int kNoWarning = 60;

template <size_t N>
Shown wordText(const QByteArray &value, const BitText (&bits)[N], int none)
{
    if (value == "0")
        return {none, {}};
    const int64_t word = readInteger(value);
    for (const BitText &bit : bits) {
        if (word & bit.bit)
            return {bit.text, {}};
    }
    return {0, value};
}

// Step 5 shows the last symbol and starts over.
const AnimationTick kAnimation[] = {
    {1, 6, 2}, {2, 2, 3}, {3, 3, 4}, {4, 4, 5}, {0, 5, 6},
};

} // namespace

QByteArrayList cycleQueries(const QByteArray &driveAddress, int firmwareNumber)
{
    QByteArrayList queries;
    for (const Query &query : kQueries) {
        if (query.analogue && firmwareNumber <= kAnalogueFirmware)
            continue;
        const QByteArray address = queries.isEmpty() ? driveAddress : QByteArray();
        queries.append('#' + address + query.command + '\r');
    }
    return queries;
}

int cycleLineTimeMs(int baud)
{
    if (baud <= 0)
        return 0;
    // What a drive says after the echo of "#P1300?\r": a line feed, the
    // value line with the longest value of 32 bits and an acknowledgement
    // with its status digit: "\nP1300=-2147483648\r" + "\nok0\n\r".
    constexpr int kLongestValue = 11;
    constexpr int kAcknowledgement = 6;
    qint64 bytes = 0;
    for (const QByteArray &query : cycleQueries("200", kAnalogueFirmware + 1)) {
        const qsizetype name = query.size() - 3 - (bytes == 0 ? 3 : 0); // without "#", address, "?" and "\r"
        bytes += 2 * query.size() + 1 + name + 1 + kLongestValue + 1 + kAcknowledgement;
    }
    return int((bytes * 10 * 1000 + baud - 1) / baud);
}

int linkWatchdogMs(int requestedMs, int baud, int pollIntervalMs)
{
    return std::max(requestedMs, cycleLineTimeMs(baud) + pollIntervalMs + 1000);
}

bool isComplete(const QByteArray &buffer)
{
    return (buffer.contains('=') || buffer.contains("ON") || buffer.contains("OFF")) && buffer.count('\r') >= 2;
}

QByteArray valueText(const QByteArray &buffer)
{
    QByteArray value = buffer.mid(buffer.indexOf('=') + 1); // the whole buffer when there is none
    const qsizetype cr = value.indexOf('\r');
    if (cr >= 0)
        value.remove(cr, 1);
    return value;
}

int64_t readInteger(const QByteArray &text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    // Unsigned arithmetic wraps without harm and keeps the low bits exact.
    uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10 + uint64_t(text[i] - '0');
    return static_cast<int64_t>(value);
}

Display displayOf(const QByteArray &buffer)
{
    for (const Route &route : kRoutes) {
        if (buffer.contains(route.name))
            return route.display;
    }
    if (buffer.contains("ON") || buffer.contains("OFF"))
        return Display::DriveState;
    return Display::None;
}

QByteArray resolve(const Shown &shown, const std::function<QByteArray(int)> &textOf)
{
    return shown.text > 0 ? textOf(shown.text) : shown.literal;
}

Shown errorText(const QByteArray &value)
{
    return wordText(value, kErrorBits, kNoError);
}

Shown warningText(const QByteArray &value)
{
    return wordText(value, kWarningBits, kNoWarning);
}

InPosition inPositionOf(const QByteArray &value)
{
    if (value == "1")
        return {true, QByteArrayLiteral("In Position")};
    return {false, QByteArray()};
}

std::array<QByteArray, 8> inputCaptions(const QByteArray &value)
{
    const int64_t word = readInteger(value);
    std::array<QByteArray, 8> captions;
    for (int bit = 0; bit < 8; ++bit)
        captions[size_t(bit)] = (word >> bit) & 1 ? "1" : "0";
    return captions;
}

QByteArray outputCaption(int output, const QByteArray &value)
{
    return 'O' + QByteArray::number(output) + (value == "1" ? " ON" : " OFF");
}

QByteArray driveStateText(const QByteArray &valueText)
{
    QByteArray state = valueText.mid(valueText.indexOf('?') + 1);
    const qsizetype cr = state.indexOf('\r');
    if (cr >= 0)
        state.remove(cr, 1);
    return state;
}

bool driveIsOn(const QByteArray &stateText)
{
    return stateText == "ON";
}

std::optional<Update> readAnswer(const QByteArray &buffer)
{
    if (!isComplete(buffer))
        return std::nullopt;
    Update update;
    update.display = displayOf(buffer);
    update.value = valueText(buffer);
    switch (update.display) {
    case Display::None:
        break;
    case Display::Position:
    case Display::Analogue:
        update.shown.literal = update.value;
        break;
    case Display::InPosition: {
        const InPosition state = inPositionOf(update.value);
        update.inPosition = state.inPosition;
        update.shown.literal = state.text;
        break;
    }
    case Display::Error:
        update.shown = errorText(update.value);
        break;
    case Display::Warning:
        update.shown = warningText(update.value);
        break;
    case Display::Inputs:
        update.inputs = inputCaptions(update.value);
        update.endsCycle = true;
        break;
    case Display::Output1:
    case Display::Output2:
    case Display::Output3:
    case Display::Output4:
        update.output = int(update.display) - int(Display::Output1) + 1;
        update.outputCaption = outputCaption(update.output, update.value);
        break;
    case Display::DriveState:
        update.driveOn = driveIsOn(driveStateText(update.value));
        break;
    }
    return update;
}

AnimationTick animationTick(int step)
{
    // A step out of range (never set so) starts the round afresh.
    return kAnimation[step >= 0 && step < int(std::size(kAnimation)) ? step : 0];
}

} // namespace status
