#include "core/writereview.h"

#include "core/imagecheck.h"
#include "core/unitlink.h"

#include <QMap>
#include <QSet>

namespace hvc {

namespace {

// A word read signed, as the variable's limits expect it: 40000 rather than
// -25536 for a variable that goes up to 65535.
std::int32_t inRange(const UnitVariable& r, std::int32_t word) {
    if (word < 0 && word < r.minValue && word + 65536 <= r.maxValue)
        return word + 65536;
    return word;
}

QString shown(const UnitVariable& r, std::int32_t value) {
    UnitVariable copy = r;
    copy.takeFileWord(value);
    const QString number = QString::number(copy.shownValue);
    return r.convText.isEmpty() ? number : number + u' ' + r.convText;
}

// unitWord as the unit holds it; a working value the word carries stays as it is.
void takeUnitWord(UnitVariable& r, std::int32_t word) {
    r.unitWord = sameWord(r.workingWord, word) ? r.workingWord : word;
}

bool differs(std::int32_t value, const std::optional<std::int32_t>& word) {
    return !word || !sameWord(value, *word);
}

} // namespace

QStringList reviewHeader() {
    return {QStringLiteral("Variable"), QStringLiteral("Address"),    QStringLiteral("Unit word"),
            QStringLiteral("New word"), QStringLiteral("Unit value"), QStringLiteral("New value")};
}

ReviewRowText describeRow(const Catalogue& catalogue, const ReviewRow& row) {
    const UnitVariable& r = catalogue[row.position];
    ReviewRowText text;
    text.name = r.name;
    text.address = r.addressText();
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

QStringList reviewTable(const Catalogue& catalogue, const QList<ReviewRow>& rows) {
    QStringList lines{reviewHeader().join(u'\t')};
    for (const ReviewRow& row : rows) {
        const ReviewRowText t = describeRow(catalogue, row);
        lines << QStringList{t.name, t.address, t.unitWord, t.newWord, t.unitValue, t.newValue}
                     .join(u'\t');
    }
    return lines;
}

std::optional<std::int32_t> knownUnitWord(const AppState& state, const UnitVariable& record) {
    return state.document.unitWords.word(record.address);
}

QList<ReviewRow> writeDifferences(const AppState& state, std::uint16_t mask,
                                  const QSet<int>* only) {
    QList<ReviewRow> rows;
    if (mask == 0)
        return rows;
    const Catalogue& cat = state.document.catalogue;
    const int sectionPos = cat.idIndex(HvcId::HVC_NUM_PROP_REG);
    const UnitVariable& sections = cat[sectionPos];
    std::int32_t limit = knownUnitWord(state, sections).value_or(sections.unitWord);
    for (int i = 1; i <= cat.varCount(); ++i) {
        const UnitVariable& r = cat[i];
        if (!isWrittenBy(r, mask) || r.section >= limit || (only && !only->contains(i)))
            continue;
        const std::optional<std::int32_t> word = knownUnitWord(state, r);
        if (!differs(r.workingWord, word))
            continue;
        rows.append({i, word, r.workingWord});
        if (i == sectionPos)
            limit = r.workingWord;
    }
    return rows;
}

QList<ReviewRow> fileDifferences(const AppState& state, const ConfigFileData& data) {
    QMap<int, std::int32_t> values;
    for (const ConfigEntry& e : data.entries)
        values.insert(e.position, e.value);
    const std::uint16_t mask = writeKeyAll(state);
    QList<ReviewRow> rows;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const UnitVariable& r = state.document.catalogue[it.key()];
        const std::optional<std::int32_t> word = knownUnitWord(state, r);
        if (isWrittenBy(r, mask) && differs(it.value(), word))
            rows.append({it.key(), word, it.value()});
    }
    return rows;
}

QList<ReviewRow> versionDifferences(const AppState& state,
                                    const QMap<std::int32_t, std::int32_t>& version) {
    const std::uint16_t mask = writeKeyAll(state);
    const Catalogue& cat = state.document.catalogue;
    QList<ReviewRow> rows;
    for (int i = 1; i <= cat.varCount(); ++i) {
        const UnitVariable& r = cat[i];
        const auto it = version.constFind(r.address);
        if (it == version.cend() || !isWrittenBy(r, mask))
            continue;
        const std::optional<std::int32_t> word = knownUnitWord(state, r);
        if (differs(*it, word))
            rows.append({i, word, inRange(r, *it)});
    }
    return rows;
}

Status writeReviewed(AppState& state, std::uint16_t mask, const WriteChoice& choice, bool verify,
                     ReviewedWrite& out) {
    out = {};
    if (choice.kind == WriteChoice::Kind::Cancel)
        return {};
    Catalogue& cat = state.document.catalogue;
    for (int i = 1; i <= cat.varCount(); ++i)
        if (isWrittenBy(cat[i], mask))
            if (const auto word = knownUnitWord(state, cat[i]))
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
    QList<std::int32_t> addresses, words;
    for (int p : out.report.positions)
        addresses.append(cat[p].address);
    Status status = state.session.link->readE2Words(addresses, words);
    for (int k = 0; k < total; ++k) {
        UnitVariable& r = cat[out.report.positions[k]];
        if (k >= words.size())
            return (status ? Status::linkFailure(QStringLiteral("words missing in the reply"))
                           : status)
                .prefixed(QStringLiteral("verifying %1 (%2)").arg(r.name, r.addressText()));
        const std::int32_t word = words[k];
        state.document.unitWords.seen(r.address, word);
        if (!sameWord(r.workingWord, word)) {
            out.mismatches.append({out.report.positions[k], r.workingWord, word});
            r.unitWord = word;
        }
        progressStep(state, QStringLiteral("Reading..."), counter, total);
    }
    out.verified = true;
    return {};
}

QStringList verifyFailures(const Catalogue& catalogue, const QList<VerifyMismatch>& mismatches) {
    QStringList lines;
    for (const VerifyMismatch& m : mismatches)
        lines << verifyFailure(catalogue[m.position], m.written, m.unitWord);
    return lines;
}

QString verifyFailure(const UnitVariable& record, std::int32_t written, std::int32_t unitWord) {
    return QString::fromLatin1(kVerifyFailed) +
           QStringLiteral("%1 (%2): written %3, the unit holds %4")
               .arg(record.name, record.addressText())
               .arg(written)
               .arg(inRange(record, unitWord));
}

void loadChosenRows(AppState& state, const QList<ReviewRow>& rows, const QList<int>& positions) {
    bool changed = false;
    for (const ReviewRow& row : rows) {
        if (!positions.contains(row.position))
            continue;
        UnitVariable& r = state.document.catalogue[row.position];
        r.takeFileWord(row.newValue);
        if (row.unitWord)
            takeUnitWord(r, *row.unitWord);
        changed = true;
    }
    if (changed)
        state.document.flags.markDataChanged();
}

} // namespace hvc
