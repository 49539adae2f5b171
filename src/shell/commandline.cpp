#include "shell/commandline.h"

#include "core/installlayout.h"
#include "link/porttable.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

namespace hvc {

Status CommandLine::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configurator for the electronic control unit of a hydraulic proportional "
                       "valve bank."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Maps COM port n to a serial device (repeatable), e.g. COM1=/dev/ttyUSB0."),
        QStringLiteral("COMn=PATH"));
    const QCommandLineOption res(QStringLiteral("res"),
                                 QStringLiteral("Resource folder (default: res beside the "
                                                "program, else the installed one)."),
                                 QStringLiteral("DIR"));
    const QCommandLineOption demoOption(
        QStringLiteral("demo"),
        QStringLiteral("Starts the simulated unit hvc-sim and maps COM 1 to it."));
    const QCommandLineOption simArg(
        QStringLiteral("sim-arg"),
        QStringLiteral("With --demo: passes one more argument to hvc-sim (repeatable), e.g. "
                       "--sim-arg=--scenario --sim-arg=faults."),
        QStringLiteral("ARG"));
    parser.addOption(port);
    parser.addOption(res);
    parser.addOption(demoOption);
    parser.addOption(simArg);
    if (!parser.parse(arguments))
        return Status::failure(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty())
        return Status::failure(QStringLiteral("Unexpected argument: ") +
                               parser.positionalArguments().first());
    for (const QString& text : parser.values(port)) {
        int n = 0;
        QString path;
        if (!PortTable::parseMapping(text, n, path))
            return Status::failure(
                QStringLiteral("Bad --port value '%1': expected COMn=PATH").arg(text));
        ports.append({n, path});
    }
    resDir = parser.isSet(res) ? QDir(parser.value(res)).absolutePath()
                               : resourceDirFor(QCoreApplication::applicationDirPath());
    demo = parser.isSet(demoOption);
    simArguments += parser.values(simArg);
    if (!simArguments.isEmpty() && !demo)
        return Status::failure(QStringLiteral("--sim-arg needs --demo"));
    return {};
}

} // namespace hvc
