// hvcctl's --explain: a configuration in words after a command's usual output.

#include "cli/cli.h"
#include "core/explain.h"
#include "core/joycatalogue.h"

#include <QCommandLineParser>
#include <QDir>

namespace hvc::cli {

namespace {
const QString kExplain = QStringLiteral("explain");
} // namespace

void addExplainOption(QCommandLineParser& parser) {
    parser.addOption({kExplain, QStringLiteral("then the configuration in words, one item a line "
                                               "(see README: hvcctl)")});
}

bool explainRequested(const QCommandLineParser& parser) {
    return parser.isSet(kExplain);
}

void printExplanation(const Catalogue& catalogue, const ExplainHasValue& hasValue,
                      Prompter& prompter, Io& io) {
    // Without the joystick list the models show as their identifiers ("? (68)");
    // the list's own message says why.
    JoyCatalogue joysticks;
    joysticks.loadJoyList(QDir(resourceDir()).filePath(QStringLiteral("ini/JoylistNew.ini")),
                          prompter);
    io.out << "\nConfiguration in words:\n";
    for (const QString& line : explainConfiguration(catalogue, joysticks, hasValue))
        io.out << line << '\n';
}

} // namespace hvc::cli
