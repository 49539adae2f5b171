// The real main window against hvc-sim on a pseudo-terminal, message boxes
// answered through a ScriptedPrompter.

#include "core/prompter.h"
#include "core/transfer.h"
#include "link/linkprocedures.h"
#include "shell/drawing.h"
#include "shell/infopage.h"
#include "shell/mainwindow.h"
#include "shell/pageform.h"
#include "shell/placeholderpage.h"
#include "shell/startup.h"
#include "shell/unitsession.h"
#include "shell/waitbox.h"
#include "sim/simprocess.h"

#include <QAction>
#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <csignal>
#include <memory>

using namespace hvc;

namespace {

void copyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = QDir(to).filePath(QDir(from).relativeFilePath(file));
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(file, target);
    }
}

// A configuration page that reports problems and, if asked, never stops polling.
class TroubledPage : public PlaceholderPage {
public:
    TroubledPage(ShellContext& c, QWidget* parent) : PlaceholderPage(c, Page::Config, parent) {}
    QString CheckDataToWrite() override { return errors; }
    void DisableTimer() override { ++disableCalls; }
    bool StatusTimerForm() const override { return stuck; }
    QString errors;
    bool stuck = false;
    int disableCalls = 0;
};

// Counts how often a widget is shown, and whether it was ever shown greyed out.
struct ShowCounter : QObject {
    explicit ShowCounter(QWidget* w) : widget(w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Show) {
            ++shows;
            shownDisabled = shownDisabled || !widget->isEnabled();
        }
        return false;
    }
    QWidget* widget;
    int shows = 0;
    bool shownDisabled = false;
};

struct RigOptions {
    bool demo = true;
    QStringList simArguments;
    QList<QPair<int, QString>> ports;
    bool troubledConfig = false;
    QStringList removeFromRes; // folders or files of res/ to take away before start-up
};

RigOptions offline(bool troubled = false) {
    RigOptions o;
    o.demo = false;
    o.troubledConfig = troubled;
    return o;
}

RigOptions simulated(QStringList simArguments = {}, QList<QPair<int, QString>> ports = {},
                     bool troubled = false) {
    RigOptions o;
    o.simArguments = std::move(simArguments);
    o.ports = std::move(ports);
    o.troubledConfig = troubled;
    return o;
}

// One program as main() builds it, on a private copy of the resource folder.
struct Rig {
    explicit Rig(const RigOptions& o = simulated()) {
        copyTree(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("res")),
                 resDir());
        for (const QString& gone : o.removeFromRes) {
            QDir(resDir()).remove(gone);
            QDir(QDir(resDir()).filePath(gone)).removeRecursively();
        }
        state.setPrompter(&prompter);
        context = std::make_unique<ShellContext>(state, dir.path(), resDir());
        CommandLine options;
        options.resDir = resDir();
        options.demo = o.demo;
        options.ports = o.ports;
        options.eepromPath = dir.filePath(QStringLiteral("eeprom.txt"));
        options.simArguments = o.simArguments;
        session = std::make_unique<UnitSession>(*context, options);
        QString error;
        started = session->start(error);
        PageFactory factory;
        if (o.troubledConfig)
            factory = [this](ShellContext& c, Page p, QWidget* parent) -> PageForm* {
                if (p != Page::Config)
                    return nullptr;
                troubled = new TroubledPage(c, parent);
                return troubled;
            };
        window = StartUp(*context, factory);
        window->endProgram = [this](bool forced) { ended.append(forced); };
        window->statusTimer()->stop(); // the tests tick by hand
    }
    ~Rig() {
        window.reset();
        session.reset();
    }
    QString resDir() const { return dir.filePath(QStringLiteral("res")); }
    QAction* command(const char* name) const {
        return window->bar().command(QString::fromLatin1(name));
    }
    QString panel(int n) const { return window->bar().panels[n]->text(); }
    QString connectText() const { return window->findChild<QLineEdit*>("TxtConnect")->text(); }
    void tick() { window->drawStatus(); }
    // An edit the drawing tick has turned into "file to save".
    void makeUnsaved() {
        state.document.markDataChanged();
        state.document.tick();
    }
    CVarData& var(HvcId id) { return state.catalogue.Var(id); }
    std::int32_t unitWord(HvcId id) {
        std::int32_t value = -12345;
        return state.link->readE2(var(id).Address, value).ok() ? value : -99999;
    }

    QTemporaryDir dir;
    AppState state;
    ScriptedPrompter prompter;
    std::unique_ptr<ShellContext> context;
    std::unique_ptr<UnitSession> session;
    std::unique_ptr<MainWindow> window;
    TroubledPage* troubled = nullptr;
    QList<bool> ended;
    bool started = false;
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startUpState();
    void startUpWithoutFiles();
    void connectReadWriteResetAndPowerCycle();
    void muteUnitMidTransfer();
    void writeRefusedOnPageErrors();
    void loadSaveRoundTrip();
    void exitQuestionAndStuckPage();
    void tabCycling();
    void portSelection();
    void helpOpensManualAtPage();
};

void MainWindowTest::startUpState() {
    Rig rig(offline());
    QVERIFY(rig.started);
    MainWindow& w = *rig.window;
    QVERIFY(w.isVisible());
    for (QWidget* top : QApplication::topLevelWidgets())
        QVERIFY2(top->objectName() != QLatin1String("frmInit") || !top->isVisible(),
                 "the splash is closed");
    QCOMPARE(rig.state.document.fileState(), FileState::None);
    QVERIFY(rig.state.document.dataUnchanged());
    QVERIFY(!rig.state.document.paramsDiffer());
    QCOMPARE(rig.state.connectState(), ConnectState::NotConnected);
    QCOMPARE(w.fileStateField()->text(), QStringLiteral("---"));

    const QStringList keys = {"A1", "A2", "A3", "A5", "A6"};
    const QStringList captions = {"Configure", "Monitor", "Diagnostic", "Debugger", "Info"};
    QTabBar* tabs = w.tabs();
    QCOMPARE(tabs->count(), 5);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(tabs->tabData(i).toString(), keys[i]);
        QCOMPARE(tabs->tabText(i), captions[i]);
    }
    QCOMPARE(tabs->tabToolTip(0), QStringLiteral("System Configuration Parameters"));
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(rig.context->activePage, w.pageForm(Page::Config));
    QCOMPARE(w.pageForm(Page::Info)->tag(), QStringLiteral("A6"));

    // Page counts come from the catalogue and the page keys.
    int configVars = 0;
    for (int i = 1; i <= rig.state.catalogue.VarCount(); ++i)
        configVars += (rig.state.catalogue[i].PageMask & 10) == 10;
    QVERIFY(configVars > 0);
    QCOMPARE(w.pageForm(Page::Config)->PageVarNum(), configVars);
    QCOMPARE(w.pageForm(Page::Config)->ReadKey(), 10);
    QCOMPARE(w.pageForm(Page::Info)->WriteKey(), 10001);

    // Disconnected status and commands.
    rig.tick();
    QCOMPARE(rig.connectText(), QStringLiteral("Not Connected"));
    QCOMPARE(rig.panel(8), QStringLiteral("COM 1"));
    QCOMPARE(rig.panel(9), QStringLiteral("9600"));
    QCOMPARE(rig.panel(7), FirmwareText(rig.var(HvcId::HVC_PROG_VERS).E2Display));
    QCOMPARE(rig.panel(3), QStringLiteral("v. " HVC_VERSION));
    for (const char* name : {"Read All", "Write All", "Reset", "Read", "Write", "mnuHW_ReadAll",
                             "mnuHw_Read", "mnuHW_Write", "mnuHw_Reset", "Login", "Logout"})
        QVERIFY2(!rig.command(name)->isEnabled(), name);
    QVERIFY(rig.command("Connect")->isEnabled());
    QVERIFY(!rig.command("Connect")->isChecked());
    QCOMPARE(rig.command("mnuHW_Connect")->text(), QStringLiteral("Connect"));
    QVERIFY(rig.command("Help")->isEnabled());
    QVERIFY(rig.command("mnuSet_ComID")->isEnabled());
    QVERIFY(!rig.command("mnuSet_ComBauldID")->isEnabled());
    QVERIFY(rig.prompter.messages.isEmpty());
}

void MainWindowTest::startUpWithoutFiles() {
    RigOptions o = offline();
    o.removeFromRes = {"bmp", "ico", "ini/Ramlist.ini"};
    Rig rig(o);
    QVERIFY(rig.window->isVisible());
    QCOMPARE(rig.prompter.texts(), QStringList{kRamlistMessage});
    QCOMPARE(rig.state.catalogue.VarCount(), 0);
    QCOMPARE(rig.window->tabs()->count(), 5);
    QCOMPARE(rig.window->pageForm(Page::Config)->PageVarNum(), 0);
    rig.tick();
    QCOMPARE(rig.connectText(), QStringLiteral("Not Connected"));
    QCOMPARE(rig.panel(7), QStringLiteral("----"));
    QCOMPARE(rig.panel(6), QStringLiteral("---"));
    QVERIFY(rig.window->bar().panels[1]->pixmap().isNull());
}

void MainWindowTest::connectReadWriteResetAndPowerCycle() {
    Rig rig;
    QVERIFY(rig.started);
    MainWindow& w = *rig.window;
    QSignalSpy changes(&w, &MainWindow::connectStateChanged);
    ShowCounter waitShown(w.waitBox());
    int redrawsOnDrop = 0;
    rig.context->disconnectRedraws.push_back([&redrawsOnDrop] { ++redrawsOnDrop; });
    w.connectToUnit();
    QCOMPARE(rig.prompter.texts(), QStringList());
    QCOMPARE(rig.state.connectState(), ConnectState::Connected);
    QCOMPARE(changes.size(), 2); // busy, then connected
    QCOMPARE(changes[0][0].toInt(), 2);
    QCOMPARE(changes[1][0].toInt(), 1);
    QCOMPARE(redrawsOnDrop, 0);
    // The wait box followed the transfer to its end and closed itself.
    QVERIFY(waitShown.shows > 0);
    QVERIFY(!waitShown.shownDisabled);
    QCOMPARE(w.waitBox()->progressValue(), 100);
    QVERIFY(w.isEnabled());
    QVERIFY(!w.waitBox()->isVisible());
    rig.tick();
    QCOMPARE(rig.connectText(), QStringLiteral("Connected"));
    QCOMPARE(rig.panel(7), QStringLiteral("v001.04"));
    QCOMPARE(rig.panel(6), QStringLiteral("VCU 4W"));
    QCOMPARE(rig.command("mnuHW_Connect")->text(), QStringLiteral("Disconnect"));
    QCOMPARE(rig.command("Connect")->toolTip(), QStringLiteral("Disconnect"));
    QVERIFY(rig.command("Connect")->isChecked());
    for (const char* on : {"Read", "Write", "Reset", "mnuHw_Read", "mnuHW_Write"})
        QVERIFY2(rig.command(on)->isEnabled(), on);
    for (const char* off : {"Read All", "Write All", "mnuSet_ComID"})
        QVERIFY2(!rig.command(off)->isEnabled(), off);

    // An edit shows "FILE TO SAVE"; Write sends it; the unit then holds it.
    CVarData& rise = rig.var(HvcId::HVC_RAMP_TRISE_0);
    const std::int32_t newRise = rise.E2InECU == 700 ? 800 : 700;
    rise.E2Value = newRise;
    rig.state.document.markDataChanged();
    rig.tick();
    QCOMPARE(w.fileStateField()->text(), QStringLiteral("FILE TO SAVE"));
    QVERIFY(rig.state.document.paramsDiffer());
    w.writePage();
    QCOMPARE(rig.state.connectState(), ConnectState::Connected);
    QVERIFY(rig.state.document.dataUnchanged());
    QVERIFY(!rig.state.document.paramsDiffer());
    QCOMPARE(rig.unitWord(HvcId::HVC_RAMP_TRISE_0), newRise);
    QCOMPARE(rise.E2InECU, newRise);

    // Read brings the unit's values back and clears the file state.
    rise.E2Value = 1;
    rig.makeUnsaved();
    w.readPage();
    QCOMPARE(rise.E2Value, newRise);
    QCOMPARE(rig.state.document.fileState(), FileState::None);
    QCOMPARE(rig.state.connectState(), ConnectState::Connected);

    // Reset asks for a power cycle and drops the connection.
    w.resetUnit();
    QCOMPARE(rig.prompter.texts().last(),
             QStringLiteral("Switch OFF and then switch ON power supply!"));
    QCOMPARE(rig.state.connectState(), ConnectState::NotConnected);
    QCOMPARE(redrawsOnDrop, 1);
    QVERIFY(!rig.state.link->isLinkOpen());
    rig.tick();
    QCOMPARE(rig.connectText(), QStringLiteral("Not Connected"));
    QVERIFY(!rig.command("Read")->isEnabled());

    // The next connect without a power cycle asks; No leaves it disconnected.
    rig.prompter.messages.clear();
    rig.prompter.answers = {false};
    w.connectToUnit();
    QCOMPARE(rig.prompter.texts(),
             QStringList{"Missing POWER RESET After A 'RESET' Command : Continue Anyway? "});
    QCOMPARE(rig.state.connectState(), ConnectState::NotConnected);
    QVERIFY(w.isEnabled());
    QVERIFY(!rig.state.link->isLinkOpen());

    // After the power cycle the unit connects without the question.
    QVERIFY(rig.session->simulator()->sendSignal(SIGHUP));
    // The simulator handles the signal on its own time: wait until the identity
    // words no longer spell RESET.
    QVERIFY(rig.state.link->openLink());
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            std::int32_t word = 0;
            return rig.state.link->readE2(kIdentityAddresses[0], word).ok() &&
                   word != kResetWords[0];
        }(),
        5000);
    rig.prompter.messages.clear();
    w.connectToUnit();
    QCOMPARE(rig.prompter.texts(), QStringList());
    QCOMPARE(rig.state.connectState(), ConnectState::Connected);

    // Connect while connected disconnects without asking and clears the flags.
    rig.makeUnsaved();
    rig.state.document.markDataChanged();
    w.connectToUnit();
    QCOMPARE(rig.state.connectState(), ConnectState::NotConnected);
    QCOMPARE(rig.state.document.fileState(), FileState::None);
    QVERIFY(rig.state.document.dataUnchanged());
    QVERIFY(rig.prompter.messages.isEmpty());

    // With unsaved changes the connect asks first; No leaves the indicator at 0.
    rig.makeUnsaved();
    rig.prompter.answers = {false};
    w.connectToUnit();
    QCOMPARE(rig.prompter.texts(), QStringList{UnsavedQuestionText()});
    QCOMPARE(rig.state.connectState(), ConnectState::NotConnected);
}

void MainWindowTest::muteUnitMidTransfer() {
    Rig rig(simulated({"--mute-after", "30"}));
    QVERIFY(rig.started);
    rig.session->link()->setTimeout(300);
    rig.window->connectToUnit();
    QCOMPARE(rig.prompter.texts(), QStringList{"Operation Failed :FAILED!"});
    QCOMPARE(rig.state.connectState(), ConnectState::NotConnected);
    QVERIFY(rig.window->isEnabled());
    QVERIFY(!rig.window->waitBox()->isVisible());
    rig.tick();
    QCOMPARE(rig.connectText(), QStringLiteral("Not Connected"));
    QVERIFY(rig.command("Connect")->isEnabled());
    QVERIFY(!rig.command("Read")->isEnabled());
}

void MainWindowTest::writeRefusedOnPageErrors() {
    Rig rig(simulated({}, {}, true));
    QVERIFY(rig.started);
    MainWindow& w = *rig.window;
    w.connectToUnit();
    QCOMPARE(rig.state.connectState(), ConnectState::Connected);
    CVarData& rise = rig.var(HvcId::HVC_RAMP_TRISE_0);
    const std::int32_t before = rig.unitWord(HvcId::HVC_RAMP_TRISE_0);
    rise.E2Value = before == 900 ? 950 : 900;
    rig.troubled->errors = QStringLiteral("Joystick 1 not set");

    w.writePage();
    QCOMPARE(rig.prompter.messages.size(), 1);
    QCOMPARE(rig.prompter.messages[0].title, QStringLiteral("CONFIGURATION ERROR"));
    QCOMPARE(rig.prompter.messages[0].text, QStringLiteral("Joystick 1 not set"));
    QVERIFY(!rig.prompter.messages[0].question);
    QCOMPARE(rig.unitWord(HvcId::HVC_RAMP_TRISE_0), before);

    // Logged in, the same errors become a question; No still writes nothing, Yes writes.
    rig.state.LoggedIn = true;
    rig.prompter.messages.clear();
    rig.prompter.answers = {false};
    w.writePage();
    QCOMPARE(rig.prompter.texts(), QStringList{"Joystick 1 not set\rCONTINUE ANYWAY ?"});
    QCOMPARE(rig.unitWord(HvcId::HVC_RAMP_TRISE_0), before);
    rig.prompter.answers = {true};
    w.writePage();
    QCOMPARE(rig.unitWord(HvcId::HVC_RAMP_TRISE_0), rise.E2Value);
    QCOMPARE(rig.state.connectState(), ConnectState::Connected);
}

void MainWindowTest::loadSaveRoundTrip() {
    Rig rig(offline());
    MainWindow& w = *rig.window;
    InfoPage* info = w.infoPage();
    QVERIFY(info);
    QString chosen;
    QList<FileRequest> requests;
    w.chooseFile = [&](const FileRequest& r) {
        requests.append(r);
        return chosen;
    };

    info->findChild<QLineEdit*>("txtAutor")->setText(QStringLiteral("M. Rossi"));
    info->findChild<QLineEdit*>("TxtCompany")->setText(QStringLiteral("Acme Lift"));
    info->findChild<QPlainTextEdit*>("TxtInfo")->setPlainText(QStringLiteral("line one\nline two"));
    CVarData& rise = rig.var(HvcId::HVC_RAMP_TRISE_0);
    rise.E2Value = 1234;
    rig.state.document.markDataChanged();
    rig.tick();
    QCOMPARE(w.fileStateField()->text(), QStringLiteral("FILE TO SAVE"));

    chosen = rig.dir.filePath(QStringLiteral("unit7.txt"));
    w.saveConfiguration();
    QCOMPARE(requests.last().title, QStringLiteral("Save System Configuration Parameters To ..."));
    QCOMPARE(requests.last().proposedName, QStringLiteral("MySettings"));
    QCOMPARE(requests.last().folder, rig.context->resPath(QStringLiteral("txt")));
    QCOMPARE(rig.prompter.texts(), QStringList{" Configuration SAVED "});
    QCOMPARE(rig.state.document.fileState(), FileState::Saved);
    QVERIFY(!rig.state.document.infoChanged());
    rig.tick();
    QCOMPARE(w.fileStateField()->text(), QStringLiteral("FILE OK"));
    QCOMPARE(info->fileName(), QStringLiteral("unit7.txt"));

    // Saving over it asks; No leaves the file as it was.
    const QByteArray saved = [&] {
        QFile f(chosen);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    QVERIFY(saved.contains("M. Rossi"));
    rise.E2Value = 77;
    rig.prompter.messages.clear();
    rig.prompter.answers = {false};
    w.saveConfiguration();
    QCOMPARE(rig.prompter.texts(), QStringList{"File Already Exist : Overwrite ?"});
    QFile again(chosen);
    QVERIFY(again.open(QIODevice::ReadOnly));
    QCOMPARE(again.readAll(), saved);

    // Typing on the info page after the save turns the state back to "FILE TO SAVE".
    info->findChild<QLineEdit*>("txtAutor")->setText(QStringLiteral("someone else"));
    info->findChild<QPlainTextEdit*>("TxtInfo")->setPlainText(QString());
    rig.tick();
    QCOMPARE(w.fileStateField()->text(), QStringLiteral("FILE TO SAVE"));

    // Load gives everything back.
    rig.prompter.messages.clear();
    w.loadConfiguration();
    QCOMPARE(requests.last().title,
             QStringLiteral("Load System Configuration Parameters From ..."));
    QCOMPARE(rig.prompter.texts(), QStringList{" SUCCESS : Configuration Loaded "});
    QCOMPARE(rise.E2Value, 1234);
    QCOMPARE(info->author(), QStringLiteral("M. Rossi"));
    QCOMPARE(info->company(), QStringLiteral("Acme Lift"));
    QCOMPARE(info->comments(), QStringLiteral("line one\nline two"));
    QCOMPARE(info->fileName(), QStringLiteral("unit7.txt"));
    QCOMPARE(rig.state.document.fileState(), FileState::Saved);
    QVERIFY(rig.state.document.paramsDiffer());
    QVERIFY(rig.state.document.dataUnchanged());
    QVERIFY(!rig.state.document.infoChanged());
    QCOMPARE(w.tabs()->currentIndex(), 0);
    rig.tick();
    QCOMPARE(w.fileStateField()->text(), QStringLiteral("FILE OK"));

    // A cancelled load says nothing and changes nothing; a bad file changes nothing.
    rig.prompter.messages.clear();
    chosen.clear();
    rig.makeUnsaved();
    w.loadConfiguration();
    QVERIFY(rig.prompter.messages.isEmpty());
    QCOMPARE(rig.state.document.fileState(), FileState::ToSave);
    chosen = rig.dir.filePath(QStringLiteral("junk.txt"));
    QFile junk(chosen);
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("not a configuration\r\n");
    junk.close();
    w.loadConfiguration();
    QCOMPARE(rig.prompter.texts(), QStringList{"Error Loading File!"});
    QCOMPARE(rig.prompter.messages[0].icon, PromptIcon::Critical);
    QCOMPARE(rig.state.document.fileState(), FileState::ToSave);
    QCOMPARE(rise.E2Value, 1234);
    QCOMPARE(info->author(), QStringLiteral("M. Rossi"));

    // A folder that cannot be written: "Configuration NOT SAVED!".
    rig.prompter.messages.clear();
    chosen = rig.dir.filePath(QStringLiteral("no/such/folder/x.txt"));
    w.saveConfiguration();
    QCOMPARE(rig.prompter.texts(), QStringList{"Configuration NOT SAVED!"});
    QCOMPARE(rig.state.document.fileState(), FileState::ToSave);
}

void MainWindowTest::exitQuestionAndStuckPage() {
    {
        Rig rig(offline());
        rig.makeUnsaved();
        rig.prompter.answers = {false};
        QVERIFY(!rig.window->exitProgram());
        QCOMPARE(rig.prompter.texts(), QStringList{UnsavedQuestionText()});
        QVERIFY(!rig.state.ExitRequested);
        QVERIFY(rig.ended.isEmpty());
        QVERIFY(rig.window->isVisible());
        rig.prompter.answers = {true};
        QVERIFY(rig.window->exitProgram());
        QCOMPARE(rig.ended, QList<bool>{false});
        QVERIFY(!rig.window->isVisible());
    }
    {
        Rig rig(offline(true));
        rig.troubled->stuck = true;
        rig.makeUnsaved();
        rig.prompter.answers = {true};
        QVERIFY(!rig.window->exitProgram());
        QVERIFY(rig.state.ExitRequested);
        for (int tick = 2; tick <= 8; ++tick)
            rig.tick();
        QCOMPARE(rig.window->exitAttempts(), 8);
        QVERIFY(rig.ended.isEmpty());
        QCOMPARE(rig.troubled->disableCalls, 8);
        rig.tick();
        QCOMPARE(rig.ended, QList<bool>{true});
        // The question was asked once, not at every retry.
        QCOMPARE(rig.prompter.messages.size(), 1);
    }
}

void MainWindowTest::tabCycling() {
    Rig rig(offline());
    MainWindow& w = *rig.window;
    const QStringList keys = {"A2", "A3", "A5", "A6", "A1"};
    for (const QString& key : keys) {
        w.showNextPage();
        QVERIFY(rig.context->activePage);
        QCOMPARE(rig.context->activePage->tag(), key);
        for (Page p : {Page::Config, Page::Monitor, Page::Diagnostic, Page::Debugger, Page::Info})
            QCOMPARE(w.pageForm(p)->isVisible(), w.pageForm(p) == rig.context->activePage);
    }
    QCOMPARE(w.tabs()->currentIndex(), 0);

    // Login commands are offered on the debugger page only.
    w.tabs()->setCurrentIndex(3);
    rig.tick();
    QVERIFY(rig.command("Login")->isEnabled());
    QVERIFY(!rig.command("Logout")->isEnabled());
    rig.state.LoggedIn = true;
    rig.tick();
    QVERIFY(!rig.command("mnuSet_Login")->isEnabled());
    QVERIFY(rig.command("mnuSet_Logout")->isEnabled());
    w.tabs()->setCurrentIndex(0);
    rig.tick();
    QVERIFY(!rig.command("Login")->isEnabled());
    QVERIFY(!rig.command("Logout")->isEnabled());
    w.logout();
    QVERIFY(!rig.state.LoggedIn);
}

void MainWindowTest::portSelection() {
    Rig rig(simulated({}, {{5, QStringLiteral("/nonexistent/ttyX")}}));
    QVERIFY(rig.started);
    MainWindow& w = *rig.window;
    QAction* com5 = w.findChild<QAction*>("mnuSet_Com_5");
    QVERIFY(com5);
    QCOMPARE(com5->toolTip(), QStringLiteral("/nonexistent/ttyX"));
    QCOMPARE(w.findChild<QAction*>("mnuSet_Com_1")->toolTip(), rig.session->simulatorPath());

    w.selectPort(5);
    QCOMPARE(rig.prompter.texts(), QStringList{"Can't Open COM 5"});
    QCOMPARE(rig.panel(8), QStringLiteral("NONE"));
    QCOMPARE(rig.state.ComPort, 0);
    QVERIFY(!com5->isChecked());

    rig.prompter.messages.clear();
    w.connectToUnit();
    QCOMPARE(rig.prompter.texts(), QStringList{"Select a COM Port"});
    QCOMPARE(rig.state.connectState(), ConnectState::NotConnected);

    rig.prompter.messages.clear();
    w.selectPort(1);
    QVERIFY(rig.prompter.messages.isEmpty());
    QCOMPARE(rig.panel(8), QStringLiteral("COM 1"));
    QVERIFY(w.findChild<QAction*>("mnuSet_Com_1")->isChecked());
    w.connectToUnit();
    QCOMPARE(rig.state.connectState(), ConnectState::Connected);
}

void MainWindowTest::helpOpensManualAtPage() {
    Rig rig(offline());
    MainWindow& w = *rig.window;
    QStringList opened;
    bool viewerWorks = true;
    rig.context->openDocument = [&](const QString& target) {
        opened << target;
        return viewerWorks;
    };
    w.showHelpTopics();
    QCOMPARE(rig.prompter.texts().size(), 1);
    QVERIFY(rig.prompter.texts()[0].startsWith("The manual HVCMANUAL.pdf is not in "));
    QVERIFY(opened.isEmpty());

    const QString manual = rig.dir.filePath(QStringLiteral("HVCMANUAL.pdf"));
    QFile pdf(manual);
    QVERIFY(pdf.open(QIODevice::WriteOnly));
    pdf.write("%PDF-1.4\n");
    pdf.close();
    rig.prompter.messages.clear();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_F1);
    w.tabs()->setCurrentIndex(4);
    QTest::keyClick(&w, Qt::Key_F1);
    w.showHelpTopics();
    const QString url = QUrl::fromLocalFile(manual).toString();
    QCOMPARE(opened, QStringList({url + "#page=10", url + "#page=34", url + "#page=1"}));
    QVERIFY(rig.prompter.messages.isEmpty());

    viewerWorks = false;
    w.showHelpTopics();
    QCOMPARE(rig.prompter.texts(), QStringList{"No PDF viewer could open " + manual});
}

QTEST_MAIN(MainWindowTest)
#include "test_mainwindow.moc"
