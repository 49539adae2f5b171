#include "link/devicelinkmng.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSerialPort>

Q_LOGGING_CATEGORY(lcLink, "hvc.link", QtWarningMsg)

namespace hvc {

namespace {

int remaining(const QDeadlineTimer& deadline) {
    return static_cast<int>(std::max<qint64>(0, deadline.remainingTime()));
}

} // namespace

std::optional<ConnectionSettings> ConnectionSettings::parse(const QString& text) {
    static const QRegularExpression re(QStringLiteral(
        R"(^GDB:(\d{1,3}),(\d{1,6}),#COM:(\d{1,3}),(\d{3,7}),([NEO]),([5-8]),([12])$)"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    ConnectionSettings s;
    s.device = m.captured(1).toInt();
    s.timeoutMs = m.captured(2).toInt();
    s.comPort = m.captured(3).toInt();
    s.baud = m.captured(4).toInt();
    s.parity = m.captured(5).at(0).toLatin1();
    s.dataBits = m.captured(6).toInt();
    s.stopBits = m.captured(7).toInt();
    if (s.device < 1 || s.timeoutMs < 1)
        return std::nullopt;
    return s;
}

DeviceLinkMng::DeviceLinkMng(PortTable ports) : m_ports(std::move(ports)) {}

DeviceLinkMng::~DeviceLinkMng() = default;

bool DeviceLinkMng::fail(const QString& why) {
    m_error = why;
    qCDebug(lcLink) << "link:" << why;
    return false;
}

bool DeviceLinkMng::isOpen() const {
    return m_port && m_port->isOpen();
}

bool DeviceLinkMng::Open(const QString& connection) {
    m_port.reset();
    const auto settings = ConnectionSettings::parse(connection);
    if (!settings)
        return fail(QStringLiteral("malformed connection string '%1'").arg(connection));
    const QString path = m_ports.devicePath(settings->comPort);
    if (path.isEmpty())
        return fail(QStringLiteral("no device for COM %1").arg(settings->comPort));
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(path);
    if (!port->open(QIODevice::ReadWrite))
        return fail(QStringLiteral("%1: %2").arg(path, port->errorString()));
    const auto parity = settings->parity == 'E'   ? QSerialPort::EvenParity
                        : settings->parity == 'O' ? QSerialPort::OddParity
                                                  : QSerialPort::NoParity;
    const bool configured =
        port->setBaudRate(settings->baud) &&
        port->setDataBits(static_cast<QSerialPort::DataBits>(settings->dataBits)) &&
        port->setParity(parity) &&
        port->setStopBits(settings->stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
        port->setFlowControl(QSerialPort::NoFlowControl);
    if (!configured)
        return fail(QStringLiteral("%1: %2").arg(path, port->errorString()));
    port->clear(QSerialPort::AllDirections);
    m_port = std::move(port);
    m_timeoutMs = settings->timeoutMs;
    m_decoder.clear();
    m_error.clear();
    return true;
}

void DeviceLinkMng::setTimeout(int ms) {
    m_timeoutMs = std::max(1, ms);
}

bool DeviceLinkMng::portGone() {
    if (!m_port)
        return true;
    const auto error = m_port->error();
    if (error == QSerialPort::ResourceError || error == QSerialPort::DeviceNotFoundError ||
        error == QSerialPort::PermissionError) {
        m_port->close();
        return true;
    }
    return !m_port->isOpen();
}

void DeviceLinkMng::ErrTimeOut() {
    m_decoder.clear();
    if (!isOpen() || portGone())
        return;
    // Let a late reply finish arriving, then throw it away.
    QElapsedTimer quiet;
    quiet.start();
    while (quiet.elapsed() < 500 && m_port->waitForReadyRead(20))
        m_port->readAll();
    m_port->clear(QSerialPort::Input);
    m_port->readAll();
    m_port->clearError();
}

bool DeviceLinkMng::exchange(wire::Frame request, wire::Frame& reply) {
    if (!isOpen() || portGone())
        return fail(QStringLiteral("port not open or gone"));
    // Whatever is still buffered belongs to an earlier exchange.
    m_port->clear(QSerialPort::Input);
    m_port->readAll();
    m_port->clearError();
    m_decoder.clear();
    m_seq = static_cast<std::uint8_t>((m_seq + 1) & 0x0F);
    request.seq = m_seq;
    const QString what = wire::describe(request);
    const QDeadlineTimer deadline(m_timeoutMs);

    const QByteArray bytes = wire::encode(request);
    if (m_port->write(bytes) != bytes.size())
        return portGone() ? fail(QStringLiteral("port went away (%1)").arg(what))
                          : fail(QStringLiteral("write failed (%1)").arg(what));
    while (m_port->bytesToWrite() > 0) {
        if (!m_port->waitForBytesWritten(remaining(deadline))) {
            if (portGone())
                return fail(QStringLiteral("port went away (%1)").arg(what));
            if (deadline.hasExpired())
                return fail(QStringLiteral("time-out sending (%1)").arg(what));
        }
    }
    for (;;) {
        m_decoder.append(m_port->readAll());
        wire::Frame frame;
        switch (m_decoder.next(frame)) {
        case wire::Decoder::Status::Frame:
            if (frame.seq != request.seq ||
                (frame.kind != wire::replyKind(request.kind) && frame.kind != wire::Kind::Error))
                return fail(QStringLiteral("reply to another request: %1 for %2")
                                .arg(wire::describe(frame), what));
            if (frame.kind == wire::Kind::Error)
                return fail(
                    QStringLiteral("error reply: %1 (%2)").arg(wire::errorText(frame.error), what));
            reply = frame;
            return true;
        case wire::Decoder::Status::BadCrc:
            return fail(QStringLiteral("CRC error in the reply (%1)").arg(what));
        case wire::Decoder::Status::BadHeader:
            return fail(QStringLiteral("malformed reply (%1)").arg(what));
        case wire::Decoder::Status::NeedMore:
            break;
        }
        if (deadline.hasExpired())
            return fail(QStringLiteral("time-out after %1 ms (%2)").arg(m_timeoutMs).arg(what));
        if (!m_port->waitForReadyRead(remaining(deadline))) {
            if (portGone())
                return fail(QStringLiteral("port went away (%1)").arg(what));
            if (m_port->error() != QSerialPort::NoError &&
                m_port->error() != QSerialPort::TimeoutError)
                return fail(QStringLiteral("%1 (%2)").arg(m_port->errorString(), what));
        }
    }
}

std::optional<std::int32_t> DeviceLinkMng::Par(int address, int sub, int form) {
    if (form != kGetWord) {
        fail(QStringLiteral("\"Par\" get of form %1").arg(form));
        return std::nullopt;
    }
    if (address < 0 || address > 0xFFFF || sub < 0 || sub > 0xFF) {
        fail(QStringLiteral("address %1 sub-code %2 out of range").arg(address).arg(sub));
        return std::nullopt;
    }
    wire::Frame request;
    request.kind = wire::Kind::Read;
    request.address = static_cast<std::uint16_t>(address);
    request.sub = static_cast<std::uint8_t>(sub);
    wire::Frame reply;
    if (!exchange(request, reply))
        return std::nullopt;
    return reply.value;
}

bool DeviceLinkMng::Par(int address, int sub, int form, const QVariant& value) {
    if (address < 0 || address > 0xFFFF || sub < 0 || sub > 0xFF)
        return fail(QStringLiteral("address %1 sub-code %2 out of range").arg(address).arg(sub));
    wire::Frame request;
    request.address = static_cast<std::uint16_t>(address);
    request.sub = static_cast<std::uint8_t>(sub);
    if (form == kPutWord) {
        bool ok = false;
        const qlonglong number = value.typeId() == QMetaType::QString
                                     ? value.toString().trimmed().toLongLong(&ok, 0)
                                     : value.toLongLong(&ok);
        if (!ok || number < -32768 || number > 65535)
            return fail(QStringLiteral("value %1 is not a 16-bit word").arg(value.toString()));
        request.kind = wire::Kind::Write;
        request.value = static_cast<std::uint16_t>(number & 0xFFFF);
    } else if (form == kCommand) {
        const QByteArray text = value.toString().toLatin1();
        if (text.size() > wire::kMaxText)
            return fail(QStringLiteral("command text longer than %1 bytes").arg(wire::kMaxText));
        request.kind = wire::Kind::Command;
        request.text = text;
    } else {
        return fail(QStringLiteral("\"Par\" put of form %1").arg(form));
    }
    wire::Frame reply;
    return exchange(request, reply);
}

} // namespace hvc
