// The joystick and digital settings dialog as the configuration page opens it,
// over the shipped variable map: what it shows from the records (codes no list has
// included), the rules between its lists, the words OK writes and Cancel does not,
// the number fields' question, and the words reaching hvc-sim through Write All.

#include "inputs/frmjoycan.h"
#include "support/liveshell.h"
#include "support/pagerig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>

using namespace hvc;

namespace {

const QString kRestore16 = QStringLiteral("Value Not Correct : Restore With '16' ?");

// Opens the page's one dialog and works its controls as the user would.
struct Dialog {
    FrmConfig* owner = nullptr;
    FrmJoyCan* dialog = nullptr;

    void open() {
        owner->findChild<QPushButton*>(QStringLiteral("CmdCanSettings"))->click();
        dialog = owner->findChild<FrmJoyCan*>();
        QApplication::setActiveWindow(dialog);
        if (!QTest::qWaitForWindowActive(dialog))
            qWarning("the dialog did not become active");
    }
    template <typename T> T* in(const QString& name) const {
        T* w = dialog->findChild<T*>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QComboBox* list(const char* name, int i) const { return in<QComboBox>(test::at(name, i)); }
    QString current(const char* name, int i) const { return list(name, i)->currentText(); }
    void pick(const char* name, int i, const char* caption) const {
        QComboBox* c = list(name, i);
        const int at = c->findText(QLatin1String(caption));
        if (at < 0)
            qFatal("%s has no entry %s", qPrintable(c->objectName()), caption);
        c->setCurrentIndex(at);
    }
    QLineEdit* text(const char* name) const { return in<QLineEdit>(QLatin1String(name)); }
    QCheckBox* box(const char* name, int i) const { return in<QCheckBox>(test::at(name, i)); }
    QScrollBar* bar(const char* name) const { return in<QScrollBar>(QLatin1String(name)); }
    void click(const char* name) const {
        QTest::mouseClick(in<QPushButton>(QLatin1String(name)), Qt::LeftButton);
    }
};

struct Rig : test::PageRig<FrmConfig, Page::Config>, Dialog {
    Rig() { owner = page; }
    // A working value that the unit does not hold (a loaded file, an edit).
    void edit(HvcId id, std::int32_t value) { var(id).takeFileWord(value); }
    // The words the dialog composes: what OK may change.
    QMap<HvcId, std::int32_t> words() {
        QMap<HvcId, std::int32_t> w;
        for (const VarSetting& s : JoyCanSettings().compose())
            w.insert(s.id, word(s.id));
        return w;
    }
};

} // namespace

class FrmJoyCanTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opensFromWorkingValuesKeepingUnknownCodes();
    void listRulesEnableAndReset();
    void okWritesThePackedWords();
    void cancelAndEscapeWriteNothing();
    void numberFieldsAskBeforeAWrongValueIsWritten();
    void changesReachTheUnitAndComeBack();
};

void FrmJoyCanTest::opensFromWorkingValuesKeepingUnknownCodes() {
    Rig rig;
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
    const QMap<HvcId, std::int32_t> before = rig.words();
    rig.open();

    // The shipped Joy 3 is digital with word X: shown as it is, not moved to blank.
    const char* const expected[] = {
        "CmbDgtType_2=LEVEL", "CmbByteNum_2=1",       "CmbDgtType_3=? (3)",
        "CmbByteNum_3=2",     "CmbBitNum_3=5",        "CmbJoyType_3=? (9)",
        "CmbJoyWord_3=? (8)", "CmbJoyDgtA_3=? (15)",  "CmbJoyDgtB_3=DI_01",
        "CmbJoyWord_2=X",     "CmbDgtIndex_4=? (15)", "CmbJoyInversion_1=? (99)"};
    for (const char* e : expected) {
        const QStringList nameAndText = QString::fromLatin1(e).split(u'=');
        QCOMPARE(rig.in<QComboBox>(nameAndText[0])->currentText(), nameAndText[1]);
    }
    // Loading runs no rule: the input that is off keeps its byte, greyed out.
    QVERIFY(rig.list("CmbByteNum", 3)->isEnabled() && !rig.list("CmbByteNum", 4)->isEnabled());
    QVERIFY(rig.box("ChkUpJoyNeutral", 2)->isChecked() && !rig.box("ChkUpEn", 2)->isChecked());
    // The number as it is, the bar at the nearer limit.
    QCOMPARE(rig.text("TxtJoyID")->text(), QStringLiteral("200"));
    QCOMPARE(rig.bar("hscJoyID")->value(), 127);

    // OK untouched: every word comes back bit for bit, the channels' identifiers
    // (which also name the joystick models) included.
    rig.click("CmdOk");
    QVERIFY(rig.prompter.messages.isEmpty());
    QVERIFY(!rig.dialog->isVisible());
    QCOMPARE(rig.words(), before);
}

void FrmJoyCanTest::listRulesEnableAndReset() {
    Rig rig;
    rig.open();
    // Channel types: every one moves the word to blank; off and proportional clear
    // the inputs; only proportional takes a word, only the digital types inputs.
    const struct {
        const char* type;
        bool word;
        bool inputs;
        const char* inputShown;
    } types[] = {{"ON/OFF Indipendent", false, true, "DI_07"},
                 {"Propotional", true, false, "OFF"},
                 {"Digial Not Reg.", false, true, "OFF"},
                 {"OFF", false, false, "OFF"}};
    rig.pick("CmbJoyDgtA", 2, "DI_07"); // Joy 3 is digital
    for (const auto& e : types) {
        rig.pick("CmbJoyType", 2, e.type);
        QCOMPARE(rig.list("CmbJoyWord", 2)->currentIndex(), JoyChannel::kBlankWord);
        QCOMPARE(rig.list("CmbJoyWord", 2)->isEnabled(), e.word);
        QCOMPARE(rig.list("CmbJoyDgtA", 2)->isEnabled(), e.inputs);
        QCOMPARE(rig.list("CmbJoyDgtB", 2)->isEnabled(), e.inputs);
        QCOMPARE(rig.current("CmbJoyDgtA", 2), QLatin1String(e.inputShown));
    }
}

void FrmJoyCanTest::okWritesThePackedWords() {
    Rig rig;
    rig.edit(HvcId::HVC_DGT_CONFIG_8, 5);
    rig.edit(HvcId::HVC_SP_0_MACRO, 0b1101); // bit 3 no box shows
    rig.edit(HvcId::HVC_JOY_1_CONFIG, 0);    // Joy 2 off before the user sets it
    rig.state.document.flags.unitRead();
    rig.open();
    QSignalSpy redraw(rig.dialog, &FrmJoyCan::configDrawJoyRequested);

    // Joy 1 by hand to digital with DI_03 / DI_14; Joy 2 proportional on Y; Joy 3 off.
    rig.pick("CmbJoyType", 0, "Digial Reg.");
    rig.pick("CmbJoyDgtA", 0, "DI_03");
    rig.pick("CmbJoyDgtB", 0, "DI_14");
    rig.pick("CmbJoyType", 1, "Propotional");
    rig.pick("CmbJoyWord", 1, "Y");
    rig.pick("CmbJoyType", 2, "OFF");
    // DI_01 off; DI_02 and DI_04 on edge at byte 7, bit 7: even inputs take the high byte.
    rig.pick("CmbDgtType", 1, "OFF");
    for (int input : {2, 4}) {
        rig.pick("CmbDgtType", input, "EDGE");
        rig.pick("CmbByteNum", input, "7");
        rig.pick("CmbBitNum", input, "7");
    }
    // Float 2 on DI_09, side B; float 1 gets a current and is then switched off.
    rig.pick("CmbDgtIndex", 3, "DI_09");
    rig.box("ChkFloat", 2)->setChecked(true);
    rig.text("TxtCurrentFloat1")->setText(QStringLiteral("700.5"));
    rig.pick("CmbDgtIndex", 2, "OFF");
    // Section 1: not inverted -> inverted; dead man cleared.
    rig.pick("CmbJoyInversion", 0, "YES");
    rig.box("ChkUpEn", 0)->setChecked(false);
    QVERIFY(rig.state.document.flags.dataUnchanged());

    rig.click("CmdOk");
    QVERIFY(rig.prompter.messages.isEmpty());
    QVERIFY(!rig.dialog->isVisible());
    QCOMPARE(redraw.count(), 1);
    QVERIFY(!rig.state.document.flags.dataUnchanged());
    // Dead man DI_01, fast/slow DI_02, float 1 off, float 2 DI_09; the current's
    // half goes to the even neighbour; Joy 4 untouched keeps the shipped 8; only
    // the cleared option bit goes.
    const std::pair<HvcId, std::int32_t> written[] = {{HvcId::HVC_JOY_0_CONFIG, 0xE372},
                                                      {HvcId::HVC_JOY_0_ID, 5},
                                                      {HvcId::HVC_JOY_1_CONFIG, 17},
                                                      {HvcId::HVC_JOY_1_ID, 1},
                                                      {HvcId::HVC_JOY_2_CONFIG, 0x70},
                                                      {HvcId::HVC_JOY_2_ID, 8},
                                                      {HvcId::HVC_JOY_3_ID, 8},
                                                      {HvcId::HVC_DGT_CONFIG_1, 0xFE00},
                                                      {HvcId::HVC_DGT_CONFIG_8, 0},
                                                      {HvcId::HVC_FLOAT_CONFIG_1, 0x9021},
                                                      {HvcId::HVC_FLOAT_MAG_SIDE, 0b0010},
                                                      {HvcId::HVC_FLOAT_CURRENT_1, 700},
                                                      {HvcId::HVC_JOY_0_INV, 170},
                                                      {HvcId::HVC_SP_0_MACRO, 0b1100}};
    for (const auto& [id, value] : written)
        QVERIFY2(rig.word(id) == value, qPrintable(rig.var(id).name));
    QCOMPARE(rig.word(HvcId::HVC_DGT_CONFIG_2) & 0xFF00, 0xFE00);
    // The page redraws its joystick: 5 is the catalogue's digital pair.
    QCOMPARE(rig.child<QLabel>("JoySel", 0)->toolTip(),
             QStringLiteral("CAN channel, digital pair"));
}

void FrmJoyCanTest::cancelAndEscapeWriteNothing() {
    Rig rig;
    const QMap<HvcId, std::int32_t> before = rig.words();
    for (int way = 0; way < 2; ++way) {
        rig.open();
        // Reopened, it shows the records, not what was cancelled.
        QCOMPARE(rig.current("CmbJoyType", 0), QStringLiteral("Propotional"));
        QCOMPARE(rig.text("TxtJoyID")->text(), QStringLiteral("16"));
        rig.pick("CmbJoyType", 0, "OFF");
        rig.pick("CmbDgtType", 1, "EDGE");
        rig.box("ChkUpEn", 3)->setChecked(false);
        rig.text("TxtJoyID")->setText(QStringLiteral("99"));
        if (way == 0)
            rig.click("CmdCancel");
        else
            QTest::keyClick(rig.text("TxtJoyID"), Qt::Key_Escape);
        QVERIFY(!rig.dialog->isVisible());
        QCOMPARE(rig.words(), before);
        QVERIFY(rig.state.document.flags.dataUnchanged());
    }
    QVERIFY(rig.prompter.messages.isEmpty());
}

void FrmJoyCanTest::numberFieldsAskBeforeAWrongValueIsWritten() {
    Rig rig;
    rig.edit(HvcId::HVC_JOY_NODE_ID, 40); // the working value; the unit holds 16
    rig.state.document.flags.unitRead();
    rig.open();
    QLineEdit* id = rig.text("TxtJoyID");
    QCOMPARE(id->text(), QStringLiteral("40"));

    // Enter above the maximum asks, Yes restores the unit's value.
    id->setFocus();
    id->setText(QStringLiteral("300"));
    rig.prompter.answers = {true};
    QTest::keyClick(id, Qt::Key_Return);
    QCOMPARE(rig.prompter.texts(), QStringList{kRestore16});
    QCOMPARE(id->text(), QStringLiteral("16"));
    id->setText(QStringLiteral("300"));

    // OK asks again; refused, nothing at all is written and the box has the focus.
    rig.text("TxtJoyTimeout")->setFocus();
    rig.pick("CmbJoyType", 0, "OFF");
    rig.click("CmdOk");
    QCOMPARE(rig.prompter.texts(), QStringList({kRestore16, kRestore16}));
    QVERIFY(rig.dialog->isVisible());
    QVERIFY(id->hasFocus());
    QCOMPARE(rig.word(HvcId::HVC_JOY_NODE_ID), 40);
    QCOMPARE(rig.word(HvcId::HVC_JOY_0_CONFIG), 1);
    QVERIFY(rig.state.document.flags.dataUnchanged());
    // Answered Yes, OK goes on with the unit's value.
    rig.prompter.answers = {true};
    rig.click("CmdOk");
    QVERIFY(!rig.dialog->isVisible());
    QCOMPARE(rig.word(HvcId::HVC_JOY_NODE_ID), 16);
    QCOMPARE(rig.word(HvcId::HVC_JOY_0_CONFIG), 0x70);
}

void FrmJoyCanTest::changesReachTheUnitAndComeBack() {
    test::LiveShell shell;
    QVERIFY(shell.started && shell.connect());
    Dialog d{shell.config};
    d.open();
    d.pick("CmbJoyType", 0, "Digial Reg.");
    d.pick("CmbJoyDgtA", 0, "DI_03");
    d.pick("CmbJoyDgtB", 0, "DI_14");
    d.pick("CmbDgtType", 1, "OFF");
    d.pick("CmbDgtType", 2, "EDGE");
    d.pick("CmbByteNum", 2, "7");
    d.pick("CmbBitNum", 2, "7");
    d.click("CmdOk");
    shell.window->writeAll();
    QCOMPARE(shell.state.session.connectState(), ConnectState::Connected);
    QVERIFY2(shell.prompter.messages.isEmpty(), qPrintable(shell.prompter.texts().join(u'\n')));

    // hvcctl reads the packed words from the unit.
    for (const auto& [name, word] :
         {std::pair{"HVC_JOY_0_CONFIG", 0xE372}, {"HVC_JOY_0_ID", 5}, {"HVC_DGT_CONFIG_1", 0xFE00}})
        QCOMPARE(shell.unitWord(QLatin1String(name)).toInt() & 0xFFFF, word);

    // Read back from the unit, the dialog shows the channel and the input again.
    QVERIFY(shell.connect());
    d.open();
    QCOMPARE(d.current("CmbJoyType", 0), QStringLiteral("Digial Reg."));
    QCOMPARE(d.current("CmbJoyDgtB", 0), QStringLiteral("DI_14"));
    QCOMPARE(d.current("CmbBitNum", 2), QStringLiteral("7"));
}

QTEST_MAIN(FrmJoyCanTest)
#include "test_frmjoycan.moc"
