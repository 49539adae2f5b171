#include "core/monitormodel.h"

#include "core/catalogue.h"
#include "core/diagnosticrows.h"
#include "core/progressmath.h"
#include "core/unitlink.h"

#include <algorithm>

namespace hvc {

namespace {

const QString kMonitorText = QStringLiteral("Monitor...");

constexpr HvcId kJoyValue[4] = {HvcId::HVC_JOY0_VALUE, HvcId::HVC_JOY1_VALUE, HvcId::HVC_JOY2_VALUE,
                                HvcId::HVC_JOY3_VALUE};
constexpr HvcId kJoyRed[4] = {HvcId::HVC_JOY0_RED, HvcId::HVC_JOY1_RED, HvcId::HVC_JOY2_RED,
                              HvcId::HVC_JOY3_RED};
constexpr HvcId kMeasure[4] = {HvcId::HVC_I0_MEASURE_400, HvcId::HVC_I1_MEASURE_400,
                               HvcId::HVC_I2_MEASURE_400, HvcId::HVC_I3_MEASURE_400};
constexpr HvcId kIMax[8] = {HvcId::HVC_I0_MAX, HvcId::HVC_I1_MAX, HvcId::HVC_I2_MAX,
                            HvcId::HVC_I3_MAX, HvcId::HVC_I4_MAX, HvcId::HVC_I5_MAX,
                            HvcId::HVC_I6_MAX, HvcId::HVC_I7_MAX};
constexpr HvcId kISlowMax[8] = {HvcId::HVC_I0_SDM_MAX, HvcId::HVC_I1_SDM_MAX, HvcId::HVC_I2_SDM_MAX,
                                HvcId::HVC_I3_SDM_MAX, HvcId::HVC_I4_SDM_MAX, HvcId::HVC_I5_SDM_MAX,
                                HvcId::HVC_I6_SDM_MAX, HvcId::HVC_I7_SDM_MAX};

MonitorDisplay makeDisplay(MonitorDisplayKind kind, int index, const char* name) {
    MonitorDisplay d;
    d.kind = kind;
    d.index = index;
    d.objectName = index < 0 ? QString::fromLatin1(name)
                             : QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
    return d;
}

// The largest current limit of a section, compared as signed words, the first
// one kept on ties: both sides' limits of the normal and of the slow set.
std::int16_t largestCurrentLimit(const Catalogue& catalogue, int section) {
    const std::size_t a = 2 * static_cast<std::size_t>(section);
    const HvcId order[4] = {kIMax[a], kIMax[a + 1], kISlowMax[a], kISlowMax[a + 1]};
    bool any = false;
    std::int16_t best = 0;
    for (const HvcId id : order) {
        const UnitVariable* r = catalogue.find(id);
        if (!r)
            continue;
        const auto v = static_cast<std::int16_t>(r->unitWord);
        if (!any || v > best)
            best = v;
        any = true;
    }
    return best;
}

} // namespace

MonitorModel::MonitorModel(AppState& state, QObject* parent)
    : QObject(parent),
      PollingClient(state.polling, Page::Monitor, QStringLiteral("TmrMonitor"), kTickMs),
      m_state(state) {
    for (int i = 0; i < 4; ++i)
        m_displays << makeDisplay(MonitorDisplayKind::Joystick, i, "JoyMonitorVal");
    m_displays << makeDisplay(MonitorDisplayKind::Battery, -1, "JoyMonitorVbb");
    for (int i = 0; i < 4; ++i)
        m_displays << makeDisplay(MonitorDisplayKind::Current, i, "IMeasure");
    for (int i = 0; i < 4; ++i)
        m_displays << makeDisplay(MonitorDisplayKind::Redundant, i, "JoyMonitorRed");
    refreshObject();
}

MonitorModel::~MonitorModel() = default;

int MonitorModel::displayIndex(const QString& objectName) const {
    for (int i = 0; i < m_displays.size(); ++i)
        if (m_displays[i].objectName == objectName)
            return i;
    return -1;
}

void MonitorModel::setMonitorEnable(int display, bool on) {
    m_displays[display].monitorEnable = on;
}

int MonitorModel::sectionsShown(int count) {
    return std::clamp(count, 1, 4);
}

void MonitorModel::showSections(int count) {
    const int sections = sectionsShown(count);
    for (MonitorDisplay& d : m_displays)
        d.visible = d.kind != MonitorDisplayKind::Redundant && d.index < sections;
    Q_EMIT objectsRefreshed();
}

bool MonitorModel::isPolled(int display) const {
    const MonitorDisplay& d = m_displays.at(display);
    return d.visible && d.monitorEnable && d.boundVar != nullptr;
}

int MonitorModel::polledCount() const {
    int n = 0;
    for (int i = 0; i < m_displays.size(); ++i)
        n += isPolled(i) ? 1 : 0;
    return n;
}

QList<int> MonitorModel::polledVarIds() const {
    QList<int> ids;
    for (int i = 0; i < m_displays.size(); ++i)
        if (isPolled(i))
            ids << m_displays[i].varId;
    return ids;
}

void MonitorModel::refreshObject() {
    const Catalogue& catalogue = m_state.document.catalogue;
    for (MonitorDisplay& d : m_displays) {
        HvcId id = HvcId::HVC_VBB_400;
        switch (d.kind) {
        case MonitorDisplayKind::Joystick:
            id = kJoyValue[d.index];
            break;
        case MonitorDisplayKind::Current:
            id = kMeasure[d.index];
            break;
        case MonitorDisplayKind::Redundant:
            id = kJoyRed[d.index];
            break;
        case MonitorDisplayKind::Battery:
            break;
        }
        UnitVariable* record = catalogue.find(id);
        if (record != d.boundVar)
            d.hasValue = false;
        d.boundVar = record;
        d.varId = record ? catalogue.idIndex(id) : 0;
    }
    setObject();
}

void MonitorModel::setObject() {
    for (MonitorDisplay& d : m_displays) {
        d.scaleMin = 0;
        switch (d.kind) {
        case MonitorDisplayKind::Joystick:
        case MonitorDisplayKind::Redundant:
            d.scaleMax = 100;
            d.numberFormat = QStringLiteral("####0");
            d.displayOption = true;
            break;
        case MonitorDisplayKind::Current:
            d.scaleMax = largestCurrentLimit(m_state.document.catalogue, d.index);
            d.numberFormat = QStringLiteral("###0");
            d.displayOption = true;
            d.levelA = 50;
            d.levelB = 50;
            break;
        case MonitorDisplayKind::Battery:
            d.scaleMax = 30;
            d.numberFormat = QStringLiteral("####0.0");
            d.displayOption = false;
            break;
        }
        if (d.kind == MonitorDisplayKind::Redundant) {
            d.monitorEnable = false;
            d.visible = false;
        }
    }
    Q_EMIT objectsRefreshed();
}

// Joystick, current and battery values are scaled for the configured number of
// sections: the part of each formula that belongs to that number.
void MonitorModel::setFormulaParts() {
    const UnitVariable* sections = m_state.document.catalogue.find(HvcId::HVC_NUM_PROP_REG);
    const auto part = static_cast<std::int16_t>(sections ? sections->unitWord : 0);
    for (MonitorDisplay& d : m_displays)
        if (d.visible && d.boundVar)
            d.boundVar->formulaPart = part;
}

void MonitorModel::activate() {
    m_state.polling.activate(Page::Monitor);
    const UnitVariable* sections = m_state.document.catalogue.find(HvcId::HVC_NUM_PROP_REG);
    showSections(sections ? sections->shownValue : 0);
    if (m_state.session.connectState() == ConnectState::Connected) {
        refreshObject();
        setFormulaParts();
        m_state.polling.start(Page::Monitor);
    } else {
        disableTimer();
        refreshObject();
    }
}

void MonitorModel::drawProgress(int percent) {
    m_state.observers.progress.setPercent(percent);
    Q_EMIT progressChanged(m_state.observers.progress.text(), percent);
}

Status MonitorModel::readMonitorVar() {
    const int n = polledCount();
    const int steps = n + 3;
    MonitorSample sample;
    sample.time = QDateTime::currentDateTime();
    m_state.session.setConnectState(ConnectState::MonitorPolling);
    m_state.observers.progress.setText(kMonitorText);
    drawProgress(0);

    const HvcId words[3] = {HvcId::HVC_ERROR_CODE, HvcId::HVC_HSD_MONITOR,
                            HvcId::HVC_DIGIT_MONITOR};
    // The whole pass goes out as one word list: the three status words, then the
    // polled displays; the words are then taken in that order.
    QList<const UnitVariable*> records;
    for (const HvcId id : words)
        records.append(&m_state.document.catalogue.var(id));
    for (int i = 0; i < m_displays.size(); ++i)
        if (isPolled(i))
            records.append(m_displays[i].boundVar);
    QList<std::int32_t> raws;
    Status read = readRamWords(m_state.session.link, records, raws);
    qsizetype next = 0;
    const auto take = [&](UnitVariable& record, std::int32_t& raw) {
        if (next >= raws.size())
            return false;
        raw = raws[next++];
        record.takeUnitRamWord(raw);
        return true;
    };
    for (int w = 0; w < 3; ++w) {
        UnitVariable& record = m_state.document.catalogue.var(words[w]);
        std::int32_t raw = 0;
        if (!take(record, raw)) {
            m_state.session.setConnectState(ConnectState::NotConnected);
            return read;
        }
        const auto word = static_cast<std::uint16_t>(raw & 0xFFFF);
        switch (w) {
        case 0:
            m_errorCode = sample.errorCode = word;
            Q_EMIT errorWordRead(word);
            break;
        case 1:
            m_outputs = sample.outputs = word;
            Q_EMIT outputWordRead(word);
            break;
        default:
            m_inputs = sample.inputs = word;
            Q_EMIT inputWordRead(word);
            break;
        }
        drawProgress(percentAt(w + 1, steps));
    }

    int k = 0;
    for (int i = 0; i < m_displays.size(); ++i) {
        if (!isPolled(i))
            continue;
        UnitVariable& record = *m_displays[i].boundVar;
        std::int32_t raw = 0;
        if (!take(record, raw)) {
            m_state.session.setConnectState(ConnectState::NotConnected);
            return read;
        }
        m_state.session.setConnectState(ConnectState::MonitorPolling);
        m_state.observers.progress.setText(kMonitorText);
        MonitorDisplay& d = m_displays[i];
        d.value = record.ramShownValue;
        d.hasValue = true;
        sample.readings << MonitorReading{i, d.varId, raw, record.ramShownValue};
        Q_EMIT displayUpdated(i, record.ramShownValue);
        ++k;
        drawProgress(percentAt(k + 3, steps));
        if (m_state.polling.disabledDuringPass(Page::Monitor)) {
            // Disabled meanwhile (a disconnect while the page let events run).
            m_state.session.setConnectState(ConnectState::NotConnected);
            return {};
        }
    }
    Q_EMIT passCompleted(sample);
    return {};
}

} // namespace hvc
