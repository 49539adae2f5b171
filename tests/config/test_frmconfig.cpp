// The configuration page on the shipped variable map: refresh for every section
// count and system type, currents, ramps and ramp modes, pin captions, colours,
// edit marks and the page's status drawing. Questions are answered by a
// ScriptedPrompter; no unit is involved.

#include "config/frmconfig.h"
#include "core/joycatalogue.h"
#include "core/prompter.h"
#include "shell/csection.h"
#include "shell/mainbar.h"
#include "shell/pendingmark.h"
#include "shell/sectioncolours.h"
#include "support/commandsurface.h"
#include "support/paths.h"
#include "support/shippedrecords.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <memory>

using namespace hvc;

namespace {

// The page over a catalogue whose records hold what a Read All of a unit at its
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
        page = std::make_unique<FrmConfig>(context);
        page->resize(1000, 560);
        page->show();
        QApplication::setActiveWindow(page.get());
        if (!QTest::qWaitForWindowActive(page.get()))
            qWarning("the page did not become active");
        state.document.unitRead();
    }
    CVarData& var(HvcId id) { return *state.catalogue.Find(id); }
    // A word as the unit sends it.
    void unitWord(HvcId id, std::int32_t value) { var(id).ReadE2FromECU(value); }
    template <typename T> T* child(const QString& name) const {
        T* w = page->findChild<T*>(name);
        if (!w)
            qWarning("no control %s", qPrintable(name));
        return w;
    }
    QLineEdit* text(const char* base, int k) const {
        return child<QLineEdit>(QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(k));
    }
    QWidget* control(const char* base, int k) const {
        return child<QWidget>(QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(k));
    }
    // Shown by the page (the tab it sits on may be another than the current one).
    bool shown(const QString& name) const { return !child<QWidget>(name)->isHidden(); }

    AppState state;
    ScriptedPrompter prompter;
    ShellContext context;
    std::unique_ptr<FrmConfig> page;
};

const char* const kSectionControls[] = {
    "lblSectionDesc", "lblJoyDesc", "lblJoy",  "LblPin",   "JoySel",  "MagA",
    "MagB",           "MagAsdm",    "MagBsdm", "MagSel",   "LblFreq", "LblAmp",
    "lblRump",        "RampA",      "RampB",   "ChkBreak", "ChkFull"};

void typeKeys(QWidget* w, const QString& keys) {
    w->setFocus();
    QTest::keyClicks(w, keys);
}

} // namespace

class FrmConfigTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void controlsAndTabs();
    void refreshBySections_data();
    void refreshBySections();
    void systemTypeOutsideItsValues();
    void sectionCountSelector();
    void currentControlsBoundAndLabelled();
    void currentEditReachesTheRecord();
    void ditherAndSolenoidPictures();
    void rampRefreshAndTyping();
    void rampOutOfRangeAndRestore();
    void rampFocusLossAndScroll();
    void rampModes();
    void pinCaptions();
    void joystickPictures();
    void optionLists();
    void colours();
    void editMarks();
    void drawBar();
};

void FrmConfigTest::controlsAndTabs() {
    PageRig rig;
    FrmConfig& page = *rig.page;
    QCOMPARE(page.objectName(), QStringLiteral("frmConfig"));
    QCOMPARE(page.page(), Page::Config);
    QCOMPARE(page.HelpPage(), 10);
    auto* tabs = rig.child<QTabWidget>(QStringLiteral("SSTab1"));
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(0), QStringLiteral("CURRENTS"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("CURRENTS SLOW"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("RAMPS"));
    QCOMPARE(tabs->currentIndex(), 0);
    QVERIFY(tabs->isTabEnabled(1));
    QCOMPARE(rig.child<QPushButton>(QStringLiteral("CmdCanSettings"))->text(),
             QStringLiteral("JoyStick and Digital Settings"));
    // Every input and picture says what it is, and every caption labels its field.
    for (QWidget* w : page.findChildren<QWidget*>()) {
        const bool input = qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSlider*>(w) ||
                           qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QComboBox*>(w);
        if (input && !qobject_cast<QLineEdit*>(w->parentWidget()) &&
            !qobject_cast<QAbstractSpinBox*>(w->parentWidget()))
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
    }
    for (const char* name : {"JoySel_0", "MagSel_3", "ImgECU", "LblPin_2", "LblFreq_1"})
        QVERIFY2(!rig.child<QWidget>(QString::fromLatin1(name))->accessibleName().isEmpty(), name);
    QCOMPARE(rig.text("TxtTRise", 3)->accessibleName(), QStringLiteral("Rise time 2B [ms]"));
    QCOMPARE(rig.child<QLabel>(QStringLiteral("lblUnit2TF_1"))->buddy(), rig.text("TxtTFall", 3));
    // Edits are in the records already: nothing stops a Write.
    rig.text("TxtTRise", 0)->setText(QStringLiteral("700"));
    QCOMPARE(page.CheckDataToWrite(), QString());
}

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
    PageRig rig([&](PageRig& r) {
        r.unitWord(HvcId::HVC_NUM_PROP_REG, sections);
        r.unitWord(HvcId::HVC_SYSTEM_TYPE, systemType);
    });
    for (int i = 0; i < 4; ++i) {
        for (const char* base : kSectionControls)
            QVERIFY2(rig.shown(QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(i)) ==
                         (i < sections),
                     qPrintable(QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(i)));
        QCOMPARE(rig.shown(QStringLiteral("Line%1").arg(i)), i < sections);
    }
    auto* sysType = rig.child<QComboBox>(QStringLiteral("CmbVCUSysType"));
    auto* vcuType = rig.child<QComboBox>(QStringLiteral("CmbVCUType"));
    QVERIFY(sysType->isHidden() && vcuType->isHidden());
    QCOMPARE(sysType->currentText(), systemType == 1 ? QStringLiteral("P") : QStringLiteral("F"));
    QCOMPARE(vcuType->currentText(), QStringLiteral("VCU %1").arg(sections));
    QCOMPARE(rig.child<QLabel>(QStringLiteral("ImgECU"))->toolTip(), QStringLiteral("CTRLBOX"));
    QVERIFY(!rig.child<QLabel>(QStringLiteral("ImgECU"))->pixmap().isNull());
    // Showing the unit's own values changes none of them.
    QCOMPARE(rig.var(HvcId::HVC_SYSTEM_TYPE).E2Value, systemType);
    QCOMPARE(rig.var(HvcId::HVC_NUM_PROP_REG).E2Value, sections);

    // The shown count follows a refresh after a new read.
    const int other = sections % 4 + 1;
    rig.unitWord(HvcId::HVC_NUM_PROP_REG, other);
    rig.page->RefreshObject();
    for (int i = 0; i < 4; ++i)
        QCOMPARE(rig.shown(QStringLiteral("RampB_%1").arg(i)), i < other);
}

void FrmConfigTest::systemTypeOutsideItsValues() {
    // A word of 2 draws "F", and that selection stores 0 as an edit.
    PageRig rig([](PageRig& r) { r.unitWord(HvcId::HVC_SYSTEM_TYPE, 2); });
    QCOMPARE(rig.child<QComboBox>(QStringLiteral("CmbVCUSysType"))->currentIndex(), 1);
    QCOMPARE(rig.var(HvcId::HVC_SYSTEM_TYPE).E2Display, 0);
    QCOMPARE(rig.var(HvcId::HVC_SYSTEM_TYPE).E2Value, 0);
    QCOMPARE(rig.var(HvcId::HVC_SYSTEM_TYPE).E2InECU, 2);

    // Choosing "P" stores 1 through the record and marks the document edited.
    rig.child<QComboBox>(QStringLiteral("CmbVCUSysType"))->setCurrentIndex(0);
    QCOMPARE(rig.var(HvcId::HVC_SYSTEM_TYPE).E2Value, 1);
    QVERIFY(!rig.state.document.dataUnchanged());
}

void FrmConfigTest::sectionCountSelector() {
    PageRig rig;
    auto* vcuType = rig.child<QComboBox>(QStringLiteral("CmbVCUType"));
    vcuType->setCurrentIndex(2);
    const CVarData& n = rig.var(HvcId::HVC_NUM_PROP_REG);
    QCOMPARE(n.E2Display, 3);
    QCOMPARE(n.E2Value, 3);
    QVERIFY(!rig.state.document.dataUnchanged());
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(rig.shown(QStringLiteral("MagA_%1").arg(i)), i < 3);
        QCOMPARE(rig.shown(QStringLiteral("ChkFull_%1").arg(i)), i < 3);
    }
}

void FrmConfigTest::currentControlsBoundAndLabelled() {
    PageRig rig;
    auto* magB2 = rig.child<CSection>(QStringLiteral("MagB_2"));
    QCOMPARE(magB2->SolenoidLabel(), QStringLiteral("3B"));
    QCOMPARE(magB2->MinVar(), &rig.var(HvcId::HVC_I5_MIN));
    QCOMPARE(magB2->MaxVar(), &rig.var(HvcId::HVC_I5_MAX));
    QCOMPARE(int(magB2->MinVarIndex()), rig.state.catalogue.IdIndex(HvcId::HVC_I5_MIN));
    QCOMPARE(int(magB2->MaxVarIndex()), rig.state.catalogue.IdIndex(HvcId::HVC_I5_MAX));
    QCOMPARE(magB2->Index(), 2);
    auto* slow = rig.child<CSection>(QStringLiteral("MagBsdm_2"));
    QCOMPARE(slow->MinVar(), &rig.var(HvcId::HVC_I5_SDM_MIN));
    QCOMPARE(slow->MaxVar(), &rig.var(HvcId::HVC_I5_SDM_MAX));
    QCOMPARE(slow->SolenoidLabel(), QStringLiteral("3B"));
    const QStringList labels = {"1A", "1B", "2A", "2B", "3A", "3B", "4A", "4B"};
    for (int k = 0; k < 8; ++k) {
        const char* base = k % 2 == 0 ? "MagA" : "MagB";
        auto* c = static_cast<CSection*>(rig.control(base, k / 2));
        QCOMPARE(c->SolenoidLabel(), labels[k]);
        QCOMPARE(c->maxField()->accessibleName(), QStringLiteral("Maximum current ") + labels[k]);
        QCOMPARE(c->minField()->value(), rig.state.catalogue[c->MinVarIndex()].E2Display);
        QCOMPARE(c->maxField()->maximum(), int(rig.state.catalogue[c->MaxVarIndex()].MaxValue));
    }
}

void FrmConfigTest::currentEditReachesTheRecord() {
    PageRig rig;
    auto* magA0 = rig.child<CSection>(QStringLiteral("MagA_0"));
    QSignalSpy maxSpy(magA0, &CSection::MaxChanged);
    QSignalSpy minSpy(magA0, &CSection::MinChanged);
    QList<std::int32_t> before;
    for (int i = 1; i <= rig.state.catalogue.VarCount(); ++i)
        before.append(rig.state.catalogue[i].E2Value);
    const QString labelBefore = rig.child<CSection>(QStringLiteral("MagB_0"))->SolenoidLabel();

    // Typed and confirmed with Enter.
    QSpinBox* max = magA0->maxField();
    max->setFocus();
    max->selectAll();
    QTest::keyClicks(max, QStringLiteral("950"));
    QTest::keyClick(max, Qt::Key_Return);
    CVarData& i0max = rig.var(HvcId::HVC_I0_MAX);
    QCOMPARE(i0max.E2Value, 950);
    QCOMPARE(i0max.E2Display, 950);
    QCOMPARE(magA0->maxSlider()->value(), 950);
    QCOMPARE(maxSpy.count(), 1);
    QCOMPARE(maxSpy.at(0).at(0).toInt(), 0);
    QCOMPARE(minSpy.count(), 0);
    QVERIFY(!rig.state.document.dataUnchanged());
    // Every other record and caption stays as it was.
    for (int i = 1; i <= rig.state.catalogue.VarCount(); ++i)
        if (i != rig.state.catalogue.IdIndex(HvcId::HVC_I0_MAX))
            QCOMPARE(rig.state.catalogue[i].E2Value, before[i - 1]);
    QCOMPARE(rig.child<CSection>(QStringLiteral("MagB_0"))->SolenoidLabel(), labelBefore);

    // The slider moves the number, and the limits of the record hold.
    magA0->minSlider()->setValue(420);
    QCOMPARE(magA0->minField()->value(), 420);
    QCOMPARE(rig.var(HvcId::HVC_I0_MIN).E2Value, 420);
    QCOMPARE(minSpy.count(), 1);
    magA0->minField()->setValue(99999);
    QCOMPARE(rig.var(HvcId::HVC_I0_MIN).E2Value, rig.var(HvcId::HVC_I0_MIN).MaxValue);

    // Binding the records again (a refresh) is not an edit.
    maxSpy.clear();
    rig.state.document.unitRead();
    rig.page->RefreshObject();
    QCOMPARE(maxSpy.count(), 0);
    QCOMPARE(magA0->maxField()->value(), 950);
}

void FrmConfigTest::ditherAndSolenoidPictures() {
    PageRig rig([](PageRig& r) {
        r.unitWord(HvcId::HVC_DITHER_FREQ, 100);
        r.unitWord(HvcId::HVC_DITHER_AMP, 50);
        r.unitWord(HvcId::HVC_SOL_TYPE, 1);
    });
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(rig.child<QLabel>(QStringLiteral("LblFreq_%1").arg(i))->text(),
                 QStringLiteral("100 Hz"));
        QCOMPARE(rig.child<QLabel>(QStringLiteral("LblAmp_%1").arg(i))->text(),
                 QStringLiteral("50 mA"));
    }
    auto* picture = rig.child<QLabel>(QStringLiteral("MagSel_1"));
    auto* slowPicture = rig.child<QLabel>(QStringLiteral("MagSelsdm_1"));
    QCOMPARE(picture->toolTip(), QStringLiteral("Dither Settings"));
    QVERIFY(!picture->pixmap().isNull());
    QVERIFY(!slowPicture->pixmap().isNull());
    // The dither dialog's change shows on the next DrawDither.
    rig.var(HvcId::HVC_DITHER_FREQ).E2Value = 250;
    rig.page->DrawDither();
    QCOMPARE(rig.child<QLabel>(QStringLiteral("LblFreq_3"))->text(), QStringLiteral("250 Hz"));
    // Type 3 leaves the pictures; type 2 has none.
    rig.unitWord(HvcId::HVC_SOL_TYPE, 3);
    rig.page->ConfigDrawMag();
    QCOMPARE(picture->toolTip(), QStringLiteral("Dither Settings"));
    QVERIFY(!picture->pixmap().isNull());
    rig.unitWord(HvcId::HVC_SOL_TYPE, 2);
    rig.page->ConfigDrawMag();
    QVERIFY(picture->pixmap().isNull());
    QVERIFY(picture->toolTip().isEmpty());

    // Enter on the caption beside the picture asks for the dither dialog.
    QSignalSpy dither(rig.page.get(), &FrmConfig::ditherRequested);
    QWidget* lblMag = rig.control("lblMag", 2);
    lblMag->setFocus();
    QTest::keyClick(lblMag, Qt::Key_Return);
    QCOMPARE(dither.count(), 1);
    QCOMPARE(dither.at(0).at(0).toInt(), 2);
    QTest::mouseClick(rig.control("MagSel", 3), Qt::LeftButton);
    QCOMPARE(dither.count(), 2);
    QCOMPARE(dither.at(1).at(0).toInt(), 3);
}

void FrmConfigTest::rampRefreshAndTyping() {
    PageRig rig([](PageRig& r) {
        for (int k = 0; k < 8; ++k) {
            r.unitWord(static_cast<HvcId>(int(HvcId::HVC_RAMP_TRISE_0) + k), 100 + k);
            r.unitWord(static_cast<HvcId>(int(HvcId::HVC_RAMP_TFALL_0) + k), 200 + k);
        }
    });
    for (int k = 0; k < 8; ++k) {
        QCOMPARE(rig.text("TxtTRise", k)->text(), QString::number(100 + k));
        QCOMPARE(rig.text("TxtTFall", k)->text(), QString::number(200 + k));
        auto* bar = rig.child<QScrollBar>(QStringLiteral("hscTRise_%1").arg(k));
        QCOMPARE(bar->value(), 100 + k);
        QCOMPARE(bar->maximum(), int(rig.var(HvcId::HVC_RAMP_TRISE_0).MaxValue));
        QVERIFY(rig.text("TxtTRise", k)
                    ->toolTip()
                    .startsWith(rig.state.catalogue[rig.page->FindHVCLabelTRISE(k)].SaveName));
    }
    QCOMPARE(rig.page->FindHVCLabelTRISE(3), rig.state.catalogue.IdIndex(HvcId::HVC_RAMP_TRISE_3));
    QCOMPARE(rig.page->FindHVCLabelTFALL(7), rig.state.catalogue.IdIndex(HvcId::HVC_RAMP_TFALL_7));
    QCOMPARE(rig.page->FindHVCLabelTRISE(8), 0);
    QCOMPARE(rig.page->FindHVCLabelTFALL(-1), 0);

    // Typing: each number within the limits is taken at once; other keys do nothing.
    QLineEdit* rise3 = rig.text("TxtTRise", 3);
    CVarData& var = rig.var(HvcId::HVC_RAMP_TRISE_3);
    rise3->selectAll();
    typeKeys(rise3, QStringLiteral("7a-5 0"));
    QCOMPARE(rise3->text(), QStringLiteral("750"));
    QCOMPARE(var.E2Value, 750);
    QCOMPARE(rig.child<QScrollBar>(QStringLiteral("hscTRise_3"))->value(), 750);
    QVERIFY(!rig.state.document.dataUnchanged());
    QVERIFY(rig.prompter.messages.isEmpty());

    // A decimal point is allowed; the value is rounded.
    rise3->setText(QStringLiteral("12.6"));
    QCOMPARE(var.E2Value, 13);

    // Deleting every digit leaves "0", selected, so the next digit replaces it.
    rise3->selectAll();
    QTest::keyClick(rise3, Qt::Key_Backspace);
    QCOMPARE(rise3->text(), QStringLiteral("0"));
    QCOMPARE(rise3->selectedText(), QStringLiteral("0"));
    QCOMPARE(var.E2Value, 0);
    QTest::keyClick(rise3, Qt::Key_4);
    QCOMPARE(rise3->text(), QStringLiteral("4"));
    QCOMPARE(var.E2Value, 4);
    // The other records of the page are untouched.
    QCOMPARE(rig.var(HvcId::HVC_RAMP_TFALL_3).E2Value, 203);
    QCOMPARE(rig.var(HvcId::HVC_RAMP_TRISE_2).E2Value, 102);
}

void FrmConfigTest::rampOutOfRangeAndRestore() {
    PageRig rig([](PageRig& r) {
        CVarData& v = r.var(HvcId::HVC_RAMP_TRISE_3);
        v.MinValue = 10;
        v.MaxValue = 2000;
        r.unitWord(HvcId::HVC_RAMP_TRISE_3, 500);
    });
    QLineEdit* rise3 = rig.text("TxtTRise", 3);
    CVarData& var = rig.var(HvcId::HVC_RAMP_TRISE_3);
    rise3->setFocus();

    // Outside the limits the record keeps its value until Enter offers the unit's.
    rise3->setText(QStringLiteral("2500"));
    QCOMPARE(var.E2Value, 500);
    rig.prompter.answers = {true};
    QTest::keyClick(rise3, Qt::Key_Return);
    QCOMPARE(rig.prompter.texts(), QStringList{"Value Not Correct : Restore With '500' ?"});
    QCOMPARE(rig.prompter.messages[0].icon, PromptIcon::Information);
    QVERIFY(rig.prompter.messages[0].question);
    QCOMPARE(rise3->text(), QStringLiteral("500"));
    QCOMPARE(var.E2Value, 500);

    // The restore offers the unit's value, not the working one.
    rise3->setText(QStringLiteral("900"));
    QCOMPARE(var.E2Value, 900);
    rise3->setText(QStringLiteral("2001"));
    rig.prompter.messages.clear();
    rig.prompter.answers = {true};
    QTest::keyClick(rise3, Qt::Key_Enter);
    QCOMPARE(rig.prompter.texts(), QStringList{"Value Not Correct : Restore With '500' ?"});
    QCOMPARE(var.E2Value, 500);

    // Below the minimum (an emptied box reads 0); No keeps the text and the record.
    rise3->setText(QStringLiteral("800"));
    rise3->selectAll();
    QTest::keyClick(rise3, Qt::Key_Backspace);
    QCOMPARE(rise3->text(), QStringLiteral("0"));
    QCOMPARE(var.E2Value, 800);
    rig.prompter.messages.clear();
    rig.prompter.answers = {false};
    QTest::keyClick(rise3, Qt::Key_Return);
    QCOMPARE(rig.prompter.texts().size(), 1);
    QCOMPARE(rise3->text(), QStringLiteral("0"));
    QCOMPARE(var.E2Value, 800);
    QVERIFY(rise3->hasFocus());

    // A text that is no number (two points) is refused like an out-of-range one.
    rise3->setText(QStringLiteral("1.2.3"));
    QCOMPARE(var.E2Value, 800);
    rig.prompter.messages.clear();
    rig.prompter.answers = {true};
    QTest::keyClick(rise3, Qt::Key_Return);
    QCOMPARE(rig.prompter.texts().size(), 1);
    QCOMPARE(rise3->text(), QStringLiteral("500"));

    // Within the limits Enter asks nothing.
    rig.prompter.messages.clear();
    QTest::keyClick(rise3, Qt::Key_Return);
    QVERIFY(rig.prompter.messages.isEmpty());
}

void FrmConfigTest::rampFocusLossAndScroll() {
    PageRig rig([](PageRig& r) { r.unitWord(HvcId::HVC_RAMP_TFALL_3, 1000); });
    QLineEdit* fall3 = rig.text("TxtTFall", 3);
    QLineEdit* fall4 = rig.text("TxtTFall", 4);
    rig.page->tabs()->setCurrentIndex(2);
    rig.page->activateWindow();
    fall3->setFocus();
    fall3->setText(QStringLiteral("9999"));
    rig.prompter.answers = {true};
    fall4->setFocus(); // focus leaves the box
    QCOMPARE(rig.prompter.texts(), QStringList{"Value Not Correct : Restore With '1000' ?"});
    QCOMPARE(fall3->text(), QStringLiteral("1000"));

    // Moving the bar writes the box and the record.
    rig.state.document.unitRead();
    rig.prompter.messages.clear();
    rig.child<QScrollBar>(QStringLiteral("hscTFall_3"))->setValue(750);
    QCOMPARE(fall3->text(), QStringLiteral("750"));
    QCOMPARE(rig.var(HvcId::HVC_RAMP_TFALL_3).E2Value, 750);
    QVERIFY(!rig.state.document.dataUnchanged());
    QVERIFY(rig.prompter.messages.isEmpty());
    // The unit still holds its value until a Write.
    QCOMPARE(rig.var(HvcId::HVC_RAMP_TFALL_3).E2InECU, 1000);

    // A question whose box takes the focus from the field asks once, not again.
    struct FocusTakingPrompter : ScriptedPrompter {
        QLineEdit* field = nullptr;
        bool ask(const QString& text, const QString& title, PromptIcon icon) override {
            QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
            QCoreApplication::sendEvent(field, &out);
            return ScriptedPrompter::ask(text, title, icon);
        }
    } boxed;
    boxed.field = fall3;
    boxed.answers = {false};
    rig.state.setPrompter(&boxed);
    fall3->setText(QStringLiteral("9999"));
    QTest::keyClick(fall3, Qt::Key_Return);
    QCOMPARE(boxed.texts(), QStringList{"Value Not Correct : Restore With '1000' ?"});
    rig.state.setPrompter(&rig.prompter);
}

void FrmConfigTest::rampModes() {
    PageRig rig([](PageRig& r) {
        r.unitWord(HvcId::HVC_RAMP_INV_MODE_0, FrmConfig::kModeBreak);
        r.unitWord(HvcId::HVC_RAMP_INV_MODE_1, FrmConfig::kModeBreak);
        r.unitWord(HvcId::HVC_RAMP_INV_MODE_2, 0x55);
        r.unitWord(HvcId::HVC_RAMP_INV_MODE_3, 3);
    });
    auto box = [&rig](const char* base, int i) {
        return rig.child<QCheckBox>(QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(i));
    };
    QVERIFY(box("ChkBreak", 0)->isChecked() && !box("ChkFull", 0)->isChecked());
    QVERIFY(!box("ChkBreak", 2)->isChecked() && box("ChkFull", 2)->isChecked());
    QVERIFY(!box("ChkBreak", 3)->isChecked() && box("ChkFull", 3)->isChecked());
    // The shown FULL is what the record holds from then on.
    QCOMPARE(rig.var(HvcId::HVC_RAMP_INV_MODE_3).E2Value, FrmConfig::kModeFull);

    CVarData& mode0 = rig.var(HvcId::HVC_RAMP_INV_MODE_0);
    rig.page->tabs()->setCurrentIndex(2);
    box("ChkFull", 0)->click();
    QVERIFY(box("ChkFull", 0)->isChecked() && !box("ChkBreak", 0)->isChecked());
    QCOMPARE(mode0.E2Value, FrmConfig::kModeFull);
    QVERIFY(!rig.state.document.dataUnchanged());
    box("ChkFull", 0)->click();
    QVERIFY(!box("ChkFull", 0)->isChecked() && box("ChkBreak", 0)->isChecked());
    QCOMPARE(mode0.E2Value, FrmConfig::kModeBreak);
    // The mirror image on BREAK of section 2.
    CVarData& mode1 = rig.var(HvcId::HVC_RAMP_INV_MODE_1);
    box("ChkBreak", 1)->click();
    QVERIFY(!box("ChkBreak", 1)->isChecked() && box("ChkFull", 1)->isChecked());
    QCOMPARE(mode1.E2Value, FrmConfig::kModeFull);
    box("ChkBreak", 1)->click();
    QVERIFY(box("ChkBreak", 1)->isChecked() && !box("ChkFull", 1)->isChecked());
    QCOMPARE(mode1.E2Value, FrmConfig::kModeBreak);
    // Other sections are untouched.
    QCOMPARE(rig.var(HvcId::HVC_RAMP_INV_MODE_2).E2Value, 0x55);
}

void FrmConfigTest::pinCaptions() {
    const std::int32_t words[] = {0x0011, 0x0302, std::int16_t(0xA502), 0x0000};
    PageRig rig([&](PageRig& r) {
        for (int i = 0; i < 4; ++i)
            r.unitWord(static_cast<HvcId>(int(HvcId::HVC_JOY_0_CONFIG) + i), words[i]);
    });
    const QStringList captions = {"Y axis", "DI_03-OFF", "DI_05-DI_10", ""};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(rig.child<QLabel>(QStringLiteral("LblPin_%1").arg(i))->text(), captions[i]);
    // An axis without a text keeps what the caption showed.
    rig.unitWord(HvcId::HVC_JOY_0_CONFIG, 0x0091);
    rig.page->RefreshObject();
    QCOMPARE(rig.child<QLabel>(QStringLiteral("LblPin_0"))->text(), QStringLiteral("Y axis"));
}

void FrmConfigTest::joystickPictures() {
    PageRig rig;
    const JoyCatalogue& joys = rig.state.joysticks;
    QVERIFY(joys.JoyCount() > 3);
    QVERIFY(rig.prompter.messages.isEmpty());
    // Two models of the shipped catalogue, an identifier none has, the not-used one.
    const int known = 2, other = 3;
    int notUsed = -1;
    for (int p = 0; p < joys.JoyCount(); ++p)
        if (joys.JoyList(p).JoyID == joys.NotUsedJoyID())
            notUsed = p;
    QVERIFY(notUsed >= 0);
    const std::int32_t ids[] = {joys.JoyList(known).JoyID, joys.JoyList(other).JoyID, 250,
                                joys.NotUsedJoyID()};
    for (int k = 0; k < 4; ++k)
        rig.unitWord(static_cast<HvcId>(int(HvcId::HVC_JOY_0_ID) + k), ids[k]);
    rig.page->ConfigDrawJoy();
    QCOMPARE(rig.page->FindJoyID(), (std::array<int, 4>{known, other, notUsed, notUsed}));
    const int expected[] = {known, other, notUsed, notUsed};
    for (int k = 0; k < 4; ++k) {
        const QPixmap shown = rig.child<QLabel>(QStringLiteral("JoySel_%1").arg(k))->pixmap();
        QVERIFY2(!shown.isNull(), qPrintable(QString::number(k)));
        QCOMPARE(shown.toImage(), rig.context.joyPictures.picture(expected[k]).toImage());
        QCOMPARE(rig.child<QLabel>(QStringLiteral("JoySel_%1").arg(k))->toolTip(),
                 joys.JoyList(expected[k]).JoyName);
    }
    QVERIFY(rig.context.joyPictures.picture(known).toImage() !=
            rig.context.joyPictures.picture(notUsed).toImage());
    // The identifiers are read from the working values: a later refresh shows a change.
    rig.var(HvcId::HVC_JOY_2_ID).HVCSetVar(joys.JoyList(other).JoyID, rig.state.document);
    rig.page->RefreshObject();
    QCOMPARE(rig.child<QLabel>(QStringLiteral("JoySel_2"))->pixmap().toImage(),
             rig.context.joyPictures.picture(other).toImage());
}

void FrmConfigTest::optionLists() {
    PageRig rig;
    for (int run = 0; run < 3; ++run)
        rig.page->ConfigDrawFloat();
    auto items = [](QComboBox* c) {
        QStringList list;
        for (int i = 0; i < c->count(); ++i)
            list << c->itemText(i);
        return list;
    };
    auto* prop = rig.child<QComboBox>(QStringLiteral("Cmb2BProp"));
    auto* range = rig.child<QComboBox>(QStringLiteral("CmbAIRange"));
    QCOMPARE(items(prop), (QStringList{"OFF", "ON"}));
    QCOMPARE(items(range), (QStringList{"5V", "10V"}));
    QCOMPARE(prop->currentIndex(), -1);
    QCOMPARE(range->currentIndex(), -1);
}

void FrmConfigTest::colours() {
    PageRig rig;
    rig.context.colours = SchemeColours(1);
    rig.page->RefreshColour();
    for (int i = 0; i < 4; ++i) {
        const QColor back = ToQColor(rig.context.colours.SectionBackColor[size_t(i)]);
        const QColor fore = ToQColor(rig.context.colours.SectionForeColor[size_t(i)]);
        for (const char* base : {"RampA", "lblRump", "LblFreq", "lblJoy", "ChkBreak"})
            QCOMPARE(rig.control(base, i)->palette().color(QPalette::Window), back);
        for (const char* base : {"RampB", "LblPin", "lblUnit2TF", "ChkFull"})
            QCOMPARE(rig.control(base, i)->palette().color(QPalette::WindowText), fore);
        for (const char* base : {"MagA", "MagBsdm"}) {
            auto* c = static_cast<CSection*>(rig.control(base, i));
            QCOMPARE(c->MainColor(), back);
            QCOMPARE(c->SecondColor(), fore);
        }
        QCOMPARE(rig.child<QWidget>(QStringLiteral("Line%1").arg(i))
                     ->palette()
                     .color(QPalette::WindowText),
                 back);
    }
}

void FrmConfigTest::editMarks() {
    PageRig rig;
    QLineEdit* rise0 = rig.text("TxtTRise", 0);
    CVarData& var = rig.var(HvcId::HVC_RAMP_TRISE_0);
    QCOMPARE(rise0->property("editMark").toInt(), int(EditMark::None));

    // An edit not yet written: marked, and the tooltip says what the unit holds.
    rise0->setText(QStringLiteral("1234"));
    QCOMPARE(rise0->property("editMark").toInt(), int(EditMark::Pending));
    QVERIFY(rise0->font().bold() || rise0->styleSheet().contains(QLatin1String("bold")));
    QVERIFY(rise0->toolTip().contains(QString::number(var.E2InECU)));
    QVERIFY(rise0->toolTip().contains(QStringLiteral("default %1").arg(var.DefaultValue)));
    auto* max = rig.child<CSection>(QStringLiteral("MagA_1"))->maxField();
    max->setValue(1100);
    QCOMPARE(max->property("editMark").toInt(), int(EditMark::Pending));
    QCOMPARE(rig.child<QCheckBox>(QStringLiteral("ChkBreak_0"))->property("editMark").toInt(),
             int(EditMark::None));

    // Written: the unit holds it, the mark goes; what differs from the default is
    // marked quietly.
    for (int i = 1; i <= rig.state.catalogue.VarCount(); ++i)
        rig.state.catalogue[i].WriteE2inECU();
    rig.page->RefreshObject();
    QCOMPARE(rise0->property("editMark").toInt(), int(EditMark::NotDefault));
    QCOMPARE(max->property("editMark").toInt(), int(EditMark::NotDefault));
    QVERIFY(!rise0->toolTip().contains(QLatin1String("unit holds")));

    // A loaded file's value shows, marked, until it is written.
    var.LoadFromFile(var.DefaultValue);
    rig.var(HvcId::HVC_RAMP_INV_MODE_3).LoadFromFile(FrmConfig::kModeBreak);
    rig.page->RefreshObject();
    QCOMPARE(rise0->text(), QString::number(var.DefaultValue));
    QCOMPARE(var.E2Value, var.DefaultValue);
    QCOMPARE(rise0->property("editMark").toInt(), int(EditMark::Pending));
    QVERIFY(rig.child<QCheckBox>(QStringLiteral("ChkBreak_3"))->isChecked());
    QCOMPARE(rig.child<QCheckBox>(QStringLiteral("ChkBreak_3"))->property("editMark").toInt(),
             int(EditMark::Pending));
}

void FrmConfigTest::drawBar() {
    PageRig rig;
    hvc::test::CommandSurface surface(rig.state);
    MainBar& bar = surface.bar;
    QLineEdit& connectField = surface.connectField;
    auto on = [&surface](const char* name) { return surface.on(name); };
    QProgressBar progress;

    // 1: connected-edit; login commands off whatever LoggedIn says.
    for (bool loggedIn : {false, true}) {
        rig.state.LoggedIn = loggedIn;
        rig.state.setConnectState(ConnectState::Connected);
        rig.page->DrawBar(bar, &progress, QStringLiteral("ignored"));
        for (const char* name :
             {"Read", "Write", "Reset", "mnuHw_Read", "mnuHW_Write", "mnuHw_Reset",
              "Load Configuration", "Save Configuration", "Connect", "mnuHW_Connect"})
            QVERIFY2(on(name), name);
        for (const char* name :
             {"Read All", "Write All", "mnuHW_ReadAll", "mnuHW_WriteAll", "Login", "Logout",
              "mnuSet_Login", "mnuSet_Logout", "mnuSet_ComID", "mnuSet_ComBauldID"})
            QVERIFY2(!on(name), name);
        QCOMPARE(connectField.text(), QStringLiteral("Connected"));
        QCOMPARE(bar.command("mnuHW_Connect")->text(), QStringLiteral("Disconnect"));
        QVERIFY(bar.command("Connect")->isChecked());
        QCOMPARE(bar.panels[3]->text(), QStringLiteral("v. ") + ProgramVersion());
    }
    // 2: busy shows the transfer's text.
    rig.state.setConnectState(ConnectState::Transfer);
    rig.page->DrawBar(bar, &progress, QStringLiteral("Reading..."));
    QCOMPARE(connectField.text(), QStringLiteral("Reading..."));
    // 3..5: another page's work; nothing changes.
    for (ConnectState s : {ConnectState::MonitorPolling, ConnectState::DiagnosticPolling,
                           ConnectState::DebuggerWorking}) {
        connectField.setText(QStringLiteral("kept"));
        rig.state.setConnectState(s);
        rig.page->DrawBar(bar, &progress, QStringLiteral("Monitoring..."));
        QCOMPARE(connectField.text(), QStringLiteral("kept"));
    }
    // 0: not connected.
    rig.state.setConnectState(ConnectState::NotConnected);
    rig.state.ProgressPercent = 40;
    rig.page->DrawBar(bar, &progress, {});
    QCOMPARE(connectField.text(), QStringLiteral("Not Connected"));
    QCOMPARE(rig.state.ProgressPercent, 0);
}

QTEST_MAIN(FrmConfigTest)
#include "test_frmconfig.moc"
