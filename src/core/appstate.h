#pragma once
// The program's global state: one instance, owned by main and handed to whoever
// needs it, so that a test can build a fresh one.

#include "core/observers.h"
#include "core/pollingcontroller.h"
#include "core/session.h"
#include "core/unitdocument.h"

namespace hvc {

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

    // Which page polls the unit (monitor, diagnostic, debugger) and the rules they keep.
    PollingController polling{*this};
};

} // namespace hvc
