#pragma once
// The texts of the diagnostic page, read from DiagnosticList.ini: one record per
// error bit, at (row, bit), where the row is the error word (see diagnosticrows.h)
// and the bit its bit number.
//
// The file: a header line, then one line per bit with TAB-separated fields
//   row (0-10), bit (0-8), first number, bit text, key, error identifier,
//   description, note
// Row, bit and first number are whole numbers from -32768 to 32767; the fields
// after the bit text may be left out from the right. A record with an empty key
// is never listed among the active errors, but its bit text is shown.

#include <QString>
#include <array>
#include <cstdint>
#include <memory>

namespace hvc {

class Prompter;

inline constexpr const char* kDiagnosticListMessage =
    "'Diagnostic.ini' file NOT FOUND or CORRUPTED";

struct DiagnosticMessage {
    // What the first number means is up to the file; the shipped one keeps the
    // severity there (0 status, 1 warning, 2 the section stops, 3 the unit stops).
    std::int16_t firstNumber = 0;
    std::int16_t secondNumber = 0; // never filled from the file
    QString bitText;
    QString key;
    QString errorId;
    QString description;
    QString note; // kept, never shown by the page

    // Takes the text fields of a line (what follows the three numbers): the bit
    // text, then key, identifier, description and note while text remains.
    void load(QString auxString);
};

class DiagnosticList {
public:
    static constexpr int kRows = 11;
    static constexpr int kBits = 9;

    // Reads the file. Every record starts empty; each line fills the record at its
    // (row, bit), a later line for the same place replacing an earlier one. On a
    // fault (file missing or unreadable, a number field that is not a 16-bit whole
    // number, a row outside 0-10, a bit outside 0-8) reading stops, the message
    // kDiagnosticListMessage goes to the prompter with the file, line and reason as
    // its detail, the records read so far stay and messageGroupCount() stays 0.
    bool loadDiagnosticList(const QString& path, Prompter& prompter);
    // Same, from text already in memory (header line included); `source` names the
    // text in the detail.
    bool loadDiagnosticListText(const QString& text, Prompter& prompter,
                                const QString& source = {});
    // Why the last load failed ("" after one that succeeded).
    const QString& lastError() const { return m_lastError; }

    // The row number of the file's last line + 1 (1 for a file with only the
    // header); 0 before a load has read a file to its end. Only rows below it get
    // their bit texts shown.
    int messageGroupCount() const { return m_groupCount; }
    bool showsRow(int row) const { return row >= 0 && row < m_groupCount; }

    // The record at (row, bit), nullptr when the file has none there (or the place
    // is outside the table).
    const DiagnosticMessage* record(int row, int bit) const;
    // Empties every record and sets the count to 0.
    void clear();

    // The text of an active-error item: the key, " - " and the bit's weight
    // ("SEC1 - 4" for bit 2).
    static QString itemText(const QString& key, int bit);

private:
    bool fail(const QString& reason, Prompter& prompter);

    std::array<std::array<std::unique_ptr<DiagnosticMessage>, kBits>, kRows> m_table;
    int m_groupCount = 0;
    QString m_lastError;
};

} // namespace hvc
