// SPDX-License-Identifier: GPL-3.0-or-later
// The manual operation window as data: its value fields, its command buttons,
// the speed override, the output toggle and the address choice. The window
// itself only shows these and queues what they say.
#pragma once

#include "parameters/parametermodel.h"

#include <QByteArray>
#include <QByteArrayList>

#include <array>
#include <optional>
#include <vector>

namespace manual {

// "#" + address + command + "\r".
QByteArray commandText(const QByteArray &address, const QByteArray &command);

// One of the nine value fields Edit1 .. Edit9. Its assignment goes to the
// main window's drive address; its parameter record is the German record of
// the key parameter.
struct ValueField {
    int edit;                   // n of Editn
    const char *heading;        // the row's heading label
    const char *label;          // design caption of the field's label
    const char *command;        // name in the assignment
    params::KeyParameter key;   // whose record gives Value and Unit
    const char *unitLabel;      // the label showing the record's Unit
    const char *focusButton;    // where Enter moves the focus
};
constexpr int kValueFields = 9;
// In the window's rows: jogging, reference travel, positioning.
const std::array<ValueField, kValueFields> &valueFields();
// The field Editn (1..9); nullptr for any other number.
const ValueField *fieldOf(int edit);

// The assignment of a field's text: "#" + drive address + command + "=" +
// text + "\r"; nothing for an empty text.
std::optional<QByteArray> fieldAssignment(const ValueField &field, const QByteArray &driveAddress,
                                          const QByteArray &text);

// When a button's commands are queued.
enum class Queued {
    Always,     // whatever the port state; the queue sends once the port is open
    PortOpen,   // only while the port is open
};

// A command button; all its commands go, with kind 0, to the manual address.
struct CommandButton {
    int button;                 // n of Buttonn
    const char *caption;        // design caption
    std::vector<QByteArray> commands; // in this order
    Queued queued;
    bool moves = false;         // sets the axis moving
};
const std::vector<CommandButton> &commandButtons();
// The button Buttonn; nullptr for a number the window has no command button for.
const CommandButton *buttonOf(int button);

// What the manual window knows of the drive: a drive that is OFF takes no
// motion command, and while the link is lost only "Stop" stays pressable
// (the drive may still hear it).
enum class Condition { Ready, DriveOff, LinkLost };
bool buttonAllowed(int button, Condition condition);
// Value fields, the override and the outputs: not while the link is lost.
bool settingsAllowed(Condition condition);

// The command texts a press queues, in order; none when the rule forbids it.
QByteArrayList buttonPress(const CommandButton &button, const QByteArray &manualAddress, bool portOpen);

// Speed override (TrackBar1, 1 .. 200 %).
constexpr int kOverrideMin = 1;
constexpr int kOverrideMax = 200;
constexpr int kOverrideThrottleMs = 150;
// The slider position shown for P108's stored Value: read as a number and
// kept within kOverrideMin .. kOverrideMax ("0" shows as 1).
int overridePosition(const QByteArray &p108Value);
// "#" + manual address + "P108=" + position + "\r".
QByteArray overrideCommand(const QByteArray &manualAddress, int position);
// Label26: the position followed by "%".
QByteArray overrideLabel(int position);

// Output toggle: the query of output n (1..4) to the manual address.
QByteArray outputQuery(const QByteArray &manualAddress, int output);
// Its answer is complete when the buffer holds "=" and at least two carriage
// returns (the echo line and the answer line).
bool isOutputAnswerComplete(const QByteArray &buffer);
// What the complete answer makes the window do: switch the output to the
// opposite of the reported state. Nothing when none of "O1" .. "O4" is in the
// buffer.
struct OutputToggle {
    int output;                 // 1..4
    QByteArray command;         // "O1=1" or "O1=0", to the drive address with kind 0
    QByteArray recordValue;     // the new Value of the output's parameter record
    params::KeyParameter key;   // that record
};
std::optional<OutputToggle> outputToggle(const QByteArray &buffer);

// The window's address choice: the found drive addresses in order, then "*".
struct AddressChoice {
    QByteArrayList items;
    QByteArray manualAddress;   // the first item
    bool shown;                 // the choice (ComboBox1, Label31) is shown with more than one drive
};
// found: the found-address list, element 0 the count.
AddressChoice addressChoice(const std::vector<int> &found);

} // namespace manual
