#pragma once
// The device side of a run: the port table from the command line, the link
// procedures, and with --demo the simulated unit on a pseudo-terminal as COM 1.

#include "core/status.h"
#include "shell/commandline.h"
#include "shell/shellcontext.h"

#include <functional>
#include <memory>

namespace hvc {

class LinkProcedures;

// The simulated unit --demo runs; the program hands in how to make one, so the
// shell does not depend on the simulator.
class DemoUnit {
public:
    virtual ~DemoUnit() = default; // stops the unit
    // Starts the unit with `arguments`; the device path of its port, or an empty
    // text (errorString() says why).
    virtual QString start(const QStringList& arguments) = 0;
    virtual QString errorString() const = 0;
};
using DemoUnitFactory = std::function<std::unique_ptr<DemoUnit>()>;

class UnitSession {
public:
    // Without `demoUnits`, --demo fails: this build has no simulated unit.
    UnitSession(ShellContext& context, const CommandLine& options, DemoUnitFactory demoUnits = {});
    ~UnitSession();

    // Starts the simulated unit when asked and hands the link to the state.
    Status start();
    LinkProcedures* link() const { return m_link.get(); }
    DemoUnit* demoUnit() const { return m_demo.get(); }
    // The pseudo-terminal of the simulated unit, empty without --demo.
    QString simulatorPath() const { return m_simPath; }

private:
    ShellContext& m_context;
    CommandLine m_options;
    DemoUnitFactory m_demoUnits;
    std::unique_ptr<DemoUnit> m_demo;
    std::unique_ptr<LinkProcedures> m_link;
    QString m_simPath;
};

// The EEPROM file the demo unit keeps across runs, in the user's data folder.
QString demoEepromPath();

} // namespace hvc
