#include "core/appstate.h"

namespace hvc {

AppState::AppState() {
    page(Page::Config) = {10, 11, 0};
    page(Page::Info) = {10000, 10001, 0};
}

void AppState::setIsConnectObj(int value) {
    const bool changed = value != m_isConnectObj;
    m_isConnectObj = value;
    if (changed && connectChanged)
        connectChanged(value);
}

} // namespace hvc
