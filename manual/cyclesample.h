// SPDX-License-Identifier: GPL-3.0-or-later
// One status poll cycle as a whole: the values its answers carried, put
// together so that a plot or a recording sees a cycle at a time. Built from
// the answers the poll gets anyway; it asks the drive for nothing.
#pragma once

#include "manual/statusrules.h"

#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <optional>

namespace status {

struct CycleSample {
    qint64 timeMs = 0;                  // when the cycle's last answer came, ms since the epoch
    QByteArray position;                // "P51"
    QByteArray inPosition;              // "P336"
    QByteArray error;                   // "P11"
    QByteArray warning;                 // "P12"
    std::array<QByteArray, 4> outputs;  // "O1" .. "O4"
    QByteArray inputs;                  // "P1300", the input word
    QByteArray analogue;                // "ADC"; empty where the firmware has none
    bool driveOn = false;               // the "P134?" answer
    bool afterLostLink = false;         // the first cycle since the link was lost and came back

    bool operator==(const CycleSample &) const = default;
};

// Collects the answers of one cycle. The position answer opens a cycle, the
// inputs answer closes it; a cycle whose opening answer was lost is dropped
// rather than shown with the previous cycle's position.
class CycleCollector {
public:
    // The finished sample when this answer closed a cycle.
    std::optional<CycleSample> add(const Update &update, qint64 nowMs);
    void reset() { m_open = false; }
    // The link was lost: the cycle under way is dropped, and the next whole
    // one says that a gap lies before it.
    void linkLost()
    {
        m_open = false;
        m_afterLoss = true;
    }

private:
    CycleSample m_sample;
    bool m_open = false;
    bool m_afterLoss = false;
};

// Numbers of a sample for drawing; text that is no number counts as 0.
double numberOf(const QByteArray &value);
// Bit n of the input word (0 .. 7).
bool inputBit(const CycleSample &sample, int bit);

} // namespace status
