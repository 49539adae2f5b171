#include "core/unitlog.h"

#include "core/appstate.h"
#include "core/hvcids.h"
#include "core/transfer.h"

#include <pwd.h>
#include <unistd.h>

namespace hvc {

QString osUserName() {
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

QString sessionPortText(const AppState& state) {
    if (!state.session.portName.isEmpty())
        return state.session.portName;
    return QStringLiteral("COM %1").arg(state.session.comPort);
}

UnitIdentity identitySeen(const AppState& state) {
    if (state.session.unit.known)
        return state.session.unit;
    const Catalogue& cat = state.document.catalogue;
    for (HvcId which : {HvcId::HVC_SERIAL_NUMBER, HvcId::HVC_PROG_VERS, HvcId::HVC_NUM_PROP_REG}) {
        const UnitVariable* r = cat.find(which);
        if (!r || !state.document.unitWords.word(r->address))
            return unknownUnit(sessionPortText(state));
    }
    return identityFromCatalogue(cat);
}

QString loggedValueText(const Catalogue& catalogue, const LogWord& word,
                        const std::optional<std::int32_t>& value) {
    if (!value)
        return QStringLiteral("-");
    QString text = QString::number(*value);
    const std::optional<ShownWord> s = shownWord(catalogue, word.name, word.address, *value);
    if (s && (!s->unit.isEmpty() || s->value != *value))
        text += QStringLiteral(" (%1%2)").arg(s->value).arg(s->unit.isEmpty() ? QString()
                                                                              : u' ' + s->unit);
    return text;
}

void recordTransfer(AppState& state, LogEntry& entry) {
    TransferLog* log = state.observers.transferLog;
    if (!log)
        return;
    entry.port = sessionPortText(state);
    entry.serviceLogin = state.session.loggedIn;
    if (!entry.unit.known && entry.unit.port.isEmpty())
        entry.unit = identitySeen(state);
    if (!entry.unit.known)
        entry.unit.port = entry.port;
    log->record(entry);
}

LogEntry imageEntry(AppState& state, std::uint16_t readMask, const QString& kind) {
    const Catalogue& cat = state.document.catalogue;
    LogEntry entry;
    entry.kind = kind;
    entry.outcome = QStringLiteral("ok");
    for (int i = 1; i <= cat.varCount(); ++i) {
        const UnitVariable& r = cat[i];
        if ((r.pageMask & readMask) == 0 || !inSectionLimit(state, r))
            continue;
        // The unit's own word, also where the read put a default in its place.
        if (state.document.unitWords.word(r.address))
            entry.words.append({r.name, r.address, std::nullopt, std::nullopt,
                                r.replacedUnitWord.value_or(r.unitWord)});
    }
    return entry;
}

Status writeRecorded(AppState& state, std::uint16_t mask, const WriteChoice& choice, bool verify,
                     const QString& kind, ReviewedWrite& out) {
    const Catalogue& cat = state.document.catalogue;
    QMap<int, std::optional<std::int32_t>> before;
    int toWrite = 0;
    for (int i = 1; i <= cat.varCount(); ++i) {
        if (!isWrittenBy(cat[i], mask))
            continue;
        before.insert(i, state.document.unitWords.word(cat[i].address));
        if (choice.kind == WriteChoice::Kind::WholeImage && inSectionLimit(state, cat[i]))
            ++toWrite;
    }
    if (choice.kind == WriteChoice::Kind::Rows)
        toWrite = static_cast<int>(choice.positions.size());
    // The identity as it stood before the write: a write may change the section count.
    LogEntry entry;
    entry.unit = identitySeen(state);
    Status status = writeReviewed(state, mask, choice, verify, out);
    if (choice.kind == WriteChoice::Kind::Cancel)
        return status;
    entry.kind = kind;
    QMap<int, std::int32_t> differ;
    for (const VerifyMismatch& m : out.mismatches)
        differ.insert(m.position, m.unitWord);
    for (int p : out.report.positions) {
        const UnitVariable& r = cat[p];
        std::optional<std::int32_t> readBack;
        if (out.verified)
            readBack = differ.value(p, r.workingWord);
        entry.words.append({r.name, r.address, before.value(p), r.workingWord, readBack});
    }
    if (!status)
        entry.outcome = QStringLiteral("failed after %1 of %2 words: %3 %4")
                            .arg(out.report.written)
                            .arg(toWrite)
                            .arg(status.text(), status.detail())
                            .trimmed();
    else if (!differ.isEmpty() || !out.notWritten.isEmpty())
        entry.outcome = QStringLiteral("differs");
    else
        entry.outcome = verify ? QStringLiteral("ok") : QStringLiteral("ok, not read back");
    recordTransfer(state, entry);
    return status;
}

Status loadDefaultsRecorded(AppState& state) {
    LogEntry entry;
    entry.kind = QStringLiteral("defaults");
    entry.unit = identitySeen(state);
    Status status = loadDefaults(state);
    entry.outcome =
        status ? QStringLiteral("ok")
               : (QStringLiteral("failed: ") + status.text() + u' ' + status.detail()).trimmed();
    recordTransfer(state, entry);
    return status;
}

} // namespace hvc
