#include "link/devicelinkmng.h"

#include "core/unitvariable.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSerialPort>

#include <algorithm>

Q_LOGGING_CATEGORY(lcLink, "hvc.link", QtWarningMsg)

namespace hvc {

namespace {

// Once bytes of a reply have come, a pause this long means no more are coming: a
// reply whose sync byte was damaged, or the tail of a late one. At 9600 baud a
// reply takes at most 5 ms on the wire, and a unit that answered a late request
// first starts on ours right after; this leaves room for USB adapters that hand
// bytes over in 16 ms batches.
constexpr int kQuietMs = 20;

int remaining(const QDeadlineTimer& deadline) {
    return static_cast<int>(std::max<qint64>(0, deadline.remainingTime()));
}

std::uint8_t randomSeq() {
    return static_cast<std::uint8_t>(QRandomGenerator::global()->bounded(16));
}

// "reading 0302.00", "writing 0302.00", "sending command 0400.04".
QString doing(const wire::Frame& request) {
    const QString where =
        formatAddressText(static_cast<std::int32_t>(request.address) << 8 | request.sub);
    switch (request.kind) {
    case wire::Kind::Read:
        return QStringLiteral("reading ") + where;
    case wire::Kind::Write:
        return QStringLiteral("writing ") + where;
    case wire::Kind::ReadRanges:
    case wire::Kind::ReadList:
    case wire::Kind::WriteRanges:
        return QStringLiteral("%1 %2 words from %3")
            .arg(request.kind == wire::Kind::WriteRanges ? QStringLiteral("writing")
                                                         : QStringLiteral("reading"))
            .arg(wire::blockWords(request))
            .arg(formatAddressText(static_cast<std::int32_t>(request.ranges.value(0).address) << 8 |
                                   request.ranges.value(0).sub));
    default:
        return QStringLiteral("sending command ") + where;
    }
}

} // namespace

std::optional<ConnectionSettings> ConnectionSettings::parse(const QString& text) {
    static const QRegularExpression kRe(QStringLiteral(
        R"(^GDB:(\d{1,3}),(\d{1,6}),#COM:(\d{1,3}),(\d{3,7}),([NEO]),([5-8]),([12])$)"));
    const auto m = kRe.match(text);
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

DeviceLinkMng::DeviceLinkMng(PortTable ports) : m_ports(std::move(ports)), m_seq(randomSeq()) {}

DeviceLinkMng::~DeviceLinkMng() = default;

bool DeviceLinkMng::fail(Failure failure, const QString& why) {
    m_failure = failure;
    m_error = why;
    qCDebug(lcLink) << "link:" << why;
    return false;
}

bool DeviceLinkMng::isOpen() const {
    return m_port && m_port->isOpen();
}

void DeviceLinkMng::close() {
    m_port.reset();
    m_lock.release();
    m_decoder.clear();
}

bool DeviceLinkMng::open(const QString& connection) {
    close();
    m_retries = 0;
    m_exchanges = 0;
    m_blockExchanges = 0;
    m_wireBytes = 0;
    const auto settings = ConnectionSettings::parse(connection);
    if (!settings)
        return fail(Failure::Usage,
                    QStringLiteral("malformed connection string '%1'").arg(connection));
    const QString path = m_ports.devicePath(settings->comPort);
    if (path.isEmpty())
        return fail(Failure::Usage, QStringLiteral("no device for COM %1").arg(settings->comPort));
    // The lock comes first: a second program must not even open the device, since
    // opening and setting it up already disturbs the line of the program that has it.
    QString error;
    switch (m_lock.acquire(path, error)) {
    case PortLock::Result::Locked:
        break;
    case PortLock::Result::Busy:
        return fail(Failure::PortBusy, error);
    case PortLock::Result::Failed:
        return fail(Failure::OpenFailed, error);
    }
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(m_lock.device());
    if (!port->open(QIODevice::ReadWrite)) {
        m_lock.release();
        return fail(Failure::OpenFailed, QStringLiteral("%1: %2").arg(path, port->errorString()));
    }
    const auto parity = settings->parity == 'E'   ? QSerialPort::EvenParity
                        : settings->parity == 'O' ? QSerialPort::OddParity
                                                  : QSerialPort::NoParity;
    const bool configured =
        port->setBaudRate(settings->baud) &&
        port->setDataBits(static_cast<QSerialPort::DataBits>(settings->dataBits)) &&
        port->setParity(parity) &&
        port->setStopBits(settings->stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
        port->setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        const QString why = QStringLiteral("%1: %2").arg(path, port->errorString());
        port.reset();
        m_lock.release();
        return fail(Failure::OpenFailed, why);
    }
    m_port = std::move(port);
    m_timeoutMs = settings->timeoutMs;
    // A reply to a program that used the unit before us may still be waiting.
    flushInput();
    // Another program (or an earlier run of this one) may have a request out that
    // the unit answers late; starting the count elsewhere makes its reply unlikely
    // to carry the number we are about to use.
    m_seq = randomSeq();
    m_blocks = m_blocksWanted;
    m_failure = Failure::None;
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
        m_lock.release();
        return true;
    }
    return !m_port->isOpen();
}

void DeviceLinkMng::flushInput() {
    m_decoder.clear();
    if (!m_port)
        return;
    m_port->clear(QSerialPort::Input);
    m_port->readAll();
    m_port->clearError();
}

void DeviceLinkMng::resynchronise() {
    m_decoder.clear();
    if (!isOpen() || portGone())
        return;
    // Let a late reply finish arriving, then throw it away.
    QElapsedTimer quiet;
    quiet.start();
    while (quiet.elapsed() < 500 && m_port->waitForReadyRead(20))
        m_port->readAll();
    flushInput();
}

// One send of the request and the wait for its reply.
DeviceLinkMng::Failure DeviceLinkMng::attempt(wire::Frame request, wire::Frame& reply) {
    // Whatever is still buffered belongs to an earlier exchange.
    flushInput();
    m_seq = static_cast<std::uint8_t>((m_seq + 1) & 0x0F);
    request.seq = m_seq;
    m_decoder.expectReplyTo(request);
    ++m_exchanges;
    if (wire::isBlockKind(request.kind))
        ++m_blockExchanges;
    qCDebug(lcLink) << "link: sent" << wire::describe(request);
    const QDeadlineTimer deadline(m_timeoutMs);

    const QByteArray bytes = wire::encode(request);
    m_wireBytes += bytes.size();
    if (m_port->write(bytes) != bytes.size()) {
        if (portGone())
            return Failure::PortClosed;
        m_ioError = m_port->errorString();
        return Failure::IoError;
    }
    while (m_port->bytesToWrite() > 0) {
        if (!m_port->waitForBytesWritten(remaining(deadline))) {
            if (portGone())
                return Failure::PortClosed;
            if (deadline.hasExpired())
                return Failure::TimeOut;
        }
    }
    // What went wrong so far: reported if no good reply follows.
    Failure seen = Failure::None;
    bool heard = false;
    for (;;) {
        const QByteArray got = m_port->readAll();
        heard = heard || !got.isEmpty();
        m_decoder.append(got);
        for (bool more = true; more;) {
            wire::Frame frame;
            switch (m_decoder.next(frame)) {
            case wire::Decoder::Status::Frame:
                reply = frame;
                m_wireBytes += wire::encodedSize(frame, &request);
                return frame.kind == wire::Kind::Error ? Failure::ErrorReply : Failure::None;
            case wire::Decoder::Status::BadCrc:
                seen = Failure::BadCrc;
                break;
            case wire::Decoder::Status::OtherReply:
                if (seen != Failure::BadCrc)
                    seen = Failure::OtherReply;
                break;
            case wire::Decoder::Status::BadHeader:
                if (seen == Failure::None)
                    seen = Failure::Malformed;
                break;
            case wire::Decoder::Status::NeedMore:
                more = false;
                break;
            }
        }
        if (deadline.hasExpired())
            return seen == Failure::None ? Failure::TimeOut : seen;
        // The reply to this request may still follow a damaged or late one, but
        // once bytes have come, the rest of a frame follows without a pause.
        const int wait = heard ? std::min(kQuietMs, remaining(deadline)) : remaining(deadline);
        if (!m_port->waitForReadyRead(wait)) {
            if (portGone())
                return Failure::PortClosed;
            const auto error = m_port->error();
            if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError) {
                m_ioError = m_port->errorString();
                return Failure::IoError;
            }
            if (heard && !deadline.hasExpired())
                return seen == Failure::None ? Failure::Malformed : seen;
        }
    }
}

QString DeviceLinkMng::failureText(Failure why, const wire::Frame& request,
                                   const wire::Frame& reply) const {
    const QString what = doing(request);
    switch (why) {
    case Failure::TimeOut:
        return QStringLiteral("time-out after %1 ms %2").arg(m_timeoutMs).arg(what);
    case Failure::BadCrc:
        return QStringLiteral("CRC error in the reply ") + what;
    case Failure::Malformed:
        return QStringLiteral("malformed reply ") + what;
    case Failure::OtherReply:
        return QStringLiteral("reply to another request ") + what;
    case Failure::ErrorReply:
        return wire::errorText(reply.error) + u' ' + what;
    case Failure::PortClosed:
        return QStringLiteral("port closed ") + what;
    default:
        return m_ioError + u' ' + what;
    }
}

bool DeviceLinkMng::exchange(const wire::Frame& request, wire::Frame& reply) {
    if (!isOpen() || portGone())
        return fail(Failure::PortClosed, QStringLiteral("port closed"));
    // A word read or written twice is the same as once; a command may not be.
    const int tries = request.kind == wire::Kind::Command ? 1 : kTries;
    Failure why = Failure::None;
    Failure first = Failure::None;
    QString firstText;
    int tried = 0;
    for (;;) {
        ++tried;
        why = attempt(request, reply);
        if (tried == 1) {
            first = why;
            firstText = failureText(why, request, reply);
        }
        if (why == Failure::None) {
            m_failure = Failure::None;
            m_error.clear();
            return true;
        }
        const bool lost = why == Failure::TimeOut || why == Failure::BadCrc ||
                          why == Failure::Malformed || why == Failure::OtherReply;
        if (!lost || tried >= tries)
            break;
        ++m_retries;
        qCDebug(lcLink) << "link: sent again after try" << tried
                        << "failed:" << failureText(why, request, reply);
    }
    // A late reply must not wait in the buffer for the next call.
    if (isOpen())
        flushInput();
    // After a time-out the later tries often meet only the late reply, which no
    // longer matches: the unit was too slow, and that is what the user is told.
    QString text = first == Failure::TimeOut ? firstText : failureText(why, request, reply);
    if (tried > 1)
        text += QStringLiteral(" (%1 tries)").arg(tried);
    return fail(why, text);
}

bool DeviceLinkMng::addressInRange(int address, int sub) {
    if (address >= 0 && address <= 0xFFFF && sub >= 0 && sub <= 0xFF)
        return true;
    return fail(Failure::Usage,
                QStringLiteral("address %1 sub-code %2 out of range").arg(address).arg(sub));
}

std::optional<std::int32_t> DeviceLinkMng::readWord(int address, int sub) {
    if (!addressInRange(address, sub))
        return std::nullopt;
    wire::Frame request;
    request.kind = wire::Kind::Read;
    request.address = static_cast<std::uint16_t>(address);
    request.sub = static_cast<std::uint8_t>(sub);
    wire::Frame reply;
    if (!exchange(request, reply))
        return std::nullopt;
    return reply.value;
}

bool DeviceLinkMng::writeWord(int address, int sub, int value) {
    if (!addressInRange(address, sub))
        return false;
    if (value < -32768 || value > 65535)
        return fail(Failure::Usage, QStringLiteral("value %1 is not a 16-bit word").arg(value));
    wire::Frame request;
    request.kind = wire::Kind::Write;
    request.address = static_cast<std::uint16_t>(address);
    request.sub = static_cast<std::uint8_t>(sub);
    request.value = static_cast<std::uint16_t>(value & 0xFFFF);
    wire::Frame reply;
    return exchange(request, reply);
}

// Consecutive words (unit address + 2, same sub-code) of the list go into one
// range; a frame takes ranges while it and its reply keep the limits. A read of
// mostly single words goes as a list, which spends 3 bytes a word instead of 4.
QList<DeviceLinkMng::Block> DeviceLinkMng::plan(const QList<std::int32_t>& addresses,
                                                const QList<std::uint16_t>* values) {
    QList<Block> blocks;
    const wire::Kind kind = values ? wire::Kind::WriteRanges : wire::Kind::ReadRanges;
    const auto finish = [&] {
        Block& b = blocks.last();
        if (kind != wire::Kind::ReadRanges ||
            3 * static_cast<qsizetype>(b.words) >= 4 * b.request.ranges.size())
            return;
        wire::Frame list;
        list.kind = wire::Kind::ReadList;
        for (const wire::WordRange& r : b.request.ranges)
            for (int k = 0; k < r.count; ++k)
                list.ranges.append({.address = static_cast<std::uint16_t>(r.address + 2 * k),
                                    .sub = r.sub,
                                    .count = 1});
        if (wire::withinLimits(list))
            b.request = list;
    };
    for (int i = 0; i < addresses.size(); ++i) {
        const auto unit = static_cast<std::uint16_t>((addresses[i] >> 8) & 0xFFFF);
        const auto sub = static_cast<std::uint8_t>(addresses[i] & 0xFF);
        if (!blocks.isEmpty()) {
            Block& b = blocks.last();
            wire::Frame grown = b.request;
            wire::WordRange& last = grown.ranges.last();
            if (last.sub == sub &&
                static_cast<std::uint16_t>(last.address + 2 * last.count) == unit &&
                last.count < 255)
                ++last.count;
            else
                grown.ranges.append({.address = unit, .sub = sub, .count = 1});
            if (values)
                grown.words.append(values->at(i));
            if (wire::withinLimits(grown)) {
                b.request = grown;
                ++b.words;
                continue;
            }
            finish();
        }
        Block b;
        b.first = i;
        b.words = 1;
        b.request.kind = kind;
        b.request.ranges.append({.address = unit, .sub = sub, .count = 1});
        if (values)
            b.request.words.append(values->at(i));
        blocks.append(b);
    }
    if (!blocks.isEmpty())
        finish();
    return blocks;
}

bool DeviceLinkMng::blockExchange(const Block& block, wire::Frame& reply) {
    if (exchange(block.request, reply))
        return true;
    if (m_failure == Failure::ErrorReply &&
        reply.error == static_cast<std::uint8_t>(wire::ErrorCode::BadRequest)) {
        m_blocks = false;
        qCDebug(lcLink)
            << "link: the unit takes no block frames; one word per exchange until the next Open";
    } else if (m_failure != Failure::ErrorReply) {
        qCDebug(lcLink) << "link: block given up, its words one by one:" << m_error;
    }
    return false;
}

bool DeviceLinkMng::readWords(const QList<std::int32_t>& addresses, QList<std::uint16_t>& values) {
    values.clear();
    for (const std::int32_t a : addresses)
        if (!addressInRange(a >> 8, a & 0xFF))
            return false;
    if (!isOpen() || portGone())
        return fail(Failure::PortClosed, QStringLiteral("port closed"));
    // A read does not depend on the order: the words go out sorted and each once,
    // so that neighbours in the unit's memory share a range.
    QList<std::int32_t> sorted = addresses;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    QHash<std::int32_t, std::uint16_t> got;
    for (const Block& block : plan(sorted, nullptr)) {
        wire::Frame reply;
        if (!m_blocks)
            break;
        if (blockExchange(block, reply)) {
            // The whole frame has checked; only now are its words taken.
            for (int k = 0; k < block.words; ++k)
                got.insert(sorted[block.first + k], reply.words[k]);
        } else if (m_failure != Failure::BadCrc && m_failure != Failure::Malformed &&
                   m_failure != Failure::OtherReply && m_failure != Failure::ErrorReply) {
            break; // a silent unit or a lost port: the words one by one tell which
        }
    }
    // What no block brought, one word per exchange, in the order asked.
    for (const std::int32_t a : addresses) {
        if (const auto it = got.constFind(a); it != got.cend()) {
            values.append(*it);
            continue;
        }
        const auto word = readWord(a >> 8, a & 0xFF);
        if (!word)
            return false;
        got.insert(a, static_cast<std::uint16_t>(*word));
        values.append(static_cast<std::uint16_t>(*word));
    }
    m_failure = Failure::None;
    m_error.clear();
    return true;
}

bool DeviceLinkMng::writeWords(const QList<std::int32_t>& addresses,
                               const QList<std::uint16_t>& values, int& written) {
    written = 0;
    if (values.size() != addresses.size())
        return fail(Failure::Usage, QStringLiteral("one value per address"));
    for (const std::int32_t a : addresses)
        if (!addressInRange(a >> 8, a & 0xFF))
            return false;
    if (!isOpen() || portGone())
        return fail(Failure::PortClosed, QStringLiteral("port closed"));
    for (const Block& block : plan(addresses, &values)) {
        wire::Frame reply;
        if (m_blocks && blockExchange(block, reply)) {
            written += block.words;
            continue;
        }
        if (m_failure == Failure::ErrorReply && m_blocks && reply.index < block.words) {
            // The unit stored the words before the one it names, and not that one.
            written += reply.index;
            const std::int32_t a = addresses[block.first + reply.index];
            wire::Frame word;
            word.kind = wire::Kind::Write;
            word.address = static_cast<std::uint16_t>(a >> 8);
            word.sub = static_cast<std::uint8_t>(a & 0xFF);
            return fail(Failure::ErrorReply, failureText(Failure::ErrorReply, word, reply));
        }
        for (int i = block.first; i < block.first + block.words; ++i) {
            if (!writeWord(addresses[i] >> 8, addresses[i] & 0xFF, values[i]))
                return false;
            ++written;
        }
    }
    return true;
}

bool DeviceLinkMng::sendCommand(int code, const QString& text) {
    if (!addressInRange(code, kCommandSub))
        return false;
    const QByteArray bytes = text.toLatin1();
    if (bytes.size() > wire::kMaxText)
        return fail(Failure::Usage,
                    QStringLiteral("command text longer than %1 bytes").arg(wire::kMaxText));
    wire::Frame request;
    request.kind = wire::Kind::Command;
    request.address = static_cast<std::uint16_t>(code);
    request.sub = static_cast<std::uint8_t>(kCommandSub);
    request.text = bytes;
    wire::Frame reply;
    return exchange(request, reply);
}

} // namespace hvc
