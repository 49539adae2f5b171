#include "core/transfer.h"

#include "core/progressmath.h"
#include "core/prompter.h"
#include "core/unitlink.h"

#include <algorithm>

namespace hvc {

namespace {

void refreshShownPage(AppState& state) {
    if (state.observers.refreshShownPage)
        state.observers.refreshShownPage();
}

// The guarded link procedures report success without sending anything while the
// link is closed. A whole-image transfer on a closed link would then take stale
// words for the unit's values (and report success), so it fails instead.
Status requireOpenLink(const AppState& state) {
    if (state.session.link != nullptr && state.session.link->isLinkOpen())
        return {};
    return Status::linkFailure(QStringLiteral("port closed"));
}

bool outOfRange(const UnitVariable& r) {
    return r.unitWord > r.maxValue || r.unitWord < r.minValue;
}

QString recordContext(const char* verb, const UnitVariable& r) {
    return QString::fromLatin1(verb) + u' ' + r.name + QStringLiteral(" (") + r.addressText() +
           u')';
}

} // namespace

void progressStep(AppState& state, const QString& text, int& counter, int total) {
    state.session.setConnectState(ConnectState::Transfer);
    ++counter;
    state.observers.progress.report(text, percentAt(counter, total));
}

bool inSectionLimit(AppState& state, const UnitVariable& record) {
    return record.section < state.document.catalogue.var(HvcId::HVC_NUM_PROP_REG).unitWord;
}

void countPageVarNum(AppState& state) {
    for (auto& p : state.document.pages)
        p.pageVarNum = 0;
    const Catalogue& cat = state.document.catalogue;
    for (int i = 1; i <= cat.varCount(); ++i) {
        for (auto& p : state.document.pages) {
            if (p.readKey != 0 && (p.readKey & cat[i].pageMask) == p.readKey)
                ++p.pageVarNum;
        }
    }
}

std::uint16_t readKeyAll(const AppState& state) {
    std::uint16_t key = 0;
    for (const auto& p : state.document.pages)
        key |= p.readKey;
    return key;
}

std::uint16_t writeKeyAll(const AppState& state) {
    std::uint16_t key = 0;
    for (const auto& p : state.document.pages)
        key |= p.writeKey;
    return key;
}

std::int16_t countPageVars(const AppState& state, std::uint16_t mask) {
    int sum = 0;
    for (const auto& p : state.document.pages)
        if (p.readKey != 0 && (p.readKey & mask) == p.readKey)
            sum += p.pageVarNum;
    return static_cast<std::int16_t>(sum);
}

bool isWrittenBy(const UnitVariable& record, std::uint16_t mask) {
    return (record.pageMask & 1) != 0 && (record.pageMask & mask) == record.pageMask;
}

namespace {

// The section limit is read when each variable is considered: the records up to
// the section word go with the count the unit held before, those after it with
// the count just read. So a whole-image transfer goes in these two parts, each
// part one word list for the link (which sends it in as few frames as it can),
// and the results are taken record by record in catalogue order.
QList<int> transferParts(const Catalogue& cat) {
    const int sectionPos = cat.idIndex(HvcId::HVC_NUM_PROP_REG);
    if (sectionPos >= 1 && sectionPos < cat.varCount())
        return {sectionPos, cat.varCount()};
    return {cat.varCount()};
}

} // namespace

Status readImage(AppState& state, std::uint16_t mask) {
    if (mask == 0)
        return {};
    if (Status open = requireOpenLink(state); !open)
        return open;
    const int total = countPageVars(state, mask);
    int counter = 0;
    QString sectionFault;
    Catalogue& cat = state.document.catalogue;
    const int sectionPos = cat.idIndex(HvcId::HVC_NUM_PROP_REG);
    int from = 1;
    for (const int upTo : transferParts(cat)) {
        QList<std::int32_t> addresses;
        for (int i = from; i <= upTo; ++i)
            if ((cat[i].pageMask & mask) != 0 && inSectionLimit(state, cat[i]))
                addresses.append(cat[i].address);
        QList<std::int32_t> values;
        Status status = state.session.link->readE2Words(addresses, values);
        if (status && values.size() < addresses.size())
            status = Status::linkFailure(QStringLiteral("words missing in the reply"));
        int k = 0;
        for (int i = from; i <= upTo; ++i) {
            UnitVariable& r = cat[i];
            if ((r.pageMask & mask) == 0)
                continue;
            if (k < addresses.size() && addresses[k] == r.address && inSectionLimit(state, r)) {
                if (k >= values.size())
                    return status.prefixed(recordContext("reading", r));
                const std::int32_t value = values[k++];
                r.takeUnitWord(value);
                state.document.unitWords.seen(r.address, value);
                if (i == sectionPos)
                    sectionFault = rangeCheckOne(state, i);
            }
            progressStep(state, QStringLiteral("Reading..."), counter, total);
        }
        from = upTo + 1;
    }
    const QString report = rangeCheck(state, mask) + sectionFault;
    if (!report.isEmpty())
        state.observers.prompter().informDetailed(report,
                                                  replacedWordNotes(cat, mask, true).join(u'\n'));
    refreshShownPage(state);
    return {};
}

QString rangeCheck(AppState& state, std::uint16_t mask) {
    QString list;
    Catalogue& cat = state.document.catalogue;
    for (int i = 1; i <= cat.varCount(); ++i) {
        UnitVariable& r = cat[i];
        if ((r.pageMask & mask) == 0 || !inSectionLimit(state, r) || !outOfRange(r))
            continue;
        if (r.maxValue != 65535)
            list += QStringLiteral(" - ") + r.name + u'\r';
        const std::int32_t held = r.unitWord;
        r.takeUnitWord(r.defaultValue);
        r.replacedUnitWord = held;
    }
    if (list.isEmpty())
        return {};
    return QString::fromLatin1(kReadFault) + u'\r' + list;
}

QString rangeCheckOne(AppState& state, int position) {
    UnitVariable* r = state.document.catalogue.varTable(position);
    if (r == nullptr || !outOfRange(*r))
        return {};
    const std::int32_t held = r->unitWord;
    r->takeUnitWord(r->defaultValue);
    r->replacedUnitWord = held;
    return QStringLiteral(" - ") + r->name + u'\r';
}

QString replacedWordNote(const UnitVariable& record, bool defaultShown) {
    if (!record.replacedUnitWord)
        return {};
    QString note = QStringLiteral("%1: the unit holds %2, outside %3..%4")
                       .arg(record.name)
                       .arg(*record.replacedUnitWord)
                       .arg(record.minValue)
                       .arg(record.maxValue);
    if (defaultShown)
        note += QStringLiteral("; the default %1 is shown in its place").arg(record.defaultValue);
    return note;
}

QStringList replacedWordNotes(const Catalogue& catalogue, std::uint16_t mask, bool defaultShown) {
    QStringList notes;
    for (int i = 1; i <= catalogue.varCount(); ++i)
        if ((catalogue[i].pageMask & mask) != 0 && catalogue[i].replacedUnitWord)
            notes << replacedWordNote(catalogue[i], defaultShown);
    return notes;
}

Status writeImage(AppState& state, std::uint16_t mask, WriteReport* report, const QSet<int>* only) {
    if (mask == 0)
        return {};
    if (Status open = requireOpenLink(state); !open)
        return open;
    const int total = countPageVars(state, mask);
    int counter = 0;
    Catalogue& cat = state.document.catalogue;
    const auto sent = [&](int i) {
        return isWrittenBy(cat[i], mask) && inSectionLimit(state, cat[i]) &&
               (only == nullptr || only->contains(i));
    };
    int from = 1;
    for (const int upTo : transferParts(cat)) {
        // In catalogue order, as the unit is to take them.
        QList<int> positions;
        QList<std::int32_t> addresses, values;
        for (int i = from; i <= upTo; ++i) {
            if (sent(i)) {
                positions.append(i);
                addresses.append(cat[i].address);
                values.append(cat[i].workingWord);
            }
        }
        int written = 0;
        Status failure = state.session.link->writeE2Words(addresses, values, written);
        if (failure && written < positions.size())
            failure = Status::linkFailure(QStringLiteral("words not acknowledged"));
        int k = 0;
        for (int i = from; i <= upTo; ++i) {
            UnitVariable& r = cat[i];
            if (!isWrittenBy(r, mask))
                continue;
            Status status;
            if (k < positions.size() && positions[k] == i) {
                if (k < written) {
                    r.markWordWritten();
                    state.document.unitWords.seen(r.address, r.workingWord);
                    if (report) {
                        ++report->written;
                        report->lastPosition = i;
                        report->positions.append(i);
                    }
                } else {
                    status = failure;
                }
                ++k;
            }
            progressStep(state, QStringLiteral("Writing..."), counter, total);
            if (!status)
                return status.prefixed(recordContext("writing", r));
        }
        from = upTo + 1;
    }
    state.observers.progress.report(QStringLiteral("Writing..."), 100);
    refreshShownPage(state);
    return {};
}

Status loadDefaults(AppState& state) {
    if (state.session.link == nullptr)
        return Status::linkFailure(QStringLiteral("no device link"));
    return state.session.link->sendCommand(kDefaultsCode, QString::fromLatin1(kDefaultsText))
        .prefixed(QStringLiteral("load-defaults command"));
}

Status checkUnitIdentity(AppState& state, bool& resetPending) {
    if (Status open = requireOpenLink(state); !open)
        return open;
    Progress& progress = state.observers.progress;
    progress.setText(QStringLiteral("Reading..."));
    progress.setPercent(0);
    bool matches = true;
    // The five words in one list; the progress still moves a fifth per word.
    QList<std::int32_t> values;
    const Status status = state.session.link->readE2Words(
        QList<std::int32_t>(std::begin(kIdentityAddresses), std::end(kIdentityAddresses)), values);
    for (int w = 0; w < 5; ++w) {
        if (w >= values.size())
            return (status ? Status::linkFailure(QStringLiteral("words missing in the reply"))
                           : status)
                .prefixed(QStringLiteral("reading the unit's identity"));
        matches = matches && values[w] == kResetWords[w];
        progress.report(progress.text(), progress.percent() + 20);
    }
    resetPending = matches;
    return {};
}

} // namespace hvc
