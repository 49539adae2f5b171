#pragma once
// hvcctl: the command-line tool on the same core as the desktop program.
// Every command is a function of its arguments (without the command word) and
// returns the process exit code: 0 success, 1 the unit or a comparison failed,
// 2 usage, file or evaluation errors.

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace hvc::cli {

enum Exit : int { Ok = 0, Failed = 1, Usage = 2 };

struct Io {
    QTextStream& out;
    QTextStream& err;
};

struct Command {
    const char* name;
    const char* summary;
    int (*run)(const QStringList& args, Io& io);
};

// Every command hvcctl knows, in the order --help lists them.
QList<Command> commands();
int runCli(const QStringList& arguments, Io& io);

// The shipped variable map beside the program (res/ini/Ramlist.ini).
QString defaultRamlistPath();
QString resourceDir();

// Command groups, each in its own file.
QList<Command> evalCommands();
QList<Command> unitCommands();
QList<Command> fileCommands();

} // namespace hvc::cli
