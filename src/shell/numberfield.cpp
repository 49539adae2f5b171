#include "shell/numberfield.h"

#include "core/cvardata.h"
#include "core/prompter.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace hvc {

void RestoreValuePrompt(Prompter& prompter, QLineEdit* text, const CVarData& record) {
    const QString value = QString::number(record.E2InECU);
    if (prompter.ask(QStringLiteral("Value Not Correct : Restore With '") + value +
                         QStringLiteral("' ?"),
                     {}, PromptIcon::Information))
        text->setText(value);
    else
        text->setFocus();
}

bool IsEnterKey(const QKeyEvent& key) {
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

bool DiscardedNumberKey(const QKeyEvent& key) {
    if (IsEnterKey(key))
        return true;
    const QString text = key.text();
    if (text.isEmpty() || key.key() == Qt::Key_Backspace)
        return false;
    const QChar c = text.at(0);
    return !(c.isDigit() || c == QLatin1Char('.')) || !c.isPrint();
}

} // namespace hvc
