// The monitor's value display and trend buffer on their own, and the monitor page
// offscreen beside the configuration page on the shipped variable map: which
// controls the sections show, the pin captions with and without a unit, the
// indicators' rules and pictures. No unit is involved; the page against
// hvc-sim is test_monitor_live.

#include "monitor/frmmonitor.h"
#include "monitor/joymonitor.h"
#include "monitor/trendbuffer.h"
#include "support/pagerig.h"

#include <QLabel>
#include <QTemporaryDir>

using namespace hvc;
using test::at;
using Rig = test::PageRig<FrmMonitor, Page::Monitor>;

namespace {

bool lit(const QLabel* label) {
    return label->palette().color(QPalette::Window) == QColor(0, 0, 255) &&
           label->palette().color(QPalette::WindowText) == QColor(Qt::white);
}

bool dark(const QLabel* label) {
    return label->palette().color(QPalette::Window) == QColor(Qt::white);
}

const char* const kSectionControls[] = {"lblJoy",        "JoyDisplay",  "LblPin",
                                        "JoyMonitorVal", "MagADisplay", "lblValveA",
                                        "lblValveB",     "lblCurrent",  "IMeasure"};

} // namespace

class MonitorTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void displayNumberAndScale();
    void trendBufferKeepsTheLastWindow();
    void sectionsDrawn_data();
    void sectionsDrawn();
    void captionsWithAndWithoutTheUnit();
    void indicatorsFollowTheStatusWords();
    void unwatchedValveShowsNothing();
    void picturesAndNames();
    void recordingRefusedFile();
};

void MonitorTest::displayNumberAndScale() {
    UnitVariable battery;
    battery.convText = QStringLiteral("V");
    JoyMonitor d(-1);
    d.setBoundVar(&battery);
    QCOMPARE(d.displayText(), QStringLiteral("--- V"));
    d.setScaleMax(30);
    d.setNumberFormat(QStringLiteral("####0.0"));
    d.updateDisplay(24.56);
    QCOMPARE(d.displayText(), QStringLiteral("24.6 V"));
    QVERIFY(qAbs(d.scaleFraction() - 24.56 / 30) < 1e-9);
    d.updateDisplay(45); // beyond the scale: the bar stops at its end
    QCOMPARE(d.scaleFraction(), 1.0);
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
    buffer.trim(130);
    QCOMPARE(buffer.points(0).front().x(), 70.0);
    QCOMPARE(buffer.pointList(0).size(), 31);
}

void MonitorTest::sectionsDrawn_data() {
    QTest::addColumn<int>("sections");
    for (int n = 0; n <= 4; ++n)
        QTest::addRow("%d sections", n) << n;
    QTest::addRow("7 shows four") << 7;
}

void MonitorTest::sectionsDrawn() {
    QFETCH(int, sections);
    Rig rig([&](Rig& r) { r.unitWord(HvcId::HVC_NUM_PROP_REG, sections); });
    rig.page->activate(); // no link: the model's displays follow the same count
    const int shown = std::clamp(sections, 1, 4);
    for (int i = 0; i < 4; ++i) {
        for (const char* base : kSectionControls)
            QVERIFY2(rig.shown(base, i) == (i < shown), qPrintable(at(base, i)));
        QVERIFY(rig.shown("LblFL", i) == (i < shown)); // "Float i+1" with its section
        // All eight power outputs, with their pins.
        QVERIFY(rig.shown("lblHSDA", i) && rig.shown("lblHSDB", i));
    }
    // A pass reads the joystick and current of every shown section and the battery.
    QCOMPARE(rig.page->model().polledCount(), 2 * shown + 1);
    // The current displays take the largest maximum of their section's currents.
    QCOMPARE(rig.child<JoyMonitor>("IMeasure", 0)->scaleMax(),
             std::max({rig.var(HvcId::HVC_I0_MAX).unitWord, rig.var(HvcId::HVC_I1_MAX).unitWord,
                       rig.var(HvcId::HVC_I0_SDM_MAX).unitWord,
                       rig.var(HvcId::HVC_I1_SDM_MAX).unitWord}));
}

void MonitorTest::captionsWithAndWithoutTheUnit() {
    Rig rig([](Rig& r) {
        r.unitWord(HvcId::HVC_JOY_0_CONFIG, 0x0051);
        r.unitWord(HvcId::HVC_JOY_1_CONFIG, 0x3202);
        r.unitWord(HvcId::HVC_JOY_2_CONFIG, 0x00F0);
        r.unitWord(HvcId::HVC_JOY_3_CONFIG, 0x0081);
        r.unitWord(HvcId::HVC_FLOAT_CONFIG_1, 0);
        r.unitWord(HvcId::HVC_FLOAT_CONFIG_2, 0x00C3);
    });
    auto pin = [&rig](int i) { return rig.child<QLabel>("LblPin", i); };
    auto theirs = [&rig](int i) { return rig.config->findChild<QLabel*>(at("LblPin", i))->text(); };
    // Without a unit the captions are the configuration page's.
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(pin(i)->text(), theirs(i));
        QVERIFY(!rig.shown("lblDinLJoy", i));
    }
    QCOMPARE(pin(1)->text(), QStringLiteral("DI_02-DI_03"));

    rig.state.session.setConnectState(ConnectState::Connected);
    rig.page->drawVisibleObject();
    QCOMPARE(pin(0)->text(), QStringLiteral("Z axis"));
    QVERIFY(pin(0)->isEnabled());
    // A digital joystick: its pin greyed, its two inputs shown and watched.
    QVERIFY(!pin(1)->isEnabled());
    const QPalette greyed = pin(1)->palette();
    QVERIFY(greyed.color(QPalette::Disabled, QPalette::WindowText) !=
            greyed.color(QPalette::Active, QPalette::WindowText));
    QCOMPARE(rig.child<QLabel>("lblDinLJoy", 1)->text(), QStringLiteral("DI_02"));
    QCOMPARE(rig.child<QLabel>("lblDinHJoy", 1)->text(), QStringLiteral("DI_03"));
    QCOMPARE(pin(2)->text(), QStringLiteral("OFF"));
    QCOMPARE(pin(3)->text(), theirs(3)); // an axis code without a text
    QCOMPARE(rig.child<QLabel>("LblFL", 2)->text(), QStringLiteral("DI_03"));
    // Each indicator watches its own input; "N.C." watches input 0.
    rig.page->updateActiveDin(1u << 3);
    QVERIFY(lit(rig.child<QLabel>("lblDinHJoy", 1)) && lit(rig.child<QLabel>("LblFL", 2)));
    QVERIFY(dark(rig.child<QLabel>("lblDinLJoy", 1)));
    QVERIFY(dark(rig.child<QLabel>(QStringLiteral("LblPinDM"))));
    rig.page->updateActiveDin(1u << 0 | 1u << 12);
    QVERIFY(lit(rig.child<QLabel>(QStringLiteral("LblPinDM"))));
    QVERIFY(lit(rig.child<QLabel>("LblFL", 1)) && lit(rig.child<QLabel>("LblFL", 3)));
    QVERIFY(dark(rig.child<QLabel>("LblFL", 2)));
}

void MonitorTest::indicatorsFollowTheStatusWords() {
    Rig rig;
    auto* lblErr = rig.child<QLabel>(QStringLiteral("LblErr"));
    for (const auto& [word, text, colour] : {std::tuple{0x0040, "READY", QColor(0, 0, 255)},
                                             {0x0041, "NOT READY", QColor(255, 0, 0)}}) {
        rig.page->updateErrObj(word);
        QCOMPARE(lblErr->text(), QLatin1String(text));
        QCOMPARE(lblErr->palette().color(QPalette::WindowText), colour);
        QCOMPARE(rig.child<QLabel>(QStringLiteral("ShpErr"))->palette().color(QPalette::Window),
                 colour);
    }
    // Bit 2i is side A of section i, bit 2i+1 side B.
    rig.page->updateActiveOutput(0x0005);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(lit(rig.child<QLabel>("lblValveA", i)), i <= 1);
        QCOMPARE(lit(rig.child<QLabel>("lblHSDA", i)), i <= 1);
        QVERIFY(dark(rig.child<QLabel>("lblValveB", i)) && dark(rig.child<QLabel>("lblHSDB", i)));
    }
    rig.page->updateActiveOutput(0x0080);
    QVERIFY(lit(rig.child<QLabel>("lblHSDB", 3)) && lit(rig.child<QLabel>("lblValveB", 3)));
    QVERIFY(dark(rig.child<QLabel>("lblHSDA", 0)));
}

void MonitorTest::unwatchedValveShowsNothing() {
    Rig rig;
    FrmMonitor& page = *rig.page;
    const int polled = page.model().polledCount();
    page.updateActiveOutput(0x000F);
    QTest::mouseClick(rig.child("JoyMonitorVal", 1), Qt::LeftButton);
    QCOMPARE(page.model().polledCount(), polled - 1);
    QVERIFY(dark(rig.child<QLabel>("lblValveA", 1)) && dark(rig.child<QLabel>("lblValveB", 1)));
    QVERIFY(lit(rig.child<QLabel>("lblValveA", 0)));
    QVERIFY(lit(rig.child<QLabel>("lblHSDA", 1))); // the output itself is still shown
}

void MonitorTest::picturesAndNames() {
    Rig rig([](Rig& r) { r.unitWord(HvcId::HVC_SOL_TYPE, 1); });
    for (int i = 0; i < 4; ++i) {
        const QLabel* theirs = rig.config->findChild<QLabel*>(at("JoySel", i));
        QCOMPARE(rig.child<QLabel>("JoyDisplay", i)->pixmap().cacheKey(),
                 theirs->pixmap().cacheKey());
        QCOMPARE(rig.child<QLabel>("MagADisplay", i)->pixmap().cacheKey(),
                 rig.config->defaultSolenoidPicture().cacheKey());
    }
    // Solenoid type 2 has no picture; the pictures redraw when the configuration
    // page draws its own, and on the request others raise.
    rig.unitWord(HvcId::HVC_SOL_TYPE, 2);
    rig.config->configDrawMag();
    QVERIFY(rig.child<QLabel>("MagADisplay", 0)->pixmap().isNull());
    rig.unitWord(HvcId::HVC_SOL_TYPE, 0);
    rig.page->model().requestMagRedraw();
    QVERIFY(!rig.child<QLabel>("MagADisplay", 0)->pixmap().isNull());
}

void MonitorTest::recordingRefusedFile() {
    Rig rig;
    QTemporaryDir dir;
    rig.page->chooseRecordFile = [&dir] { return dir.path(); }; // a folder
    rig.page->toggleRecording();
    QVERIFY(!rig.page->recording());
    QCOMPARE(rig.prompter.texts(), QStringList{QStringLiteral("Recording failed")});
    QVERIFY(rig.prompter.messages[0].detail.contains(dir.path()));
}

QTEST_MAIN(MonitorTest)
#include "test_monitor.moc"
