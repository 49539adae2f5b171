#include "diagnostic/diagnosticerror.h"

#include "core/unitvariable.h"
#include "shell/spokenvalue.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>

namespace hvc {

namespace {

QColor litColour(DiagnosticBitKind kind) {
    switch (kind) {
    case DiagnosticBitKind::Status:
        return {0, 0, 255};
    case DiagnosticBitKind::Warning:
        return {224, 140, 0};
    case DiagnosticBitKind::None:
    case DiagnosticBitKind::Error:
        break;
    }
    return {255, 0, 0};
}

// "Open coil A" is spoken "open coil A" after the row's name; "CAN bus" stays.
QString spokenText(const QString& text) {
    if (text.size() >= 2 && text[0].isUpper() && text[1].isLower())
        return text[0].toLower() + text.mid(1);
    return text;
}

} // namespace

DiagnosticError::DiagnosticError(int index, QWidget* parent)
    : QWidget(parent), m_index(index), m_title(new QLabel(this)), m_texts(kBits),
      m_kinds(kBits, DiagnosticBitKind::None) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    m_title->setMinimumWidth(m_title->fontMetrics().horizontalAdvance(QStringLiteral("Section 4")) +
                             8);
    row->addWidget(m_title);
    const int twoLines = 2 * fontMetrics().lineSpacing() + 6;
    for (int bit = 0; bit < kBits; ++bit) {
        auto* cell = new QLabel(this);
        cell->setObjectName(QStringLiteral("Bit_%1").arg(bit));
        cell->setAlignment(Qt::AlignCenter);
        cell->setWordWrap(true);
        cell->setFrameShape(QFrame::Box);
        cell->setMinimumHeight(twoLines);
        cell->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("Joystick range")) /
                              2);
        cell->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        cell->setAutoFillBackground(true);
        cell->setFocusPolicy(Qt::TabFocus);
        row->addWidget(cell, 1);
        m_cells << cell;
    }
    for (int bit = 0; bit < kBits; ++bit) {
        drawBit(bit);
        nameBit(bit);
    }
}

void DiagnosticError::setBoundVar(UnitVariable* var) {
    m_var = var;
}

std::int32_t DiagnosticError::varId() const {
    return m_var ? m_var->index : 0;
}

bool DiagnosticError::bitSet(int bit) const {
    return bit >= 0 && bit < kBits && (m_value & (1 << bit)) != 0;
}

void DiagnosticError::updateDisplay(std::int32_t word) {
    const std::int32_t changed = word ^ m_value;
    m_value = word;
    for (int bit = 0; bit < kBits; ++bit)
        if ((changed & (1 << bit)) != 0)
            drawBit(bit);
    Q_EMIT valueChanged(m_index, word, changed);
}

void DiagnosticError::setDescription(int bit, const QString& text) {
    if (bit < 0 || bit >= kBits)
        return;
    m_texts[bit] = text;
    drawBit(bit);
    nameBit(bit);
}

QString DiagnosticError::bitText(int bit) const {
    return m_texts.value(bit);
}

void DiagnosticError::setBitKind(int bit, DiagnosticBitKind kind) {
    if (bit < 0 || bit >= kBits)
        return;
    m_kinds[bit] = kind;
    drawBit(bit);
}

void DiagnosticError::setTitle(const QString& caption, const QString& spokenName) {
    m_title->setText(caption);
    m_spokenName = spokenName;
    setAccessibleName(spokenName);
    for (int bit = 0; bit < kBits; ++bit)
        nameBit(bit);
}

void DiagnosticError::drawBit(int bit) {
    QLabel* cell = m_cells[bit];
    const bool on = bitSet(bit);
    const QString& text = m_texts[bit];
    cell->setText(text.isEmpty() ? QStringLiteral("bit %1").arg(bit) : text);
    QPalette pal = QApplication::palette();
    if (on) {
        pal.setColor(QPalette::Window, litColour(m_kinds[bit]));
        pal.setColor(QPalette::WindowText, Qt::white);
    } else {
        pal.setColor(QPalette::Window, Qt::white);
        if (text.isEmpty())
            pal.setColor(QPalette::WindowText, pal.color(QPalette::Disabled, QPalette::WindowText));
    }
    cell->setPalette(pal);
    speakShown(cell, on ? QStringLiteral("set") : QStringLiteral("clear"));
}

void DiagnosticError::nameBit(int bit) {
    const QString& text = m_texts[bit];
    QString name = QStringLiteral("%1, bit %2").arg(m_spokenName).arg(bit);
    if (!text.isEmpty())
        name += QStringLiteral(": ") + spokenText(text);
    setSpokenWhat(m_cells[bit], name);
    speakShown(m_cells[bit], bitSet(bit) ? QStringLiteral("set") : QStringLiteral("clear"));
    m_cells[bit]->setToolTip(QStringLiteral("Bit %1 (%2): %3")
                                 .arg(bit)
                                 .arg(1 << bit)
                                 .arg(text.isEmpty() ? QStringLiteral("no text") : text));
}

} // namespace hvc
