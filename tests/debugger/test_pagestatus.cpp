// The per-page table of the status drawing, cell by cell, in the real main window:
// every page (configuration, monitor, diagnostic, debugger) through every value
// of the connection indicator, logged in and out. Before each drawing every
// command, the connection field, the icon and the version panel are set to a
// marker, so that a cell that changes nothing ("None") is seen to change nothing
// and every other cell is seen to set what it must. One drawing tick follows each
// change. The expectations are written out here from the table, not taken from
// the code.

#include "config/programpages.h"
#include "core/prompter.h"
#include "shell/mainbar.h"
#include "shell/mainwindow.h"
#include "shell/startup.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <memory>
#include <optional>

using namespace hvc;

namespace {

enum Block { None, NotConn, Edit, NoTransfer, Polling, Busy };

// Rows: the indicator 0..5; columns: configuration, monitor, diagnostic, debugger.
constexpr Block kTable[6][4] = {
    {NotConn, NotConn, NotConn, NotConn},
    {Edit, None, None, NoTransfer},
    {Busy, Busy, Busy, Busy},
    {None, Polling, None, None},
    {None, None, Polling, None},
    {None, None, None, Polling},
};

struct Column {
    Page page;
    int tab;
    const char* name;
};
constexpr Column kColumns[4] = {{Page::Config, 0, "configuration"},
                                {Page::Monitor, 1, "monitor"},
                                {Page::Diagnostic, 2, "diagnostic"},
                                {Page::Debugger, 3, "debugger"}};

const char* const kMenuTransfers[] = {"mnuHW_ReadAll", "mnuHW_WriteAll", "mnuHw_Reset",
                                      "mnuHw_Read", "mnuHW_Write"};
const char* const kButtonTransfers[] = {"Read All", "Write All", "Reset", "Read", "Write"};
const char* const kAllCommands[] = {"mnuHW_ReadAll",
                                    "mnuHW_WriteAll",
                                    "mnuHw_Reset",
                                    "mnuHw_Read",
                                    "mnuHW_Write",
                                    "mnuHW_Connect",
                                    "mnuSet_ComID",
                                    "mnuSet_ComBauldID",
                                    "mnuSet_Login",
                                    "mnuSet_Logout",
                                    "mnuHelp_Help",
                                    "mnuHelp_Info",
                                    "Load Configuration",
                                    "Save Configuration",
                                    "Read All",
                                    "Write All",
                                    "Reset",
                                    "Read",
                                    "Write",
                                    "Login",
                                    "Logout",
                                    "Help",
                                    "Info",
                                    "Connect"};

const QString kMarker = QStringLiteral("marker");
const QColor kMarkerColour(1, 2, 3);
constexpr int kMarkerPercent = 42;

// What one drawing must leave: a value for what the cell (and the common
// settings after it) set, nothing for what stays as it was.
struct Expected {
    QMap<QString, bool> enabled;
    std::optional<bool> connectChecked;
    std::optional<QString> connectTooltip;
    std::optional<QString> connectCaption;
    std::optional<QString> field;
    std::optional<bool> fieldGreen;
    std::optional<bool> iconGreen;
    std::optional<int> percent;
    std::optional<QString> versionPanel;

    void set(std::initializer_list<const char*> names, bool on) {
        for (const char* n : names)
            enabled[QString::fromLatin1(n)] = on;
    }
    template <size_t N> void set(const char* const (&names)[N], bool on) {
        for (const char* n : names)
            enabled[QString::fromLatin1(n)] = on;
    }
    void connectHeld() {
        set({"Connect", "mnuHW_Connect"}, true);
        connectChecked = true;
        connectTooltip = QStringLiteral("Disconnect");
        connectCaption = QStringLiteral("Disconnect");
        set({"mnuSet_ComID", "mnuSet_ComBauldID"}, false);
    }
};

Expected expectedCell(int column, int indicator, bool loggedIn, const QString& text) {
    Expected e;
    // Login commands: offered on the debugger only.
    if (kColumns[column].page == Page::Debugger) {
        e.set({"Login", "mnuSet_Login"}, !loggedIn);
        e.set({"Logout", "mnuSet_Logout"}, loggedIn);
    } else {
        e.set({"Login", "mnuSet_Login", "Logout", "mnuSet_Logout"}, false);
    }
    if (kColumns[column].page == Page::Config)
        e.versionPanel = QStringLiteral("v. ") + ProgramVersion();

    const auto connected = [&e](const QString& shown, bool resetPercent) {
        e.iconGreen = true;
        e.field = shown;
        e.fieldGreen = true;
        if (resetPercent)
            e.percent = 0;
    };
    switch (kTable[indicator][column]) {
    case None:
        break;
    case NotConn:
        e.iconGreen = false;
        e.field = QStringLiteral("Not Connected");
        e.fieldGreen = false;
        e.percent = 0;
        break;
    case Edit:
        connected(QStringLiteral("Connected"), true);
        e.set({"mnuHW_ReadAll", "mnuHW_WriteAll", "Read All", "Write All"}, false);
        e.set({"mnuHw_Reset", "mnuHw_Read", "mnuHW_Write", "Load Configuration",
               "Save Configuration", "Reset", "Read", "Write"},
              true);
        e.connectHeld();
        break;
    case NoTransfer:
        connected(QStringLiteral("Connected"), true);
        e.set(kMenuTransfers, false);
        e.set(kButtonTransfers, false);
        e.connectHeld();
        break;
    case Polling:
        connected(text, false);
        e.set(kMenuTransfers, false);
        e.set(kButtonTransfers, false);
        e.connectHeld();
        break;
    case Busy:
        connected(text, false);
        break;
    }

    // The common settings after the page's drawing.
    e.set({"Help", "Info", "mnuHelp_Help", "mnuHelp_Info"}, true);
    if (indicator == 0 || indicator == 2) {
        e.set(kMenuTransfers, false);
        e.set(kButtonTransfers, false);
        e.set({"mnuSet_ComBauldID"}, false);
        e.connectTooltip = QStringLiteral("Connect");
    }
    if (indicator == 0) {
        e.set({"mnuHW_Connect", "Connect", "mnuSet_ComID"}, true);
        e.connectCaption = QStringLiteral("Connect");
        e.connectChecked = false;
    } else if (indicator == 2) {
        e.set({"mnuHW_Connect", "Connect", "mnuSet_ComID"}, false);
        e.connectChecked = true;
    }
    return e;
}

bool sameImage(const QPixmap& a, const QIcon& icon) {
    return a.toImage().convertToFormat(QImage::Format_ARGB32) ==
           icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

struct WindowRig {
    WindowRig() {
        const QString appDir = QCoreApplication::applicationDirPath();
        state.setPrompter(&prompter);
        context = std::make_unique<ShellContext>(state, appDir, appDir + QStringLiteral("/res"));
        window = StartUp(*context, ProgramPages());
        window->endProgram = [](bool) {};
        window->statusTimer()->stop(); // one drawing per change, by hand
    }
    MainBar& bar() { return window->bar(); }
    QLineEdit* field() { return window->findChild<QLineEdit*>(QStringLiteral("TxtConnect")); }

    // Everything a drawing may touch, set to a marker; commands enabled or not.
    void mark(bool enabled) {
        for (const char* name : kAllCommands) {
            QAction* a = bar().command(QString::fromLatin1(name));
            a->setEnabled(enabled);
            a->setToolTip(kMarker);
        }
        bar().command(QStringLiteral("Connect"))->setChecked(!enabled);
        bar().command(QStringLiteral("mnuHW_Connect"))->setText(kMarker);
        field()->setText(kMarker);
        QPalette pal = field()->palette();
        pal.setColor(QPalette::Base, kMarkerColour);
        field()->setPalette(pal);
        bar().panel(StatusPanel::Icon)->setPixmap(QPixmap());
        bar().panel(StatusPanel::Version)->setText(kMarker);
        state.ProgressPercent = kMarkerPercent;
    }

    AppState state;
    ScriptedPrompter prompter;
    std::unique_ptr<ShellContext> context;
    std::unique_ptr<MainWindow> window;
};

} // namespace

class PageStatusTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyCellOfTheTable();
};

void PageStatusTest::everyCellOfTheTable() {
    WindowRig rig;
    const QString text = QStringLiteral("Probe status text");
    rig.state.StatusText = text;
    const QIcon& green = rig.context->greenIcon;
    const QIcon& red = rig.context->redIcon;
    QVERIFY(!sameImage(green.pixmap(16, 16), red));
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    int cells = 0;
    for (int column = 0; column < 4; ++column) {
        rig.window->tabs()->setCurrentIndex(kColumns[column].tab);
        for (int indicator = 0; indicator <= 5; ++indicator) {
            for (bool loggedIn : {false, true}) {
                for (bool markedOn : {false, true}) {
                    const QString where = QStringLiteral("%1 page, indicator %2, %3, marked %4")
                                              .arg(QLatin1String(kColumns[column].name))
                                              .arg(indicator)
                                              .arg(loggedIn ? "logged in" : "logged out")
                                              .arg(markedOn ? "on" : "off");
                    rig.state.setConnectState(static_cast<ConnectState>(indicator));
                    rig.state.LoggedIn = loggedIn;
                    rig.mark(markedOn);
                    rig.window->drawStatus();
                    const Expected e = expectedCell(column, indicator, loggedIn, text);
                    const auto say = [&where](const QString& what) {
                        return qPrintable(where + QStringLiteral(": ") + what);
                    };
                    for (const char* name : kAllCommands) {
                        const QString n = QString::fromLatin1(name);
                        const bool want = e.enabled.value(n, markedOn);
                        QVERIFY2(rig.bar().command(n)->isEnabled() == want, say(n));
                    }
                    QAction* button = rig.bar().command(QStringLiteral("Connect"));
                    QAction* item = rig.bar().command(QStringLiteral("mnuHW_Connect"));
                    QVERIFY2(button->isChecked() == e.connectChecked.value_or(!markedOn),
                             say(QStringLiteral("Connect pressed")));
                    QVERIFY2(button->toolTip() == e.connectTooltip.value_or(kMarker),
                             say(button->toolTip()));
                    QVERIFY2(item->text() == e.connectCaption.value_or(kMarker), say(item->text()));
                    QVERIFY2(rig.field()->text() == e.field.value_or(kMarker),
                             say(rig.field()->text()));
                    const QColor base = rig.field()->palette().color(QPalette::Base);
                    const QColor wantBase = e.fieldGreen
                                                ? (*e.fieldGreen ? QColor(0, 192, 0) : buttonFace)
                                                : kMarkerColour;
                    QVERIFY2(base == wantBase, say(base.name()));
                    const QPixmap icon = rig.bar().panel(StatusPanel::Icon)->pixmap();
                    if (e.iconGreen)
                        QVERIFY2(sameImage(icon, *e.iconGreen ? green : red), say("icon"));
                    else
                        QVERIFY2(icon.isNull(), say(QStringLiteral("icon kept")));
                    QVERIFY2(rig.state.ProgressPercent == e.percent.value_or(kMarkerPercent),
                             say(QString::number(rig.state.ProgressPercent)));
                    QVERIFY2(rig.bar().panel(StatusPanel::Version)->text() ==
                                 e.versionPanel.value_or(kMarker),
                             say(QStringLiteral("version panel")));
                    ++cells;
                }
            }
        }
        rig.state.setConnectState(ConnectState::NotConnected);
    }
    QCOMPARE(cells, 4 * 6 * 2 * 2);
}

QTEST_MAIN(PageStatusTest)
#include "test_pagestatus.moc"
