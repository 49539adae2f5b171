#pragma once
// The device side of a run: the port table from the command line, the link
// procedures, and with --demo the simulated unit on a pseudo-terminal as COM 1.

#include "shell/commandline.h"
#include "shell/shellcontext.h"

#include <memory>

namespace hvc {

class LinkProcedures;
class SimProcess;

class UnitSession {
public:
    UnitSession(ShellContext& context, const CommandLine& options);
    ~UnitSession();

    // Starts the simulated unit when asked and hands the link to the state.
    bool start(QString& error);
    LinkProcedures* link() const { return m_link.get(); }
    SimProcess* simulator() const { return m_sim.get(); }
    // The pseudo-terminal of the simulated unit, empty without --demo.
    QString simulatorPath() const { return m_simPath; }

private:
    ShellContext& m_context;
    CommandLine m_options;
    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<LinkProcedures> m_link;
    QString m_simPath;
};

// The EEPROM file the demo unit keeps across runs, in the user's data folder.
QString DemoEepromPath();

} // namespace hvc
