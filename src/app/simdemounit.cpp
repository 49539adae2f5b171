#include "app/simdemounit.h"

namespace hvc {

DemoUnitFactory SimDemoUnits() {
    return [] { return std::make_unique<SimDemoUnit>(); };
}

SimProcess* SimulatorOf(const UnitSession& session) {
    auto* unit = dynamic_cast<SimDemoUnit*>(session.demoUnit());
    return unit ? &unit->process() : nullptr;
}

} // namespace hvc
