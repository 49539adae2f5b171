#pragma once
// A request to a page to redraw part of itself, as a value other parts set to 1:
// the page runs its handler and sets the value back to 0. The page owns the
// request and registers it in AppState while it exists, so that the main window
// and the configuration page can reach it without knowing the page.

#include <functional>
#include <utility>

namespace hvc {

class RedrawRequest {
public:
    explicit RedrawRequest(std::function<void()> handler = {}) : m_handler(std::move(handler)) {}

    int value() const { return m_value; }
    // Setting 1 runs the handler at once and sets the value back to 0.
    void setValue(int value) {
        m_value = value;
        if (m_value != 1)
            return;
        if (m_handler)
            m_handler();
        m_value = 0;
    }
    void setHandler(std::function<void()> handler) { m_handler = std::move(handler); }

private:
    int m_value = 0;
    std::function<void()> m_handler;
};

} // namespace hvc
