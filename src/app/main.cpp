// hvc-configurator: the desktop program for technicians.

#include "app/programpages.h"
#include "app/simdemounit.h"
#include "core/installlayout.h"
#include "core/logbook.h"
#include "core/logbooksetting.h"
#include "shell/commandline.h"
#include "shell/messageboxprompter.h"
#include "shell/startup.h"
#include "shell/unitsession.h"

#include <QApplication>
#include <QDir>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

int quitPipe[2] = {-1, -1};

void onQuitSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(quitPipe[1], &byte, 1);
}

// SIGTERM, SIGINT and SIGHUP end the event loop, so that the simulated unit of
// --demo is stopped by the normal clean-up instead of outliving the program.
void quitOnSignals(QApplication& app) {
    if (::pipe(quitPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(quitPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { QApplication::exit(0); });
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        std::signal(sig, onQuitSignal);
}

void nameApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("HVC Configurator"));
    QCoreApplication::setOrganizationName(QStringLiteral("Oltrava"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HVC_VERSION));
}

} // namespace

int main(int argc, char** argv) {
    hvc::CommandLine options;
    {
        // The command line is read before any window system is needed, so that
        // --help, --version and a bad option work without a display.
        QCoreApplication reader(argc, argv);
        nameApplication();
        if (const hvc::Status parsed = options.parse(QCoreApplication::arguments()); !parsed) {
            std::fprintf(stderr, "%s\n", qPrintable(parsed.text()));
            return 2;
        }
    }
    QApplication app(argc, argv);
    nameApplication();
    quitOnSignals(app);
    if (options.resDir.isEmpty())
        options.resDir = hvc::resourceDirFor(QCoreApplication::applicationDirPath());

    hvc::AppState state;
    hvc::MessageBoxPrompter prompter(QApplication::applicationName());
    state.observers.setPrompter(&prompter);
    hvc::ShellContext context(state, QApplication::applicationDirPath(), options.resDir);
    // The palette's choice is the user's, kept out of the (installed) resource folder.
    context.configDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(context.configDir);
    hvc::UnitSession session(context, options, hvc::simDemoUnits());
    if (const hvc::Status started = session.start(); !started) {
        prompter.inform(started.text(), {}, hvc::PromptIcon::Critical);
        return 1;
    }

    // Every read and write of a unit goes into the logbook the user chose.
    hvc::LogbookRecorder recorder(QStringLiteral("hvc-configurator"));
    const hvc::LogbookSetting logbook = hvc::loadLogbookSetting(
        context.settingsPath(QString::fromLatin1(hvc::kLogbookSettingFile)));
    recorder.setEnabled(logbook.record);
    recorder.setLocation(logbook.location);

    auto window = hvc::startUp(context, hvc::programPages());
    window->useLogbook(&recorder);
    prompter.setParent(window.get());
    const int rc = QApplication::exec();
    window.reset();
    return rc;
}
