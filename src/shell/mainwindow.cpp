#include "shell/mainwindow.h"

#include "core/logbook.h"
#include "core/logbooksetting.h"
#include "core/prompter.h"
#include "core/transfer.h"
#include "core/unitlink.h"
#include "core/verifysetting.h"
#include "shell/aboutdialog.h"
#include "shell/drawing.h"
#include "shell/helplauncher.h"
#include "shell/infopage.h"
#include "shell/logbookdialog.h"
#include "shell/logindialog.h"
#include "shell/pageform.h"
#include "shell/palettedialog.h"
#include "shell/spokenvalue.h"
#include "shell/unithistorywindow.h"
#include "shell/waitbox.h"
#include "shell/writereviewdialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QShortcut>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace hvc {

namespace {

constexpr int kMaxExitAttempts = 8;

QString verifySettingPath(const ShellContext& context) {
    return context.settingsPath(QStringLiteral("options.ini"));
}

QString logbookSettingPath(const ShellContext& context) {
    return context.settingsPath(QString::fromLatin1(kLogbookSettingFile));
}

} // namespace

MainWindow::MainWindow(ShellContext& context, PageFactory factory, QWidget* parent)
    : QMainWindow(parent), m_context(context), m_state(context.state),
      m_factory(std::move(factory)), m_bar(context.state), m_tabs(new QTabBar),
      m_stack(new QStackedWidget), m_pageHost(new PageHost(context, m_tabs, m_stack)),
      m_commandBar(*this, m_bar, context.hooks.portPath), m_statusTimer(new QTimer(this)),
      m_wait(new WaitBox(this)), m_commands(context.state, *this) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QCoreApplication::applicationName());
    m_tabs->setObjectName(QStringLiteral("TabMain"));
    m_tabs->setAccessibleName(QStringLiteral("Pages"));
    m_tabs->setExpanding(false);
    m_stack->setObjectName(QStringLiteral("PageHost"));
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(0);
    layout->addWidget(m_tabs);
    layout->addWidget(m_stack, 1);
    setCentralWidget(central);

    chooseFile = [this](const FileRequest& r) { return chooseFileWithDialog(this, r); };
    endProgram = [](bool forced) { QCoreApplication::exit(forced ? 1 : 0); };
    wireCommands();
    // Wide enough for every toolbar button, Connect included, to stay in view.
    setMinimumWidth(
        std::max(m_commandBar.toolBar()->sizeHint().width(), statusBar()->sizeHint().width()) + 8);
    resize(std::max(minimumWidth(), 980), 640);
    m_bar.greenIcon = context.pictures.greenIcon;
    m_bar.redIcon = context.pictures.redIcon;

    m_state.observers.progress.setObserver(this);
    m_state.observers.refreshShownPage = [this] { refreshActivePage(); };
    m_state.session.connectChanged = [this](ConnectState value) {
        if (value == ConnectState::NotConnected)
            for (auto& redraw : m_context.disconnectRedraws)
                if (redraw)
                    redraw();
        Q_EMIT connectStateChanged(value);
    };
    connect(m_tabs, &QTabBar::currentChanged, this, &MainWindow::selectTab);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this,
            [this] { showHelp(m_context.activePage ? m_context.activePage->helpPage() : 1); });

    // Initialisation: indicator, progress bar, timer, first drawing, port and baud.
    m_state.session.setConnectState(ConnectState::NotConnected);
    m_statusTimer->setObjectName(QStringLiteral("TmrDraw"));
    m_statusTimer->setInterval(500);
    connect(m_statusTimer, &QTimer::timeout, this, &MainWindow::drawStatus);
    m_statusTimer->start();
    hvc::drawStatus(m_context, m_bar, m_commandBar.progressBar(),
                    m_state.observers.progress.text());
    m_state.session.comPort = 1;
    m_state.session.baudText = QStringLiteral("9600");
    m_commandBar.showPort(m_state.session.comPort);
    m_bar.setPanel(StatusPanel::Baud, m_state.session.baudText);
    showFileState();
}

MainWindow::~MainWindow() {
    m_statusTimer->stop();
    delete m_history;
    useLogbook(nullptr);
    delete m_wait;
    if (m_state.observers.progress.observer() == this)
        m_state.observers.progress.setObserver(nullptr);
    m_state.observers.refreshShownPage = nullptr;
    m_state.session.connectChanged = nullptr;
    m_context.activePage = nullptr;
}

void MainWindow::wireCommands() {
    const CommandBar& c = m_commandBar;
    c.onTriggered({"mnuFile_Load", "Load Configuration"}, [this] { loadConfiguration(); });
    c.onTriggered({"mnuFile_Save", "Save Configuration"}, [this] { saveConfiguration(); });
    c.onTriggered({"mnuFile_Compare"}, [this] { compareWithFile(); });
    c.onTriggered({"mnuFile_History"}, [this] { showUnitHistory(); });
    c.onTriggered({"mnuFile_Exit"}, [this] { exitProgram(); });
    c.onTriggered({"mnuView_Page"}, [this] { showNextPage(); });
    c.onTriggered({"mnuHW_Connect", "Connect"}, [this] { connectToUnit(); });
    c.onTriggered({"mnuHW_WriteAll", "Write All"}, [this] { writeAll(); });
    c.onTriggered({"mnuHW_ReadAll", "Read All"}, [this] { readAll(); });
    c.onTriggered({"mnuHW_Write", "Write"}, [this] { writePage(); });
    c.onTriggered({"mnuHw_Read", "Read"}, [this] { readPage(); });
    c.onTriggered({"mnuHw_Reset", "Reset"}, [this] { resetUnit(); });
    c.onTriggered({"mnuSet_Palette"}, [this] { editPalette(); });
    QAction* verify = m_bar.command(QStringLiteral("mnuSet_Verify"));
    m_state.session.verifyWrites = loadVerifySetting(verifySettingPath(m_context));
    verify->setChecked(m_state.session.verifyWrites);
    connect(verify, &QAction::toggled, this, &MainWindow::setVerifyWrites);
    c.onTriggered({"mnuSet_Logbook"}, [this] { editLogbook(); });
    c.onTriggered({"mnuSet_Login", "Login"}, [this] { login(); });
    c.onTriggered({"mnuSet_Logout", "Logout"}, [this] { logout(); });
    c.onTriggered({"mnuHelp_Help", "Help"}, [this] { showHelpTopics(); });
    c.onTriggered({"mnuHelp_Site"}, [this] { openWebSite(); });
    c.onTriggered({"mnuHelp_Info", "Info"}, [this] { showSoftwareInfo(); });
    // The button's pressed look follows the connection; a click only asks for the command.
    QAction* button = c.connectButton();
    connect(button, &QAction::triggered, this, [this, button] {
        button->setChecked(m_state.session.connectState() != ConnectState::NotConnected);
    });
    for (int i = 0; i < c.portItems().size(); ++i)
        connect(c.portItems()[i], &QAction::triggered, this, [this, i] { selectPort(i); });
    for (int i = 0; i < c.baudItems().size(); ++i)
        connect(c.baudItems()[i], &QAction::triggered, this, [this, i] { selectBaudRate(i); });
}

InfoPage* MainWindow::infoPage() const {
    return qobject_cast<InfoPage*>(pageForm(Page::Info));
}

void MainWindow::loadMain() {
    // A fixed-size frame: minimise and close, no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    m_context.loadPictures();
    m_bar.greenIcon = m_context.pictures.greenIcon;
    m_bar.redIcon = m_context.pictures.redIcon;
    const QIcon programIcon(m_context.resPath(QStringLiteral("ico/hvc.png")));
    setWindowIcon(programIcon);
    if (QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(programIcon);

    m_statusTimer->stop();
    m_state.document.catalogue.freeCatalogue();
    m_state.document.catalogue.loadCatalogue(m_context.resPath(QStringLiteral("ini/Ramlist.ini")),
                                             m_state.observers.prompter());

    m_pageHost->loadPages(m_factory);
    countPageVarNum(m_state);
    m_statusTimer->start();
}

void MainWindow::onProgress(const QString& statusText, int percent) {
    hvc::drawStatus(m_context, m_bar, m_commandBar.progressBar(), statusText);
    // A polling page shows its progress in the status bar only; the wait box is
    // for the commands' transfers.
    const ConnectState state = m_state.session.connectState();
    if (state == ConnectState::MonitorPolling || state == ConnectState::DiagnosticPolling ||
        state == ConnectState::DebuggerWorking)
        QCoreApplication::processEvents();
    else
        m_wait->drawWaitBar(percent, statusText);
}

void MainWindow::setBusy(bool busy) {
    setEnabled(!busy);
}

void MainWindow::closeWaitBox() {
    m_wait->close();
}

void MainWindow::stopPagePolling() {
    if (m_context.activePage)
        m_context.activePage->disableTimer();
}

void MainWindow::showFirstPage() {
    selectFirstTab();
}

void MainWindow::refreshActivePage() {
    m_pageHost->refreshActivePage();
}

void MainWindow::showInfo(const InfoFields& fields) {
    if (InfoPage* page = infoPage())
        page->showFields(fields);
}

InfoFields MainWindow::infoToSave(const InfoFields& current) {
    InfoPage* page = infoPage();
    return page ? page->fields() : current;
}

void MainWindow::showFileName(const QString& name) {
    if (InfoPage* page = infoPage())
        page->setFileName(name);
}

void MainWindow::connectToUnit() {
    m_commands.connectToUnit();
}

void MainWindow::readPage() {
    if (m_context.activePage)
        m_commands.readPage(m_context.activePage->readKey());
}

void MainWindow::readAll() {
    m_commands.readAll();
}

void MainWindow::writePage() {
    if (PageForm* page = m_context.activePage)
        m_commands.writePage(page->writeKey(), page->checkDataToWrite());
}

void MainWindow::writeAll() {
    m_commands.writeAll();
}

void MainWindow::resetUnit() {
    m_commands.reset();
}

QString MainWindow::chooseConfigurationFile(bool save) {
    return chooseFile(configurationFileRequest(save, m_context.resPath(QStringLiteral("txt"))));
}

void MainWindow::loadConfiguration() {
    if (const QString path = chooseConfigurationFile(false); !path.isEmpty())
        m_commands.loadFile(path);
}

void MainWindow::saveConfiguration() {
    if (const QString path = chooseConfigurationFile(true); !path.isEmpty())
        m_commands.saveFile(path);
}

void MainWindow::compareWithFile() {
    if (const QString path = chooseConfigurationFile(false); !path.isEmpty())
        m_commands.compareWithFile(path);
}

void MainWindow::setVerifyWrites(bool on) {
    m_state.session.verifyWrites = on;
    if (!saveVerifySetting(verifySettingPath(m_context), on))
        m_state.observers.prompter().inform(
            QStringLiteral("The choice holds until the program ends: %1 cannot be written.")
                .arg(verifySettingPath(m_context)),
            {}, PromptIcon::Exclamation);
}

void MainWindow::useLogbook(LogbookRecorder* recorder) {
    if (m_recorder) {
        m_recorder->onFailure = nullptr;
        m_recorder->onRecorded = nullptr;
        if (m_state.observers.transferLog == m_recorder)
            m_state.observers.transferLog = nullptr;
    }
    m_recorder = recorder;
    if (!recorder)
        return;
    m_state.observers.transferLog = recorder;
    // The logbook opens and is checked beside the program's start, not at the
    // first transfer.
    recorder->prepare();
    QLabel* panel = m_bar.panel(StatusPanel::Spare);
    recorder->onRecorded = [this, panel](const LogEntry&) {
        panel->hide();
        panel->clear();
        if (m_history)
            m_history->refresh();
    };
    recorder->onFailure = [this, panel](const Status& why, const QString& pendingFile) {
        const QString kept = pendingFile.isEmpty() ? QStringLiteral("the entry is lost")
                                                   : QStringLiteral("kept in ") + pendingFile;
        panel->setText(QStringLiteral("Logbook not written: %1; %2").arg(why.text(), kept));
        panel->show();
        // Told once the transfer is over: the transfer itself goes on as usual.
        QMetaObject::invokeMethod(
            this,
            [this, why, kept] {
                m_state.observers.prompter().informDetailed(
                    QStringLiteral("The logbook could not be written; the transfer itself is "
                                   "not affected. The entries are %1 until the logbook can be "
                                   "written again.")
                        .arg(kept),
                    why.text(), {}, PromptIcon::Exclamation);
            },
            Qt::QueuedConnection);
    };
}

void MainWindow::editLogbook() {
    const QString path = logbookSettingPath(m_context);
    LogbookSetting setting = loadLogbookSetting(path);
    if (m_recorder) {
        setting.record = m_recorder->enabled();
        setting.location = m_recorder->location() == Logbook::defaultLocation()
                               ? QString()
                               : m_recorder->location();
    }
    LogbookDialog dialog(setting, m_state.observers.prompter(), this);
    dialog.chooseFile = chooseFile;
    if (dialog.exec() != QDialog::Accepted)
        return;
    setting = dialog.setting();
    if (m_recorder) {
        m_recorder->setEnabled(setting.record);
        m_recorder->setLocation(setting.location);
        m_recorder->prepare();
    }
    if (m_history)
        m_history->setLocation(setting.location);
    if (!saveLogbookSetting(path, setting))
        m_state.observers.prompter().inform(
            QStringLiteral("The choice holds until the program ends: %1 cannot be written.")
                .arg(path),
            {}, PromptIcon::Exclamation);
}

void MainWindow::showUnitHistory() {
    if (!m_history) {
        m_history =
            new UnitHistoryWindow(m_state, m_recorder ? m_recorder->location() : QString(), this);
        m_history->setAttribute(Qt::WA_DeleteOnClose);
        m_history->restore = [this](const QMap<std::int32_t, std::int32_t>& version) {
            restoreVersion(version);
        };
        m_history->chooseFile = [this](const FileRequest& r) { return chooseFile(r); };
        connect(this, &MainWindow::connectStateChanged, m_history,
                &UnitHistoryWindow::updateButtons);
    } else {
        m_history->refresh();
    }
    m_history->show();
    m_history->raise();
    m_history->activateWindow();
}

void MainWindow::restoreVersion(const QMap<std::int32_t, std::int32_t>& version) {
    m_commands.restoreVersion(version);
}

WriteChoice MainWindow::chooseWrite(const QList<ReviewRow>& rows) {
    if (reviewWrite)
        return reviewWrite(rows);
    WriteReviewDialog dialog(m_state.document.catalogue, rows, WriteReviewDialog::Purpose::Write,
                             {}, m_state.session.verifyWrites, this);
    return dialog.exec() == QDialog::Accepted ? dialog.choice() : WriteChoice::cancel();
}

QList<int> MainWindow::chooseFileRows(const QList<ReviewRow>& rows, const QString& fileName) {
    WriteReviewDialog dialog(m_state.document.catalogue, rows,
                             WriteReviewDialog::Purpose::CompareFile, fileName,
                             m_state.session.verifyWrites, this);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.choice().positions;
}

bool MainWindow::exitProgram() {
    if (m_ending)
        return true;
    // Ask once: the retries on later ticks go on with the answer already given.
    if (!m_state.session.exitRequested && m_state.document.flags.unsaved() &&
        !m_state.observers.prompter().ask(unsavedQuestionText(), {}, PromptIcon::Exclamation))
        return false;
    m_state.session.exitRequested = true;
    if (++m_exitAttempts > kMaxExitAttempts) {
        m_ending = true;
        m_statusTimer->stop();
        if (endProgram)
            endProgram(true);
        return true;
    }
    bool stillPolling = false;
    for (PageForm* p : m_pageHost->pages()) {
        if (!p)
            continue;
        p->disableTimer();
        stillPolling = stillPolling || p->isPolling();
    }
    if (stillPolling)
        return false;
    m_ending = true;
    m_statusTimer->stop();
    closeWaitBox();
    if (m_state.session.link)
        m_state.session.link->closeLink();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible())
            w->close();
    close();
    if (endProgram)
        endProgram(false);
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_ending || exitProgram())
        event->accept();
    else
        event->ignore();
}

void MainWindow::showNextPage() {
    m_pageHost->showNextPage();
}

void MainWindow::selectPort(int index) {
    m_commandBar.showPort(0);
    m_state.session.comPort = index;
    if (m_context.hooks.selectPort)
        m_context.hooks.selectPort(index);
    if (m_state.session.link && m_state.session.link->openLink()) {
        m_commandBar.showPort(index);
        return;
    }
    m_commandBar.showPort(0);
    m_state.session.comPort = 0;
    if (m_context.hooks.selectPort)
        m_context.hooks.selectPort(0);
}

void MainWindow::selectBaudRate(int index) {
    if (const QString baud = m_commandBar.checkBaud(index); !baud.isEmpty()) {
        m_state.session.baudText = baud;
        if (m_state.session.link)
            (void)m_state.session.link->openLink();
    }
}

void MainWindow::editPalette() {
    PaletteDialog dialog(m_context, this);
    connect(&dialog, &PaletteDialog::helpRequested, this, &MainWindow::showHelp);
    connect(&dialog, &PaletteDialog::coloursChanged, this, [this] {
        for (PageForm* p : m_pageHost->pages())
            if (p)
                p->refreshColour();
    });
    dialog.exec();
}

void MainWindow::login() {
    LoginDialog dialog(m_state, this);
    if (dialog.exec() == QDialog::Accepted)
        if (PageForm* debugger = pageForm(Page::Debugger))
            debugger->refreshObject();
}

void MainWindow::logout() {
    m_state.session.loggedIn = false;
    if (PageForm* debugger = pageForm(Page::Debugger))
        debugger->refreshObject();
}

void MainWindow::showHelpTopics() {
    showHelp(1);
}

void MainWindow::openWebSite() {
    HelpLauncher(m_context).openWebSite();
}

void MainWindow::showSoftwareInfo() {
    AboutDialog about(m_state.observers.prompter(), this);
    about.exec();
}

void MainWindow::showHelp(int page) {
    HelpLauncher(m_context).showManual(page);
}

void MainWindow::selectTab(int index) {
    m_pageHost->selectTab(index);
}

void MainWindow::selectFirstTab() {
    m_pageHost->selectFirstTab();
}

void MainWindow::showFileState() {
    QLineEdit* field = m_commandBar.fileStateField();
    switch (m_state.document.flags.fileState()) {
    case FileState::ToSave:
        field->setText(QStringLiteral("FILE TO SAVE"));
        setFieldColour(field, kPaleYellow);
        break;
    case FileState::Saved:
        field->setText(QStringLiteral("FILE OK"));
        setFieldColour(field, kGreen);
        break;
    case FileState::None:
        field->setText(QStringLiteral("---"));
        setFieldColour(field, QApplication::palette().color(QPalette::Button));
        break;
    }
    speakValue(field, QStringLiteral("File state"), field->text());
}

void MainWindow::drawStatus() {
    hvc::drawStatus(m_context, m_bar, m_commandBar.progressBar(),
                    m_state.observers.progress.text());
    if (m_state.session.connectState() != ConnectState::Transfer)
        closeWaitBox();
    m_state.document.flags.tick();
    showFileState();
    if (m_state.session.exitRequested)
        exitProgram();
}

} // namespace hvc
