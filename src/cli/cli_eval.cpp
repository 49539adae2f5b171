#include "cli/cli.h"
#include "core/catalogue.h"
#include "core/prompter.h"
#include "core/stringeval.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <charconv>

namespace hvc::cli {

namespace {} // namespace

int parseCommand(QCommandLineParser& parser, const QString& command, const QStringList& args,
                 Io& io, int minPositional, int maxPositional) {
    parser.addHelpOption();
    if (!parser.parse(QStringList{QStringLiteral("hvcctl ") + command} + args)) {
        io.err << "hvcctl " << command << ": " << parser.errorText() << '\n';
        return Usage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        io.out << parser.helpText();
        return Ok;
    }
    const auto n = parser.positionalArguments().size();
    if (n < minPositional || n > maxPositional) {
        io.err << "hvcctl " << command << ": wrong number of arguments (see --help)\n";
        return Usage;
    }
    return -1;
}

namespace {

bool intOption(QCommandLineParser& parser, const QString& name, std::int32_t& out, Io& io) {
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    out = parser.value(name).toInt(&ok);
    if (!ok)
        io.err << "hvcctl eval: --" << name << " needs a 32-bit integer, not '"
               << parser.value(name) << "'\n";
    return ok;
}

QString shortest(double v) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, res.ptr - buf);
}

int cmdEval(const QStringList& args, Io& io) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Evaluates a conversion formula."));
    parser.addPositionalArgument(QStringLiteral("FORMULA"), QStringLiteral("the expression"));
    for (const char* v : {"x", "y", "z"})
        parser.addOption({QString::fromLatin1(v),
                          QStringLiteral("value of %1").arg(QString::fromLatin1(v).toUpper()),
                          QStringLiteral("N")});
    if (const int rc = parseCommand(parser, QStringLiteral("eval"), args, io, 1, 1); rc >= 0)
        return rc;
    std::int32_t x = 0, y = 0, z = 0;
    if (!intOption(parser, QStringLiteral("x"), x, io) ||
        !intOption(parser, QStringLiteral("y"), y, io) ||
        !intOption(parser, QStringLiteral("z"), z, io))
        return Usage;
    const QString formula = parser.positionalArguments().first();
    const double v = evalFormula(formula, x, y, z);
    if (!evalSucceeded(v)) {
        io.err << "hvcctl eval: cannot evaluate '" << formula << "'\n";
        return Usage;
    }
    io.out << shortest(v) << '\n';
    return Ok;
}

int cmdPart(const QStringList& args, Io& io) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Prints one \"|\" part of a formula."));
    parser.addPositionalArgument(QStringLiteral("FORMULA"), QStringLiteral("the formula"));
    parser.addPositionalArgument(QStringLiteral("N"), QStringLiteral("part number"));
    if (const int rc = parseCommand(parser, QStringLiteral("part"), args, io, 2, 2); rc >= 0)
        return rc;
    bool ok = false;
    const int n = parser.positionalArguments().at(1).toInt(&ok);
    if (!ok || n < -32768 || n > 32767) {
        io.err << "hvcctl part: N must be a 16-bit integer\n";
        return Usage;
    }
    io.out << selectPart(parser.positionalArguments().first(), n) << '\n';
    return Ok;
}

int cmdCatalogue(const QStringList& args, Io& io) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Lists the records of a variable map."));
    parser.addOption({QStringLiteral("ramlist"),
                      QStringLiteral("variable map (default: the shipped one)"),
                      QStringLiteral("PATH")});
    parser.addOption({QStringLiteral("json"), QStringLiteral("print a JSON array")});
    if (const int rc = parseCommand(parser, QStringLiteral("catalogue"), args, io, 0, 0); rc >= 0)
        return rc;
    const QString path = parser.isSet(QStringLiteral("ramlist"))
                             ? parser.value(QStringLiteral("ramlist"))
                             : defaultRamlistPath();
    Catalogue cat;
    IoPrompter prompter(io);
    if (!cat.loadCatalogue(path, prompter))
        return Usage;
    for (const QString& warning : cat.warnings())
        io.err << "hvcctl catalogue: warning: " << warning << '\n';
    const bool json = parser.isSet(QStringLiteral("json"));
    QJsonArray array;
    for (int i = 1; i <= cat.varCount(); ++i) {
        const UnitVariable& r = cat[i];
        const QString address =
            QStringLiteral("%1")
                .arg(static_cast<uint>(r.address) & 0xFFFFFF, 6, 16, QChar(u'0'))
                .toUpper();
        if (json) {
            array.append(QJsonObject{{QStringLiteral("Index"), i},
                                     {QStringLiteral("Name"), r.name},
                                     {QStringLiteral("Address"), address},
                                     {QStringLiteral("Id"), cat.identifierAt(i)},
                                     {QStringLiteral("SaveName"), r.saveName},
                                     {QStringLiteral("DefaultValue"), r.defaultValue},
                                     {QStringLiteral("Section"), r.section},
                                     {QStringLiteral("PageMask"), r.pageMask},
                                     {QStringLiteral("MinValue"), r.minValue},
                                     {QStringLiteral("MaxValue"), r.maxValue},
                                     {QStringLiteral("ConvText"), r.convText},
                                     {QStringLiteral("ExtraText"), r.extraText},
                                     {QStringLiteral("Formula"), r.formula},
                                     {QStringLiteral("InverseFormula"), r.inverseFormula},
                                     {QStringLiteral("E2InECU"), r.unitWord},
                                     {QStringLiteral("E2Value"), r.workingWord},
                                     {QStringLiteral("E2Display"), r.shownValue}});
            continue;
        }
        const QStringList fields{QString::number(i),
                                 r.name,
                                 address,
                                 cat.identifierAt(i),
                                 r.saveName,
                                 QString::number(r.defaultValue),
                                 QString::number(r.section),
                                 QString::number(r.pageMask),
                                 QString::number(r.minValue),
                                 QString::number(r.maxValue),
                                 r.convText,
                                 r.extraText,
                                 r.formula,
                                 r.inverseFormula,
                                 QString::number(r.unitWord),
                                 QString::number(r.workingWord),
                                 QString::number(r.shownValue)};
        io.out << fields.join(u'\t') << '\n';
    }
    if (json)
        io.out << QJsonDocument(array).toJson(QJsonDocument::Indented);
    return Ok;
}

} // namespace

QList<Command> evalCommands() {
    return {{"eval", "evaluate a conversion formula", cmdEval},
            {"part", "print one \"|\" part of a formula", cmdPart},
            {"catalogue", "list the variable map", cmdCatalogue}};
}

} // namespace hvc::cli
