// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/motion.h"

#include <algorithm>
#include <limits>

namespace sim {

namespace {

using std::chrono::microseconds;

// Leading integer of a value text ("1500", "-20 inc"); 0 when there is none.
int64_t leadingNumber(const QByteArray &text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (negative || (i < text.size() && text[i] == '+'))
        ++i;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), std::numeric_limits<int64_t>::max() / 16);
    return negative ? -value : value;
}

int64_t valueOf(const Motion::Values &values, const char *name)
{
    const auto it = values.find(name);
    return it == values.end() ? 0 : leadingNumber(it->second);
}

int64_t speedOf(const Motion::Values &values, const char *name)
{
    const int64_t speed = valueOf(values, name);
    return speed > 0 ? std::min(speed, Motion::kMaxSpeed) : Motion::kDefaultSpeed;
}

bool errorStands(const Motion::Values &values)
{
    return valueOf(values, "P11") != 0;
}

// Whole increments covered at speed in elapsed time; never negative.
int64_t travelled(int64_t speed, Motion::Clock::duration elapsed)
{
    const int64_t us = std::chrono::duration_cast<microseconds>(elapsed).count();
    if (us <= 0)
        return 0;
    const __int128 distance = static_cast<__int128>(speed) * us / 1'000'000;
    return static_cast<int64_t>(std::min<__int128>(distance, std::numeric_limits<int64_t>::max() / 4));
}

// A small, repeating wander of the analogue value, one step a second.
const int kAnalogueWander[] = {0, 1, 2, 1, 0, -1, -2, -1};

} // namespace

void Motion::startJog(int direction, int64_t speed, Clock::time_point now)
{
    m_mode = Mode::Jogging;
    m_direction = direction;
    m_speed = speed;
    m_segmentStart = now;
    m_segmentStartPosition = m_position;
}

void Motion::startTravel(int64_t target, int64_t speed, Clock::time_point now)
{
    if (target == m_position) {
        halt();
        return;
    }
    m_mode = Mode::Travelling;
    m_direction = target < m_position ? -1 : 1;
    m_speed = speed;
    m_target = target;
    m_segmentStart = now;
    m_segmentStartPosition = m_position;
}

void Motion::advance(const Values &values, Clock::time_point now)
{
    if (!m_epoch)
        m_epoch = now;
    if (m_mode == Mode::Standing)
        return;
    const int64_t distance = travelled(m_speed, now - m_segmentStart);
    if (m_mode == Mode::Travelling && distance >= (m_target - m_segmentStartPosition) * m_direction) {
        m_position = m_target;
        halt();
    } else {
        m_position = m_segmentStartPosition + m_direction * distance;
    }
    // A drive in error holds its axis where the error found it.
    if (errorStands(values))
        halt();
}

std::optional<QByteArray> Motion::command(const QByteArray &command, const QByteArray &ack, Values &values,
                                          Clock::time_point now)
{
    const QByteArray word = command.toLower();
    if (word == "p134?") {
        update(values, now);
        return "\n" + values["P134"] + "\r"; // a query: its value line alone
    }
    if (word.startsWith("p51=")) {
        bool ok = false;
        const int64_t position = command.mid(4).toLongLong(&ok);
        if (!ok)
            return std::nullopt;
        advance(values, now);
        halt();
        m_position = position;
        update(values, now);
        return ack;
    }

    enum class Act { On, Off, Stop, Jog, Home, Travel };
    struct Word {
        const char *text;
        Act act;
        int direction;
        const char *speed;      // the parameter holding the speed
    };
    static const Word kWords[] = {
        {"on", Act::On, 0, nullptr},       {"off", Act::Off, 0, nullptr},    {"s", Act::Stop, 0, nullptr},
        {"ls", Act::Jog, -1, "P1019"},     {"rs", Act::Jog, 1, "P1019"},     {"lf", Act::Jog, -1, "P1020"},
        {"rf", Act::Jog, 1, "P1020"},      {"h", Act::Home, 0, "P41"},       {"e", Act::Travel, 0, "V"},
    };
    const auto it = std::find_if(std::begin(kWords), std::end(kWords), [&word](const Word &w) { return word == w.text; });
    if (it == std::end(kWords))
        return std::nullopt;

    advance(values, now);
    const bool mayMove = m_on && !errorStands(values);
    switch (it->act) {
    case Act::On:
        m_on = true;
        break;
    case Act::Off:
        m_on = false;
        halt();
        break;
    case Act::Stop:
        halt();
        break;
    case Act::Jog:
        if (mayMove)
            startJog(it->direction, speedOf(values, it->speed), now);
        break;
    case Act::Home:
        if (mayMove)
            startTravel(0, speedOf(values, it->speed), now);
        break;
    case Act::Travel:
        if (mayMove)
            startTravel(m_position + valueOf(values, "W"), speedOf(values, it->speed), now);
        break;
    }
    update(values, now);
    return ack;
}

void Motion::stop(Values &values, Clock::time_point now)
{
    advance(values, now);
    halt();
    update(values, now);
}

void Motion::update(Values &values, Clock::time_point now)
{
    advance(values, now);
    values["P51"] = QByteArray::number(m_position);
    values["P336"] = isMoving() ? "0" : "1";
    values["P134"] = m_on ? "ON" : "OFF";
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - *m_epoch).count();
    const size_t step = size_t(std::max<int64_t>(seconds, 0)) % std::size(kAnalogueWander);
    values["ADC"] = QByteArray::number(kAnalogueCentre + kAnalogueWander[step]);
    values["P1300"] = QByteArray::number(m_inputs | (m_position == 0 ? 1 : 0));
}

} // namespace sim
