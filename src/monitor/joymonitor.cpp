#include "monitor/joymonitor.h"

#include "core/monitorwords.h"
#include "core/unitvariable.h"
#include "shell/spokenvalue.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QAction>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <algorithm>
#include <cmath>

namespace hvc {

namespace {

constexpr int kBarHeight = 12;
constexpr int kMargin = 2;

QColor orDefault(const QColor& colour, const QColor& fallback) {
    return colour.isValid() ? colour : fallback;
}

// A value display as assistive technology reads it: a level (a bar) or a text,
// with the shown number and its scale through the value interface. Read only.
class JoyMonitorAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit JoyMonitorAccessible(JoyMonitor* display)
        : QAccessibleWidget(display, QAccessible::ProgressBar) {}
    QAccessible::Role role() const override {
        return display()->displayOption() ? QAccessible::ProgressBar : QAccessible::StaticText;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QVariant currentValue() const override {
        return display()->hasValue() && display()->monitorEnable() ? QVariant(display()->value())
                                                                   : QVariant();
    }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return display()->scaleMax(); }
    QVariant minimumValue() const override { return display()->scaleMin(); }
    QVariant minimumStepSize() const override { return 0; }

private:
    JoyMonitor* display() const { return static_cast<JoyMonitor*>(widget()); }
};

QAccessibleInterface* accessibleDisplay(const QString& className, QObject* object) {
    if (className == QLatin1String(JoyMonitor::staticMetaObject.className()))
        return new JoyMonitorAccessible(static_cast<JoyMonitor*>(object));
    return nullptr;
}

} // namespace

JoyMonitor::JoyMonitor(int index, QWidget* parent)
    : QWidget(parent), m_index(index),
      m_monitorAction(new QAction(QStringLiteral("Monitor this value"), this)) {
    static const bool kFactoryInstalled = (QAccessible::installFactory(accessibleDisplay), true);
    (void)kFactoryInstalled;
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_monitorAction->setObjectName(QStringLiteral("actMonitorValue"));
    m_monitorAction->setCheckable(true);
    m_monitorAction->setChecked(true);
    addAction(m_monitorAction);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(m_monitorAction, &QAction::triggered, this, [this] { toggleFromUser(true); });
    changed();
}

void JoyMonitor::setCaption(const QString& caption) {
    setSpokenWhat(this, caption);
    changed();
}

void JoyMonitor::setBoundVar(UnitVariable* var) {
    m_var = var;
    m_unit = var ? var->convText : QString();
    changed();
}

std::int32_t JoyMonitor::varId() const {
    return m_var ? m_var->index : 0;
}

void JoyMonitor::updateDisplay(double value) {
    m_value = value;
    m_hasValue = true;
    changed();
}

void JoyMonitor::clearValue() {
    m_hasValue = false;
    changed();
}

void JoyMonitor::setMonitorEnable(bool on) {
    m_enabled = on;
    changed();
}

void JoyMonitor::setScaleMin(std::int16_t v) {
    m_scaleMin = v;
    changed();
}

void JoyMonitor::setScaleMax(std::int16_t v) {
    m_scaleMax = v;
    changed();
}

void JoyMonitor::setNumberFormat(const QString& format) {
    m_format = format;
    changed();
}

void JoyMonitor::setLevelA(std::int16_t v) {
    m_levelA = v;
    changed();
}

void JoyMonitor::setLevelB(std::int16_t v) {
    m_levelB = v;
    changed();
}

void JoyMonitor::setDisplayOption(bool bar) {
    m_displayOption = bar;
    updateGeometry();
    changed();
}

void JoyMonitor::setMainColor(const QColor& colour) {
    m_mainColor = colour;
    update();
}

void JoyMonitor::setSecondColor(const QColor& colour) {
    m_secondColor = colour;
    update();
}

void JoyMonitor::setUnit(const QString& unit) {
    m_unit = unit;
    changed();
}

QString JoyMonitor::displayText() const {
    if (!m_enabled)
        return QStringLiteral("not monitored");
    const QString number =
        m_hasValue ? formatDisplayValue(m_value, m_format) : QStringLiteral("---");
    return m_unit.isEmpty() ? number : number + QLatin1Char(' ') + m_unit;
}

double JoyMonitor::scaleFraction() const {
    if (m_scaleMax <= m_scaleMin || !m_hasValue)
        return 0;
    const double f = (m_value - m_scaleMin) / (m_scaleMax - m_scaleMin);
    return std::clamp(f, 0.0, 1.0);
}

double JoyMonitor::levelFraction(std::int16_t level) const {
    if (level == 0 || level <= m_scaleMin || level >= m_scaleMax)
        return -1;
    return static_cast<double>(level - m_scaleMin) / (m_scaleMax - m_scaleMin);
}

void JoyMonitor::changed() {
    const QString text = displayText();
    speakShown(this, text);
    setToolTip(text);
    if (m_hasValue && m_enabled) {
        QAccessibleValueChangeEvent event(this, m_value);
        QAccessible::updateAccessibility(&event);
    }
    m_monitorAction->setChecked(m_enabled);
    update();
}

QSize JoyMonitor::sizeHint() const {
    const int line = fontMetrics().height() + 6;
    const int height = m_displayOption ? line + kBarHeight + 3 * kMargin : line + 8;
    return {fontMetrics().horizontalAdvance(QStringLiteral("not monitored")) + 16, height};
}

QSize JoyMonitor::minimumSizeHint() const {
    return {fontMetrics().horizontalAdvance(QStringLiteral("0000 mA")) + 12, sizeHint().height()};
}

void JoyMonitor::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const QRectF all = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double badgeHeight =
        m_displayOption ? height() - kBarHeight - 3 * kMargin : height() - 2 * kMargin;
    const QRectF badge(all.left() + kMargin, all.top() + kMargin, all.width() - 2 * kMargin,
                       badgeHeight);
    const QRectF track(badge.left(), badge.bottom() + kMargin, badge.width(), kBarHeight);

    if (!m_enabled) {
        // Clearly off: grey hatching, a dashed border, no number.
        p.setPen(QPen(pal.color(QPalette::Disabled, QPalette::WindowText), 1, Qt::DashLine));
        p.setBrush(QBrush(pal.color(QPalette::Mid), Qt::BDiagPattern));
        p.drawRoundedRect(all, 3, 3);
        p.setPen(pal.color(QPalette::Disabled, QPalette::WindowText));
        QFont f = font();
        f.setItalic(true);
        p.setFont(f);
        p.drawText(all, Qt::AlignCenter, displayText());
    } else {
        const QColor main = orDefault(m_mainColor, pal.color(QPalette::Highlight));
        const QColor second = orDefault(m_secondColor, pal.color(QPalette::HighlightedText));
        p.setPen(QPen(second, 1));
        p.setBrush(main);
        p.drawRoundedRect(badge, 3, 3);
        QFont f = font();
        f.setBold(true);
        if (!m_displayOption)
            f.setPointSizeF(f.pointSizeF() * 1.25);
        p.setFont(f);
        p.setPen(second);
        p.drawText(badge, Qt::AlignCenter, displayText());

        if (m_displayOption) {
            p.setPen(QPen(pal.color(QPalette::Mid), 1));
            p.setBrush(pal.color(QPalette::Base));
            p.drawRect(track);
            const double fraction = scaleFraction();
            if (fraction > 0) {
                QColor fill = main;
                // Below levelA the output is at rest: a paler bar.
                if (m_levelA > m_scaleMin && m_value < m_levelA)
                    fill.setAlpha(110);
                p.setPen(QPen(second, 1));
                p.setBrush(fill);
                p.drawRect(
                    QRectF(track.left(), track.top(), track.width() * fraction, track.height()));
            }
            p.setPen(QPen(pal.color(QPalette::WindowText), 1.5));
            for (std::int16_t level : {m_levelA, m_levelB}) {
                const double at = levelFraction(level);
                if (at < 0)
                    continue;
                const double x = track.left() + track.width() * at;
                p.drawLine(QPointF(x, track.top() - 1), QPointF(x, track.top() + 4));
            }
        }
    }
    if (hasFocus()) {
        QStylePainter sp(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(1, 1, -1, -1);
        sp.drawPrimitive(QStyle::PE_FrameFocusRect, option);
    }
}

void JoyMonitor::toggleFromUser(bool fromMenu) {
    setMonitorEnable(!m_enabled);
    if (fromMenu)
        Q_EMIT controlEventB(m_index);
    else
        Q_EMIT controlEventA(m_index);
}

void JoyMonitor::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        toggleFromUser(false);
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void JoyMonitor::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        toggleFromUser(false);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace hvc
