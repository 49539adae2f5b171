#pragma once
// One error word on the diagnostic page: a title and eight bit indicators, bit 0
// on the left, each with the short text of its bit. A lit bit is red for an
// error, amber for a warning and blue for a status flag (ready). The page binds
// it to a record and hands it every word read; the control shows it and raises
// valueChanged with the bits that differ from the word before.

#include "core/diagnosticmodel.h"

#include <QString>
#include <QVector>
#include <QWidget>
#include <cstdint>

class QLabel;

namespace hvc {

struct UnitVariable;

class DiagnosticError : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBits = 8;

    explicit DiagnosticError(int index, QWidget* parent = nullptr);

    int index() const { return m_index; }

    UnitVariable* boundVar() const { return m_var; }
    void setBoundVar(UnitVariable* var);
    // Position of the bound record in varTable, 0 while unbound.
    std::int32_t varId() const;
    // Polled only while true.
    bool enable() const { return m_enable; }
    void setEnable(bool on) { m_enable = on; }
    // The row of the message table whose texts the control shows.
    int msgId() const { return m_msgId; }
    void setMsgID(int row) { m_msgId = row; }

    // A new error word: shows bits 0-7, then raises valueChanged.
    void updateDisplay(std::int32_t word);
    std::int32_t value() const { return m_value; }
    bool bitSet(int bit) const;

    // The text beside bit 0-7 (other bits are ignored).
    void setDescription(int bit, const QString& text);
    QString bitText(int bit) const;
    // How a lit bit is drawn.
    void setBitKind(int bit, DiagnosticBitKind kind);

    // The caption left of the bits ("Section 2") and the name a screen reader
    // gives the row ("Section 2 errors"); each bit is named after it
    // ("Section 2 errors, bit 3: open coil A").
    void setTitle(const QString& caption, const QString& spokenName);
    QLabel* indicator(int bit) const { return m_cells.value(bit); }

Q_SIGNALS:
    void valueChanged(int index, int value, int changed);

private:
    void drawBit(int bit);
    void nameBit(int bit);

    int m_index;
    UnitVariable* m_var = nullptr;
    bool m_enable = false;
    int m_msgId = -1;
    std::int32_t m_value = 0;
    QString m_spokenName;
    QLabel* m_title;
    QVector<QLabel*> m_cells;
    QVector<QString> m_texts;
    QVector<DiagnosticBitKind> m_kinds;
};

} // namespace hvc
