#include "shell/unitsession.h"

#include "link/linkprocedures.h"

#include <QDir>
#include <QStandardPaths>

#ifdef HVC_SIM_AVAILABLE
#include "sim/simprocess.h"
#else
namespace hvc {
class SimProcess {}; // no simulated unit in this build
} // namespace hvc
#endif

namespace hvc {

QString DemoEepromPath() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dir);
    return QDir(dir).filePath(QStringLiteral("demo-eeprom.txt"));
}

UnitSession::UnitSession(ShellContext& context, const CommandLine& options)
    : m_context(context), m_options(options) {}

UnitSession::~UnitSession() {
    if (m_context.state.session.link == m_link.get())
        m_context.state.session.link = nullptr;
    if (m_link)
        m_link->closeLink();
    m_link.reset();
    m_sim.reset(); // stops the simulated unit
}

bool UnitSession::start(QString& error) {
    PortTable ports;
    for (const auto& [n, path] : m_options.ports)
        ports.set(n, path);
    if (m_options.demo) {
#ifdef HVC_SIM_AVAILABLE
        const QString eeprom =
            m_options.eepromPath.isEmpty() ? DemoEepromPath() : m_options.eepromPath;
        m_sim = std::make_unique<SimProcess>();
        m_simPath =
            m_sim->start(QStringList{QStringLiteral("--eeprom"), eeprom} + m_options.simArguments);
        if (m_simPath.isEmpty()) {
            error = QStringLiteral("The simulated unit hvc-sim could not be started: ") +
                    m_sim->errorString();
            return false;
        }
        ports.set(1, m_simPath);
#else
        error = QStringLiteral("This build has no simulated unit (hvc-sim).");
        return false;
#endif
    }
    m_link = std::make_unique<LinkProcedures>(ports, m_context.state.observers.prompter());
    m_link->setPort(m_context.state.session.comPort);
    m_context.state.session.link = m_link.get();
    LinkProcedures* link = m_link.get();
    m_context.hooks.selectPort = [link](int n) { link->setPort(n); };
    m_context.hooks.portPath = [link](int n) { return link->ports().devicePath(n); };
    return true;
}

} // namespace hvc
