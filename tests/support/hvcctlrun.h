#pragma once
// Runs hvcctl in-process, or as its own process beside the test, and captures what
// it printed.
#include "cli/cli.h"

#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace hvc::testutil {

struct Outcome {
    int code;
    QString out;
    QString err;
};

inline Outcome hvcctl(const QStringList& args) {
    QString out;
    QString err;
    QTextStream o(&out);
    QTextStream e(&err);
    cli::Io io{o, e};
    const int code = cli::runCli(args, io);
    o.flush();
    e.flush();
    return {code, out, err};
}

inline QString hvcctlPath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/hvcctl");
}

// Code -1 when it did not end within 30 s or crashed.
inline Outcome hvcctlProcess(const QStringList& args) {
    QProcess p;
    p.start(hvcctlPath(), args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
        return {-1, {}, {}};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace hvc::testutil
