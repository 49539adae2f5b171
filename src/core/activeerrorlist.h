#pragma once
// The list of errors active now, kept from the rows' valueChanged events: each
// bit that comes adds an item, each bit that goes removes every item with the
// same text. The diagnostic page shows it; hvcctl diag prints it. No widgets here.
//
// Every set bit of the 16-bit error word is an error, except the ready bit of
// HVC_ERROR_CODE (bit 6, the unit's state). A bit whose record has a key is listed
// with the record's texts; any other set bit (no record, a record without a key,
// bits the row does not show) is listed under the word's identifier and the bit's
// weight ("HVC_VBB_ERROR - 128"), so that no error goes unlisted.
//
// The rules are those of the page's list view, oddities included: the same bit
// coming twice without going in between adds two identical items, and one going
// removes both; two records with the same key and bit share their item text, so
// either going removes the other's item too.

#include "core/diagnosticlist.h"

#include <QList>
#include <QString>
#include <cstdint>

namespace hvc {

// Whether (row, bit) is the ready bit: state, never an error.
bool isReadyBit(int row, int bit);

struct ActiveErrorItem {
    int row = 0; // the error word and bit whose coming added the item
    int bit = 0;
    QString text; // "SEC1 - 4": the list's "VarKey" column
    QString errorId;
    QString description;
};

// One item the list gained or lost.
struct ActiveErrorChange {
    enum class Kind { Added, Removed };
    Kind kind = Kind::Added;
    ActiveErrorItem item;
};

class ActiveErrorList {
public:
    // The records must outlive the list.
    explicit ActiveErrorList(const DiagnosticList& messages) : m_messages(messages) {}

    // valueChanged(Index, Value, Changed) of row `row`: for each of bits 0-15 set in
    // `changed`, the bit came when it is set in `value`, else it went. Returns the
    // items added and removed, in bit order.
    QList<ActiveErrorChange> valueChanged(int row, std::int32_t value, std::int32_t changed);

    // The items in the order they were added.
    const QList<ActiveErrorItem>& items() const { return m_items; }
    bool isEmpty() const { return m_items.isEmpty(); }

private:
    const DiagnosticList& m_messages;
    QList<ActiveErrorItem> m_items;
};

} // namespace hvc
