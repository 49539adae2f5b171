#pragma once
// The desktop program's message boxes: modal QMessageBox with OK or Yes/No.

#include "core/prompter.h"

#include <memory>

class QMessageBox;
class QWidget;

namespace hvc {

class MessageBoxPrompter : public Prompter {
public:
    // Title used when a message has none.
    explicit MessageBoxPrompter(QString appTitle) : m_appTitle(std::move(appTitle)) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    void inform(const QString& text, const QString& title, PromptIcon icon) override;
    // The detail goes behind the box's "Show Details..." button.
    void informDetailed(const QString& text, const QString& detail, const QString& title,
                        PromptIcon icon) override;
    bool ask(const QString& text, const QString& title, PromptIcon icon) override;

    // The box inform() and informDetailed() show, not yet shown.
    std::unique_ptr<QMessageBox> messageBox(const QString& text, const QString& detail,
                                            const QString& title, PromptIcon icon) const;

private:
    QString m_appTitle;
    QWidget* m_parent = nullptr;
};

} // namespace hvc
