#include "cli/cli.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("hvcctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HVC_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    hvc::cli::Io io{out, err};
    const int code = hvc::cli::runCli(app.arguments().mid(1), io);
    out.flush();
    err.flush();
    return code;
}
