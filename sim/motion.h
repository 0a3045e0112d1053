// SPDX-License-Identifier: GPL-3.0-or-later
// The axis of one simulated drive: switching on and off, jogging, reference
// travel, positioning by a distance and stopping, and the status values the
// program polls (position, in-position, ON/OFF state, analogue value, inputs).
//
// It runs on the clock it is given, so that it can be stepped without waiting.
// Units: positions in increments, speeds in increments per second; motion is
// at constant speed (no ramps).
#pragma once

#include <QByteArray>

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>

namespace sim {

class Motion {
public:
    using Clock = std::chrono::steady_clock;
    using Values = std::map<QByteArray, QByteArray>;

    // The speed taken when the parameter for a motion holds no positive number.
    static constexpr int64_t kDefaultSpeed = 1000;
    static constexpr int64_t kMaxSpeed = 1'000'000'000;
    // The analogue value wanders a little around this.
    static constexpr int kAnalogueCentre = 512;

    // Handles the commands of the axis and returns the answer that follows
    // the echo; nullopt for a command that is not the axis's business.
    // Taken (case-insensitively): "ON", "OFF", "ls", "rs", "lf", "rf", "h",
    // "e", "s", "P134?" (answered by the bare state line "ON"/"OFF" alone,
    // without "=" or acknowledgement), and "P51=" with an integer (sets the
    // position and stops).
    // Everything else, also "P11=0", "P12=0", "O1=1" and the other
    // assignments, stays with the drive. ack is the drive's plain
    // acknowledgement. Speeds and distance are read from values at the moment
    // of the command: "P1019" jog slow, "P1020" jog fast, "P41" reference
    // travel, "V" and "W" positioning (assigned names are upper case).
    std::optional<QByteArray> command(const QByteArray &command, const QByteArray &ack, Values &values,
                                      Clock::time_point now);

    // Brings the axis to now and writes "P51" (position), "P336" ("1"
    // standing, "0" moving), "P134" ("ON"/"OFF"), "ADC" and "P1300" (input
    // word) into values. An error word "P11" other than 0 stops the axis.
    void update(Values &values, Clock::time_point now);

    // Input bits 1..7 of the input word (the wiring of the machine); bit 0 is
    // the reference switch, closed at position 0.
    void setInputs(uint8_t inputs) { m_inputs = inputs & 0xFE; }

    // Stops the axis where it is now, as "s" does; for a stop command that
    // another part of the drive answers (the program's "s" stops both).
    void stop(Values &values, Clock::time_point now);

    bool isOn() const { return m_on; }
    // Switched on or off from outside, as a drive that was left so.
    void setOn(bool on) { m_on = on; }
    bool isMoving() const { return m_mode != Mode::Standing; }
    int64_t position() const { return m_position; }

private:
    enum class Mode { Standing, Jogging, Travelling };

    void advance(const Values &values, Clock::time_point now);
    void halt() { m_mode = Mode::Standing; }
    void startJog(int direction, int64_t speed, Clock::time_point now);
    void startTravel(int64_t target, int64_t speed, Clock::time_point now);

    bool m_on = false;
    Mode m_mode = Mode::Standing;
    int m_direction = 1;            // +1 right, -1 left
    int64_t m_speed = 0;
    Clock::time_point m_segmentStart;
    int64_t m_segmentStartPosition = 0;
    int64_t m_target = 0;           // Travelling
    int64_t m_position = 0;
    std::optional<Clock::time_point> m_epoch; // first time seen, for the analogue value
    uint8_t m_inputs = 0;
};

} // namespace sim
