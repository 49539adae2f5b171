#pragma once
// What an hvcctl unit command holds while it talks to a unit: the state, the link,
// a prompter that prints on stderr and the terminal progress bar.

#include "core/appstate.h"
#include "core/logbook.h"
#include "core/prompter.h"
#include "link/linkprocedures.h"

#include <QTextStream>

namespace hvc::cli {

// A progress bar on stderr, drawn only when stderr is a terminal.
class TerminalProgress : public ProgressObserver {
public:
    TerminalProgress();
    void onProgress(const QString& statusText, int percent) override;
    // Ends the bar's line so that the next message starts on a fresh one.
    void finish();

private:
    bool m_enabled;
    bool m_drawn = false;
    int m_percent = -1;
    QString m_text;
};

// StderrPrompter that first ends the progress bar's line and flushes hvcctl's
// own buffered stderr, so messages come out in order.
class SessionPrompter : public StderrPrompter {
public:
    explicit SessionPrompter(TerminalProgress& progress) : m_progress(progress) {}
    void inform(const QString& text, const QString& title, PromptIcon icon) override;
    void informDetailed(const QString& text, const QString& detail, const QString& title,
                        PromptIcon icon) override;
    bool ask(const QString& text, const QString& title, PromptIcon icon) override;
    QTextStream* err = nullptr;

private:
    void prepare();
    TerminalProgress& m_progress;
};

struct CommandSession {
    CommandSession();
    // With --verbose, says how many requests the link had to send again.
    ~CommandSession();
    CommandSession(const CommandSession&) = delete;
    CommandSession& operator=(const CommandSession&) = delete;

    AppState state;
    TerminalProgress progress;
    SessionPrompter prompter{progress};
    LinkProcedures link{PortTable(), prompter};
    // Records the transfers once the unit's port is open.
    LogbookRecorder recorder{QStringLiteral("hvcctl")};
    bool verbose = false;
};

} // namespace hvc::cli
