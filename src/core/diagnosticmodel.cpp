#include "core/diagnosticmodel.h"

#include "core/catalogue.h"
#include "core/diagnosticrows.h"
#include "core/progressmath.h"
#include "core/unitlink.h"

#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

namespace hvc {

namespace {

const QString kDiagnosticText = QStringLiteral("Diagnostic...");

// Rows 0-4 are polled from the start; rows 5 and 6 join when the page loads.
constexpr int kEnabledFromStart = 5;

DiagnosticBitKind kindOf(const DiagnosticMessage& record, int row, int bit) {
    if (isReadyBit(row, bit))
        return DiagnosticBitKind::Status;
    if (record.key.isEmpty())
        return DiagnosticBitKind::Error;
    return record.firstNumber == 1 ? DiagnosticBitKind::Warning : DiagnosticBitKind::Error;
}

} // namespace

DiagnosticModel::DiagnosticModel(AppState& state, QObject* parent)
    : QObject(parent),
      PollingClient(state.polling, Page::Diagnostic, QStringLiteral("TimerDiagnostic"), kTickMs),
      m_state(state) {
    m_rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        DiagnosticRow row;
        row.index = i;
        row.enable = i < kEnabledFromStart;
        m_rows << row;
    }
}

bool DiagnosticModel::loadMessages(const QString& path) {
    const bool ok = m_messages.loadDiagnosticList(path, m_state.observers.prompter());
    m_rows[5].enable = true;
    m_rows[6].enable = true;
    refreshObject();
    return ok;
}

void DiagnosticModel::setEnable(int row, bool on) {
    m_rows[row].enable = on;
}

bool DiagnosticModel::isPolled(int row) const {
    const DiagnosticRow& r = m_rows.at(row);
    return r.visible && r.enable && r.boundVar != nullptr;
}

int DiagnosticModel::polledCount() const {
    return static_cast<int>(
        std::count_if(m_rows.cbegin(), m_rows.cend(),
                      [this](const DiagnosticRow& r) { return isPolled(r.index); }));
}

void DiagnosticModel::refreshObject() {
    const Catalogue& catalogue = m_state.document.catalogue;
    for (DiagnosticRow& row : m_rows) {
        const std::optional<HvcId> id = diagnosticRowVar(row.index);
        row.boundVar = id ? catalogue.find(*id) : nullptr;
        row.varId = row.boundVar ? catalogue.idIndex(*id) : 0;
        row.visible = id.has_value();
        // Only rows the message file reaches get texts; an entry the file lacks
        // leaves the text the row had.
        if (!m_messages.showsRow(row.index))
            continue;
        for (int bit = 0; bit < kDiagnosticShownBits; ++bit) {
            const DiagnosticMessage* record = m_messages.record(row.index, bit);
            if (record == nullptr)
                continue;
            row.texts[static_cast<size_t>(bit)] = record->bitText;
            row.kinds[static_cast<size_t>(bit)] = kindOf(*record, row.index, bit);
        }
        row.msgId = row.index;
    }
    Q_EMIT rowsRefreshed();
}

void DiagnosticModel::activate() {
    m_state.polling.activate(Page::Diagnostic);
    if (m_state.session.connectState() == ConnectState::Connected)
        m_state.polling.start(Page::Diagnostic);
    else
        disableTimer();
    refreshObject();
}

Status DiagnosticModel::readDiagnosticVar() {
    const int n = polledCount();
    // The pass goes out as one word list; the rows then take their words in order.
    QList<const UnitVariable*> records;
    for (int i = 0; i < m_rows.size(); ++i)
        if (isPolled(i))
            records.append(m_rows[i].boundVar);
    QList<std::int32_t> words;
    Status read = readRamWords(m_state.session.link, records, words);
    int k = 0;
    for (int i = 0; i < m_rows.size(); ++i) {
        if (!isPolled(i))
            continue;
        if (k >= words.size()) {
            m_state.session.setConnectState(ConnectState::NotConnected);
            return read;
        }
        const std::int32_t word = words[k];
        m_state.session.setConnectState(ConnectState::DiagnosticPolling);
        m_state.observers.progress.setText(kDiagnosticText);
        updateDisplay(i, word);
        ++k;
        m_state.observers.progress.setPercent(percentAt(k, n));
        Q_EMIT progressChanged(m_state.observers.progress.text(),
                               m_state.observers.progress.percent());
        if (m_state.polling.disabledDuringPass(Page::Diagnostic)) {
            // Disabled meanwhile (a disconnect while the page let events run).
            m_state.session.setConnectState(ConnectState::NotConnected);
            return {};
        }
    }
    return {};
}

void DiagnosticModel::updateDisplay(int row, std::int32_t word) {
    DiagnosticRow& r = m_rows[row];
    const std::int32_t changed = word ^ r.value;
    r.value = word;
    r.hasValue = true;
    Q_EMIT rowUpdated(row, word, changed);
    valueChanged(row, word, changed);
}

void DiagnosticModel::valueChanged(int index, std::int32_t value, std::int32_t changed) {
    const QList<ActiveErrorChange> changes = m_active.valueChanged(index, value, changed);
    if (changes.isEmpty())
        return;
    m_history.apply(changes, clock());
    Q_EMIT activeErrorsChanged();
}

void DiagnosticModel::clearHistory() {
    m_history.clear();
    Q_EMIT activeErrorsChanged();
}

Status DiagnosticModel::exportHistory(const QString& path) const {
    const QString failed = QStringLiteral("History NOT EXPORTED!");
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return Status::failure(failed, QStringLiteral("%1: not a regular file").arg(path));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Status::failure(failed, QStringLiteral("%1: %2").arg(path, file.errorString()));
    const QByteArray bytes = m_history.toCsv().toUtf8();
    if (file.write(bytes) != bytes.size() || !file.commit())
        return Status::failure(failed, QStringLiteral("%1: %2").arg(path, file.errorString()));
    return {};
}

} // namespace hvc
