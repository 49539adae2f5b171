// The dither dialog as the configuration page opens it, on the shipped variable
// map (frequency 30..300 Hz at 100, amplitude 0..300 mA at 50): live edits into
// workingWord, the range question, Cancel and OK. Questions are answered by a
// ScriptedPrompter; no unit is involved.

#include "inputs/frmmagsel.h"
#include "support/pagerig.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>

using namespace hvc;

namespace {

const QString kRestore100 = QStringLiteral("Value Not Correct : Restore With '100' ?");

struct DialogRig : test::PageRig<FrmConfig, Page::Config> {
    // The page's one dialog, opened from a section's solenoid picture.
    FrmMagSel* open(int section = 0) {
        QTest::mouseClick(child("MagSel", section), Qt::LeftButton);
        dialog = page->findChild<FrmMagSel*>();
        QApplication::setActiveWindow(dialog);
        if (!QTest::qWaitForWindowActive(dialog))
            qWarning("the dialog did not become active");
        return dialog;
    }
    template <typename T> T* in(const char* name) const {
        return dialog->findChild<T*>(QLatin1String(name));
    }
    std::int32_t freq() { return word(HvcId::HVC_DITHER_FREQ); }
    std::int32_t amp() { return word(HvcId::HVC_DITHER_AMP); }

    FrmMagSel* dialog = nullptr;
};

} // namespace

class FrmMagSelTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void typingStoresOnlyWithinRange();
    void cancelRestoresAndOkRedraws();
};

void FrmMagSelTest::typingStoresOnlyWithinRange() {
    DialogRig rig;
    rig.open();
    auto* freq = rig.in<QLineEdit>("TxtDitherFreq");
    auto* freqBar = rig.in<QScrollBar>("hscDitherFreq");
    auto* amp = rig.in<QLineEdit>("TxtDitherAmp");
    QCOMPARE(freq->text(), QStringLiteral("100"));
    QCOMPARE(rig.in<QScrollBar>("hscDitherAmp")->value(), 50);

    // Letters and signs never reach the box.
    freq->setFocus();
    freq->selectAll();
    QTest::keyClicks(freq, QStringLiteral("4a-5"));
    QCOMPARE(freq->text(), QStringLiteral("45"));
    QCOMPARE(rig.freq(), 45);
    QCOMPARE(freqBar->value(), 45);

    // The maximum is stored, one above it is not.
    freq->setText(QStringLiteral("300"));
    QCOMPARE(rig.freq(), 300);
    freq->setText(QStringLiteral("301"));
    QCOMPARE(rig.freq(), 300);
    QVERIFY(rig.prompter.messages.isEmpty());
    // Enter asks; Yes puts the unit's value back, and it is stored.
    rig.prompter.answers = {true};
    QTest::keyClick(freq, Qt::Key_Return);
    QCOMPARE(rig.prompter.texts(), QStringList{kRestore100});
    QCOMPARE(freq->text(), QStringLiteral("100"));
    QCOMPARE(rig.freq(), 100);
    // No leaves the text and the focus in the box; leaving the box asks again.
    freq->setText(QStringLiteral("29"));
    QTest::keyClick(freq, Qt::Key_Return);
    QCOMPARE(rig.prompter.texts(), QStringList({kRestore100, kRestore100}));
    QCOMPARE(freq->text(), QStringLiteral("29"));
    QVERIFY(freq->hasFocus());
    amp->setFocus();
    QCOMPARE(rig.prompter.messages.size(), 3);
    QCOMPARE(rig.freq(), 100);
}

void FrmMagSelTest::cancelRestoresAndOkRedraws() {
    DialogRig rig;
    FrmMagSel* made = rig.page->findChild<FrmMagSel*>(); // built, hidden, with the page
    QVERIFY(made && !made->isVisible());
    FrmMagSel* dialog = rig.open(0);
    QCOMPARE(dialog, made);
    QVERIFY(dialog->isVisible() && !dialog->isModal());
    QSignalSpy draw(dialog, &FrmMagSel::drawDitherRequested);

    // Cancel puts back each field's own value, also after a click on another
    // section's picture while open (the same one dialog, the edits on show).
    rig.in<QScrollBar>("hscDitherAmp")->setValue(120);
    rig.in<QLineEdit>("TxtDitherFreq")->setText(QStringLiteral("200"));
    QCOMPARE(rig.open(2), dialog);
    QCOMPARE(rig.page->findChildren<FrmMagSel*>().size(), 1);
    QCOMPARE(rig.in<QLineEdit>("TxtDitherFreq")->text(), QStringLiteral("200"));
    QCOMPARE(rig.amp(), 120);
    QCOMPARE(rig.freq(), 200);
    QTest::mouseClick(rig.in<QPushButton>("CmdCancel"), Qt::LeftButton);
    QCOMPARE(rig.amp(), 50);
    QCOMPARE(rig.freq(), 100);
    QCOMPARE(draw.count(), 1);
    QVERIFY(!dialog->isVisible());
    QVERIFY(rig.state.document.flags.dataUnchanged());

    // Each opening takes the values to return to anew; Escape is Cancel.
    rig.var(HvcId::HVC_DITHER_FREQ).workingWord = 150;
    rig.var(HvcId::HVC_DITHER_AMP).workingWord = 70;
    rig.open();
    QCOMPARE(rig.in<QLineEdit>("TxtDitherFreq")->text(), QStringLiteral("150"));
    rig.in<QScrollBar>("hscDitherFreq")->setValue(160);
    rig.in<QScrollBar>("hscDitherAmp")->setValue(80);
    QTest::keyClick(dialog, Qt::Key_Escape);
    QCOMPARE(rig.freq(), 150);
    QCOMPARE(rig.amp(), 70);
    QVERIFY(!dialog->isVisible());

    // OK keeps the edit, marks the document and redraws the page's captions.
    rig.open();
    rig.state.document.flags.unitRead();
    rig.in<QLineEdit>("TxtDitherFreq")->setText(QStringLiteral("250"));
    QTest::mouseClick(rig.in<QPushButton>("CmdOk"), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QVERIFY(!rig.state.document.flags.dataUnchanged());
    QCOMPARE(rig.freq(), 250);
    QCOMPARE(rig.amp(), 70);
    QCOMPARE(rig.child<QLabel>("LblFreq", 3)->text(), QStringLiteral("250 Hz"));
}

QTEST_MAIN(FrmMagSelTest)
#include "test_frmmagsel.moc"
