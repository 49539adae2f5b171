#pragma once
// What the number fields of the pages and dialogs share: a text box paired with
// a scroll bar over a record's minValue..maxValue, with the question that offers
// the unit's value back when a typed number is out of range.

#include <optional>

class QFocusEvent;
class QKeyEvent;
class QLineEdit;
class QString;

namespace hvc {

class Prompter;
struct UnitVariable;

// "Value Not Correct : Restore With '<unit word>' ?". Yes puts the unit's value into
// the box (its text-change handling runs as for any edit); No returns the focus
// to the box.
void restoreValuePrompt(Prompter& prompter, QLineEdit* text, const UnitVariable& record);

// The key filter of a number box: true for a key the box must not see. Enter is
// discarded (the caller checks the range first); digits, "." and Backspace pass,
// and so do keys that type nothing (arrows, Delete, Tab, F1).
bool discardedNumberKey(const QKeyEvent& key);

// Enter or Return.
bool isEnterKey(const QKeyEvent& key);

// The number a box holds ("." as the decimal point); nothing for a text that is
// no number.
std::optional<double> fieldNumber(const QString& text);

// An empty box reads 0, selected so that the next digit replaces it. True when the
// box was empty.
bool zeroEmptyField(QLineEdit* text);

// Whether a focus loss means the user left the box for another control. A switch
// to another window, or to the question's own box, does not count.
bool leftTheField(const QFocusEvent& event);

// The restore question of a box whose number lies outside min..max: asked when it
// is below (a text that is no number counts as below), then, with the number read
// again, when it is above. While a question is open a second call (its box taking
// the focus from the field) asks nothing.
class RangeQuestion {
public:
    using Reader = std::optional<double> (*)(const QString& text);
    void ask(Prompter& prompter, QLineEdit* text, const UnitVariable& record, int min, int max,
             Reader read = fieldNumber);

private:
    bool m_open = false;
};

} // namespace hvc
