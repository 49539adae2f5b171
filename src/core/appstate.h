#pragma once
// The program's global state: one instance, owned by main and handed to whoever
// needs it, so that a test can build a fresh one.

#include "core/observers.h"
#include "core/session.h"
#include "core/unitdocument.h"

namespace hvc {

class RedrawRequest;

// The polling flags of the monitor, diagnostic and debugger pages. Each page's
// timer does nothing while another one polls, and activating one page asks the
// other to stop at its next tick.
struct PollingFlags {
    bool MonitorStopRequest = false;
    bool MonitorPolling = false;
    bool DiagnosticStopRequest = false;
    bool DiagnosticPolling = false;
    bool DebugStopRequest = false;
    bool DebugPolling = false;
};

class AppState {
public:
    AppState();
    ~AppState();
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    // The unit's parameter set as the program holds it.
    UnitDocument document;
    // Port, login, connection indicator and link.
    Session session;
    // Prompter, progress and the page redraw hook.
    Observers observers;

    PollingFlags polling;
    // The monitor's redraw requests (joystick and solenoid pictures), registered
    // while the monitor exists: set 1 when the link is lost or the solenoid set-up
    // changes.
    RedrawRequest* DrawJoyMonitorEventObj = nullptr;
    RedrawRequest* DrawMagMonitorEventObj = nullptr;
};

} // namespace hvc
