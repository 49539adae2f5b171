#include "shell/csection.h"

#include "core/documentstate.h"
#include "core/unitvariable.h"
#include "shell/pendingmark.h"

#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <algorithm>

namespace hvc {

CSection::CSection(DocumentState& document, int index, QWidget* parent)
    : QFrame(parent), m_document(document), m_index(index), m_label(new QLabel(this)) {
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QFont bold = m_label->font();
    bold.setBold(true);
    m_label->setFont(bold);
    m_label->setMinimumWidth(m_label->fontMetrics().horizontalAdvance(QStringLiteral("4B")) + 4);
    buildLimit(m_min, QStringLiteral("Min"));
    buildLimit(m_max, QStringLiteral("Max"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setVerticalSpacing(6);
    grid->setHorizontalSpacing(4);
    // Rows 0 and 3 are give: a control taller than its fields keeps them centred.
    grid->addWidget(m_label, 1, 0, 2, 1);
    int row = 1;
    for (Limit* limit : {&m_min, &m_max}) {
        grid->addWidget(limit->caption, row, 1);
        grid->addWidget(limit->field, row, 2);
        grid->addWidget(limit->slider, row, 3);
        ++row;
    }
    grid->setRowStretch(0, 1);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(3, 1);
    updateNames();
}

void CSection::buildLimit(Limit& limit, const QString& caption) {
    limit.caption = new QLabel(caption, this);
    limit.field = new QSpinBox(this);
    limit.slider = new QSlider(Qt::Horizontal, this);
    limit.caption->setBuddy(limit.field);
    keepPlainColours(limit.field);
    keepPlainColours(limit.slider);
    limit.field->setSuffix(QStringLiteral(" mA"));
    // Only a finished entry (Enter, focus loss, arrows) is an edit.
    limit.field->setKeyboardTracking(false);
    limit.field->setEnabled(false);
    limit.slider->setEnabled(false);
    connect(limit.field, &QSpinBox::valueChanged, this, [this, &limit](int v) { edit(limit, v); });
    connect(limit.slider, &QSlider::valueChanged, limit.field, &QSpinBox::setValue);
}

void CSection::setMinVar(UnitVariable* var) {
    m_min.var = var;
    showLimit(m_min);
}

void CSection::setMaxVar(UnitVariable* var) {
    m_max.var = var;
    showLimit(m_max);
}

std::int16_t CSection::minVarIndex() const {
    return m_min.var ? m_min.var->index : std::int16_t{0};
}

std::int16_t CSection::maxVarIndex() const {
    return m_max.var ? m_max.var->index : std::int16_t{0};
}

void CSection::refreshValues() {
    showLimit(m_min);
    showLimit(m_max);
}

void CSection::showLimit(Limit& limit) {
    const QSignalBlocker blockField(limit.field);
    const QSignalBlocker blockSlider(limit.slider);
    const bool bound = limit.var != nullptr;
    limit.field->setEnabled(bound);
    limit.slider->setEnabled(bound);
    if (!bound)
        return;
    const int low = limit.var->minValue;
    const int high = std::max(low, static_cast<int>(limit.var->maxValue));
    const int value = limit.var->shownValue;
    // A value outside the limits is shown as it is (the field widens to hold it,
    // the slider stands at the nearer limit) and stays in the record until the
    // user changes it.
    limit.field->setRange(std::min(low, value), std::max(high, value));
    limit.slider->setRange(low, high);
    limit.field->setValue(value);
    limit.slider->setValue(value);
    showEditMark(limit.field, *limit.var, limit.var->saveName);
}

void CSection::edit(Limit& limit, int value) {
    {
        const QSignalBlocker block(limit.slider);
        limit.slider->setValue(value);
    }
    if (!limit.var || limit.var->shownValue == value)
        return;
    if (value < limit.slider->minimum() || value > limit.slider->maximum() ||
        limit.field->minimum() < limit.slider->minimum() ||
        limit.field->maximum() > limit.slider->maximum()) {
        // The first change of a value shown outside the limits: back within them.
        value = std::clamp(value, limit.slider->minimum(), limit.slider->maximum());
        const QSignalBlocker block(limit.field);
        limit.field->setRange(limit.slider->minimum(), limit.slider->maximum());
        limit.field->setValue(value);
    }
    limit.var->setShownValue(value, m_document);
    showEditMark(limit.field, *limit.var, limit.var->saveName);
    if (&limit == &m_min)
        Q_EMIT minChanged(m_index);
    else
        Q_EMIT maxChanged(m_index);
}

void CSection::setSolenoidLabel(const QString& label) {
    m_solenoidLabel = label;
    m_label->setText(label);
    updateNames();
}

void CSection::setSetName(const QString& name) {
    m_setName = name;
    updateNames();
}

void CSection::updateNames() {
    const QString set = m_setName.isEmpty() ? QString() : m_setName + QLatin1Char(' ');
    const QString min = QStringLiteral("Minimum current %1%2").arg(set, m_solenoidLabel);
    const QString max = QStringLiteral("Maximum current %1%2").arg(set, m_solenoidLabel);
    m_min.field->setAccessibleName(min);
    m_max.field->setAccessibleName(max);
    m_min.slider->setAccessibleName(min + QStringLiteral(" slider"));
    m_max.slider->setAccessibleName(max + QStringLiteral(" slider"));
    m_label->setAccessibleName(QStringLiteral("Solenoid %1").arg(m_solenoidLabel));
    setAccessibleName(QStringLiteral("Currents %1%2").arg(set, m_solenoidLabel));
}

void CSection::setMainColor(const QColor& colour) {
    m_mainColor = colour;
    applyColours();
}

void CSection::setSecondColor(const QColor& colour) {
    m_secondColor = colour;
    applyColours();
}

void CSection::applyColours() {
    QPalette pal = palette();
    if (m_mainColor.isValid())
        pal.setColor(QPalette::Window, m_mainColor);
    if (m_secondColor.isValid())
        pal.setColor(QPalette::WindowText, m_secondColor);
    setPalette(pal);
}

} // namespace hvc
