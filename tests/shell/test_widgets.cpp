// The shell's pieces on their own: status texts, the parameter field, the
// command line, login, palette, tooltips, wait box, About and the failure box,
// and the commands as a screen reader reaches them.

#include "core/prompter.h"
#include "shell/aboutdialog.h"
#include "shell/balloontip.h"
#include "shell/commandbar.h"
#include "shell/commandline.h"
#include "shell/drawing.h"
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
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <tuple>

using namespace hvc;

class WidgetsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void statusTexts_data();
    void statusTexts();
    void progressAndParamState();
    void commandLine_data();
    void commandLine();
    void login();
    void paletteSchemesFileAndCancel();
    void tooltips();
    void waitBoxAndAbout();
    void failureBoxOffersTheReason();
    void commandsDoThroughAccessibilityWhatAClickDoes();
};

void WidgetsTest::statusTexts_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QString>("model");
    const std::tuple<int, const char*, const char*> rows[] = {
        {0, "----", "---"},       {12345, "v123.45", "---"}, {102, "v001.02", "---"},
        {1, "v000.01", "VCU 1W"}, {4, "v000.04", "VCU 4W"},  {5, "v000.05", "---"}};
    for (const auto& [value, firmware, model] : rows)
        QTest::addRow("%d", value) << value << QString(firmware) << QString(model);
}

void WidgetsTest::statusTexts() {
    QFETCH(int, value);
    QFETCH(QString, firmware);
    QFETCH(QString, model);
    QCOMPARE(firmwareText(value), firmware);
    QCOMPARE(unitModelText(value), model);
}

void WidgetsTest::progressAndParamState() {
    AppState state;
    ScriptedPrompter prompter;
    state.observers.setPrompter(&prompter);
    ShellContext context(state, QStringLiteral("/nonexistent"), QStringLiteral("/nonexistent"));
    test::CommandSurface surface(state);
    QProgressBar progress;
    PlaceholderPage config(context, Page::Config);
    context.activePage = &config;
    state.session.setConnectState(ConnectState::Transfer);
    state.observers.progress.setPercent(33);
    drawStatus(context, surface.bar, &progress, QString());
    QCOMPARE(surface.bar.panels[5]->text(), QStringLiteral("33%"));
    QCOMPARE(progress.value(), 33);

    // The parameter field: unit and working values, while connected only.
    QLineEdit field;
    state.document.flags.fileLoaded(); // the working values may differ
    const std::tuple<ConnectState, bool, const char*, QColor> rows[] = {
        {ConnectState::NotConnected, false, "---", QApplication::palette().color(QPalette::Button)},
        {ConnectState::Connected, false, "PARAMETER DIFF.", QColor(255, 255, 128)},
        {ConnectState::Connected, true, "PARAMETER OK", QColor(0, 192, 0)}};
    for (const auto& [connected, read, text, colour] : rows) {
        state.session.setConnectState(connected);
        if (read)
            state.document.flags.unitRead();
        showParamState(context, &field);
        QCOMPARE(field.text(), QString(text));
        QCOMPARE(field.palette().color(QPalette::Base), colour);
    }
}

// What the options give, as "demo|sim arguments|ports", or the refusal.
void WidgetsTest::commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("result");
    QTest::newRow("plain") << QStringList{} << "no||";
    QTest::newRow("demo and simulator arguments")
        << QStringList{"--demo", "--sim-arg=--scenario", "--sim-arg", "faults"}
        << "demo|--scenario faults|";
    QTest::newRow("ports") << QStringList{"--port", "COM5=/dev/ttyUSB0", "--port=com12=/x y"}
                           << "no||5=/dev/ttyUSB0 12=/x y";
    QTest::newRow("simulator arguments need the demo")
        << QStringList{"--sim-arg=-x"} << "error: --sim-arg needs --demo";
    QTest::newRow("bad port") << QStringList{"--port", "COM0=/dev/x"}
                              << "error: Bad --port value 'COM0=/dev/x': expected COMn=PATH";
    QTest::newRow("stray word") << QStringList{"--demo", "extra"}
                                << "error: Unexpected argument: extra";
}

void WidgetsTest::commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, result);
    CommandLine options;
    if (const Status parsed = options.parse(QStringList{"hvc-configurator"} + arguments); !parsed) {
        QCOMPARE(QStringLiteral("error: ") + parsed.text(), result);
        return;
    }
    QStringList ports;
    for (const auto& [n, path] : options.ports)
        ports << QStringLiteral("%1=%2").arg(n).arg(path);
    QCOMPARE(QStringList(
                 {options.demo ? "demo" : "no", options.simArguments.join(u' '), ports.join(u' ')})
                 .join(u'|'),
             result);
}

void WidgetsTest::login() {
    AppState state;
    ScriptedPrompter prompter;
    state.observers.setPrompter(&prompter);
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
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!state.session.loggedIn);
    }
    prompter.messages.clear();
    LoginDialog dialog(state); // the password in any case
    dialog.findChild<QLineEdit*>("Text1")->setText(QStringLiteral("KorVath"));
    dialog.findChild<QPushButton*>("CmdOk")->click();
    QCOMPARE(prompter.texts(), QStringList{"Login Successful!"});
    QVERIFY(state.session.loggedIn);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void WidgetsTest::paletteSchemesFileAndCancel() {
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("ini")));
    AppState state;
    ShellContext context(state, dir.path(), dir.path());
    const QString file = colourFilePath(context);

    // No file: scheme 0, whose window colours follow the system's.
    frmSectionColourInit(context);
    QCOMPARE(context.colours, schemeColours(0));
    QCOMPARE(toQColor(context.colours.sectionBackColor[2]),
             QApplication::palette().color(QPalette::Base));

    // Cancel after changes: tables, drawings and file as before.
    {
        PaletteDialog dialog(context);
        int redraws = 0;
        connect(&dialog, &PaletteDialog::coloursChanged, [&redraws] { ++redraws; });
        dialog.chooseColour = [](const QColor&) { return QColor(255, 0, 0); };
        dialog.selectScheme(4);
        QCOMPARE(context.colours, schemeColours(4));
        dialog.pickBackColour(1);
        QCOMPARE(context.colours.sectionBackColor[1], 255);
        QCOMPARE(dialog.findChild<QLabel*>("lblSec_2")->palette().color(QPalette::Window),
                 QColor(255, 0, 0));
        dialog.cancel();
        QCOMPARE(context.colours, schemeColours(0));
        QCOMPARE(redraws, 3);
        QVERIFY(!QFile::exists(file));
    }
    // OK writes exactly eight lines, read back as they were.
    {
        PaletteDialog dialog(context);
        dialog.chooseColour = [](const QColor&) { return QColor(0, 0, 255); };
        dialog.selectScheme(2);
        dialog.pickTextColour(3);
        const SectionColours chosen = context.colours;
        QCOMPARE(chosen.sectionForeColor[3], 65536 * 255);
        dialog.saveAndClose();
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll().count('\n'), 8);
        context.colours = schemeColours(5);
        frmSectionColourInit(context);
        QCOMPARE(context.colours, chosen);
    }
    // A line that is not a number, or too few lines: nothing half-read, scheme 0.
    for (const char* text : {"1\n2\nthree\n4\n5\n6\n7\n8\n", " 10 \n20\n30\n40\n50\n60\n"}) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        context.colours = schemeColours(3);
        frmSectionColourInit(context);
        QCOMPARE(context.colours, schemeColours(0));
    }
}

void WidgetsTest::tooltips() {
    QWidget parent;
    parent.resize(120, 40);
    parent.show();
    BalloonTip tip;
    const auto label = [&tip](const char* name) {
        return tip.tipWindow()->findChild<QLabel*>(QString::fromLatin1(name));
    };
    tip.createTip(&parent, QStringLiteral("Body"), QStringLiteral("Title"),
                  BalloonTip::TipIcon::Warning);
    QVERIFY(!label("tipIcon")->pixmap().isNull());
    // A plain tip shows no information icon.
    tip.createTip(&parent, QStringLiteral("Body"), QStringLiteral("Title"),
                  BalloonTip::TipIcon::Info);
    QVERIFY(label("tipIcon")->pixmap().isNull());
    QCOMPARE(tip.icon(), BalloonTip::TipIcon::None);
    tip.createBalloon(&parent, QStringLiteral("Body"), {}, BalloonTip::TipIcon::Info);
    QCOMPARE(tip.icon(), BalloonTip::TipIcon::Info);
    tip.setTipText(QStringLiteral("Changed"));
    QCOMPARE(label("tipText")->text(), QStringLiteral("Changed"));
    tip.setActive(false);
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

void WidgetsTest::waitBoxAndAbout() {
    WaitBox wait;
    wait.drawWaitBar(40, QStringLiteral("Reading..."));
    QVERIFY(wait.isVisible());
    QCOMPARE(wait.progressValue(), 40);
    QCOMPARE(wait.windowTitle(), QStringLiteral("Reading..."));
    wait.drawWaitBar(100, QStringLiteral("Reading..."));
    QVERIFY(!wait.isVisible());

    QCOMPARE(versionLabelText(QStringLiteral("3")), QStringLiteral("Version : 3.0.0"));
    ScriptedPrompter prompter;
    AboutDialog box(prompter);
    QCOMPARE(box.findChild<QLabel*>("lblVersion")->text(), versionLabelText(programVersion()));
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
    QVERIFY(prompter.messageBox(QStringLiteral("plain"), {}, {}, PromptIcon::None)
                ->detailedText()
                .isEmpty());
}

// A screen reader's action is a press that triggers the command, never a bare toggle.
void WidgetsTest::commandsDoThroughAccessibilityWhatAClickDoes() {
    AppState state;
    MainBar bar(state);
    QMainWindow window;
    CommandBar commands(window, bar, {});
    window.show();
    const QString press = QAccessibleActionInterface::pressAction();
    for (QAction* a : commands.toolBar()->actions()) {
        if (a->isSeparator())
            continue;
        QAccessibleInterface* face =
            QAccessible::queryAccessibleInterface(commands.toolBar()->widgetForAction(a));
        QVERIFY2(face && face->actionInterface(), qPrintable(a->objectName()));
        QCOMPARE(face->actionInterface()->actionNames(), QStringList{press});
        QSignalSpy spy(a, &QAction::triggered);
        face->actionInterface()->doAction(press);
        QVERIFY2(spy.size() == 1, qPrintable(a->objectName()));
    }
    QAccessibleInterface* connect = QAccessible::queryAccessibleInterface(
        commands.toolBar()->widgetForAction(bar.command(QStringLiteral("Connect"))));
    QCOMPARE(connect->text(QAccessible::Name), QStringLiteral("Connect"));
    QVERIFY(connect->state().checkable);
}

QTEST_MAIN(WidgetsTest)
#include "test_widgets.moc"
