#include "cli/cli.h"

namespace hvc::cli {

QList<Command> fileCommands() { return {}; }

void addSaveOptions(QCommandLineParser& parser) {
    parser.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                      QStringLiteral("save the parameter set to FILE"), QStringLiteral("FILE")});
}

int saveAfterReadAll(AppState&, const QCommandLineParser&, Io& io) {
    io.err << "hvcctl: saving configuration files is not built yet\n";
    return Usage;
}

} // namespace hvc::cli
