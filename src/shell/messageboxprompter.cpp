#include "shell/messageboxprompter.h"

#include <QMessageBox>

namespace hvc {

namespace {

QMessageBox::Icon boxIcon(PromptIcon icon) {
    switch (icon) {
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Exclamation:
        return QMessageBox::Warning;
    case PromptIcon::Critical:
        return QMessageBox::Critical;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Messages carry CR line breaks; QMessageBox breaks lines on LF.
QString plainLines(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

} // namespace

std::unique_ptr<QMessageBox> MessageBoxPrompter::messageBox(const QString& text,
                                                            const QString& detail,
                                                            const QString& title,
                                                            PromptIcon icon) const {
    auto box = std::make_unique<QMessageBox>(boxIcon(icon), title.isEmpty() ? m_appTitle : title,
                                             plainLines(text), QMessageBox::Ok, m_parent);
    box->setTextFormat(Qt::PlainText);
    if (!detail.isEmpty())
        box->setDetailedText(plainLines(detail));
    return box;
}

void MessageBoxPrompter::inform(const QString& text, const QString& title, PromptIcon icon) {
    messageBox(text, {}, title, icon)->exec();
}

void MessageBoxPrompter::informDetailed(const QString& text, const QString& detail,
                                        const QString& title, PromptIcon icon) {
    messageBox(text, detail, title, icon)->exec();
}

bool MessageBoxPrompter::ask(const QString& text, const QString& title, PromptIcon icon) {
    QMessageBox box(boxIcon(icon), title.isEmpty() ? m_appTitle : title, plainLines(text),
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

} // namespace hvc
