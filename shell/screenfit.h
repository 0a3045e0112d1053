// SPDX-License-Identifier: GPL-3.0-or-later
// Where a window stands when it first shows, so that all of it is on the
// screen.
#pragma once

#include <QRect>

namespace screenfit {

// The window's frame made no larger than the screen's free area and moved
// into it; a frame already within it stays as it is.
QRect fitted(const QRect &frame, const QRect &available);

} // namespace screenfit
