#pragma once
// The page "Diagnostic": while it is shown and the unit is connected, the unit's
// error words as rows of bit indicators with their texts, the list of the errors
// active now, and the history of this session's errors with its CSV export.
//
// The polling, the list and the history are DiagnosticModel's; this page draws
// what the model reports.

#include "core/diagnosticmodel.h"
#include "shell/pageform.h"

#include <QVector>
#include <functional>

class QButtonGroup;
class QLabel;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace hvc {

class DiagnosticError;

class FrmDiagnostic : public PageForm {
    Q_OBJECT
public:
    static constexpr int kSections = 4;
    static constexpr int kOptionGroups = 3;

    explicit FrmDiagnostic(ShellContext& context, QWidget* parent = nullptr);

    // Page contract.
    void refreshObject() override;
    void drawBar(MainBar& bar, QProgressBar* progressBar, const QString& text) override;
    int helpPage() const override { return 29; }
    void activate() override;

    // Enables the option buttons of the configured sections.
    void drawOptionSelection();

    DiagnosticModel& model() { return m_model; }
    DiagnosticError* row(int index) const { return m_rows.value(index); }
    QTreeWidget* activeList() const { return m_listView; }
    QTreeWidget* historyList() const { return m_history; }
    // Option button `index` of group 0 (joystick), 1 (current) or 2 (set-point).
    QRadioButton* option(int group, int index) const;

    // "Export..." and "Clear history".
    void exportHistory();
    void clearHistory();
    // Asks the user for the CSV file; an empty path is a cancel. Tests set their own.
    std::function<QString()> chooseExportFile;

private:
    QWidget* buildOptions();
    QWidget* buildRows();
    QWidget* buildMessages();
    void syncRows();
    void showActiveErrors();
    void showHistory();

    DiagnosticModel m_model;
    QVector<DiagnosticError*> m_rows;
    QVector<QButtonGroup*> m_groups;
    QTreeWidget* m_listView = nullptr;
    QLabel* m_lblActive = nullptr;
    QTreeWidget* m_history = nullptr;
    QLabel* m_lblHistory = nullptr;
    QPushButton* m_cmdExport = nullptr;
    QPushButton* m_cmdClear = nullptr;
};

} // namespace hvc
