#include "app/simdemounit.h"

namespace hvc {

DemoUnitFactory simDemoUnits() {
    return [] { return std::make_unique<SimDemoUnit>(); };
}

SimProcess* simulatorOf(const UnitSession& session) {
    auto* unit = dynamic_cast<SimDemoUnit*>(session.demoUnit());
    return unit ? &unit->process() : nullptr;
}

} // namespace hvc
