#pragma once
// The values of the trend plot: for each series, the points of the last window
// (60 s), oldest first. A pass appends one point per series it read, and points
// older than the window behind the newest are dropped, so a long run keeps a
// bounded buffer. The plot shows the buffer while it runs and keeps filling it
// while paused, so that resuming shows the last window at once.

#include <QList>
#include <QPointF>
#include <deque>
#include <vector>

namespace hvc {

class TrendBuffer {
public:
    static constexpr double kWindowSeconds = 60.0;

    explicit TrendBuffer(int seriesCount = 0, double windowSeconds = kWindowSeconds);

    int seriesCount() const { return static_cast<int>(m_series.size()); }
    double window() const { return m_window; }
    // Appends (t, value) to a series; t in seconds, never going back. Returns how
    // many points of that series fell out of the window.
    int append(int series, double t, double value);
    // Drops what lies before the window behind `now` in every series.
    void trim(double now);
    const std::deque<QPointF>& points(int series) const { return m_series.at(series); }
    QList<QPointF> pointList(int series) const;
    // The time of the newest point of any series (0 when empty).
    double newest() const { return m_newest; }
    void clear();

private:
    int trimSeries(std::deque<QPointF>& points, double now) const;

    std::vector<std::deque<QPointF>> m_series;
    double m_window;
    double m_newest = 0;
};

} // namespace hvc
