#include "core/appstate.h"

namespace hvc {

AppState::AppState() = default;

AppState::~AppState() = default;

} // namespace hvc
