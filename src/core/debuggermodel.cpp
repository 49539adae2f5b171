#include "core/debuggermodel.h"

#include "core/catalogue.h"
#include "core/prompter.h"
#include "core/transfer.h"
#include "core/unitcommands.h"
#include "core/unitlink.h"

#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <utility>

namespace hvc {

namespace {

constexpr HvcId kDitherIds[DebuggerModel::kDitherRows] = {
    HvcId::HVC_DITHER_AMP, HvcId::HVC_DITHER_AMP_PERC, HvcId::HVC_DITHER_FREQ};

const QString kIdleText = QStringLiteral("Debug...");
const QString kMonitoringText = QStringLiteral("Debug: Monitoring...");

QString noVariableMessage() {
    return QStringLiteral("No variable chosen: choose one from the list or type its address.");
}

QString notAWordMessage(const QString& text) {
    return QStringLiteral("'%1' is not a whole number from -32768 to 32767: nothing was sent.")
        .arg(text.trimmed());
}

} // namespace

DebuggerModel::DebuggerModel(AppState& state, QObject* parent)
    : QObject(parent),
      PollingClient(state.polling, Page::Debugger, QStringLiteral("tmrDebug"), kTickMs),
      m_state(state) {
    for (int i = 0; i < kDitherRows; ++i) {
        DitherRow& row = m_dither[static_cast<size_t>(i)];
        row.id = kDitherIds[i];
        row.record = m_state.document.catalogue.find(row.id);
        if (row.record) {
            row.minimum = row.record->minValue;
            row.maximum = std::max<int>(row.record->minValue, row.record->maxValue);
            row.text = QString::number(row.record->unitWord);
            row.scroll = std::clamp<int>(row.record->unitWord, row.minimum, row.maximum);
        }
    }
    choose(0);
}

DebuggerModel::~DebuggerModel() = default;

QStringList DebuggerModel::variableList() const {
    QStringList list{QString::fromLatin1(kNoVariableText)};
    for (int p = 1; p <= m_state.document.catalogue.varCount(); ++p)
        list << m_state.document.catalogue[p].name;
    return list;
}

UnitVariable* DebuggerModel::record() const {
    return m_position > 0 ? m_state.document.catalogue.varTable(m_position) : nullptr;
}

QString DebuggerModel::displayOf(const UnitVariable& record, bool e2) const {
    if (record.convText.isEmpty())
        return {};
    return e2 ? QString::number(record.shownValue) : valueText(record.ramShownValue);
}

void DebuggerModel::choose(int position) {
    const UnitVariable* r = position > 0 ? m_state.document.catalogue.varTable(position) : nullptr;
    m_position = r ? position : 0;
    DebugWordView& v = m_view;
    if (!r) {
        const QString none = QString::fromLatin1(kNoVariableText);
        v = DebugWordView{};
        v.address = QStringLiteral("0");
        v.addressText = v.tooltip = v.monitorName = none;
        v.unit = QStringLiteral("---");
        v.e2Raw = v.ramRaw = QStringLiteral("0");
    } else {
        v.address = v.addressText = r->addressText();
        v.name = r->name;
        v.tooltip = r->saveName;
        v.monitorName = r->extraText;
        v.unit = v.unitE2 = v.unitRam = r->convText;
        const QString zero = r->convText.isEmpty() ? QString() : QStringLiteral("0");
        v.e2Display = v.ramDisplay = zero;
        v.e2Raw = v.ramRaw = QStringLiteral("0");
    }
    Q_EMIT viewChanged();
}

bool DebuggerModel::readAddressText(const QString& text, std::int32_t& address) {
    QString digits = text.trimmed();
    digits.remove(u'.');
    static const QRegularExpression kHex(QStringLiteral("^[0-9A-Fa-f]{1,6}$"));
    if (!kHex.match(digits).hasMatch())
        return false;
    address = static_cast<std::int32_t>(digits.toUInt(nullptr, 16));
    return true;
}

int DebuggerModel::cmbUpdate(const QString& text) {
    std::int32_t address = 0;
    if (readAddressText(text, address)) {
        const int n = m_state.document.catalogue.varCount();
        for (int p = 1; p <= n; ++p) {
            if (m_state.document.catalogue[p].address == address) {
                choose(p);
                return p;
            }
        }
    }
    if (m_lastKey != kEnterKey)
        return -1;
    choose(1);
    return m_position;
}

bool DebuggerModel::textStringIsInteger(const QString& text) {
    static const QRegularExpression kNumber(QStringLiteral("^\\s*[+-]?\\d+\\s*$"));
    return !text.isEmpty() && text.size() < 6 && kNumber.match(text).hasMatch();
}

bool DebuggerModel::parseWord(const QString& text, std::int32_t& value) {
    static const QRegularExpression kNumber(QStringLiteral("^\\s*[+-]?\\d{1,6}\\s*$"));
    if (!kNumber.match(text).hasMatch())
        return false;
    const int v = text.trimmed().toInt();
    if (v < -32768 || v > 32767)
        return false;
    value = v;
    return true;
}

QString DebuggerModel::valueText(double value) {
    if (!std::isfinite(value))
        return QStringLiteral("---");
    return QLocale().toString(value, 'g', 10);
}

// --- commands ----------------------------------------------------------------

bool DebuggerModel::mayCommand() const {
    return m_state.session.loggedIn && !busy();
}

bool DebuggerModel::mayUseWord() {
    if (!mayCommand())
        return false;
    if (!record()) {
        m_state.observers.prompter().inform(noVariableMessage(), {}, PromptIcon::Exclamation);
        return false;
    }
    return true;
}

bool DebuggerModel::openLink() {
    if (!m_state.session.link)
        return false;
    if (m_state.session.link->openLink())
        return true;
    if (m_state.session.comPort == 0)
        m_state.observers.prompter().inform(QStringLiteral("Select a COM Port"));
    return false;
}

// The guarded link procedures answer a closed link with success and no value;
// here that is a failure, so that no made-up word reaches a field or a record.
Status DebuggerModel::exchangeRead(Memory memory, std::int32_t address, std::int32_t& word) {
    const QString where =
        QStringLiteral("reading %1 %2")
            .arg(memory == Memory::E2 ? QStringLiteral("EEPROM") : QStringLiteral("RAM"),
                 formatAddressText(address));
    if (!m_state.session.link || !m_state.session.link->isLinkOpen())
        return Status::linkFailure(QStringLiteral("port closed ") + where);
    word = 0;
    const Status s = memory == Memory::E2 ? m_state.session.link->readE2(address, word)
                                          : m_state.session.link->readRam(address, word);
    return s.prefixed(where);
}

Status DebuggerModel::exchangeWrite(Memory memory, std::int32_t address, std::int32_t word) {
    const QString where =
        QStringLiteral("writing %1 to %2 %3")
            .arg(word)
            .arg(memory == Memory::E2 ? QStringLiteral("EEPROM") : QStringLiteral("RAM"),
                 formatAddressText(address));
    if (!m_state.session.link || !m_state.session.link->isLinkOpen())
        return Status::linkFailure(QStringLiteral("port closed ") + where);
    const Status s = memory == Memory::E2 ? m_state.session.link->writeE2(address, word)
                                          : m_state.session.link->writeRam(address, word);
    return s.prefixed(where);
}

void DebuggerModel::failed(const Status& status) {
    if (m_state.session.link)
        m_state.session.link->closeLink();
    m_state.session.setConnectState(ConnectState::NotConnected);
    m_state.observers.progress.setPercent(0);
    UnitCommands::reportFailure(m_state.observers.prompter(), status);
}

// The link goes back to the other pages: connected when it is still open.
void DebuggerModel::finished() {
    if (m_state.session.connectState() != ConnectState::DebuggerWorking)
        return;
    const bool open = m_state.session.link && m_state.session.link->isLinkOpen();
    m_state.session.setConnectState(open ? ConnectState::Connected : ConnectState::NotConnected);
}

void DebuggerModel::drawBar() {
    m_state.observers.progress.notify();
}

void DebuggerModel::read() {
    wordCommand(WordCommand::Read, {});
}

void DebuggerModel::write(const QString& data) {
    wordCommand(WordCommand::Write, data);
}

void DebuggerModel::display() {
    wordCommand(WordCommand::Display, {});
}

void DebuggerModel::set(const QString& data) {
    wordCommand(WordCommand::Set, data);
}

// READ and WRITE use the EEPROM word, DISPLAY and SET the RAM word; WRITE fills
// both columns, as the unit takes an EEPROM word into RAM too.
void DebuggerModel::wordCommand(WordCommand command, const QString& data) {
    if (!mayUseWord())
        return;
    const bool writes = command == WordCommand::Write || command == WordCommand::Set;
    std::int32_t value = 0;
    if (writes && !parseWord(data, value)) {
        m_state.observers.prompter().inform(notAWordMessage(data), {}, PromptIcon::Exclamation);
        return;
    }
    if (!openLink())
        return;
    const auto pass = guard();
    UnitVariable& r = *record();
    const Memory memory =
        command == WordCommand::Read || command == WordCommand::Write ? Memory::E2 : Memory::Ram;
    const bool e2Column = memory == Memory::E2;
    const bool ramColumn = command != WordCommand::Read;
    const QString wait = QString::fromLatin1(kWaitText);
    if (e2Column)
        m_view.e2Raw = wait;
    if (ramColumn)
        m_view.ramRaw = wait;
    Q_EMIT viewChanged();
    m_state.session.setConnectState(ConnectState::DebuggerWorking);
    static const char* const kTexts[] = {"Debug: Reading...", "Debug: Writing...",
                                         "Debug: Displaying...", "Debug: Setting..."};
    m_state.observers.progress.setText(QString::fromLatin1(kTexts[static_cast<int>(command)]));
    drawBar();

    Status status = Status::linkFailure(QStringLiteral("stopped"));
    if (!disabledMeanwhile())
        status = writes ? exchangeWrite(memory, r.address, value)
                        : exchangeRead(memory, r.address, value);
    if (status) {
        if (e2Column)
            r.takeUnitWord(value);
        if (ramColumn)
            r.takeUnitRamWord(value);
        m_state.observers.progress.setPercent(100);
        drawBar();
        m_state.observers.progress.setPercent(0);
    }
    const QString raw = status ? QString::number(value) : QString::fromLatin1(kNoValueText);
    if (e2Column) {
        m_view.e2Raw = raw;
        m_view.e2Display = status ? displayOf(r, true) : QString();
    }
    if (ramColumn) {
        m_view.ramRaw = raw;
        m_view.ramDisplay = status ? displayOf(r, false) : QString();
    }
    if (!status && !disabledMeanwhile())
        failed(status);
    finished();
    Q_EMIT viewChanged();
}

void DebuggerModel::reset() {
    if (!mayCommand() || !openLink())
        return;
    disableTimer(); // the link closes after the command
    const auto pass = guard();
    Q_EMIT busyChanged(true);
    const Status status = loadDefaults(m_state);
    if (m_state.session.link)
        m_state.session.link->closeLink();
    m_state.session.setConnectState(ConnectState::NotConnected);
    if (!status) {
        m_state.observers.prompter().informDetailed(QStringLiteral("Operation Failed!"),
                                                    status.detail());
    } else {
        m_state.observers.prompter().inform(
            QStringLiteral(
                "POWER RESET Needed For Default Parameters Configuration To Be Effective !!!"),
            {}, PromptIcon::Information);
    }
    Q_EMIT busyChanged(false);
}

// --- the monitor and the watch list --------------------------------------------

void DebuggerModel::lock(bool on) {
    m_locked = on;
    m_state.observers.progress.setText(kIdleText);
    m_state.observers.progress.setPercent(0);
    m_monitorTicks = 0;
    Q_EMIT lockChanged(on);
}

void DebuggerModel::startRun() {
    m_state.session.setConnectState(ConnectState::DebuggerWorking);
    m_state.polling.start(Page::Debugger);
}

// With neither the word nor the watch list left, the run stops at its next tick.
void DebuggerModel::stopRunIfIdle() {
    if (m_monitorOn || m_watchOn)
        return;
    m_state.polling.handBack(Page::Debugger);
    m_state.polling.requestStop(Page::Debugger);
}

void DebuggerModel::toggleMonitor() {
    if (m_monitorOn) {
        m_monitorOn = false;
        stopRunIfIdle();
        lock(false);
        Q_EMIT runningChanged();
        return;
    }
    if (!mayUseWord())
        return;
    if (!timerEnabled() && !openLink())
        return;
    m_monitorOn = true;
    startRun();
    lock(true);
    Q_EMIT runningChanged();
}

void DebuggerModel::toggleWatch() {
    if (m_watchOn) {
        m_watchOn = false;
        stopRunIfIdle();
        Q_EMIT runningChanged();
        return;
    }
    if (!mayCommand())
        return;
    if (m_watch.isEmpty()) {
        m_state.observers.prompter().inform(
            QStringLiteral("The watch list is empty: add a variable or an address first."), {},
            PromptIcon::Exclamation);
        return;
    }
    if (!timerEnabled() && !openLink())
        return;
    m_watchOn = true;
    startRun();
    Q_EMIT runningChanged();
}

// The run is over (the controller stopped the timer and the polling): the
// word's controls free again.
void DebuggerModel::endRun() {
    const bool wasLocked = m_locked;
    const bool wasRunning = m_monitorOn || m_watchOn;
    m_monitorOn = false;
    m_watchOn = false;
    if (wasLocked)
        lock(false);
    if (wasRunning)
        Q_EMIT runningChanged();
}

bool DebuggerModel::readWatchEntry(WatchEntry& entry, Status& status, const std::int32_t* known) {
    std::int32_t word = known ? *known : 0;
    status = known ? Status() : exchangeRead(Memory::Ram, entry.address, word);
    if (!status)
        return false;
    entry.raw = word;
    entry.hasValue = true;
    if (UnitVariable* r = m_state.document.catalogue.varTable(entry.position)) {
        r->takeUnitRamWord(word);
        entry.value = r->ramShownValue;
    } else {
        entry.value = word;
    }
    return true;
}

// Between passes a disable hands the link back first; a failed pass reports why.
void DebuggerModel::runEnded(RunEnd how, const Status& why) {
    if (how == RunEnd::Disabled)
        finished();
    endRun();
    if (how == RunEnd::Failed)
        failed(why);
}

// The monitored word, then the next word of the watch list.
Status DebuggerModel::runPass() {
    m_state.session.setConnectState(ConnectState::DebuggerWorking);
    Status status;
    // The monitored word and the next word of the watch list go out as one list.
    UnitVariable* monitored = m_monitorOn ? record() : nullptr;
    const bool watching = m_watchOn && !m_watch.isEmpty();
    QList<std::int32_t> words;
    Status listed;
    if (monitored && watching && m_state.session.link && m_state.session.link->isLinkOpen()) {
        const int next = m_watchNext % static_cast<int>(m_watch.size());
        listed =
            m_state.session.link->readRamWords({monitored->address, m_watch[next].address}, words);
        if (!listed && words.isEmpty())
            listed = listed.prefixed(QStringLiteral("reading RAM ") +
                                     formatAddressText(monitored->address));
    }
    if (m_monitorOn) {
        if (UnitVariable* r = record()) {
            std::int32_t word = 0;
            if (!words.isEmpty())
                word = words[0];
            status = !words.isEmpty() ? Status()
                     : !listed        ? listed
                                      : exchangeRead(Memory::Ram, r->address, word);
            if (status) {
                r->takeUnitRamWord(word);
                m_view.ramRaw = QString::number(word);
                m_view.ramDisplay = displayOf(*r, false);
            } else {
                m_view.ramRaw = QString::fromLatin1(kNoValueText);
                m_view.ramDisplay.clear();
            }
            Q_EMIT viewChanged();
        }
    }
    if (status && m_watchOn && !m_watch.isEmpty()) {
        const int row = m_watchNext % static_cast<int>(m_watch.size());
        m_watchNext = (row + 1) % static_cast<int>(m_watch.size());
        if (!listed && words.size() == 1)
            status = listed.prefixed(QStringLiteral("reading RAM ") +
                                     formatAddressText(m_watch[row].address));
        else
            readWatchEntry(m_watch[row], status, words.size() > 1 ? &words[1] : nullptr);
        Q_EMIT watchRowUpdated(row);
    }
    if (!status)
        return status;
    m_state.observers.progress.setText(kMonitoringText);
    ++m_monitorTicks;
    m_state.observers.progress.setPercent(m_monitorTicks * 10);
    if (m_state.observers.progress.percent() >= 100)
        m_monitorTicks = 0;
    if (!timerEnabled()) {
        m_state.observers.progress.setPercent(0);
        m_monitorTicks = 0;
        m_state.observers.progress.setText(kIdleText);
    }
    drawBar(); // a Disconnect or a logout meanwhile ends the run after it
    return status;
}

// --- the dither block ----------------------------------------------------------

void DebuggerModel::ditherDisplay() {
    if (!mayCommand() || !openLink())
        return;
    const auto pass = guard();
    m_state.session.setConnectState(ConnectState::DebuggerWorking);
    m_state.observers.progress.setText(QStringLiteral("Debug: Displaying..."));
    for (int i = 0; i < kDitherRows; ++i) {
        DitherRow& row = m_dither[static_cast<size_t>(i)];
        if (!row.record)
            continue;
        std::int32_t word = 0;
        const Status status = exchangeRead(Memory::Ram, row.record->address, word);
        if (disabledMeanwhile())
            return finished();
        if (!status)
            return failed(status);
        row.record->unitWord = word;
        m_state.observers.progress.setPercent((i + 1) * 100 / kDitherRows);
        drawBar();
    }
    for (int i = 0; i < kDitherRows; ++i) {
        DitherRow& row = m_dither[static_cast<size_t>(i)];
        if (!row.record)
            continue;
        row.text = QString::number(row.record->unitWord);
        row.scroll = std::clamp<int>(row.record->unitWord, row.minimum, row.maximum);
        row.editing = false;
        Q_EMIT ditherChanged(i);
    }
    m_state.observers.progress.setPercent(0);
    finished();
}

void DebuggerModel::ditherUpdate() {
    if (!mayCommand())
        return;
    UnitVariable* trigger = m_state.document.catalogue.find(HvcId::HVC_DITHER_UPDATE);
    QStringList missing;
    for (const DitherRow& row : m_dither)
        if (!row.record)
            missing << QString::fromLatin1(Catalogue::idName(row.id));
    if (!trigger)
        missing << QString::fromLatin1(Catalogue::idName(HvcId::HVC_DITHER_UPDATE));
    if (!missing.isEmpty()) {
        m_state.observers.prompter().inform(
            QStringLiteral("The variable map has no %1: nothing was sent.")
                .arg(missing.join(QStringLiteral(", "))),
            {}, PromptIcon::Exclamation);
        return;
    }
    // A value typed but not yet taken is what the field shows: send that.
    for (int i = 0; i < kDitherRows; ++i)
        if (m_dither[static_cast<size_t>(i)].editing)
            ditherEnter(i, m_dither[static_cast<size_t>(i)].text);
    if (!openLink())
        return;
    const auto pass = guard();
    m_state.session.setConnectState(ConnectState::DebuggerWorking);
    m_state.observers.progress.setText(QStringLiteral("Debug: Updating..."));
    for (int i = 0; i < kDitherRows; ++i) {
        const UnitVariable& r = *m_dither[static_cast<size_t>(i)].record;
        const Status status = exchangeWrite(Memory::Ram, r.address, r.unitWord);
        if (disabledMeanwhile())
            return finished();
        if (!status)
            return failed(status);
        m_state.observers.progress.setPercent((i + 1) * 100 / (kDitherRows + 1));
        drawBar();
    }
    const Status status = exchangeWrite(Memory::Ram, trigger->address, 1);
    if (!status && !disabledMeanwhile())
        return failed(status);
    m_state.observers.progress.setPercent(0);
    finished();
}

void DebuggerModel::ditherTyped(int row, const QString& text) {
    DitherRow& d = m_dither.at(static_cast<size_t>(row));
    d.text = text;
    d.editing = true;
    Q_EMIT ditherChanged(row);
}

void DebuggerModel::ditherEnter(int row, const QString& text) {
    DitherRow& d = m_dither.at(static_cast<size_t>(row));
    if (!d.record)
        return;
    int value = textStringIsInteger(text) ? text.trimmed().toInt() : d.record->unitWord;
    value = std::clamp(value, d.minimum, d.maximum);
    d.record->unitWord = value;
    d.text = QString::number(value);
    d.scroll = value;
    d.editing = false;
    Q_EMIT ditherChanged(row);
}

void DebuggerModel::ditherScrolled(int row, int value) {
    ditherEnter(row, QString::number(value));
}

// --- the watch list --------------------------------------------------------------

bool DebuggerModel::addWatch(int position) {
    const UnitVariable* r = position > 0 ? m_state.document.catalogue.varTable(position) : nullptr;
    if (!r) {
        m_state.observers.prompter().inform(noVariableMessage(), {}, PromptIcon::Exclamation);
        return false;
    }
    for (const WatchEntry& e : std::as_const(m_watch))
        if (e.position == position)
            return false;
    WatchEntry e;
    e.position = position;
    e.address = r->address;
    m_watch << e;
    Q_EMIT watchChanged();
    return true;
}

bool DebuggerModel::addWatchAddress(const QString& text) {
    std::int32_t address = 0;
    if (!readAddressText(text, address)) {
        m_state.observers.prompter().inform(
            QStringLiteral("'%1' is not an address: up to six hexadecimal digits, with or "
                           "without the \".\" before the sub-code (01A2.03).")
                .arg(text.trimmed()),
            {}, PromptIcon::Exclamation);
        return false;
    }
    if (const int p = m_state.document.catalogue.findByAddress(address); p > 0)
        return addWatch(p);
    for (const WatchEntry& e : std::as_const(m_watch))
        if (e.position == 0 && e.address == address)
            return false;
    WatchEntry e;
    e.address = address;
    m_watch << e;
    Q_EMIT watchChanged();
    return true;
}

void DebuggerModel::removeWatch(int row) {
    if (row < 0 || row >= m_watch.size())
        return;
    m_watch.removeAt(row);
    if (m_watchNext > row)
        --m_watchNext;
    if (m_watchNext >= m_watch.size())
        m_watchNext = 0;
    Q_EMIT watchChanged();
    if (m_watch.isEmpty() && m_watchOn)
        toggleWatch();
}

void DebuggerModel::clearWatch() {
    m_watch.clear();
    m_watchNext = 0;
    Q_EMIT watchChanged();
    if (m_watchOn)
        toggleWatch();
}

QString DebuggerModel::watchName(int row) const {
    const WatchEntry& e = m_watch.at(row);
    const UnitVariable* r = m_state.document.catalogue.varTable(e.position);
    return r ? r->name : QStringLiteral("(address)");
}

QString DebuggerModel::watchAddress(int row) const {
    return formatAddressText(m_watch.at(row).address);
}

QString DebuggerModel::watchRaw(int row) const {
    const WatchEntry& e = m_watch.at(row);
    return e.hasValue ? QString::number(e.raw) : QString::fromLatin1(kNoValueText);
}

QString DebuggerModel::watchValue(int row) const {
    const WatchEntry& e = m_watch.at(row);
    const UnitVariable* r = m_state.document.catalogue.varTable(e.position);
    if (!e.hasValue || !r || r->convText.isEmpty())
        return {};
    return valueText(e.value);
}

QString DebuggerModel::watchUnit(int row) const {
    const UnitVariable* r = m_state.document.catalogue.varTable(m_watch.at(row).position);
    return r ? r->convText : QString();
}

QString DebuggerModel::watchTableText() const {
    QString text = QStringLiteral("Name\tAddress\tRaw\tValue\tUnit\n");
    for (int i = 0; i < m_watch.size(); ++i)
        text += QStringList{watchName(i), watchAddress(i), watchRaw(i), watchValue(i), watchUnit(i)}
                    .join(u'\t') +
                u'\n';
    return text;
}

// --- page operations -------------------------------------------------------------

void DebuggerModel::refreshObject() {
    disableTimer();
}

void DebuggerModel::activate() {
    m_state.polling.activate(Page::Debugger);
    refreshObject();
}

} // namespace hvc
