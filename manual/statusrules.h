// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of the status poll: which queries one cycle sends, when an answer
// is complete, how its value is read, and what each answer shows. Plain
// functions of the receive buffer, so that they can be checked without a
// window or a port; the windows apply the result.
#pragma once

#include <QByteArray>
#include <QByteArrayList>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace status {

// The analogue value is polled only above this firmware number.
constexpr int kAnalogueFirmware = 300;

// The queries of one cycle, in order (10 or 11 of them). Only the first one
// carries the drive address; the analogue query is sent only when the
// firmware number is greater than kAnalogueFirmware.
QByteArrayList cycleQueries(const QByteArray &driveAddress, int firmwareNumber);

// How long one cycle at most keeps the line busy at this rate: every query
// (with the longest address) and its answer, the echo, a value line with the
// longest value and an acknowledgement, at 10 bit times a byte.
int cycleLineTimeMs(int baud);

// The link watchdog that fits the poll: the interval a setting asks for,
// but never less than one cycle on the line, one poll interval and a second
// besides; otherwise a slow line is declared lost while it works.
int linkWatchdogMs(int requestedMs, int baud, int pollIntervalMs);

// The answer to a status query is complete: the buffer holds "=", "ON" or
// "OFF" and at least two carriage returns (the echo line and the answer line).
bool isComplete(const QByteArray &buffer);

// The value text: the buffer without everything up to and including its
// first "=" (nothing removed when there is none), then without the first
// carriage return of the rest. The drive sends a query's value line alone,
// so for "P51=123" that is "123"; whatever might follow the answer line
// would stay glued to the value.
QByteArray valueText(const QByteArray &buffer);

// A value read as a decimal integer for the bit tests: leading blanks
// skipped, then the leading digits; text after them is ignored, and a text
// without leading digits (a sign included) reads as 0. Too many digits keep
// their low bits (the value wraps), which is all the bit tests look at.
int64_t readInteger(const QByteArray &text);

// Which display an answer feeds, by the names the whole buffer contains.
enum class Display {
    None,       // none of the names and no "ON"/"OFF": nothing is shown
    Position,   // "P51": main window and manual window Label5
    Analogue,   // "ADC": manual window Label30
    InPosition, // "P336": manual window Label1 and the motion animation
    Error,      // "P11": manual window Label2
    Warning,    // "P12": manual window Label3
    Inputs,     // "P1300": I1 .. I8; ends the cycle
    Output1,    // "O1" .. "O4": captions of Out1 .. Out4
    Output2,
    Output3,
    Output4,
    DriveState, // "ON" / "OFF" (the "P134?" answer): Image2 / Image3
};
Display displayOf(const QByteArray &buffer);

// A display text: a numbered text of the text table, or a literal.
struct Shown {
    int text = 0;           // > 0: the text of this number
    QByteArray literal;     // otherwise shown as it stands

    bool operator==(const Shown &) const = default;
};
// The text to show, looking numbered texts up in the current language.
QByteArray resolve(const Shown &shown, const std::function<QByteArray(int)> &textOf);

// Error word ("P11"): "0" exactly gives text 61, else the text of the first
// set bit of the error table, else the value text itself.
Shown errorText(const QByteArray &value);
// Warning word ("P12"): "0" exactly gives text 60, else the text of the first
// set bit of the warning table, else the value text itself.
Shown warningText(const QByteArray &value);

// In-position ("P336"): "1" exactly stands still in position.
struct InPosition {
    bool inPosition;        // stop the motion animation and hide its symbols
    QByteArray text;        // "In Position" or empty (the animation runs)
};
InPosition inPositionOf(const QByteArray &value);

// Inputs ("P1300"): the captions of I1 .. I8, "1" for a set bit 0 .. 7.
std::array<QByteArray, 8> inputCaptions(const QByteArray &value);

// Output n (1..4): "1" gives "On ON", any other value "On OFF".
QByteArray outputCaption(int output, const QByteArray &value);

// The "P134?" answer: the value text without everything up to and including
// its first "?", then without the first carriage return of the rest.
QByteArray driveStateText(const QByteArray &valueText);
// "ON" exactly: the drive is on (Image3 shown, Image2 hidden); otherwise off
// (Image2 shown, Image3 to Image6 hidden).
bool driveIsOn(const QByteArray &stateText);

// Everything one complete status answer changes.
struct Update {
    Display display = Display::None;
    QByteArray value;                   // the value text (valueText)
    Shown shown;                        // Position, Analogue, InPosition, Error, Warning
    bool inPosition = false;            // InPosition
    std::array<QByteArray, 8> inputs;   // Inputs
    int output = 0;                     // Output1..4: 1..4
    QByteArray outputCaption;           // Output1..4
    bool driveOn = false;               // DriveState
    bool endsCycle = false;             // Inputs: the last answer of a cycle
};
// The update of a complete answer; nullopt while the answer is incomplete.
std::optional<Update> readAnswer(const QByteArray &buffer);

// The motion animation: the five drive symbols Image2 .. Image6 lie on top of
// each other and are shown one after the other, one per tick.
struct AnimationTick {
    int step;       // the step now shown (1 .. 5); 5 goes back to 0
    int hide;       // n of the Imagen hidden
    int show;       // n of the Imagen shown
};
// The tick that follows the given step (0 .. 4; the state after step 5 is 0).
AnimationTick animationTick(int step);

} // namespace status
