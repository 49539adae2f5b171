#pragma once
// The trend of the monitored values over the last minute: joystick positions
// [%] on the left axis, measured currents [mA] and the battery voltage [V] on the
// right. Each complete pass appends one point per value it read; points older
// than a minute are dropped. Pause freezes the picture while the values keep
// coming into the buffer; resuming shows the last minute at once.

#include "monitor/trendbuffer.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QWidget>

class QChart;
class QChartView;
class QHBoxLayout;
class QLineSeries;
class QToolButton;
class QValueAxis;

namespace hvc {

struct MonitorSample;

class TrendPlot : public QWidget {
    Q_OBJECT
public:
    enum class Axis { Percent, Current, Voltage };
    struct SeriesSpec {
        QString name; // "Joystick 1 [%]"
        Axis axis = Axis::Percent;
        int section = -1; // 0..3, -1 for the battery
    };

    // One series per monitor display; `specs[i]` describes display i (an empty
    // name: a display the plot leaves out).
    explicit TrendPlot(const QList<SeriesSpec>& specs, QWidget* parent = nullptr);

    // Appends the values of one pass.
    void addSample(const MonitorSample& sample);
    // Shows or hides a display's series (its section is not drawn).
    void setSeriesShown(int display, bool shown);
    // Upper end of the current axis (the largest section limit shown).
    void setCurrentRange(double max);
    void clear();
    // Puts a widget at the end of the row above the plot (after Pause).
    void addToTitleRow(QWidget* widget);

    bool paused() const;
    void setPaused(bool paused);

    const TrendBuffer& buffer() const { return m_buffer; }
    QLineSeries* series(int display) const { return m_series.value(display); }
    QChart* chart() const { return m_chart; }
    QValueAxis* timeAxis() const { return m_time; }

private:
    void showBuffer();
    void moveTimeAxis(double now);

    TrendBuffer m_buffer;
    QList<QLineSeries*> m_series; // per display, nullptr where left out
    QChart* m_chart;
    QChartView* m_view;
    QValueAxis* m_time;
    QValueAxis* m_percent;
    QValueAxis* m_current;
    QValueAxis* m_voltage;
    QToolButton* m_pause;
    QHBoxLayout* m_top = nullptr;
    QDateTime m_origin;
};

} // namespace hvc
