// SPDX-License-Identifier: GPL-3.0-or-later
// Where a number display stands so that its number shows whole.
#pragma once

#include <QRect>

namespace numberplace {

struct Place {
    QRect value;
    QRect caption;
    int missing = 0; // what the text still lacks: the font must shrink by that
};

// The display keeps its right edge and takes what more the text needs from
// its left, moving its caption along, but no further left than leftmost.
Place widened(const QRect &value, const QRect &caption, int needed, int leftmost);

} // namespace numberplace
