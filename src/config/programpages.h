#pragma once
// The pages the desktop program builds into its main window (the rest stay the
// shell's own until they arrive).

#include "shell/pagehost.h"

namespace hvc {

PageFactory ProgramPages();

} // namespace hvc
