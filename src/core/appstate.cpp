#include "core/appstate.h"

#include "core/prompter.h"

namespace hvc {

AppState::AppState() : m_silent(std::make_unique<SilentPrompter>()), m_prompter(m_silent.get()) {
    page(Page::Config) = {10, 11, 0};
    page(Page::Info) = {10000, 10001, 0};
}

AppState::~AppState() = default;

void AppState::setPrompter(Prompter* prompter) {
    m_prompter = prompter ? prompter : m_silent.get();
}

void AppState::setConnectState(ConnectState value) {
    const bool changed = value != m_connectState;
    m_connectState = value;
    if (changed && connectChanged)
        connectChanged(value);
}

} // namespace hvc
