// SPDX-License-Identifier: GPL-3.0-or-later
#include "manual/plotdata.h"

#include <algorithm>

namespace plot {

namespace {

const char *const kLaneNames[LaneCount] = {"In Pos", "O1", "O2", "O3", "O4", "I1", "I2",
                                           "I3",     "I4", "I5", "I6", "I7", "I8", "ON"};

// The first point at or after fromSeconds.
std::deque<Point>::const_iterator firstFrom(const std::deque<Point> &points, double fromSeconds)
{
    return std::lower_bound(points.begin(), points.end(), fromSeconds,
                            [](const Point &p, double s) { return p.seconds < s; });
}

} // namespace

const char *laneName(int lane)
{
    return lane >= 0 && lane < LaneCount ? kLaneNames[lane] : "";
}

Point pointOf(const status::CycleSample &sample, double seconds)
{
    Point p;
    p.seconds = seconds;
    p.position = status::numberOf(sample.position);
    p.hasAnalogue = !sample.analogue.isEmpty();
    p.analogue = status::numberOf(sample.analogue);
    p.lanes[InPosition] = sample.inPosition.trimmed() == "1";
    for (int n = 0; n < 4; ++n)
        p.lanes[size_t(Output1 + n)] = sample.outputs[size_t(n)].trimmed() == "1";
    for (int bit = 0; bit < 8; ++bit)
        p.lanes[size_t(Input1 + bit)] = status::inputBit(sample, bit);
    p.lanes[DriveOn] = sample.driveOn;
    p.afterGap = sample.afterLostLink;
    return p;
}

void History::add(const status::CycleSample &sample)
{
    if (m_startMs < 0)
        m_startMs = sample.timeMs;
    // A clock set back must not draw a line back in time.
    const double seconds = std::max((sample.timeMs - m_startMs) / 1000.0, lastSeconds());
    m_points.push_back(pointOf(sample, seconds));
    while (!m_points.empty() && m_points.front().seconds < seconds - m_keepSeconds)
        m_points.pop_front();
}

void History::clear()
{
    m_points.clear();
    m_startMs = -1;
}

namespace {

// Adds a point to the trace, in a new piece after a gap.
void extend(Trace &trace, bool afterGap, const QPointF &point)
{
    if (trace.isEmpty() || afterGap)
        trace.append(QVector<QPointF>());
    trace.back().append(point);
}

} // namespace

Trace History::position(double fromSeconds) const
{
    Trace out;
    for (auto it = firstFrom(m_points, fromSeconds); it != m_points.end(); ++it)
        extend(out, it->afterGap, {it->seconds, it->position});
    return out;
}

Trace History::analogue(double fromSeconds) const
{
    Trace out;
    bool gap = false; // it holds until a cycle has a value
    for (auto it = firstFrom(m_points, fromSeconds); it != m_points.end(); ++it) {
        gap = gap || it->afterGap;
        if (it->hasAnalogue) {
            extend(out, gap, {it->seconds, it->analogue});
            gap = false;
        }
    }
    return out;
}

Trace History::lane(int lane, double fromSeconds) const
{
    Trace out;
    if (lane < 0 || lane >= LaneCount)
        return out;
    const double base = lane * 1.5;
    for (auto it = firstFrom(m_points, fromSeconds); it != m_points.end(); ++it) {
        const double y = base + (it->lanes[size_t(lane)] ? 1.0 : 0.0);
        if (!out.isEmpty() && !it->afterGap && out.back().back().y() != y)
            out.back().append({it->seconds, out.back().back().y()}); // the edge
        extend(out, it->afterGap, {it->seconds, y});
    }
    return out;
}

} // namespace plot
