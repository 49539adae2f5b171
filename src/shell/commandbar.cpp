#include "shell/commandbar.h"

#include "shell/mainbar.h"
#include "shell/spokenvalue.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

namespace hvc {

namespace {

constexpr int kPortItems = 15; // "None", COM 1..14

// A toolbar button as assistive technology sees it. For a checkable button
// ("Connect", whose pressed look follows the program's state) Qt offers only
// "toggle", which flips the look without giving the command; here every command
// button offers "press", which does exactly what a click does.
class CommandButtonAccessible : public QAccessibleWidget {
public:
    explicit CommandButtonAccessible(QToolButton* button)
        : QAccessibleWidget(button, QAccessible::Button) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return button()->text();
        if (t == QAccessible::Description)
            return button()->toolTip();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = button()->isCheckable();
        s.checked = button()->isChecked();
        return s;
    }
    QStringList actionNames() const override {
        return button()->isEnabled() ? QStringList{pressAction()} : QStringList{};
    }
    void doAction(const QString& name) override {
        if (name == pressAction() && button()->isEnabled())
            button()->click();
    }

private:
    QToolButton* button() const { return static_cast<QToolButton*>(widget()); }
};

QAccessibleInterface* commandButtonFactory(const QString& className, QObject* object) {
    // Asked for as soon as the toolbar makes the button, before it takes on its
    // action's checkable state: so every button with an action is served.
    if (className == QLatin1String("QToolButton"))
        if (auto* b = qobject_cast<QToolButton*>(object); b && b->defaultAction())
            return new CommandButtonAccessible(b);
    return nullptr;
}

} // namespace

CommandBar::CommandBar(QMainWindow& window, MainBar& bar,
                       const std::function<QString(int)>& portPath)
    : m_bar(bar), m_toolBar(new QToolBar(QStringLiteral("Commands"), &window)),
      m_progressBar(new QProgressBar), m_fileStateField(new QLineEdit),
      m_connectField(new QLineEdit) {
    static const bool kFactoryInstalled = [] {
        QAccessible::installFactory(commandButtonFactory);
        return true;
    }();
    (void)kFactoryInstalled;
    m_toolBar->setObjectName(QStringLiteral("tbToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    window.addToolBar(m_toolBar);
    buildMenus(window, portPath);
    buildToolBar();
    buildStatusBar(window);
}

void CommandBar::onTriggered(std::initializer_list<const char*> names,
                             const std::function<void()>& slot) const {
    for (const char* name : names) {
        QAction* a = m_bar.command(QString::fromLatin1(name));
        Q_ASSERT_X(a, "CommandBar::onTriggered", name);
        if (a)
            QObject::connect(a, &QAction::triggered, a, slot);
    }
}

QAction* CommandBar::menuItem(QMenu* menu, const char* caption, const char* name) {
    QAction* a = menu->addAction(QString::fromLatin1(caption));
    a->setObjectName(QString::fromLatin1(name));
    m_bar.commands.insert(a->objectName(), a);
    return a;
}

QAction* CommandBar::button(const char* key, const char* tooltip) {
    QAction* a = m_toolBar->addAction(QString::fromLatin1(key));
    a->setObjectName(QString::fromLatin1(key));
    a->setToolTip(QString::fromLatin1(tooltip));
    m_bar.commands.insert(a->objectName(), a);
    return a;
}

void CommandBar::buildMenus(QMainWindow& window, const std::function<QString(int)>& portPath) {
    QMenuBar* bar = window.menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    menuItem(file, "&Load Configuration", "mnuFile_Load");
    menuItem(file, "&Save Configuration", "mnuFile_Save");
    menuItem(file, "Compare with &File...", "mnuFile_Compare");
    menuItem(file, "Unit &History...", "mnuFile_History");
    file->addSeparator();
    menuItem(file, "&Exit", "mnuFile_Exit");

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("mnuView"));
    menuItem(view, "&Show next Page", "mnuView_Page");

    QMenu* hw = bar->addMenu(QStringLiteral("H&ardware"));
    hw->setObjectName(QStringLiteral("mnuHW"));
    menuItem(hw, "&Connect", "mnuHW_Connect");
    hw->addSeparator();
    menuItem(hw, "Writ&e All", "mnuHW_WriteAll");
    menuItem(hw, "Rea&d All", "mnuHW_ReadAll");
    menuItem(hw, "&Write", "mnuHW_Write");
    menuItem(hw, "&Read", "mnuHw_Read");
    hw->addSeparator();
    menuItem(hw, "Re&set", "mnuHw_Reset");

    QMenu* set = bar->addMenu(QStringLiteral("&Set"));
    set->setObjectName(QStringLiteral("mnuSet"));
    QMenu* ports = set->addMenu(QStringLiteral("Set &Com Port"));
    ports->setObjectName(QStringLiteral("mnuSet_Com"));
    ports->setToolTipsVisible(true);
    ports->menuAction()->setObjectName(QStringLiteral("mnuSet_ComID"));
    m_bar.commands.insert(QStringLiteral("mnuSet_ComID"), ports->menuAction());
    for (int i = 0; i < kPortItems; ++i) {
        QAction* a =
            ports->addAction(i == 0 ? QStringLiteral("None") : QStringLiteral("COM &%1").arg(i));
        a->setObjectName(QStringLiteral("mnuSet_Com_%1").arg(i));
        a->setCheckable(true);
        if (i > 0 && portPath)
            a->setToolTip(portPath(i));
        m_portItems.append(a);
    }
    QMenu* bauds = set->addMenu(QStringLiteral("Set Com  &Bauld Rate"));
    bauds->setObjectName(QStringLiteral("mnuSet_ComBauld"));
    bauds->menuAction()->setObjectName(QStringLiteral("mnuSet_ComBauldID"));
    m_bar.commands.insert(QStringLiteral("mnuSet_ComBauldID"), bauds->menuAction());
    QAction* baud = bauds->addAction(QStringLiteral("9600"));
    baud->setObjectName(QStringLiteral("mnuSet_ComBauld_0"));
    baud->setCheckable(true);
    baud->setChecked(true);
    m_baudItems.append(baud);
    set->addSeparator();
    menuItem(set, "&Verify Writes", "mnuSet_Verify")->setCheckable(true);
    menuItem(set, "Log&book...", "mnuSet_Logbook");
    menuItem(set, "&Palette", "mnuSet_Palette");
    menuItem(set, "&Login", "mnuSet_Login");
    menuItem(set, "Log&out", "mnuSet_Logout");

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    menuItem(help, "&Help Topics", "mnuHelp_Help");
    menuItem(help, "&Oltrava Web Site", "mnuHelp_Site");
    menuItem(help, "&Software Info", "mnuHelp_Info");
}

void CommandBar::buildToolBar() {
    button("Load Configuration", "Load From File");
    button("Save Configuration", "Save To File");
    m_toolBar->addSeparator();
    button("Read All", "Read All From Electronic");
    button("Write All", "Write All To Electronic");
    m_toolBar->addSeparator();
    button("Reset", "Reset Electronic");
    m_toolBar->addSeparator();
    button("Read", "Read From Electronic");
    button("Write", "Write To Electronic");
    m_toolBar->addSeparator();
    button("Login", "Assistance Login");
    button("Logout", "Assistance Logout");
    m_toolBar->addSeparator();
    button("Help", "Help Topics");
    button("Info", "Software Info");
    m_toolBar->addSeparator();
    m_toolBar->addSeparator();
    m_connectButton = button("Connect", "Connect");
    m_connectButton->setCheckable(true);
}

void CommandBar::showPort(int comPort) const {
    for (int i = 0; i < m_portItems.size(); ++i)
        m_portItems[i]->setChecked(i == comPort && comPort > 0);
    m_bar.setPanel(StatusPanel::Port,
                   comPort > 0 ? QStringLiteral("COM %1").arg(comPort) : QStringLiteral("NONE"));
}

QString CommandBar::checkBaud(int index) const {
    for (int i = 0; i < m_baudItems.size(); ++i)
        m_baudItems[i]->setChecked(i == index);
    if (index < 0 || index >= m_baudItems.size())
        return {};
    m_bar.setPanel(StatusPanel::Baud, m_baudItems[index]->text());
    return m_baudItems[index]->text();
}

void CommandBar::buildStatusBar(QMainWindow& window) {
    QStatusBar* sb = window.statusBar();
    sb->setObjectName(QStringLiteral("StatusBar"));
    m_bar.statusBar = sb;
    m_bar.connectField = m_connectField;
    for (int n = 1; n <= 9; ++n) {
        if (n == 4)
            continue; // the file state has its own field, txtFileTosave
        auto* l = new QLabel(sb);
        l->setObjectName(QStringLiteral("Panel%1").arg(n));
        l->setFrameShape(QFrame::StyledPanel);
        l->setAlignment(Qt::AlignCenter);
        l->setMinimumWidth(n == 1 ? 22 : 56);
        m_bar.panels[static_cast<size_t>(n)] = l;
    }
    m_bar.panel(StatusPanel::Icon)->setAccessibleName(QStringLiteral("Connection indicator"));
    nameValueLabel(m_bar.panel(StatusPanel::Version), QStringLiteral("Program version"));
    nameValueLabel(m_bar.panel(StatusPanel::Percent), QStringLiteral("Transfer progress"));
    nameValueLabel(m_bar.panel(StatusPanel::Model), QStringLiteral("Unit model"));
    nameValueLabel(m_bar.panel(StatusPanel::Firmware), QStringLiteral("Unit firmware"));
    nameValueLabel(m_bar.panel(StatusPanel::Port), QStringLiteral("Serial port"));
    nameValueLabel(m_bar.panel(StatusPanel::Baud), QStringLiteral("Baud rate"));
    m_connectField->setObjectName(QStringLiteral("TxtConnect"));
    m_connectField->setAccessibleName(QStringLiteral("Connection state"));
    m_fileStateField->setObjectName(QStringLiteral("txtFileTosave"));
    m_fileStateField->setAccessibleName(QStringLiteral("File state"));
    for (QLineEdit* f : {m_connectField, m_fileStateField}) {
        f->setReadOnly(true);
        f->setFocusPolicy(Qt::NoFocus);
        f->setAlignment(Qt::AlignCenter);
        f->setFixedWidth(120);
    }
    // The longest status text a page shows there stays whole.
    m_connectField->setFixedWidth(std::max(120, m_connectField->fontMetrics().horizontalAdvance(
                                                    QStringLiteral("Debug: Monitoring...")) +
                                                    24));
    m_progressBar->setObjectName(QStringLiteral("ProgressBar"));
    m_progressBar->setAccessibleName(QStringLiteral("Transfer progress bar"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setTextVisible(false);
    m_progressBar->setFixedWidth(140);
    sb->addWidget(m_bar.panel(StatusPanel::Icon));
    sb->addWidget(m_connectField);
    sb->addWidget(m_bar.panel(StatusPanel::Version));
    sb->addWidget(m_fileStateField);
    sb->addWidget(m_bar.panel(StatusPanel::Percent));
    sb->addWidget(m_progressBar);
    sb->addWidget(m_bar.panel(StatusPanel::Spare));
    m_bar.panel(StatusPanel::Spare)->hide();
    sb->addPermanentWidget(m_bar.panel(StatusPanel::Model));
    sb->addPermanentWidget(m_bar.panel(StatusPanel::Firmware));
    sb->addPermanentWidget(m_bar.panel(StatusPanel::Port));
    sb->addPermanentWidget(m_bar.panel(StatusPanel::Baud));
}

} // namespace hvc
