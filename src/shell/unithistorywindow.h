#pragma once
// File > Unit History...: the logbook's entries of one unit, newest first, with
// the words the chosen entry changed; the unit compared with that version, or
// brought back to it; the service report of the visit. A window of its own beside the main window.

#include "core/appstate.h"
#include "shell/filerequest.h"
#include "shell/unithistory.h"

#include <QMap>
#include <QWidget>
#include <cstdint>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace hvc {

class UnitHistoryWindow : public QWidget {
    Q_OBJECT
public:
    enum EntryColumn { ColKind, ColTime, ColUser, ColChanged, ColOutcome, ColPort };

    // Reads the logbook at `location` (empty: the default one).
    UnitHistoryWindow(AppState& state, QString location, QWidget* parent = nullptr);

    // Writes the image of a version to the unit, with the usual review and wait box.
    std::function<void(const QMap<std::int32_t, std::int32_t>&)> restore;
    // Answers the file dialog of Service Report...; the default opens QFileDialog.
    // An empty path is a cancel.
    std::function<QString(const FileRequest&)> chooseFile;

    QComboBox* unitChooser() const { return m_units; }
    QTreeWidget* entryTable() const { return m_entries; }
    QTreeWidget* changeTable() const { return m_changes; }
    void setLocation(const QString& location);

public Q_SLOTS:
    // Reads the logbook again, keeping the chosen unit and entry where they still are.
    void refresh();
    // Compare and Restore follow the connection: only for the unit connected.
    void updateButtons();
    void compareWithUnit();
    void restoreVersion();
    // The PDF service report of the visit the chosen entry belongs to.
    void writeReport();

private:
    void showUnit(int index);
    void showChanges();
    int chosenRow() const;
    QString versionText(int row) const;

    AppState& m_state;
    QString m_location;
    UnitHistory m_history;
    QComboBox* m_units;
    QTreeWidget* m_entries;
    QLabel* m_note;
    QTreeWidget* m_changes;
    QLabel* m_problem;
    QPushButton* m_compare;
    QPushButton* m_restore;
    QPushButton* m_report;
};

} // namespace hvc
