#pragma once
// A configuration in words: what the configuration page and the joystick and
// digital settings dialog show for the records' working values, one line per
// item, so that two machines' configurations can be compared with a text diff.
// The line kinds are listed in README.md (hvcctl show --explain).

#include <QString>
#include <QStringList>
#include <functional>

namespace hvc {

class Catalogue;
class JoyCatalogue;

// Whether the record at a catalogue position holds a value (was in the file, was
// read from the unit). An item whose records do not, or that the map lacks,
// shows kExplainNoValue.
using ExplainHasValue = std::function<bool(int position)>;

inline constexpr const char* kExplainNoValue = "-";

// "key: value" lines: the page's sections (as many as it shows), then the dialog's
// node, time-out, channels, digital inputs, command inputs, float currents and
// sides, inversions and section options. Without `hasValue` every record the map
// has counts as holding a value.
QStringList explainConfiguration(const Catalogue& catalogue, const JoyCatalogue& joysticks,
                                 const ExplainHasValue& hasValue = {});

// A list caption as a line shows it: the blank joystick words as "blank (7)",
// codes the list has no entry for as "? (9)".
QString explainCaption(const QStringList& list, int code);

} // namespace hvc
