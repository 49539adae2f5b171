#include "shell/pagestatus.h"

#include "shell/mainbar.h"

namespace hvc {

PageStatusRule pageStatusRuleFor(Page page, ConnectState state) {
    PageStatusRule rule;
    rule.loginOffered = page == Page::Debugger;
    rule.versionPanel = page == Page::Config;
    switch (state) {
    case ConnectState::NotConnected:
        rule.block = StatusBlock::NotConnected;
        break;
    case ConnectState::Transfer:
        rule.block = StatusBlock::Busy;
        break;
    case ConnectState::Connected:
        if (page == Page::Config)
            rule.block = StatusBlock::ConnectedEdit;
        else if (page == Page::Debugger)
            rule.block = StatusBlock::ConnectedNoTransfer;
        break;
    case ConnectState::MonitorPolling:
    case ConnectState::DiagnosticPolling:
    case ConnectState::DebuggerWorking:
        // Each page shows only its own polling.
        if (PollingController::pollingState(page) == state)
            rule.block = StatusBlock::Polling;
        break;
    }
    return rule;
}

void drawPageBar(const MainBar& bar, Page page, const QString& text) {
    const PageStatusRule rule = pageStatusRuleFor(page, bar.state.session.connectState());
    bar.loginCommands(rule.loginOffered);
    if (rule.versionPanel)
        bar.versionPanel();
    switch (rule.block) {
    case StatusBlock::None:
        break;
    case StatusBlock::NotConnected:
        bar.showNotConnected();
        break;
    case StatusBlock::ConnectedEdit:
        bar.showConnectedEdit();
        break;
    case StatusBlock::ConnectedNoTransfer:
        bar.showConnectedNoTransfer();
        break;
    case StatusBlock::Polling:
        bar.showPolling(text);
        break;
    case StatusBlock::Busy:
        bar.showBusy(text);
        break;
    }
}

} // namespace hvc
