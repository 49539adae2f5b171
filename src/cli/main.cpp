#include "cli/cli.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <memory>

int main(int argc, char* argv[]) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    // Only a command that draws takes a display, and needs none: no window is shown.
    std::unique_ptr<QCoreApplication> app;
    if (hvc::cli::needsGuiApplication(args)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("hvcctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HVC_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    hvc::cli::Io io{out, err};
    const int code = hvc::cli::runCli(QCoreApplication::arguments().mid(1), io);
    out.flush();
    err.flush();
    return code;
}
