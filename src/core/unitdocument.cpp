#include "core/unitdocument.h"

namespace hvc {

UnitDocument::UnitDocument() {
    page(Page::Config) = {10, 11, 0};
    page(Page::Info) = {10000, 10001, 0};
}

} // namespace hvc
