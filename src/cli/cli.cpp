#include "cli/cli.h"

#include "core/installlayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDevice>

namespace hvc::cli {

QString resourceDir() {
    QString env = qEnvironmentVariable("HVC_RES_DIR");
    if (!env.isEmpty())
        return env;
    return resourceDirFor(QCoreApplication::applicationDirPath());
}

QString defaultRamlistPath() {
    return QDir(resourceDir()).filePath(QStringLiteral("ini/Ramlist.ini"));
}

void IoPrompter::inform(const QString& text, const QString& title, PromptIcon) {
    QString line = title.isEmpty() ? text : title + QStringLiteral(": ") + text;
    m_io.err << line.replace(u'\r', u'\n').trimmed() << '\n';
}

void IoPrompter::informDetailed(const QString& text, const QString& detail, const QString& title,
                                PromptIcon icon) {
    inform(text, title, icon);
    if (!detail.isEmpty())
        m_io.err << "  " << detail << '\n';
}

bool IoPrompter::ask(const QString& text, const QString& title, PromptIcon icon) {
    inform(text + QStringLiteral(" [No]"), title, icon);
    return false;
}

QList<Command> commands() {
    return evalCommands() + unitCommands() + fileCommands() + monitorCommands() + diagCommands() +
           logCommands() + restoreCommands();
}

namespace {
void printHelp(QTextStream& out) {
    out << "Usage: hvcctl COMMAND [ARGS...]\n"
           "Command-line tool for the valve-bank control unit.\n\n"
           "Commands:\n";
    for (const Command& c : commands())
        out << "  " << QString::fromLatin1(c.name).leftJustified(12)
            << QString::fromLatin1(c.summary) << '\n';
    out << "\n  --help       this text (COMMAND --help: the command's options)\n"
           "  --version    the program version\n"
           "  --logbook LOCATION\n"
           "               record reads and writes in this logbook: a file, sqlite:PATH or\n"
           "               postgresql://[user@]host[:port]/dbname (default: logbook.sqlite\n"
           "               in the data folder, ~/.local/share/hvc-configurator)\n"
           "  --no-logbook record nothing\n";
}
} // namespace

namespace {
int dispatch(const QStringList& arguments, Io& io);

// Output that never arrived (a full disk, a closed pipe) must not pass for
// success: the whole of standard output is checked once the command is done.
int checkOutput(Io& io, int code) {
    io.out.flush();
    bool ok = io.out.status() == QTextStream::Ok;
    QString reason;
    if (auto* file = qobject_cast<QFileDevice*>(io.out.device())) {
        if (!file->flush() || file->error() != QFileDevice::NoError) {
            ok = false;
            reason = file->errorString();
        }
    }
    if (ok)
        return code;
    io.err << "hvcctl: the output could not be written"
           << (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason) << '\n';
    io.err.flush();
    return Usage;
}
} // namespace

int runCli(const QStringList& arguments, Io& io) {
    return checkOutput(io, dispatch(arguments, io));
}

namespace {
int dispatch(const QStringList& given, Io& io) {
    QStringList arguments = given;
    if (!takeLogbookOptions(arguments, io))
        return Usage;
    if (arguments.isEmpty() || arguments.first() == QLatin1String("--help") ||
        arguments.first() == QLatin1String("-h") || arguments.first() == QLatin1String("help")) {
        printHelp(arguments.isEmpty() ? io.err : io.out);
        return arguments.isEmpty() ? Usage : Ok;
    }
    if (arguments.first() == QLatin1String("--version")) {
        io.out << "hvcctl " << HVC_VERSION << '\n';
        return Ok;
    }
    for (const Command& c : commands()) {
        if (arguments.first() == QLatin1String(c.name))
            return c.run(arguments.mid(1), io);
    }
    io.err << "hvcctl: unknown command '" << arguments.first() << "' (see hvcctl --help)\n";
    return Usage;
}
} // namespace

} // namespace hvc::cli
