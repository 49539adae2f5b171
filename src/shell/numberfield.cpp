#include "shell/numberfield.h"

#include "core/prompter.h"
#include "core/unitvariable.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <cmath>

namespace hvc {

void restoreValuePrompt(Prompter& prompter, QLineEdit* text, const UnitVariable& record) {
    const QString value = QString::number(record.unitWord);
    if (prompter.ask(QStringLiteral("Value Not Correct : Restore With '") + value +
                         QStringLiteral("' ?"),
                     {}, PromptIcon::Information))
        text->setText(value);
    else
        text->setFocus();
}

bool isEnterKey(const QKeyEvent& key) {
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

bool discardedNumberKey(const QKeyEvent& key) {
    if (isEnterKey(key))
        return true;
    const QString text = key.text();
    if (text.isEmpty() || key.key() == Qt::Key_Backspace)
        return false;
    const QChar c = text.at(0);
    return !(c.isDigit() || c == QLatin1Char('.')) || !c.isPrint();
}

std::optional<double> fieldNumber(const QString& text) {
    bool ok = false;
    const double v = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || std::abs(v) > 1e9)
        return std::nullopt;
    return v;
}

bool zeroEmptyField(QLineEdit* text) {
    if (!text->text().isEmpty())
        return false;
    text->setText(QStringLiteral("0"));
    text->setSelection(0, 1);
    return true;
}

bool leftTheField(const QFocusEvent& event) {
    return event.reason() != Qt::ActiveWindowFocusReason && event.reason() != Qt::PopupFocusReason;
}

void RangeQuestion::ask(Prompter& prompter, QLineEdit* text, const UnitVariable& record, int min,
                        int max, Reader read) {
    if (m_open)
        return;
    m_open = true;
    std::optional<double> v = read(text->text());
    if (!v || *v < min) {
        restoreValuePrompt(prompter, text, record);
        v = read(text->text());
    }
    if (v && *v > max)
        restoreValuePrompt(prompter, text, record);
    m_open = false;
}

} // namespace hvc
