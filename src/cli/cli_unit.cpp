#include "cli/cli.h"

namespace hvc::cli {

QList<Command> unitCommands() { return {}; }

} // namespace hvc::cli
