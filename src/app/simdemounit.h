#pragma once
// hvc-sim as the desktop program's demo unit.

#include "shell/unitsession.h"
#include "sim/simprocess.h"

namespace hvc {

class SimDemoUnit : public DemoUnit {
public:
    QString start(const QStringList& arguments) override { return m_process.start(arguments); }
    QString errorString() const override { return m_process.errorString(); }
    SimProcess& process() { return m_process; }

private:
    SimProcess m_process;
};

// Makes a SimDemoUnit each time --demo asks for one.
DemoUnitFactory simDemoUnits();

// The simulator a session started for --demo, null without one.
SimProcess* simulatorOf(const UnitSession& session);

} // namespace hvc
