#pragma once
// The start-up sequence: splash, main window, catalogue, pages, section colours.

#include "shell/mainwindow.h"

#include <memory>

namespace hvc {

// Runs the whole sequence and returns the main window, shown on its first page.
std::unique_ptr<MainWindow> startUp(ShellContext& context, PageFactory factory = {});

} // namespace hvc
