#include "core/progress.h"

namespace hvc {

void Progress::report(const QString& text, int percent) {
    m_text = text;
    m_percent = percent;
    notify();
}

void Progress::notify() const {
    if (m_observer)
        m_observer->onProgress(m_text, m_percent);
}

} // namespace hvc
