#include "shell/pageform.h"

namespace hvc {

PageForm::PageForm(ShellContext& context, Page page, QWidget* parent)
    : QWidget(parent), m_context(context), m_page(page) {}

void PageForm::disableTimer() {
    m_context.state.polling.disable(m_page);
}

bool PageForm::isPolling() const {
    return m_context.state.polling.isPolling(m_page);
}

void PageForm::deactivate() {
    m_context.state.polling.deactivate(m_page);
}

} // namespace hvc
