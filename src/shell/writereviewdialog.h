#pragma once
// The review table: every variable that differs from the unit, with a tick box
// per row. Before Write and Write All it says what is about to change on the unit
// (only ticked rows are written); for Compare with File it lists where a file
// differs from the unit (ticked rows become working values); for Compare with Unit
// it only shows where the unit differs from a version in the logbook.

#include "core/catalogue.h"
#include "core/writereview.h"

#include <QDialog>
#include <QList>
#include <QString>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace hvc {

class WriteReviewDialog : public QDialog {
    Q_OBJECT
public:
    enum class Purpose { Write, CompareFile, CompareVersion };
    // Table columns; the tick box is in the first.
    enum Column { ColName, ColAddress, ColUnitWord, ColNewWord, ColUnitValue, ColNewValue };

    // `fileName` names the file (or the logbook's version) compared; `verify` says
    // whether a write is read back.
    WriteReviewDialog(const Catalogue& catalogue, const QList<ReviewRow>& rows, Purpose purpose,
                      const QString& fileName = {}, bool verify = true, QWidget* parent = nullptr);

    QTreeWidget* table() const { return m_table; }
    // The catalogue positions of the ticked rows, in table order.
    QList<int> tickedPositions() const;
    // What was chosen: cancel, the ticked rows, or (when nothing differs) the whole image.
    WriteChoice choice() const { return m_choice; }

public Q_SLOTS:
    void tickAll();
    void tickNone();

private:
    void setAllTicks(bool ticked);
    void updateButtons();
    void finish(WriteChoice choice);

    QList<ReviewRow> m_rows;
    QTreeWidget* m_table = nullptr;
    QLabel* m_summary = nullptr;
    QPushButton* m_all = nullptr;
    QPushButton* m_none = nullptr;
    QPushButton* m_proceed = nullptr;
    WriteChoice m_choice = WriteChoice::cancel();
};

} // namespace hvc
