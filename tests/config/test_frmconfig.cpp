// The configuration page on the shipped variable map: refresh for every section
// count and system type, currents, ramps and ramp modes, pin captions, pictures,
// colours and edit marks. Questions are answered by a ScriptedPrompter; no unit is
// involved.

#include "core/joycatalogue.h"
#include "shell/csection.h"
#include "shell/pendingmark.h"
#include "support/pagerig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>

using namespace hvc;
using test::nth;
using Rig = test::PageRig<FrmConfig, Page::Config>;

namespace {

const char* const kSectionControls[] = {"lblJoy",  "LblPin",  "JoySel",   "MagA",    "MagB",
                                        "MagAsdm", "MagBsdm", "MagSel",   "LblFreq", "LblAmp",
                                        "RampA",   "RampB",   "ChkBreak", "ChkFull"};

QString restoreWith(int value) {
    return QStringLiteral("Value Not Correct : Restore With '%1' ?").arg(value);
}

} // namespace

class FrmConfigTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refreshBySections_data();
    void refreshBySections();
    void currentControls();
    void currentEditReachesTheRecord();
    void ditherAndSolenoidPictures();
    void rampTyping();
    void rampRestoreQuestion_data();
    void rampRestoreQuestion();
    void rampModes();
    void pinCaptionsAndJoystickPictures();
    void valuesOutsideTheLimitsShowAsTheyAre();
};

void FrmConfigTest::refreshBySections_data() {
    QTest::addColumn<int>("sections");
    QTest::addColumn<int>("systemType");
    for (int n = 1; n <= 4; ++n)
        for (int type : {0, 1})
            QTest::addRow("%d sections, type %s", n, type == 1 ? "P" : "F") << n << type;
}

void FrmConfigTest::refreshBySections() {
    QFETCH(int, sections);
    QFETCH(int, systemType);
    Rig rig([&](Rig& r) {
        r.unitWord(HvcId::HVC_NUM_PROP_REG, sections);
        r.unitWord(HvcId::HVC_SYSTEM_TYPE, systemType);
    });
    for (int i = 0; i < 4; ++i) {
        for (const char* base : kSectionControls)
            QVERIFY2(rig.shown(base, i) == (i < sections), qPrintable(test::at(base, i)));
        QCOMPARE(rig.shown(QStringLiteral("Line%1").arg(i)), i < sections);
    }
    QCOMPARE(rig.child<QComboBox>(QStringLiteral("CmbVCUSysType"))->currentText(),
             systemType == 1 ? QStringLiteral("P") : QStringLiteral("F"));
    QCOMPARE(rig.child<QComboBox>(QStringLiteral("CmbVCUType"))->currentText(),
             QStringLiteral("VCU %1").arg(sections));
}

void FrmConfigTest::currentControls() {
    Rig rig;
    const QStringList labels = {"1A", "1B", "2A", "2B", "3A", "3B", "4A", "4B"};
    for (int k = 0; k < 8; ++k) {
        for (const bool slow : {false, true}) {
            const QString name = QStringLiteral("Mag%1%2_%3")
                                     .arg(k % 2 ? QStringLiteral("B") : QStringLiteral("A"),
                                          slow ? QStringLiteral("sdm") : QString())
                                     .arg(k / 2);
            auto* c = rig.child<CSection>(name);
            const HvcId max = nth(slow ? HvcId::HVC_I0_SDM_MAX : HvcId::HVC_I0_MAX, 2 * k);
            QCOMPARE(c->solenoidLabel(), labels[k]);
            QCOMPARE(c->maxVar(), &rig.var(max));
            QCOMPARE(c->minVar(),
                     &rig.var(nth(slow ? HvcId::HVC_I0_SDM_MIN : HvcId::HVC_I0_MIN, 2 * k)));
            QCOMPARE(c->minField()->value(), c->minVar()->shownValue);
            // The largest allowed current can be set.
            QCOMPARE(c->maxField()->maximum(), int(rig.var(max).maxValue));
            QCOMPARE(c->maxSlider()->maximum(), int(rig.var(max).maxValue));
        }
    }
}

void FrmConfigTest::currentEditReachesTheRecord() {
    Rig rig;
    auto* magA0 = rig.child<CSection>(QStringLiteral("MagA_0"));
    // Typed and confirmed with Enter.
    QSpinBox* max = magA0->maxField();
    max->setFocus();
    max->selectAll();
    QTest::keyClicks(max, QStringLiteral("950"));
    QTest::keyClick(max, Qt::Key_Return);
    QCOMPARE(rig.word(HvcId::HVC_I0_MAX), 950);
    QCOMPARE(magA0->maxSlider()->value(), 950);
    QVERIFY(!rig.state.document.flags.dataUnchanged());
    // The slider moves the number, and the limits of the record hold: the
    // maximum itself is taken.
    magA0->minSlider()->setValue(420);
    QCOMPARE(magA0->minField()->value(), 420);
    QCOMPARE(rig.word(HvcId::HVC_I0_MIN), 420);
    magA0->minField()->setValue(99999);
    QCOMPARE(rig.word(HvcId::HVC_I0_MIN), rig.var(HvcId::HVC_I0_MIN).maxValue);
    // Binding the records again (a refresh) is not an edit.
    rig.state.document.flags.unitRead();
    rig.page->refreshObject();
    QVERIFY(rig.state.document.flags.dataUnchanged());
    QCOMPARE(max->value(), 950);
}

void FrmConfigTest::ditherAndSolenoidPictures() {
    Rig rig([](Rig& r) {
        r.unitWord(HvcId::HVC_DITHER_FREQ, 100);
        r.unitWord(HvcId::HVC_DITHER_AMP, 50);
        r.unitWord(HvcId::HVC_SOL_TYPE, 1);
    });
    QCOMPARE(rig.child<QLabel>("LblFreq", 2)->text(), QStringLiteral("100 Hz"));
    QCOMPARE(rig.child<QLabel>("LblAmp", 2)->text(), QStringLiteral("50 mA"));
    QVERIFY(!rig.child<QLabel>("MagSel", 1)->pixmap().isNull());
}

void FrmConfigTest::rampTyping() {
    Rig rig([](Rig& r) {
        for (int k = 0; k < 8; ++k) {
            r.unitWord(nth(HvcId::HVC_RAMP_TRISE_0, k), 100 + k);
            r.unitWord(nth(HvcId::HVC_RAMP_TFALL_0, k), 200 + k);
        }
    });
    for (int k = 0; k < 8; ++k) {
        QCOMPARE(rig.child<QLineEdit>("TxtTRise", k)->text(), QString::number(100 + k));
        QCOMPARE(rig.child<QLineEdit>("TxtTFall", k)->text(), QString::number(200 + k));
        QCOMPARE(rig.child<QScrollBar>("hscTRise", k)->value(), 100 + k);
    }

    // Each number within the limits is taken at once; other keys do nothing.
    QLineEdit* rise3 = rig.child<QLineEdit>("TxtTRise", 3);
    rise3->setFocus();
    rise3->selectAll();
    QTest::keyClicks(rise3, QStringLiteral("7a-5 0"));
    QCOMPARE(rise3->text(), QStringLiteral("750"));
    QCOMPARE(rig.word(HvcId::HVC_RAMP_TRISE_3), 750);
    // The fall time of the solenoid and the other rise times are untouched.
    QCOMPARE(rig.word(HvcId::HVC_RAMP_TFALL_3), 203);
    QCOMPARE(rig.word(HvcId::HVC_RAMP_TRISE_2), 102);

    // Moving the bar writes the box and the record; the unit keeps its value.
    rig.child<QScrollBar>("hscTFall", 3)->setValue(750);
    QCOMPARE(rig.child<QLineEdit>("TxtTFall", 3)->text(), QStringLiteral("750"));
    QCOMPARE(rig.word(HvcId::HVC_RAMP_TFALL_3), 750);
    QCOMPARE(rig.var(HvcId::HVC_RAMP_TFALL_3).unitWord, 203);
}

void FrmConfigTest::rampRestoreQuestion_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("focusOut"); // or Return
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("stored");
    QTest::newRow("above, Return, yes") << "2500" << false << true << "500" << 500;
    QTest::newRow("below, no") << "" << false << false << "0" << 900;
    QTest::newRow("focus leaves, yes") << "9999" << true << true << "500" << 500;
}

void FrmConfigTest::rampRestoreQuestion() {
    QFETCH(QString, typed);
    QFETCH(bool, focusOut);
    QFETCH(bool, answer);
    QFETCH(QString, shown);
    QFETCH(int, stored);
    Rig rig([](Rig& r) {
        UnitVariable& v = r.var(HvcId::HVC_RAMP_TRISE_3);
        v.minValue = 10;
        v.maxValue = 2000;
        r.unitWord(HvcId::HVC_RAMP_TRISE_3, 500);
    });
    QLineEdit* rise3 = rig.child<QLineEdit>("TxtTRise", 3);
    rig.page->tabs()->setCurrentIndex(2);
    rig.page->activateWindow();
    rise3->setFocus();
    // A working value within the limits: the question offers the unit's, not this.
    rise3->setText(QStringLiteral("900"));
    QCOMPARE(rig.word(HvcId::HVC_RAMP_TRISE_3), 900);
    if (typed.isEmpty()) {
        rise3->selectAll();
        QTest::keyClick(rise3, Qt::Key_Backspace); // an emptied box reads 0
    } else {
        rise3->setText(typed);
    }
    QCOMPARE(rig.word(HvcId::HVC_RAMP_TRISE_3), 900); // outside the limits: not taken

    rig.prompter.answers = {answer};
    if (focusOut)
        rig.child<QLineEdit>("TxtTFall", 3)->setFocus();
    else
        QTest::keyClick(rise3, Qt::Key_Return);
    QCOMPARE(rig.prompter.texts(), QStringList{restoreWith(500)});
    QCOMPARE(rig.prompter.messages[0].icon, PromptIcon::Information);
    QCOMPARE(rise3->text(), shown);
    QCOMPARE(rig.word(HvcId::HVC_RAMP_TRISE_3), stored);
    if (!answer)
        QVERIFY(rise3->hasFocus());
}

void FrmConfigTest::rampModes() {
    Rig rig([](Rig& r) {
        r.unitWord(HvcId::HVC_RAMP_INV_MODE_0, FrmConfig::kModeBreak);
        r.unitWord(HvcId::HVC_RAMP_INV_MODE_1, FrmConfig::kModeBreak);
        r.unitWord(HvcId::HVC_RAMP_INV_MODE_2, 0x55);
        r.unitWord(HvcId::HVC_RAMP_INV_MODE_3, 3);
    });
    auto breakShown = [&rig](int i) {
        const bool b = rig.child<QCheckBox>("ChkBreak", i)->isChecked();
        if (b == rig.child<QCheckBox>("ChkFull", i)->isChecked())
            qFatal("section %d shows both or neither mode", i);
        return b;
    };
    QVERIFY(breakShown(0) && breakShown(1) && !breakShown(2) && !breakShown(3));
    // The shown FULL is what the record holds from then on.
    QCOMPARE(rig.word(HvcId::HVC_RAMP_INV_MODE_3), FrmConfig::kModeFull);

    rig.page->tabs()->setCurrentIndex(2);
    // Either box of a section toggles its mode; other sections are untouched.
    for (const auto& [box, section] : {std::pair{"ChkFull", 0}, {"ChkBreak", 1}}) {
        const HvcId mode = nth(HvcId::HVC_RAMP_INV_MODE_0, section);
        rig.child<QCheckBox>(box, section)->click();
        QVERIFY(!breakShown(section));
        QCOMPARE(rig.word(mode), FrmConfig::kModeFull);
        rig.child<QCheckBox>(box, section)->click();
        QVERIFY(breakShown(section));
        QCOMPARE(rig.word(mode), FrmConfig::kModeBreak);
    }
    QVERIFY(!rig.state.document.flags.dataUnchanged());
    QCOMPARE(rig.word(HvcId::HVC_RAMP_INV_MODE_2), 0x55);
}

void FrmConfigTest::pinCaptionsAndJoystickPictures() {
    const std::int32_t words[] = {0x0011, 0x0302, std::int16_t(0xA502), 0x0000};
    Rig rig([&](Rig& r) {
        for (int i = 0; i < 4; ++i)
            r.unitWord(nth(HvcId::HVC_JOY_0_CONFIG, i), words[i]);
    });
    const QStringList captions = {"Y axis", "DI_03-OFF", "DI_05-DI_10", ""};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(rig.child<QLabel>("LblPin", i)->text(), captions[i]);
    // Two models of the shipped catalogue, an identifier none has, the not-used one.
    const JoyCatalogue& joys = rig.state.document.joysticks;
    const std::int32_t ids[] = {joys.joyList(2).joyId, joys.joyList(3).joyId, 250,
                                joys.notUsedJoyId()};
    for (int k = 0; k < 4; ++k)
        rig.unitWord(nth(HvcId::HVC_JOY_0_ID, k), ids[k]);
    rig.page->configDrawJoy();
    const QString names[] = {joys.joyList(2).joyName, joys.joyList(3).joyName,
                             QStringLiteral("Not used"), QStringLiteral("Not used")};
    for (int k = 0; k < 4; ++k) {
        QCOMPARE(rig.child<QLabel>("JoySel", k)->toolTip(), names[k]);
        QVERIFY(!rig.child<QLabel>("JoySel", k)->pixmap().isNull());
    }
}

void FrmConfigTest::valuesOutsideTheLimitsShowAsTheyAre() {
    Rig rig([](Rig& r) {
        r.var(HvcId::HVC_RAMP_TRISE_0).takeFileWord(6000); // limits 0..5000
        r.var(HvcId::HVC_I0_MAX).takeFileWord(1800);       // limits 0..1500
        r.var(HvcId::HVC_I1_MAX).replacedUnitWord = 4000;
    });
    rig.page->refreshObject();
    auto* rise = rig.child<QLineEdit>("TxtTRise", 0);
    QSpinBox* max = rig.child<CSection>(QStringLiteral("MagA_0"))->maxField();
    QCOMPARE(rise->text(), QStringLiteral("6000"));
    QCOMPARE(max->value(), 1800);
    QCOMPARE(rig.word(HvcId::HVC_RAMP_TRISE_0), 6000);
    QCOMPARE(rig.word(HvcId::HVC_I0_MAX), 1800);
    QVERIFY(rig.prompter.messages.isEmpty());
    QVERIFY(rise->toolTip().contains(QStringLiteral("6000 is outside 0..5000")));
    QVERIFY(max->toolTip().contains(QStringLiteral("1800 is outside 0..1500")));
    QVERIFY(
        rig.child<CSection>(QStringLiteral("MagB_0"))
            ->maxField()
            ->toolTip()
            .contains(QStringLiteral("The unit held 4000, outside 0..1500; the default is shown")));
    // The user's first change brings the number within the limits; the mark goes.
    max->stepDown();
    QCOMPARE(rig.word(HvcId::HVC_I0_MAX), 1500);
    QCOMPARE(max->maximum(), 1500);
    QVERIFY(!max->toolTip().contains(QStringLiteral("outside")));
    // A pending edit is marked without a style sheet: the spin box keeps its arrows.
    QCOMPARE(max->property("editMark").toInt(), int(EditMark::Pending));
    QVERIFY(max->styleSheet().isEmpty());
}

QTEST_MAIN(FrmConfigTest)
#include "test_frmconfig.moc"
