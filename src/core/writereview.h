#pragma once
// Review before writing: which variables of a write would change what the unit
// holds, writing only those the technician chose, reading the written words back,
// and comparing a configuration file with the unit. The desktop program's review
// table, its Compare with File and hvcctl write-all share these.

#include "core/appstate.h"
#include "core/configfile.h"
#include "core/status.h"
#include "core/transfer.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace hvc {

inline constexpr const char* kVerifyFailed = "Verify failed: ";

// One variable whose new value is not what the unit holds.
struct ReviewRow {
    int position = 0; // catalogue position
    // The unit's word as last seen; none when it was never read (a section the
    // image read did not cover).
    std::optional<std::int32_t> unitWord;
    std::int32_t newValue = 0; // the working value, or the file's value
};

// A row as the table and hvcctl show it.
struct ReviewRowText {
    QString name;
    QString address;
    QString unitWord; // "-" when never read
    QString newWord;
    QString unitValue; // display value with its unit text
    QString newValue;
};

// The column captions, in the order of ReviewRowText.
QStringList reviewHeader();
ReviewRowText describeRow(const Catalogue& catalogue, const ReviewRow& row);
// TAB-separated: the header, then one line per row.
QStringList reviewTable(const Catalogue& catalogue, const QList<ReviewRow>& rows);

// The unit's word for a record as last seen, when it was seen.
std::optional<std::int32_t> knownUnitWord(const AppState& state, const UnitVariable& record);

// The records a write with `mask` sends (isWrittenBy, within the section limit as
// the write will meet it) whose working value is not the unit's word, or whose
// word was never read, in catalogue order. The section limit is the unit's
// section count, and the new one from the record that carries it onwards. With
// `only`, just the records at those positions, and the section count moves on only
// when its record is among them, as a write of only those rows meets it.
QList<ReviewRow> writeDifferences(const AppState& state, std::uint16_t mask,
                                  const QSet<int>* only = nullptr);
// The records a Write All sends for which `data` holds a value (the last line
// wins) that is not the unit's word, in catalogue order.
QList<ReviewRow> fileDifferences(const AppState& state, const ConfigFileData& data);

// The records a Write All sends whose word in `version` (address to word, as the
// logbook keeps a unit's image) is not the unit's word, in catalogue order; the
// new value is the version's word.
QList<ReviewRow> versionDifferences(const AppState& state,
                                    const QMap<std::int32_t, std::int32_t>& version);

// What to write: nothing, the chosen rows, or every record as a plain write does.
struct WriteChoice {
    enum class Kind { Cancel, Rows, WholeImage };
    Kind kind = Kind::WholeImage;
    QList<int> positions; // Rows: the chosen catalogue positions

    static WriteChoice cancel() { return {Kind::Cancel, {}}; }
    static WriteChoice rows(QList<int> positions) { return {Kind::Rows, std::move(positions)}; }
    static WriteChoice wholeImage() { return {Kind::WholeImage, {}}; }
};

// A written word that read back as another.
struct VerifyMismatch {
    int position = 0;
    std::int32_t written = 0;
    std::int32_t unitWord = 0;
};

struct ReviewedWrite {
    WriteReport report;
    bool verified = false; // the written words were read back
    QList<VerifyMismatch> mismatches;
    // Chosen rows the write passed over: their section was not configured in the
    // unit when their turn came.
    QList<int> notWritten;
};

// Writes what `choice` names with the write `mask` and, with `verify`, reads every
// written word back (progress "Reading..."). Before writing, every record of the
// write whose unit word is known takes it as unitWord, so a record left out keeps
// its edit pending; a written record keeps the word read back. A link failure
// stops it with the failing variable named; a mismatch is not a failure of the
// link and is listed in `out`.
Status writeReviewed(AppState& state, std::uint16_t mask, const WriteChoice& choice, bool verify,
                     ReviewedWrite& out);
// "Verify failed: I Max 1A (0302.00): written 900, the unit holds 800", one a mismatch.
QStringList verifyFailures(const Catalogue& catalogue, const QList<VerifyMismatch>& mismatches);
QString verifyFailure(const UnitVariable& record, std::int32_t written, std::int32_t unitWord);

// Compare with File: the file's values of the chosen rows become working values
// (nothing is written); the document is marked edited.
void loadChosenRows(AppState& state, const QList<ReviewRow>& rows, const QList<int>& positions);

} // namespace hvc
