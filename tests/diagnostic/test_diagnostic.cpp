// The error-row control on its own, and the diagnostic page offscreen over the
// shipped variable map and message file: its rows and their names, the option
// groups for each number of sections, the list and history it draws from the
// model, its status drawing and the history's commands. No unit is involved; the
// page against hvc-sim is test_diagnostic_live.

#include "core/catalogue.h"
#include "core/prompter.h"
#include "diagnostic/diagnosticerror.h"
#include "diagnostic/frmdiagnostic.h"
#include "shell/mainbar.h"
#include "support/commandsurface.h"
#include "support/shippedrecords.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <memory>

using namespace hvc;

namespace {

struct PageRig {
    explicit PageRig(const QString& resDir = QCoreApplication::applicationDirPath() +
                                             QStringLiteral("/res"))
        : context(state, QCoreApplication::applicationDirPath(), resDir) {
        state.setPrompter(&prompter);
        test::loadShippedRecordsAsRead(state, prompter);
        page = std::make_unique<FrmDiagnostic>(context);
        page->model().clock = [this] { return now; };
        page->resize(1000, 620);
        page->show();
    }
    void setSections(int n) {
        state.catalogue.Var(HvcId::HVC_NUM_PROP_REG).ReadE2FromECU(n);
        page->RefreshObject();
    }
    QStringList rowTexts(QTreeWidget* list, int row) const {
        QStringList texts;
        const QTreeWidgetItem* item = list->topLevelItem(row);
        for (int c = 0; item && c < item->columnCount(); ++c)
            texts << item->text(c);
        return texts;
    }
    QPushButton* button(const char* name) const {
        return page->findChild<QPushButton*>(QString::fromLatin1(name));
    }

    AppState state;
    ScriptedPrompter prompter;
    ShellContext context;
    std::unique_ptr<FrmDiagnostic> page;
    QDateTime now = QDateTime(QDate(2025, 3, 4), QTime(10, 15, 0));
};

QList<QVariant> args(int index, int value, int changed) {
    return {index, value, changed};
}

} // namespace

class DiagnosticTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rowControl();
    void pageRowsAndTexts();
    void missingMessageFile();
    void optionGroupsFollowTheSections();
    void listAndHistoryFollowTheModel();
    void drawBar();
    void historyExportAndClear();
};

void DiagnosticTest::rowControl() {
    DiagnosticError row(4);
    QSignalSpy spy(&row, &DiagnosticError::ValueChanged);
    row.UpdateDisplay(0x08);
    row.UpdateDisplay(0x0C);
    row.UpdateDisplay(0x0C); // no change: still raised, with nothing changed
    row.UpdateDisplay(0x00);
    QCOMPARE(spy.size(), 4);
    QCOMPARE(spy[0], args(4, 0x08, 0x08));
    QCOMPARE(spy[1], args(4, 0x0C, 0x04));
    QCOMPARE(spy[2], args(4, 0x0C, 0x00));
    QCOMPARE(spy[3], args(4, 0x00, 0x0C));

    // The word comes as the unit's signed 16-bit value; bits 0-7 are what it shows.
    row.UpdateDisplay(-32768 | 0x21);
    QVERIFY(row.bitSet(0) && row.bitSet(5) && !row.bitSet(7));

    // Each bit is named after the row and its text, spoken in the sentence.
    row.setTitle(QStringLiteral("Section 2"), QStringLiteral("Section 2 errors"));
    row.SetDecripion(3, QStringLiteral("Open coil A"));
    row.SetDecripion(1, QStringLiteral("CAN time-out"));
    row.SetDecripion(8, QStringLiteral("beyond the row")); // ignored
    QCOMPARE(row.accessibleName(), QStringLiteral("Section 2 errors"));
    QCOMPARE(row.indicator(3)->accessibleName(),
             QStringLiteral("Section 2 errors, bit 3: open coil A"));
    QCOMPARE(row.indicator(1)->accessibleName(),
             QStringLiteral("Section 2 errors, bit 1: CAN time-out"));
    QCOMPARE(row.indicator(6)->accessibleName(), QStringLiteral("Section 2 errors, bit 6"));
    QCOMPARE(row.bitText(8), QString());

    // A lit status bit is told apart from a lit error and from a clear bit.
    row.setBitKind(0, DiagnosticBitKind::Status);
    row.setBitKind(1, DiagnosticBitKind::Error);
    row.UpdateDisplay(0x03);
    const auto back = [&row](int bit) {
        return row.indicator(bit)->palette().color(QPalette::Window);
    };
    QVERIFY(back(0) != back(1) && back(1) != back(2) && back(0) != back(2));
    QCOMPARE(row.indicator(1)->accessibleDescription(), QStringLiteral("set"));
    QCOMPARE(row.indicator(2)->accessibleDescription(), QStringLiteral("clear"));
}

void DiagnosticTest::pageRowsAndTexts() {
    PageRig rig;
    FrmDiagnostic& page = *rig.page;
    const Catalogue& catalogue = rig.state.catalogue;
    const HvcId bound[] = {HvcId::HVC_ERROR_CODE,  HvcId::HVC_VBB_ERROR,   HvcId::HVC_HSD_ERROR,
                           HvcId::HVC_ERROR_SEC_1, HvcId::HVC_ERROR_SEC_2, HvcId::HVC_ERROR_SEC_3,
                           HvcId::HVC_ERROR_SEC_4};
    for (int i = 0; i < DiagnosticModel::kRows; ++i) {
        DiagnosticError* row = page.row(i);
        QVERIFY(row);
        QCOMPARE(row->Index(), i);
        if (i < 7) {
            QVERIFY2(row->isVisibleTo(&page), qPrintable(QString::number(i)));
            QCOMPARE(row->VarID(), catalogue.IdIndex(bound[i]));
            QVERIFY(row->Enable());
            QCOMPARE(row->MsgID(), i);
        } else {
            QVERIFY(!row->isVisibleTo(&page));
            QCOMPARE(row->BoundVar(), nullptr);
        }
    }
    QCOMPARE(page.row(4)->bitText(3), QStringLiteral("Open coil A"));
    QCOMPARE(page.row(4)->indicator(3)->accessibleName(),
             QStringLiteral("Section 2 errors, bit 3: open coil A"));
    QCOMPARE(page.row(0)->bitText(6), QStringLiteral("Ready"));

    QCOMPARE(page.activeList()->accessibleName(), QStringLiteral("Active errors"));
    QCOMPARE(page.historyList()->accessibleName(), QStringLiteral("Error history"));
    QVERIFY(rig.prompter.messages.isEmpty());
}

void DiagnosticTest::missingMessageFile() {
    QTemporaryDir empty;
    PageRig rig(empty.path());
    QCOMPARE(rig.prompter.texts(),
             QStringList{QStringLiteral("'Diagnostic.ini' file NOT FOUND or CORRUPTED")});
    // The rows are still bound and polled; they just have no texts.
    QVERIFY(rig.page->row(4)->isVisibleTo(rig.page.get()));
    QCOMPARE(rig.page->row(4)->bitText(3), QString());
    QCOMPARE(rig.page->row(4)->indicator(3)->text(), QStringLiteral("bit 3"));
    QCOMPARE(rig.page->row(4)->MsgID(), -1);
}

void DiagnosticTest::optionGroupsFollowTheSections() {
    PageRig rig;
    for (int n = 1; n <= 4; ++n) {
        rig.setSections(n);
        for (int g = 0; g < FrmDiagnostic::kOptionGroups; ++g)
            for (int i = 0; i < FrmDiagnostic::kSections; ++i)
                QCOMPARE(rig.page->option(g, i)->isEnabled(), i < n);
    }
    QCOMPARE(rig.page->option(0, 2)->text(), QStringLiteral("Joystick 3"));
    QCOMPARE(rig.page->option(1, 0)->objectName(), QStringLiteral("optSelectCur_0"));
    QCOMPARE(rig.page->option(2, 3)->text(), QStringLiteral("Setpoint 4"));

    // A choice among the first three stays; the fourth goes back to the first.
    rig.page->option(0, 2)->click();
    rig.page->option(1, 3)->click();
    rig.page->DrawOptSelct();
    QVERIFY(rig.page->option(0, 2)->isChecked());
    QVERIFY(rig.page->option(1, 0)->isChecked() && !rig.page->option(1, 3)->isChecked());

    // Fewer sections: a choice that is no longer enabled is dropped for the first.
    rig.setSections(2);
    QVERIFY(!rig.page->option(0, 2)->isChecked());
    QVERIFY(rig.page->option(0, 0)->isChecked());
    QVERIFY(rig.page->option(2, 0)->isChecked());

    // No unit read (0 sections): nothing to choose, the first stays marked.
    rig.setSections(0);
    for (int i = 0; i < FrmDiagnostic::kSections; ++i)
        QVERIFY(!rig.page->option(0, i)->isEnabled());
    QVERIFY(rig.page->option(0, 0)->isChecked());
}

void DiagnosticTest::listAndHistoryFollowTheModel() {
    PageRig rig;
    DiagnosticModel& model = rig.page->model();
    QTreeWidget* list = rig.page->activeList();
    QTreeWidget* history = rig.page->historyList();
    auto* active = rig.page->findChild<QLabel*>(QStringLiteral("LblActive"));
    QCOMPARE(active->text(), QStringLiteral("No active errors"));

    // The same error reported twice without going in between: two items, one entry.
    model.ValueChanged(4, 0x08, 0x08);
    model.ValueChanged(4, 0x08, 0x08);
    QCOMPARE(list->topLevelItemCount(), 2);
    const QStringList item = {QStringLiteral("SEC2 - 8"), QStringLiteral("E43"),
                              QStringLiteral("Section 2 open coil A")};
    QCOMPARE(rig.rowTexts(list, 0), item);
    QCOMPARE(rig.rowTexts(list, 1), item);
    QCOMPARE(active->text(), QStringLiteral("2 active errors"));
    QCOMPARE(history->topLevelItemCount(), 1);
    QCOMPARE(rig.rowTexts(history, 0),
             QStringList({QStringLiteral("2025-03-04 10:15:00"), QStringLiteral("active")}) + item);

    // One going removes both; the history keeps when it went.
    rig.now = rig.now.addSecs(42);
    model.ValueChanged(4, 0x00, 0x08);
    QCOMPARE(list->topLevelItemCount(), 0);
    QCOMPARE(rig.rowTexts(history, 0).value(1), QStringLiteral("2025-03-04 10:15:42"));

    // A word through the row: the indicator lights and the list gains the error.
    model.UpdateDisplay(2, 0x04);
    QVERIFY(rig.page->row(2)->bitSet(2));
    QCOMPARE(rig.rowTexts(list, 0).value(0), QStringLiteral("OUT - 4"));
    QCOMPARE(rig.rowTexts(history, 0).value(2), QStringLiteral("OUT - 4")); // newest first
}

void DiagnosticTest::drawBar() {
    PageRig rig;
    test::CommandSurface surface(rig.state);
    QProgressBar progress;
    auto text = [&surface] { return surface.connectField.text(); };

    rig.state.setConnectState(ConnectState::NotConnected);
    rig.page->DrawBar(surface.bar, &progress, {});
    QCOMPARE(text(), QStringLiteral("Not Connected"));
    QVERIFY(!surface.on("Login") && !surface.on("Logout") && !surface.on("mnuSet_Logout"));

    // Connected and idle, or another page polling: what was drawn before stays.
    for (ConnectState s :
         {ConnectState::Connected, ConnectState::MonitorPolling, ConnectState::DebuggerWorking}) {
        surface.connectField.setText(QStringLiteral("earlier"));
        rig.state.setConnectState(s);
        rig.page->DrawBar(surface.bar, &progress, QStringLiteral("Monitor..."));
        QCOMPARE(text(), QStringLiteral("earlier"));
    }

    rig.state.setConnectState(ConnectState::DiagnosticPolling);
    rig.page->DrawBar(surface.bar, &progress, QStringLiteral("Diagnostic..."));
    QCOMPARE(text(), QStringLiteral("Diagnostic..."));
    for (const char* name : {"Read All", "Write All", "Reset", "Read", "Write", "mnuHW_Write"})
        QVERIFY2(!surface.on(name), name);
    QVERIFY(surface.on("Connect") && surface.bar.command(QStringLiteral("Connect"))->isChecked());

    rig.state.setConnectState(ConnectState::Transfer);
    rig.page->DrawBar(surface.bar, &progress, QStringLiteral("Reading..."));
    QCOMPARE(text(), QStringLiteral("Reading..."));
}

void DiagnosticTest::historyExportAndClear() {
    PageRig rig;
    rig.page->model().ValueChanged(1, 0x01, 0x01);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.csv"));
    rig.page->chooseExportFile = [&path] { return path; };
    rig.button("CmdExport")->click();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()),
             QStringLiteral("Came,Went,VarKey,Error ID,Description\r\n"
                            "2025-03-04 10:15:00,active,VBB - 1,E10,Supply voltage low\r\n"));

    // A file that cannot be written says so; a cancelled choice says nothing.
    rig.page->chooseExportFile = [&dir] { return dir.path(); };
    rig.button("CmdExport")->click();
    QCOMPARE(rig.prompter.texts(), QStringList{QStringLiteral("History NOT EXPORTED!")});
    QVERIFY(rig.prompter.messages[0].detail.contains(dir.path()));
    rig.page->chooseExportFile = [] { return QString(); };
    rig.button("CmdExport")->click();
    QCOMPARE(rig.prompter.messages.size(), 1);

    // Clearing asks first; No keeps the history.
    QPushButton* clear = rig.button("CmdClearHistory");
    QVERIFY(clear->isEnabled());
    rig.prompter.answers = {false};
    clear->click();
    QCOMPARE(rig.page->historyList()->topLevelItemCount(), 1);
    rig.prompter.answers = {true};
    clear->click();
    QCOMPARE(rig.page->historyList()->topLevelItemCount(), 0);
    QVERIFY(!clear->isEnabled());
    QCOMPARE(rig.page->activeList()->topLevelItemCount(), 1); // the unit still reports it
}

QTEST_MAIN(DiagnosticTest)
#include "test_diagnostic.moc"
