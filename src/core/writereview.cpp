#include "core/writereview.h"

#include "core/imagecheck.h"
#include "core/unitlink.h"

#include <QMap>
#include <QSet>

namespace hvc {

namespace {

// A word read signed, as the variable's limits expect it: 40000 rather than
// -25536 for a variable that goes up to 65535.
std::int32_t inRange(const CVarData& r, std::int32_t word) {
    if (word < 0 && word < r.MinValue && word + 65536 <= r.MaxValue)
        return word + 65536;
    return word;
}

QString shown(const CVarData& r, std::int32_t value) {
    CVarData copy = r;
    copy.LoadFromFile(value);
    const QString number = QString::number(copy.E2Display);
    return r.ConvText.isEmpty() ? number : number + u' ' + r.ConvText;
}

// E2InECU as the unit holds it; a working value the word carries stays as it is.
void takeUnitWord(CVarData& r, std::int32_t word) {
    r.E2InECU = sameWord(r.E2Value, word) ? r.E2Value : word;
}

bool differs(std::int32_t value, const std::optional<std::int32_t>& word) {
    return !word || !sameWord(value, *word);
}

} // namespace

QStringList ReviewHeader() {
    return {QStringLiteral("Variable"), QStringLiteral("Address"),    QStringLiteral("Unit word"),
            QStringLiteral("New word"), QStringLiteral("Unit value"), QStringLiteral("New value")};
}

ReviewRowText DescribeRow(const Catalogue& catalogue, const ReviewRow& row) {
    const CVarData& r = catalogue[row.position];
    ReviewRowText text;
    text.name = r.Name;
    text.address = r.AddressText();
    text.newWord = QString::number(row.newValue);
    text.newValue = shown(r, row.newValue);
    if (row.unitWord) {
        const std::int32_t word = inRange(r, *row.unitWord);
        text.unitWord = QString::number(word);
        text.unitValue = shown(r, word);
    } else {
        text.unitWord = text.unitValue = QStringLiteral("-");
    }
    return text;
}

QStringList ReviewTable(const Catalogue& catalogue, const QList<ReviewRow>& rows) {
    QStringList lines{ReviewHeader().join(u'\t')};
    for (const ReviewRow& row : rows) {
        const ReviewRowText t = DescribeRow(catalogue, row);
        lines << QStringList{t.name, t.address, t.unitWord, t.newWord, t.unitValue, t.newValue}
                     .join(u'\t');
    }
    return lines;
}

std::optional<std::int32_t> KnownUnitWord(const AppState& state, const CVarData& record) {
    return state.document.unitWords.word(record.Address);
}

QList<ReviewRow> WriteDifferences(const AppState& state, std::uint16_t mask) {
    QList<ReviewRow> rows;
    if (mask == 0)
        return rows;
    const Catalogue& cat = state.document.catalogue;
    const int sectionPos = cat.IdIndex(HvcId::HVC_NUM_PROP_REG);
    const CVarData& sections = cat[sectionPos];
    std::int32_t limit = KnownUnitWord(state, sections).value_or(sections.E2InECU);
    for (int i = 1; i <= cat.VarCount(); ++i) {
        const CVarData& r = cat[i];
        if (!isWrittenBy(r, mask) || r.Section >= limit)
            continue;
        const std::optional<std::int32_t> word = KnownUnitWord(state, r);
        if (!differs(r.E2Value, word))
            continue;
        rows.append({i, word, r.E2Value});
        if (i == sectionPos)
            limit = r.E2Value;
    }
    return rows;
}

QList<ReviewRow> FileDifferences(const AppState& state, const ConfigFileData& data) {
    QMap<int, std::int32_t> values;
    for (const ConfigEntry& e : data.entries)
        values.insert(e.position, e.value);
    const std::uint16_t mask = writeKeyAll(state);
    QList<ReviewRow> rows;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const CVarData& r = state.document.catalogue[it.key()];
        const std::optional<std::int32_t> word = KnownUnitWord(state, r);
        if (isWrittenBy(r, mask) && differs(it.value(), word))
            rows.append({it.key(), word, it.value()});
    }
    return rows;
}

Status WriteReviewed(AppState& state, std::uint16_t mask, const WriteChoice& choice, bool verify,
                     ReviewedWrite& out) {
    out = {};
    if (choice.kind == WriteChoice::Kind::Cancel)
        return {};
    Catalogue& cat = state.document.catalogue;
    for (int i = 1; i <= cat.VarCount(); ++i)
        if (isWrittenBy(cat[i], mask))
            if (const auto word = KnownUnitWord(state, cat[i]))
                takeUnitWord(cat[i], *word);

    const QSet<int> only(choice.positions.cbegin(), choice.positions.cend());
    const bool rowsOnly = choice.kind == WriteChoice::Kind::Rows;
    if (Status status = writeImage(state, mask, &out.report, rowsOnly ? &only : nullptr); !status)
        return status;
    if (rowsOnly)
        for (int p : choice.positions)
            if (!out.report.positions.contains(p))
                out.notWritten.append(p);
    if (!verify)
        return {};

    int counter = 0;
    const auto total = static_cast<int>(out.report.positions.size());
    for (int p : out.report.positions) {
        CVarData& r = cat[p];
        std::int32_t word = 0;
        if (Status status = state.session.link->readE2(r.Address, word); !status)
            return status.prefixed(
                QStringLiteral("verifying %1 (%2)").arg(r.Name, r.AddressText()));
        state.document.unitWords.seen(r.Address, word);
        if (!sameWord(r.E2Value, word)) {
            out.mismatches.append({p, r.E2Value, word});
            r.E2InECU = word;
        }
        progressStep(state, QStringLiteral("Reading..."), counter, total);
    }
    out.verified = true;
    return {};
}

QStringList VerifyFailures(const Catalogue& catalogue, const QList<VerifyMismatch>& mismatches) {
    QStringList lines;
    for (const VerifyMismatch& m : mismatches) {
        const CVarData& r = catalogue[m.position];
        lines << QString::fromLatin1(kVerifyFailed) +
                     QStringLiteral("%1 (%2): written %3, the unit holds %4")
                         .arg(r.Name, r.AddressText())
                         .arg(m.written)
                         .arg(inRange(r, m.unitWord));
    }
    return lines;
}

void LoadChosenRows(AppState& state, const QList<ReviewRow>& rows, const QList<int>& positions) {
    bool changed = false;
    for (const ReviewRow& row : rows) {
        if (!positions.contains(row.position))
            continue;
        CVarData& r = state.document.catalogue[row.position];
        r.LoadFromFile(row.newValue);
        if (row.unitWord)
            takeUnitWord(r, *row.unitWord);
        changed = true;
    }
    if (changed)
        state.document.flags.markDataChanged();
}

} // namespace hvc
