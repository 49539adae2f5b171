// hvcctl diag: the unit's active errors with the diagnostic page's texts, once or
// as they come and go.

#include "cli/cli.h"
#include "cli/commandsession.h"
#include "core/activeerrorlist.h"
#include "core/diagnosticlist.h"
#include "core/diagnosticrows.h"
#include "core/errorhistory.h"
#include "core/unitcommands.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <array>
#include <csignal>
#include <ctime>
#include <pthread.h>

namespace hvc::cli {

namespace {

const QString kWatch = QStringLiteral("watch");
const QString kInterval = QStringLiteral("interval");
const QString kDiagList = QStringLiteral("diaglist");
constexpr int kDefaultIntervalMs = 1000;
constexpr int kMaxIntervalMs = 3600 * 1000;

using Words = std::array<std::int32_t, kDiagnosticBoundRows>;

// SIGINT and SIGTERM are held back while --watch runs and taken between passes,
// so Ctrl-C never cuts an exchange or a line of output in half.
class StopSignals {
public:
    StopSignals() {
        sigemptyset(&m_set);
        sigaddset(&m_set, SIGINT);
        sigaddset(&m_set, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &m_set, &m_previous);
    }
    ~StopSignals() {
        // A signal still pending is taken here rather than delivered on unblocking.
        timespec none{};
        while (sigtimedwait(&m_set, nullptr, &none) > 0) {
        }
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Waits up to `ms`; true when a stop signal came.
    bool waitFor(int ms) {
        timespec wait{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
        return sigtimedwait(&m_set, nullptr, &wait) > 0;
    }

private:
    sigset_t m_set{};
    sigset_t m_previous{};
};

class DiagRun {
public:
    DiagRun(CommandSession& session, const DiagnosticList& messages, Io& io)
        : m_s(session), m_list(messages), m_io(io) {}

    // The records of the bound rows; false (with the message) when the map lacks one.
    bool bind() {
        for (int row = 0; row < kDiagnosticBoundRows; ++row) {
            const HvcId id = kDiagnosticRowVars[static_cast<size_t>(row)];
            m_records[static_cast<size_t>(row)] = m_s.state.document.catalogue.find(id);
            if (m_records[static_cast<size_t>(row)] == nullptr) {
                m_io.err << "hvcctl diag: the variable map has no " << Catalogue::idName(id)
                         << ", which diagnostic row " << row << " shows\n";
                return false;
            }
        }
        return true;
    }

    // One pass: every bound word, in row order, as the diagnostic page reads them.
    Status pass(Words& words) {
        for (int row = 0; row < kDiagnosticBoundRows; ++row) {
            const auto at = static_cast<size_t>(row);
            if (Status status = readErrorWord(*m_s.state.session.link, *m_records[at], words[at]);
                !status)
                return status;
        }
        return {};
    }

    // Feeds a pass to the list; returns the changes in the order the rows report them.
    QList<ActiveErrorChange> update(const Words& words) {
        QList<ActiveErrorChange> changes;
        for (int row = 0; row < kDiagnosticBoundRows; ++row) {
            const auto at = static_cast<size_t>(row);
            changes += m_list.valueChanged(row, words[at], words[at] ^ m_previous[at]);
        }
        m_previous = words;
        return changes;
    }

    const ActiveErrorList& list() const { return m_list; }

private:
    CommandSession& m_s;
    ActiveErrorList m_list;
    Io& m_io;
    std::array<const UnitVariable*, kDiagnosticBoundRows> m_records{};
    Words m_previous{};
};

QString line(const QString& text, const QString& errorId, const QString& description) {
    return text + u'\t' + errorId + u'\t' + description;
}

int failed(CommandSession& s, const Status& status) {
    s.progress.finish();
    s.state.session.setConnectState(ConnectState::NotConnected);
    UnitCommands::reportFailure(s.prompter, status);
    return Failed;
}

int once(CommandSession& s, DiagRun& run, Io& io) {
    Words words{};
    if (const Status status = run.pass(words); !status)
        return failed(s, status);
    run.update(words);
    for (const ActiveErrorItem& item : run.list().items())
        io.out << line(item.text, item.errorId, item.description) << '\n';
    if (run.list().isEmpty())
        io.out << "no active errors\n";
    return run.list().isEmpty() ? Ok : Failed;
}

int watch(CommandSession& s, DiagRun& run, Io& io, int intervalMs) {
    StopSignals signals;
    const auto print = [&io](const char* what, const QString& text) {
        io.out << ErrorHistory::formatTime(QDateTime::currentDateTime()) << '\t' << what << '\t'
               << text << '\n';
    };
    bool first = true;
    bool any = false;
    do {
        Words words{};
        if (const Status status = run.pass(words); !status) {
            io.out.flush();
            return failed(s, status);
        }
        for (const ActiveErrorChange& c : run.update(words)) {
            const bool added = c.kind == ActiveErrorChange::Kind::Added;
            print(added ? (first ? "active" : "came") : "went",
                  line(c.item.text, c.item.errorId, c.item.description));
        }
        any = !run.list().isEmpty();
        first = false;
        io.out.flush();
    } while (!signals.waitFor(intervalMs));
    return any ? Failed : Ok;
}

int cmdDiag(const QStringList& args, Io& io) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads the unit's error words as the diagnostic page does and prints the active "
        "errors, one a line: key and bit weight, error identifier and description, "
        "TAB-separated. Every set bit of the 16-bit words is an error except the ready bit "
        "(bit 6 of HVC_ERROR_CODE); one the message file has no key for is listed as the "
        "word's identifier and the bit's weight. Exit code 0 when none is active, 1 when any "
        "is (or the unit failed).\n"
        "With --watch it reads them again every --interval and prints a line whenever an error "
        "comes or goes (time, active/came/went, key, identifier, description) until Ctrl-C."));
    addUnitOptions(parser);
    parser.addOptions({
        {kWatch, QStringLiteral("keep reading and print each error as it comes and goes")},
        {kInterval,
         QStringLiteral("pause between two passes of --watch (default %1)").arg(kDefaultIntervalMs),
         QStringLiteral("MS")},
        {kDiagList, QStringLiteral("message file (default: the shipped DiagnosticList.ini)"),
         QStringLiteral("PATH")},
    });
    if (const int rc = parseCommand(parser, QStringLiteral("diag"), args, io, 0, 0); rc >= 0)
        return rc;
    int intervalMs = kDefaultIntervalMs;
    if (parser.isSet(kInterval)) {
        bool ok = false;
        intervalMs = parser.value(kInterval).toInt(&ok);
        if (!ok || intervalMs < 0 || intervalMs > kMaxIntervalMs) {
            io.err << "hvcctl diag: --interval takes milliseconds from 0 to " << kMaxIntervalMs
                   << ", not '" << parser.value(kInterval) << "'\n";
            return Usage;
        }
    }

    CommandSession s;
    s.prompter.err = &io.err;
    DiagnosticList messages;
    const QString diagList =
        parser.isSet(kDiagList)
            ? parser.value(kDiagList)
            : QDir(resourceDir()).filePath(QStringLiteral("ini/DiagnosticList.ini"));
    if (!messages.loadDiagnosticList(diagList, s.prompter))
        return Usage;
    if (const int rc = connectUnit(s, parser, io); rc >= 0)
        return rc;
    DiagRun run(s, messages, io);
    if (!run.bind())
        return Usage;
    s.state.session.setConnectState(ConnectState::DiagnosticPolling);
    const int rc = parser.isSet(kWatch) ? watch(s, run, io, intervalMs) : once(s, run, io);
    if (s.state.session.connectState() == ConnectState::DiagnosticPolling)
        s.state.session.setConnectState(ConnectState::Connected);
    return rc;
}

} // namespace

QList<Command> diagCommands() {
    return {
        {"diag", "the unit's active errors with their texts (--watch: as they come and go)",
         cmdDiag},
    };
}

} // namespace hvc::cli
