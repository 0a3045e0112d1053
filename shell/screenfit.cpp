// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/screenfit.h"

#include <algorithm>

namespace screenfit {

QRect fitted(const QRect &frame, const QRect &available)
{
    const QSize size = frame.size().boundedTo(available.size());
    const int x = std::clamp(frame.x(), available.left(), available.left() + available.width() - size.width());
    const int y = std::clamp(frame.y(), available.top(), available.top() + available.height() - size.height());
    return QRect(QPoint(x, y), size);
}

} // namespace screenfit
