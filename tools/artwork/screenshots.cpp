// Takes the documentation screenshots: runs the program on the simulated unit
// under an X server (Xvfb), connects, opens each dialog in turn and captures the
// screen with ImageMagick's `import`.
//
//   Xvfb :99 -screen 0 1280x800x24 &  DISPLAY=:99 hvc-screenshots OUTDIR [review]
//
// With "review" only the review shots are taken (the review before writing, a
// failed read-back, Compare with File, Show only modified); with "logbook" only
// the Unit History window and the Logbook dialog (the transfers are recorded in a
// scratch logbook).

#include "app/programpages.h"
#include "app/simdemounit.h"
#include "config/frmconfig.h"
#include "core/catalogue.h"
#include "core/logbook.h"
#include "core/unitlink.h"
#include "debugger/frmdebug.h"
#include "diagnostic/frmdiagnostic.h"
#include "inputs/frmjoycan.h"
#include "inputs/frmmagsel.h"
#include "monitor/frmmonitor.h"
#include "monitor/trendplot.h"
#include "shell/aboutdialog.h"
#include "shell/infopage.h"
#include "shell/logbookdialog.h"
#include "shell/logindialog.h"
#include "shell/mainwindow.h"
#include "shell/messageboxprompter.h"
#include "shell/palettedialog.h"
#include "shell/splashscreen.h"
#include "shell/startup.h"
#include "shell/unitsession.h"
#include "shell/waitbox.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <functional>
#include <utility>

namespace {

void settle(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool shoot(const QString& dir, const QString& name, const QWidget* window) {
    settle(400);
    const QString path = QDir(dir).filePath(name);
    const QRect r = window->frameGeometry().adjusted(-4, -4, 4, 4);
    const QString crop = QStringLiteral("%1x%2+%3+%4")
                             .arg(r.width())
                             .arg(r.height())
                             .arg(std::max(0, r.x()))
                             .arg(std::max(0, r.y()));
    const int rc = QProcess::execute(
        QStringLiteral("import"),
        {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-crop"), crop, path});
    std::printf("%s %s\n", rc == 0 ? "wrote" : "FAILED", qPrintable(path));
    return rc == 0;
}

// A part of a window, by its place on the screen.
bool shootPart(const QString& dir, const QString& name, const QWidget* part) {
    settle(400);
    const QString path = QDir(dir).filePath(name);
    const QPoint origin = part->mapToGlobal(QPoint(0, 0));
    const QString crop = QStringLiteral("%1x%2+%3+%4")
                             .arg(part->width())
                             .arg(part->height())
                             .arg(origin.x())
                             .arg(origin.y());
    const int rc = QProcess::execute(
        QStringLiteral("import"),
        {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-crop"), crop, path});
    std::printf("%s %s\n", rc == 0 ? "wrote" : "FAILED", qPrintable(path));
    return rc == 0;
}

// Runs `act` on the first visible top-level widget `match` accepts; a modal
// dialog blocks the caller, so this waits on the event loop.
void whenShown(const std::function<bool(QWidget*)>& match,
               const std::function<void(QWidget*)>& act) {
    auto* poll = new QTimer;
    poll->setInterval(50);
    QObject::connect(poll, &QTimer::timeout, [poll, match, act] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->isVisible() && match(top)) {
                poll->stop();
                poll->deleteLater();
                act(top);
                return;
            }
        }
    });
    poll->start();
}

bool named(QWidget* w, const char* name) {
    return w->objectName() == QLatin1String(name);
}

void click(QWidget* dialog, const char* button) {
    if (auto* b = dialog->findChild<QPushButton*>(QString::fromLatin1(button)))
        b->click();
}

// A unit set up for another machine, the shipped example loaded over it, and the
// review before Write All; the unit (hvc-sim --alter-write HVC_I0_MAX=-50) stores
// another maximum current than it is sent, so the read-back fails.
bool reviewShots(const QString& out, hvc::MainWindow& window, hvc::AppState& state,
                 hvc::ShellContext& context, hvc::Prompter& boxes) {
    bool ok = true;
    using hvc::HvcId;
    const std::pair<HvcId, int> machine[] = {{HvcId::HVC_I0_MAX, 1000},
                                             {HvcId::HVC_I1_MAX, 980},
                                             {HvcId::HVC_I3_MIN, 470},
                                             {HvcId::HVC_RAMP_TRISE_2, 450},
                                             {HvcId::HVC_DITHER_FREQ, 120}};
    for (const auto& [id, word] : machine)
        (void)state.session.link->writeE2(state.document.catalogue.var(id).address, word);
    window.readAll();
    const QString example = context.resPath(QStringLiteral("txt/Example.txt"));
    window.chooseFile = [example](const hvc::FileRequest&) { return example; };
    hvc::ScriptedPrompter quiet;
    state.observers.setPrompter(&quiet);
    window.loadConfiguration();
    state.observers.setPrompter(&boxes);
    settle(600);

    window.reviewWrite = nullptr;
    whenShown([](QWidget* w) { return named(w, "frmWriteReview"); },
              [&ok, &out](QWidget* d) {
                  d->move(90, 70);
                  ok = shoot(out, QStringLiteral("screenshot-review.png"), d) && ok;
                  click(d, "CmdWrite");
              });
    whenShown([](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; },
              [&ok, &out](QWidget* box) {
                  box->move(260, 260);
                  ok = shoot(out, QStringLiteral("screenshot-verify-failed.png"), box) && ok;
                  static_cast<QMessageBox*>(box)->accept();
              });
    window.writeAll();
    settle(700);

    auto* only = window.pageForm(hvc::Page::Config)
                     ->findChild<QCheckBox*>(QStringLiteral("ChkOnlyModified"));
    if (only) {
        only->setChecked(true);
        ok = shoot(out, QStringLiteral("screenshot-only-modified.png"), &window) && ok;
        only->setChecked(false);
    }

    whenShown([](QWidget* w) { return named(w, "frmWriteReview"); },
              [&ok, &out](QWidget* d) {
                  d->move(90, 70);
                  ok = shoot(out, QStringLiteral("screenshot-compare.png"), d) && ok;
                  click(d, "CmdCancel");
              });
    window.compareWithFile();
    return ok;
}

// A few transfers recorded, then the Unit History window on the Write entry and
// the Logbook dialog.
bool logbookShots(const QString& out, hvc::MainWindow& window, hvc::AppState& state) {
    bool ok = true;
    using hvc::HvcId;
    window.reviewWrite = [](const QList<hvc::ReviewRow>&) {
        return hvc::WriteChoice::wholeImage();
    };
    const std::pair<HvcId, int> edits[] = {{HvcId::HVC_I0_MAX, 40}, {HvcId::HVC_RAMP_TRISE_0, 150}};
    for (const auto& [id, step] : edits) {
        state.document.catalogue.var(id).workingWord += step;
        state.document.flags.markDataChanged();
        window.pageForm(hvc::Page::Config)->refreshObject();
        window.writePage();
        settle(300);
    }
    state.document.catalogue.var(HvcId::HVC_DITHER_FREQ).workingWord += 10;
    window.writeAll();
    settle(300);
    window.connectToUnit();
    window.connectToUnit();
    settle(600);
    window.showUnitHistory();
    if (hvc::UnitHistoryWindow* history = window.unitHistory()) {
        history->move(80, 60);
        history->resize(860, 620);
        QTreeWidget* entries = history->entryTable();
        if (entries->topLevelItemCount() > 2)
            entries->setCurrentItem(entries->topLevelItem(2));
        ok = shoot(out, QStringLiteral("screenshot-history.png"), history) && ok;
        history->close();
    }
    {
        hvc::ScriptedPrompter quiet;
        hvc::LogbookDialog dialog({}, quiet, &window);
        dialog.show();
        dialog.move(200, 160);
        dialog.testLocation();
        ok = shoot(out, QStringLiteral("screenshot-logbook.png"), &dialog) && ok;
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("HVC Configurator"));
    QApplication::setApplicationVersion(QStringLiteral(HVC_VERSION));
    if (argc < 2) {
        std::fprintf(stderr, "usage: hvc-screenshots OUTDIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    QTemporaryDir scratch;

    hvc::CommandLine options;
    options.resDir = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("res"));
    options.demo = true;
    options.eepromPath = scratch.filePath(QStringLiteral("eeprom.txt"));
    const bool reviewOnly = argc > 2 && QLatin1String(argv[2]) == QLatin1String("review");
    const bool logbookOnly = argc > 2 && QLatin1String(argv[2]) == QLatin1String("logbook");
    // The review shots show a read-back that fails; the logbook's writes go through.
    if (!logbookOnly)
        options.simArguments = {QStringLiteral("--alter-write"), QStringLiteral("HVC_I0_MAX=-50")};
    hvc::AppState state;
    hvc::MessageBoxPrompter prompter(QApplication::applicationName());
    state.observers.setPrompter(&prompter);
    hvc::ShellContext context(state, QCoreApplication::applicationDirPath(), options.resDir);
    hvc::UnitSession session(context, options, hvc::simDemoUnits());
    if (const hvc::Status started = session.start(); !started) {
        std::fprintf(stderr, "%s\n", qPrintable(started.text()));
        return 1;
    }
    bool ok = true;
    if (!reviewOnly && !logbookOnly) {
        hvc::SplashScreen splash(state, context.resPath(QStringLiteral("bmp/Init.jpg")));
        splash.resetProgress();
        splash.progressBar()->setValue(60);
        splash.move(200, 150);
        splash.show();
        ok = shoot(out, QStringLiteral("screenshot-splash.png"), &splash) && ok;
    }
    auto window = hvc::startUp(context, hvc::programPages());
    prompter.setParent(window.get());
    hvc::LogbookRecorder recorder(QStringLiteral("hvc-configurator"));
    recorder.setLocation(scratch.filePath(QStringLiteral("logbook.sqlite")));
    window->useLogbook(&recorder);
    window->setGeometry(40, 40, 980, 620);
    window->connectToUnit();
    settle(1200);
    if (reviewOnly || logbookOnly) {
        ok = reviewOnly ? reviewShots(out, *window, state, context, prompter)
                        : logbookShots(out, *window, state);
        window->endProgram = [](bool) {};
        window->connectToUnit();
        window->exitProgram();
        window.reset();
        return ok ? 0 : 1;
    }
    ok = shoot(out, QStringLiteral("screenshot-main.png"), window.get()) && ok;

    // The configuration page at the smallest size it is laid out for, each tab,
    // with four sections and with two.
    window->setGeometry(40, 40, 1024, 700);
    if (auto* page = window->pageForm(hvc::Page::Config)) {
        auto* tabs = page->findChild<QTabWidget*>(QStringLiteral("SSTab1"));
        const char* const names[] = {"screenshot-config.png", "screenshot-config-slow.png",
                                     "screenshot-config-ramps.png"};
        for (int t = 0; t < 3; ++t) {
            tabs->setCurrentIndex(t);
            ok = shoot(out, QString::fromLatin1(names[t]), window.get()) && ok;
        }
        hvc::UnitVariable& sections = state.document.catalogue.var(hvc::HvcId::HVC_NUM_PROP_REG);
        const std::int32_t four = sections.unitWord;
        sections.takeUnitWord(2);
        page->refreshObject();
        tabs->setCurrentIndex(0);
        ok = shoot(out, QStringLiteral("screenshot-config-2sections.png"), window.get()) && ok;
        sections.takeUnitWord(four);
        page->refreshObject();
        state.document.flags.unitRead();

        // The dither dialog, as a click on a solenoid picture opens it, over the page.
        if (auto* config = qobject_cast<hvc::FrmConfig*>(page)) {
            hvc::FrmMagSel* dither = hvc::openDitherDialog(context, config);
            dither->move(260, 240);
            ok = shoot(out, QStringLiteral("screenshot-dither.png"), window.get()) && ok;
            dither->reject();

            // The joystick and digital settings dialog, as its button opens it.
            hvc::FrmJoyCan* joyCan = hvc::openCanSettingsDialog(context, config);
            joyCan->move(120, 10);
            ok = shoot(out, QStringLiteral("screenshot-joycan.png"), joyCan) && ok;
            joyCan->reject();
        }
    }

    // The monitor polling the simulated unit, with four sections and with two, and
    // its trend after a while.
    if (auto* monitor = qobject_cast<hvc::FrmMonitor*>(window->pageForm(hvc::Page::Monitor))) {
        window->setGeometry(40, 40, 1180, 720);
        window->tabs()->setCurrentIndex(1);
        monitor->startRecording(scratch.filePath(QStringLiteral("monitor.csv")));
        settle(40000); // two thirds of the trend's minute
        ok = shoot(out, QStringLiteral("screenshot-monitor.png"), window.get()) && ok;
        ok = shootPart(out, QStringLiteral("screenshot-monitor-trend.png"), monitor->trendPlot()) &&
             ok;
        hvc::UnitVariable& sections = state.document.catalogue.var(hvc::HvcId::HVC_NUM_PROP_REG);
        const std::int32_t four = sections.unitWord;
        window->tabs()->setCurrentIndex(0);
        settle(300);
        sections.takeUnitWord(2);
        window->tabs()->setCurrentIndex(1);
        settle(4000);
        ok = shoot(out, QStringLiteral("screenshot-monitor-2sections.png"), window.get()) && ok;
        window->tabs()->setCurrentIndex(0);
        settle(300);
        sections.takeUnitWord(four);
        state.document.flags.unitRead();
        window->tabs()->setCurrentIndex(1);
        window->tabs()->setCurrentIndex(0);
        settle(300);
    }
    // The diagnostic page with two faults written into the unit's error words
    // (the summary word follows them), then with both cleared again.
    if (window->pageForm(hvc::Page::Diagnostic)) {
        const auto setWord = [&state](hvc::HvcId id, int word) {
            if (const hvc::UnitVariable* r = state.document.catalogue.find(id);
                r && state.session.link)
                (void)state.session.link->writeRam(r->address, word);
        };
        window->setGeometry(40, 40, 1024, 700);
        setWord(hvc::HvcId::HVC_ERROR_SEC_2, 0x08);
        setWord(hvc::HvcId::HVC_VBB_ERROR, 0x01);
        window->tabs()->setCurrentIndex(2);
        settle(1500);
        ok = shoot(out, QStringLiteral("screenshot-diagnostic.png"), window.get()) && ok;
        setWord(hvc::HvcId::HVC_ERROR_SEC_2, 0);
        setWord(hvc::HvcId::HVC_VBB_ERROR, 0);
        settle(1500);
        ok = shoot(out, QStringLiteral("screenshot-diagnostic-clear.png"), window.get()) && ok;
    }
    // The debugger for a logged-in user: the battery voltage under MONITOR, the
    // dither block as the unit holds it and a watch list of live words.
    if (auto* debugger = qobject_cast<hvc::FrmDebug*>(window->pageForm(hvc::Page::Debugger))) {
        window->setGeometry(40, 40, 1100, 720);
        state.session.loggedIn = true;
        window->tabs()->setCurrentIndex(3);
        hvc::DebuggerModel& model = debugger->model();
        const auto position = [&state](hvc::HvcId id) {
            return state.document.catalogue.idIndex(id);
        };
        for (const hvc::HvcId id : {hvc::HvcId::HVC_JOY0_VALUE, hvc::HvcId::HVC_JOY1_VALUE,
                                    hvc::HvcId::HVC_I0_MEASURE_400, hvc::HvcId::HVC_I1_MEASURE_400,
                                    hvc::HvcId::HVC_ERROR_CODE})
            model.addWatch(position(id));
        model.addWatchAddress(QStringLiteral("2F00.00"));
        model.ditherDisplay();
        model.choose(position(hvc::HvcId::HVC_VBB_400));
        model.read();
        model.toggleWatch();
        model.toggleMonitor();
        settle(3000);
        ok = shoot(out, QStringLiteral("screenshot-debugger.png"), window.get()) && ok;
        if (auto* watch = debugger->findChild<QGroupBox*>(QStringLiteral("FraWatch")))
            ok = shootPart(out, QStringLiteral("screenshot-debugger-watch.png"), watch) && ok;
        model.toggleMonitor();
        model.toggleWatch();
        settle(300);
        state.session.loggedIn = false;
        window->tabs()->setCurrentIndex(0);
        settle(300);
    }
    window->setGeometry(40, 40, 980, 620);

    // A transfer in progress: the wait box over the window, the status bar moving.
    window->statusTimer()->stop();
    const QString idleStatus = state.observers.progress.text();
    const int idlePercent = state.observers.progress.percent();
    state.session.setConnectState(hvc::ConnectState::Transfer);
    state.observers.progress.setText(QStringLiteral("Reading..."));
    state.observers.progress.setPercent(40);
    window->onProgress(state.observers.progress.text(), state.observers.progress.percent());
    ok = shoot(out, QStringLiteral("screenshot-wait.png"), window.get()) && ok;
    window->waitBox()->close();
    state.observers.progress.setText(idleStatus);
    state.observers.progress.setPercent(idlePercent);
    state.session.setConnectState(hvc::ConnectState::Connected);
    window->statusTimer()->start();
    settle(700); // one drawing tick puts the idle status bar back

    window->tabs()->setCurrentIndex(4);
    hvc::InfoFields info;
    info.author = QStringLiteral("M. Rossi");
    info.date = QStringLiteral("2026-12-06");
    info.revision = QStringLiteral("C");
    info.company = QStringLiteral("Acme Lift Trucks");
    info.comments = QStringLiteral("Forklift mast, 4 sections.\r\nRamps softened for the "
                                   "customer.");
    info.fileName = QStringLiteral("MySettings.txt");
    window->infoPage()->showFields(info);
    ok = shoot(out, QStringLiteral("screenshot-info.png"), window.get()) && ok;
    window->tabs()->setCurrentIndex(0);

    {
        hvc::LoginDialog login(state, window.get());
        login.show();
        ok = shoot(out, QStringLiteral("screenshot-login.png"), &login) && ok;
    }
    {
        hvc::PaletteDialog palette(context, window.get());
        palette.show();
        palette.move(200, 80);
        ok = shoot(out, QStringLiteral("screenshot-palette.png"), &palette) && ok;
        palette.hide();
    }
    {
        hvc::AboutDialog about(prompter, window.get());
        about.show();
        about.move(300, 200);
        ok = shoot(out, QStringLiteral("screenshot-about.png"), &about) && ok;
    }
    {
        QMessageBox box(QMessageBox::Warning, QApplication::applicationName(),
                        QStringLiteral("Switch OFF and then switch ON power supply!"),
                        QMessageBox::Ok, window.get());
        box.show();
        box.move(350, 280);
        ok = shoot(out, QStringLiteral("screenshot-message.png"), &box) && ok;
    }
    ok = reviewShots(out, *window, state, context, prompter) && ok;
    window->connectToUnit(); // disconnect
    state.session.exitRequested = false;
    window->endProgram = [](bool) {};
    window->exitProgram();
    window.reset();
    return ok ? 0 : 1;
}
