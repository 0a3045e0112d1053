// SPDX-License-Identifier: GPL-3.0-or-later
#include "manual/manualcommands.h"

#include "manual/statusrules.h"

#include <algorithm>

namespace manual {

namespace {

using params::KeyParameter;

const std::array<ValueField, kValueFields> kFields = {{
    {1, "Handfahren", "Geschw. langsam", "P1019", params::KeyP1019, "unit_v_hand_langsam", "Button4"},
    {4, "Handfahren", "Geschw. schnell", "P1020", params::KeyP1020, "unit_v_hand_schnell", "Button4"},
    {7, "Handfahren", "Beschleunigung", "P1018", params::KeyP1018, "unit_a_hand", "Button4"},
    {2, "Referenzfahren", "Geschw. langsam", "P1003", params::KeyP1003, "unit_v_ref_langsam", "Button9"},
    {5, "Referenzfahren", "Geschw. schnell", "P41", params::KeyP41, "unit_v_ref_schnell", "Button9"},
    {8, "Referenzfahren", "Beschleunigung", "P42", params::KeyP42, "unit_a_ref", "Button9"},
    {3, "Positionieren", "Geschwindigkeit v", "v", params::KeyV, "unit_v_auto", "Button11"},
    {6, "Positionieren", "Beschleunigung a", "a", params::KeyA, "unit_a_auto", "Button11"},
    {9, "Positionieren", "Weg/Position w", "w", params::KeyW, "unit_w", "Button11"},
}};

// Switching the drive and zeroing the position make sense only on a live
// line; motion and resets wait in the queue until the port sends.
const std::vector<CommandButton> kButtons = {
    {2, "ON", {"ON"}, Queued::PortOpen},
    {5, "OFF", {"OFF"}, Queued::PortOpen},
    {4, "Links-langsam", {"ls"}, Queued::Always, true},
    {6, "Rechts-langsam", {"rs"}, Queued::Always, true},
    {7, "Links-schnell", {"lf"}, Queued::Always, true},
    {8, "Rechts-schnell", {"rf"}, Queued::Always, true},
    {9, "Referenzfahren", {"h"}, Queued::Always, true},
    {10, "Start Programm", {"run"}, Queued::Always, true},
    {11, "Start Weg", {"e"}, Queued::Always, true},
    {12, "Stop", {"s"}, Queued::Always},
    {13, "Reset Fehler", {"P11=0"}, Queued::Always},
    {14, "Reset Warnung", {"P12=0"}, Queued::Always},
    {1, "reset", {"s", "P51=0", "P12=0"}, Queued::PortOpen},
};

const KeyParameter kOutputKeys[] = {params::KeyO1, params::KeyO2, params::KeyO3, params::KeyO4};

} // namespace

QByteArray commandText(const QByteArray &address, const QByteArray &command)
{
    return '#' + address + command + '\r';
}

const std::array<ValueField, kValueFields> &valueFields()
{
    return kFields;
}

const ValueField *fieldOf(int edit)
{
    const auto it = std::find_if(kFields.begin(), kFields.end(), [edit](const ValueField &f) { return f.edit == edit; });
    return it == kFields.end() ? nullptr : &*it;
}

std::optional<QByteArray> fieldAssignment(const ValueField &field, const QByteArray &driveAddress,
                                          const QByteArray &text)
{
    if (text.isEmpty())
        return std::nullopt;
    return commandText(driveAddress, field.command + ('=' + text));
}

const std::vector<CommandButton> &commandButtons()
{
    return kButtons;
}

const CommandButton *buttonOf(int button)
{
    const auto it =
        std::find_if(kButtons.begin(), kButtons.end(), [button](const CommandButton &b) { return b.button == button; });
    return it == kButtons.end() ? nullptr : &*it;
}

bool buttonAllowed(int button, Condition condition)
{
    const CommandButton *b = buttonOf(button);
    if (!b)
        return false;
    switch (condition) {
    case Condition::Ready:
        return true;
    case Condition::DriveOff:
        return !b->moves;
    case Condition::LinkLost:
        return b->commands == std::vector<QByteArray> {"s"};
    }
    return false;
}

bool settingsAllowed(Condition condition)
{
    return condition != Condition::LinkLost;
}

QByteArrayList buttonPress(const CommandButton &button, const QByteArray &manualAddress, bool portOpen)
{
    QByteArrayList texts;
    if (button.queued == Queued::PortOpen && !portOpen)
        return texts;
    for (const QByteArray &command : button.commands)
        texts.append(commandText(manualAddress, command));
    return texts;
}

int overridePosition(const QByteArray &p108Value)
{
    const int64_t value = status::readInteger(p108Value);
    return int(std::clamp<int64_t>(value, kOverrideMin, kOverrideMax));
}

QByteArray overrideCommand(const QByteArray &manualAddress, int position)
{
    return commandText(manualAddress, "P108=" + QByteArray::number(position));
}

QByteArray overrideLabel(int position)
{
    return QByteArray::number(position) + '%';
}

QByteArray outputQuery(const QByteArray &manualAddress, int output)
{
    return commandText(manualAddress, 'O' + QByteArray::number(output) + '?');
}

bool isOutputAnswerComplete(const QByteArray &buffer)
{
    return buffer.contains('=') && buffer.count('\r') >= 2;
}

std::optional<OutputToggle> outputToggle(const QByteArray &buffer)
{
    for (int output = 1; output <= 4; ++output) {
        const QByteArray name = 'O' + QByteArray::number(output);
        if (!buffer.contains(name))
            continue;
        // The output takes the opposite of the state the drive reported;
        // anything but "0" counts as on.
        const QByteArray value = status::valueText(buffer) == "0" ? "1" : "0";
        return OutputToggle {output, name + '=' + value, value, kOutputKeys[output - 1]};
    }
    return std::nullopt;
}

AddressChoice addressChoice(const std::vector<int> &found)
{
    AddressChoice choice;
    const int count = found.empty() ? 0 : std::clamp(found.front(), 0, int(found.size()) - 1);
    for (int i = 1; i <= count; ++i)
        choice.items.append(QByteArray::number(found[size_t(i)]));
    choice.items.append("*");
    choice.manualAddress = choice.items.front();
    choice.shown = count > 1;
    return choice;
}

} // namespace manual
