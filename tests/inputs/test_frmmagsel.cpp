// The dither dialog on the shipped variable map (frequency 30..300 Hz at 100,
// amplitude 0..300 mA at 50): live edits into E2Value, the range question,
// Cancel and OK, F1, and the configuration page opening its one dialog.
// Questions are answered by a ScriptedPrompter; no unit is involved.

#include "config/frmconfig.h"
#include "config/programpages.h"
#include "core/prompter.h"
#include "inputs/frmmagsel.h"
#include "shell/sectioncolours.h"
#include "support/paths.h"
#include "support/shippedrecords.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace hvc;

namespace {

const QString kRestore100 = QStringLiteral("Value Not Correct : Restore With '100' ?");

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

    AppState state;
    ScriptedPrompter prompter;
    ShellContext context;
};

struct DialogRig : Records {
    DialogRig() : dialog(std::make_unique<FrmMagSel>(context)) {
        dialog->present();
        QApplication::setActiveWindow(dialog.get());
        if (!QTest::qWaitForWindowActive(dialog.get()))
            qWarning("the dialog did not become active");
    }
    template <typename T> T* child(const char* name) const {
        T* w = dialog->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    std::int32_t freq() { return var(HvcId::HVC_DITHER_FREQ).E2Value; }
    std::int32_t amp() { return var(HvcId::HVC_DITHER_AMP).E2Value; }

    std::unique_ptr<FrmMagSel> dialog;
};

} // namespace

class FrmMagSelTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void typingStoresOnlyWithinRange();
    void scrollingStoresAndCancelRestores();
    void okMarksDocumentAndF1OpensPage18();
    void pageOpensOneDialog();
};

void FrmMagSelTest::typingStoresOnlyWithinRange() {
    DialogRig rig;
    auto* freq = rig.child<QLineEdit>("TxtDitherFreq");
    auto* freqBar = rig.child<QScrollBar>("hscDitherFreq");
    auto* amp = rig.child<QLineEdit>("TxtDitherAmp");
    QCOMPARE(freq->text(), QStringLiteral("100"));
    QCOMPARE(freq->toolTip(), rig.var(HvcId::HVC_DITHER_FREQ).SaveName);
    QCOMPARE(freqBar->minimum(), 30);
    QCOMPARE(freqBar->maximum(), 300);
    QCOMPARE(rig.child<QScrollBar>("hscDitherAmp")->value(), 50);
    QVERIFY(rig.child<QWidget>("TxtDitherAmpPerc")->isHidden());
    QVERIFY(rig.state.document.dataUnchanged());

    // Deleting every digit shows "0" selected; 0 is below 30 and is not stored.
    freq->setFocus();
    freq->selectAll();
    QTest::keyClick(freq, Qt::Key_Backspace);
    QCOMPARE(freq->text(), QStringLiteral("0"));
    QCOMPARE(freq->selectedText(), QStringLiteral("0"));
    QCOMPARE(rig.freq(), 100);
    // The next digit replaces it; letters and signs never reach the box.
    QTest::keyClicks(freq, QStringLiteral("4a-5"));
    QCOMPARE(freq->text(), QStringLiteral("45"));
    QCOMPARE(rig.freq(), 45);
    QCOMPARE(freqBar->value(), 45);

    // Halves go to the even neighbour.
    amp->setText(QStringLiteral("12.5"));
    QCOMPARE(rig.amp(), 12);
    amp->setText(QStringLiteral("13.5"));
    QCOMPARE(rig.amp(), 14);

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
    QCOMPARE(rig.prompter.messages.at(0).icon, PromptIcon::Information);
    QCOMPARE(freq->text(), QStringLiteral("100"));
    QCOMPARE(rig.freq(), 100);
    // No leaves the text and the focus in the box; leaving the box asks again.
    freq->setText(QStringLiteral("29"));
    QTest::keyClick(freq, Qt::Key_Return);
    QCOMPARE(rig.prompter.texts(), QStringList({kRestore100, kRestore100}));
    QCOMPARE(freq->text(), QStringLiteral("29"));
    QVERIFY(freq->hasFocus());
    QCOMPARE(rig.freq(), 100);
    amp->setFocus();
    QCOMPARE(rig.prompter.messages.size(), 3);
    QCOMPARE(rig.freq(), 100);
}

void FrmMagSelTest::scrollingStoresAndCancelRestores() {
    DialogRig rig;
    QSignalSpy draw(rig.dialog.get(), &FrmMagSel::drawDitherRequested);
    rig.child<QScrollBar>("hscDitherAmp")->setValue(120);
    QCOMPARE(rig.amp(), 120);
    QCOMPARE(rig.child<QLineEdit>("TxtDitherAmp")->text(), QStringLiteral("120"));
    rig.child<QLineEdit>("TxtDitherFreq")->setText(QStringLiteral("200"));
    QCOMPARE(rig.freq(), 200);
    QVERIFY(rig.prompter.messages.isEmpty());

    QTest::mouseClick(rig.child<QPushButton>("CmdCancel"), Qt::LeftButton);
    QCOMPARE(rig.amp(), 50);
    QCOMPARE(rig.freq(), 100);
    QCOMPARE(draw.count(), 1);
    QVERIFY(!rig.dialog->isVisible());
    QVERIFY(rig.state.document.dataUnchanged());

    // Each opening takes the values to return to anew.
    rig.var(HvcId::HVC_DITHER_FREQ).E2Value = 150;
    rig.dialog->present();
    QCOMPARE(rig.child<QLineEdit>("TxtDitherFreq")->text(), QStringLiteral("150"));
    rig.child<QScrollBar>("hscDitherFreq")->setValue(160);
    QTest::keyClick(rig.dialog.get(), Qt::Key_Escape);
    QCOMPARE(rig.freq(), 150);
    QVERIFY(!rig.dialog->isVisible());
}

void FrmMagSelTest::okMarksDocumentAndF1OpensPage18() {
    DialogRig rig;
    QTemporaryDir dir;
    QFile manual(dir.filePath(QStringLiteral("HVCMANUAL.pdf")));
    QVERIFY(manual.open(QIODevice::WriteOnly));
    manual.close();
    rig.context.programDir = dir.path();
    QStringList opened;
    rig.context.openDocument = [&opened](const QString& target) {
        opened << target;
        return true;
    };
    QTest::keyClick(rig.child<QLineEdit>("TxtDitherAmp"), Qt::Key_F1);
    QCOMPARE(opened.size(), 1);
    QVERIFY(opened.at(0).endsWith(QStringLiteral("#page=18")));

    QSignalSpy draw(rig.dialog.get(), &FrmMagSel::drawDitherRequested);
    QVERIFY(rig.state.document.dataUnchanged());
    QTest::mouseClick(rig.child<QPushButton>("CmdOk"), Qt::LeftButton);
    QVERIFY(!rig.state.document.dataUnchanged());
    QCOMPARE(draw.count(), 1);
    QVERIFY(!rig.dialog->isVisible());
    QCOMPARE(rig.freq(), 100);
    QCOMPARE(rig.amp(), 50);
}

void FrmMagSelTest::pageOpensOneDialog() {
    Records rig;
    std::unique_ptr<PageForm> form(ProgramPages()(rig.context, Page::Config, nullptr));
    auto* page = qobject_cast<FrmConfig*>(form.get());
    QVERIFY(page);
    page->RefreshObject();
    page->show();
    QTest::mouseClick(page->findChild<QWidget*>(QStringLiteral("MagSel_0")), Qt::LeftButton);
    QTest::mouseClick(page->findChild<QWidget*>(QStringLiteral("MagSel_2")), Qt::LeftButton);
    const QList<FrmMagSel*> dialogs = page->findChildren<FrmMagSel*>();
    QCOMPARE(dialogs.size(), 1);
    FrmMagSel* dialog = dialogs.at(0);
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Dither Settings"));
    QVERIFY(!dialog->findChild<QLabel*>(QStringLiteral("ImgMag_0"))->pixmap().isNull());

    // OK redraws the page's dither captions.
    dialog->findChild<QLineEdit*>(QStringLiteral("TxtDitherFreq"))->setText(QStringLiteral("250"));
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("CmdOk")), Qt::LeftButton);
    QCOMPARE(page->findChild<QLabel*>(QStringLiteral("LblFreq_3"))->text(),
             QStringLiteral("250 Hz"));
}

QTEST_MAIN(FrmMagSelTest)
#include "test_frmmagsel.moc"
