// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/numberplace.h"

#include <algorithm>

namespace numberplace {

Place widened(const QRect &value, const QRect &caption, int needed, int leftmost)
{
    const int more = std::max(0, needed - value.width());
    const int room = std::max(0, caption.left() - leftmost);
    const int taken = std::min(more, room);
    Place place {value, caption.translated(-taken, 0), more - taken};
    place.value.setLeft(value.left() - taken);
    return place;
}

} // namespace numberplace
