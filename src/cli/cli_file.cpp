#include "cli/cli.h"

namespace hvc::cli {

QList<Command> fileCommands() { return {}; }

} // namespace hvc::cli
