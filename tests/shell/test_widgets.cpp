// The shell's pieces on their own: status drawing and the pages' DrawBar, login,
// palette, tooltips, wait box and About.

#include "core/prompter.h"
#include "shell/aboutdialog.h"
#include "shell/balloontip.h"
#include "shell/commandbar.h"
#include "shell/drawing.h"
#include "shell/infopage.h"
#include "shell/logindialog.h"
#include "shell/mainbar.h"
#include "shell/messageboxprompter.h"
#include "shell/palettedialog.h"
#include "shell/placeholderpage.h"
#include "shell/sectioncolours.h"
#include "shell/waitbox.h"
#include "support/commandsurface.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <memory>

using namespace hvc;

namespace {

// The status bar, connection field and commands of a main window, without the window.
struct Surface {
    explicit Surface(const QString& resDir = QStringLiteral("/nonexistent"))
        : context(state, resDir, resDir), surface(state) {
        state.setPrompter(&prompter);
    }
    bool on(const char* name) const { return surface.on(name); }
    void draw(PageForm& page) {
        context.activePage = &page;
        DrawStatus(context, bar, &progress, state.StatusText);
    }

    AppState state;
    ScriptedPrompter prompter;
    ShellContext context;
    hvc::test::CommandSurface surface;
    MainBar& bar = surface.bar;
    QLineEdit& connectField = surface.connectField;
    QProgressBar progress;
};

} // namespace

class WidgetsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void statusTexts_data();
    void statusTexts();
    void drawStatusAndParamState();
    void pageDrawBars();
    void infoPageDrawBarAndEdits();
    void login();
    void paletteSchemesFileAndCancel();
    void tooltips();
    void waitBox();
    void about();
    void failureBoxOffersTheReason();
    void commandsDoThroughAccessibilityWhatAClickDoes();
};

void WidgetsTest::statusTexts_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QString>("model");
    QTest::newRow("zero") << 0 << "----"
                          << "---";
    QTest::newRow("five digits") << 12345 << "v123.45"
                                 << "---";
    QTest::newRow("inner zero") << 10203 << "v102.03"
                                << "---";
    QTest::newRow("round") << 20100 << "v201.00"
                           << "---";
    QTest::newRow("three digits") << 102 << "v001.02"
                                  << "---";
    QTest::newRow("one digit") << 1 << "v000.01"
                               << "VCU 1W";
    QTest::newRow("four") << 4 << "v000.04"
                          << "VCU 4W";
    QTest::newRow("five") << 5 << "v000.05"
                          << "---";
}

void WidgetsTest::statusTexts() {
    QFETCH(int, value);
    QFETCH(QString, firmware);
    QFETCH(QString, model);
    QCOMPARE(FirmwareText(value), firmware);
    QCOMPARE(UnitModelText(value), model);
}

void WidgetsTest::drawStatusAndParamState() {
    Surface s;
    PlaceholderPage config(s.context, Page::Config);
    s.state.setConnectState(ConnectState::Transfer);
    s.state.ProgressPercent = 33;
    s.draw(config);
    QCOMPARE(s.bar.panels[5]->text(), QStringLiteral("33%"));
    QCOMPARE(s.progress.value(), 33);
    // Busy: every transfer command off, Connect pressed and disabled.
    for (const char* off : {"Read All", "Write All", "Reset", "Read", "Write", "mnuHW_Connect",
                            "Connect", "mnuSet_ComID", "mnuSet_ComBauldID"})
        QVERIFY2(!s.on(off), off);
    QVERIFY(s.bar.command("Connect")->isChecked());
    QVERIFY(s.on("Help") && s.on("Info") && s.on("mnuHelp_Help") && s.on("mnuHelp_Info"));

    QLineEdit field;
    s.state.document.fileLoaded(); // the working values may differ
    s.state.setConnectState(ConnectState::NotConnected);
    ShowParamState(s.context, &field);
    QCOMPARE(field.text(), QStringLiteral("---"));
    s.state.setConnectState(ConnectState::Connected);
    ShowParamState(s.context, &field);
    QCOMPARE(field.text(), QStringLiteral("PARAMETER DIFF."));
    QCOMPARE(field.palette().color(QPalette::Base), QColor(255, 255, 128));
    s.state.document.unitRead();
    ShowParamState(s.context, &field);
    QCOMPARE(field.text(), QStringLiteral("PARAMETER OK"));
    QCOMPARE(field.palette().color(QPalette::Base), QColor(0, 192, 0));

    field.setText(QStringLiteral("abc"));
    SelectAllText(&field);
    QCOMPARE(field.selectedText(), QStringLiteral("abc"));

    QWidget parent;
    parent.setGeometry(100, 100, 400, 300);
    QWidget child;
    child.resize(100, 50);
    CenterForm(&child, &parent);
    const QPoint offset = child.frameGeometry().center() - parent.frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 2, "centred on its parent");
}

void WidgetsTest::pageDrawBars() {
    Surface s;
    PlaceholderPage config(s.context, Page::Config);
    PlaceholderPage monitor(s.context, Page::Monitor);
    PlaceholderPage debugger(s.context, Page::Debugger);
    PlaceholderPage diagnostic(s.context, Page::Diagnostic);

    // Configuration page, connected: Read, Write and Reset, not Read All / Write All.
    s.state.setConnectState(ConnectState::Connected);
    s.state.LoggedIn = true;
    s.draw(config);
    for (const char* on : {"Read", "Write", "Reset", "mnuHw_Read", "mnuHW_Write", "mnuHw_Reset",
                           "Load Configuration", "Connect", "mnuHW_Connect"})
        QVERIFY2(s.on(on), on);
    for (const char* off : {"Read All", "Write All", "mnuHW_ReadAll", "Login", "Logout",
                            "mnuSet_ComID", "mnuSet_ComBauldID"})
        QVERIFY2(!s.on(off), off);
    QCOMPARE(s.bar.command("mnuHW_Connect")->text(), QStringLiteral("Disconnect"));
    QCOMPARE(s.bar.command("Connect")->toolTip(), QStringLiteral("Disconnect"));
    QCOMPARE(s.connectField.text(), QStringLiteral("Connected"));
    QCOMPARE(s.bar.panels[3]->text(), QStringLiteral("v. ") + ProgramVersion());

    // Debugger page: no transfer command; Logout while logged in, Login while out.
    s.draw(debugger);
    for (const char* off : {"Read", "Write", "Reset", "Read All", "Write All", "Login"})
        QVERIFY2(!s.on(off), off);
    QVERIFY(s.on("Logout") && s.on("mnuSet_Logout"));
    s.state.LoggedIn = false;
    s.draw(debugger);
    QVERIFY(s.on("Login") && !s.on("Logout"));

    // Monitor page at state 1 changes nothing; while it polls it shows its text.
    s.connectField.setText(QStringLiteral("left over"));
    s.draw(monitor);
    QCOMPARE(s.connectField.text(), QStringLiteral("left over"));
    s.state.setConnectState(ConnectState::MonitorPolling);
    s.state.StatusText = QStringLiteral("Monitoring...");
    s.draw(monitor);
    QCOMPARE(s.connectField.text(), QStringLiteral("Monitoring..."));
    QCOMPARE(s.connectField.palette().color(QPalette::Base), QColor(0, 192, 0));
    QVERIFY(!s.on("Read") && !s.on("Reset"));
    // Another page's polling state is none of the diagnostic page's business.
    s.connectField.setText(QStringLiteral("kept"));
    s.draw(diagnostic);
    QCOMPARE(s.connectField.text(), QStringLiteral("kept"));

    // Disconnected: the same on every page.
    s.state.setConnectState(ConnectState::NotConnected);
    for (PageForm* p :
         std::initializer_list<PageForm*>{&config, &monitor, &debugger, &diagnostic}) {
        s.state.ProgressPercent = 50;
        s.draw(*p);
        QCOMPARE(s.connectField.text(), QStringLiteral("Not Connected"));
        QCOMPARE(s.state.ProgressPercent, 0);
        QVERIFY(!s.on("Read") && !s.on("Write All") && s.on("Connect") && s.on("mnuSet_ComID"));
        QCOMPARE(s.bar.command("mnuHW_Connect")->text(), QStringLiteral("Connect"));
        QVERIFY(!s.bar.command("Connect")->isChecked());
    }

    // The debugger placeholder's controls follow the login.
    QWidget* controls = debugger.findChild<QLineEdit*>("txtAddress");
    s.state.LoggedIn = true;
    debugger.RefreshObject();
    QVERIFY(controls->isEnabled());
    s.state.LoggedIn = false;
    debugger.RefreshObject();
    QVERIFY(!controls->isEnabled());
}

void WidgetsTest::infoPageDrawBarAndEdits() {
    Surface s;
    InfoPage info(s.context);
    s.state.setConnectState(ConnectState::Connected);
    s.state.LoggedIn = true;
    s.draw(info);
    for (const char* on : {"Reset", "Read", "mnuHw_Reset", "mnuHw_Read", "Save Configuration"})
        QVERIFY2(s.on(on), on);
    for (const char* off : {"Write", "mnuHW_Write", "Read All", "Write All", "Login", "Logout"})
        QVERIFY2(!s.on(off), off);
    QCOMPARE(s.bar.command("mnuHW_Connect")->text(), QStringLiteral("Disconnect"));

    QVERIFY(!s.state.document.infoChanged());
    info.findChild<QLineEdit*>("TxtRevision")->setText(QStringLiteral("B"));
    QVERIFY(s.state.document.infoChanged());
    QCOMPARE(s.state.info.revision, QStringLiteral("B"));
    InfoFields f;
    f.author = QStringLiteral("A");
    f.comments = QStringLiteral("x\r\ny");
    f.fileName = QStringLiteral("f.txt");
    info.showFields(f);
    QCOMPARE(info.fields(), f);
    QCOMPARE(s.state.info, f);
    QCOMPARE(info.findChild<QLabel*>("lblName")->text(), QStringLiteral("f.txt"));
}

void WidgetsTest::login() {
    AppState state;
    ScriptedPrompter prompter;
    state.setPrompter(&prompter);
    {
        LoginDialog dialog(state);
        dialog.show();
        auto* text = dialog.findChild<QLineEdit*>("Text1");
        QCOMPARE(text->echoMode(), QLineEdit::Password);
        QTest::keyClicks(text, QStringLiteral("kor'vath "));
        QCOMPARE(text->text(), QStringLiteral("korvath ")); // apostrophe dropped
        dialog.checkPassword();                             // trailing blank: refused
        QCOMPARE(prompter.texts(), QStringList{"Password NOT Correct!"});
        QVERIFY(text->text().isEmpty());
        QVERIFY(dialog.isVisible());
        QVERIFY(!state.LoggedIn);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!state.LoggedIn);
    }
    for (const QString& entry : {QStringLiteral("korvath"), QStringLiteral("KorVath")}) {
        prompter.messages.clear();
        LoginDialog dialog(state);
        dialog.show();
        dialog.findChild<QLineEdit*>("Text1")->setText(entry);
        dialog.findChild<QPushButton*>("CmdOk")->click();
        QCOMPARE(prompter.texts(), QStringList{"Login Successful!"});
        QVERIFY(state.LoggedIn);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
}

void WidgetsTest::paletteSchemesFileAndCancel() {
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("ini")));
    Surface s(dir.path());
    const QString file = ColourFilePath(s.context);

    // No file: scheme 0; window colours stored as system-colour codes.
    frmSectionColourInit(s.context);
    QCOMPARE(s.context.colours, SchemeColours(0));
    QCOMPARE(s.context.colours.SectionBackColor[0], 128);
    QCOMPARE(s.context.colours.SectionBackColor[2], -2147483643);
    QCOMPARE(s.context.colours.SectionForeColor[2], -2147483640);
    QCOMPARE(ToQColor(kSysWindow), QApplication::palette().color(QPalette::Base));

    // Cancel after changes: tables, drawings and file as before.
    {
        PaletteDialog dialog(s.context);
        int redraws = 0;
        connect(&dialog, &PaletteDialog::coloursChanged, [&redraws] { ++redraws; });
        dialog.chooseColour = [](const QColor&) { return QColor(255, 0, 0); };
        dialog.selectScheme(4);
        QCOMPARE(s.context.colours, SchemeColours(4));
        dialog.pickBackColour(1);
        QCOMPARE(s.context.colours.SectionBackColor[1], 255);
        QCOMPARE(dialog.findChild<QLabel*>("lblSec_2")->palette().color(QPalette::Window),
                 QColor(255, 0, 0));
        dialog.cancel();
        QCOMPARE(s.context.colours, SchemeColours(0));
        QCOMPARE(redraws, 3);
        QVERIFY(!QFile::exists(file));
    }
    {
        PaletteDialog dialog(s.context);
        QSignalSpy help(&dialog, &PaletteDialog::helpRequested);
        QTest::keyClick(&dialog, Qt::Key_F1);
        QCOMPARE(help.size(), 1);
        QCOMPARE(help[0][0].toInt(), 36);
    }
    // OK writes exactly eight lines, read back as they were.
    {
        PaletteDialog dialog(s.context);
        dialog.chooseColour = [](const QColor&) { return QColor(0, 0, 255); };
        dialog.selectScheme(2);
        dialog.pickTextColour(3);
        const SectionColours chosen = s.context.colours;
        QCOMPARE(chosen.SectionForeColor[3], 65536 * 255);
        dialog.saveAndClose();
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 9); // eight lines and the empty rest after the last break
        QCOMPARE(lines[0], QByteArray::number(128 + 256 * 64));
        s.context.colours = SchemeColours(5);
        frmSectionColourInit(s.context);
        QCOMPARE(s.context.colours, chosen);
    }
    // A line that is not a number: nothing half-read, scheme 0.
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("1\n2\nthree\n4\n5\n6\n7\n8\n");
        f.close();
        s.context.colours = SchemeColours(3);
        frmSectionColourInit(s.context);
        QCOMPARE(s.context.colours, SchemeColours(0));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(" 10 \n20\n30\n40\n50\n60\n");
        f.close();
        frmSectionColourInit(s.context);
        QCOMPARE(s.context.colours, SchemeColours(0)); // too short
    }
}

void WidgetsTest::tooltips() {
    QWidget parent;
    parent.resize(120, 40);
    parent.show();
    BalloonTip tip;
    tip.createTip(&parent, QStringLiteral("Body"), QStringLiteral("Title"),
                  BalloonTip::TipIcon::Warning);
    QVERIFY(tip.tipWindow());
    auto* icon = tip.tipWindow()->findChild<QLabel*>("tipIcon");
    QVERIFY(!icon->pixmap().isNull());
    tip.createTip(&parent, QStringLiteral("Body"), QStringLiteral("Title"),
                  BalloonTip::TipIcon::Info);
    icon = tip.tipWindow()->findChild<QLabel*>("tipIcon");
    QVERIFY(icon->pixmap().isNull());
    QCOMPARE(tip.icon(), BalloonTip::TipIcon::None);
    tip.createBalloon(&parent, QStringLiteral("Body"), {}, BalloonTip::TipIcon::Info);
    QCOMPARE(tip.tipStyle(), BalloonTip::TipStyle::Balloon);
    QCOMPARE(tip.icon(), BalloonTip::TipIcon::Info);

    tip.showTip();
    QVERIFY(tip.tipWindow()->isVisible());
    tip.setTipText(QStringLiteral("Changed"));
    QCOMPARE(tip.tipWindow()->findChild<QLabel*>("tipText")->text(), QStringLiteral("Changed"));
    tip.setTitle(QStringLiteral("Now titled"));
    QCOMPARE(tip.tipWindow()->findChild<QLabel*>("tipTitle")->text(), QStringLiteral("Now titled"));
    tip.setForeColor(QColor(1, 2, 3));
    QCOMPARE(tip.tipWindow()->findChild<QLabel*>("tipText")->palette().color(QPalette::WindowText),
             QColor(1, 2, 3));
    tip.setActive(false);
    QVERIFY(!tip.tipWindow()->isVisible());
    tip.showTip();
    QVERIFY(!tip.tipWindow()->isVisible());
    tip.setActive(true);
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), parent.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&parent, &help);
    QVERIFY(tip.tipWindow()->isVisible());
    tip.remove();
    QVERIFY(!tip.tipWindow());
    QApplication::sendEvent(&parent, &help); // no tip any more, no crash
}

void WidgetsTest::waitBox() {
    WaitBox wait;
    wait.drawWaitBar(40, QStringLiteral("Reading..."));
    QVERIFY(wait.isVisible());
    QCOMPARE(wait.progressValue(), 40);
    QCOMPARE(wait.windowTitle(), QStringLiteral("Reading..."));
    wait.drawWaitBar(100, QStringLiteral("Reading..."));
    QCOMPARE(wait.progressValue(), 100);
    QVERIFY(!wait.isVisible());
}

void WidgetsTest::about() {
    QCOMPARE(VersionLabelText(QStringLiteral("2.1.7")), QStringLiteral("Version : 2.1.7"));
    QCOMPARE(VersionLabelText(QStringLiteral("3")), QStringLiteral("Version : 3.0.0"));
    ScriptedPrompter prompter;
    AboutDialog box(prompter);
    QCOMPARE(box.windowTitle(), QApplication::applicationName() + QStringLiteral("-[Info]"));
    QCOMPARE(box.findChild<QLabel*>("lblVersion")->text(), VersionLabelText(ProgramVersion()));
    if (FindSystemInfoTool().isEmpty()) {
        box.showSystemInfo();
        QCOMPARE(prompter.texts(), QStringList{"System Information Is Unavailable At This Time"});
    }
}

void WidgetsTest::failureBoxOffersTheReason() {
    MessageBoxPrompter prompter(QStringLiteral("HVC"));
    const auto box = prompter.messageBox(
        QStringLiteral("Operation Failed :FAILED!"),
        QStringLiteral("reading I Max 1A (0302.00): time-out after 1000 ms\rreading 0302.00"), {},
        PromptIcon::Critical);
    QCOMPARE(box->text(), QStringLiteral("Operation Failed :FAILED!"));
    QCOMPARE(box->detailedText(),
             QStringLiteral("reading I Max 1A (0302.00): time-out after 1000 ms\nreading 0302.00"));
    QCOMPARE(box->windowTitle(), QStringLiteral("HVC"));
    QVERIFY(prompter.messageBox(QStringLiteral("plain"), {}, {}, PromptIcon::None)
                ->detailedText()
                .isEmpty());
}

void WidgetsTest::commandsDoThroughAccessibilityWhatAClickDoes() {
    AppState state;
    MainBar bar(state);
    QMainWindow window;
    CommandBar commands(window, bar, {});
    window.show();
    QHash<QAction*, int> triggered;
    for (QAction* a : bar.commands)
        QObject::connect(a, &QAction::triggered, &window, [&triggered, a] { ++triggered[a]; });

    // Toolbar buttons: a screen reader's action is a press, never a bare toggle.
    for (QAction* a : commands.toolBar()->actions()) {
        if (a->isSeparator())
            continue;
        auto* button = qobject_cast<QToolButton*>(commands.toolBar()->widgetForAction(a));
        QVERIFY2(button, qPrintable(a->objectName()));
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(button);
        QVERIFY(face && face->actionInterface());
        QVERIFY2(
            face->actionInterface()->actionNames() ==
                QStringList{QAccessibleActionInterface::pressAction()},
            qPrintable(a->objectName() + u' ' + face->actionInterface()->actionNames().join(u',')));
        const int before = triggered.value(a);
        face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY2(triggered.value(a) == before + 1, qPrintable(a->objectName()));
    }
    QAccessibleInterface* connect = QAccessible::queryAccessibleInterface(
        commands.toolBar()->widgetForAction(bar.command(QStringLiteral("Connect"))));
    QCOMPARE(connect->text(QAccessible::Name), QStringLiteral("Connect"));
    QVERIFY(connect->state().checkable);

    // Menu items: pressing an item triggers its command.
    int items = 0;
    for (QMenu* menu : window.menuBar()->findChildren<QMenu*>()) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(menu);
        QVERIFY(face);
        for (int i = 0; i < face->childCount(); ++i) {
            QAccessibleInterface* item = face->child(i);
            QAccessibleActionInterface* act = item ? item->actionInterface() : nullptr;
            if (!act || !act->actionNames().contains(QAccessibleActionInterface::pressAction()))
                continue;
            const QString name = item->text(QAccessible::Name);
            QAction* action = nullptr;
            for (QAction* a : menu->actions())
                if (a->text().remove(u'&') == QString(name).remove(u'&'))
                    action = a;
            QVERIFY2(action, qPrintable(name));
            if (action->menu())
                continue;
            QSignalSpy spy(action, &QAction::triggered);
            act->doAction(QAccessibleActionInterface::pressAction());
            QVERIFY2(spy.size() == 1, qPrintable(name));
            ++items;
        }
    }
    QVERIFY(items >= 30); // every command and every port item
}

QTEST_MAIN(WidgetsTest)
#include "test_widgets.moc"
