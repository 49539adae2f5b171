#pragma once
// The program's global state: one instance, owned by main and handed to whoever
// needs it, so that a test can build a fresh one.

#include "core/catalogue.h"
#include "core/documentstate.h"
#include "core/infoblock.h"
#include "core/joycatalogue.h"
#include "core/pollingcontroller.h"
#include "core/unitwords.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace hvc {

class Prompter;
class UnitLink;

// Receives the progress of long work: after every exchange of a transfer, and
// gives the user interface a chance to handle pending events.
class ProgressObserver {
public:
    virtual ~ProgressObserver() = default;
    virtual void onProgress(const QString& statusText, int percent) = 0;
};

// The keys and variable counter every page offers the transfers.
struct PageKeys {
    std::uint16_t ReadKey = 0;
    std::uint16_t WriteKey = 0;
    std::int16_t PageVarNum = 0;
};

enum class Page { Config, Monitor, Diagnostic, Debugger, Info };
inline constexpr int kPageCount = 5;

// The connection indicator: what the link is doing now.
enum class ConnectState {
    NotConnected = 0,
    Connected = 1,
    Transfer = 2,
    MonitorPolling = 3,
    DiagnosticPolling = 4,
    DebuggerWorking = 5,
};

class AppState {
public:
    AppState();
    ~AppState();
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    Catalogue catalogue;
    // Filled when the configuration page loads; read by the pages that show joysticks.
    JoyCatalogue joysticks;

    DocumentState document;
    // What the unit holds as far as the program has seen it (the review before a write).
    UnitWords unitWords;
    // Every Write and Write All reads the written words back (Set menu, on by default).
    bool VerifyWrites = true;
    bool LoggedIn = false;
    bool ExitRequested = false;
    int ComPort = 1;
    QString BaudText = QStringLiteral("9600");

    InfoFields info;

    QString StatusText;
    int ProgressPercent = 0;

    ConnectState connectState() const { return m_connectState; }
    void setConnectState(ConnectState value);
    std::function<void(ConnectState)> connectChanged;

    // Which page polls the unit (monitor, diagnostic, debugger) and the rules they keep.
    PollingController polling{*this};

    std::array<PageKeys, kPageCount> pages;
    PageKeys& page(Page p) { return pages[static_cast<size_t>(p)]; }

    // Always present: a silent one until a user interface or a script sets its own.
    Prompter& prompter() const { return *m_prompter; }
    void setPrompter(Prompter* prompter);
    UnitLink* link = nullptr;
    ProgressObserver* progress = nullptr;
    // Asks the page on show to redraw from the records.
    std::function<void()> refreshShownPage;

private:
    ConnectState m_connectState = ConnectState::NotConnected;
    std::unique_ptr<Prompter> m_silent;
    Prompter* m_prompter;
};

} // namespace hvc
