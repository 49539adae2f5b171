#pragma once
// One live value on the monitor page: a number with its unit and, when
// displayOption is set, a bar on the scale scaleMin..scaleMax in the section's
// colours. The page binds it to a record and hands it every value read; the
// control only shows. A click (or Space) switches its monitoring on or off and
// reports controlEventA; the context menu's "Monitor this value" does the same and
// reports controlEventB. A control that is not monitored is drawn hatched and grey
// with "not monitored" instead of a number. Assistive technology hears the
// caption with what the control shows ("Battery voltage 24.7 V") and reads the
// number through the value interface.

#include <QColor>
#include <QString>
#include <QWidget>
#include <cstdint>

class QAction;

namespace hvc {

struct UnitVariable;

class JoyMonitor : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString valueText READ displayText)
    Q_PROPERTY(double value READ value)
    Q_PROPERTY(bool hasValue READ hasValue)
public:
    explicit JoyMonitor(int index, QWidget* parent = nullptr);

    int index() const { return m_index; }
    // What the control shows, as spoken before the value: "Current section 1".
    void setCaption(const QString& caption);

    UnitVariable* boundVar() const { return m_var; }
    // Binds the record; its unit (convText) becomes the unit shown after the number.
    void setBoundVar(UnitVariable* var);
    // Position of the bound record in varTable, 0 while unbound.
    std::int32_t varId() const;

    // A new value to show (in display units).
    void updateDisplay(double value);
    double value() const { return m_value; }
    bool hasValue() const { return m_hasValue; }
    // Forgets the shown value (the number reads "---" until the next one).
    void clearValue();

    bool monitorEnable() const { return m_enabled; }
    void setMonitorEnable(bool on);

    std::int16_t scaleMin() const { return m_scaleMin; }
    std::int16_t scaleMax() const { return m_scaleMax; }
    void setScaleMin(std::int16_t v);
    void setScaleMax(std::int16_t v);
    QString numberFormat() const { return m_format; }
    void setNumberFormat(const QString& format);
    // Marks on the scale, in display units; 0 or outside the scale draws none.
    // A value below levelA is drawn as "at rest" (a paler bar).
    std::int16_t levelA() const { return m_levelA; }
    std::int16_t levelB() const { return m_levelB; }
    void setLevelA(std::int16_t v);
    void setLevelB(std::int16_t v);
    // True: bar and number; false: the number alone, larger.
    bool displayOption() const { return m_displayOption; }
    void setDisplayOption(bool bar);
    QColor mainColor() const { return m_mainColor; }
    QColor secondColor() const { return m_secondColor; }
    void setMainColor(const QColor& colour);
    void setSecondColor(const QColor& colour);

    // Unit shown after the number; taken from the bound record, may be set apart.
    QString unit() const { return m_unit; }
    void setUnit(const QString& unit);

    // What the control shows as text: "42 %", "24.6 V", "---" before the first
    // value, "not monitored" while monitoring is off. Also its tooltip, and its
    // accessible name after the caption.
    QString displayText() const;
    // Where the value stands on the scale, 0..1 (clamped).
    double scaleFraction() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void controlEventA(int index);
    void controlEventB(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void toggleFromUser(bool fromMenu);
    void changed();
    double levelFraction(std::int16_t level) const;

    int m_index;
    QAction* m_monitorAction;
    UnitVariable* m_var = nullptr;
    double m_value = 0;
    bool m_hasValue = false;
    bool m_enabled = true;
    std::int16_t m_scaleMin = 0;
    std::int16_t m_scaleMax = 100;
    QString m_format = QStringLiteral("####0");
    std::int16_t m_levelA = 0;
    std::int16_t m_levelB = 0;
    bool m_displayOption = true;
    QColor m_mainColor;
    QColor m_secondColor;
    QString m_unit;
};

} // namespace hvc
