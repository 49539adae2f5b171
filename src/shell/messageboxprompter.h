#pragma once
// The desktop program's message boxes: modal QMessageBox with OK or Yes/No.

#include "core/prompter.h"

class QWidget;

namespace hvc {

class MessageBoxPrompter : public Prompter {
public:
    // Title used when a message has none.
    explicit MessageBoxPrompter(QString appTitle) : m_appTitle(std::move(appTitle)) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    void inform(const QString& text, const QString& title, PromptIcon icon) override;
    bool ask(const QString& text, const QString& title, PromptIcon icon) override;

private:
    QString m_appTitle;
    QWidget* m_parent = nullptr;
};

} // namespace hvc
