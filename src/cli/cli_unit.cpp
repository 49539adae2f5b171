// hvcctl's unit commands: identity, read-all, get, set and defaults, each over the
// device link on --port, plus the connection steps the file commands share.

#include "cli/cli.h"
#include "cli/commandsession.h"
#include "core/imagecheck.h"
#include "core/logbook.h"
#include "core/transfer.h"
#include "core/unitcommands.h"
#include "core/unitlog.h"
#include "core/writereview.h"

#include <QCommandLineParser>
#include <cstdio>
#include <unistd.h>

namespace hvc::cli {

namespace {

const QString kPort = QStringLiteral("port");
const QString kTimeout = QStringLiteral("timeout");
const QString kRamlist = QStringLiteral("ramlist");
const QString kForce = QStringLiteral("force");
const QString kRam = QStringLiteral("ram");
const QString kVerbose = QStringLiteral("verbose");
// The sixth field of a read-all line whose word lies outside its limits.
constexpr const char* kOutOfRangeMark = "out of range ";

void say(Io& io, const QString& text) {
    io.err << text << '\n';
    io.err.flush();
}

int linkFailed(CommandSession& s, Io& io, const Status& status) {
    s.progress.finish();
    s.state.session.setConnectState(ConnectState::NotConnected);
    say(io, QString::fromLatin1(kOperationFailed) + status.text());
    if (!status.detail().isEmpty())
        say(io, QStringLiteral("  ") + status.detail());
    noteLineFailure(status.detail().isEmpty() ? status.text() : status.detail());
    return Failed;
}

// Loads the map and opens the link on --port; -1 when open, else the exit code.
int openUnit(CommandSession& s, const QCommandLineParser& parser, Io& io) {
    s.prompter.err = &io.err;
    s.verbose = parser.isSet(kVerbose);
    const QString ramlist = parser.isSet(kRamlist) ? parser.value(kRamlist) : defaultRamlistPath();
    if (!s.state.document.catalogue.loadCatalogue(ramlist, s.prompter)) {
        say(io, QStringLiteral("hvcctl: cannot use the variable map ") + ramlist);
        return Usage;
    }
    countPageVarNum(s.state);
    if (!parser.isSet(kPort) || parser.value(kPort).isEmpty()) {
        say(io, QStringLiteral("hvcctl: --port PATH (the unit's serial device) is required"));
        return Usage;
    }
    if (parser.isSet(kTimeout)) {
        bool ok = false;
        const int ms = parser.value(kTimeout).toInt(&ok);
        if (!ok || ms < 1) {
            say(io, QStringLiteral("hvcctl: --timeout takes a number of milliseconds >= 1"));
            return Usage;
        }
        s.link.setTimeout(ms);
    }
    s.link.ports().set(1, parser.value(kPort));
    s.link.setPort(1);
    s.state.session.comPort = 1;
    s.state.session.portName = parser.value(kPort);
    recordInLogbook(s.recorder, io);
    s.state.observers.transferLog = &s.recorder;
    if (const Status status = s.link.openLink(); !status) {
        say(io, QStringLiteral("hvcctl: cannot open ") + parser.value(kPort));
        if (!status.detail().isEmpty())
            say(io, QStringLiteral("  ") + status.detail());
        noteLineFailure(QStringLiteral("cannot open the port: ") + status.detail());
        return Failed;
    }
    s.state.session.setConnectState(ConnectState::Connected);
    return -1;
}

// A variable named on the command line: a catalogue record, or a bare address.
struct Target {
    UnitVariable* record = nullptr;
    std::int32_t address = 0;
};

bool findTarget(CommandSession& s, const QString& text, Target& target, Io& io) {
    if (const int pos = s.state.document.catalogue.findByName(text); pos > 0) {
        target.record = &s.state.document.catalogue[pos];
        target.address = target.record->address;
        return true;
    }
    if (parseAddressText(text, target.address))
        return true;
    say(io, QStringLiteral("hvcctl: '%1' is neither a variable of the map nor an address such as "
                           "01A2.03")
                .arg(text));
    return false;
}

QString number(double v) {
    return QString::number(v, 'g', 12);
}

// Name, address text, raw word, converted value, unit text.
void printWord(Io& io, const Target& t, std::int32_t raw, bool ram) {
    QString name = formatAddressText(t.address);
    QString converted = QString::number(raw);
    QString unit;
    if (t.record) {
        name = t.record->name;
        unit = t.record->convText;
        if (ram) {
            t.record->takeUnitRamWord(raw);
            converted = number(t.record->ramShownValue);
        } else {
            t.record->takeUnitWord(raw);
            converted = QString::number(t.record->shownValue);
        }
    }
    io.out << name << '\t' << formatAddressText(t.address) << '\t' << raw << '\t' << converted
           << '\t' << unit << '\n';
}

QCommandLineParser* makeParser(QCommandLineParser& parser, const char* description) {
    parser.setApplicationDescription(QString::fromLatin1(description));
    addUnitOptions(parser);
    return &parser;
}

int cmdIdentity(const QStringList& args, Io& io) {
    QCommandLineParser parser;
    makeParser(parser, "Prints the unit's five identity words in hex and whether it waits for a "
                       "power cycle after the load-defaults command.");
    if (const int rc = parseCommand(parser, QStringLiteral("identity"), args, io, 0, 0); rc >= 0)
        return rc;
    CommandSession s;
    if (const int rc = openUnit(s, parser, io); rc >= 0)
        return rc;
    QStringList words;
    bool reset = true;
    for (int w = 0; w < 5; ++w) {
        std::int32_t value = 0;
        if (const Status status = s.link.readE2(kIdentityAddresses[w], value); !status)
            return linkFailed(s, io, status);
        words << QStringLiteral("%1").arg(value & 0xFFFF, 4, 16, QChar(u'0')).toUpper();
        reset = reset && value == kResetWords[w];
    }
    io.out << words.join(u' ') << '\n' << "reset-pending: " << (reset ? "yes" : "no") << '\n';
    return Ok;
}

int cmdReadAll(const QStringList& args, Io& io) {
    QCommandLineParser parser;
    makeParser(parser, "Connects as the desktop program does (identity check, program version) and "
                       "reads the whole parameter image with the range check. Prints Name, "
                       "address, unit value, display value and unit TAB-separated, or saves the "
                       "image with -o FILE; with --explain then the configuration in words. A "
                       "word outside its variable's limits is printed and saved as the unit "
                       "holds it, its line ending in \"out of range MIN..MAX\", and named on "
                       "stderr.");
    addSaveOptions(parser);
    addExplainOption(parser);
    if (const int rc = parseCommand(parser, QStringLiteral("read-all"), args, io, 0, 0); rc >= 0)
        return rc;
    CommandSession s;
    if (const int rc = connectUnit(s, parser, io); rc >= 0)
        return rc;
    s.recorder.prepare();
    AppState& state = s.state;
    Catalogue& cat = state.document.catalogue;
    const std::uint16_t mask = readKeyAll(state);
    int substitute = 0;
    const Status status = readUnitImage(s, mask, QStringLiteral("read-all"), io, substitute);
    if (!status)
        return linkFailed(s, io, status);
    state.session.setConnectState(ConnectState::Connected);
    const auto wasRead = [&state, mask](int position) {
        const UnitVariable& r = state.document.catalogue[position];
        return (r.pageMask & mask) != 0 && inSectionLimit(state, r);
    };
    LogEntry entry = imageEntry(state, mask, QStringLiteral("read-all"));
    recordTransfer(state, entry);
    if (parser.isSet(QStringLiteral("o"))) {
        if (const int rc = saveAfterReadAll(state, parser, io); rc != Ok)
            return rc;
    } else {
        for (int i = 1; i <= cat.varCount(); ++i) {
            const UnitVariable& r = cat[i];
            if (!wasRead(i))
                continue;
            io.out << r.name << '\t' << r.addressText() << '\t' << r.unitWord << '\t'
                   << r.shownValue << '\t' << r.convText;
            if (r.unitWord < r.minValue || r.unitWord > r.maxValue || i == substitute)
                io.out << '\t' << kOutOfRangeMark << r.minValue << ".." << r.maxValue;
            if (i == substitute)
                io.out << "; the unit holds " << r.replacedUnitWord.value_or(r.unitWord);
            io.out << '\n';
        }
    }
    if (explainRequested(parser))
        printExplanation(cat, wasRead, s.prompter, io);
    return substitute == 0 ? Ok : Failed;
}

int cmdGet(const QStringList& args, Io& io) {
    QCommandLineParser parser;
    makeParser(parser, "Reads one word of the unit, by variable name, identifier (HVC_...) or "
                       "address (01A2.03), and prints Name, address, raw word, converted value "
                       "and unit TAB-separated.");
    parser.addPositionalArgument(QStringLiteral("NAME|ADDRESS"), QStringLiteral("the word"));
    parser.addOption({kRam, QStringLiteral("convert as a live (RAM) value")});
    if (const int rc = parseCommand(parser, QStringLiteral("get"), args, io, 1, 1); rc >= 0)
        return rc;
    CommandSession s;
    if (const int rc = openUnit(s, parser, io); rc >= 0)
        return rc;
    Target t;
    if (!findTarget(s, parser.positionalArguments().first(), t, io))
        return Usage;
    const bool ram = parser.isSet(kRam);
    std::int32_t raw = 0;
    const Status status = ram ? s.link.readRam(t.address, raw) : s.link.readE2(t.address, raw);
    if (!status)
        return linkFailed(s, io, status);
    printWord(io, t, raw, ram);
    return Ok;
}

int cmdSet(const QStringList& args, Io& io) {
    QCommandLineParser parser;
    makeParser(parser, "Writes one raw word to the unit (by name, identifier or address), reads "
                       "it back and prints it as get does; exit code 1 when the unit holds "
                       "another word than the one written (not checked with --ram, as a live "
                       "word may change at once). Values outside the variable's limits need "
                       "--force.");
    parser.addPositionalArgument(QStringLiteral("NAME|ADDRESS"), QStringLiteral("the word"));
    parser.addPositionalArgument(QStringLiteral("VALUE"),
                                 QStringLiteral("raw value, -32768..65535 (0x.. for hex)"));
    parser.addOption({kRam, QStringLiteral("a live (RAM) word")});
    if (const int rc = parseCommand(parser, QStringLiteral("set"), args, io, 2, 2); rc >= 0)
        return rc;
    bool ok = false;
    const QString valueText = parser.positionalArguments().at(1);
    const qlonglong value = valueText.toLongLong(&ok, 0);
    if (!ok || value < -32768 || value > 65535) {
        say(io,
            QStringLiteral("hvcctl set: VALUE must be a whole number from -32768 to 65535, not '") +
                valueText + u'\'');
        return Usage;
    }
    CommandSession s;
    if (const int rc = openUnit(s, parser, io); rc >= 0)
        return rc;
    Target t;
    if (!findTarget(s, parser.positionalArguments().first(), t, io))
        return Usage;
    const bool ram = parser.isSet(kRam);
    if (t.record && !ram && !parser.isSet(kForce) &&
        (value < t.record->minValue || value > t.record->maxValue)) {
        say(io, QStringLiteral("hvcctl set: %1 is outside %2..%3 of %4 (--force writes it anyway)")
                    .arg(value)
                    .arg(t.record->minValue)
                    .arg(t.record->maxValue)
                    .arg(t.record->name));
        return Usage;
    }
    const auto word = static_cast<std::int32_t>(value);
    // A parameter's change goes into the logbook, whatever the outcome.
    LogEntry entry;
    entry.kind = QStringLiteral("set");
    LogWord logged{t.record ? t.record->name : formatAddressText(t.address), t.address,
                   std::nullopt, std::nullopt, std::nullopt};
    const auto record = [&](const QString& outcome) {
        if (ram)
            return;
        entry.outcome = outcome;
        entry.words = {logged};
        recordTransfer(s.state, entry);
    };
    if (!ram && logbookChoice().enabled) {
        entry.unit = readUnitIdentity(s.state, parser.value(kPort));
        if (std::int32_t before = 0; s.link.readE2(t.address, before))
            logged.before = before;
    }
    Status status = ram ? s.link.writeRam(t.address, word) : s.link.writeE2(t.address, word);
    if (!status) {
        record(QStringLiteral("failed: ") + status.text() + u' ' + status.detail());
        return linkFailed(s, io, status);
    }
    logged.sent = word;
    std::int32_t raw = 0;
    status = ram ? s.link.readRam(t.address, raw) : s.link.readE2(t.address, raw);
    if (!status) {
        record(QStringLiteral("failed: written, not read back: ") + status.detail());
        return linkFailed(s, io, status);
    }
    logged.readBack = raw;
    record(sameWord(word, raw) ? QStringLiteral("ok") : QStringLiteral("differs"));
    printWord(io, t, raw, ram);
    // A live word may change at once; a parameter must read back as written.
    if (ram || sameWord(word, raw))
        return Ok;
    UnitVariable unnamed;
    unnamed.name = QStringLiteral("address");
    unnamed.address = t.address;
    say(io, verifyFailure(t.record ? *t.record : unnamed, word, raw));
    return Failed;
}

int cmdDefaults(const QStringList& args, Io& io) {
    QCommandLineParser parser;
    makeParser(parser, "Sends the load-defaults command; the unit then needs a power cycle.");
    if (const int rc = parseCommand(parser, QStringLiteral("defaults"), args, io, 0, 0); rc >= 0)
        return rc;
    CommandSession s;
    if (const int rc = openUnit(s, parser, io); rc >= 0)
        return rc;
    s.recorder.prepare();
    if (logbookChoice().enabled)
        (void)readUnitIdentity(s.state, parser.value(kPort));
    const Status status = loadDefaultsRecorded(s.state);
    if (!status)
        return linkFailed(s, io, status);
    s.prompter.inform(QStringLiteral("Switch OFF and then switch ON power supply!"), {},
                      PromptIcon::Exclamation);
    s.link.closeLink();
    s.state.session.setConnectState(ConnectState::NotConnected);
    return Ok;
}

} // namespace

TerminalProgress::TerminalProgress() : m_enabled(::isatty(STDERR_FILENO) == 1) {}

void TerminalProgress::onProgress(const QString& statusText, int percent) {
    if (!m_enabled || (percent == m_percent && statusText == m_text))
        return;
    m_percent = percent;
    m_text = statusText;
    const int filled = std::clamp(percent, 0, 100) * 30 / 100;
    std::fprintf(stderr, "\r%-12s [%s%s] %3d%%", qPrintable(statusText),
                 QByteArray(filled, '#').constData(), QByteArray(30 - filled, '.').constData(),
                 percent);
    std::fflush(stderr);
    m_drawn = true;
}

void TerminalProgress::finish() {
    if (m_drawn)
        std::fputc('\n', stderr);
    m_drawn = false;
    m_percent = -1;
}

void SessionPrompter::prepare() {
    m_progress.finish();
    if (err)
        err->flush();
}

void SessionPrompter::inform(const QString& text, const QString& title, PromptIcon icon) {
    prepare();
    StderrPrompter::inform(text, title, icon);
}

void SessionPrompter::informDetailed(const QString& text, const QString& detail,
                                     const QString& title, PromptIcon icon) {
    prepare();
    StderrPrompter::inform(text, title, icon);
    // Indented like the detail of a link failure (StderrPrompter trims its lines).
    if (!detail.isEmpty())
        std::fprintf(stderr, "  %s\n", detail.toLocal8Bit().constData());
}

bool SessionPrompter::ask(const QString& text, const QString& title, PromptIcon icon) {
    prepare();
    return StderrPrompter::ask(text, title, icon);
}

CommandSession::CommandSession() {
    state.observers.setPrompter(&prompter);
    state.session.link = &link;
    state.observers.progress.setObserver(&progress);
}

CommandSession::~CommandSession() {
    if (!verbose || !prompter.err)
        return;
    progress.finish();
    *prompter.err << "hvcctl: " << link.exchanges() << " exchanges, " << link.blockExchanges()
                  << " of them in block frames\n";
    *prompter.err << "hvcctl: " << link.retries()
                  << " requests sent again after a garbled or missing reply\n";
    prompter.err->flush();
}

void addUnitOptions(QCommandLineParser& parser) {
    parser.addOptions({
        {kPort, QStringLiteral("serial device of the unit (e.g. /dev/ttyUSB0 or hvc-sim's path)"),
         QStringLiteral("PATH")},
        {kTimeout, QStringLiteral("time-out of each exchange in milliseconds (default 1000)"),
         QStringLiteral("MS")},
        {kRamlist, QStringLiteral("variable map (default: the shipped one)"),
         QStringLiteral("PATH")},
        {kForce, QStringLiteral("go on with a unit that waits for a power cycle; write values "
                                "outside a variable's limits")},
        {kVerbose, QStringLiteral("say at the end how many requests were sent again")},
    });
}

int connectUnit(CommandSession& s, const QCommandLineParser& parser, Io& io) {
    if (const int rc = openUnit(s, parser, io); rc >= 0)
        return rc;
    AppState& state = s.state;
    state.session.setConnectState(ConnectState::Transfer);
    bool resetPending = false;
    if (const Status status = checkUnitIdentity(state, resetPending); !status)
        return linkFailed(s, io, status);
    s.progress.finish();
    if (resetPending && !parser.isSet(kForce)) {
        say(io, QStringLiteral("hvcctl: Missing POWER RESET After A 'RESET' Command: switch the "
                               "unit off and on, or use --force"));
        noteLineFailure(QStringLiteral("the unit waits for a power cycle"));
        s.link.closeLink();
        state.session.setConnectState(ConnectState::NotConnected);
        return Failed;
    }
    if (UnitVariable* version = state.document.catalogue.find(HvcId::HVC_PROG_VERS)) {
        std::int32_t value = 0;
        if (const Status status = state.session.link->readE2(version->address, value); !status)
            return linkFailed(s, io, status);
        version->takeUnitWord(value);
    }
    state.session.setConnectState(ConnectState::Connected);
    return -1;
}

Status readUnitImage(CommandSession& s, std::uint16_t mask, const QString& command, Io& io,
                     int& substitute) {
    AppState& state = s.state;
    state.session.setConnectState(ConnectState::Transfer);
    // The range check's report speaks of defaults shown in place of the unit's
    // words; here the unit's words are kept, so that report is held back.
    ScriptedPrompter held;
    state.observers.setPrompter(&held);
    Status status = readImage(state, mask);
    state.observers.setPrompter(&s.prompter);
    s.progress.finish();
    for (const ScriptedPrompter::Message& m : held.messages)
        if (!m.text.startsWith(QString::fromLatin1(kReadFault)))
            s.prompter.informDetailed(m.text, m.detail, m.title, m.icon);
    substitute = 0;
    if (!status)
        return status;
    const QString prefix = QStringLiteral("hvcctl ") + command + QStringLiteral(": ");
    Catalogue& cat = state.document.catalogue;
    const int sectionPos = cat.idIndex(HvcId::HVC_NUM_PROP_REG);
    for (int i = 1; i <= cat.varCount(); ++i) {
        UnitVariable& r = cat[i];
        if ((r.pageMask & mask) == 0 || !r.replacedUnitWord)
            continue;
        if (i == sectionPos) {
            say(io, prefix + replacedWordNote(r, false) +
                        QStringLiteral("; the default %1 stands in its place, as it decides "
                                       "which sections are read")
                            .arg(r.defaultValue));
            substitute = i;
            continue;
        }
        say(io, prefix + replacedWordNote(r, false));
        r.takeUnitWord(*r.replacedUnitWord);
    }
    // The unit the logbook names from now on, whatever a file loaded later holds.
    state.session.unit = identitySeen(state);
    return {};
}

QList<Command> unitCommands() {
    return {
        {"identity", "the unit's identity words and whether it waits for a power cycle",
         cmdIdentity},
        {"read-all", "read the whole parameter image (with the range check)", cmdReadAll},
        {"get", "read one word by name, identifier or address", cmdGet},
        {"set", "write one word and read it back", cmdSet},
        {"defaults", "send the load-defaults command", cmdDefaults},
    };
}

} // namespace hvc::cli
