#pragma once
// The per-page table of the status drawing: for the configuration, monitor,
// diagnostic and debugger pages, which block of MainBar each value of the
// connection indicator draws, whether Login and Logout are offered, and whether
// the version panel is shown. The pages' drawBar is one line:
//
//     void FrmSomething::drawBar(MainBar& bar, QProgressBar*, const QString& text) {
//         drawPageBar(bar, Page::Something, text);
//     }
//
// The main window's setCommandState runs after it (drawing.h).

#include "core/appstate.h"

#include <QString>

namespace hvc {

class MainBar;

enum class StatusBlock {
    None,                // nothing changes; the last drawing stays
    NotConnected,        // red icon, "Not Connected"
    ConnectedEdit,       // Read, Write and Reset offered, Read All and Write All not
    ConnectedNoTransfer, // no transfer command
    Polling,             // the page's status text on green, no transfer command
    Busy,                // the status text on green, nothing else
};

struct PageStatusRule {
    bool loginOffered = false; // Login while logged out, Logout while logged in
    bool versionPanel = false;
    StatusBlock block = StatusBlock::None;
    bool operator==(const PageStatusRule&) const = default;
};

// The table's cell for a page and an indicator value (no widget involved).
PageStatusRule pageStatusRuleFor(Page page, ConnectState state);

// Draws the cell of the shown page for the present indicator and login.
void drawPageBar(const MainBar& bar, Page page, const QString& text);

} // namespace hvc
