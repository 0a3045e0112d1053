// SPDX-License-Identifier: GPL-3.0-or-later
#include "manual/cyclesample.h"

#include <utility>

namespace status {

std::optional<CycleSample> CycleCollector::add(const Update &update, qint64 nowMs)
{
    switch (update.display) {
    case Display::Position:
        m_sample = CycleSample();
        m_sample.position = update.value;
        m_open = true;
        break;
    case Display::InPosition:
        m_sample.inPosition = update.value;
        break;
    case Display::Error:
        m_sample.error = update.value;
        break;
    case Display::Warning:
        m_sample.warning = update.value;
        break;
    case Display::Output1:
    case Display::Output2:
    case Display::Output3:
    case Display::Output4:
        m_sample.outputs[size_t(update.output - 1)] = update.value;
        break;
    case Display::Analogue:
        m_sample.analogue = update.value;
        break;
    case Display::DriveState:
        m_sample.driveOn = update.driveOn;
        break;
    case Display::Inputs:
        if (!m_open)
            return std::nullopt;
        m_sample.inputs = update.value;
        m_sample.timeMs = nowMs;
        m_open = false;
        m_sample.afterLostLink = std::exchange(m_afterLoss, false);
        return m_sample;
    case Display::None:
        break;
    }
    return std::nullopt;
}

double numberOf(const QByteArray &value)
{
    bool ok = false;
    const double number = value.trimmed().toDouble(&ok);
    return ok ? number : 0.0;
}

bool inputBit(const CycleSample &sample, int bit)
{
    // Read as the inputs display reads it, so that plot and display agree.
    return inputCaptions(sample.inputs)[size_t(bit)] == "1";
}

} // namespace status
