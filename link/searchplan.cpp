// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/searchplan.h"

#include "shell/settings.h"

namespace search {

namespace {

// Fastest first: a drive set to a high rate is found soonest. The rate table
// runs slowest first.
TBaudrate rateOfStep(int step)
{
    const auto &rates = settings::driveRates();
    return rates[rates.size() - 1 - size_t(step / 4)].rate;
}

} // namespace

std::optional<Pair> pairOfStep(int step)
{
    if (step < 0 || step > kLastStep)
        return std::nullopt;
    const int port = (step / 2) % 2 + 1;
    const TBaudrate rate = rateOfStep(step);
    return Pair {port, rate, settings::interfaceDescription(port, baudRateValue(rate))};
}

StepChange changeAtStep(int step)
{
    StepChange change;
    if (step < 1 || step > kLastStep)
        return change;
    if (step % 4 == 2) {
        change.port = 2;
    } else if (step % 4 == 0) {
        change.port = 1;
        change.rate = rateOfStep(step);
        change.timer1 = step <= 16 ? 400 : 500;
    } else if (step == 1 || (step % 4 == 1 && step >= 5 && step <= 21)) {
        change.rate = rateOfStep(step);
    }
    return change;
}

Timing timingOf(TBaudrate rate)
{
    // The poll period is the one the settings file gives the rate; the slow
    // rates also get a longer link watchdog.
    const settings::DriveRate *known = settings::driveRate(rate);
    Timing timing {known ? known->pollInterval : 0, std::nullopt};
    if (known && known->searchWatchdog)
        timing.timer9 = known->searchWatchdog;
    return timing;
}

bool addressAnswered(const QByteArray &buffer, const QByteArray &address)
{
    if (!buffer.contains("\n\r") || !buffer.contains(address))
        return false;
    const QByteArray probe = '#' + address + "\r\n";
    if (buffer.contains(probe + "ok\n\r"))
        return true;
    for (char digit = '0'; digit <= '4'; ++digit) {
        if (buffer.contains(probe + "ok" + digit + "\n\r"))
            return true;
    }
    return false;
}

bool addressInEntry(const QByteArray &buffer, const QByteArray &address)
{
    return buffer.contains('#' + address + "\r\npgm\n\r");
}

} // namespace search
