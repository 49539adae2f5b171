#include "config/programpages.h"

#include "config/frmconfig.h"

namespace hvc {

PageFactory ProgramPages() {
    return [](ShellContext& context, Page page, QWidget* parent) -> PageForm* {
        if (page == Page::Config)
            return new FrmConfig(context, parent);
        return nullptr;
    };
}

} // namespace hvc
