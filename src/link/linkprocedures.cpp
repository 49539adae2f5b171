#include "link/linkprocedures.h"

#include "core/prompter.h"
#include "link/devicelinkmng.h"

namespace hvc {

namespace {
constexpr int kCommandTimeoutMs = 5000;
constexpr int kDefaultTimeoutMs = 1000;
} // namespace

QString connectionString(int comPort) {
    return QStringLiteral("GDB:1,1000,#COM:") + QString::number(comPort) +
           QStringLiteral(",9600,N,8,1");
}

LinkProcedures::LinkProcedures(PortTable ports, Prompter& prompter)
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

int LinkProcedures::retries() const {
    return m_closedRetries + (m_link ? m_link->retries() : 0);
}

int LinkProcedures::exchanges() const {
    return m_closedExchanges + (m_link ? m_link->exchanges() : 0);
}

long LinkProcedures::wireBytes() const {
    return m_closedWireBytes + (m_link ? m_link->wireBytes() : 0);
}

int LinkProcedures::blockExchanges() const {
    return m_closedBlockExchanges + (m_link ? m_link->blockExchanges() : 0);
}

Status LinkProcedures::devOpen() {
    if (m_link)
        return {};
    m_open = false;
    auto created = std::make_unique<DeviceLinkMng>(m_ports);
    if (!created->open(connectionString(m_port)))
        return Status::linkFailure(created->errorString());
    m_link = std::move(created);
    if (m_timeoutMs)
        m_link->setTimeout(*m_timeoutMs);
    m_link->setBlockFrames(m_blockFrames);
    m_open = true;
    return {};
}

void LinkProcedures::devClose() {
    if (m_link) {
        m_closedRetries += m_link->retries();
        m_closedExchanges += m_link->exchanges();
        m_closedBlockExchanges += m_link->blockExchanges();
        m_closedWireBytes += m_link->wireBytes();
    }
    m_link.reset();
    m_open = false;
}

Status LinkProcedures::devRead(std::int32_t address, std::int32_t& value) {
    if (!m_link)
        return Status::linkFailure(QStringLiteral("port closed"));
    const auto word = m_link->readWord(address / 256, address & 255);
    if (!word)
        return Status::linkFailure(m_link->errorString());
    value = reduceToWord(*word);
    return {};
}

Status LinkProcedures::devWrite(std::int32_t address, std::int32_t value) {
    if (!m_link)
        return Status::linkFailure(QStringLiteral("port closed"));
    if (m_link->writeWord(address / 256, address & 255, reduceToWord(value)))
        return {};
    return Status::linkFailure(m_link->errorString());
}

Status LinkProcedures::devReadWords(const QList<std::int32_t>& addresses,
                                    QList<std::int32_t>& values) {
    values.clear();
    if (!m_open) {
        // As the guarded one-word reads: nothing read, no failure.
        values.fill(0, addresses.size());
        return {};
    }
    if (!m_link)
        return Status::linkFailure(QStringLiteral("port closed"));
    QList<std::uint16_t> words;
    const bool ok = m_link->readWords(addresses, words);
    for (const std::uint16_t w : words)
        values.append(reduceToWord(w));
    return ok ? Status() : Status::linkFailure(m_link->errorString());
}

Status LinkProcedures::readE2Words(const QList<std::int32_t>& addresses,
                                   QList<std::int32_t>& values) {
    return devReadWords(addresses, values);
}

Status LinkProcedures::readRamWords(const QList<std::int32_t>& addresses,
                                    QList<std::int32_t>& values) {
    return devReadWords(addresses, values);
}

Status LinkProcedures::writeE2Words(const QList<std::int32_t>& addresses,
                                    const QList<std::int32_t>& values, int& written) {
    written = 0;
    if (!m_open)
        return {};
    if (!m_link)
        return Status::linkFailure(QStringLiteral("port closed"));
    QList<std::uint16_t> words;
    for (const std::int32_t v : values)
        words.append(static_cast<std::uint16_t>(reduceToWord(v)));
    if (m_link->writeWords(addresses, words, written))
        return {};
    return Status::linkFailure(m_link->errorString());
}

Status LinkProcedures::sendCommand(std::int32_t code, const QString& text) {
    if (!m_link)
        return Status::linkFailure(QStringLiteral("port closed"));
    // After the command the calls go back to the configured time-out (1000 ms
    // unless the user set another).
    const int restore = m_timeoutMs.value_or(kDefaultTimeoutMs);
    m_link->setTimeout(kCommandTimeoutMs);
    Status status;
    if (!m_link->sendCommand(code, text)) {
        status = Status::linkFailure(m_link->errorString());
        m_link->resynchronise();
    }
    m_link->setTimeout(restore);
    return status;
}

Status LinkProcedures::openLink() {
    devClose();
    Status status = devOpen();
    if (!status && m_port != 0)
        m_prompter.informDetailed(QStringLiteral("Can't Open COM ") + QString::number(m_port),
                                  status.detail().isEmpty() ? status.text() : status.detail());
    return status;
}

void LinkProcedures::closeLink() {
    devClose();
}

Status LinkProcedures::readE2(std::int32_t address, std::int32_t& value) {
    return m_open ? devRead(address, value) : Status();
}

Status LinkProcedures::readRam(std::int32_t address, std::int32_t& value) {
    return m_open ? devRead(address, value) : Status();
}

Status LinkProcedures::writeE2(std::int32_t address, std::int32_t value) {
    return m_open ? devWrite(address, value) : Status();
}

Status LinkProcedures::writeRam(std::int32_t address, std::int32_t value) {
    return m_open ? devWrite(address, value) : Status();
}

} // namespace hvc
