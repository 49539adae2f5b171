#pragma once
// What assistive technology hears of a control that shows a value. Its accessible
// name says what the control is and then what it shows ("Battery voltage 24.7 V",
// "Unit model VCU 4W", "Valve 1A on") and changes with the value, so a screen
// reader speaks both and a UI-automation tool finds the control by its meaning and
// reads its value. A label that only captions another control keeps its text as
// its name and is that control's buddy; it needs none of this.

#include <QString>

class QLabel;
class QWidget;

namespace hvc {

// `what`, a space and `shown`; `what` alone while nothing is shown.
QString spokenName(const QString& what, const QString& shown);

// Names `widget` for what it is and what it shows. Assistive technology is told
// when the name changes.
void speakValue(QWidget* widget, const QString& what, const QString& shown);

// Says once what a control showing a value is (its name until a value is shown);
// speakShown then only needs the value.
void setSpokenWhat(QWidget* widget, const QString& what);
QString spokenWhat(const QWidget* widget);
void speakShown(QWidget* widget, const QString& shown);

// A label whose text is the value: named for what it is and its text from now on.
void nameValueLabel(QLabel* label, const QString& what);
// Sets the text of such a label and its spoken name together.
void showValue(QLabel* label, const QString& text);

} // namespace hvc
