#pragma once
// Which page polls the unit, and the rules every polling page keeps. The monitor,
// the diagnostic page and the debugger each register once (a PollingClient and
// the page's own timer); from then on the controller decides what a tick does:
//
//   - a tick runs one pass, unless a pass of the same page is still running (the
//     progress drawing lets pending events run, among them the timer), or, for
//     the pages that take turns (monitor and diagnostic), the other one polls;
//   - activating a page that takes turns asks the other one to stop at its next
//     tick; leaving a page asks it to stop and hands the link back at once;
//   - a tick that finds its page asked to stop ends the run and hands the link
//     back; a failed pass ends the run with the link's failure (for the pages
//     that take turns the indicator falls to 0 and the link closes at once);
//   - disabling (Disconnect, Exit) stops the timer: between passes the run is
//     over at once, during a pass it ends after the pass.
//
// AppState holds the one controller as `polling`; the status drawing and the
// tests ask it which page polls.

#include <QString>
#include <array>
#include <memory>
#include <optional>

class QTimer;

namespace hvc {

class AppState;
class Status;
enum class Page;
enum class ConnectState;

// How a run came to its end.
enum class RunEnd {
    Stopped,        // a tick found the page asked to stop
    Disabled,       // disabled between passes
    DisabledInPass, // disabled while a pass ran; the pass ended first
    Failed,         // the pass failed; the reason comes with it
};

class PollingController;

// One page that polls: its timer, the page operations every polling page shares,
// and (for the controller) what a pass is and what happens when the run ends.
// It registers with the controller while it exists.
class PollingClient {
public:
    PollingClient(PollingController& controller, Page page, const QString& timerName,
                  int intervalMs);
    virtual ~PollingClient();
    PollingClient(const PollingClient&) = delete;
    PollingClient& operator=(const PollingClient&) = delete;

    // The page is left: it stops at its next tick and the link is handed back.
    void deactivate();
    // Disconnect / Exit: stops the timer and ends the run.
    void disableTimer();
    // One tick of the timer: runs a pass, or ends the run when asked to.
    void tick();
    // True while the page polls (its run has not ended).
    bool isPolling() const;
    bool passRunning() const;

protected:
    QTimer& pollTimer() { return *m_timer; }
    const QTimer& pollTimer() const { return *m_timer; }

private:
    friend class PollingController;

    // One pass over the link; a failure ends the run.
    virtual Status runPass() = 0;
    // The run is over; `why` is the failure for RunEnd::Failed, else ok().
    virtual void runEnded(RunEnd how, const Status& why) = 0;
    // False when a tick finds nothing to poll: the run then ends as if asked to stop.
    virtual bool hasWork() const { return true; }
    // A run the user switched on that is over only when ended, even before its
    // first pass (the debugger's MONITOR and watch list).
    virtual bool runOn() const { return false; }

    PollingController& m_controller;
    Page m_page;
    std::unique_ptr<QTimer> m_timer;
};

class PollingController {
public:
    explicit PollingController(AppState& state);
    PollingController(const PollingController&) = delete;
    PollingController& operator=(const PollingController&) = delete;

    // The indicator value of a page's own polling; none for the pages that never poll.
    static std::optional<ConnectState> pollingState(Page page);

    // The monitor and the diagnostic page take turns: neither polls while the
    // other one does, and each hands the link back at once when left, even in the
    // middle of a pass.
    static bool takesTurns(Page page);

    // The page's client, from its construction to its destruction.
    void attach(Page page, PollingClient& client);
    void detach(Page page);

    // The page is shown: its stop request is withdrawn, and a page that takes
    // turns asks the other ones to stop.
    void activate(Page page);
    // The page is left: it stops at its next tick and the link is handed back.
    void deactivate(Page page);
    // Starts the page's timer; the run is no longer asked to stop.
    void start(Page page);
    // Stops the timer and ends the run (see above).
    void disable(Page page);
    // One tick of the page's timer; tests and tools may call it themselves.
    void tick(Page page);

    void requestStop(Page page);
    // A polling indicator of this page falls back to connected.
    void handBack(Page page);
    // Test and tool seam: another program part reports the page's polling.
    void setPolling(Page page, bool on);

    bool isPolling(Page page) const { return at(page).polling; }
    bool stopRequested(Page page) const { return at(page).stopRequested; }
    bool timerEnabled(Page page) const { return at(page).timerEnabled; }
    bool passRunning(Page page) const { return at(page).inPass; }
    // Whether the page was disabled since its current pass or command began.
    bool disabledDuringPass(Page page) const { return at(page).disabledInPass; }

    // Marks a pass (or any exchange of the page that lets events run) in
    // progress: no tick of the page starts inside it, and a disable is noted.
    class Pass {
    public:
        Pass(PollingController& controller, Page page);
        ~Pass();
        Pass(const Pass&) = delete;
        Pass& operator=(const Pass&) = delete;

    private:
        PollingController& m_controller;
        Page m_page;
    };

private:
    struct Entry {
        PollingClient* client = nullptr;
        bool polling = false;
        bool stopRequested = false;
        bool timerEnabled = false;
        bool inPass = false;
        bool disabledInPass = false;
    };
    static constexpr int kPages = 5;

    Entry& at(Page page);
    const Entry& at(Page page) const;
    bool anotherPolls(Page page) const;
    void stopTimer(Entry& entry);
    void dropLink();

    AppState& m_state;
    std::array<Entry, kPages> m_entries{};
};

} // namespace hvc
