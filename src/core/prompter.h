#pragma once
// Every message box of the program goes through this interface: the desktop
// program shows QMessageBox, hvcctl prints to stderr, tests script the answers.

#include <QList>
#include <QString>
#include <QStringList>

namespace hvc {

enum class PromptIcon { None, Information, Exclamation, Critical, Question };

class Prompter {
public:
    virtual ~Prompter() = default;
    // A message with an OK button.
    virtual void inform(const QString& text, const QString& title = {},
                        PromptIcon icon = PromptIcon::None) = 0;
    // A message with the detail of what went wrong: the message box offers it as
    // its detailed text, a terminal prints it on a second line.
    virtual void informDetailed(const QString& text, const QString& detail,
                                const QString& title = {}, PromptIcon icon = PromptIcon::None) {
        (void)detail;
        inform(text, title, icon);
    }
    // A Yes/No question; true means Yes.
    virtual bool ask(const QString& text, const QString& title = {},
                     PromptIcon icon = PromptIcon::Question) = 0;
};

// Where no user is asked: drops messages and answers No.
class SilentPrompter : public Prompter {
public:
    void inform(const QString&, const QString&, PromptIcon) override {}
    bool ask(const QString&, const QString&, PromptIcon) override { return false; }
};

// Writes each message as one line on stderr and answers questions with a fixed answer.
class StderrPrompter : public Prompter {
public:
    explicit StderrPrompter(bool answer = false) : m_answer(answer) {}
    void inform(const QString& text, const QString& title, PromptIcon icon) override;
    void informDetailed(const QString& text, const QString& detail, const QString& title,
                        PromptIcon icon) override;
    bool ask(const QString& text, const QString& title, PromptIcon icon) override;

private:
    bool m_answer;
};

// Records every message and answers questions from a queue (No once it runs dry).
class ScriptedPrompter : public Prompter {
public:
    struct Message {
        QString text;
        QString title;
        PromptIcon icon;
        bool question;
        QString detail;
    };
    void inform(const QString& text, const QString& title, PromptIcon icon) override;
    void informDetailed(const QString& text, const QString& detail, const QString& title,
                        PromptIcon icon) override;
    bool ask(const QString& text, const QString& title, PromptIcon icon) override;

    QList<bool> answers;
    QList<Message> messages;
    QStringList texts() const;
};

} // namespace hvc
