#pragma once
// The real main window with every program page, its demo unit (hvc-sim on a
// pseudo-terminal started with `simArguments`, EEPROM in a scratch folder) and a
// ScriptedPrompter answering the message boxes. A Write All writes the whole image
// without the review. The status and page timers are stopped: the tests tick by
// hand.

#include "app/programpages.h"
#include "app/simdemounit.h"
#include "config/frmconfig.h"
#include "core/prompter.h"
#include "core/unitlink.h"
#include "debugger/frmdebug.h"
#include "diagnostic/frmdiagnostic.h"
#include "link/linkprocedures.h"
#include "monitor/frmmonitor.h"
#include "shell/mainwindow.h"
#include "shell/startup.h"
#include "shell/unitsession.h"
#include "support/hvcctlrun.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <memory>

namespace hvc::test {

struct LiveShell {
    explicit LiveShell(const QStringList& simArguments = {}) {
        const QString appDir = QCoreApplication::applicationDirPath();
        state.observers.setPrompter(&prompter);
        context = std::make_unique<ShellContext>(state, appDir, appDir + QStringLiteral("/res"));
        CommandLine options;
        options.resDir = context->resDir;
        options.demo = true;
        options.eepromPath = dir.filePath(QStringLiteral("eeprom.txt"));
        options.simArguments = simArguments;
        session = std::make_unique<UnitSession>(*context, options, simDemoUnits());
        const Status status = session->start();
        started = status.ok();
        if (!started)
            qWarning("%s", qPrintable(status.text()));
        window = startUp(*context, programPages());
        window->endProgram = [](bool) {};
        window->reviewWrite = [](const QList<ReviewRow>&) { return WriteChoice::wholeImage(); };
        window->statusTimer()->stop();
        config = form<FrmConfig>(Page::Config);
        monitor = form<FrmMonitor>(Page::Monitor);
        diagnostic = form<FrmDiagnostic>(Page::Diagnostic);
        debugger = form<FrmDebug>(Page::Debugger);
    }
    ~LiveShell() {
        // A unit a test stopped with SIGSTOP must be able to end.
        if (SimProcess* sim = simulator())
            sim->sendSignal(SIGCONT);
        window.reset();
        session.reset();
    }
    LiveShell(const LiveShell&) = delete;
    LiveShell& operator=(const LiveShell&) = delete;

    SimProcess* simulator() const { return simulatorOf(*session); }
    bool connect() {
        window->connectToUnit();
        return state.session.connectState() == ConnectState::Connected;
    }
    template <typename Form> Form* form(Page which) const {
        return qobject_cast<Form*>(window->pageForm(which));
    }
    // Shows a page and stops the timers its showing started; true when the shown
    // page's own timer was started.
    bool show(Page which) {
        window->tabs()->setCurrentIndex(int(which));
        QTimer* timers[] = {nullptr, &monitor->model().tmrMonitor(),
                            &diagnostic->model().timerDiagnostic(), &debugger->model().tmrDebug()};
        // The pages after the debugger (the information page) poll nothing.
        QTimer* own = int(which) < 4 ? timers[int(which)] : nullptr;
        const bool running = own && own->isActive();
        for (QTimer* t : timers)
            if (t)
                t->stop();
        return running;
    }
    // The connection field after one drawing of the status.
    QString connectField() {
        window->drawStatus();
        return window->findChild<QLineEdit*>(QStringLiteral("TxtConnect"))->text();
    }
    // The window gives the port back; hvcctl then reads the word from the unit.
    QString unitWord(const QString& name) {
        if (state.session.connectState() != ConnectState::NotConnected)
            window->connectToUnit();
        state.session.link->closeLink();
        const testutil::Outcome r = testutil::hvcctl(
            {QStringLiteral("get"), name, QStringLiteral("--port"), simulator()->devicePath()});
        if (r.code != 0)
            qWarning("hvcctl: %s", qPrintable(r.err));
        return r.out.section(u'\t', 2, 2).trimmed();
    }

    QTemporaryDir dir;
    AppState state;
    ScriptedPrompter prompter;
    std::unique_ptr<ShellContext> context;
    std::unique_ptr<UnitSession> session;
    std::unique_ptr<MainWindow> window;
    FrmConfig* config = nullptr;
    FrmMonitor* monitor = nullptr;
    FrmDiagnostic* diagnostic = nullptr;
    FrmDebug* debugger = nullptr;
    bool started = false;
};

} // namespace hvc::test
