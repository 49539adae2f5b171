// hvcctl's configuration-file commands: show and diff files, write a file into a
// unit and verify it, and the "-o FILE" part of read-all.

#include "cli/cli.h"
#include "cli/commandsession.h"
#include "core/appstate.h"
#include "core/configfile.h"
#include "core/imagecheck.h"
#include "core/infoblock.h"
#include "core/prompter.h"
#include "core/transfer.h"
#include "core/unitcommands.h"
#include "core/unitlink.h"
#include "core/unitlog.h"
#include "core/writereview.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <algorithm>

namespace hvc::cli {

namespace {

const QString kRamlist = QStringLiteral("ramlist");
const QString kPort = QStringLiteral("port");
const QString kOutput = QStringLiteral("output");

void report(AppState& state, const QString& message, PromptIcon icon) {
    state.observers.prompter().inform(message, {}, icon);
}

int linkFailed(AppState& state, Io& io, const Status& status) {
    state.session.setConnectState(ConnectState::NotConnected);
    io.err.flush();
    UnitCommands::reportFailure(state.observers.prompter(), status);
    noteLineFailure(status.detail().isEmpty() ? status.text() : status.detail());
    return Failed;
}

QString fileTitle(const QString& path) {
    return QFileInfo(path).fileName();
}

// The map of --ramlist, else the shipped one.
bool loadMap(AppState& state, const QCommandLineParser& parser) {
    const QString path = parser.isSet(kRamlist) ? parser.value(kRamlist) : defaultRamlistPath();
    return state.document.catalogue.loadCatalogue(path, state.observers.prompter());
}

// A file read and checked against the catalogue; on failure the load message and
// its cause are reported and Usage is returned.
int readFile(AppState& state, const QString& command, const QString& path, ConfigFileData& data,
             Io& io) {
    const Status status = readConfigFile(path, state.document.catalogue, data);
    if (status)
        return -1;
    report(state, status.text(), PromptIcon::Critical);
    io.err << "hvcctl " << command << ": " << status.detail() << '\n';
    noteLineFailure(status.detail());
    return Usage;
}

// A file that lacks variables of the map is legal (those keep their values on
// load), but the reader of a listing or a comparison must know.
void noteMissing(AppState& state, const QString& command, const QString& path,
                 const ConfigFileData& data, Io& io) {
    const QList<int> missing = missingFromFile(state.document.catalogue, data, readKeyAll(state));
    if (missing.isEmpty())
        return;
    io.err << "hvcctl " << command << ": '" << path << "' lacks " << missing.size()
           << (missing.size() == 1 ? " variable" : " variables")
           << " of the map: " << nameList(state.document.catalogue, missing) << '\n';
}

QString withUnit(const UnitVariable& r, std::int32_t display) {
    return r.convText.isEmpty() ? QString::number(display)
                                : QString::number(display) + u' ' + r.convText;
}

// The display value a record shows for a value loaded from a file.
QString fileDisplay(const UnitVariable& r, std::int32_t value) {
    UnitVariable copy = r;
    copy.takeFileWord(value);
    return withUnit(r, copy.shownValue);
}

// Value per catalogue position; a later line for the same address wins, as on load.
QMap<int, std::int32_t> valuesByPosition(const ConfigFileData& data) {
    QMap<int, std::int32_t> values;
    for (const ConfigEntry& e : data.entries)
        values.insert(e.position, e.value);
    return values;
}

void printDifference(Io& io, const UnitVariable& r, const QString& a, const QString& b,
                     const QString& aDisplay, const QString& bDisplay) {
    io.out << r.name << '\t' << r.addressText() << '\t' << a << '\t' << b << '\t' << aDisplay
           << '\t' << bDisplay << '\n';
}

int cmdShow(const QStringList& args, Io& io) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints a configuration file: its information fields, then one line per "
                       "variable (name, address, value, display value); with --explain then the "
                       "configuration in words."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("configuration file"));
    parser.addOption({kRamlist, QStringLiteral("variable map (default: the shipped one)"),
                      QStringLiteral("PATH")});
    addExplainOption(parser);
    if (const int rc = parseCommand(parser, QStringLiteral("show"), args, io, 1, 1); rc >= 0)
        return rc;
    IoPrompter prompter(io);
    AppState state;
    state.observers.setPrompter(&prompter);
    if (!loadMap(state, parser))
        return Usage;
    const QString path = parser.positionalArguments().first();
    ConfigFileData data;
    if (const int rc = readFile(state, QStringLiteral("show"), path, data, io); rc >= 0)
        return rc;
    noteMissing(state, QStringLiteral("show"), path, data, io);
    const InfoFields info = extractInfo(data.infoText, fileTitle(path));
    io.out << "File Name:\t" << info.fileName << "\nAuthor:\t" << info.author << "\nDate:\t"
           << info.date << "\nRevision:\t" << info.revision << "\nCompany:\t" << info.company
           << "\nAdditional Comments:\n";
    if (!info.comments.isEmpty())
        for (const QString& line : info.comments.split(QStringLiteral("\r\n")))
            io.out << '\t' << line << '\n';
    io.out << '\n';
    for (const ConfigEntry& e : data.entries) {
        const UnitVariable& r = state.document.catalogue[e.position];
        io.out << r.name << '\t' << r.addressText() << '\t' << e.value << '\t'
               << fileDisplay(r, e.value) << '\n';
    }
    if (explainRequested(parser)) {
        applyConfigFile(state, data, fileTitle(path));
        const QMap<int, std::int32_t> inFile = valuesByPosition(data);
        printExplanation(
            state.document.catalogue, [&inFile](int position) { return inFile.contains(position); },
            prompter, io);
    }
    return Ok;
}

int diffFiles(const QCommandLineParser& parser, Io& io) {
    IoPrompter prompter(io);
    AppState state;
    state.observers.setPrompter(&prompter);
    if (!loadMap(state, parser))
        return Usage;
    ConfigFileData a;
    ConfigFileData b;
    const QStringList files = parser.positionalArguments();
    if (const int rc = readFile(state, QStringLiteral("diff"), files[0], a, io); rc >= 0)
        return rc;
    if (const int rc = readFile(state, QStringLiteral("diff"), files[1], b, io); rc >= 0)
        return rc;
    noteMissing(state, QStringLiteral("diff"), files[0], a, io);
    noteMissing(state, QStringLiteral("diff"), files[1], b, io);
    const QMap<int, std::int32_t> va = valuesByPosition(a);
    const QMap<int, std::int32_t> vb = valuesByPosition(b);
    const QString missing = QStringLiteral("-");
    int differ = 0;
    for (int i = 1; i <= state.document.catalogue.varCount(); ++i) {
        const bool inA = va.contains(i);
        const bool inB = vb.contains(i);
        if (inA == inB && (!inA || va[i] == vb[i]))
            continue;
        const UnitVariable& r = state.document.catalogue[i];
        printDifference(
            io, r, inA ? QString::number(va[i]) : missing, inB ? QString::number(vb[i]) : missing,
            inA ? fileDisplay(r, va[i]) : missing, inB ? fileDisplay(r, vb[i]) : missing);
        ++differ;
    }
    return differ == 0 ? Ok : Failed;
}

// The display value a record shows for a word read from the unit.
QString unitDisplay(const UnitVariable& r, std::int32_t value) {
    UnitVariable copy = r;
    copy.takeUnitWord(value);
    return withUnit(r, copy.shownValue);
}

int diffUnit(const QCommandLineParser& parser, Io& io) {
    CommandSession session;
    if (const int rc = connectUnit(session, parser, io); rc >= 0)
        return rc == Ok ? Ok : Usage;
    AppState& state = session.state;
    ConfigFileData data;
    const QString path = parser.positionalArguments().first();
    if (const int rc = readFile(state, QStringLiteral("diff"), path, data, io); rc >= 0)
        return rc;
    noteMissing(state, QStringLiteral("diff"), path, data, io);
    const QMap<int, std::int32_t> values = valuesByPosition(data);
    int differ = 0;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const UnitVariable& r = state.document.catalogue[it.key()];
        std::int32_t unitValue = 0;
        if (const Status status = state.session.link->readE2(r.address, unitValue); !status) {
            linkFailed(state, io, status);
            return Usage;
        }
        if (sameWord(it.value(), unitValue))
            continue;
        printDifference(io, r, QString::number(it.value()), QString::number(unitValue),
                        fileDisplay(r, it.value()), unitDisplay(r, unitValue));
        ++differ;
    }
    return differ == 0 ? Ok : Failed;
}

// Refuses a file whose values the unit must not get; -1 when it may be written.
int checkValues(AppState& state, const ConfigFileData& data, bool force, Io& io) {
    const QList<ValueFault> faults = checkFileValues(state.document.catalogue, data, force);
    if (faults.isEmpty())
        return -1;
    report(state, QString::fromLatin1(kErrorLoadingFile), PromptIcon::Critical);
    io.err << "hvcctl write-all: nothing written; " << faults.size()
           << (faults.size() == 1 ? " value" : " values") << " the unit must not get:\n";
    for (const QString& text : describeValueFaults(state.document.catalogue, faults))
        io.err << "  " << text << '\n';
    bool limitsOnly = true;
    for (const ValueFault& f : faults)
        limitsOnly = limitsOnly && !f.overWide;
    if (limitsOnly)
        io.err << "hvcctl write-all: --force writes values outside the limits anyway\n";
    noteLineFailure(
        QStringLiteral("nothing written; %1 values the unit must not get").arg(faults.size()));
    return Usage;
}

// The positions named by --only (names, identifiers or addresses, comma-separated);
// -1 when they all name variables a Write All sends that the file holds, else Usage
// with the reason.
int onlyPositions(const AppState& state, const QString& list, const QMap<int, std::int32_t>& file,
                  QList<int>& positions, Io& io) {
    const std::uint16_t mask = writeKeyAll(state);
    for (const QString& part : list.split(u',', Qt::SkipEmptyParts)) {
        const QString name = part.trimmed();
        const int position = state.document.catalogue.findByName(name);
        const char* fault = nullptr;
        if (position == 0)
            fault = "no variable of the map";
        else if (!isWrittenBy(state.document.catalogue[position], mask))
            fault = "not a parameter Write All sends";
        else if (!file.contains(position))
            fault = "not in the file";
        if (fault != nullptr) {
            io.err << "hvcctl write-all: --only: '" << name << "' is " << fault << '\n';
            noteLineFailure(QStringLiteral("--only: '%1' is %2").arg(name, QLatin1String(fault)));
            return Usage;
        }
        positions.append(position);
    }
    if (positions.isEmpty()) {
        io.err << "hvcctl write-all: --only needs at least one name\n";
        return Usage;
    }
    return -1;
}

bool hasRow(const QList<ReviewRow>& rows, int position) {
    return std::any_of(rows.cbegin(), rows.cend(),
                       [position](const ReviewRow& r) { return r.position == position; });
}

// The rows --only chose from `rows` (the differences of a write of just those);
// one that is not among them is said on stderr: its section is not configured in
// the unit (it differs in `all`, the whole image's differences), or the unit
// already holds the value.
QList<ReviewRow> chosenRows(const AppState& state, const QList<ReviewRow>& rows,
                            const QList<ReviewRow>& all, const QList<int>& positions, int& refused,
                            Io& io) {
    QList<ReviewRow> chosen;
    for (int p : positions) {
        const auto row = std::find_if(rows.cbegin(), rows.cend(),
                                      [p](const ReviewRow& r) { return r.position == p; });
        const bool unconfigured = row == rows.cend() && hasRow(all, p);
        refused += unconfigured ? 1 : 0;
        if (row == rows.cend())
            io.err << "hvcctl write-all: " << state.document.catalogue[p].name
                   << (unconfigured ? ": not written, its section is not configured in the unit\n"
                                    : ": the unit already holds the value; not written\n");
        else if (std::none_of(chosen.cbegin(), chosen.cend(),
                              [p](const ReviewRow& r) { return r.position == p; }))
            chosen.append(*row);
    }
    return chosen;
}

// The file's values a whole-image write did not send: those of variables it never
// writes (identity words, read-only words) and those of sections the unit does not
// have configured. One line, when there are any.
void noteLeftOut(AppState& state, const QMap<int, std::int32_t>& fromFile,
                 const QList<int>& written, Io& io) {
    const std::uint16_t mask = writeKeyAll(state);
    int notSent = 0;
    int sections = 0;
    for (auto it = fromFile.cbegin(); it != fromFile.cend(); ++it) {
        if (written.contains(it.key()))
            continue;
        if (isWrittenBy(state.document.catalogue[it.key()], mask))
            ++sections;
        else
            ++notSent;
    }
    if (notSent + sections == 0)
        return;
    io.err << "hvcctl write-all: " << notSent + sections
           << " values of the file not written: " << notSent
           << " of variables Write All never sends (identity and read-only words), " << sections
           << " of sections not configured in the unit\n";
}

int writeOne(const QCommandLineParser& parser, Io& io);

int cmdWriteAll(const QStringList& args, Io& io) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Loads a configuration file, writes the parameter image to the unit, reads "
                       "it back and lists every variable that differs (name, address, written, "
                       "read). A file with values outside their variable's limits is refused "
                       "(--force writes them, unless a unit word cannot carry them); variables "
                       "the file lacks keep the values the unit has. --dry-run prints what "
                       "differs from the unit (variable, address, unit word, new word, unit "
                       "value, new value) and writes nothing; --only writes just the named "
                       "variables. With several --port options (a production line) every unit "
                       "is written at once by an hvcctl process of its own, each with its own "
                       "logbook entry; each unit's output goes to stderr with 'PORT: ' before "
                       "every line, then one line per unit in the order given: port, serial "
                       "number, and 'written N, verified', 'written N, NOT verified: K differ' "
                       "or 'failed: REASON' (a dry run: how many variables would be written). "
                       "Exit 0 only when every unit was written and verified."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("configuration file"));
    addUnitOptions(parser);
    parser.addOptions({
        {QStringLiteral("only"),
         QStringLiteral("write only these variables (names, identifiers or addresses, "
                        "comma-separated) where they differ from the unit"),
         QStringLiteral("NAME,...")},
        {QStringLiteral("dry-run"),
         QStringLiteral("print the variables that would change and write nothing")},
    });
    if (const int rc = parseCommand(parser, QStringLiteral("write-all"), args, io, 1, 1); rc >= 0)
        return rc;
    if (parser.values(kPort).size() > 1)
        return writeAllOnLine(parser, io);
    return finishLineChild(writeOne(parser, io));
}

// write-all on one unit.
int writeOne(const QCommandLineParser& parser, Io& io) {
    CommandSession session;
    if (const int rc = connectUnit(session, parser, io); rc >= 0)
        return rc;
    session.recorder.prepare();
    AppState& state = session.state;
    Catalogue& cat = state.document.catalogue;
    const QString path = parser.positionalArguments().first();
    ConfigFileData data;
    if (const int rc = readFile(state, QStringLiteral("write-all"), path, data, io); rc >= 0)
        return rc;
    if (const int rc = checkValues(state, data, parser.isSet(QStringLiteral("force")), io); rc >= 0)
        return rc;
    const QMap<int, std::int32_t> fromFile = valuesByPosition(data);
    const bool only = parser.isSet(QStringLiteral("only"));
    QList<int> onlyNamed;
    if (only) {
        if (const int rc =
                onlyPositions(state, parser.value(QStringLiteral("only")), fromFile, onlyNamed, io);
            rc >= 0)
            return rc;
    }

    // The working values start from the unit, as after the desktop program's
    // Connect; the file then changes the variables it holds.
    // A word outside its limits stays the unit's: a variable the file lacks keeps it.
    const std::uint16_t readMask = readKeyAll(state);
    int substitute = 0;
    if (const Status status =
            readUnitImage(session, readMask, QStringLiteral("write-all"), io, substitute);
        !status)
        return linkFailed(state, io, status);
    noteLineUnit(identityFromCatalogue(cat).serial);
    const std::int32_t sectionsRead = cat.var(HvcId::HVC_NUM_PROP_REG).unitWord;
    applyConfigFile(state, data, fileTitle(path));
    const std::uint16_t mask = writeKeyAll(state);
    // Sections the file adds were not read with the image: their words the file
    // lacks come from the unit now.
    for (int i = 1; i <= cat.varCount(); ++i) {
        UnitVariable& r = cat[i];
        const bool wasRead = (r.pageMask & readMask) != 0 && r.section < sectionsRead;
        if (!isWrittenBy(r, mask) || !inSectionLimit(state, r) || fromFile.contains(i) || wasRead)
            continue;
        std::int32_t value = 0;
        if (const Status status = state.session.link->readE2(r.address, value); !status) {
            session.progress.finish();
            return linkFailed(state, io, status.prefixed(QStringLiteral("reading ") + r.name));
        }
        r.takeUnitWord(value);
        state.document.unitWords.seen(r.address, value);
    }

    const QList<ReviewRow> differences = writeDifferences(state, mask);
    const QSet<int> onlySet(onlyNamed.cbegin(), onlyNamed.cend());
    int refused = 0;
    const QList<ReviewRow> rows = only ? chosenRows(state, writeDifferences(state, mask, &onlySet),
                                                    differences, onlyNamed, refused, io)
                                       : differences;
    if (parser.isSet(QStringLiteral("dry-run"))) {
        session.progress.finish();
        state.session.setConnectState(ConnectState::Connected);
        for (const QString& line : reviewTable(cat, rows))
            io.out << line << '\n';
        io.err << "hvcctl write-all: dry run, nothing written; " << rows.size() << " of "
               << differences.size() << " differing variables would be written\n";
        noteLineDryRun(static_cast<int>(rows.size()), static_cast<int>(differences.size()));
        return Ok;
    }

    int toWrite = 0;
    int kept = 0;
    WriteChoice choice = WriteChoice::wholeImage();
    if (only) {
        QList<int> positions;
        for (const ReviewRow& row : rows)
            positions.append(row.position);
        toWrite = static_cast<int>(positions.size());
        choice = WriteChoice::rows(positions);
    } else {
        for (int i = 1; i <= cat.varCount(); ++i) {
            if (!isWrittenBy(cat[i], mask) || !inSectionLimit(state, cat[i]))
                continue;
            ++toWrite;
            kept += fromFile.contains(i) ? 0 : 1;
        }
    }

    ReviewedWrite done;
    const Status status =
        writeRecorded(state, mask, choice, true, QStringLiteral("write-all"), done);
    session.progress.finish();
    if (const int rc =
            reportReviewedWrite(state, done, status, toWrite, QStringLiteral("write-all"), io);
        rc >= 0) {
        noteLineFailure(status.detail().isEmpty() ? status.text() : status.detail());
        return rc;
    }
    const int written = done.report.written;
    const auto differ = done.mismatches.size();
    if (only)
        io.err << "hvcctl write-all: " << written << " variables written (chosen with --only), "
               << differ << " differ when read back; "
               << differences.size() - rows.size() - refused + done.notWritten.size()
               << " other differing variables left as the unit has them\n";
    else
        io.err << "hvcctl write-all: " << written << " variables written (" << written - kept
               << " from the file, " << kept << " as the unit had them), " << differ
               << " differ when read back\n";
    if (!only)
        noteLeftOut(state, fromFile, done.report.positions, io);
    noteLineWritten(written, static_cast<int>(differ + done.notWritten.size()) + refused);
    return differ == 0 && done.notWritten.isEmpty() && refused == 0 ? Ok : Failed;
}

int cmdDiff(const QStringList& args, Io& io) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lists the variables whose values differ between two configuration files "
                       "(or a file and the unit on --port): name, address, both values, both "
                       "display values. Exit 0 when equal, 1 when they differ, 2 on trouble."));
    parser.addPositionalArgument(QStringLiteral("A"), QStringLiteral("configuration file"));
    parser.addPositionalArgument(QStringLiteral("B"),
                                 QStringLiteral("configuration file (not with --port)"));
    addUnitOptions(parser);
    if (const int rc = parseCommand(parser, QStringLiteral("diff"), args, io, 1, 2); rc >= 0)
        return rc;
    const bool withPort = parser.optionNames().contains(kPort);
    const qsizetype files = parser.positionalArguments().size();
    if (withPort == (files == 2)) {
        io.err << "hvcctl diff: give two files, or one file and --port (see --help)\n";
        return Usage;
    }
    if (withPort)
        return diffUnit(parser, io);
    return diffFiles(parser, io);
}

} // namespace

QList<Command> fileCommands() {
    return {
        {"show", "print a configuration file", cmdShow},
        {"diff", "compare two configuration files, or a file and the unit", cmdDiff},
        {"write-all", "write a configuration file into the unit and verify it", cmdWriteAll},
    };
}

void addSaveOptions(QCommandLineParser& parser) {
    parser.addOption({{QStringLiteral("o"), kOutput},
                      QStringLiteral("save the parameter set to FILE"),
                      QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("author"), QStringLiteral("author of the saved file"),
                      QStringLiteral("TEXT")});
    parser.addOption(
        {QStringLiteral("date"), QStringLiteral("date of the saved file"), QStringLiteral("TEXT")});
    parser.addOption({QStringLiteral("revision"), QStringLiteral("revision of the saved file"),
                      QStringLiteral("TEXT")});
    parser.addOption({QStringLiteral("company"), QStringLiteral("company of the saved file"),
                      QStringLiteral("TEXT")});
    parser.addOption({QStringLiteral("comments"),
                      QStringLiteral("comments of the saved file (\"\\n\" separates lines)"),
                      QStringLiteral("TEXT")});
}

int saveAfterReadAll(AppState& state, const QCommandLineParser& parser, Io& io) {
    if (!parser.isSet(kOutput))
        return Ok;
    InfoFields info;
    info.author = parser.value(QStringLiteral("author"));
    info.date = parser.value(QStringLiteral("date"));
    info.revision = parser.value(QStringLiteral("revision"));
    info.company = parser.value(QStringLiteral("company"));
    info.comments = parser.value(QStringLiteral("comments"))
                        .replace(QStringLiteral("\\n"), QStringLiteral("\r\n"));
    state.document.info = info;
    const QString path = parser.value(kOutput);
    // The desktop program's Save command shows this message; here the command does.
    if (const Status status = saveConfigFile(state, path); !status) {
        report(state, status.text(), PromptIcon::Critical);
        io.err << "hvcctl read-all: " << status.detail() << '\n';
        return Usage;
    }
    state.document.info.fileName = fileTitle(path);
    return Ok;
}

} // namespace hvc::cli
