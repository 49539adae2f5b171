// The error-row control on its own, and the diagnostic page offscreen over the
// shipped variable map and message file: its rows bound to the error words, the
// option groups for each number of sections, the list and history it draws from
// the model and the history's commands. No unit is involved; the page against
// hvc-sim is test_diagnostic_live.

#include "diagnostic/diagnosticerror.h"
#include "diagnostic/frmdiagnostic.h"
#include "support/pagerig.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>

using namespace hvc;

namespace {

struct Rig : test::PageRig<FrmDiagnostic, Page::Diagnostic> {
    Rig() {
        page->model().clock = [this] { return now; };
    }
    void setSections(int n) {
        unitWord(HvcId::HVC_NUM_PROP_REG, n);
        page->refreshObject();
    }
    static QStringList rowTexts(QTreeWidget* list, int row) {
        QStringList texts;
        const QTreeWidgetItem* item = list->topLevelItem(row);
        for (int c = 0; item && c < item->columnCount(); ++c)
            texts << item->text(c);
        return texts;
    }
    QDateTime now = QDateTime(QDate(2025, 3, 4), QTime(10, 15, 0));
};

} // namespace

class DiagnosticTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rowControl();
    void rowsBoundToTheErrorWords();
    void optionGroupsFollowTheSections();
    void listAndHistoryFollowTheModel();
    void historyExportAndClear();
};

void DiagnosticTest::rowControl() {
    DiagnosticError row(4);
    QSignalSpy spy(&row, &DiagnosticError::valueChanged);
    // Each word raises (index, value, changed bits), an unchanged one too.
    const int words[][2] = {{0x08, 0x08}, {0x0C, 0x04}, {0x0C, 0x00}, {0x00, 0x0C}};
    for (const auto& w : words)
        row.updateDisplay(w[0]);
    QCOMPARE(spy.size(), 4);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(spy[i], (QList<QVariant>{4, words[i][0], words[i][1]}));
    // The word comes as the unit's signed 16-bit value; bits 0-7 are what it shows.
    row.updateDisplay(-32768 | 0x21);
    QVERIFY(row.bitSet(0) && row.bitSet(5) && !row.bitSet(7));
}

void DiagnosticTest::rowsBoundToTheErrorWords() {
    Rig rig;
    FrmDiagnostic& page = *rig.page;
    const HvcId bound[] = {HvcId::HVC_ERROR_CODE,  HvcId::HVC_VBB_ERROR,   HvcId::HVC_HSD_ERROR,
                           HvcId::HVC_ERROR_SEC_1, HvcId::HVC_ERROR_SEC_2, HvcId::HVC_ERROR_SEC_3,
                           HvcId::HVC_ERROR_SEC_4};
    for (int i = 0; i < DiagnosticModel::kRows; ++i) {
        QCOMPARE(page.row(i)->isVisibleTo(&page), i < 7);
        if (i < 7)
            QCOMPARE(page.row(i)->varId(), rig.state.document.catalogue.idIndex(bound[i]));
        else
            QCOMPARE(page.row(i)->boundVar(), nullptr);
    }
    QCOMPARE(page.row(4)->bitText(3), QStringLiteral("Open coil A"));
    QCOMPARE(page.row(0)->bitText(6), QStringLiteral("Ready"));
    QVERIFY(rig.prompter.messages.isEmpty());
}

void DiagnosticTest::optionGroupsFollowTheSections() {
    Rig rig;
    for (int n : {0, 2, 4}) {
        rig.setSections(n);
        for (int g = 0; g < FrmDiagnostic::kOptionGroups; ++g)
            for (int i = 0; i < FrmDiagnostic::kSections; ++i)
                QCOMPARE(rig.page->option(g, i)->isEnabled(), i < n);
        QVERIFY(rig.page->option(0, 0)->isChecked()); // even with nothing to choose
    }
    // A choice among the first three stays; the fourth goes back to the first.
    rig.page->option(0, 2)->click();
    rig.page->option(1, 3)->click();
    rig.page->drawOptionSelection();
    QVERIFY(rig.page->option(0, 2)->isChecked());
    QVERIFY(rig.page->option(1, 0)->isChecked() && !rig.page->option(1, 3)->isChecked());
    // Fewer sections: a choice that is no longer enabled is dropped for the first.
    rig.setSections(2);
    QVERIFY(!rig.page->option(0, 2)->isChecked() && rig.page->option(0, 0)->isChecked());
}

void DiagnosticTest::listAndHistoryFollowTheModel() {
    Rig rig;
    DiagnosticModel& model = rig.page->model();
    QTreeWidget* list = rig.page->activeList();
    QTreeWidget* history = rig.page->historyList();
    auto* active = rig.child<QLabel>(QStringLiteral("LblActive"));
    QCOMPARE(active->text(), QStringLiteral("No active errors"));

    // The same error reported twice without going in between: two items, one entry.
    model.valueChanged(4, 0x08, 0x08);
    model.valueChanged(4, 0x08, 0x08);
    const QStringList item = {QStringLiteral("SEC2 - 8"), QStringLiteral("E43"),
                              QStringLiteral("Section 2 open coil A")};
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(Rig::rowTexts(list, 1), item);
    QCOMPARE(active->text(), QStringLiteral("2 active errors"));
    QCOMPARE(history->topLevelItemCount(), 1);
    QCOMPARE(Rig::rowTexts(history, 0),
             QStringList({QStringLiteral("2025-03-04 10:15:00"), QStringLiteral("active")}) + item);

    // One going removes both; the history keeps when it came and when it went.
    rig.now = rig.now.addSecs(42);
    model.valueChanged(4, 0x00, 0x08);
    QCOMPARE(list->topLevelItemCount(), 0);
    QCOMPARE(Rig::rowTexts(history, 0).mid(0, 2),
             QStringList(
                 {QStringLiteral("2025-03-04 10:15:00"), QStringLiteral("2025-03-04 10:15:42")}));
}

void DiagnosticTest::historyExportAndClear() {
    Rig rig;
    rig.page->model().valueChanged(1, 0x01, 0x01);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.csv"));
    rig.page->chooseExportFile = [&path] { return path; };
    auto* exportButton = rig.child<QPushButton>(QStringLiteral("CmdExport"));
    exportButton->click();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()),
             QStringLiteral("Came,Went,VarKey,Error ID,Description\r\n"
                            "2025-03-04 10:15:00,active,VBB - 1,E10,Supply voltage low\r\n"));

    // A file that cannot be written says so.
    rig.page->chooseExportFile = [&dir] { return dir.path(); };
    exportButton->click();
    QCOMPARE(rig.prompter.texts(), QStringList{QStringLiteral("History NOT EXPORTED!")});
    QVERIFY(rig.prompter.messages[0].detail.contains(dir.path()));

    // Clearing asks first; No keeps the history.
    auto* clear = rig.child<QPushButton>(QStringLiteral("CmdClearHistory"));
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
