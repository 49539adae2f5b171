#pragma once
// Marks an input field whose record has an edit the unit has not got yet
// (workingWord != unitWord: bold on an orange ground, the unit's value and the
// default in the tooltip), and more quietly one whose value is not the default.
// A value outside the record's limits, or a unit word the range check replaced
// by the default, is shown on a red ground with the limits in the tooltip. The
// marks are colours and fonts only, so a field keeps its native look (a spin
// box its arrows).

#include <QColor>
#include <QString>

class QWidget;

namespace hvc {

struct UnitVariable;

enum class EditMark { None, NotDefault, Pending };

inline const QColor kPendingGround(255, 228, 196);
inline const QColor kOutOfRangeGround(255, 200, 200);

EditMark editMarkOf(const UnitVariable& var);
// The working value lies outside minValue..maxValue (the limits of the unit's word).
bool outsideLimits(const UnitVariable& var);
// Keeps an input in the program's own colours inside a section-coloured frame
// (every role set, so none is taken from the frame).
void keepPlainColours(QWidget* input);
// Applies the mark of `var` to `field`; `tip` is the field's own tooltip.
void showEditMark(QWidget* field, const UnitVariable& var, const QString& tip = {});
// "Show only modified": while on, every marked field inside `page` without a
// pending edit is dimmed; fields marked later follow.
void showOnlyModified(QWidget* page, bool on);

} // namespace hvc
