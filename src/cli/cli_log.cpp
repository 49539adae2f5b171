// hvcctl's logbook: the global options that choose it, the recording of every
// transfer, and the log command that reads it back.

#include "cli/cli.h"
#include "core/catalogue.h"
#include "core/logbook.h"
#include "core/prompter.h"
#include "core/unitlog.h"
#include "core/unitvariable.h"
#include "report/servicereport.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>

namespace hvc::cli {

LogbookChoice& logbookChoice() {
    static LogbookChoice choice;
    return choice;
}

bool takeLogbookOptions(QStringList& args, Io& io) {
    LogbookChoice& choice = logbookChoice();
    choice = {};
    QStringList rest;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--")) {
            rest += args.mid(i);
            break;
        }
        if (a == QLatin1String("--no-logbook")) {
            choice.enabled = false;
        } else if (a.startsWith(QLatin1String("--logbook="))) {
            choice.location = a.mid(10);
        } else if (a == QLatin1String("--logbook")) {
            if (i + 1 >= args.size() || args.at(i + 1).isEmpty()) {
                io.err << "hvcctl: --logbook takes a location (a file, sqlite:PATH or "
                          "postgresql://...)\n";
                return false;
            }
            choice.location = args.at(++i);
        } else {
            rest.append(a);
        }
    }
    if (choice.location.isEmpty())
        choice.location = Logbook::defaultLocation();
    args = rest;
    return true;
}

void recordInLogbook(LogbookRecorder& recorder, Io& io) {
    recorder.setEnabled(logbookChoice().enabled);
    recorder.setLocation(logbookChoice().location);
    recorder.onFailure = [&io](const Status& why, const QString& pending) {
        io.err << "hvcctl: logbook not written: " << why.text() << "; "
               << (pending.isEmpty() ? QStringLiteral("the entry could not be kept either")
                                     : QStringLiteral("the entry is kept in ") + pending)
               << '\n';
        io.err.flush();
    };
}

namespace {

const QString kUnit = QStringLiteral("unit");
const QString kSince = QStringLiteral("since");
const QString kJson = QStringLiteral("json");

QString wordText(const std::optional<std::int32_t>& w) {
    return w ? QString::number(*w) : QStringLiteral("-");
}

QString unitText(const UnitIdentity& u) {
    return u.known ? QStringLiteral("%1 %2 %3").arg(u.model, u.serial, u.firmware)
                   : QString::fromLatin1(kUnknownUnit) + QStringLiteral(" (") + u.port + u')';
}

int openBook(Logbook& book, const QString& command, Io& io) {
    if (!logbookChoice().enabled) {
        io.err << "hvcctl log: --no-logbook leaves nothing to read\n";
        return Usage;
    }
    if (const Status s = book.open(logbookChoice().location); !s) {
        io.err << "hvcctl log " << command << ": " << s.text() << '\n';
        return Usage;
    }
    (void)flushPending(book);
    return -1;
}

int failed(const Status& s, const QString& command, Io& io) {
    io.err << "hvcctl log " << command << ": " << s.text() << '\n';
    return s.text().startsWith(QLatin1String("no entry")) ? Failed : Usage;
}

int logUnits(const QStringList& args, Io& io) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lists the units in the logbook: model, serial number, firmware, entries and when last "
        "seen (UTC), TAB-separated."));
    if (const int rc = parseCommand(parser, QStringLiteral("log units"), args, io, 0, 0); rc >= 0)
        return rc;
    Logbook book;
    if (const int rc = openBook(book, QStringLiteral("units"), io); rc >= 0)
        return rc;
    QList<LogUnit> units;
    if (const Status s = book.units(units); !s)
        return failed(s, QStringLiteral("units"), io);
    for (const LogUnit& u : units)
        io.out << (u.unit.known ? u.unit.model : QString::fromLatin1(kUnknownUnit)) << '\t'
               << (u.unit.known ? u.unit.serial : u.unit.port) << '\t' << u.unit.firmware << '\t'
               << u.entries << '\t' << u.lastSeen.toString(Qt::ISODate) << '\n';
    return units.isEmpty() ? Failed : Ok;
}

int logList(const QStringList& args, Io& io) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lists the logbook's entries, newest first: id, kind, time (UTC), user, port, outcome, "
        "changed words and the unit, TAB-separated, or as a JSON array with --json."));
    parser.addOptions({
        {kUnit, QStringLiteral("only the unit with this serial number"), QStringLiteral("SERIAL")},
        {kSince,
         QStringLiteral("only entries from this UTC date or time on (2026-12-07 or "
                        "2026-12-07T08:00)"),
         QStringLiteral("DATE")},
        {kJson, QStringLiteral("print a JSON array")},
    });
    if (const int rc = parseCommand(parser, QStringLiteral("log list"), args, io, 0, 0); rc >= 0)
        return rc;
    LogFilter filter;
    filter.serial = parser.value(kUnit);
    if (parser.isSet(kSince)) {
        const QString text = parser.value(kSince);
        filter.since = QDateTime::fromString(text, Qt::ISODate);
        if (!filter.since.isValid())
            filter.since = QDateTime(QDate::fromString(text, Qt::ISODate), QTime(0, 0));
        if (!filter.since.isValid()) {
            io.err << "hvcctl log list: --since takes a date such as 2026-12-07, not '" << text
                   << "'\n";
            return Usage;
        }
        if (filter.since.timeSpec() == Qt::LocalTime)
            filter.since.setTimeSpec(Qt::UTC);
    }
    Logbook book;
    if (const int rc = openBook(book, QStringLiteral("list"), io); rc >= 0)
        return rc;
    QList<LogEntry> entries;
    if (const Status s = book.list(filter, entries); !s)
        return failed(s, QStringLiteral("list"), io);
    if (parser.isSet(kJson)) {
        QJsonArray array;
        for (const LogEntry& e : entries)
            array.append(e.toJson(false));
        io.out << QJsonDocument(array).toJson(QJsonDocument::Indented);
    } else {
        for (const LogEntry& e : entries)
            io.out << e.id << '\t' << e.kind << '\t' << e.time.toString(Qt::ISODate) << '\t'
                   << e.user << '\t' << e.port << '\t' << e.outcome << '\t' << e.changedWords()
                   << '\t' << unitText(e.unit) << '\n';
    }
    return entries.isEmpty() ? Failed : Ok;
}

bool entryId(const QString& text, qint64& id, Io& io) {
    bool ok = false;
    id = text.toLongLong(&ok);
    if (!ok || id < 1)
        io.err << "hvcctl log: an entry is a number from log list, not '" << text << "'\n";
    return ok && id >= 1;
}

void loadMap(Catalogue& cat, const QCommandLineParser& parser) {
    ScriptedPrompter quiet;
    const QString ramlist = parser.isSet(QStringLiteral("ramlist"))
                                ? parser.value(QStringLiteral("ramlist"))
                                : defaultRamlistPath();
    (void)cat.loadCatalogue(ramlist, quiet);
}

int logShow(const QStringList& args, Io& io) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints one entry and its words: variable, address, and the word before, sent and read "
        "back (\"-\" where there is none), with display value and unit where the variable map "
        "gives them."));
    parser.addPositionalArgument(QStringLiteral("ID"), QStringLiteral("entry number"));
    parser.addOption({QStringLiteral("ramlist"),
                      QStringLiteral("variable map (default: the shipped one)"),
                      QStringLiteral("PATH")});
    if (const int rc = parseCommand(parser, QStringLiteral("log show"), args, io, 1, 1); rc >= 0)
        return rc;
    qint64 id = 0;
    if (!entryId(parser.positionalArguments().first(), id, io))
        return Usage;
    Logbook book;
    if (const int rc = openBook(book, QStringLiteral("show"), io); rc >= 0)
        return rc;
    LogEntry e;
    if (const Status s = book.entry(id, e); !s)
        return failed(s, QStringLiteral("show"), io);
    Catalogue cat;
    loadMap(cat, parser);
    io.out << "entry " << e.id << ": " << e.kind << ", " << e.outcome << '\n'
           << "unit: " << unitText(e.unit) << '\n'
           << "time: " << e.time.toString(Qt::ISODateWithMs) << '\n'
           << "user: " << e.user << (e.serviceLogin ? " (service staff)" : "") << '\n'
           << "program: " << e.program << ' ' << e.version << '\n'
           << "port: " << e.port << '\n';
    for (const LogWord& w : e.words)
        io.out << w.name << '\t' << formatAddressText(w.address) << '\t'
               << loggedValueText(cat, w, w.before) << " -> " << loggedValueText(cat, w, w.sent)
               << " -> " << loggedValueText(cat, w, w.readBack) << '\n';
    return Ok;
}

int logDiff(const QStringList& args, Io& io) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lists the words that differ between the images of two entries (the words read, or "
        "written and read back): variable, address, first, second (\"-\": not in that entry). "
        "Exit 0 when equal, 1 when they differ."));
    parser.addPositionalArgument(QStringLiteral("ID1"), QStringLiteral("entry number"));
    parser.addPositionalArgument(QStringLiteral("ID2"), QStringLiteral("entry number"));
    if (const int rc = parseCommand(parser, QStringLiteral("log diff"), args, io, 2, 2); rc >= 0)
        return rc;
    qint64 id1 = 0;
    qint64 id2 = 0;
    if (!entryId(parser.positionalArguments().at(0), id1, io) ||
        !entryId(parser.positionalArguments().at(1), id2, io))
        return Usage;
    Logbook book;
    if (const int rc = openBook(book, QStringLiteral("diff"), io); rc >= 0)
        return rc;
    LogEntry a;
    LogEntry b;
    if (Status s = book.entry(id1, a); !s || !(s = book.entry(id2, b)))
        return failed(s, QStringLiteral("diff"), io);
    QMap<std::int32_t, std::pair<QString, std::optional<std::int32_t>>> first;
    for (const LogWord& w : a.words)
        first.insert(w.address, {w.name, w.image()});
    int differ = 0;
    const auto line = [&](const QString& name, std::int32_t address,
                          const std::optional<std::int32_t>& x,
                          const std::optional<std::int32_t>& y) {
        if (x && y && ((*x ^ *y) & 0xFFFF) == 0)
            return;
        ++differ;
        io.out << name << '\t' << formatAddressText(address) << '\t' << wordText(x) << '\t'
               << wordText(y) << '\n';
    };
    QSet<std::int32_t> inSecond;
    for (const LogWord& w : b.words) {
        inSecond.insert(w.address);
        const auto it = first.constFind(w.address);
        line(w.name, w.address, it == first.cend() ? std::nullopt : it->second, w.image());
    }
    for (auto it = first.cbegin(); it != first.cend(); ++it)
        if (!inSecond.contains(it.key()))
            line(it->first, it.key(), it->second, std::nullopt);
    return differ == 0 ? Ok : Failed;
}

int logReport(const QStringList& args, Io& io) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the service report of the visit around an entry as an A4 PDF: the unit, who "
        "and when, each changed variable from its first value to its last in display units, "
        "and the outcome of every transfer. A visit is the unit's entries by the entry's user "
        "with no more than two hours between one and the next."));
    parser.addPositionalArgument(QStringLiteral("ID"), QStringLiteral("entry number"));
    parser.addOptions({
        {{QStringLiteral("o"), QStringLiteral("output")},
         QStringLiteral("the PDF file to write"),
         QStringLiteral("FILE.pdf")},
        {QStringLiteral("ramlist"), QStringLiteral("variable map (default: the shipped one)"),
         QStringLiteral("PATH")},
    });
    if (const int rc = parseCommand(parser, QStringLiteral("log report"), args, io, 1, 1); rc >= 0)
        return rc;
    qint64 id = 0;
    if (!entryId(parser.positionalArguments().first(), id, io))
        return Usage;
    const QString pdf = parser.value(QStringLiteral("output"));
    if (pdf.isEmpty()) {
        io.err << "hvcctl log report: -o FILE.pdf names the report to write\n";
        return Usage;
    }
    Logbook book;
    if (const int rc = openBook(book, QStringLiteral("report"), io); rc >= 0)
        return rc;
    ServiceVisit visit;
    if (const Status s = visitOf(book, id, visit); !s)
        return failed(s, QStringLiteral("report"), io);
    Catalogue cat;
    loadMap(cat, parser);
    if (const Status s = writeServiceReport(visit, cat, pdf); !s) {
        io.err << "hvcctl log report: " << s.text() << '\n';
        return Usage;
    }
    return Ok;
}

int cmdLog(const QStringList& args, Io& io) {
    const QString sub = args.value(0);
    if (sub == QLatin1String("units"))
        return logUnits(args.mid(1), io);
    if (sub == QLatin1String("list"))
        return logList(args.mid(1), io);
    if (sub == QLatin1String("show"))
        return logShow(args.mid(1), io);
    if (sub == QLatin1String("diff"))
        return logDiff(args.mid(1), io);
    if (sub == QLatin1String("report"))
        return logReport(args.mid(1), io);
    (sub == QLatin1String("--help") ? io.out : io.err)
        << "Usage: hvcctl log units | list [--unit SERIAL] [--since DATE] [--json] | show ID | "
           "diff ID1 ID2 | report ID -o FILE.pdf\n"
           "The logbook (--logbook LOCATION, default "
        << Logbook::defaultLocation() << ") keeps every read and write of each unit.\n";
    return sub == QLatin1String("--help") ? Ok : Usage;
}

} // namespace

bool needsGuiApplication(const QStringList& args) {
    QStringList words;
    for (qsizetype i = 0; i < args.size() && words.size() < 2; ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--logbook"))
            ++i; // its location
        else if (a != QLatin1String("--no-logbook") && !a.startsWith(QLatin1String("--logbook=")))
            words.append(a);
    }
    return words == QStringList{QStringLiteral("log"), QStringLiteral("report")};
}

QList<Command> logCommands() {
    return {{"log",
             "the logbook of reads and writes: units, list, show ID, diff ID1 ID2, report ID",
             cmdLog}};
}

} // namespace hvc::cli
