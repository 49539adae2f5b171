#include "link/linkprocedures.h"

#include "core/prompter.h"
#include "link/devicelinkmng.h"

namespace hvc {

namespace {
constexpr int kCommandTimeoutMs = 5000;
constexpr int kDefaultTimeoutMs = 1000;
} // namespace

QString ConnectionString(int comPort) {
    return QStringLiteral("GDB:1,1000,#COM:") + QString::number(comPort) +
           QStringLiteral(",9600,N,8,1");
}

LinkProcedures::LinkProcedures(PortTable ports, Prompter* prompter)
    : m_ports(std::move(ports)), m_prompter(prompter) {}

LinkProcedures::~LinkProcedures() = default;

void LinkProcedures::setPort(int comPort) {
    m_port = comPort;
}
int LinkProcedures::port() const {
    return m_port;
}
PortTable& LinkProcedures::ports() {
    return m_ports;
}

void LinkProcedures::setTimeout(int ms) {
    m_timeoutMs = ms;
    if (m_link)
        m_link->setTimeout(ms);
}

bool LinkProcedures::isOpen() const {
    return m_state == QLatin1String("Open");
}

std::int16_t LinkProcedures::DevOpen() {
    if (m_link)
        return 0;
    m_state = QStringLiteral("Close");
    auto created = std::make_shared<DeviceLinkMng>(m_ports);
    if (!created->Open(ConnectionString(m_port)))
        return -1;
    m_link = created->DeviceLink_AddRef();
    created.reset();
    if (m_timeoutMs)
        m_link->setTimeout(*m_timeoutMs);
    m_state = QStringLiteral("Open");
    return 0;
}

void LinkProcedures::DevClose() {
    m_link.reset();
    m_state = QStringLiteral("Close");
}

QString LinkProcedures::DevRead(std::int32_t address, std::int32_t& value) {
    if (!m_link)
        return QString::fromLatin1(kFailed);
    const auto word = m_link->Par(address / 256, address & 255, DeviceLinkMng::kGetWord);
    if (!word)
        return QString::fromLatin1(kFailed);
    value = ReduceToWord(*word);
    return {};
}

QString LinkProcedures::DevWrite(std::int32_t address, std::int32_t value) {
    if (!m_link)
        return QString::fromLatin1(kFailed);
    const bool ok = m_link->Par(address / 256, address & 255, DeviceLinkMng::kPutWord,
                                QVariant(static_cast<int>(ReduceToWord(value))));
    return ok ? QString() : QString::fromLatin1(kFailed);
}

std::int16_t LinkProcedures::DevCommand(std::int32_t code, const QString& text) {
    if (!m_link)
        return 1;
    // After the command the calls go back to the configured time-out (1000 ms
    // unless the user set another).
    const int restore = m_timeoutMs.value_or(kDefaultTimeoutMs);
    m_link->setTimeout(kCommandTimeoutMs);
    if (m_link->Par(code, 4, DeviceLinkMng::kCommand, QVariant(text))) {
        m_link->setTimeout(restore);
        return 0;
    }
    m_link->ErrTimeOut();
    m_link->setTimeout(restore);
    return 1;
}

bool LinkProcedures::OpenLink() {
    DevClose();
    if (DevOpen() == 0)
        return true;
    if (m_port != 0 && m_prompter)
        m_prompter->inform(QStringLiteral("Can't Open COM ") + QString::number(m_port));
    return false;
}

void LinkProcedures::CloseLink() {
    DevClose();
}

QString LinkProcedures::LinkState() const {
    return m_state;
}

QString LinkProcedures::ReadE2(std::int32_t address, std::int32_t& value) {
    return isOpen() ? DevRead(address, value) : QString();
}

QString LinkProcedures::ReadRAM(std::int32_t address, std::int32_t& value) {
    return isOpen() ? DevRead(address, value) : QString();
}

QString LinkProcedures::WriteE2(std::int32_t address, std::int32_t value) {
    return isOpen() ? DevWrite(address, value) : QString();
}

QString LinkProcedures::WriteRAM(std::int32_t address, std::int32_t value) {
    return isOpen() ? DevWrite(address, value) : QString();
}

} // namespace hvc
