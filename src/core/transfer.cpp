#include "core/transfer.h"

#include "core/prompter.h"
#include "core/unitlink.h"

#include <algorithm>

namespace hvc {

namespace {

void progressStep(AppState& state, const QString& text, int& counter, int total) {
    state.setIsConnectObj(Transfer);
    state.StatusText = text;
    ++counter;
    // counter x 100 / total to the nearest integer, an exact half to the even one;
    // 100 when there is no total.
    int percent = 100;
    if (total > 0) {
        const int scaled = counter * 100;
        int q = scaled / total;
        const int twiceRest = 2 * (scaled % total);
        if (twiceRest > total || (twiceRest == total && q % 2 == 1))
            ++q;
        percent = std::min(100, q);
    }
    state.ProgressPercent = percent;
    if (state.progress)
        state.progress->onProgress(state.StatusText, state.ProgressPercent);
}

void refreshShownPage(AppState& state) {
    if (state.refreshShownPage)
        state.refreshShownPage();
}

// The guarded link procedures report success without sending anything while the
// link is closed. A whole-image transfer on a closed link would then take stale
// words for the unit's values (and report success), so it fails instead.
bool linkOpen(const AppState& state) {
    return state.link != nullptr && state.link->LinkState() == QLatin1String("Open");
}

bool outOfRange(const CVarData& r) {
    return r.E2InECU > r.MaxValue || r.E2InECU < r.MinValue;
}

} // namespace

bool InSectionLimit(AppState& state, const CVarData& record) {
    return record.Section < state.catalogue.Var(HvcId::HVC_NUM_PROP_REG).E2InECU;
}

void CountPageVarNum(AppState& state) {
    for (auto& p : state.pages)
        p.PageVarNum = 0;
    const Catalogue& cat = state.catalogue;
    for (int i = 1; i <= cat.VarCount(); ++i) {
        for (auto& p : state.pages) {
            if (p.ReadKey != 0 && (p.ReadKey & cat[i].PageMask) == p.ReadKey)
                ++p.PageVarNum;
        }
    }
}

std::uint16_t ReadKeyAll(const AppState& state) {
    std::uint16_t key = 0;
    for (const auto& p : state.pages)
        key |= p.ReadKey;
    return key;
}

std::int16_t CountPageVars(const AppState& state, std::uint16_t mask) {
    int sum = 0;
    for (const auto& p : state.pages)
        if (p.ReadKey != 0 && (p.ReadKey & mask) == p.ReadKey)
            sum += p.PageVarNum;
    return static_cast<std::int16_t>(sum);
}

QString ReadAll(AppState& state, std::uint16_t mask) {
    if (mask == 0)
        return {};
    if (!linkOpen(state))
        return QString::fromLatin1(kFailed);
    const int total = CountPageVars(state, mask);
    int counter = 0;
    QString sectionFault;
    Catalogue& cat = state.catalogue;
    const int sectionPos = cat.IdIndex(HvcId::HVC_NUM_PROP_REG);
    for (int i = 1; i <= cat.VarCount(); ++i) {
        CVarData& r = cat[i];
        if ((r.PageMask & mask) == 0)
            continue;
        if (InSectionLimit(state, r)) {
            std::int32_t value = 0;
            const QString status = state.link->ReadE2(r.Address, value);
            if (!status.isEmpty())
                return status;
            r.ReadE2FromECU(value);
            if (i == sectionPos)
                sectionFault = RangeCheckOne(state, i);
        }
        progressStep(state, QStringLiteral("Reading..."), counter, total);
    }
    const QString report = RangeCheck(state, mask) + sectionFault;
    if (!report.isEmpty() && state.prompter)
        state.prompter->inform(report);
    refreshShownPage(state);
    return {};
}

QString RangeCheck(AppState& state, std::uint16_t mask) {
    QString list;
    Catalogue& cat = state.catalogue;
    for (int i = 1; i <= cat.VarCount(); ++i) {
        CVarData& r = cat[i];
        if ((r.PageMask & mask) == 0 || !InSectionLimit(state, r) || !outOfRange(r))
            continue;
        if (r.MaxValue != 65535)
            list += QStringLiteral(" - ") + r.Name + u'\r';
        r.ReadE2FromECU(r.DefaultValue);
    }
    if (list.isEmpty())
        return {};
    return QString::fromLatin1(kReadFault) + u'\r' + list;
}

QString RangeCheckOne(AppState& state, int position) {
    CVarData* r = state.catalogue.VarTable(position);
    if (r == nullptr || !outOfRange(*r))
        return {};
    r->ReadE2FromECU(r->DefaultValue);
    return QStringLiteral(" - ") + r->Name + u'\r';
}

QString WriteAll(AppState& state, std::uint16_t mask) {
    if (mask == 0)
        return {};
    if (!linkOpen(state))
        return QString::fromLatin1(kFailed);
    const int total = CountPageVars(state, mask);
    int counter = 0;
    Catalogue& cat = state.catalogue;
    for (int i = 1; i <= cat.VarCount(); ++i) {
        CVarData& r = cat[i];
        if ((r.PageMask & 1) == 0 || (r.PageMask & mask) != r.PageMask)
            continue;
        QString status;
        if (InSectionLimit(state, r)) {
            status = state.link->WriteE2(r.Address, r.E2Value);
            if (status.isEmpty())
                r.WriteE2inECU();
        }
        progressStep(state, QStringLiteral("Writing..."), counter, total);
        if (!status.isEmpty())
            return status;
    }
    state.StatusText = QStringLiteral("Writing...");
    state.ProgressPercent = 100;
    if (state.progress)
        state.progress->onProgress(state.StatusText, state.ProgressPercent);
    refreshShownPage(state);
    return {};
}

QString DefaultsCommand(AppState& state) {
    if (state.link == nullptr)
        return QStringLiteral("1");
    return state.link->DevCommand(kDefaultsCode, QString::fromLatin1(kDefaultsText)) == 0
               ? QStringLiteral("0")
               : QStringLiteral("1");
}

QString CheckUnitIdentity(AppState& state, bool& resetPending) {
    if (!linkOpen(state))
        return QString::fromLatin1(kFailed);
    state.StatusText = QStringLiteral("Reading...");
    state.ProgressPercent = 0;
    bool matches = true;
    for (int w = 0; w < 5; ++w) {
        std::int32_t value = 0;
        const QString status = state.link->ReadE2(kIdentityAddresses[w], value);
        if (!status.isEmpty())
            return status;
        matches = matches && value == kResetWords[w];
        state.ProgressPercent += 20;
        if (state.progress)
            state.progress->onProgress(state.StatusText, state.ProgressPercent);
    }
    resetPending = matches;
    return {};
}

} // namespace hvc
