#include "shell/pageform.h"

namespace hvc {

PageForm::PageForm(ShellContext& context, Page page, QWidget* parent)
    : QWidget(parent), m_context(context), m_page(page) {}

} // namespace hvc
