// The joystick and digital settings dialog over the shipped variable map: what it
// shows from the records (codes no list has included), the rules between its
// lists, the words OK writes and Cancel does not, the number fields' question, the
// configuration page opening one dialog, and the words reaching hvc-sim.

#include "config/frmconfig.h"
#include "config/programpages.h"
#include "core/prompter.h"
#include "core/unitcommands.h"
#include "inputs/frmjoycan.h"
#include "link/linkprocedures.h"
#include "shell/sectioncolours.h"
#include "sim/simprocess.h"
#include "support/hvcctlrun.h"
#include "support/paths.h"
#include "support/shippedrecords.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace hvc;

namespace {

const QString kRestore16 = QStringLiteral("Value Not Correct : Restore With '16' ?");

// The records as a Read All of a unit at its defaults leaves them.
struct Records {
    Records()
        : context(state, QCoreApplication::applicationDirPath(),
                  QCoreApplication::applicationDirPath() + QStringLiteral("/res")) {
        state.setPrompter(&prompter);
        test::loadShippedRecordsAsRead(state, prompter);
        state.document.unitRead();
        context.colours = SchemeColours(0);
    }
    CVarData& var(HvcId id) { return *state.catalogue.Find(id); }
    std::int32_t word(HvcId id) { return var(id).E2Value; }
    // A working value that the unit does not hold (a loaded file, an edit).
    void edit(HvcId id, std::int32_t value) { var(id).LoadFromFile(value); }

    AppState state;
    ScriptedPrompter prompter;
    ShellContext context;
};

// Finds the dialog's controls by name and works them as the user would.
struct Controls {
    QWidget* root = nullptr;

    template <typename T> T* child(const QString& name) const {
        T* w = root->findChild<T*>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QComboBox* list(const char* name, int index) const {
        return child<QComboBox>(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index));
    }
    QString shown(const char* name, int index) const { return list(name, index)->currentText(); }
    void pick(const char* name, int index, const QString& caption) const {
        QComboBox* c = list(name, index);
        const int i = c->findText(caption);
        if (i < 0)
            qFatal("%s has no entry %s", qPrintable(c->objectName()), qPrintable(caption));
        c->setCurrentIndex(i);
    }
    QLineEdit* text(const char* name) const { return child<QLineEdit>(QLatin1String(name)); }
    QCheckBox* box(const QString& name) const { return child<QCheckBox>(name); }
    void click(const char* name) const {
        QTest::mouseClick(child<QPushButton>(QLatin1String(name)), Qt::LeftButton);
    }
};

struct DialogRig : Records, Controls {
    DialogRig() : dialog(std::make_unique<FrmJoyCan>(context)) { root = dialog.get(); }
    void open() {
        dialog->present();
        QApplication::setActiveWindow(dialog.get());
        if (!QTest::qWaitForWindowActive(dialog.get()))
            qWarning("the dialog did not become active");
    }
    std::unique_ptr<FrmJoyCan> dialog;
};

// The words the dialog composes, keyed by identifier: what OK may change.
QList<HvcId> dialogWords() {
    QList<HvcId> ids;
    for (const VarSetting& s : JoyCanSettings().compose())
        ids << s.id;
    return ids;
}

} // namespace

class FrmJoyCanTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opensFromWorkingValuesKeepingUnknownCodes();
    void everyControlIsNamedForAssistiveTools();
    void listRulesEnableAndReset();
    void okWritesThePackedWords();
    void cancelEscapeAndCloseWriteNothing();
    void numberFieldsAskBeforeAWrongValueIsWritten();
    void configPageOpensOneDialogAndRedrawsJoysticks();
    void changesReachTheUnitAndComeBack();
};

void FrmJoyCanTest::opensFromWorkingValuesKeepingUnknownCodes() {
    DialogRig rig;
    // 9505 is 0x2521: DI_01 level, byte 0, bit 1; DI_02 level, byte 1, bit 1.
    rig.edit(HvcId::HVC_DGT_CONFIG_1, 9505);
    // DI_03 of type 3 (no caption) at byte 2, bit 5; DI_04 off but at byte 3.
    rig.edit(HvcId::HVC_DGT_CONFIG_2, (12 << 8) | (3 | 2 << 2 | 5 << 5));
    // Joy 4: type 9, word 8, side A 15, side B DI_01; its identifier no rule gives.
    rig.edit(HvcId::HVC_JOY_3_CONFIG, 9 | 8 << 4 | 15 << 8 | 1 << 12);
    rig.edit(HvcId::HVC_JOY_3_ID, 77);
    rig.edit(HvcId::HVC_FLOAT_CONFIG_2, 15 | 2 << 4);
    rig.edit(HvcId::HVC_JOY_1_INV, 99);
    rig.edit(HvcId::HVC_SP_2_MACRO, 0x12);
    rig.edit(HvcId::HVC_JOY_NODE_ID, 200); // above its maximum of 127
    QMap<HvcId, std::int32_t> before;
    for (HvcId id : dialogWords())
        before.insert(id, rig.word(id));
    rig.open();

    QCOMPARE(rig.shown("CmbDgtType", 1), QStringLiteral("LEVEL"));
    QCOMPARE(rig.shown("CmbByteNum", 1), QStringLiteral("0"));
    QCOMPARE(rig.shown("CmbBitNum", 1), QStringLiteral("1"));
    QCOMPARE(rig.shown("CmbDgtType", 2), QStringLiteral("LEVEL"));
    QCOMPARE(rig.shown("CmbByteNum", 2), QStringLiteral("1"));
    QCOMPARE(rig.shown("CmbBitNum", 2), QStringLiteral("1"));
    QCOMPARE(rig.shown("CmbDgtType", 3), QStringLiteral("? (3)"));
    QCOMPARE(rig.shown("CmbBitNum", 3), QStringLiteral("5"));
    QVERIFY(rig.list("CmbByteNum", 3)->isEnabled());
    // Loading runs no rule: the input that is off keeps its byte, greyed out.
    QCOMPARE(rig.shown("CmbDgtType", 4), QStringLiteral("OFF"));
    QCOMPARE(rig.shown("CmbByteNum", 4), QStringLiteral("3"));
    QVERIFY(!rig.list("CmbByteNum", 4)->isEnabled());
    QCOMPARE(rig.shown("CmbJoyType", 3), QStringLiteral("? (9)"));
    QCOMPARE(rig.shown("CmbJoyWord", 3), QStringLiteral("? (8)"));
    QCOMPARE(rig.shown("CmbJoyDgtA", 3), QStringLiteral("? (15)"));
    QCOMPARE(rig.shown("CmbJoyDgtB", 3), QStringLiteral("DI_01"));
    QVERIFY(!rig.list("CmbJoyWord", 3)->isEnabled());
    QVERIFY(!rig.list("CmbJoyDgtA", 3)->isEnabled());
    // The shipped Joy 3 is digital with word X: shown as it is, not moved to blank.
    QCOMPARE(rig.shown("CmbJoyType", 2), QStringLiteral("Digial Reg."));
    QCOMPARE(rig.shown("CmbJoyWord", 2), QStringLiteral("X"));
    QCOMPARE(rig.shown("CmbDgtIndex", 4), QStringLiteral("? (15)"));
    QCOMPARE(rig.shown("CmbDgtIndex", 5), QStringLiteral("DI_02"));
    QCOMPARE(rig.shown("CmbJoyInversion", 0), QStringLiteral("NO"));
    QCOMPARE(rig.shown("CmbJoyInversion", 1), QStringLiteral("? (99)"));
    QVERIFY(rig.box(QStringLiteral("ChkUpJoyNeutral_2"))->isChecked());
    QVERIFY(!rig.box(QStringLiteral("ChkUpEn_2"))->isChecked());
    // The number as it is, the bar at the nearer limit.
    QCOMPARE(rig.text("TxtJoyID")->text(), QStringLiteral("200"));
    QCOMPARE(rig.child<QScrollBar>(QStringLiteral("hscJoyID"))->value(), 127);

    // OK untouched: every word comes back bit for bit, the channels' identifiers
    // (which also name the joystick models) included.
    rig.click("CmdOk");
    QVERIFY(rig.prompter.messages.isEmpty());
    QVERIFY(!rig.dialog->isVisible());
    for (HvcId id : dialogWords())
        QVERIFY2(rig.word(id) == before.value(id), qPrintable(rig.var(id).Name));

    // Reopened, the unknown entries are there again; picking another replaces them.
    rig.open();
    rig.pick("CmbDgtType", 3, QStringLiteral("LEVEL"));
    QCOMPARE(rig.list("CmbDgtType", 3)->count(), 3);
    rig.pick("CmbJoyInversion", 1, QStringLiteral("YES"));
    QCOMPARE(rig.list("CmbJoyInversion", 1)->count(), 2);
    rig.click("CmdOk");
    QCOMPARE(rig.word(HvcId::HVC_DGT_CONFIG_2), (12 << 8) | (1 | 2 << 2 | 5 << 5));
    QCOMPARE(rig.word(HvcId::HVC_JOY_1_INV), 170);
    QCOMPARE(rig.word(HvcId::HVC_JOY_3_CONFIG), before.value(HvcId::HVC_JOY_3_CONFIG));
}

void FrmJoyCanTest::everyControlIsNamedForAssistiveTools() {
    DialogRig rig;
    rig.open();
    QSet<QString> names;
    int controls = 0;
    for (QWidget* w : rig.dialog->findChildren<QWidget*>()) {
        if (!qobject_cast<QComboBox*>(w) && !qobject_cast<QLineEdit*>(w) &&
            !qobject_cast<QScrollBar*>(w) && !qobject_cast<QCheckBox*>(w))
            continue;
        if (w->parentWidget() && qobject_cast<QComboBox*>(w->parentWidget()))
            continue; // a list's own parts
        ++controls;
        QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
        QVERIFY2(!names.contains(w->accessibleName()), qPrintable(w->accessibleName()));
        names.insert(w->accessibleName());
    }
    // 14 x 3 digital lists, 4 x 4 channel lists, 6 command lists, 6 boxes and bars,
    // 4 side boxes, 4 inversion lists, 4 x 3 option boxes.
    QCOMPARE(controls, 42 + 16 + 6 + 12 + 4 + 4 + 12);
    for (const char* name :
         {"DI_05 type", "DI_05 byte", "DI_05 bit", "Joy 3 type", "Joy 3 word", "Joy 3 side A input",
          "Joy 3 side B input", "Dead Man input", "Float Sec. 2 input",
          "Float current section 2 [mA]", "Float current section 2 [mA] slider",
          "Float section 2 on side B", "Joystick ID", "Joystick Rx Timeout [ms]",
          "Invert joystick section 1", "Section 1: Section enabled with Dead-Man",
          "Section 4: Wait for joystick NEUTRAL at START UP"})
        QVERIFY2(names.contains(QLatin1String(name)), name);
    QCOMPARE(rig.child<QLabel>(QStringLiteral("LblGgtName_5"))->buddy(), rig.list("CmbDgtType", 5));
    QCOMPARE(rig.child<QLabel>(QStringLiteral("LblJoyName_2"))->text(), QStringLiteral("Joy 3"));
    QCOMPARE(rig.child<QLabel>(QStringLiteral("LblJoyName_2"))->buddy(), rig.list("CmbJoyType", 2));
}

void FrmJoyCanTest::listRulesEnableAndReset() {
    DialogRig rig;
    rig.open();
    // A digital input switched off: byte and bit back to 0 and greyed; on again,
    // they can be chosen.
    rig.pick("CmbByteNum", 2, QStringLiteral("6"));
    rig.pick("CmbDgtType", 2, QStringLiteral("OFF"));
    QCOMPARE(rig.shown("CmbByteNum", 2), QStringLiteral("0"));
    QCOMPARE(rig.shown("CmbBitNum", 2), QStringLiteral("0"));
    QVERIFY(!rig.list("CmbByteNum", 2)->isEnabled());
    QVERIFY(!rig.list("CmbBitNum", 2)->isEnabled());
    rig.pick("CmbDgtType", 2, QStringLiteral("EDGE"));
    QVERIFY(rig.list("CmbByteNum", 2)->isEnabled());
    QVERIFY(rig.list("CmbBitNum", 2)->isEnabled());

    // Channel types: every one moves the word to blank; off and proportional clear
    // the inputs; only proportional takes a word, only the digital types inputs.
    struct Expect {
        const char* type;
        bool word;
        bool inputs;
        const char* inputShown;
    };
    rig.pick("CmbJoyDgtA", 2, QStringLiteral("DI_07")); // Joy 3 is digital
    for (const Expect& e :
         {Expect{"ON/OFF Indipendent", false, true, "DI_07"},
          Expect{"Propotional", true, false, "OFF"}, Expect{"Digial Not Reg.", false, true, "OFF"},
          Expect{"OFF", false, false, "OFF"}}) {
        rig.pick("CmbJoyType", 2, QLatin1String(e.type));
        QCOMPARE(rig.list("CmbJoyWord", 2)->currentIndex(), JoyChannel::kBlankWord);
        QCOMPARE(rig.list("CmbJoyWord", 2)->isEnabled(), e.word);
        QCOMPARE(rig.list("CmbJoyDgtA", 2)->isEnabled(), e.inputs);
        QCOMPARE(rig.list("CmbJoyDgtB", 2)->isEnabled(), e.inputs);
        QCOMPARE(rig.shown("CmbJoyDgtA", 2), QLatin1String(e.inputShown));
    }

    // A float row off greys its current and side; on a digital input they return.
    // Dead man and fast/slow have nothing to grey.
    const auto floatRowOn = [&rig](int s) {
        const QString n = QString::number(s + 1);
        const bool text = rig.text(qPrintable(QStringLiteral("TxtCurrentFloat") + n))->isEnabled();
        const bool side = rig.box(QStringLiteral("ChkFloat_") + n)->isEnabled();
        if (text != side)
            qFatal("float row %d half enabled", s + 1);
        return text;
    };
    QVERIFY(floatRowOn(0)); // shipped: float 1 on DI_03
    QVERIFY(!floatRowOn(1));
    QVERIFY(!rig.child<QScrollBar>(QStringLiteral("hscCurrentFloat2"))->isEnabled());
    rig.pick("CmbDgtIndex", 3, QStringLiteral("DI_09"));
    QVERIFY(floatRowOn(1));
    QVERIFY(rig.child<QScrollBar>(QStringLiteral("hscCurrentFloat2"))->isEnabled());
    rig.pick("CmbDgtIndex", 2, QStringLiteral("OFF"));
    QVERIFY(!floatRowOn(0));
    rig.pick("CmbDgtIndex", 5, QStringLiteral("DI_11"));
    QVERIFY(rig.child<QScrollBar>(QStringLiteral("HscCurrentFloat4"))->isEnabled());
    rig.pick("CmbDgtIndex", 0, QStringLiteral("OFF"));
    QVERIFY(floatRowOn(1));
    QVERIFY(floatRowOn(3));
}

void FrmJoyCanTest::okWritesThePackedWords() {
    DialogRig rig;
    rig.edit(HvcId::HVC_DGT_CONFIG_8, 5);
    rig.edit(HvcId::HVC_SP_0_MACRO, 0b1101); // bit 3 no box shows
    rig.edit(HvcId::HVC_JOY_1_CONFIG, 0);    // Joy 2 off before the user sets it
    rig.open();
    QSignalSpy redraw(rig.dialog.get(), &FrmJoyCan::configDrawJoyRequested);

    // Joy 1 by hand to digital with DI_03 / DI_14; Joy 2 proportional on Y; Joy 3 off.
    rig.pick("CmbJoyType", 0, QStringLiteral("Digial Reg."));
    rig.pick("CmbJoyDgtA", 0, QStringLiteral("DI_03"));
    rig.pick("CmbJoyDgtB", 0, QStringLiteral("DI_14"));
    rig.pick("CmbJoyType", 1, QStringLiteral("Propotional"));
    rig.pick("CmbJoyWord", 1, QStringLiteral("Y"));
    rig.pick("CmbJoyType", 2, QStringLiteral("OFF"));
    // DI_01 off, DI_02 on edge at byte 7, bit 7.
    rig.pick("CmbDgtType", 1, QStringLiteral("OFF"));
    rig.pick("CmbDgtType", 2, QStringLiteral("EDGE"));
    rig.pick("CmbByteNum", 2, QStringLiteral("7"));
    rig.pick("CmbBitNum", 2, QStringLiteral("7"));
    // DI_04 on edge at byte 7, bit 7 as well: every even input takes the high byte.
    rig.pick("CmbDgtType", 4, QStringLiteral("EDGE"));
    rig.pick("CmbByteNum", 4, QStringLiteral("7"));
    rig.pick("CmbBitNum", 4, QStringLiteral("7"));
    // Float 2 on DI_09, side B; float 1 gets a current and is then switched off.
    rig.pick("CmbDgtIndex", 3, QStringLiteral("DI_09"));
    rig.box(QStringLiteral("ChkFloat_2"))->setChecked(true);
    rig.text("TxtCurrentFloat1")->setText(QStringLiteral("700.5"));
    rig.pick("CmbDgtIndex", 2, QStringLiteral("OFF"));
    rig.text("TxtJoyTimeout")->setText(QStringLiteral("251.5"));
    // Section 1: not inverted -> inverted; dead man cleared, neutral at run time set.
    rig.pick("CmbJoyInversion", 0, QStringLiteral("YES"));
    rig.box(QStringLiteral("ChkUpEn_0"))->setChecked(false);
    rig.box(QStringLiteral("ChkUpJoyNeutral_0"))->setChecked(true);
    QVERIFY(rig.state.document.dataUnchanged());

    rig.click("CmdOk");
    QVERIFY(rig.prompter.messages.isEmpty());
    QVERIFY(!rig.dialog->isVisible());
    QCOMPARE(redraw.count(), 1);
    QVERIFY(!rig.state.document.dataUnchanged());
    QCOMPARE(rig.word(HvcId::HVC_JOY_0_CONFIG), 58226); // 0xE372
    QCOMPARE(rig.word(HvcId::HVC_JOY_0_ID), 5);
    QCOMPARE(rig.word(HvcId::HVC_JOY_1_CONFIG), 17);
    QCOMPARE(rig.word(HvcId::HVC_JOY_1_ID), 1);
    QCOMPARE(rig.word(HvcId::HVC_JOY_2_CONFIG), 0x70);
    QCOMPARE(rig.word(HvcId::HVC_JOY_2_ID), 8);
    QCOMPARE(rig.word(HvcId::HVC_JOY_3_ID), 0);         // untouched: the shipped 0
    QCOMPARE(rig.word(HvcId::HVC_DGT_CONFIG_1), 65024); // 0xFE00
    QCOMPARE(rig.word(HvcId::HVC_DGT_CONFIG_2) & 0xFF00, 0xFE00);
    QCOMPARE(rig.word(HvcId::HVC_DGT_CONFIG_8), 0);
    // Dead man DI_01, fast/slow DI_02, float 1 off, float 2 DI_09.
    QCOMPARE(rig.word(HvcId::HVC_FLOAT_CONFIG_1), 0x9021);
    QCOMPARE(rig.word(HvcId::HVC_FLOAT_MAG_SIDE), 0b0010);
    QCOMPARE(rig.word(HvcId::HVC_FLOAT_CURRENT_1), 700); // halves to the even neighbour
    QCOMPARE(rig.word(HvcId::HVC_JOY_TIMEOUT), 252);
    QCOMPARE(rig.word(HvcId::HVC_JOY_0_INV), 170);
    QCOMPARE(rig.word(HvcId::HVC_SP_0_MACRO), 0b1110); // only the cleared bit goes
    QCOMPARE(rig.word(HvcId::HVC_SP_1_MACRO), 5);
}

void FrmJoyCanTest::cancelEscapeAndCloseWriteNothing() {
    DialogRig rig;
    QMap<HvcId, std::int32_t> before;
    for (HvcId id : dialogWords())
        before.insert(id, rig.word(id));
    const auto unchanged = [&] {
        for (HvcId id : dialogWords())
            if (rig.word(id) != before.value(id))
                return false;
        return rig.state.document.dataUnchanged();
    };
    const auto edit = [&rig] {
        rig.pick("CmbJoyType", 0, QStringLiteral("OFF"));
        rig.pick("CmbDgtType", 1, QStringLiteral("EDGE"));
        rig.box(QStringLiteral("ChkUpEn_3"))->setChecked(false);
        rig.text("TxtJoyID")->setText(QStringLiteral("99"));
    };

    rig.open();
    edit();
    rig.click("CmdCancel");
    QVERIFY(!rig.dialog->isVisible());
    QVERIFY(unchanged());

    // Reopened, it shows the records, not what was cancelled.
    rig.open();
    QCOMPARE(rig.shown("CmbJoyType", 0), QStringLiteral("Propotional"));
    QCOMPARE(rig.text("TxtJoyID")->text(), QStringLiteral("16"));
    edit();
    QTest::keyClick(rig.text("TxtJoyID"), Qt::Key_Escape);
    QVERIFY(!rig.dialog->isVisible());
    QVERIFY(unchanged());

    rig.open();
    edit();
    rig.dialog->close();
    QVERIFY(unchanged());
    QVERIFY(rig.prompter.messages.isEmpty());
}

void FrmJoyCanTest::numberFieldsAskBeforeAWrongValueIsWritten() {
    DialogRig rig;
    rig.edit(HvcId::HVC_JOY_NODE_ID, 40); // the working value; the unit holds 16
    rig.open();
    QLineEdit* id = rig.text("TxtJoyID");
    QCOMPARE(id->text(), QStringLiteral("40"));

    // Only digits and the point reach the box.
    id->setFocus();
    id->selectAll();
    QTest::keyClicks(id, QStringLiteral("3a-0+0"));
    QCOMPARE(id->text(), QStringLiteral("300"));
    // Typing does not move the bar; Enter above the maximum asks, Yes restores.
    QCOMPARE(rig.child<QScrollBar>(QStringLiteral("hscJoyID"))->value(), 40);
    rig.prompter.answers = {true};
    QTest::keyClick(id, Qt::Key_Return);
    QCOMPARE(rig.prompter.texts(), QStringList{kRestore16});
    QCOMPARE(rig.prompter.messages.at(0).icon, PromptIcon::Information);
    QCOMPARE(id->text(), QStringLiteral("16"));
    // No keeps the text and the focus.
    id->setText(QStringLiteral("300"));
    QTest::keyClick(id, Qt::Key_Return);
    QCOMPARE(rig.prompter.messages.size(), 2);
    QCOMPARE(id->text(), QStringLiteral("300"));
    QVERIFY(id->hasFocus());

    // OK asks again; refused, nothing at all is written and the box has the focus.
    rig.text("TxtJoyTimeout")->setFocus();
    rig.pick("CmbJoyType", 0, QStringLiteral("OFF"));
    rig.click("CmdOk");
    QCOMPARE(rig.prompter.texts(), QStringList({kRestore16, kRestore16, kRestore16}));
    QVERIFY(rig.dialog->isVisible());
    QVERIFY(id->hasFocus());
    QCOMPARE(rig.word(HvcId::HVC_JOY_NODE_ID), 40);
    QCOMPARE(rig.word(HvcId::HVC_JOY_0_CONFIG), 1);
    QVERIFY(rig.state.document.dataUnchanged());
    // An empty box, or one that is no number, is asked about the same way.
    for (const char* wrong : {"", "1.2.3"}) {
        id->setText(QLatin1String(wrong));
        rig.click("CmdOk");
        QVERIFY(rig.dialog->isVisible());
        QCOMPARE(rig.prompter.messages.last().text, kRestore16);
    }
    // Answered Yes, OK goes on with the unit's value.
    rig.prompter.answers = {true};
    rig.click("CmdOk");
    QVERIFY(!rig.dialog->isVisible());
    QCOMPARE(rig.word(HvcId::HVC_JOY_NODE_ID), 16);
    QCOMPARE(rig.word(HvcId::HVC_JOY_0_CONFIG), 0x70);

    // Moving a bar writes its number into the box, in range, without a question.
    rig.open();
    const int asked = static_cast<int>(rig.prompter.messages.size());
    rig.child<QScrollBar>(QStringLiteral("hscJoyTimeout"))->setValue(1500);
    QCOMPARE(rig.text("TxtJoyTimeout")->text(), QStringLiteral("1500"));
    QCOMPARE(rig.prompter.messages.size(), asked);
    rig.click("CmdOk");
    QCOMPARE(rig.word(HvcId::HVC_JOY_TIMEOUT), 1500);
}

void FrmJoyCanTest::configPageOpensOneDialogAndRedrawsJoysticks() {
    Records rig;
    std::unique_ptr<PageForm> form(ProgramPages()(rig.context, Page::Config, nullptr));
    auto* page = qobject_cast<FrmConfig*>(form.get());
    QVERIFY(page);
    page->RefreshObject();
    page->show();
    auto* button = page->findChild<QPushButton*>(QStringLiteral("CmdCanSettings"));
    QTest::mouseClick(button, Qt::LeftButton);
    auto* dialog = page->findChild<FrmJoyCan*>();
    QVERIFY(dialog);
    Controls controls{dialog};
    // Clicked again while open: the same dialog, the edit still on show.
    controls.pick("CmbJoyType", 0, QStringLiteral("Digial Reg."));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(page->findChildren<FrmJoyCan*>().size(), 1);
    QVERIFY(dialog->isVisible());
    QCOMPARE(controls.shown("CmbJoyType", 0), QStringLiteral("Digial Reg."));
    QVERIFY(!dialog->isModal());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Configure Joystick Can"));
    QCOMPARE(dialog->objectName(), QStringLiteral("FrmJoyCan"));

    // The shipped identifier 68 is the HJ-4 grip; a digital channel writes 5, which
    // no model has.
    auto* joy = page->findChild<QLabel*>(QStringLiteral("JoySel_0"));
    QCOMPARE(joy->toolTip(), QStringLiteral("HJ-4 ergonomic grip"));
    controls.click("CmdOk");
    QVERIFY(!dialog->isVisible());
    QCOMPARE(joy->toolTip(), QStringLiteral("Not used"));

    // Opened again after OK: the edit is on show (the unit still holds the old one).
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(dialog->isVisible());
    QCOMPARE(controls.shown("CmbJoyType", 0), QStringLiteral("Digial Reg."));
    QCOMPARE(rig.var(HvcId::HVC_JOY_0_CONFIG).E2InECU, 1);
}

void FrmJoyCanTest::changesReachTheUnitAndComeBack() {
    Records rig;
    QTemporaryDir dir;
    SimProcess sim;
    const QString device =
        sim.start({QStringLiteral("--ramlist"), test::sourcePath("res/ini/Ramlist.ini"),
                   QStringLiteral("--eeprom"), dir.filePath(QStringLiteral("eeprom.txt"))});
    QVERIFY2(!device.isEmpty(), qPrintable(sim.errorString()));
    LinkProcedures link{PortTable(), rig.prompter};
    link.ports().set(1, device);
    link.setPort(1);
    rig.state.link = &link;
    CommandView view;
    UnitCommands commands(rig.state, view);
    commands.connectToUnit();
    QCOMPARE(rig.state.connectState(), ConnectState::Connected);

    FrmJoyCan dialog(rig.context);
    Controls controls{&dialog};
    dialog.present();
    controls.pick("CmbJoyType", 0, QStringLiteral("Digial Reg."));
    controls.pick("CmbJoyDgtA", 0, QStringLiteral("DI_03"));
    controls.pick("CmbJoyDgtB", 0, QStringLiteral("DI_14"));
    controls.pick("CmbDgtType", 1, QStringLiteral("OFF"));
    controls.pick("CmbDgtType", 2, QStringLiteral("EDGE"));
    controls.pick("CmbByteNum", 2, QStringLiteral("7"));
    controls.pick("CmbBitNum", 2, QStringLiteral("7"));
    controls.click("CmdOk");
    commands.writeAll();
    QCOMPARE(rig.state.connectState(), ConnectState::Connected);
    QVERIFY2(rig.prompter.messages.isEmpty(), qPrintable(rig.prompter.texts().join(u'\n')));

    // Disconnected, the port is free for hvcctl, which reads the packed words.
    commands.connectToUnit();
    QCOMPARE(rig.state.connectState(), ConnectState::NotConnected);
    for (const auto& [name, word] :
         {std::pair{"HVC_JOY_0_CONFIG", 58226}, {"HVC_JOY_0_ID", 5}, {"HVC_DGT_CONFIG_1", 65024}}) {
        const auto got = testutil::hvcctl(
            {QStringLiteral("get"), QString::fromLatin1(name), QStringLiteral("--port"), device});
        QVERIFY2(got.code == 0, qPrintable(got.err));
        QCOMPARE(got.out.section(u'\t', 2, 2).toInt() & 0xFFFF, word);
    }

    // Read back from the unit, the dialog shows the channel and the input again.
    commands.connectToUnit();
    QCOMPARE(rig.state.connectState(), ConnectState::Connected);
    dialog.present();
    QCOMPARE(controls.shown("CmbJoyType", 0), QStringLiteral("Digial Reg."));
    QCOMPARE(controls.shown("CmbJoyDgtA", 0), QStringLiteral("DI_03"));
    QCOMPARE(controls.shown("CmbJoyDgtB", 0), QStringLiteral("DI_14"));
    QCOMPARE(controls.shown("CmbDgtType", 2), QStringLiteral("EDGE"));
    QCOMPARE(controls.shown("CmbBitNum", 2), QStringLiteral("7"));
    commands.connectToUnit();
}

QTEST_MAIN(FrmJoyCanTest)
#include "test_frmjoycan.moc"
