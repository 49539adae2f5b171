#include "monitor/trendplot.h"

#include "core/monitormodel.h"

#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

namespace hvc {

namespace {

// One hue per section, the same for its joystick (solid) and its current (dashed).
const QColor kSectionHues[4] = {QColor(31, 119, 180), QColor(214, 39, 40), QColor(44, 160, 44),
                                QColor(148, 103, 189)};

QValueAxis* valueAxis(const QString& title, double max, const QString& format) {
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setRange(0, max);
    axis->setLabelFormat(format);
    axis->setTickCount(6);
    return axis;
}

} // namespace

TrendPlot::TrendPlot(const QList<SeriesSpec>& specs, QWidget* parent)
    : QWidget(parent), m_buffer(static_cast<int>(specs.size())), m_chart(new QChart),
      m_view(new QChartView(m_chart, this)), m_time(new QValueAxis),
      m_percent(valueAxis(QStringLiteral("Joystick [%]"), 100, QStringLiteral("%.0f"))),
      m_current(valueAxis(QStringLiteral("Current [mA]"), 1000, QStringLiteral("%.0f"))),
      m_voltage(valueAxis(QStringLiteral("Battery [V]"), 30, QStringLiteral("%.0f"))),
      m_pause(new QToolButton(this)), m_origin(QDateTime::currentDateTime()) {
    setObjectName(QStringLiteral("TrendPlot"));
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_chart->setMargins(QMargins(2, 2, 2, 2));
    m_chart->legend()->setAlignment(Qt::AlignRight);
    m_chart->legend()->setFont([this] {
        QFont f = font();
        f.setPointSizeF(f.pointSizeF() * 0.8);
        return f;
    }());
    // Solid joysticks and dashed currents: the legend shows the line itself.
    m_chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    m_time->setTitleText(QStringLiteral("Time [s]"));
    m_time->setLabelFormat(QStringLiteral("%.0f"));
    m_time->setRange(0, TrendBuffer::kWindowSeconds);
    // Ticks on whole tens of seconds while the axis scrolls.
    m_time->setTickType(QValueAxis::TicksDynamic);
    m_time->setTickAnchor(0);
    m_time->setTickInterval(10);
    m_chart->addAxis(m_time, Qt::AlignBottom);
    m_chart->addAxis(m_percent, Qt::AlignLeft);
    m_chart->addAxis(m_current, Qt::AlignRight);
    m_chart->addAxis(m_voltage, Qt::AlignRight);

    for (const SeriesSpec& spec : specs) {
        if (spec.name.isEmpty()) {
            m_series << nullptr;
            continue;
        }
        auto* line = new QLineSeries;
        line->setName(spec.name);
        QPen pen(spec.section >= 0 ? kSectionHues[spec.section] : QColor(60, 60, 60));
        pen.setWidthF(1.5);
        if (spec.axis == Axis::Current)
            pen.setStyle(Qt::DashLine);
        line->setPen(pen);
        m_chart->addSeries(line);
        line->attachAxis(m_time);
        line->attachAxis(spec.axis == Axis::Percent   ? m_percent
                         : spec.axis == Axis::Current ? m_current
                                                      : m_voltage);
        m_series << line;
    }

    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setAccessibleName(QStringLiteral("Trend of the last minute"));
    m_view->setMinimumSize(400, 160);
    m_pause->setObjectName(QStringLiteral("ChkPause"));
    m_pause->setText(QStringLiteral("Pause"));
    m_pause->setCheckable(true);
    m_pause->setAccessibleName(QStringLiteral("Pause the trend"));
    connect(m_pause, &QToolButton::toggled, this, [this](bool on) {
        if (!on)
            showBuffer();
    });
    auto* title = new QLabel(QStringLiteral("Trend (last 60 s)"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    m_top = new QHBoxLayout;
    m_top->addWidget(title);
    m_top->addStretch();
    m_top->addWidget(m_pause);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(m_top);
    layout->addWidget(m_view, 1);
}

void TrendPlot::addToTitleRow(QWidget* widget) {
    widget->setParent(this);
    m_top->addWidget(widget);
}

bool TrendPlot::paused() const {
    return m_pause->isChecked();
}

void TrendPlot::setPaused(bool paused) {
    m_pause->setChecked(paused);
}

void TrendPlot::addSample(const MonitorSample& sample) {
    const double t = static_cast<double>(m_origin.msecsTo(sample.time)) / 1000.0;
    for (const MonitorReading& r : sample.readings)
        if (r.display >= 0 && r.display < m_series.size() && m_series[r.display])
            m_buffer.append(r.display, t, r.value);
    m_buffer.trim(t);
    if (paused())
        return;
    // The series mirror the buffer: append what came, drop what the buffer dropped.
    for (const MonitorReading& r : sample.readings)
        if (r.display >= 0 && r.display < m_series.size() && m_series[r.display])
            m_series[r.display]->append(t, r.value);
    for (int s = 0; s < m_series.size(); ++s) {
        QLineSeries* line = m_series[s];
        if (!line)
            continue;
        const int excess = line->count() - static_cast<int>(m_buffer.points(s).size());
        if (excess > 0)
            line->removePoints(0, excess);
    }
    moveTimeAxis(t);
}

void TrendPlot::showBuffer() {
    for (int s = 0; s < m_series.size(); ++s)
        if (m_series[s])
            m_series[s]->replace(m_buffer.pointList(s));
    moveTimeAxis(m_buffer.newest());
}

// The first minute fills the plot from the left; after that it scrolls.
void TrendPlot::moveTimeAxis(double now) {
    const double from = std::max(0.0, now - TrendBuffer::kWindowSeconds);
    m_time->setRange(from, from + TrendBuffer::kWindowSeconds);
}

void TrendPlot::setSeriesShown(int display, bool shown) {
    QLineSeries* line = m_series.value(display);
    if (!line)
        return;
    line->setVisible(shown);
    for (QLegendMarker* marker : m_chart->legend()->markers(line))
        marker->setVisible(shown);
}

void TrendPlot::setCurrentRange(double max) {
    m_current->setRange(0, max > 0 ? max : 1000);
    m_current->applyNiceNumbers();
}

void TrendPlot::clear() {
    m_buffer.clear();
    for (QLineSeries* line : m_series)
        if (line)
            line->clear();
    m_origin = QDateTime::currentDateTime();
    moveTimeAxis(0);
}

} // namespace hvc
