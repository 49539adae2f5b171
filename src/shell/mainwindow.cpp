#include "shell/mainwindow.h"

#include "core/configfile.h"
#include "core/prompter.h"
#include "core/transfer.h"
#include "core/unitlink.h"
#include "shell/drawing.h"
#include "shell/frmabout.h"
#include "shell/frmcomment.h"
#include "shell/frmpwd.h"
#include "shell/frmsectioncolour.h"
#include "shell/frmwait.h"
#include "shell/pageform.h"
#include "shell/placeholderpage.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QShortcut>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace hvc {

namespace {

constexpr int kPortItems = 15; // "None", COM 1..14
constexpr int kMaxExitAttempts = 8;
const char* const kSiteAddress = "https://www.oltrava.example/";

struct TabSpec {
    Page page;
    const char* key;
    const char* caption;
    const char* tooltip;
};

const TabSpec kTabs[] = {
    {Page::Config, "A1", "Configure", "System Configuration Parameters"},
    {Page::Monitor, "A2", "Monitor", "On Line System Monitor"},
    {Page::Diagnostic, "A3", "Diagnostic", "On Line System Diagnostic"},
    {Page::Debugger, "A5", "Debugger", "Electronic Debugger"},
    {Page::Info, "A6", "Info", "Additional Info"},
};

// The order in which start-up loads the pages.
const Page kLoadOrder[] = {Page::Config, Page::Diagnostic, Page::Debugger, Page::Monitor,
                           Page::Info};

QString defaultChooseFile(QWidget* parent, const FileRequest& r) {
    QDir().mkpath(r.folder);
    if (r.save)
        return QFileDialog::getSaveFileName(parent, r.title,
                                            QDir(r.folder).filePath(r.proposedName), r.filter,
                                            nullptr, QFileDialog::DontConfirmOverwrite);
    return QFileDialog::getOpenFileName(parent, r.title, r.folder, r.filter);
}

} // namespace

QString UnsavedQuestionText() {
    return QStringLiteral("Configuration file Not Saved.\rNo saved settings will be lost.\r\r"
                          "CONTINUE ANYWAY?");
}

MainWindow::MainWindow(ShellContext& context, PageFactory factory, QWidget* parent)
    : QMainWindow(parent), m_context(context), m_state(context.state),
      m_factory(std::move(factory)), m_bar(context.state), TabMain(new QTabBar),
      m_stack(new QStackedWidget), tbToolBar(new QToolBar(QStringLiteral("Commands"), this)),
      ProgressBar(new QProgressBar), txtFileTosave(new QLineEdit), TxtConnect(new QLineEdit),
      TmrDraw(new QTimer(this)), m_wait(new FrmWait(this)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QCoreApplication::applicationName());
    TabMain->setObjectName(QStringLiteral("TabMain"));
    TabMain->setExpanding(false);
    m_stack->setObjectName(QStringLiteral("PageHost"));
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setMovable(false);
    tbToolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    addToolBar(tbToolBar);
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(0);
    layout->addWidget(TabMain);
    layout->addWidget(m_stack, 1);
    setCentralWidget(central);

    chooseFile = [this](const FileRequest& r) { return defaultChooseFile(this, r); };
    endProgram = [](bool forced) { QCoreApplication::exit(forced ? 1 : 0); };

    buildMenus();
    buildToolBar();
    buildStatusBar();
    // Wide enough for every toolbar button, Connect included, to stay in view.
    setMinimumWidth(std::max(tbToolBar->sizeHint().width(), statusBar()->sizeHint().width()) + 8);
    resize(std::max(minimumWidth(), 980), 640);
    m_bar.greenIcon = context.greenIcon;
    m_bar.redIcon = context.redIcon;

    m_state.progress = this;
    m_state.refreshShownPage = [this] { refreshActivePage(); };
    m_state.connectChanged = [this](int value) {
        if (value == NotConnected)
            for (auto& redraw : m_context.disconnectRedraws)
                if (redraw)
                    redraw();
        Q_EMIT IsConnectObjChanged(value);
    };
    connect(TabMain, &QTabBar::currentChanged, this, &MainWindow::TabMain_Click);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this,
            [this] { Help(m_context.ActivePage ? m_context.ActivePage->HelpPage() : 1); });

    // Initialisation: indicator, progress bar, timer, first drawing, port and baud.
    m_state.setConnectState(ConnectState::NotConnected);
    TmrDraw->setObjectName(QStringLiteral("TmrDraw"));
    TmrDraw->setInterval(500);
    connect(TmrDraw, &QTimer::timeout, this, &MainWindow::TmrDraw_Timer);
    TmrDraw->start();
    DrawStatus(m_context, m_bar, ProgressBar, m_state.StatusText);
    m_state.ComPort = 1;
    m_state.BaudText = QStringLiteral("9600");
    switchPortItems(m_state.ComPort);
    m_bar.setPanel(9, m_state.BaudText);
    showFileState();
}

MainWindow::~MainWindow() {
    TmrDraw->stop();
    delete m_wait;
    if (m_state.progress == this)
        m_state.progress = nullptr;
    m_state.refreshShownPage = nullptr;
    m_state.connectChanged = nullptr;
    m_context.ActivePage = nullptr;
}

QAction* MainWindow::menuItem(QMenu* menu, const char* caption, const char* name,
                              void (MainWindow::*slot)()) {
    QAction* a = menu->addAction(QString::fromLatin1(caption));
    a->setObjectName(QString::fromLatin1(name));
    m_bar.commands.insert(a->objectName(), a);
    if (slot)
        connect(a, &QAction::triggered, this, slot);
    return a;
}

QAction* MainWindow::button(const char* key, const char* tooltip, void (MainWindow::*slot)()) {
    QAction* a = tbToolBar->addAction(QString::fromLatin1(key));
    a->setObjectName(QString::fromLatin1(key));
    a->setToolTip(QString::fromLatin1(tooltip));
    m_bar.commands.insert(a->objectName(), a);
    connect(a, &QAction::triggered, this, slot);
    return a;
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    menuItem(file, "&Load Configuration", "mnuFile_Load", &MainWindow::mnuFile_Load_Click);
    menuItem(file, "&Save Configuration", "mnuFile_Save", &MainWindow::mnuFile_Save_Click);
    file->addSeparator();
    QAction* exit = menuItem(file, "&Exit", "mnuFile_Exit", nullptr);
    connect(exit, &QAction::triggered, this, [this] { mnuFile_Exit_Click(); });

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("mnuView"));
    menuItem(view, "&Show next Page", "mnuView_Page", &MainWindow::mnuView_Page_Click);

    QMenu* hw = bar->addMenu(QStringLiteral("H&ardware"));
    hw->setObjectName(QStringLiteral("mnuHW"));
    menuItem(hw, "&Connect", "mnuHW_Connect", &MainWindow::mnuHW_Connect_Click);
    hw->addSeparator();
    menuItem(hw, "Writ&e All", "mnuHW_WriteAll", &MainWindow::mnuHW_WriteAll_Click);
    menuItem(hw, "Rea&d All", "mnuHW_ReadAll", &MainWindow::mnuHW_ReadAll_Click);
    menuItem(hw, "&Write", "mnuHW_Write", &MainWindow::mnuHW_Write_Click);
    menuItem(hw, "&Read", "mnuHw_Read", &MainWindow::mnuHw_Read_Click);
    hw->addSeparator();
    menuItem(hw, "Re&set", "mnuHw_Reset", &MainWindow::mnuHw_Reset_Click);

    QMenu* set = bar->addMenu(QStringLiteral("&Set"));
    set->setObjectName(QStringLiteral("mnuSet"));
    mnuSet_Com = set->addMenu(QStringLiteral("Set &Com Port"));
    mnuSet_Com->setObjectName(QStringLiteral("mnuSet_Com"));
    mnuSet_Com->setToolTipsVisible(true);
    mnuSet_Com->menuAction()->setObjectName(QStringLiteral("mnuSet_ComID"));
    m_bar.commands.insert(QStringLiteral("mnuSet_ComID"), mnuSet_Com->menuAction());
    for (int i = 0; i < kPortItems; ++i) {
        QAction* a = mnuSet_Com->addAction(i == 0 ? QStringLiteral("None")
                                                  : QStringLiteral("COM &%1").arg(i));
        a->setObjectName(QStringLiteral("mnuSet_Com_%1").arg(i));
        a->setCheckable(true);
        if (i > 0 && m_context.portPath)
            a->setToolTip(m_context.portPath(i));
        connect(a, &QAction::triggered, this, [this, i] { mnuSet_Com_Click(i); });
        m_portItems.append(a);
    }
    mnuSet_ComBauld = set->addMenu(QStringLiteral("Set Com  &Bauld Rate"));
    mnuSet_ComBauld->setObjectName(QStringLiteral("mnuSet_ComBauld"));
    mnuSet_ComBauld->menuAction()->setObjectName(QStringLiteral("mnuSet_ComBauldID"));
    m_bar.commands.insert(QStringLiteral("mnuSet_ComBauldID"), mnuSet_ComBauld->menuAction());
    QAction* baud = mnuSet_ComBauld->addAction(QStringLiteral("9600"));
    baud->setObjectName(QStringLiteral("mnuSet_ComBauld_0"));
    baud->setCheckable(true);
    baud->setChecked(true);
    connect(baud, &QAction::triggered, this, [this] { mnuSet_ComBauld_Click(0); });
    m_baudItems.append(baud);
    set->addSeparator();
    menuItem(set, "&Palette", "mnuSet_Palette", &MainWindow::mnuSet_Palette_Click);
    menuItem(set, "&Login", "mnuSet_Login", &MainWindow::mnuSet_Login_Click);
    menuItem(set, "Log&out", "mnuSet_Logout", &MainWindow::mnuSet_Logout_Click);

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    menuItem(help, "&Help Topics", "mnuHelp_Help", &MainWindow::mnuHelp_Help_Click);
    menuItem(help, "&Oltrava Web Site", "mnuHelp_Site", &MainWindow::mnuHelp_Site_Click);
    menuItem(help, "&Software Info", "mnuHelp_Info", &MainWindow::mnuHelp_Info_Click);
}

void MainWindow::buildToolBar() {
    button("Load Configuration", "Load From File", &MainWindow::mnuFile_Load_Click);
    button("Save Configuration", "Save To File", &MainWindow::mnuFile_Save_Click);
    tbToolBar->addSeparator();
    button("Read All", "Read All From Electronic", &MainWindow::mnuHW_ReadAll_Click);
    button("Write All", "Write All To Electronic", &MainWindow::mnuHW_WriteAll_Click);
    tbToolBar->addSeparator();
    button("Reset", "Reset Electronic", &MainWindow::mnuHw_Reset_Click);
    tbToolBar->addSeparator();
    button("Read", "Read From Electronic", &MainWindow::mnuHw_Read_Click);
    button("Write", "Write To Electronic", &MainWindow::mnuHW_Write_Click);
    tbToolBar->addSeparator();
    button("Login", "Assistance Login", &MainWindow::mnuSet_Login_Click);
    button("Logout", "Assistance Logout", &MainWindow::mnuSet_Logout_Click);
    tbToolBar->addSeparator();
    button("Help", "Help Topics", &MainWindow::mnuHelp_Help_Click);
    button("Info", "Software Info", &MainWindow::mnuHelp_Info_Click);
    tbToolBar->addSeparator();
    tbToolBar->addSeparator();
    QAction* connectButton = button("Connect", "Connect", &MainWindow::mnuHW_Connect_Click);
    connectButton->setCheckable(true);
    // The button's pressed look follows the connection; a click only asks for the command.
    connect(connectButton, &QAction::triggered, this, [this, connectButton] {
        connectButton->setChecked(m_state.connectState() != NotConnected);
    });
}

void MainWindow::buildStatusBar() {
    QStatusBar* sb = statusBar();
    sb->setObjectName(QStringLiteral("StatusBar"));
    m_bar.statusBar = sb;
    m_bar.TxtConnect = TxtConnect;
    for (int n = 1; n <= 9; ++n) {
        if (n == 4)
            continue; // the file state has its own field, txtFileTosave
        auto* l = new QLabel(sb);
        l->setObjectName(QStringLiteral("Panel%1").arg(n));
        l->setFrameShape(QFrame::StyledPanel);
        l->setAlignment(Qt::AlignCenter);
        l->setMinimumWidth(n == 1 ? 22 : 56);
        m_bar.panels[n] = l;
    }
    TxtConnect->setObjectName(QStringLiteral("TxtConnect"));
    txtFileTosave->setObjectName(QStringLiteral("txtFileTosave"));
    for (QLineEdit* f : {TxtConnect, txtFileTosave}) {
        f->setReadOnly(true);
        f->setFocusPolicy(Qt::NoFocus);
        f->setAlignment(Qt::AlignCenter);
        f->setFixedWidth(120);
    }
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 100);
    ProgressBar->setTextVisible(false);
    ProgressBar->setFixedWidth(140);
    sb->addWidget(m_bar.panels[1]);
    sb->addWidget(TxtConnect);
    sb->addWidget(m_bar.panels[3]);
    sb->addWidget(txtFileTosave);
    sb->addWidget(m_bar.panels[5]);
    sb->addWidget(ProgressBar);
    sb->addWidget(m_bar.panels[2]);
    m_bar.panels[2]->hide();
    sb->addPermanentWidget(m_bar.panels[6]);
    sb->addPermanentWidget(m_bar.panels[7]);
    sb->addPermanentWidget(m_bar.panels[8]);
    sb->addPermanentWidget(m_bar.panels[9]);
}

FrmComment* MainWindow::infoPage() const {
    return qobject_cast<FrmComment*>(pageForm(Page::Info));
}

void MainWindow::LoadMain() {
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    m_context.loadPictures();
    m_bar.greenIcon = m_context.greenIcon;
    m_bar.redIcon = m_context.redIcon;
    const QIcon programIcon(m_context.resPath(QStringLiteral("ico/hvc.png")));
    setWindowIcon(programIcon);
    if (QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(programIcon);

    TmrDraw->stop();
    m_state.catalogue.FreeCatalogue();
    static ScriptedPrompter silent;
    Prompter& prompter = m_state.prompter ? *m_state.prompter : silent;
    m_state.catalogue.LoadCatalogue(m_context.resPath(QStringLiteral("ini/Ramlist.ini")), prompter);

    const QSignalBlocker block(TabMain);
    while (TabMain->count() > 0)
        TabMain->removeTab(0);
    for (const TabSpec& t : kTabs) {
        const int i = TabMain->addTab(QString::fromLatin1(t.caption));
        TabMain->setTabData(i, QString::fromLatin1(t.key));
        TabMain->setTabToolTip(i, QString::fromLatin1(t.tooltip));
    }

    m_context.ActivePage = nullptr;
    for (PageForm*& p : m_pages) {
        if (!p)
            continue;
        p->setTag({});
        p->setPageVarNum(0);
        m_stack->removeWidget(p);
        delete p;
        p = nullptr;
    }
    for (Page which : kLoadOrder) {
        PageForm* p = m_factory ? m_factory(m_context, which, m_stack) : nullptr;
        if (!p && which == Page::Info)
            p = new FrmComment(m_context, m_stack);
        else if (!p)
            p = new PlaceholderPage(m_context, which, m_stack);
        m_pages[static_cast<size_t>(which)] = p;
        m_stack->addWidget(p);
        p->hide();
        QCoreApplication::processEvents();
    }
    for (const TabSpec& t : kTabs)
        pageForm(t.page)->setTag(QString::fromLatin1(t.key));
    countPageVarNum(m_state);
    TmrDraw->start();
}

void MainWindow::onProgress(const QString& statusText, int percent) {
    DrawStatus(m_context, m_bar, ProgressBar, statusText);
    m_wait->DrawWaitBar(percent, statusText);
}

void MainWindow::refreshActivePage() {
    if (m_context.ActivePage)
        m_context.ActivePage->RefreshObject();
}

void MainWindow::closeWaitBox() {
    m_wait->close();
}

void MainWindow::endFailed(const QString& status) {
    closeWaitBox();
    if (m_state.prompter)
        m_state.prompter->inform(QStringLiteral("Operation Failed :") + status);
    m_state.setConnectState(ConnectState::NotConnected);
    setEnabled(true);
}

void MainWindow::endConnected() {
    m_state.setConnectState(ConnectState::Connected);
    setEnabled(true);
}

bool MainWindow::unsavedQuestion() {
    return m_state.prompter &&
           m_state.prompter->ask(UnsavedQuestionText(), {}, PromptIcon::Exclamation);
}

void MainWindow::mnuHW_Connect_Click() {
    closeWaitBox();
    UnitLink* link = m_state.link;
    if (m_state.connectState() != NotConnected) {
        if (m_context.ActivePage)
            m_context.ActivePage->DisableTimer();
        if (link)
            link->closeLink();
        m_state.FileState = 0;
        m_state.InfoChanged = false;
        m_state.DataUnchanged = true;
        m_state.ParamsDiffer = false;
        m_state.setConnectState(ConnectState::NotConnected);
        return;
    }
    if (link)
        link->closeLink();
    if (!link || !link->openLink()) {
        if (m_state.ComPort == 0 && m_state.prompter)
            m_state.prompter->inform(QStringLiteral("Select a COM Port"));
        return;
    }
    if (m_state.FileState == 1 && !unsavedQuestion())
        return;
    setEnabled(false);
    bool resetPending = false;
    QString status = checkUnitIdentity(m_state, resetPending);
    if (!status.isEmpty())
        return endFailed(status);
    m_state.setConnectState(ConnectState::Transfer);
    if (resetPending &&
        !(m_state.prompter &&
          m_state.prompter->ask(
              QStringLiteral("Missing POWER RESET After A 'RESET' Command : Continue Anyway? ")))) {
        setEnabled(true);
        link->closeLink();
        m_state.setConnectState(ConnectState::NotConnected);
        return;
    }
    if (CVarData* version = m_state.catalogue.Find(HvcId::HVC_PROG_VERS)) {
        std::int32_t value = 0;
        status = link->readE2(version->Address, value);
        if (!status.isEmpty())
            return endFailed(status);
        version->ReadE2FromECU(value);
    }
    status = readImage(m_state, readKeyAll(m_state));
    if (!status.isEmpty())
        return endFailed(status);
    endConnected();
    SelectFirstTab();
    refreshActivePage();
    m_state.FileState = 0;
    m_state.DataUnchanged = true;
    m_state.ParamsDiffer = false;
    closeWaitBox();
}

void MainWindow::mnuHw_Read_Click() {
    if (!m_context.ActivePage)
        return;
    setEnabled(false);
    const QString status = readImage(m_state, m_context.ActivePage->ReadKey());
    if (!status.isEmpty())
        return endFailed(status);
    endConnected();
    m_state.DataUnchanged = true;
    m_state.ParamsDiffer = false;
    m_state.FileState = 0;
    closeWaitBox();
}

void MainWindow::mnuHW_ReadAll_Click() {
    setEnabled(false);
    endWholeImage(readImage(m_state, readKeyAll(m_state)));
}

void MainWindow::endWholeImage(const QString& status) {
    if (status.isEmpty()) {
        endConnected();
        return;
    }
    // Unlike endFailed, the wait box is left to the next drawing tick.
    if (m_state.prompter)
        m_state.prompter->inform(QStringLiteral("Operation Failed :") + status);
    m_state.setConnectState(ConnectState::NotConnected);
    setEnabled(true);
}

void MainWindow::mnuHW_Write_Click() {
    PageForm* page = m_context.ActivePage;
    if (!page)
        return;
    const QString errors = page->CheckDataToWrite();
    if (!errors.isEmpty()) {
        const QString title = QStringLiteral("CONFIGURATION ERROR");
        if (!m_state.LoggedIn) {
            if (m_state.prompter)
                m_state.prompter->inform(errors, title, PromptIcon::Critical);
            return;
        }
        if (!m_state.prompter ||
            !m_state.prompter->ask(errors + QStringLiteral("\rCONTINUE ANYWAY ?"), title,
                                   PromptIcon::Exclamation))
            return;
    }
    setEnabled(false);
    const QString status = writeImage(m_state, page->WriteKey());
    if (!status.isEmpty())
        return endFailed(status);
    m_state.DataUnchanged = true;
    m_state.ParamsDiffer = false;
    endConnected();
}

void MainWindow::mnuHW_WriteAll_Click() {
    std::uint16_t mask = 0;
    for (const PageForm* p : m_pages)
        if (p)
            mask |= p->WriteKey();
    setEnabled(false);
    endWholeImage(writeImage(m_state, mask));
}

void MainWindow::mnuHw_Reset_Click() {
    m_state.FileState = 0;
    m_state.InfoChanged = false;
    m_state.DataUnchanged = true;
    m_state.ParamsDiffer = false;
    setEnabled(false);
    const QString status = loadDefaults(m_state);
    if (status != QStringLiteral("0")) {
        if (m_state.prompter)
            m_state.prompter->inform(QStringLiteral("Operation Failed :") + status);
        m_state.setConnectState(ConnectState::NotConnected);
        setEnabled(true);
        return;
    }
    if (m_state.prompter)
        m_state.prompter->inform(QStringLiteral("Switch OFF and then switch ON power supply!"), {},
                                 PromptIcon::Exclamation);
    if (m_state.link)
        m_state.link->closeLink();
    m_state.setConnectState(ConnectState::NotConnected);
    setEnabled(true);
}

void MainWindow::mnuFile_Load_Click() {
    FileRequest r;
    r.title = QStringLiteral("Load System Configuration Parameters From ...");
    r.filter = QStringLiteral("*.* (*)");
    r.folder = m_context.resPath(QStringLiteral("txt"));
    const QString path = chooseFile(r);
    if (path.isEmpty())
        return;
    if (!LoadConfigFile(m_state, path, QFileInfo(path).fileName()).isEmpty()) {
        if (m_state.prompter)
            m_state.prompter->inform(QStringLiteral("Error Loading File!"), {},
                                     PromptIcon::Critical);
        return;
    }
    if (FrmComment* page = infoPage())
        page->showFields(m_state.info);
    if (m_state.prompter)
        m_state.prompter->inform(QStringLiteral(" SUCCESS : Configuration Loaded "));
    SelectFirstTab();
    refreshActivePage();
    m_state.InfoChanged = false;
    m_state.FileState = 2;
    m_state.DataUnchanged = true;
    m_state.ParamsDiffer = true;
}

void MainWindow::mnuFile_Save_Click() {
    FileRequest r;
    r.save = true;
    r.title = QStringLiteral("Save System Configuration Parameters To ...");
    r.filter = QStringLiteral("*.txt (*.txt)");
    r.folder = m_context.resPath(QStringLiteral("txt"));
    r.proposedName = QStringLiteral("MySettings");
    const QString path = chooseFile(r);
    if (path.isEmpty())
        return;
    if (QFileInfo::exists(path) && !(m_state.prompter && m_state.prompter->ask(QStringLiteral(
                                                             "File Already Exist : Overwrite ?"))))
        return;
    FrmComment* page = infoPage();
    if (page)
        m_state.info = page->fields();
    if (!SaveConfigFile(m_state, path).isEmpty()) {
        if (m_state.prompter)
            m_state.prompter->inform(QStringLiteral("Configuration NOT SAVED!"), {},
                                     PromptIcon::Critical);
        return;
    }
    m_state.InfoChanged = false;
    m_state.FileState = 2;
    m_state.DataUnchanged = true;
    m_state.info.fileName = QFileInfo(path).fileName();
    if (page)
        page->setFileName(m_state.info.fileName);
    if (m_state.prompter)
        m_state.prompter->inform(QStringLiteral(" Configuration SAVED "));
}

bool MainWindow::mnuFile_Exit_Click() {
    if (m_ending)
        return true;
    // Ask once: the retries on later ticks go on with the answer already given.
    if (!m_state.ExitRequested && m_state.FileState == 1 && !unsavedQuestion())
        return false;
    m_state.ExitRequested = true;
    ++m_exitAttempts;
    if (m_exitAttempts > kMaxExitAttempts) {
        m_ending = true;
        TmrDraw->stop();
        if (endProgram)
            endProgram(true);
        return true;
    }
    bool stillPolling = false;
    for (PageForm* p : m_pages) {
        if (!p)
            continue;
        p->DisableTimer();
        stillPolling = stillPolling || p->StatusTimerForm();
    }
    if (stillPolling)
        return false;
    m_ending = true;
    TmrDraw->stop();
    closeWaitBox();
    if (m_state.link)
        m_state.link->closeLink();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible())
            w->close();
    close();
    if (endProgram)
        endProgram(false);
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_ending || mnuFile_Exit_Click())
        event->accept();
    else
        event->ignore();
}

void MainWindow::mnuView_Page_Click() {
    if (TabMain->count() == 0)
        return;
    TabMain->setCurrentIndex((TabMain->currentIndex() + 1) % TabMain->count());
}

void MainWindow::switchPortItems(int checked) {
    for (int i = 0; i < m_portItems.size(); ++i)
        m_portItems[i]->setChecked(i == checked && checked > 0);
    m_bar.setPanel(8, checked > 0 ? QStringLiteral("COM %1").arg(checked) : QStringLiteral("NONE"));
}

void MainWindow::mnuSet_Com_Click(int index) {
    switchPortItems(0);
    m_state.ComPort = index;
    if (m_context.selectPort)
        m_context.selectPort(index);
    const bool open = m_state.link && m_state.link->openLink();
    if (open) {
        switchPortItems(index);
    } else {
        switchPortItems(0);
        m_state.ComPort = 0;
        if (m_context.selectPort)
            m_context.selectPort(0);
    }
}

void MainWindow::mnuSet_ComBauld_Click(int index) {
    for (int i = 0; i < m_baudItems.size(); ++i)
        m_baudItems[i]->setChecked(i == index);
    if (index < 0 || index >= m_baudItems.size())
        return;
    m_state.BaudText = m_baudItems[index]->text();
    m_bar.setPanel(9, m_state.BaudText);
    if (m_state.link)
        m_state.link->openLink();
}

void MainWindow::mnuSet_Palette_Click() {
    FrmSectionColour dialog(m_context, this);
    connect(&dialog, &FrmSectionColour::helpRequested, this, &MainWindow::Help);
    connect(&dialog, &FrmSectionColour::coloursChanged, this, [this] {
        for (PageForm* p : m_pages)
            if (p)
                p->RefreshColour();
    });
    dialog.exec();
}

void MainWindow::mnuSet_Login_Click() {
    FrmPwd dialog(m_state, this);
    if (dialog.exec() == QDialog::Accepted)
        if (PageForm* debugger = pageForm(Page::Debugger))
            debugger->RefreshObject();
}

void MainWindow::mnuSet_Logout_Click() {
    m_state.LoggedIn = false;
    if (PageForm* debugger = pageForm(Page::Debugger))
        debugger->RefreshObject();
}

void MainWindow::mnuHelp_Help_Click() {
    Help(1);
}

void MainWindow::mnuHelp_Site_Click() {
    const QString site = QString::fromLatin1(kSiteAddress);
    if (!(m_context.openDocument && m_context.openDocument(site)) && m_state.prompter)
        m_state.prompter->inform(QStringLiteral("No web browser could open ") + site);
}

void MainWindow::mnuHelp_Info_Click() {
    FrmAbout about(this, m_state.prompter);
    about.exec();
}

void MainWindow::Help(int page) {
    const QString manual = QDir(m_context.programDir).filePath(QStringLiteral("HVCMANUAL.pdf"));
    if (!QFileInfo::exists(manual)) {
        if (m_state.prompter)
            m_state.prompter->inform(QStringLiteral("The manual HVCMANUAL.pdf is not in ") +
                                     QDir::toNativeSeparators(m_context.programDir));
        return;
    }
    QUrl url = QUrl::fromLocalFile(manual);
    url.setFragment(QStringLiteral("page=%1").arg(page));
    if (!(m_context.openDocument && m_context.openDocument(url.toString())) && m_state.prompter)
        m_state.prompter->inform(QStringLiteral("No PDF viewer could open ") + manual);
}

void MainWindow::TabMain_Click(int index) {
    if (index < 0)
        return;
    const QString key = TabMain->tabData(index).toString();
    PageForm* previous = m_context.ActivePage;
    for (PageForm* p : m_pages) {
        if (!p)
            continue;
        if (p->tag() == key)
            m_context.ActivePage = p;
        else
            p->hide();
    }
    if (previous && previous != m_context.ActivePage)
        previous->Deactivate();
    if (PageForm* active = m_context.ActivePage; active && active->tag() == key) {
        m_stack->setCurrentWidget(active);
        active->show();
        active->setFocus();
        if (active != previous)
            active->Activate();
    }
}

void MainWindow::SelectFirstTab() {
    if (TabMain->count() == 0)
        return;
    if (TabMain->currentIndex() != 0)
        TabMain->setCurrentIndex(0);
    else if (!m_context.ActivePage || m_context.ActivePage->tag() != TabMain->tabData(0).toString())
        TabMain_Click(0);
}

void MainWindow::showFileState() {
    switch (m_state.FileState) {
    case 1:
        txtFileTosave->setText(QStringLiteral("FILE TO SAVE"));
        SetFieldColour(txtFileTosave, kPaleYellow);
        break;
    case 2:
        txtFileTosave->setText(QStringLiteral("FILE OK"));
        SetFieldColour(txtFileTosave, kGreen);
        break;
    default:
        txtFileTosave->setText(QStringLiteral("---"));
        SetFieldColour(txtFileTosave, QApplication::palette().color(QPalette::Button));
        break;
    }
}

void MainWindow::TmrDraw_Timer() {
    DrawStatus(m_context, m_bar, ProgressBar, m_state.StatusText);
    if (m_state.connectState() != Transfer)
        closeWaitBox();
    if (!m_state.DataUnchanged) {
        m_state.ParamsDiffer = true;
        m_state.FileState = 1;
    }
    if (m_state.InfoChanged)
        m_state.FileState = 1;
    showFileState();
    if (m_state.ExitRequested)
        mnuFile_Exit_Click();
}

} // namespace hvc
