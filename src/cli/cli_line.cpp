// hvcctl write-all on several ports: a production line. Every unit is written by
// an hvcctl process of its own (this very program, one --port each), all started
// together; each tells its outcome in a small JSON file named by the environment
// variable HVC_LINE_RESULT, and its output reaches our stderr line by line,
// prefixed with its port.

#include "cli/cli.h"
#include "core/unitidentity.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace hvc::cli {

namespace {

const char* const kResultVariable = "HVC_LINE_RESULT";

// What this process, started by a production line, has to tell it.
struct LineResult {
    QString serial;
    QString reason;
    int written = -1;
    int differ = -1;
    int dryRunDiffer = -1;
};

LineResult& lineResult() {
    static LineResult result;
    return result;
}

QString resultLine(const QJsonObject& r, int code) {
    if (r.contains(QStringLiteral("dryRun")))
        return QStringLiteral("dry run, %1 of %2 differing variables would be written")
            .arg(r.value(QStringLiteral("dryRun")).toInt())
            .arg(r.value(QStringLiteral("differing")).toInt());
    const int written = r.value(QStringLiteral("written")).toInt(-1);
    const int differ = r.value(QStringLiteral("differ")).toInt(-1);
    if (written >= 0 && differ == 0 && code == Ok)
        return QStringLiteral("written %1, verified").arg(written);
    if (written >= 0 && differ > 0)
        return QStringLiteral("written %1, NOT verified: %2 differ").arg(written).arg(differ);
    return QStringLiteral("failed: ") + r.value(QStringLiteral("reason")).toString();
}

// One unit of the line: its process, the part of a line it has printed so far,
// and where it tells its outcome.
struct Station {
    QString port;
    std::unique_ptr<QProcess> process;
    QByteArray partial;
    QString lastLine;
    QString resultPath;
    bool done = false;
};

void forward(Station& s, Io& io, bool all) {
    s.partial += s.process->readAll();
    qsizetype end = 0;
    while ((end = s.partial.indexOf('\n')) >= 0 || (all && !s.partial.isEmpty())) {
        const QString line =
            QString::fromLocal8Bit(s.partial.left(end < 0 ? s.partial.size() : end));
        s.partial.remove(0, end < 0 ? s.partial.size() : end + 1);
        io.err << s.port << ": " << line << '\n';
        if (!line.trimmed().isEmpty())
            s.lastLine = line.trimmed();
    }
    io.err.flush();
}

// The same command for one port: the logbook choice, then every option as given
// but --port, then the file after "--" (it may start with a dash).
QStringList childArguments(const QCommandLineParser& parser, const QString& port) {
    const LogbookChoice& book = logbookChoice();
    QStringList args{book.enabled ? QStringLiteral("--logbook=") + book.location
                                  : QStringLiteral("--no-logbook"),
                     QStringLiteral("write-all")};
    QStringList seen;
    for (const QString& name : parser.optionNames()) {
        if (name == QLatin1String("port") || seen.contains(name))
            continue;
        seen.append(name);
        const QString dashes = name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--");
        const QStringList values = parser.values(name);
        if (values.isEmpty())
            args.append(dashes + name);
        for (const QString& v : values)
            args.append(dashes + name + u'=' + v);
    }
    return args << QStringLiteral("--port=") + port << QStringLiteral("--")
                << parser.positionalArguments();
}

bool lineChild() {
    return qEnvironmentVariableIsSet(kResultVariable);
}

} // namespace

void noteLineUnit(const QString& serial) {
    if (lineChild())
        lineResult().serial = serial;
}

void noteLineFailure(const QString& reason) {
    if (lineChild() && lineResult().reason.isEmpty())
        lineResult().reason = reason.simplified();
}

void noteLineWritten(int written, int differ) {
    lineResult().written = written;
    lineResult().differ = differ;
}

void noteLineDryRun(int toWrite, int differing) {
    lineResult().dryRunDiffer = differing;
    lineResult().written = toWrite;
}

int finishLineChild(int code) {
    const QString path = qEnvironmentVariable(kResultVariable);
    const LineResult r = std::exchange(lineResult(), {});
    if (path.isEmpty())
        return code;
    QJsonObject o{{QStringLiteral("serial"), r.serial}, {QStringLiteral("reason"), r.reason}};
    if (r.dryRunDiffer >= 0) {
        o.insert(QStringLiteral("dryRun"), r.written);
        o.insert(QStringLiteral("differing"), r.dryRunDiffer);
    } else if (r.written >= 0) {
        o.insert(QStringLiteral("written"), r.written);
        o.insert(QStringLiteral("differ"), r.differ);
    }
    // A result that cannot be written leaves the line to say why from our output.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(QJsonDocument(o).toJson(QJsonDocument::Compact));
    (void)file.commit();
    return code;
}

int writeAllOnLine(const QCommandLineParser& parser, Io& io) {
    // The units' processes run this program again: only hvcctl itself can.
    if (QCoreApplication::instance() == nullptr ||
        QCoreApplication::applicationName() != QLatin1String("hvcctl")) {
        io.err << "hvcctl write-all: several --port options need the hvcctl program\n";
        return Usage;
    }
    const QStringList ports = parser.values(QStringLiteral("port"));
    QStringList devices;
    for (const QString& port : ports) {
        const QString canonical = QFileInfo(port).canonicalFilePath();
        const QString device = canonical.isEmpty() ? port : canonical;
        if (port.isEmpty() || devices.contains(device)) {
            io.err << "hvcctl write-all: "
                   << (port.isEmpty()
                           ? QStringLiteral("--port needs a path")
                           : QStringLiteral("--port ") + port + QStringLiteral(" is given twice"))
                   << '\n';
            return Usage;
        }
        devices.append(device);
    }
    QTemporaryDir results;
    if (!results.isValid()) {
        io.err << "hvcctl write-all: no temporary folder for the units' results: "
               << results.errorString() << '\n';
        return Failed;
    }

    std::vector<Station> line(static_cast<std::size_t>(ports.size()));
    QEventLoop loop;
    auto finished = [&line, &loop, &io](Station& s) {
        forward(s, io, true);
        s.done = true;
        if (std::all_of(line.cbegin(), line.cend(), [](const Station& t) { return t.done; }))
            loop.quit();
    };
    for (std::size_t i = 0; i < line.size(); ++i) {
        Station& s = line[i];
        s.port = ports[static_cast<qsizetype>(i)];
        s.resultPath = results.filePath(QString::number(i) + QStringLiteral(".json"));
        s.process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kResultVariable), s.resultPath);
        s.process->setProcessEnvironment(env);
        s.process->setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(s.process.get(), &QProcess::readyRead,
                         [&s, &io] { forward(s, io, false); });
        QObject::connect(s.process.get(), &QProcess::finished, [&s, finished] { finished(s); });
        QObject::connect(s.process.get(), &QProcess::errorOccurred,
                         [&s, finished](QProcess::ProcessError e) {
                             if (e == QProcess::FailedToStart && !s.done)
                                 finished(s);
                         });
    }
    for (Station& s : line)
        s.process->start(QCoreApplication::applicationFilePath(), childArguments(parser, s.port));
    if (!std::all_of(line.cbegin(), line.cend(), [](const Station& t) { return t.done; }))
        loop.exec();

    bool allGood = true;
    for (const Station& s : line) {
        const bool ran = s.process->exitStatus() == QProcess::NormalExit &&
                         s.process->error() != QProcess::FailedToStart;
        const int code = ran ? s.process->exitCode() : -1;
        QFile file(s.resultPath);
        QJsonObject r;
        if (file.open(QIODevice::ReadOnly))
            r = QJsonDocument::fromJson(file.readAll()).object();
        // Without a reason of its own: why it did not run, else its last words.
        const QString why =
            !ran && s.process->error() == QProcess::FailedToStart
                ? QStringLiteral("hvcctl could not run: ") + s.process->errorString()
            : !ran                  ? QStringLiteral("hvcctl crashed")
            : !s.lastLine.isEmpty() ? s.lastLine
                                    : QStringLiteral("exit code %1").arg(code);
        if (r.value(QStringLiteral("reason")).toString().isEmpty())
            r.insert(QStringLiteral("reason"), why);
        const QString serial = r.value(QStringLiteral("serial")).toString();
        io.out << s.port << '\t' << (serial.isEmpty() ? QString::fromLatin1(kUnknownUnit) : serial)
               << '\t' << resultLine(r, code) << '\n';
        allGood = allGood && code == Ok;
    }
    return allGood ? Ok : Failed;
}

} // namespace hvc::cli
