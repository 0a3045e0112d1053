// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file "ZYNT.ini" as the user (or another program) may have left
// it: whatever it holds, reading keeps the address list within its room, and
// a list the program writes reads back as it was.
#include "fuzzbytes.h"
#include "shell/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    settings::State state;
    settings::read(fuzz::bytesOf(data, size), state);

    const int count = state.addresses.at(0);
    fuzz::check(state.addresses.size() == size_t(settings::kMaxAddresses + 1), "address list keeps its room");
    fuzz::check(count >= 0 && count <= settings::kMaxAddresses, "address count within the list");
    bool written = count >= 1;
    for (int i = 1; i <= count; ++i) {
        const int address = state.addresses[size_t(i)];
        fuzz::check(address >= 0 && address <= settings::kHighestAddress, "address within the protocol's");
        written = written && address >= 1;
    }
    fuzz::check(state.timer3 >= 0 && state.timer8 >= 0 && state.timer9 >= 0 && state.timer11 >= 0,
                "timer intervals not negative");
    if (state.driveAddress)
        fuzz::check(!state.driveAddress->isEmpty(), "a drive address is never empty");

    if (written) {
        settings::State again;
        settings::read(settings::write(1, 19200, false, state.addresses), again);
        for (int i = 0; i <= count; ++i)
            fuzz::check(again.addresses[size_t(i)] == state.addresses[size_t(i)], "written list reads back");
    }
    return 0;
}
