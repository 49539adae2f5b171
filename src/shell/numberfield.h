#pragma once
// What the number fields of the pages and dialogs share: a text box paired with
// a scroll bar over a record's MinValue..MaxValue, with the question that offers
// the unit's value back when a typed number is out of range.

class QKeyEvent;
class QLineEdit;

namespace hvc {

class Prompter;
struct CVarData;

// "Value Not Correct : Restore With '<E2InECU>' ?". Yes puts the unit's value into
// the box (its text-change handling runs as for any edit); No returns the focus
// to the box.
void RestoreValuePrompt(Prompter& prompter, QLineEdit* text, const CVarData& record);

// The key filter of a number box: true for a key the box must not see. Enter is
// discarded (the caller checks the range first); digits, "." and Backspace pass,
// and so do keys that type nothing (arrows, Delete, Tab, F1).
bool DiscardedNumberKey(const QKeyEvent& key);

// Enter or Return.
bool IsEnterKey(const QKeyEvent& key);

} // namespace hvc
