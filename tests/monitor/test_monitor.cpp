// The monitor's value display on its own, and the monitor page offscreen beside
// the configuration page on the shipped variable map: which controls the
// sections show, the pin captions with and without a unit, the indicators' rules,
// colours and the page's status drawing. No unit is involved; the page against
// hvc-sim is test_monitor_live.

#include "config/frmconfig.h"
#include "config/programpages.h"
#include "core/prompter.h"
#include "monitor/frmmonitor.h"
#include "monitor/joymonitor.h"
#include "monitor/trendbuffer.h"
#include "shell/mainbar.h"
#include "shell/sectioncolours.h"
#include "support/commandsurface.h"
#include "support/shippedrecords.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace hvc;

namespace {

// Both pages over a catalogue whose records hold what a Read All of a unit at its
// defaults leaves, with the unit's words changed by `unit` first.
struct PageRig {
    explicit PageRig(const std::function<void(PageRig&)>& unit = {})
        : context(state, QCoreApplication::applicationDirPath(),
                  QCoreApplication::applicationDirPath() + QStringLiteral("/res")) {
        state.setPrompter(&prompter);
        test::loadShippedRecordsAsRead(state, prompter);
        if (unit)
            unit(*this);
        context.colours = SchemeColours(0);
        config = std::make_unique<FrmConfig>(context);
        page = std::make_unique<FrmMonitor>(context);
        ShowConfigPageOnMonitor(page.get(), config.get());
        page->resize(1000, 560);
        page->show();
    }
    CVarData& var(HvcId id) { return *state.catalogue.Find(id); }
    void unitWord(HvcId id, std::int32_t value) { var(id).ReadE2FromECU(value); }
    // Connected to a unit whose words are as set, and the page drawn for it.
    void drawConnected() {
        state.setConnectState(ConnectState::Connected);
        page->DrawVisibleObject();
    }
    template <typename T = QWidget> T* child(const QString& name) const {
        T* w = page->findChild<T*>(name);
        if (!w)
            qWarning("no control %s", qPrintable(name));
        return w;
    }
    QLabel* label(const QString& name) const { return child<QLabel>(name); }
    JoyMonitor* display(const QString& name) const { return child<JoyMonitor>(name); }
    bool shown(const QString& name) const { return !child(name)->isHidden(); }

    AppState state;
    ScriptedPrompter prompter;
    ShellContext context;
    std::unique_ptr<FrmConfig> config;
    std::unique_ptr<FrmMonitor> page;
};

QString at(const char* base, int i) {
    return QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(i);
}

bool lit(const QLabel* label) {
    return label->palette().color(QPalette::Window) == QColor(0, 0, 255) &&
           label->palette().color(QPalette::WindowText) == QColor(Qt::white);
}

bool dark(const QLabel* label) {
    return label->palette().color(QPalette::Window) == QColor(Qt::white) &&
           label->palette().color(QPalette::WindowText) ==
               QApplication::palette().color(QPalette::WindowText);
}

bool containsColour(const QImage& image, const QColor& colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

const char* const kSectionControls[] = {"lblJoy",        "JoyDisplay",  "LblPin",
                                        "JoyMonitorVal", "MagADisplay", "lblValveA",
                                        "lblValveB",     "lblCurrent",  "IMeasure"};

} // namespace

class MonitorTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void displayNumberAndScale();
    void displayGestures();
    void displayLooksOffWhenNotMonitored();
    void trendBufferKeepsTheLastWindow();
    void controlsNamedAndAccessible();
    void sectionsDrawn_data();
    void sectionsDrawn();
    void captionsWithoutUnit();
    void captionsFromTheUnit();
    void indicatorsFollowTheStatusWords();
    void unwatchedValveShowsNothing();
    void pictures();
    void colours();
    void drawBar();
    void recordingRefusedFile();
};

void MonitorTest::displayNumberAndScale() {
    CVarData battery;
    battery.Index = 42;
    battery.ConvText = QStringLiteral("V");
    JoyMonitor d(-1);
    QCOMPARE(d.VarID(), 0);
    d.setBoundVar(&battery);
    QCOMPARE(d.VarID(), 42);
    QCOMPARE(d.displayText(), QStringLiteral("--- V"));
    QCOMPARE(d.scaleFraction(), 0.0);

    d.setScaleMax(30);
    d.setNumberFormat(QStringLiteral("####0.0"));
    d.UpdateDisplay(24.56);
    QCOMPARE(d.displayText(), QStringLiteral("24.6 V"));
    QCOMPARE(d.accessibleDescription(), d.displayText());
    QVERIFY(qAbs(d.scaleFraction() - 24.56 / 30) < 1e-9);
    d.setNumberFormat(QStringLiteral("###0"));
    QCOMPARE(d.displayText(), QStringLiteral("25 V"));
    d.UpdateDisplay(-0.2);
    QCOMPARE(d.displayText(), QStringLiteral("0 V"));

    // Values beyond the scale pin the bar at its ends; a scale without width draws none.
    QCOMPARE(d.scaleFraction(), 0.0);
    d.UpdateDisplay(45);
    QCOMPARE(d.scaleFraction(), 1.0);
    d.setScaleMin(30);
    QCOMPARE(d.scaleFraction(), 0.0);
    d.clearValue();
    QCOMPARE(d.displayText(), QStringLiteral("--- V"));
}

void MonitorTest::displayGestures() {
    JoyMonitor d(2);
    d.resize(160, 40);
    d.show();
    QSignalSpy a(&d, &JoyMonitor::ControlEventA);
    QSignalSpy b(&d, &JoyMonitor::ControlEventB);

    QTest::mouseClick(&d, Qt::LeftButton);
    QVERIFY(!d.MonitorEnable());
    QCOMPARE(a.count(), 1);
    QCOMPARE(a.at(0).at(0).toInt(), 2);
    QCOMPARE(d.displayText(), QStringLiteral("not monitored"));
    QCOMPARE(d.accessibleDescription(), QStringLiteral("not monitored"));

    d.setFocus();
    QTest::keyClick(&d, Qt::Key_Space);
    QVERIFY(d.MonitorEnable());
    QCOMPARE(a.count(), 2);

    // The context menu's entry reports the other event, and shows the state.
    auto* entry = d.findChild<QAction*>(QStringLiteral("actMonitorValue"));
    QVERIFY(entry && d.actions().contains(entry));
    QCOMPARE(entry->text(), QStringLiteral("Monitor this value"));
    QVERIFY(entry->isChecked());
    entry->trigger();
    QVERIFY(!d.MonitorEnable());
    QVERIFY(!entry->isChecked());
    QCOMPARE(b.count(), 1);
    QCOMPARE(b.at(0).at(0).toInt(), 2);
    QCOMPARE(a.count(), 2);

    // Set by the page, the state changes without an event.
    d.setMonitorEnable(true);
    QVERIFY(entry->isChecked());
    QCOMPARE(a.count() + b.count(), 3);
}

void MonitorTest::displayLooksOffWhenNotMonitored() {
    const QColor main(0, 200, 0);
    for (bool option : {true, false}) {
        JoyMonitor d(0);
        d.setMainColor(main);
        d.setSecondColor(Qt::white);
        d.setDisplayOption(option);
        d.UpdateDisplay(60);
        d.resize(d.sizeHint().expandedTo(QSize(160, 0)));
        QVERIFY(containsColour(d.grab().toImage(), main));
        d.setMonitorEnable(false);
        QVERIFY2(!containsColour(d.grab().toImage(), main), option ? "bar" : "number only");
    }
    // Without the bar the control is lower.
    JoyMonitor bar(0);
    JoyMonitor number(0);
    number.setDisplayOption(false);
    QVERIFY(number.sizeHint().height() < bar.sizeHint().height());
}

void MonitorTest::trendBufferKeepsTheLastWindow() {
    TrendBuffer buffer(2, 60);
    for (int t = 0; t <= 100; ++t)
        buffer.append(0, t, t * 2.0);
    QCOMPARE(buffer.points(0).size(), size_t{61});
    QCOMPARE(buffer.points(0).front(), QPointF(40, 80));
    // A series that stopped receiving points is emptied as time goes on.
    buffer.append(1, 10, 1);
    buffer.trim(100);
    QVERIFY(buffer.points(1).empty());
    QCOMPARE(buffer.newest(), 100.0);
    buffer.trim(130);
    QCOMPARE(buffer.points(0).front().x(), 70.0);
    QCOMPARE(buffer.pointList(0).size(), 31);
}

void MonitorTest::controlsNamedAndAccessible() {
    PageRig rig;
    FrmMonitor& page = *rig.page;
    QCOMPARE(page.objectName(), QStringLiteral("FrmMonitor"));
    QCOMPARE(page.page(), Page::Monitor);
    QCOMPARE(page.HelpPage(), 26);
    QCOMPARE(page.CheckDataToWrite(), QString());
    for (const char* name :
         {"FrmErr", "ShpErr", "LblErr", "ImgECU", "ImgVbb", "JoyMonitorVbb", "LblPinDM", "LblPinSL",
          "lblVCUType", "Line0", "Line3", "CmdRecord", "TrendPlot", "ChkPause"})
        QVERIFY2(page.findChild<QWidget*>(QString::fromLatin1(name)), name);
    for (int i = 0; i < 4; ++i) {
        for (const char* base : kSectionControls)
            QVERIFY(rig.child(at(base, i)));
        for (const char* base :
             {"lblDinLJoy", "lblDinHJoy", "lblHSDA", "lblHSDB", "JoyMonitorRed", "LblFL"})
            QVERIFY(rig.child(at(base, i)));
    }
    for (int k = 0; k < 8; ++k)
        QVERIFY(rig.child(at("lblDin", k)));
    QCOMPARE(rig.label(QStringLiteral("LblErr"))->text(), QStringLiteral("NOT READY"));

    const QList<QPair<const char*, const char*>> names = {
        {"JoyMonitorVal_1", "Joystick 2 position"},
        {"IMeasure_2", "Current section 3 [mA]"},
        {"JoyMonitorVbb", "Battery voltage [V]"},
        {"lblHSDB_1", "Output 2B"},
        {"lblValveA_3", "Valve 4A"},
        {"FrmErr", "Ready state"},
        {"LblErr", "Ready state"}};
    for (const auto& [name, accessible] : names)
        QCOMPARE(rig.child(QString::fromLatin1(name))->accessibleName(),
                 QString::fromLatin1(accessible));
    // Every indicator and value display says what it is (captions name their field).
    for (QWidget* w : page.findChildren<QWidget*>()) {
        const QString n = w->objectName();
        const auto* label = qobject_cast<QLabel*>(w);
        if (label && label->buddy())
            continue;
        if (qobject_cast<JoyMonitor*>(w) || n.startsWith(QLatin1String("lbl")) ||
            n.startsWith(QLatin1String("Lbl")))
            QVERIFY2(!w->accessibleName().isEmpty() || n.startsWith(QLatin1String("lblDin_")) ||
                         n == QLatin1String("lblVCUType"),
                     qPrintable(n));
    }
    // The captions name their value displays.
    QCOMPARE(rig.label(at("lblCurrent", 2))->buddy(), rig.child(at("IMeasure", 2)));
    const QLabel* joyTitle = rig.child(at("lblJoy", 0))->findChild<QLabel*>();
    QCOMPARE(joyTitle->text(), QStringLiteral("Joystick 1"));
    QCOMPARE(joyTitle->buddy(), rig.child(at("JoyMonitorVal", 0)));

    // The value displays take the scales of their values.
    QCOMPARE(rig.display(QStringLiteral("JoyMonitorVbb"))->ScaleMax(), 30);
    QVERIFY(!rig.display(QStringLiteral("JoyMonitorVbb"))->DisplayOption());
    QCOMPARE(rig.display(at("IMeasure", 0))->LevelA(), 50);
    QCOMPARE(
        rig.display(at("IMeasure", 0))->ScaleMax(),
        std::max({rig.var(HvcId::HVC_I0_MAX).E2InECU, rig.var(HvcId::HVC_I1_MAX).E2InECU,
                  rig.var(HvcId::HVC_I0_SDM_MAX).E2InECU, rig.var(HvcId::HVC_I1_SDM_MAX).E2InECU}));
    QCOMPARE(rig.display(at("JoyMonitorVal", 3))->VarID(),
             rig.state.catalogue.IdIndex(HvcId::HVC_JOY3_VALUE));
}

void MonitorTest::sectionsDrawn_data() {
    QTest::addColumn<int>("sections");
    for (int n = 1; n <= 4; ++n)
        QTest::addRow("%d sections", n) << n;
    QTest::addRow("0 shows one") << 0;
    QTest::addRow("7 shows four") << 7;
}

void MonitorTest::sectionsDrawn() {
    QFETCH(int, sections);
    PageRig rig([&](PageRig& r) { r.unitWord(HvcId::HVC_NUM_PROP_REG, sections); });
    const int shown = std::clamp(sections, 1, 4);
    for (int i = 0; i < 4; ++i) {
        for (const char* base : kSectionControls)
            QVERIFY2(rig.shown(at(base, i)) == (i < shown), qPrintable(at(base, i)));
        QCOMPARE(rig.shown(QStringLiteral("Line%1").arg(i)), i < shown);
        QVERIFY(!rig.shown(at("JoyMonitorRed", i)));
        // All eight power outputs, with their pins.
        QVERIFY(rig.shown(at("lblHSDA", i)) && rig.shown(at("lblHSDB", i)));
    }
    for (int k = 0; k < 8; ++k)
        QVERIFY(!rig.shown(at("lblDin", k)));
    QVERIFY(!rig.shown(QStringLiteral("lblVCUType")));
    QVERIFY(rig.shown(QStringLiteral("JoyMonitorVbb")));
    QCOMPARE(rig.label(at("lblHSDA", 0))->toolTip(), QStringLiteral("D2.11 (OUT_1)"));
    QCOMPARE(rig.label(at("lblHSDB", 0))->toolTip(), QStringLiteral("D2.02 (OUT_2)"));
    QCOMPARE(rig.label(at("lblHSDA", 2))->toolTip(), QStringLiteral("D2.06 (OUT_5)"));
    QCOMPARE(rig.label(at("lblHSDB", 3))->toolTip(), QStringLiteral("D2.01 (OUT_8)"));
    // A pass reads the joystick and current of every shown section and the battery.
    QCOMPARE(rig.page->model().polledCount(), 2 * shown + 1);
}

void MonitorTest::captionsWithoutUnit() {
    PageRig rig([](PageRig& r) { r.unitWord(HvcId::HVC_JOY_1_CONFIG, 0x3202); });
    for (int i = 0; i < 4; ++i) {
        const QLabel* mine = rig.label(at("LblPin", i));
        const QLabel* theirs = rig.config->findChild<QLabel*>(at("LblPin", i));
        QCOMPARE(mine->text(), theirs->text());
        QCOMPARE(mine->toolTip(), QStringLiteral("Pin connection"));
        QVERIFY(mine->isEnabled());
        QVERIFY(!rig.shown(at("lblDinLJoy", i)) && !rig.shown(at("lblDinHJoy", i)));
    }
    QCOMPARE(rig.label(at("LblPin", 1))->text(), QStringLiteral("DI_02-DI_03"));
    for (const QString& name : {QStringLiteral("LblPinDM"), at("LblFL", 3)})
        QCOMPARE(rig.label(name)->toolTip(), QStringLiteral("Pin connection"));
}

void MonitorTest::captionsFromTheUnit() {
    PageRig rig([](PageRig& r) {
        r.unitWord(HvcId::HVC_JOY_0_CONFIG, 0x0051);
        r.unitWord(HvcId::HVC_JOY_1_CONFIG, 0x3202);
        r.unitWord(HvcId::HVC_JOY_2_CONFIG, 0x00F0);
        r.unitWord(HvcId::HVC_JOY_3_CONFIG, 0x0081);
        r.unitWord(HvcId::HVC_FLOAT_CONFIG_1, 0);
        r.unitWord(HvcId::HVC_FLOAT_CONFIG_2, 0x00C3);
    });
    const QString before = rig.label(at("LblPin", 3))->text();
    rig.drawConnected();
    auto pin = [&rig](int i) { return rig.label(at("LblPin", i)); };

    QCOMPARE(pin(0)->text(), QStringLiteral("Z axis"));
    QVERIFY(pin(0)->isEnabled());
    QVERIFY(!rig.shown(at("lblDinLJoy", 0)) && !rig.shown(at("lblDinHJoy", 0)));

    // A digital joystick: its pin greyed, its two inputs shown and watched.
    QVERIFY(!pin(1)->isEnabled());
    QVERIFY(rig.shown(at("lblDinLJoy", 1)) && rig.shown(at("lblDinHJoy", 1)));
    QCOMPARE(rig.label(at("lblDinLJoy", 1))->text(), QStringLiteral("DI_02"));
    QCOMPARE(rig.label(at("lblDinHJoy", 1))->text(), QStringLiteral("DI_03"));
    QCOMPARE(rig.label(at("lblDinHJoy", 1))->accessibleName(),
             QStringLiteral("Joystick 2 high input DI_03"));

    QCOMPARE(pin(2)->text(), QStringLiteral("OFF"));
    QCOMPARE(pin(3)->text(), before); // an axis code without a text
    for (int i = 0; i < 4; ++i)
        QCOMPARE(pin(i)->toolTip(), QStringLiteral("Pin connection"));

    for (const QString& name :
         {QStringLiteral("LblPinDM"), QStringLiteral("LblPinSL"), at("LblFL", 0), at("LblFL", 1)})
        QCOMPARE(rig.label(name)->text(), QStringLiteral("N.C."));
    QCOMPARE(rig.label(at("LblFL", 2))->text(), QStringLiteral("DI_03"));
    QCOMPARE(rig.label(at("LblFL", 3))->text(), QStringLiteral("DI_12"));
    QCOMPARE(rig.label(QStringLiteral("LblPinDM"))->accessibleName(),
             QStringLiteral("Dead Man input N.C."));

    // Each indicator watches its own input; "N.C." watches input 0.
    rig.page->UpdateActiveDin(1u << 3);
    QVERIFY(lit(rig.label(at("lblDinHJoy", 1))));
    QVERIFY(lit(rig.label(at("LblFL", 2))));
    QVERIFY(dark(rig.label(at("lblDinLJoy", 1))));
    QVERIFY(dark(rig.label(QStringLiteral("LblPinDM"))));
    rig.page->UpdateActiveDin(1u << 0 | 1u << 12);
    QVERIFY(lit(rig.label(QStringLiteral("LblPinDM"))));
    QVERIFY(lit(rig.label(at("LblFL", 1))));
    QVERIFY(lit(rig.label(at("LblFL", 3))));
    QVERIFY(dark(rig.label(at("LblFL", 2))));
    QCOMPARE(rig.label(at("LblFL", 3))->accessibleDescription(), QStringLiteral("active"));

    // Without the unit again, the captions are the configuration page's.
    rig.state.setConnectState(ConnectState::NotConnected);
    rig.page->DrawVisibleObject();
    QVERIFY(pin(1)->isEnabled());
    QVERIFY(!rig.shown(at("lblDinLJoy", 1)));
    QCOMPARE(pin(0)->text(), rig.config->findChild<QLabel*>(at("LblPin", 0))->text());
}

void MonitorTest::indicatorsFollowTheStatusWords() {
    PageRig rig;
    FrmMonitor& page = *rig.page;
    QLabel* lblErr = rig.label(QStringLiteral("LblErr"));
    QLabel* shpErr = rig.label(QStringLiteral("ShpErr"));
    page.UpdateErrObj(0x0040);
    QCOMPARE(lblErr->text(), QStringLiteral("READY"));
    QCOMPARE(lblErr->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QCOMPARE(shpErr->palette().color(QPalette::Window), QColor(0, 0, 255));
    page.UpdateErrObj(0x0041);
    QCOMPARE(lblErr->text(), QStringLiteral("NOT READY"));
    QCOMPARE(lblErr->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(shpErr->palette().color(QPalette::Window), QColor(255, 0, 0));
    QCOMPARE(rig.child(QStringLiteral("FrmErr"))->accessibleDescription(),
             QStringLiteral("NOT READY"));

    page.UpdateActiveOutput(0x0005);
    for (int i = 0; i < 4; ++i) {
        const bool on = i <= 1;
        QCOMPARE(lit(rig.label(at("lblValveA", i))), on);
        QCOMPARE(lit(rig.label(at("lblHSDA", i))), on);
        QVERIFY(dark(rig.label(at("lblValveB", i))));
        QVERIFY(dark(rig.label(at("lblHSDB", i))));
    }
    page.UpdateActiveOutput(0x0080);
    QVERIFY(lit(rig.label(at("lblHSDB", 3))) && lit(rig.label(at("lblValveB", 3))));
    QVERIFY(dark(rig.label(at("lblHSDA", 0))));
    QCOMPARE(rig.label(at("lblHSDB", 3))->accessibleDescription(), QStringLiteral("on"));
}

void MonitorTest::unwatchedValveShowsNothing() {
    PageRig rig;
    FrmMonitor& page = *rig.page;
    const int joy1 = page.model().displayIndex(at("JoyMonitorVal", 1));
    const int polled = page.model().polledCount();
    page.UpdateActiveOutput(0x000F);
    QTest::mouseClick(rig.display(at("JoyMonitorVal", 1)), Qt::LeftButton);
    QVERIFY(!page.model().display(joy1).MonitorEnable);
    QCOMPARE(page.model().polledCount(), polled - 1);
    QVERIFY(dark(rig.label(at("lblValveA", 1))) && dark(rig.label(at("lblValveB", 1))));
    QVERIFY(lit(rig.label(at("lblValveA", 0))));
    QVERIFY(lit(rig.label(at("lblHSDA", 1)))); // the output itself is still shown

    // The context menu of a current display does the same for its section.
    rig.display(at("IMeasure", 0))
        ->findChild<QAction*>(QStringLiteral("actMonitorValue"))
        ->trigger();
    QVERIFY(dark(rig.label(at("lblValveA", 0))));
    QCOMPARE(page.model().polledCount(), polled - 2);
    // Watched again: the model polls it again; the valves light with the next word.
    QTest::mouseClick(rig.display(at("JoyMonitorVal", 1)), Qt::LeftButton);
    QCOMPARE(page.model().polledCount(), polled - 1);
    // A refresh keeps what the user chose.
    page.RefreshObject();
    QVERIFY(!rig.display(at("IMeasure", 0))->MonitorEnable());
}

void MonitorTest::pictures() {
    PageRig rig([](PageRig& r) { r.unitWord(HvcId::HVC_SOL_TYPE, 1); });
    for (int i = 0; i < 4; ++i) {
        const QLabel* theirs = rig.config->findChild<QLabel*>(at("JoySel", i));
        QCOMPARE(rig.label(at("JoyDisplay", i))->pixmap().cacheKey(), theirs->pixmap().cacheKey());
        QCOMPARE(rig.label(at("JoyDisplay", i))->toolTip(), theirs->toolTip());
        QCOMPARE(rig.label(at("MagADisplay", i))->pixmap().cacheKey(),
                 rig.config->DefaultSolenoidPicture().cacheKey());
    }
    QVERIFY(!rig.label(QStringLiteral("ImgECU"))->pixmap().isNull());
    QCOMPARE(rig.label(QStringLiteral("ImgECU"))->toolTip(), QStringLiteral("CTRLBOX"));
    QVERIFY(!rig.label(QStringLiteral("ImgVbb"))->pixmap().isNull());

    // Solenoid type 2 has no picture; an unknown type, or a live unit, changes nothing.
    rig.unitWord(HvcId::HVC_SOL_TYPE, 2);
    rig.page->MonitorDrawMag();
    QVERIFY(rig.label(at("MagADisplay", 0))->pixmap().isNull());
    rig.unitWord(HvcId::HVC_SOL_TYPE, 0);
    rig.state.setConnectState(ConnectState::Connected);
    rig.page->MonitorDrawMag();
    QVERIFY(rig.label(at("MagADisplay", 0))->pixmap().isNull());
    rig.state.setConnectState(ConnectState::NotConnected);
    rig.unitWord(HvcId::HVC_SOL_TYPE, 5);
    rig.page->MonitorDrawMag();
    QVERIFY(rig.label(at("MagADisplay", 0))->pixmap().isNull());

    // The pictures redraw on the requests other parts raise.
    rig.unitWord(HvcId::HVC_SOL_TYPE, 0);
    QVERIFY(rig.state.DrawMagMonitorEventObj);
    rig.state.DrawMagMonitorEventObj->setValue(1);
    QVERIFY(!rig.label(at("MagADisplay", 0))->pixmap().isNull());
    QCOMPARE(rig.state.DrawMagMonitorEventObj->value(), 0);
}

void MonitorTest::colours() {
    PageRig rig;
    rig.context.colours = SchemeColours(1);
    rig.page->RefreshColour();
    for (int i = 0; i < 4; ++i) {
        const QColor back = ToQColor(rig.context.colours.SectionBackColor[static_cast<size_t>(i)]);
        const QColor fore = ToQColor(rig.context.colours.SectionForeColor[static_cast<size_t>(i)]);
        QCOMPARE(rig.child(at("lblJoy", i))->palette().color(QPalette::Window), back);
        QCOMPARE(rig.label(at("lblCurrent", i))->palette().color(QPalette::Window), back);
        for (const char* base : {"JoyMonitorVal", "IMeasure"}) {
            QCOMPARE(rig.display(at(base, i))->MainColor(), back);
            QCOMPARE(rig.display(at(base, i))->SecondColor(), fore);
        }
        QCOMPARE(rig.child(QStringLiteral("Line%1").arg(i))->palette().color(QPalette::WindowText),
                 back);
    }
}

void MonitorTest::drawBar() {
    PageRig rig;
    test::CommandSurface surface(rig.state);
    MainBar& bar = surface.bar;
    QProgressBar progress;
    auto text = [&surface] { return surface.connectField.text(); };

    rig.state.setConnectState(ConnectState::NotConnected);
    rig.page->DrawBar(bar, &progress, {});
    QCOMPARE(text(), QStringLiteral("Not Connected"));
    QVERIFY(!surface.on("Login") && !surface.on("Logout") && !surface.on("mnuSet_Login"));
    QVERIFY(!rig.child<QPushButton>(QStringLiteral("CmdRecord"))->isEnabled());

    // Connected and idle: the monitor leaves what was drawn before.
    surface.connectField.setText(QStringLiteral("earlier"));
    surface.bar.command(QStringLiteral("Read"))->setEnabled(true);
    rig.state.setConnectState(ConnectState::Connected);
    rig.page->DrawBar(bar, &progress, QStringLiteral("Monitor..."));
    QCOMPARE(text(), QStringLiteral("earlier"));
    QVERIFY(surface.on("Read"));
    QVERIFY(rig.child<QPushButton>(QStringLiteral("CmdRecord"))->isEnabled());

    rig.state.setConnectState(ConnectState::MonitorPolling);
    rig.page->DrawBar(bar, &progress, QStringLiteral("Monitor..."));
    QCOMPARE(text(), QStringLiteral("Monitor..."));
    for (const char* name : {"Read All", "Write All", "Reset", "Read", "Write", "mnuHw_Read"})
        QVERIFY2(!surface.on(name), name);
    QVERIFY(surface.on("Connect") && surface.bar.command(QStringLiteral("Connect"))->isChecked());

    rig.state.setConnectState(ConnectState::Transfer);
    rig.page->DrawBar(bar, &progress, QStringLiteral("Reading..."));
    QCOMPARE(text(), QStringLiteral("Reading..."));
    // The diagnostic page's polling is none of the monitor's business.
    rig.state.setConnectState(ConnectState::DiagnosticPolling);
    rig.page->DrawBar(bar, &progress, QStringLiteral("Diagnostic..."));
    QCOMPARE(text(), QStringLiteral("Reading..."));
}

void MonitorTest::recordingRefusedFile() {
    PageRig rig;
    QTemporaryDir dir;
    rig.page->chooseRecordFile = [&dir] { return dir.path(); }; // a folder
    rig.page->toggleRecording();
    QVERIFY(!rig.page->recording());
    QCOMPARE(rig.prompter.messages.size(), 1);
    QCOMPARE(rig.prompter.messages[0].text, QStringLiteral("Recording failed"));
    QVERIFY(rig.prompter.messages[0].detail.contains(dir.path()));
    // A cancelled file choice starts nothing and says nothing.
    rig.page->chooseRecordFile = [] { return QString(); };
    rig.page->toggleRecording();
    QVERIFY(!rig.page->recording());
    QCOMPARE(rig.prompter.messages.size(), 1);
}

QTEST_MAIN(MonitorTest)
#include "test_monitor.moc"
