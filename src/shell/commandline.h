#pragma once
// The desktop program's command line.

#include "core/status.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace hvc {

struct CommandLine {
    QString resDir;
    QList<QPair<int, QString>> ports; // --port COMn=PATH
    bool demo = false;
    // The simulated unit's EEPROM file for --demo; empty means the user's data folder.
    QString eepromPath;
    // Further arguments for the simulated unit (fault injection in tests).
    QStringList simArguments;

    // A failure with the message as its text on a bad option; --help and --version
    // print and end the program here.
    Status parse(const QStringList& arguments);
};

} // namespace hvc
