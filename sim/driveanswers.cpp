// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/driveanswers.h"

#include "sim/parameterlist.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace sim {

namespace {

QByteArray okText(const Drive &drive)
{
    QByteArray ok = "ok";
    if (drive.statusDigit >= 0)
        ok += QByteArray::number(drive.statusDigit);
    return ok;
}

QByteArray ack(const Drive &drive)
{
    return "\n" + okText(drive) + "\n\r";
}

QByteArray errorLine(const QByteArray &text)
{
    return "\n** " + text + "\r";
}

bool isName(const QByteArray &name)
{
    if (name.isEmpty() || !std::isalpha(static_cast<unsigned char>(name.front())))
        return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

} // namespace

// The drive lists some parameters under a short name; assigned or asked by
// their number, they are the same parameter. (The in-position state P336 is
// kept apart from the listed "POS": the axis keeps it up to date.)
QByteArray storedName(const QByteArray &name)
{
    static const std::map<QByteArray, QByteArray> shortNames = [] {
        std::map<QByteArray, QByteArray> names = {
            {"P47", "W"},     {"P91", "V"},     {"P138", "A"},    {"P100", "C1"},   {"P101", "C2"},
            {"P102", "C3"},   {"P1096", "B"},   {"P1042", "LP"},  {"P1047", "X"},   {"P1046", "ADC"},
            {"P1100", "D"},   {"P1101", "M1"},  {"P1102", "M2"},  {"P1103", "M3"},
        };
        for (int i = 0; i <= 5; ++i)
            names["P" + QByteArray::number(1080 + i)] = "R" + QByteArray::number(i);
        for (int i = 1; i <= 16; ++i)
            names["P" + QByteArray::number(1200 + i)] = "O" + QByteArray::number(i);
        return names;
    }();
    const QByteArray upper = name.toUpper();
    const auto it = shortNames.find(upper);
    return it == shortNames.end() ? upper : it->second;
}

void setDefaults(Drive &drive)
{
    // The drive's parameter list, in its order, with values and units.
    for (const ListedParameter &parameter : parameterList()) {
        drive.listing.push_back(parameter.name);
        if (parameter.status) {
            drive.statusWords.insert(parameter.name);
            continue;
        }
        drive.values[parameter.name] = parameter.value;
        if (!parameter.unit.isEmpty())
            drive.units[parameter.name] = parameter.unit;
    }
    // Language 0 (German), the settings the program writes at connection
    // start, and the values its status poll asks for.
    static const std::pair<const char *, const char *> defaults[] = {
        {"P265", "0"},  {"P1028", "8"}, {"P1035", "0"}, {"P1716", "0"},
        {"P11", "0"},   {"P12", "0"},   {"P51", "0"},   {"P134", "OFF"},
        {"P336", "1"},  {"P1300", "0"}, {"O1", "0"},    {"O2", "0"},
        {"O3", "0"},    {"O4", "0"},    {"ADC", "512"},
    };
    for (const auto &[name, value] : defaults)
        drive.values[name] = value;
    drive.stored = drive.values;
}

namespace {

// "listp" lists every entry; "listpS.N" the N entries from entry S on.
QByteArray listingAnswer(const Drive &drive, const QByteArray &command)
{
    qsizetype first = 1;
    qsizetype count = qsizetype(drive.listing.size());
    const QByteArray range = command.mid(5);
    if (!range.isEmpty()) {
        const QList<QByteArray> parts = range.split('.');
        bool okFirst = false, okCount = false;
        first = parts.value(0).toLongLong(&okFirst);
        count = parts.value(1).toLongLong(&okCount);
        if (parts.size() != 2 || !okFirst || !okCount || first < 1 || count < 0)
            return errorLine("falscher Bereich");
    }
    QByteArray answer = "\n\r";
    for (qsizetype i = first - 1; i < qsizetype(drive.listing.size()) && i < first - 1 + count; ++i) {
        const QByteArray &name = drive.listing[size_t(i)];
        if (drive.statusWords.count(name)) {
            // The on/off word tells the drive's state; the others stand as listed.
            const QByteArray state = drive.values.at("P134");
            answer += "\n" + ((name == "ON" || name == "OFF") && (state == "ON" || state == "OFF") ? state : name)
                    + "\r";
            continue;
        }
        const auto value = drive.values.find(name);
        if (value == drive.values.end()) {
            answer += "\n" + name + "\r";
            continue;
        }
        const auto unit = drive.units.find(name);
        answer += "\n" + name + "=" + value->second + (unit == drive.units.end() ? QByteArray() : unit->second) + "\r";
    }
    return answer + ack(drive);
}

} // namespace

QByteArray driveAnswer(Drive &drive, const QByteArray &command, std::chrono::steady_clock::time_point now)
{
    // A stop ends the program and the motion alike.
    if (command == "s" || command == "S")
        drive.motion.stop(drive.values, now);
    if (std::optional<QByteArray> answer = drive.program.answer(command, ack(drive)))
        return *answer;
    if (std::optional<QByteArray> answer = drive.motion.command(command, ack(drive), drive.values, now))
        return *answer;
    if (command.isEmpty())
        return ack(drive);
    const qsizetype eq = command.indexOf('=');
    if (eq > 0 && isName(command.left(eq))) {
        // Blanks around a value are of no meaning to the drive.
        const QByteArray name = storedName(command.left(eq));
        QByteArray value = command.mid(eq + 1).trimmed();
        if (const auto bound = drive.maximum.find(name); bound != drive.maximum.end() && value.toDouble() > bound->second)
            value = QByteArray::number(bound->second);
        drive.values[name] = value;
        return ack(drive);
    }
    if (command.endsWith('?') && isName(command.chopped(1))) {
        // A query is answered by its value line alone.
        drive.motion.update(drive.values, now);
        const QByteArray name = command.chopped(1);
        const auto it = drive.values.find(storedName(name));
        if (it == drive.values.end())
            return errorLine("unbekannter Parameter");
        return "\n" + name + "=" + it->second + "\r";
    }
    if (command.startsWith("listp"))
        return listingAnswer(drive, command);
    if (command == "psave") {
        drive.stored = drive.values;
        return ack(drive);
    }
    if (command == "ver")
        return "\n" + drive.version + "\r" + ack(drive);
    for (const char *plain : {"s", "quit", "run", "TRON", "TROFF", "new"}) {
        if (command == plain)
            return ack(drive);
    }
    return errorLine("unbekannter Befehl");
}

} // namespace sim
