// SPDX-License-Identifier: GPL-3.0-or-later
// What the live plot keeps: the poll cycles of the last minutes as numbers,
// and whether the view follows them or stands still.
#pragma once

#include "manual/cyclesample.h"

#include <QPointF>
#include <QVector>

#include <deque>

namespace plot {

// The digital lanes under the analogue traces, bottom up: one per signal,
// each drawn as 0 or 1 raised by its lane number.
enum Lane { InPosition, Output1, Output2, Output3, Output4, Input1, Input2, Input3, Input4,
            Input5, Input6, Input7, Input8, DriveOn, LaneCount };
const char *laneName(int lane);

struct Point {
    double seconds = 0;         // since the plot's first cycle
    double position = 0;
    double analogue = 0;
    bool hasAnalogue = false;
    std::array<bool, LaneCount> lanes {};
    bool afterGap = false;      // the first cycle after the link was lost: no line leads to it
};

// A trace as the pieces of line it is drawn with: broken where the link was
// lost, so that no line bridges the cycles it did not see.
using Trace = QList<QVector<QPointF>>;

// The points of the last keepSeconds; older ones are dropped as new ones come.
class History {
public:
    explicit History(double keepSeconds = 600) : m_keepSeconds(keepSeconds) {}
    void add(const status::CycleSample &sample);
    void clear();
    const std::deque<Point> &points() const { return m_points; }
    double lastSeconds() const { return m_points.empty() ? 0 : m_points.back().seconds; }

    // The points of one trace from fromSeconds on, in pieces: the position,
    // the analogue value, or a lane (value + lane number, stepped: a change
    // is drawn as a vertical edge).
    Trace position(double fromSeconds) const;
    Trace analogue(double fromSeconds) const;
    Trace lane(int lane, double fromSeconds) const;

private:
    double m_keepSeconds;
    qint64 m_startMs = -1;
    std::deque<Point> m_points;
};

Point pointOf(const status::CycleSample &sample, double seconds);

} // namespace plot
