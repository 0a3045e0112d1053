// SPDX-License-Identifier: GPL-3.0-or-later
// Where a control of the main window goes when the window is larger than
// its design size: it keeps its distance to the edges it is anchored to.
#pragma once

#include <QRect>
#include <QSize>

namespace growlayout {

enum Anchor : unsigned {
    Fixed = 0,          // keeps its design place and size
    GrowRight = 1,      // its right edge follows the window's
    GrowDown = 2,       // its bottom edge follows the window's
    MoveRight = 4,      // it moves with the window's right edge
    MoveDown = 8,       // it moves with the window's bottom edge
};

// The design place moved and stretched by the window's growth (never
// negative: below the design size nothing moves).
inline QRect placed(const QRect &design, unsigned anchor, QSize growth)
{
    const int dx = growth.width() > 0 ? growth.width() : 0;
    const int dy = growth.height() > 0 ? growth.height() : 0;
    QRect r = design;
    if (anchor & MoveRight)
        r.translate(dx, 0);
    if (anchor & MoveDown)
        r.translate(0, dy);
    if (anchor & GrowRight)
        r.setWidth(r.width() + dx);
    if (anchor & GrowDown)
        r.setHeight(r.height() + dy);
    return r;
}

} // namespace growlayout
