#pragma once
// Runs hvcctl in-process and captures what it printed.
#include "cli/cli.h"

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

} // namespace hvc::testutil
