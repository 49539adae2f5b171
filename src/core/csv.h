#pragma once
// One field of a CSV line as the exported files write it.

#include <QString>

namespace hvc {

// The text as it is, or in double quotes with its quotes doubled when it holds
// a comma, a quote or a line break (RFC 4180).
QString csvField(const QString& text);

} // namespace hvc
