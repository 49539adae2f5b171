// hvc-sim: a simulated control unit on a pseudo-terminal. The first line on stdout
// is the device path a configurator opens as its serial port.

#include "core/installlayout.h"
#include "sim/simserver.h"
#include "sim/simunit.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <random>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

QString defaultRamlist() {
    QString res = qEnvironmentVariable("HVC_RES_DIR");
    if (res.isEmpty())
        res = hvc::resourceDirFor(QCoreApplication::applicationDirPath());
    return QDir(res).filePath(QStringLiteral("ini/Ramlist.ini"));
}

int usage(const QString& text) {
    std::fprintf(stderr, "hvc-sim: %s\n", qPrintable(text));
    return 2;
}

bool probability(const QCommandLineParser& p, const QString& name, double& out) {
    if (!p.isSet(name))
        return true;
    bool ok = false;
    out = p.value(name).toDouble(&ok);
    return ok && out >= 0 && out <= 1;
}

bool integer(const QCommandLineParser& p, const QString& name, long& out) {
    if (!p.isSet(name))
        return true;
    bool ok = false;
    out = p.value(name).toLong(&ok);
    return ok && out >= 0;
}

// The symlink of --link, removed on exit only while it still points to our device.
class LinkGuard {
public:
    ~LinkGuard() {
        if (!m_link.isEmpty() && QFileInfo(m_link).symLinkTarget() == m_target)
            ::unlink(QFile::encodeName(m_link).constData());
    }
    hvc::Status make(const QString& link, const QString& target) {
        const QFileInfo info(link);
        if (info.isSymLink())
            ::unlink(QFile::encodeName(link).constData());
        else if (info.exists()) {
            return hvc::Status::failure(link +
                                        QStringLiteral(" exists and is not a symbolic link"));
        }
        if (::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) !=
            0) {
            return hvc::Status::failure(link + QStringLiteral(": ") +
                                        QString::fromLocal8Bit(strerror(errno)));
        }
        m_link = link;
        m_target = target;
        return {};
    }

private:
    QString m_link, m_target;
};

// --ignore-write and --alter-write.
hvc::Status twistWrites(const QCommandLineParser& p, hvc::SimUnit& unit) {
    const hvc::Catalogue& map = unit.catalogue();
    const auto address = [&map](const QString& option, const QString& name, int& out) {
        const int position = map.findByName(name.trimmed());
        if (position == 0)
            return hvc::Status::failure(
                QStringLiteral("--%1: '%2' is no word of the map").arg(option, name));
        out = map[position].address;
        return hvc::Status();
    };
    for (const QString& name : p.values(QStringLiteral("ignore-write"))) {
        int at = 0;
        if (hvc::Status found = address(QStringLiteral("ignore-write"), name, at); !found)
            return found;
        unit.ignoreWrites(at);
    }
    for (const QString& item : p.values(QStringLiteral("alter-write"))) {
        const qsizetype eq = item.lastIndexOf(u'=');
        bool ok = eq > 0;
        const int delta = ok ? item.mid(eq + 1).toInt(&ok) : 0;
        int at = 0;
        if (!ok)
            return hvc::Status::failure(
                QStringLiteral("--alter-write takes NAME=DELTA, not '%1'").arg(item));
        if (hvc::Status found = address(QStringLiteral("alter-write"), item.left(eq), at); !found)
            return found;
        unit.alterWrites(at, delta);
    }
    return {};
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("hvc-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HVC_VERSION));
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Simulated valve-bank control unit on a pseudo-terminal. Prints the device path\n"
        "on the first line of stdout. SIGHUP power-cycles the unit; SIGINT/SIGTERM end it."));
    p.addHelpOption();
    p.addVersionOption();
    p.addOptions({
        {QStringLiteral("ramlist"),
         QStringLiteral("variable map to serve (default: the shipped one)"),
         QStringLiteral("PATH")},
        {QStringLiteral("eeprom"), QStringLiteral("keep the EEPROM words in FILE across runs"),
         QStringLiteral("FILE")},
        {QStringLiteral("link"),
         QStringLiteral("make a symbolic link PATH to the device (removed on exit)"),
         QStringLiteral("PATH")},
        {QStringLiteral("drop"), QStringLiteral("ignore a request with probability P"),
         QStringLiteral("P")},
        {QStringLiteral("corrupt"), QStringLiteral("flip one bit of a reply with probability P"),
         QStringLiteral("P")},
        {QStringLiteral("delay"), QStringLiteral("wait MS milliseconds before every reply"),
         QStringLiteral("MS")},
        {QStringLiteral("mute-after"), QStringLiteral("stop answering after N requests"),
         QStringLiteral("N")},
        {QStringLiteral("baud-pacing"),
         QStringLiteral("take as long as 9600-baud 8N1 would for every byte")},
        {QStringLiteral("scenario"),
         QStringLiteral("'normal' (default) or 'faults': diagnostic errors come and go"),
         QStringLiteral("NAME")},
        {QStringLiteral("seed"), QStringLiteral("seed of the faults and the noise"),
         QStringLiteral("N")},
        {QStringLiteral("error"),
         QStringLiteral("hold error word NAME (identifier or address) at WORD (repeatable)"),
         QStringLiteral("NAME=WORD")},
        {QStringLiteral("ignore-write"),
         QStringLiteral("acknowledge writes to word NAME (name, identifier or address) but keep "
                        "the old value (repeatable)"),
         QStringLiteral("NAME")},
        {QStringLiteral("alter-write"),
         QStringLiteral("store DELTA plus the value written to word NAME (repeatable)"),
         QStringLiteral("NAME=DELTA")},
        {QStringLiteral("single-word-only"),
         QStringLiteral("answer block requests with an error, like an older unit")},
        {QStringLiteral("verbose"), QStringLiteral("log each request and state change on stderr")},
        {QStringLiteral("serial"),
         QStringLiteral("answer serial number N (default: the map's default), e.g. to tell "
                        "several simulated units apart"),
         QStringLiteral("N")},
    });
    p.process(app);

    hvc::SimFaults faults;
    long delay = 0, muteAfter = -1, seed = std::random_device{}() & 0x7FFFFFFF;
    if (!probability(p, QStringLiteral("drop"), faults.drop) ||
        !probability(p, QStringLiteral("corrupt"), faults.corrupt))
        return usage(QStringLiteral("--drop and --corrupt take a probability between 0 and 1"));
    if (!integer(p, QStringLiteral("delay"), delay) ||
        !integer(p, QStringLiteral("mute-after"), muteAfter) ||
        !integer(p, QStringLiteral("seed"), seed))
        return usage(QStringLiteral("--delay, --mute-after and --seed take a whole number >= 0"));
    faults.delayMs = static_cast<int>(std::min(delay, 600000L));
    faults.muteAfter = muteAfter;
    const QString scenario = p.value(QStringLiteral("scenario"));
    if (!scenario.isEmpty() && scenario != QLatin1String("normal") &&
        scenario != QLatin1String("faults"))
        return usage(QStringLiteral("unknown scenario '%1'").arg(scenario));

    QElapsedTimer clock;
    clock.start();
    auto log = [&clock](const QString& text) {
        std::fprintf(stderr, "hvc-sim [%9.3f] %s\n", clock.nsecsElapsed() / 1e9, qPrintable(text));
    };
    const bool verbose = p.isSet(QStringLiteral("verbose"));

    hvc::SimUnit unit;
    unit.setSeed(static_cast<std::uint32_t>(seed));
    unit.setFaultScenario(scenario == QLatin1String("faults"));
    unit.setSingleWordOnly(p.isSet(QStringLiteral("single-word-only")));
    const QString ramlist =
        p.isSet(QStringLiteral("ramlist")) ? p.value(QStringLiteral("ramlist")) : defaultRamlist();
    if (const hvc::Status loaded = unit.load(ramlist); !loaded)
        return usage(loaded.text());
    for (const QString& hold : p.values(QStringLiteral("error"))) {
        hvc::HvcId id{};
        std::uint16_t word = 0;
        if (const hvc::Status parsed = hvc::parseErrorHold(unit.catalogue(), hold, id, word);
            !parsed)
            return usage(parsed.text());
        unit.errors().hold(id, word);
    }
    if (const hvc::Status twisted = twistWrites(p, unit); !twisted)
        return usage(twisted.text());
    if (verbose)
        unit.log = log;
    if (p.isSet(QStringLiteral("eeprom"))) {
        if (const hvc::Status attached = unit.attachEeprom(p.value(QStringLiteral("eeprom")));
            !attached)
            return usage(attached.text());
    }
    if (p.isSet(QStringLiteral("serial"))) {
        long serial = 0;
        if (!integer(p, QStringLiteral("serial"), serial) || serial > 32767 ||
            !unit.setEeprom(hvc::HvcId::HVC_SERIAL_NUMBER, static_cast<std::uint16_t>(serial)))
            return usage(QStringLiteral("--serial takes a whole number from 0 to 32767"));
    }

    // From here signals arrive through a descriptor the request loop polls. Until
    // now, with only files read, Ctrl-C and SIGTERM end the program at once.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);

    hvc::SimServer server(unit, faults, p.isSet(QStringLiteral("baud-pacing")),
                          static_cast<std::uint32_t>(seed));
    if (verbose)
        server.log = log;
    if (const hvc::Status opened = server.open(); !opened)
        return usage(opened.text());
    LinkGuard link;
    if (p.isSet(QStringLiteral("link"))) {
        if (const hvc::Status made =
                link.make(p.value(QStringLiteral("link")), server.devicePath());
            !made)
            return usage(made.text());
    }

    std::printf("%s\n", qPrintable(server.devicePath()));
    std::fflush(stdout);
    if (verbose)
        log(QStringLiteral("serving %1 words of %2 on %3")
                .arg(unit.catalogue().varCount())
                .arg(ramlist, server.devicePath()));
    server.run(signalFd);
    if (verbose)
        log(QStringLiteral("stopped"));
    return 0;
}
