// hvcctl monitor: the monitor page's polling from the command line, one line per
// pass on stdout and, with --csv, the same recording the desktop program writes.

#include "cli/cli.h"
#include "cli/commandsession.h"
#include "core/monitormodel.h"
#include "core/monitorrecorder.h"
#include "core/monitorwords.h"
#include "core/unitcommands.h"

#include <QCommandLineParser>
#include <QEventLoop>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace hvc::cli {

namespace {

const QString kCount = QStringLiteral("count");
const QString kInterval = QStringLiteral("interval");
const QString kCsv = QStringLiteral("csv");

void say(Io& io, const QString& text) {
    io.err << text << '\n';
    io.err.flush();
}

// Ctrl-C and SIGTERM, turned into a readable pipe the event loop watches, so the
// recording ends after the pass in progress instead of in the middle of a line.
// The handler restarts interrupted system calls, so a read in progress finishes.
class StopSignals {
public:
    StopSignals() {
        if (::pipe2(sPipe, O_CLOEXEC | O_NONBLOCK) != 0)
            sPipe[0] = sPipe[1] = -1;
        struct sigaction action {};
        action.sa_handler = &StopSignals::onSignal;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &m_oldInt);
        ::sigaction(SIGTERM, &action, &m_oldTerm);
    }
    ~StopSignals() {
        ::sigaction(SIGINT, &m_oldInt, nullptr);
        ::sigaction(SIGTERM, &m_oldTerm, nullptr);
        for (int& fd : sPipe) {
            if (fd >= 0)
                ::close(fd);
            fd = -1;
        }
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    int fd() const { return sPipe[0]; }

private:
    static void onSignal(int) {
        const int saved = errno;
        const char byte = 1;
        if (sPipe[1] >= 0)
            (void)!::write(sPipe[1], &byte, 1);
        errno = saved;
    }
    static inline int sPipe[2] = {-1, -1};
    struct sigaction m_oldInt {};
    struct sigaction m_oldTerm {};
};

bool wholeNumber(const QCommandLineParser& parser, const QString& name, int low, int& out) {
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    out = parser.value(name).toInt(&ok);
    return ok && out >= low;
}

// "12:03:04.518 READY outputs 1A 2B inputs 3 9 joystick % 50 0 12 0 current mA 620 0 0 0
// battery V 24.1", the values in their display's format.
QString passLine(const MonitorModel& model, const MonitorSample& sample) {
    auto listOr = [](const QStringList& items) {
        return items.isEmpty() ? QStringLiteral("-") : items.join(u' ');
    };
    QStringList joysticks, currents, battery;
    for (const MonitorReading& r : sample.readings) {
        const MonitorDisplay& d = model.display(r.display);
        const QString text = formatDisplayValue(r.value, d.numberFormat);
        if (d.kind == MonitorDisplayKind::Joystick)
            joysticks << text;
        else if (d.kind == MonitorDisplayKind::Current)
            currents << text;
        else if (d.kind == MonitorDisplayKind::Battery)
            battery << text;
    }
    QStringList inputs;
    for (const int n : inputsActive(sample.inputs))
        inputs << QString::number(n);
    return QStringLiteral("%1 %2 outputs %3 inputs %4 joystick % %5 current mA %6 battery V %7")
        .arg(sample.time.toString(QStringLiteral("HH:mm:ss.zzz")), readyText(sample.errorCode),
             listOr(outputsOn(sample.outputs)), listOr(inputs), listOr(joysticks), listOr(currents),
             listOr(battery));
}

int cmdMonitor(const QStringList& args, Io& io) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Polls the unit as the Monitor page does: the error, output and input words, then the "
        "joysticks, the battery and the section currents of the configured sections. Prints one "
        "line per pass; with --csv also records every pass. Ctrl-C ends it with the file "
        "complete; a unit that stops answering ends it with exit code 1; a CSV file that "
        "cannot be written (a full disk) ends it with exit code 2, keeping every whole row. "
        "An existing FILE is replaced only once the first pass is complete."));
    addUnitOptions(parser);
    parser.addOptions({
        {kCount, QStringLiteral("stop after N passes (default: until Ctrl-C)"),
         QStringLiteral("N")},
        {kInterval, QStringLiteral("milliseconds from one pass to the next (default 100)"),
         QStringLiteral("MS")},
        {kCsv, QStringLiteral("record every pass to FILE (CSV)"), QStringLiteral("FILE")},
    });
    if (const int rc = parseCommand(parser, QStringLiteral("monitor"), args, io, 0, 0); rc >= 0)
        return rc;
    int count = 0, interval = MonitorModel::kTickMs;
    if (!wholeNumber(parser, kCount, 1, count) || !wholeNumber(parser, kInterval, 0, interval)) {
        say(io, QStringLiteral("hvcctl monitor: --count takes a number >= 1, --interval a number "
                               "of milliseconds >= 0"));
        return Usage;
    }

    CommandSession s;
    if (const int rc = connectUnit(s, parser, io); rc >= 0)
        return rc;
    AppState& state = s.state;
    // The number of sections decides which displays are polled and how they scale.
    if (UnitVariable* sections = state.document.catalogue.find(HvcId::HVC_NUM_PROP_REG)) {
        std::int32_t value = 0;
        if (const Status status = state.session.link->readE2(sections->address, value); !status) {
            say(io, QString::fromLatin1(kOperationFailed) + status.text());
            say(io, QStringLiteral("  ") + status.detail());
            return Failed;
        }
        sections->takeUnitWord(value);
    }

    MonitorModel model(state);
    MonitorRecorder recorder;
    model.activate();
    if (parser.isSet(kCsv)) {
        if (const Status status =
                recorder.open(parser.value(kCsv), state.document.catalogue, model.polledVarIds());
            !status) {
            say(io, QStringLiteral("hvcctl monitor: ") + status.detail());
            return Usage;
        }
    }
    model.tmrMonitor().setInterval(interval);

    QEventLoop loop;
    Status outcome;
    Status recording;
    int passes = 0;
    auto stopSoon = [&model] {
        model.deactivate();
        QMetaObject::invokeMethod(
            &model, [&model] { model.tick(); }, Qt::QueuedConnection);
    };
    QObject::connect(&model, &MonitorModel::passCompleted, &model,
                     [&](const MonitorSample& sample) {
                         io.out << passLine(model, sample) << '\n';
                         io.out.flush();
                         if (recorder.isOpen() && recording.ok())
                             recording = recorder.write(sample);
                         if (!recording || (count > 0 && ++passes >= count))
                             stopSoon();
                     });
    QObject::connect(&model, &MonitorModel::pollingStopped, &loop, [&](const Status& why) {
        outcome = why;
        loop.quit();
    });
    StopSignals signals;
    QSocketNotifier interrupted(signals.fd(), QSocketNotifier::Read);
    QObject::connect(&interrupted, &QSocketNotifier::activated, &model, stopSoon);
    model.tick(); // the first pass at once, the next ones on the timer
    if (model.isPolling())
        loop.exec();

    const Status closed = recorder.close();
    if (!recording || !closed) {
        const Status& bad = !recording ? recording : closed;
        say(io, QStringLiteral("hvcctl monitor: ") + bad.detail());
        return Usage;
    }
    if (!outcome) {
        say(io, QString::fromLatin1(kOperationFailed) + outcome.text());
        if (!outcome.detail().isEmpty())
            say(io, QStringLiteral("  ") + outcome.detail());
        return Failed;
    }
    return Ok;
}

} // namespace

QList<Command> monitorCommands() {
    return {{"monitor", "poll the unit's live values as the Monitor page does", cmdMonitor}};
}

} // namespace hvc::cli
