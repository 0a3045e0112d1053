#include "link/searchplan.h"

#include "shell/settings.h"

namespace search {

namespace {

// Fastest first: a drive set to a high rate is found soonest.
const TBaudrate kRates[] = {br_038400, br_019200, br_009600, br_004800, br_002400, br_001200};

} // namespace

std::optional<Pair> pairOfStep(int step)
{
    if (step < 0 || step > kLastStep)
        return std::nullopt;
    const int port = (step / 2) % 2 + 1;
    const TBaudrate rate = kRates[step / 4];
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
        change.rate = kRates[step / 4];
        change.timer1 = step <= 16 ? 400 : 500;
    } else if (step == 1 || (step % 4 == 1 && step >= 5 && step <= 21)) {
        change.rate = kRates[step / 4];
    }
    return change;
}

Timing timingOf(TBaudrate rate)
{
    // The poll period is the one the settings file gives the rate; the slow
    // rates also get a longer link watchdog.
    const int baud = baudRateValue(rate);
    Timing timing {settings::pollInterval(baud), std::nullopt};
    if (baud == 2400 || baud == 1200)
        timing.timer9 = 3000;
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

} // namespace search
