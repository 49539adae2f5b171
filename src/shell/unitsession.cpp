#include "shell/unitsession.h"

#include "link/linkprocedures.h"

#include <QDir>
#include <QStandardPaths>

namespace hvc {

QString demoEepromPath() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dir);
    return QDir(dir).filePath(QStringLiteral("demo-eeprom.txt"));
}

UnitSession::UnitSession(ShellContext& context, const CommandLine& options,
                         DemoUnitFactory demoUnits)
    : m_context(context), m_options(options), m_demoUnits(std::move(demoUnits)) {}

UnitSession::~UnitSession() {
    if (m_context.state.session.link == m_link.get())
        m_context.state.session.link = nullptr;
    if (m_link)
        m_link->closeLink();
    m_link.reset();
    m_demo.reset(); // stops the simulated unit
}

Status UnitSession::start() {
    PortTable ports;
    for (const auto& [n, path] : m_options.ports)
        ports.set(n, path);
    if (m_options.demo) {
        if (!m_demoUnits)
            return Status::failure(QStringLiteral("This build has no simulated unit (hvc-sim)."));
        const QString eeprom =
            m_options.eepromPath.isEmpty() ? demoEepromPath() : m_options.eepromPath;
        m_demo = m_demoUnits();
        m_simPath =
            m_demo->start(QStringList{QStringLiteral("--eeprom"), eeprom} + m_options.simArguments);
        if (m_simPath.isEmpty())
            return Status::failure(
                QStringLiteral("The simulated unit hvc-sim could not be started: ") +
                m_demo->errorString());
        ports.set(1, m_simPath);
    }
    m_link = std::make_unique<LinkProcedures>(ports, m_context.state.observers.prompter());
    m_link->setPort(m_context.state.session.comPort);
    m_context.state.session.link = m_link.get();
    LinkProcedures* link = m_link.get();
    m_context.hooks.selectPort = [link](int n) { link->setPort(n); };
    m_context.hooks.portPath = [link](int n) { return link->ports().devicePath(n); };
    return {};
}

} // namespace hvc
