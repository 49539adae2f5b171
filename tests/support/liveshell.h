#pragma once
// The real main window with every program page, its demo unit (hvc-sim on a
// pseudo-terminal, EEPROM in a scratch folder) and a ScriptedPrompter answering
// the message boxes. The status timer is stopped: the tests tick by hand.

#include "config/programpages.h"
#include "core/prompter.h"
#include "shell/mainwindow.h"
#include "shell/startup.h"
#include "shell/unitsession.h"
#include "sim/simprocess.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <memory>

namespace hvc::test {

struct LiveShell {
    explicit LiveShell(const QStringList& simArguments = {}) {
        const QString appDir = QCoreApplication::applicationDirPath();
        state.setPrompter(&prompter);
        context = std::make_unique<ShellContext>(state, appDir, appDir + QStringLiteral("/res"));
        CommandLine options;
        options.resDir = context->resDir;
        options.demo = true;
        options.eepromPath = dir.filePath(QStringLiteral("eeprom.txt"));
        options.simArguments = simArguments;
        session = std::make_unique<UnitSession>(*context, options);
        QString error;
        started = session->start(error);
        if (!started)
            qWarning("%s", qPrintable(error));
        window = StartUp(*context, ProgramPages());
        window->endProgram = [](bool) {};
        window->statusTimer()->stop();
    }
    ~LiveShell() {
        // A unit a test stopped with SIGSTOP must be able to end.
        if (SimProcess* sim = session->simulator())
            sim->sendSignal(SIGCONT);
        window.reset();
        session.reset();
    }
    LiveShell(const LiveShell&) = delete;
    LiveShell& operator=(const LiveShell&) = delete;

    bool connect() {
        window->connectToUnit();
        return state.connectState() == ConnectState::Connected;
    }
    template <typename Form> Form* form(Page which) const {
        return qobject_cast<Form*>(window->pageForm(which));
    }

    QTemporaryDir dir;
    AppState state;
    ScriptedPrompter prompter;
    std::unique_ptr<ShellContext> context;
    std::unique_ptr<UnitSession> session;
    std::unique_ptr<MainWindow> window;
    bool started = false;
};

} // namespace hvc::test
