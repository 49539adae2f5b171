#include "monitor/trendbuffer.h"

#include <algorithm>

namespace hvc {

TrendBuffer::TrendBuffer(int seriesCount, double windowSeconds)
    : m_series(static_cast<size_t>(std::max(0, seriesCount))), m_window(windowSeconds) {}

int TrendBuffer::append(int series, double t, double value) {
    auto& points = m_series.at(static_cast<size_t>(series));
    points.emplace_back(t, value);
    m_newest = std::max(m_newest, t);
    return trimSeries(points, m_newest);
}

void TrendBuffer::trim(double now) {
    m_newest = std::max(m_newest, now);
    for (auto& points : m_series)
        trimSeries(points, m_newest);
}

int TrendBuffer::trimSeries(std::deque<QPointF>& points, double now) const {
    int dropped = 0;
    while (!points.empty() && points.front().x() < now - m_window) {
        points.pop_front();
        ++dropped;
    }
    return dropped;
}

QList<QPointF> TrendBuffer::pointList(int series) const {
    const auto& points = m_series.at(static_cast<size_t>(series));
    return {points.begin(), points.end()};
}

void TrendBuffer::clear() {
    for (auto& points : m_series)
        points.clear();
    m_newest = 0;
}

} // namespace hvc
