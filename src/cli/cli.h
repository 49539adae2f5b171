#pragma once
// hvcctl: the command-line tool on the same core as the desktop program.
// Every command is a function of its arguments (without the command word) and
// returns the process exit code: 0 success, 1 the unit or a comparison failed,
// 2 usage, file or evaluation errors.

#include "core/explain.h"
#include "core/prompter.h"
#include "core/status.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <cstdint>

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

// The program's message boxes as lines on the command's error stream; a detail
// goes on a second, indented line. Questions are answered No.
class IoPrompter : public Prompter {
public:
    explicit IoPrompter(Io& io) : m_io(io) {}
    void inform(const QString& text, const QString& title, PromptIcon icon) override;
    void informDetailed(const QString& text, const QString& detail, const QString& title,
                        PromptIcon icon) override;
    bool ask(const QString& text, const QString& title, PromptIcon icon) override;

private:
    Io& m_io;
};

// Every command hvcctl knows, in the order --help lists them.
QList<Command> commands();
int runCli(const QStringList& arguments, Io& io);

// The shipped variable map beside the program (res/ini/Ramlist.ini).
QString defaultRamlistPath();
QString resourceDir();

// Parses a command's options (adds --help); prints errors or help itself.
// Returns -1 to go on, or the exit code the command must return.
int parseCommand(QCommandLineParser& parser, const QString& command, const QStringList& args,
                 Io& io, int minPositional, int maxPositional);

// Command groups, each in its own file.
QList<Command> evalCommands();
QList<Command> unitCommands();
QList<Command> fileCommands();
QList<Command> monitorCommands();
QList<Command> diagCommands();
QList<Command> logCommands();
QList<Command> restoreCommands();

} // namespace hvc::cli

namespace hvc {
class AppState;
class Catalogue;
struct LogEntry;
class LogbookRecorder;
struct ReviewedWrite;
} // namespace hvc

namespace hvc::cli {
// Options every unit command takes: --port PATH, --timeout MS, --ramlist PATH.
void addUnitOptions(QCommandLineParser& parser);
// Loads the map, opens the link on --port and checks the unit's identity, as the
// desktop program's Connect does (refusing a unit that waits for a power cycle
// unless --force). Defined with the unit commands (cli_unit.cpp). Returns -1 when
// connected, else the exit code. The link lives as long as `session`.
struct CommandSession;
int connectUnit(CommandSession& session, const QCommandLineParser& parser, Io& io);

// Reads the image of `mask` with the range check, as the desktop program's Read
// All does, but a word the check replaced by its default takes the unit's word
// back and is named on stderr ("hvcctl COMMAND: I Max 1A: the unit holds 1600,
// outside 0..1500"). Only the section count keeps its default, as it decided which
// sections were read: `substitute` is then its position, else 0. Defined with the
// unit commands.
Status readUnitImage(CommandSession& session, std::uint16_t mask, const QString& command, Io& io,
                     int& substitute);

// read-all's "-o FILE" part: saves the catalogue as a configuration file with the
// information fields of --author --date --revision --company --comments. Defined
// with the file commands (cli_file.cpp). Returns the exit code.
void addSaveOptions(QCommandLineParser& parser);
// The end of a reviewed write (write-all, restore): on a failure the failure and how
// far the write got on stderr, exit Failed; else the mismatch table on stdout, the
// rows not written on stderr, and -1 for the command to go on with its summary.
// Defined with restore (cli_restore.cpp).
int reportReviewedWrite(AppState& state, const ReviewedWrite& done, const Status& status,
                        int toWrite, const QString& command, Io& io);
int saveAfterReadAll(AppState& state, const QCommandLineParser& parser, Io& io);

// --explain of show and read-all: after the usual output, an empty line,
// "Configuration in words:" and the lines of explainConfiguration, with the joystick
// list beside the program. Defined in cli_explain.cpp.
void addExplainOption(QCommandLineParser& parser);
bool explainRequested(const QCommandLineParser& parser);
void printExplanation(const Catalogue& catalogue, const ExplainHasValue& hasValue,
                      Prompter& prompter, Io& io);
} // namespace hvc::cli

namespace hvc::cli {
// The logbook hvcctl records every transfer in, chosen by the options
// --logbook LOCATION (a file, sqlite:PATH or postgresql://...) and --no-logbook,
// which every command takes anywhere on its line. Defined in cli_log.cpp.
struct LogbookChoice {
    bool enabled = true;
    QString location;
};
LogbookChoice& logbookChoice();
// Takes the logbook options out of `args`; false (said on stderr) on a bad one.
bool takeLogbookOptions(QStringList& args, Io& io);
// Points `recorder` at the chosen logbook. A logbook that cannot be written is
// said once on stderr and the entry kept pending; the command's outcome never
// depends on it.
void recordInLogbook(LogbookRecorder& recorder, Io& io);
// True for the commands that draw (log report's PDF): main then makes a
// QGuiApplication, on the offscreen platform unless QT_QPA_PLATFORM names one;
// every other command runs on a QCoreApplication. `args` as runCli takes them.
bool needsGuiApplication(const QStringList& args);
} // namespace hvc::cli

namespace hvc::cli {
// write-all with several --port options, a production line (cli_line.cpp): every
// unit written by an hvcctl process of its own, all at once; one line per unit
// (port, serial number, outcome) in the order given. Returns the exit code.
int writeAllOnLine(const QCommandLineParser& parser, Io& io);
// What a write-all started by a production line tells it: the unit's serial
// number once its image is read, the first failure's reason, the words written
// and how many differ, or a dry run's counts. finishLineChild(code) hands them
// over (when this process is such a child) and returns `code`.
void noteLineUnit(const QString& serial);
void noteLineFailure(const QString& reason);
void noteLineWritten(int written, int differ);
void noteLineDryRun(int toWrite, int differing);
int finishLineChild(int code);
} // namespace hvc::cli
