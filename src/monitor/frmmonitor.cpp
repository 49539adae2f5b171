#include "monitor/frmmonitor.h"

#include "core/catalogue.h"
#include "core/inputwords.h"
#include "core/joyinputs.h"
#include "core/monitorwords.h"
#include "core/prompter.h"
#include "monitor/joymonitor.h"
#include "monitor/trendplot.h"
#include "shell/mainbar.h"
#include "shell/pagestatus.h"
#include "shell/sectioncolours.h"
#include "shell/spokenvalue.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace hvc {

namespace {

const QColor kOnBack(0, 0, 255);
const QColor kReadyColour(0, 0, 255);
const QColor kNotReadyColour(255, 0, 0);

// Output pins of side A and side B of each section (tooltips of the output labels).
const char* const kOutputPins[4][2] = {{"D2.11 (OUT_1)", "D2.02 (OUT_2)"},
                                       {"D2.04 (OUT_3)", "D2.03 (OUT_4)"},
                                       {"D2.06 (OUT_5)", "D2.05 (OUT_6)"},
                                       {"D2.12 (OUT_7)", "D2.01 (OUT_8)"}};
const char* const kHiddenDigitalCaptions[FrmMonitor::kDigitalLabels] = {
    "DI 1", "DI 2", "DI 3", "DI 4", "AI 1", "AI 2", "AI 3", "AI 4"};
const char* const kPinConnection = "Pin connection";
// The input number an indicator watches.
const char* const kTag = "Tag";

constexpr HvcId kJoyConfig[4] = {HvcId::HVC_JOY_0_CONFIG, HvcId::HVC_JOY_1_CONFIG,
                                 HvcId::HVC_JOY_2_CONFIG, HvcId::HVC_JOY_3_CONFIG};

QString arrayName(const char* name, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

QColor windowText() {
    return QApplication::palette().color(QPalette::WindowText);
}

// The text colour is set for an enabled widget only (active and inactive
// windows), so that a disabled one still greys.
void setColours(QWidget* w, const QColor& back, const QColor& fore) {
    QPalette pal = w->palette();
    if (back.isValid())
        pal.setColor(QPalette::Window, back);
    if (fore.isValid()) {
        pal.setColor(QPalette::Active, QPalette::WindowText, fore);
        pal.setColor(QPalette::Inactive, QPalette::WindowText, fore);
    }
    w->setPalette(pal);
    w->setAutoFillBackground(back.isValid() || w->autoFillBackground());
}

// On: blue with white text; off: white with the window text colour.
void showOnOff(QLabel* label, bool on) {
    setColours(label, on ? kOnBack : QColor(Qt::white), on ? QColor(Qt::white) : windowText());
}

QString sideName(int section, int side) {
    return QString::number(section + 1) + QLatin1Char(side == 0 ? 'A' : 'B');
}

// Titles of the dead-man, second function and float inputs.
QStringList commandTitles() {
    return {QStringLiteral("Dead Man"), commandNames().value(1),   QStringLiteral("Float 1"),
            QStringLiteral("Float 2"),  QStringLiteral("Float 3"), QStringLiteral("Float 4")};
}

TrendPlot::SeriesSpec seriesOf(const MonitorDisplay& d) {
    switch (d.kind) {
    case MonitorDisplayKind::Joystick:
        return {QStringLiteral("Joystick %1 [%]").arg(d.index + 1), TrendPlot::Axis::Percent,
                d.index};
    case MonitorDisplayKind::Current:
        return {QStringLiteral("Current %1 [mA]").arg(d.index + 1), TrendPlot::Axis::Current,
                d.index};
    case MonitorDisplayKind::Battery:
        return {QStringLiteral("Battery [V]"), TrendPlot::Axis::Voltage, -1};
    case MonitorDisplayKind::Redundant:
        break;
    }
    return {};
}

} // namespace

FrmMonitor::FrmMonitor(ShellContext& context, QWidget* parent)
    : PageForm(context, Page::Monitor, parent), m_model(context.state),
      m_sectionWidgets(kSections) {
    setObjectName(QStringLiteral("FrmMonitor"));
    setWindowTitle(QStringLiteral("Monitor"));
    m_controllerPicture = QPixmap(m_context.resPath(QStringLiteral("bmp/Ecu/CTRLBOX.jpg")));
    if (const QString battery = m_context.resPath(QStringLiteral("bmp/Magnet/VBB.jpg"));
        QFileInfo::exists(battery))
        m_batteryPicture = QPixmap(battery);

    QList<TrendPlot::SeriesSpec> specs;
    for (const MonitorDisplay& d : m_model.displays())
        specs << seriesOf(d);
    m_plot = new TrendPlot(specs, this);
    m_plot->addToTitleRow(buildRecordBar());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);
    layout->addWidget(buildTop());
    layout->addWidget(buildSections());
    layout->addWidget(buildOutputs());
    layout->addWidget(m_plot, 1);

    connect(&m_model, &MonitorModel::objectsRefreshed, this, &FrmMonitor::syncDisplays);
    connect(&m_model, &MonitorModel::displayUpdated, this, [this](int i, double value) {
        if (JoyMonitor* d = m_displays.value(i))
            d->updateDisplay(value);
    });
    connect(&m_model, &MonitorModel::errorWordRead, this, &FrmMonitor::updateErrObj);
    connect(&m_model, &MonitorModel::outputWordRead, this, &FrmMonitor::updateActiveOutput);
    connect(&m_model, &MonitorModel::inputWordRead, this, &FrmMonitor::updateActiveDin);
    connect(&m_model, &MonitorModel::progressChanged, this,
            [this](const QString& text, int percent) {
                // The main window draws the status bar and lets pending events run,
                // so a Disconnect can come in the middle of a pass.
                m_context.state.observers.progress.report(text, percent);
            });
    connect(&m_model, &MonitorModel::drawJoyRequested, this, &FrmMonitor::monitorDrawJoy);
    connect(&m_model, &MonitorModel::drawMagRequested, this, &FrmMonitor::monitorDrawMag);
    connect(&m_model, &MonitorModel::passCompleted, this, &FrmMonitor::passCompleted);
    connect(&m_model, &MonitorModel::pollingStopped, this, &FrmMonitor::pollingStopped);

    // A lost link redraws the pictures as they are shown without a unit.
    m_context.disconnectRedraws.emplace_back([monitor = QPointer<FrmMonitor>(this)] {
        if (!monitor)
            return;
        monitor->m_model.requestJoyRedraw();
        monitor->m_model.requestMagRedraw();
    });

    chooseRecordFile = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Record"),
                                            QStringLiteral("monitor.csv"),
                                            QStringLiteral("CSV files (*.csv);;*.* (*)"));
    };

    // Load.
    refreshObject();
    drawVisibleObject();
    monitorDrawJoy();
    monitorDrawMag();
    refreshColour();
    showReady(false);
    showRecordState();
}

FrmMonitor::~FrmMonitor() {
    (void)m_recorder.close();
}

void FrmMonitor::setConfigPage(ConfigPageView view) {
    m_config = std::move(view);
    drawVisibleObject();
    monitorDrawJoy();
    monitorDrawMag();
}

UnitVariable* FrmMonitor::var(HvcId id) const {
    return m_context.state.document.catalogue.find(id);
}

// ---- building

QLabel* FrmMonitor::arrayLabel(const char* name, int index, const QString& text) {
    auto* label = new QLabel(text, this);
    label->setObjectName(arrayName(name, index));
    return label;
}

QLabel* FrmMonitor::indicator(const QString& name, const QString& text) {
    auto* label = new QLabel(text, this);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::Box);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("N.C.__")) + 8);
    showOnOff(label, false);
    return label;
}

QWidget* FrmMonitor::buildTop() {
    auto* top = new QWidget(this);
    auto* row = new QHBoxLayout(top);
    row->setContentsMargins(0, 0, 0, 0);

    m_imgECU = new QLabel(top);
    m_imgECU->setObjectName(QStringLiteral("ImgECU"));
    m_imgECU->setAccessibleName(QStringLiteral("Controller"));
    m_imgECU->setFixedSize(96, 72);
    m_imgECU->setScaledContents(true);
    row->addWidget(m_imgECU);

    m_frmErr = new QGroupBox(QStringLiteral("Status"), top);
    m_frmErr->setObjectName(QStringLiteral("FrmErr"));
    setSpokenWhat(m_frmErr, QStringLiteral("Status"));
    auto* errBox = new QHBoxLayout(m_frmErr);
    m_shpErr = new QLabel(m_frmErr);
    m_shpErr->setObjectName(QStringLiteral("ShpErr"));
    setSpokenWhat(m_shpErr, QStringLiteral("Ready lamp"));
    m_shpErr->setFixedSize(20, 20);
    m_shpErr->setMask(QRegion(0, 0, 20, 20, QRegion::Ellipse));
    m_lblErr = new QLabel(QStringLiteral("NOT READY"), m_frmErr);
    m_lblErr->setObjectName(QStringLiteral("LblErr"));
    nameValueLabel(m_lblErr, QStringLiteral("Ready state"));
    QFont bold = m_lblErr->font();
    bold.setBold(true);
    m_lblErr->setFont(bold);
    m_lblErr->setMinimumWidth(
        m_lblErr->fontMetrics().horizontalAdvance(QStringLiteral("NOT READY")) + 4);
    errBox->addWidget(m_shpErr);
    errBox->addWidget(m_lblErr);
    row->addWidget(m_frmErr);

    auto* battery = new QGroupBox(QStringLiteral("Battery"), top);
    battery->setObjectName(QStringLiteral("FrmVbb"));
    auto* vbbBox = new QHBoxLayout(battery);
    m_imgVbb = new QLabel(battery);
    m_imgVbb->setObjectName(QStringLiteral("ImgVbb"));
    m_imgVbb->setAccessibleName(QStringLiteral("Battery"));
    m_imgVbb->setFixedSize(40, 30);
    m_imgVbb->setScaledContents(true);
    m_imgVbb->setPixmap(m_batteryPicture);
    vbbBox->addWidget(m_imgVbb);
    row->addWidget(battery);

    auto* inputs = new QGroupBox(QStringLiteral("Digital Inputs"), top);
    inputs->setObjectName(QStringLiteral("FrmDin"));
    auto* grid = new QGridLayout(inputs);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(1);
    const QStringList titles = commandTitles();
    for (int n = 0; n < titles.size(); ++n) {
        const QString name = n == 0   ? QStringLiteral("LblPinDM")
                             : n == 1 ? QStringLiteral("LblPinSL")
                                      : arrayName("LblFL", n - 2);
        QLabel* label = indicator(name, QStringLiteral("N.C."));
        label->setParent(inputs);
        label->setProperty(kTag, 0);
        label->setToolTip(QString::fromLatin1(kPinConnection));
        auto* title = new QLabel(titles[n], inputs);
        title->setAlignment(Qt::AlignCenter);
        title->setBuddy(label);
        grid->addWidget(title, 0, n);
        grid->addWidget(label, 1, n);
        if (n == 0)
            m_lblPinDM = label;
        else if (n == 1)
            m_lblPinSL = label;
        else {
            m_lblFL << label;
            m_lblFLTitle << title;
        }
    }
    row->addWidget(inputs, 1);

    m_lblVCUType = new QLabel(top);
    m_lblVCUType->setObjectName(QStringLiteral("lblVCUType"));
    m_lblVCUType->hide();
    return top;
}

QWidget* FrmMonitor::buildSections() {
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(2);

    // JoyMonitor controls in the model's order, so that a model index finds its control.
    for (const MonitorDisplay& d : m_model.displays()) {
        auto* control = new JoyMonitor(d.index, box);
        control->setObjectName(d.objectName);
        m_displays << control;
        connect(control, &JoyMonitor::controlEventA, this, [this](int i) { displayEvent(i); });
        connect(control, &JoyMonitor::controlEventB, this, [this](int i) { displayEvent(i); });
        switch (d.kind) {
        case MonitorDisplayKind::Joystick:
            control->setCaption(QStringLiteral("Joystick %1 position").arg(d.index + 1));
            m_joyMonitorVal << control;
            break;
        case MonitorDisplayKind::Current:
            control->setCaption(QStringLiteral("Current section %1").arg(d.index + 1));
            m_iMeasure << control;
            break;
        case MonitorDisplayKind::Battery:
            control->setCaption(QStringLiteral("Battery voltage"));
            m_joyMonitorVbb = control;
            break;
        case MonitorDisplayKind::Redundant:
            control->setCaption(QStringLiteral("Joystick %1 redundant position").arg(d.index + 1));
            control->hide();
            m_joyMonitorRed << control;
            break;
        }
    }
    if (auto* battery = findChild<QGroupBox*>(QStringLiteral("FrmVbb"))) {
        m_joyMonitorVbb->setParent(battery);
        battery->layout()->addWidget(m_joyMonitorVbb);
    }

    for (int i = 0; i < kSections; ++i) {
        QVector<QWidget*>& section = m_sectionWidgets[i];
        // The joystick's panel in the section colour: title, picture, input pin and
        // the inputs of a digital joystick.
        auto* panel = new QFrame(this);
        panel->setObjectName(arrayName("lblJoy", i));
        panel->setAccessibleName(QStringLiteral("Joystick %1 panel").arg(i + 1));
        panel->setFrameShape(QFrame::StyledPanel);
        m_lblJoy << panel;
        auto* inPanel = new QVBoxLayout(panel);
        inPanel->setContentsMargins(4, 2, 4, 3);
        inPanel->setSpacing(1);
        auto* title = new QLabel(QStringLiteral("Joystick %1").arg(i + 1), panel);
        title->setAlignment(Qt::AlignCenter);
        title->setBuddy(m_joyMonitorVal[i]);
        m_joyTitle << title;

        QLabel* picture = arrayLabel("JoyDisplay", i);
        picture->setParent(panel);
        picture->setAccessibleName(QStringLiteral("Joystick %1").arg(i + 1));
        picture->setFixedSize(48, 48);
        picture->setScaledContents(true);
        m_joyDisplay << picture;

        QLabel* pin = arrayLabel("LblPin", i, QStringLiteral("D1.10 - AI_1"));
        pin->setParent(panel);
        pin->setAlignment(Qt::AlignCenter);
        nameValueLabel(pin, QStringLiteral("Joystick %1 input").arg(i + 1));
        pin->setToolTip(QString::fromLatin1(kPinConnection));
        m_lblPin << pin;

        auto* digital = new QWidget(panel);
        auto* digitalRow = new QHBoxLayout(digital);
        digitalRow->setContentsMargins(0, 0, 0, 0);
        digitalRow->setSpacing(2);
        for (bool low : {true, false}) {
            QLabel* label = indicator(arrayName(low ? "lblDinLJoy" : "lblDinHJoy", i),
                                      QStringLiteral("Not Connected"));
            label->setParent(digital);
            label->setProperty(kTag, 0);
            digitalRow->addWidget(label);
            (low ? m_lblDinLJoy : m_lblDinHJoy) << label;
        }
        inPanel->addWidget(title);
        inPanel->addWidget(picture, 0, Qt::AlignCenter);
        inPanel->addWidget(pin);
        inPanel->addWidget(digital);

        auto* line = new QFrame(box);
        line->setObjectName(QStringLiteral("Line%1").arg(i));
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Plain);
        line->setLineWidth(3);
        m_lines << line;

        auto* valve = new QWidget(box);
        auto* valveRow = new QHBoxLayout(valve);
        valveRow->setContentsMargins(0, 0, 0, 0);
        valveRow->setSpacing(2);
        QLabel* valveA = indicator(arrayName("lblValveA", i), QStringLiteral("A"));
        QLabel* valveB = indicator(arrayName("lblValveB", i), QStringLiteral("B"));
        setSpokenWhat(valveA, QStringLiteral("Valve %1").arg(sideName(i, 0)));
        setSpokenWhat(valveB, QStringLiteral("Valve %1").arg(sideName(i, 1)));
        for (QLabel* l : {valveA, valveB})
            l->setFixedWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("MM")) + 8);
        QLabel* solenoid = arrayLabel("MagADisplay", i);
        solenoid->setAccessibleName(QStringLiteral("Solenoids of section %1").arg(i + 1));
        solenoid->setFixedSize(72, 40);
        solenoid->setScaledContents(true);
        for (QLabel* l : {valveA, valveB})
            l->setParent(valve);
        solenoid->setParent(valve);
        valveRow->addStretch();
        valveRow->addWidget(valveA);
        valveRow->addWidget(solenoid);
        valveRow->addWidget(valveB);
        valveRow->addStretch();
        m_lblValveA << valveA;
        m_lblValveB << valveB;
        m_magADisplay << solenoid;

        QLabel* current = arrayLabel("lblCurrent", i, QStringLiteral("Current %1").arg(i + 1));
        current->setAlignment(Qt::AlignCenter);
        current->setBuddy(m_iMeasure[i]);
        m_lblCurrent << current;

        int row = 0;
        grid->addWidget(panel, row++, i);
        grid->addWidget(m_joyMonitorVal[i], row++, i);
        grid->addWidget(line, row++, i);
        grid->addWidget(valve, row++, i);
        grid->addWidget(current, row++, i);
        grid->addWidget(m_iMeasure[i], row++, i);
        grid->setColumnStretch(i, 1);
        section << panel << picture << pin << m_joyMonitorVal[i] << valve << valveA << valveB
                << solenoid << current << m_iMeasure[i];
    }
    m_sectionGrid = grid;
    for (int k = 0; k < kDigitalLabels; ++k) {
        QLabel* hidden = arrayLabel("lblDin", k, QString::fromLatin1(kHiddenDigitalCaptions[k]));
        hidden->setParent(box);
        hidden->hide();
        m_lblDin << hidden;
    }
    return box;
}

QWidget* FrmMonitor::buildOutputs() {
    auto* group = new QGroupBox(QStringLiteral("Power Outputs"), this);
    group->setObjectName(QStringLiteral("FrmHSD"));
    auto* row = new QHBoxLayout(group);
    row->setContentsMargins(6, 2, 6, 4);
    row->setSpacing(4);
    for (int i = 0; i < kSections; ++i) {
        for (int side = 0; side < 2; ++side) {
            QLabel* label =
                indicator(arrayName(side == 0 ? "lblHSDA" : "lblHSDB", i), sideName(i, side));
            label->setParent(group);
            setSpokenWhat(label, QStringLiteral("Output %1").arg(sideName(i, side)));
            row->addWidget(label);
            (side == 0 ? m_lblHSDA : m_lblHSDB) << label;
        }
        if (i + 1 < kSections)
            row->addSpacing(10);
    }
    row->addStretch();
    return group;
}

QWidget* FrmMonitor::buildRecordBar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    m_cmdRecord = new QPushButton(QStringLiteral("Record\u2026"), bar);
    m_cmdRecord->setObjectName(QStringLiteral("CmdRecord"));
    m_cmdRecord->setAccessibleName(QStringLiteral("Record to a CSV file"));
    connect(m_cmdRecord, &QPushButton::clicked, this, &FrmMonitor::toggleRecording);
    m_lblRecord = new QLabel(bar);
    m_lblRecord->setObjectName(QStringLiteral("LblRecord"));
    nameValueLabel(m_lblRecord, QStringLiteral("Recording"));
    m_lblRecord->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row->addWidget(m_lblRecord);
    row->addWidget(m_cmdRecord);
    return bar;
}

// ---- the displays

void FrmMonitor::syncDisplays() {
    const QList<MonitorDisplay>& displays = m_model.displays();
    double currentMax = 0;
    for (int i = 0; i < displays.size() && i < m_displays.size(); ++i) {
        const MonitorDisplay& d = displays[i];
        JoyMonitor* c = m_displays[i];
        if (c->boundVar() != d.boundVar)
            c->setBoundVar(d.boundVar);
        c->setScaleMin(d.scaleMin);
        c->setScaleMax(d.scaleMax);
        c->setNumberFormat(d.numberFormat);
        c->setLevelA(d.levelA);
        c->setLevelB(d.levelB);
        c->setDisplayOption(d.displayOption);
        c->setMonitorEnable(d.monitorEnable);
        c->setVisible(d.visible);
        if (!d.hasValue)
            c->clearValue();
        m_plot->setSeriesShown(i, d.visible && d.monitorEnable);
        if (d.kind == MonitorDisplayKind::Current && d.visible)
            currentMax = std::max(currentMax, static_cast<double>(d.scaleMax));
    }
    m_plot->setCurrentRange(currentMax);
}

void FrmMonitor::displayEvent(int index) {
    auto* control = qobject_cast<JoyMonitor*>(sender());
    if (control)
        m_model.setMonitorEnable(static_cast<int>(m_displays.indexOf(control)),
                                 control->monitorEnable());
    if (control)
        m_plot->setSeriesShown(static_cast<int>(m_displays.indexOf(control)),
                               control->monitorEnable() && control->isVisibleTo(this));
    if (index < 0 || index >= kSections)
        return;
    // A valve whose values are not watched shows nothing lit.
    if (!m_joyMonitorVal[index]->monitorEnable() || !m_iMeasure[index]->monitorEnable()) {
        showOnOff(m_lblValveA[index], false);
        showOnOff(m_lblValveB[index], false);
    }
}

// ---- page contract

void FrmMonitor::refreshObject() {
    m_model.refreshObject();
    monitorDrawJoy();
}

void FrmMonitor::drawBar(MainBar& bar, QProgressBar*, const QString& text) {
    drawPageBar(bar, Page::Monitor, text);
    showRecordState();
}

void FrmMonitor::activate() {
    drawVisibleObject();
    m_model.activate();
    if (m_context.state.session.connectState() == ConnectState::Connected)
        drawVisibleObject();
    monitorDrawJoy();
    showRecordState();
}

void FrmMonitor::deactivate() {
    PageForm::deactivate();
    stopRecording();
}

void FrmMonitor::refreshColour() {
    const SectionColours& colours = m_context.colours;
    for (int i = 0; i < kSections; ++i) {
        const QColor back = toQColor(colours.sectionBackColor[static_cast<size_t>(i)]);
        const QColor fore = toQColor(colours.sectionForeColor[static_cast<size_t>(i)]);
        setColours(m_lblJoy[i], back, fore);
        setColours(m_joyTitle[i], QColor(), fore);
        setColours(m_lblPin[i], QColor(), fore);
        setColours(m_lblCurrent[i], back, fore);
        for (JoyMonitor* c : {m_joyMonitorVal[i], m_iMeasure[i]}) {
            c->setMainColor(back);
            c->setSecondColor(fore);
        }
        setColours(m_lines[i], QColor(), back);
    }
}

// ---- section drawing

void FrmMonitor::drawActualObject(int numPropReg, int systemType) {
    const int shown = MonitorModel::sectionsShown(numPropReg);
    m_imgECU->setPixmap(m_controllerPicture);
    const int nameIndex = systemType == 1 ? numPropReg - 1 : numPropReg + 3;
    const auto& names = m_context.controllerNames;
    m_imgECU->setToolTip(nameIndex >= 0 && nameIndex < static_cast<int>(names.size())
                             ? names[static_cast<size_t>(nameIndex)]
                             : QString());
    speakValue(m_imgECU, QStringLiteral("Controller"), m_imgECU->toolTip());
    for (int i = 0; i < kSections; ++i) {
        for (QWidget* w : m_sectionWidgets[i])
            w->setVisible(i < shown);
        m_lines[i]->setVisible(i < shown);
        // The float input of a section goes with its section.
        m_lblFL[i]->setVisible(i < shown);
        m_lblFLTitle[i]->setVisible(i < shown);
    }
    for (int i = 0; i < kSections; ++i)
        m_sectionGrid->setColumnStretch(i, i < shown ? 1 : 0);
    for (JoyMonitor* red : m_joyMonitorRed)
        red->hide();
    m_model.showSections(shown);
    for (int i = 0; i < kSections; ++i) {
        m_lblHSDA[i]->show();
        m_lblHSDB[i]->show();
        m_lblHSDA[i]->setToolTip(QString::fromLatin1(kOutputPins[i][0]));
        m_lblHSDB[i]->setToolTip(QString::fromLatin1(kOutputPins[i][1]));
    }
    for (QLabel* hidden : m_lblDin)
        hidden->hide();
    m_lblVCUType->hide();
}

void FrmMonitor::drawVisibleObject() {
    const UnitVariable* sections = var(HvcId::HVC_NUM_PROP_REG);
    const UnitVariable* type = var(HvcId::HVC_SYSTEM_TYPE);
    drawActualObject(sections ? sections->shownValue : 0, type ? type->shownValue : 0);
    for (QLabel* label : m_lblPin)
        label->setToolTip(QString::fromLatin1(kPinConnection));
    for (QLabel* label : {m_lblPinDM, m_lblPinSL})
        label->setToolTip(QString::fromLatin1(kPinConnection));
    for (QLabel* label : m_lblFL)
        label->setToolTip(QString::fromLatin1(kPinConnection));
    const ConnectState state = m_context.state.session.connectState();
    if (state == ConnectState::Connected || state == ConnectState::MonitorPolling)
        showPinCaptionsFromUnit();
    else
        showPinCaptionsFromConfig();
    nameInputIndicators();
}

void FrmMonitor::showPinCaptionsFromConfig() {
    for (int i = 0; i < kSections; ++i) {
        if (m_config.pinLabel) {
            if (const QLabel* source = m_config.pinLabel(i)) {
                showValue(m_lblPin[i], source->text());
                setColours(m_lblPin[i], QColor(), source->palette().color(QPalette::WindowText));
            }
        }
        m_lblPin[i]->setEnabled(true);
        m_lblDinLJoy[i]->hide();
        m_lblDinHJoy[i]->hide();
    }
}

void FrmMonitor::showPinCaptionsFromUnit() {
    const Catalogue& catalogue = m_context.state.document.catalogue;
    for (int i = 0; i < kSections; ++i) {
        const UnitVariable* config = catalogue.find(kJoyConfig[i]);
        const std::int32_t word = config ? config->unitWord : 0;
        const JoyChannel channel = unpackJoyChannel(word);
        QLabel* pin = m_lblPin[i];
        const bool digital = channel.type >= 2;
        if (channel.type == 0)
            showValue(pin, QStringLiteral("OFF"));
        else if (channel.type == 1)
            showValue(pin, pinLabelText(static_cast<std::uint16_t>(word), pin->text()));
        pin->setEnabled(!digital);
        for (QLabel* label : {m_lblDinLJoy[i], m_lblDinHJoy[i]}) {
            label->setVisible(digital && i < m_sectionWidgets.size() &&
                              m_lblPin[i]->isVisibleTo(this));
            if (!digital)
                continue;
            const int input = label == m_lblDinLJoy[i] ? channel.inputA : channel.inputB;
            label->setProperty(kTag, input);
            label->setText(inputCaption(input, true));
        }
    }
    // Dead man, the second function and the floats, from the command input words.
    for (const InputIndicator& ind : inputIndicators(catalogue, 0)) {
        auto* label = findChild<QLabel*>(ind.objectName);
        if (!label)
            continue;
        label->setProperty(kTag, ind.input);
        label->setText(inputCaption(ind.input, false));
    }
}

// The input indicators are named with what they watch: "Dead Man input DI_03".
void FrmMonitor::nameInputIndicators() {
    const QList<QLabel*> commands = QList<QLabel*>{m_lblPinDM, m_lblPinSL} + m_lblFL.toList();
    for (int n = 0; n < commands.size(); ++n)
        setSpokenWhat(
            commands[n],
            QStringLiteral("%1 input %2").arg(commandTitles().value(n), commands[n]->text()));
    for (int i = 0; i < kSections; ++i)
        for (QLabel* label : {m_lblDinLJoy[i], m_lblDinHJoy[i]})
            setSpokenWhat(label, QStringLiteral("Joystick %1 %2 input %3")
                                     .arg(i + 1)
                                     .arg(label == m_lblDinLJoy[i] ? QStringLiteral("low")
                                                                   : QStringLiteral("high"))
                                     .arg(label->text()));
}

void FrmMonitor::monitorDrawJoy() {
    const ConnectState state = m_context.state.session.connectState();
    const bool live = state == ConnectState::Connected || state == ConnectState::MonitorPolling;
    for (int i = 0; i < kSections; ++i) {
        const QLabel* source = m_config.joyPicture ? m_config.joyPicture(i) : nullptr;
        if (!source)
            continue;
        m_joyDisplay[i]->setPixmap(source->pixmap());
        if (!live)
            m_joyDisplay[i]->setToolTip(source->toolTip());
    }
}

void FrmMonitor::monitorDrawMag() {
    const ConnectState state = m_context.state.session.connectState();
    if (state == ConnectState::Connected || state == ConnectState::MonitorPolling)
        return;
    const UnitVariable* type = var(HvcId::HVC_SOL_TYPE);
    const int t = type ? type->shownValue : 0;
    if (t < 0 || t > 2)
        return;
    // The solenoid names are not filled by anything, so the tooltips stay empty, and
    // the second solenoid picture does not exist: type 2 shows none.
    const QPixmap picture =
        t <= 1 && m_config.defaultSolenoidPicture ? m_config.defaultSolenoidPicture() : QPixmap();
    for (QLabel* solenoid : m_magADisplay) {
        solenoid->setPixmap(picture);
        solenoid->setToolTip({});
    }
}

// ---- the status words

void FrmMonitor::updateErrObj(std::uint16_t word) {
    showReady(unitReady(word));
}

void FrmMonitor::showReady(bool ready) {
    const QColor colour = ready ? kReadyColour : kNotReadyColour;
    setColours(m_shpErr, colour, QColor());
    setColours(m_lblErr, QColor(), colour);
    showValue(m_lblErr, QString::fromLatin1(ready ? kReadyText : kNotReadyText));
    speakShown(m_frmErr, m_lblErr->text());
    speakShown(m_shpErr, m_lblErr->text());
}

void FrmMonitor::updateActiveOutput(std::uint16_t word) {
    for (int i = 0; i < kSections; ++i) {
        const bool a = outputOn(word, i, ValveSide::A);
        const bool b = outputOn(word, i, ValveSide::B);
        showOnOff(m_lblValveA[i], a);
        showOnOff(m_lblHSDA[i], a);
        showOnOff(m_lblValveB[i], b);
        showOnOff(m_lblHSDB[i], b);
        for (QLabel* l : {m_lblValveA[i], m_lblHSDA[i]})
            speakShown(l, a ? QStringLiteral("on") : QStringLiteral("off"));
        for (QLabel* l : {m_lblValveB[i], m_lblHSDB[i]})
            speakShown(l, b ? QStringLiteral("on") : QStringLiteral("off"));
    }
}

void FrmMonitor::updateActiveDin(std::uint16_t word) {
    auto show = [word](QLabel* label) {
        const bool on = inputActive(word, label->property(kTag).toInt());
        showOnOff(label, on);
        speakShown(label, on ? QStringLiteral("active") : QStringLiteral("not active"));
    };
    for (int i = 0; i < kSections; ++i)
        for (QLabel* label : {m_lblDinLJoy[i], m_lblDinHJoy[i]})
            if (label->isVisibleTo(this))
                show(label);
    show(m_lblPinDM);
    show(m_lblPinSL);
    for (QLabel* label : m_lblFL)
        show(label);
}

// ---- trend and recording

void FrmMonitor::passCompleted(const MonitorSample& sample) {
    m_plot->addSample(sample);
    if (!m_recorder.isOpen())
        return;
    if (const Status status = m_recorder.write(sample); !status) {
        (void)m_recorder.close();
        m_context.state.observers.prompter().informDetailed(status.text(), status.detail(),
                                                            QString(), PromptIcon::Exclamation);
    }
    showRecordState();
}

void FrmMonitor::pollingStopped(const Status&) {
    stopRecording();
}

void FrmMonitor::toggleRecording() {
    if (recording()) {
        stopRecording();
        return;
    }
    const QString path = chooseRecordFile ? chooseRecordFile() : QString();
    if (!path.isEmpty())
        startRecording(path);
}

void FrmMonitor::startRecording(const QString& path) {
    (void)m_recorder.close();
    if (const Status status =
            m_recorder.open(path, m_context.state.document.catalogue, m_model.polledVarIds());
        !status)
        m_context.state.observers.prompter().informDetailed(status.text(), status.detail(),
                                                            QString(), PromptIcon::Exclamation);
    showRecordState();
}

void FrmMonitor::stopRecording() {
    if (!m_recorder.isOpen())
        return;
    if (const Status status = m_recorder.close(); !status)
        m_context.state.observers.prompter().informDetailed(status.text(), status.detail(),
                                                            QString(), PromptIcon::Exclamation);
    showRecordState();
}

void FrmMonitor::showRecordState() {
    if (!m_cmdRecord)
        return;
    const ConnectState state = m_context.state.session.connectState();
    const bool on = m_recorder.isOpen();
    m_cmdRecord->setText(on ? QStringLiteral("Stop Recording") : QStringLiteral("Record\u2026"));
    m_cmdRecord->setEnabled(on || state == ConnectState::Connected ||
                            state == ConnectState::MonitorPolling);
    const QString file = QFileInfo(m_recorder.path()).fileName();
    QString text;
    if (on)
        text = QStringLiteral("Recording to %1: %2 rows").arg(file).arg(m_recorder.rows());
    else if (!file.isEmpty())
        text = QStringLiteral("Recorded %1 rows to %2").arg(m_recorder.rows()).arg(file);
    showValue(m_lblRecord, text);
}

} // namespace hvc
