// hvcctl restore: brings a unit back to a version its logbook keeps, through the
// same table and read-back as write-all. The write's report is shared with it.

#include "cli/cli.h"
#include "cli/commandsession.h"
#include "core/logbook.h"
#include "core/transfer.h"
#include "core/unitcommands.h"
#include "core/unitlog.h"
#include "core/writereview.h"

#include <QCommandLineParser>

namespace hvc::cli {

int reportReviewedWrite(AppState& state, const ReviewedWrite& done, const Status& status,
                        int toWrite, const QString& command, Io& io) {
    const Catalogue& cat = state.document.catalogue;
    const QString prefix = QStringLiteral("hvcctl ") + command + QStringLiteral(": ");
    if (!status) {
        state.session.setConnectState(ConnectState::NotConnected);
        io.err.flush();
        UnitCommands::reportFailure(state.observers.prompter(), status);
        const int written = done.report.written;
        if (written == 0) {
            io.err << prefix << "nothing was written; the unit keeps its values\n";
        } else if (!done.verified && written < toWrite) {
            const UnitVariable& last = cat[done.report.lastPosition];
            io.err << prefix << written << " of " << toWrite
                   << " variables were written, the last one " << last.name << " ("
                   << last.addressText()
                   << "); the unit now holds a mix of old and new values: write the file again\n";
        } else {
            io.err << prefix << written
                   << " variables were written but could not all be read back\n";
        }
        return Failed;
    }
    for (const VerifyMismatch& m : done.mismatches) {
        const UnitVariable& r = cat[m.position];
        io.out << r.name << '\t' << r.addressText() << '\t' << m.written << '\t' << m.unitWord
               << '\n';
    }
    for (int p : done.notWritten)
        io.err << prefix << cat[p].name
               << ": not written, its section is not configured in the unit\n";
    state.session.setConnectState(ConnectState::Connected);
    return -1;
}

namespace {

int cmdRestore(const QStringList& args, Io& io) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Brings the unit back to the version of a logbook entry (its image as of that entry, see "
        "hvcctl log list): writes the variables where the unit differs from it, reads them back "
        "and lists every variable that differs (name, address, written, read), as write-all does. "
        "The entry must be of this very unit. --dry-run prints what differs (variable, address, "
        "unit word, new word, unit value, new value) and writes nothing. The restore is recorded "
        "in the logbook."));
    parser.addPositionalArgument(QStringLiteral("ID"), QStringLiteral("logbook entry number"));
    addUnitOptions(parser);
    parser.addOption({QStringLiteral("dry-run"),
                      QStringLiteral("print the variables that would change and write nothing")});
    if (const int rc = parseCommand(parser, QStringLiteral("restore"), args, io, 1, 1); rc >= 0)
        return rc;
    bool ok = false;
    const qint64 id = parser.positionalArguments().first().toLongLong(&ok);
    if (!ok || id < 1) {
        io.err << "hvcctl restore: an entry is a number from log list, not '"
               << parser.positionalArguments().first() << "'\n";
        return Usage;
    }
    if (!logbookChoice().enabled) {
        io.err << "hvcctl restore: --no-logbook leaves no version to restore\n";
        return Usage;
    }
    QMap<std::int32_t, std::int32_t> image;
    LogEntry at;
    {
        Logbook book;
        Status s = book.open(logbookChoice().location);
        if (s)
            s = book.imageAt(id, image, at);
        if (!s) {
            io.err << "hvcctl restore: " << s.text() << '\n';
            return s.text().startsWith(QLatin1String("no entry")) ? Failed : Usage;
        }
    }

    CommandSession session;
    if (const int rc = connectUnit(session, parser, io); rc >= 0)
        return rc;
    session.recorder.prepare();
    AppState& state = session.state;
    int substitute = 0;
    if (const Status status =
            readUnitImage(session, readKeyAll(state), QStringLiteral("restore"), io, substitute);
        !status) {
        session.progress.finish();
        state.session.setConnectState(ConnectState::NotConnected);
        UnitCommands::reportFailure(state.observers.prompter(), status);
        return Failed;
    }
    const UnitIdentity unit = identitySeen(state);
    if (!at.unit.known || unit.key() != at.unit.key()) {
        session.progress.finish();
        io.err << "hvcctl restore: entry " << id << " is of " << at.unit.text() << ", the unit on "
               << parser.value(QStringLiteral("port")) << " is " << unit.text()
               << "; nothing written\n";
        return Usage;
    }
    const QList<ReviewRow> rows = versionDifferences(state, image);
    if (parser.isSet(QStringLiteral("dry-run")) || rows.isEmpty()) {
        session.progress.finish();
        for (const QString& line : reviewTable(state.document.catalogue, rows))
            io.out << line << '\n';
        io.err << "hvcctl restore: " << (rows.isEmpty() ? "" : "dry run, nothing written; ")
               << rows.size() << " variables differ from the version of entry " << id << '\n';
        return Ok;
    }
    QList<int> positions;
    for (const ReviewRow& row : rows)
        positions.append(row.position);
    loadChosenRows(state, rows, positions);
    ReviewedWrite done;
    const Status status = writeRecorded(state, writeKeyAll(state), WriteChoice::rows(positions),
                                        true, QStringLiteral("restore"), done);
    session.progress.finish();
    if (const int rc = reportReviewedWrite(state, done, status, static_cast<int>(positions.size()),
                                           QStringLiteral("restore"), io);
        rc >= 0)
        return rc;
    io.err << "hvcctl restore: " << done.report.written << " variables written from entry " << id
           << ", " << done.mismatches.size() << " differ when read back\n";
    return done.mismatches.isEmpty() && done.notWritten.isEmpty() ? Ok : Failed;
}

} // namespace

QList<Command> restoreCommands() {
    return {{"restore", "bring the unit back to a version its logbook keeps", cmdRestore}};
}

} // namespace hvc::cli
