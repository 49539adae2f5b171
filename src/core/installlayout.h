#pragma once
// Where the programs find their resources and the manual: beside the executable
// in a build folder, under share/ when installed (bin/../share/hvc-configurator).

#include <QString>

namespace hvc {

// res/ beside the program when it is there, else the installed resource folder
// when that is there, else res/ beside the program (whose absence the loaders report).
QString resourceDirFor(const QString& programDir);

// HVCMANUAL.pdf beside the program, else in the installed documentation folder;
// empty when neither exists.
QString manualPathFor(const QString& programDir);

} // namespace hvc
