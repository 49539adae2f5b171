#pragma once
// Marks an input field whose record has an edit the unit has not got yet
// (workingWord != unitWord: bold, coloured frame, the unit's value and the default in
// the tooltip), and more quietly one whose value is not the default.

#include <QColor>
#include <QString>

class QWidget;

namespace hvc {

struct UnitVariable;

enum class EditMark { None, NotDefault, Pending };

inline const QColor kPendingFrame(224, 112, 0);

EditMark editMarkOf(const UnitVariable& var);
// Keeps an input in the program's own colours inside a section-coloured frame
// (every role set, so none is taken from the frame).
void keepPlainColours(QWidget* input);
// Applies the mark of `var` to `field`; `tip` is the field's own tooltip.
void showEditMark(QWidget* field, const UnitVariable& var, const QString& tip = {});
// "Show only modified": while on, every marked field inside `page` without a
// pending edit is dimmed; fields marked later follow.
void showOnlyModified(QWidget* page, bool on);

} // namespace hvc
