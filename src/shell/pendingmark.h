#pragma once
// Marks an input field whose record has an edit the unit has not got yet
// (E2Value != E2InECU: bold, coloured frame, the unit's value and the default in
// the tooltip), and more quietly one whose value is not the default.

#include <QColor>
#include <QString>

class QWidget;

namespace hvc {

struct CVarData;

enum class EditMark { None, NotDefault, Pending };

inline const QColor kPendingFrame(224, 112, 0);

EditMark EditMarkOf(const CVarData& var);
// Keeps an input in the program's own colours inside a section-coloured frame
// (every role set, so none is taken from the frame).
void KeepPlainColours(QWidget* input);
// Applies the mark of `var` to `field`; `tip` is the field's own tooltip.
void ShowEditMark(QWidget* field, const CVarData& var, const QString& tip = {});
// "Show only modified": while on, every marked field inside `page` without a
// pending edit is dimmed; fields marked later follow.
void ShowOnlyModified(QWidget* page, bool on);

} // namespace hvc
