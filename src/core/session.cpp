#include "core/session.h"

namespace hvc {

void Session::setConnectState(ConnectState value) {
    const bool changed = value != m_connectState;
    m_connectState = value;
    if (changed && connectChanged)
        connectChanged(value);
}

} // namespace hvc
