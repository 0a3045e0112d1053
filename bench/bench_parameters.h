// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace bench {

struct ListingFigure {
    double achieved = 0; // seconds from the request to the end of the listing
    double ideal = 0;    // every byte both ways at 10 bit times, plus the drive's latency
};

// A full single listing ("listp") of the simulated drive with the line
// emulated at this rate; a negative achieved time means it did not complete.
ListingFigure singleListing(int baud, int latencyUs);

} // namespace bench
