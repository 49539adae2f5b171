#pragma once
// One field of a CSV line as the exported files write it.

#include <QString>

namespace hvc {

// The text as it is, or in double quotes with its quotes doubled when it holds
// a comma, a quote or a line break (RFC 4180). A text that a spreadsheet would
// take for a formula (it begins with '=', '+', '-', '@', a tab or a carriage
// return) gets a leading apostrophe, so it shows as the text it is and is never
// run; a number such as "-5", "+3" or "-0.25" stays a number.
QString csvField(const QString& text);

} // namespace hvc
