#pragma once
// The status panels, connection field and commands a page's drawBar draws on,
// without a main window.

#include "core/appstate.h"
#include "shell/mainbar.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <memory>
#include <vector>

namespace hvc::test {

// Every command a page's drawBar may switch.
inline constexpr const char* kCommandNames[] = {
    // menu items by name
    "mnuHW_ReadAll", "mnuHW_WriteAll", "mnuHw_Reset", "mnuHw_Read", "mnuHW_Write", "mnuHW_Connect",
    "mnuSet_ComID", "mnuSet_ComBauldID", "mnuSet_Login", "mnuSet_Logout", "mnuHelp_Help",
    "mnuHelp_Info",
    // toolbar buttons by key
    "Load Configuration", "Save Configuration", "Read All", "Write All", "Reset", "Read", "Write",
    "Login", "Logout", "Help", "Info", "Connect"};

struct CommandSurface {
    explicit CommandSurface(AppState& state) : bar(state) {
        for (int n = 1; n <= 9; ++n) {
            labels.push_back(std::make_unique<QLabel>());
            bar.panels[static_cast<size_t>(n)] = labels.back().get();
        }
        bar.connectField = &connectField;
        for (const char* name : kCommandNames) {
            actions.push_back(std::make_unique<QAction>(QString::fromLatin1(name)));
            actions.back()->setCheckable(true);
            bar.commands.insert(QString::fromLatin1(name), actions.back().get());
        }
    }
    bool on(const char* name) const { return bar.command(QString::fromLatin1(name))->isEnabled(); }

    MainBar bar;
    QLineEdit connectField;
    std::vector<std::unique_ptr<QLabel>> labels;
    std::vector<std::unique_ptr<QAction>> actions;
};

} // namespace hvc::test
