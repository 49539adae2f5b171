#include "core/pollingcontroller.h"

#include "core/appstate.h"
#include "core/status.h"
#include "core/unitlink.h"

#include <QTimer>

namespace hvc {

static_assert(kPageCount == 5, "one entry per page");

PollingController::PollingController(AppState& state) : m_state(state) {}

std::optional<ConnectState> PollingController::pollingState(Page page) {
    switch (page) {
    case Page::Monitor:
        return ConnectState::MonitorPolling;
    case Page::Diagnostic:
        return ConnectState::DiagnosticPolling;
    case Page::Debugger:
        return ConnectState::DebuggerWorking;
    case Page::Config:
    case Page::Info:
        break;
    }
    return std::nullopt;
}

bool PollingController::takesTurns(Page page) {
    return page == Page::Monitor || page == Page::Diagnostic;
}

PollingController::Entry& PollingController::at(Page page) {
    return m_entries[static_cast<std::size_t>(page)];
}

const PollingController::Entry& PollingController::at(Page page) const {
    return m_entries[static_cast<std::size_t>(page)];
}

// Stop requests outlive the pages: a page built anew keeps the one its
// predecessor was left with.
void PollingController::attach(Page page, PollingClient& client) {
    Entry& e = at(page);
    e.client = &client;
    e.polling = false;
    e.timerEnabled = false;
    e.inPass = false;
    e.disabledInPass = false;
}

void PollingController::detach(Page page) {
    Entry& e = at(page);
    stopTimer(e);
    e.client = nullptr;
    e.polling = false;
    e.inPass = false;
    e.disabledInPass = false;
}

bool PollingController::anotherPolls(Page page) const {
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const auto other = static_cast<Page>(i);
        if (other != page && takesTurns(other) && m_entries[i].polling)
            return true;
    }
    return false;
}

void PollingController::stopTimer(Entry& entry) {
    entry.timerEnabled = false;
    if (entry.client)
        entry.client->pollTimer().stop();
}

void PollingController::activate(Page page) {
    at(page).stopRequested = false;
    if (!takesTurns(page))
        return;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const auto other = static_cast<Page>(i);
        if (other != page && takesTurns(other))
            m_entries[i].stopRequested = true;
    }
}

// A page that takes turns gives the link back even in the middle of a pass, so
// that the page shown next may start; the debugger keeps it until its command or
// tick is over.
void PollingController::deactivate(Page page) {
    Entry& e = at(page);
    e.stopRequested = true;
    if (takesTurns(page) || !e.inPass)
        handBack(page);
}

void PollingController::start(Page page) {
    Entry& e = at(page);
    e.timerEnabled = true;
    if (e.client)
        e.client->pollTimer().start();
    e.stopRequested = false;
}

void PollingController::requestStop(Page page) {
    at(page).stopRequested = true;
}

void PollingController::handBack(Page page) {
    if (m_state.session.connectState() == pollingState(page))
        m_state.session.setConnectState(ConnectState::Connected);
}

void PollingController::dropLink() {
    m_state.session.setConnectState(ConnectState::NotConnected);
    if (m_state.session.link)
        m_state.session.link->closeLink();
}

void PollingController::setPolling(Page page, bool on) {
    at(page).polling = on;
}

// Left set, the polling flag would keep the other page from ever polling again
// (and hold up Exit): between passes the run is over at once.
void PollingController::disable(Page page) {
    Entry& e = at(page);
    stopTimer(e);
    if (e.inPass) {
        e.disabledInPass = true;
        return;
    }
    if (!e.client || (!e.polling && !e.client->runOn()))
        return;
    e.polling = false;
    e.client->runEnded(RunEnd::Disabled, Status());
}

void PollingController::tick(Page page) {
    Entry& e = at(page);
    if (!e.client || e.inPass || (takesTurns(page) && anotherPolls(page)))
        return;
    if (!e.stopRequested && e.client->hasWork()) {
        // The pass and what ends it run under the guard.
        const Pass pass(*this, page);
        e.polling = true;
        const Status status = e.client->runPass();
        if (!status) {
            stopTimer(e);
            e.polling = false;
            // The debugger closes the link itself when it reports the failure.
            if (takesTurns(page))
                dropLink();
            e.client->runEnded(RunEnd::Failed, status);
        } else if (e.disabledInPass || !e.polling) {
            e.polling = false;
            e.client->runEnded(RunEnd::DisabledInPass, status);
        }
        return;
    }
    stopTimer(e);
    const bool wasPolling = e.polling;
    e.polling = false;
    handBack(page);
    if (wasPolling || e.client->runOn())
        e.client->runEnded(RunEnd::Stopped, Status());
}

PollingClient::PollingClient(PollingController& controller, Page page, const QString& timerName,
                             int intervalMs)
    : m_controller(controller), m_page(page), m_timer(std::make_unique<QTimer>()) {
    m_timer->setObjectName(timerName);
    m_timer->setInterval(intervalMs);
    QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] { tick(); });
    m_controller.attach(m_page, *this);
}

PollingClient::~PollingClient() {
    m_controller.detach(m_page);
}

void PollingClient::deactivate() {
    m_controller.deactivate(m_page);
}

void PollingClient::disableTimer() {
    m_controller.disable(m_page);
}

void PollingClient::tick() {
    m_controller.tick(m_page);
}

bool PollingClient::isPolling() const {
    return m_controller.isPolling(m_page);
}

bool PollingClient::passRunning() const {
    return m_controller.passRunning(m_page);
}

PollingController::Pass::Pass(PollingController& controller, Page page)
    : m_controller(controller), m_page(page) {
    Entry& e = m_controller.at(m_page);
    e.inPass = true;
    e.disabledInPass = false;
}

PollingController::Pass::~Pass() {
    m_controller.at(m_page).inPass = false;
}

} // namespace hvc
