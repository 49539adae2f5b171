// The status drawing per page and connection indicator. Every command and panel
// carries a marker before each drawing, once with the commands on and once off,
// so that what a cell leaves alone is seen to stay.

#include "app/programpages.h"
#include "core/prompter.h"
#include "shell/drawing.h"
#include "shell/infopage.h"
#include "shell/mainwindow.h"
#include "shell/placeholderpage.h"
#include "shell/startup.h"
#include "support/commandsurface.h"

#include <QApplication>
#include <QImage>
#include <QMap>
#include <QProgressBar>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <memory>
#include <tuple>

using namespace hvc;
using Shown = QMap<QString, QString>;

namespace {

const QString kMarker = QStringLiteral("marker");
const QString kText = QStringLiteral("Working...");
QString res() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/res");
}
constexpr int kMarkerPercent = 42;

// The commands the rows switch together.
const QMap<QString, QStringList> kGroups = {
    {"all", {"mnuHW_ReadAll", "mnuHW_WriteAll", "Read All", "Write All"}},
    {"rd", {"mnuHw_Reset", "mnuHw_Read", "Reset", "Read"}},
    {"wr", {"mnuHW_Write", "Write"}},
    {"files", {"Load Configuration", "Save Configuration"}},
    {"connect", {"Connect", "mnuHW_Connect"}},
    {"com", {"mnuSet_ComID"}},
    {"baud", {"mnuSet_ComBauldID"}},
    {"help", {"Help", "Info", "mnuHelp_Help", "mnuHelp_Info"}},
    {"login", {"Login", "mnuSet_Login"}},
    {"logout", {"Logout", "mnuSet_Logout"}}};

// The Connect button (pressed, tooltip) and menu item: held while connected, free,
// or pressed and greyed during a transfer, the item keeping its caption.
const QMap<QString, QPair<QString, QString>> kConnect = {
    {"held", {"+connect -com -baud", "pressed Disconnect / Disconnect"}},
    {"free", {"+connect +com -baud", "up Connect / Connect"}},
    {"busy", {"-connect -com -baud", "pressed Connect / marker"}}};

// Everything a drawing may touch, as text.
Shown shown(const MainBar& bar) {
    Shown s;
    for (const char* n : test::kCommandNames)
        s[QString::fromLatin1(n)] = bar.command(QString::fromLatin1(n))->isEnabled() ? "on" : "off";
    const QAction* button = bar.command(QStringLiteral("Connect"));
    s["button"] = QStringLiteral("%1 %2 / %3")
                      .arg(button->isChecked() ? "pressed" : "up", button->toolTip(),
                           bar.command(QStringLiteral("mnuHW_Connect"))->text());
    const QColor base = bar.connectField->palette().color(QPalette::Base);
    const QImage icon = bar.panel(StatusPanel::Icon)->pixmap().toImage();
    const auto is = [&icon](const QString& file) {
        return icon == QIcon(res() + QStringLiteral("/ico/") + file).pixmap(16, 16).toImage();
    };
    s["field"] = QStringLiteral("%1 (%2, %3 icon)")
                     .arg(bar.connectField->text(),
                          base == kGreen                                            ? "green"
                          : base == QApplication::palette().color(QPalette::Button) ? "face"
                                                                                    : base.name(),
                          is("Green 16.ico") ? "green"
                          : is("Red 16.ico") ? "red"
                                             : "no");
    s["version"] = bar.panel(StatusPanel::Version)->text();
    s["percent"] = QStringLiteral("%1 %2")
                       .arg(bar.state.observers.progress.percent())
                       .arg(bar.panel(StatusPanel::Percent)->text());
    return s;
}

void mark(const MainBar& bar, bool on) {
    for (const char* n : test::kCommandNames) {
        bar.command(QString::fromLatin1(n))->setEnabled(on);
        bar.command(QString::fromLatin1(n))->setToolTip(kMarker);
    }
    bar.command(QStringLiteral("Connect"))->setChecked(!on);
    bar.command(QStringLiteral("mnuHW_Connect"))->setText(kMarker);
    bar.connectField->setText(kMarker);
    setFieldColour(bar.connectField, QColor(1, 2, 3));
    bar.panel(StatusPanel::Icon)->setPixmap(QPixmap());
    bar.setPanel(StatusPanel::Version, kMarker);
    bar.setPanel(StatusPanel::Percent, kMarker);
    bar.state.observers.progress.setPercent(kMarkerPercent);
}

void apply(Shown& s, const QString& changes) {
    for (const QString& change : changes.split(u' ', Qt::SkipEmptyParts)) {
        if (kConnect.contains(change)) {
            apply(s, kConnect[change].first);
            s["button"] = kConnect[change].second;
        } else if (change == QLatin1String("%0")) {
            s["percent"] = QStringLiteral("0 0%");
        } else {
            for (const QString& n : kGroups[change.mid(1)])
                s[n] = change[0] == u'+' ? "on" : "off";
        }
    }
}

// A page's own drawing, without the window: the stand-in pages draw through the
// same table as the program's pages; the information page is itself.
std::unique_ptr<PageForm> standIn(ShellContext& context, Page page) {
    if (page == Page::Info)
        return std::make_unique<InfoPage>(context);
    return std::make_unique<PlaceholderPage>(context, page);
}

struct Surface {
    Surface() {
        state.observers.setPrompter(&prompter);
        context.loadPictures();
        surface.bar.greenIcon = context.pictures.greenIcon;
        surface.bar.redIcon = context.pictures.redIcon;
    }
    void draw(PageForm& page) {
        context.activePage = &page;
        drawStatus(context, surface.bar, &progress, kText);
    }
    AppState state;
    ScriptedPrompter prompter;
    ShellContext context{state, res(), res()};
    test::CommandSurface surface{state};
    QProgressBar progress;
};

} // namespace

class PageStatusTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void table_data();
    void table();
    void realPagesDrawTheirRows();
};

void PageStatusTest::table_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("indicator");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("changes");
    // The cells that draw something (page -1: every page); the others draw nothing.
    const std::tuple<int, int, const char*, const char*> cells[] = {
        {-1, 0, "Not Connected", "-all -rd -wr free %0"},
        {-1, 2, "Working...", "-all -rd -wr busy"},
        {int(Page::Config), 1, "Connected", "-all +rd +wr +files held %0"},
        {int(Page::Debugger), 1, "Connected", "-all -rd -wr held %0"},
        {int(Page::Info), 1, "Connected", "-all +rd -wr +files held %0"},
        {int(Page::Monitor), 3, "Working...", "-all -rd -wr held"},
        {int(Page::Diagnostic), 4, "Working...", "-all -rd -wr held"},
        {int(Page::Debugger), 5, "Working...", "-all -rd -wr held"}};
    const char* const names[] = {"configuration", "monitor", "diagnostic", "debugger", "info"};
    for (int page = 0; page < 5; ++page) {
        for (int indicator = 0; indicator <= 5; ++indicator) {
            QString field, changes;
            for (const auto& [p, i, f, c] : cells) {
                if ((p == page || p < 0) && i == indicator) {
                    field = QString::fromLatin1(f);
                    changes = QString::fromLatin1(c);
                }
            }
            QTest::addRow("%s %d", names[page], indicator) << page << indicator << field << changes;
        }
    }
}

void PageStatusTest::table() {
    QFETCH(int, page);
    QFETCH(int, indicator);
    QFETCH(QString, field);
    QFETCH(QString, changes);
    Surface s;
    const MainBar& bar = s.surface.bar;
    const std::unique_ptr<PageForm> form = standIn(s.context, Page(page));
    for (bool loggedIn : {false, true}) {
        for (bool markedOn : {false, true}) {
            s.state.session.setConnectState(ConnectState(indicator));
            s.state.session.loggedIn = loggedIn;
            mark(bar, markedOn);
            Shown want = shown(bar);
            want["percent"] = QStringLiteral("%1 %1%").arg(kMarkerPercent);
            apply(want, changes + QStringLiteral(" +help"));
            if (field == QLatin1String("Not Connected"))
                want["field"] = field + QStringLiteral(" (face, red icon)");
            else if (!field.isEmpty())
                want["field"] = field + QStringLiteral(" (green, green icon)");
            // Login and Logout are offered on the debugger only; the version on
            // the configuration page.
            const bool debugger = Page(page) == Page::Debugger;
            apply(want, QStringLiteral("%1login %2logout")
                            .arg(debugger && !loggedIn ? '+' : '-')
                            .arg(debugger && loggedIn ? '+' : '-'));
            if (Page(page) == Page::Config)
                want["version"] = QStringLiteral("v. ") + programVersion();
            s.draw(*form);
            QCOMPARE(shown(bar), want);
        }
    }
}

void PageStatusTest::realPagesDrawTheirRows() {
    AppState state;
    ScriptedPrompter prompter;
    state.observers.setPrompter(&prompter);
    state.observers.progress.setText(kText);
    ShellContext context(state, QCoreApplication::applicationDirPath(), res());
    const std::unique_ptr<MainWindow> window = startUp(context, programPages());
    window->endProgram = [](bool) {};
    window->statusTimer()->stop();
    Surface s;
    for (int tab = 0; tab < window->tabs()->count(); ++tab) {
        state.session.setConnectState(ConnectState::NotConnected);
        window->tabs()->setCurrentIndex(tab);
        const Page page = context.activePage->page();
        const std::unique_ptr<PageForm> form = standIn(s.context, page);
        for (int indicator = 0; indicator <= 5; ++indicator) {
            for (bool loggedIn : {false, true}) {
                for (AppState* st : {&state, &s.state}) {
                    st->session.setConnectState(ConnectState(indicator));
                    st->session.loggedIn = loggedIn;
                }
                mark(window->bar(), true);
                mark(s.surface.bar, true);
                window->drawStatus();
                s.draw(*form);
                QCOMPARE(shown(window->bar()), shown(s.surface.bar));
            }
        }
    }
}

QTEST_MAIN(PageStatusTest)
#include "test_pagestatus.moc"
