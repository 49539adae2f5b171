#include "config/frmconfig.h"

#include "core/joyinputs.h"
#include "core/prompter.h"
#include "shell/csection.h"
#include "shell/mainbar.h"
#include "shell/numberfield.h"
#include "shell/pagestatus.h"
#include "shell/pendingmark.h"
#include "shell/sectioncolours.h"
#include "shell/spokenvalue.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

namespace hvc {

namespace {

// The per-solenoid and per-section identifiers follow each other in HvcId.
constexpr int idOf(HvcId id) {
    return static_cast<int>(id);
}
static_assert(idOf(HvcId::HVC_I7_MAX) - idOf(HvcId::HVC_I0_MIN) == 15);
static_assert(idOf(HvcId::HVC_I7_SDM_MAX) - idOf(HvcId::HVC_I0_SDM_MIN) == 15);
static_assert(idOf(HvcId::HVC_RAMP_TRISE_7) - idOf(HvcId::HVC_RAMP_TRISE_0) == 7);
static_assert(idOf(HvcId::HVC_RAMP_TFALL_7) - idOf(HvcId::HVC_RAMP_TFALL_0) == 7);
static_assert(idOf(HvcId::HVC_RAMP_INV_MODE_3) - idOf(HvcId::HVC_RAMP_INV_MODE_0) == 3);
static_assert(idOf(HvcId::HVC_JOY_3_CONFIG) - idOf(HvcId::HVC_JOY_0_CONFIG) == 3);
static_assert(idOf(HvcId::HVC_JOY_3_ID) - idOf(HvcId::HVC_JOY_0_ID) == 3);

HvcId shifted(HvcId first, int offset) {
    return static_cast<HvcId>(idOf(first) + offset);
}

// "1A", "1B" .. "4A", "4B".
QString solenoidLabel(int solenoid) {
    return QString::number(solenoid / 2 + 1) + QLatin1Char(solenoid % 2 == 0 ? 'A' : 'B');
}

QString arrayName(const char* name, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

void setBack(QWidget* w, const QColor& colour) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, colour);
    // Buttons (the mode boxes) fill from their own role.
    pal.setColor(w->backgroundRole(), colour);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

void setFore(QWidget* w, const QColor& colour) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, colour);
    w->setPalette(pal);
}

// Replaces the first two entries of a list by `a` and `b`, selecting none.
void fillTwo(QComboBox* combo, const QString& a, const QString& b) {
    const QSignalBlocker block(combo);
    for (int n = 0; n < 2 && combo->count() > 0; ++n)
        combo->removeItem(0);
    combo->insertItem(0, a);
    combo->insertItem(1, b);
    combo->setCurrentIndex(-1);
}

QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

FrmConfig::FrmConfig(ShellContext& context, QWidget* parent)
    : PageForm(context, Page::Config, parent) {
    setObjectName(QStringLiteral("frmConfig"));
    loadPagePictures();

    m_cmbVCUSysType = new QComboBox(this);
    m_cmbVCUSysType->setObjectName(QStringLiteral("CmbVCUSysType"));
    m_cmbVCUSysType->setAccessibleName(QStringLiteral("System type"));
    m_cmbVCUSysType->addItems({QStringLiteral("P"), QStringLiteral("F")});
    m_cmbVCUType = new QComboBox(this);
    m_cmbVCUType->setObjectName(QStringLiteral("CmbVCUType"));
    m_cmbVCUType->setAccessibleName(QStringLiteral("Number of sections"));
    m_cmbVCUType->addItems({QStringLiteral("VCU 1"), QStringLiteral("VCU 2"),
                            QStringLiteral("VCU 3"), QStringLiteral("VCU 4")});
    for (QComboBox* c : {m_cmbVCUSysType, m_cmbVCUType}) {
        c->setCurrentIndex(-1);
        c->hide();
    }
    connect(m_cmbVCUSysType, &QComboBox::currentIndexChanged, this, &FrmConfig::sysTypeSelected);
    connect(m_cmbVCUType, &QComboBox::currentIndexChanged, this, &FrmConfig::vcuTypeSelected);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_tabs->addTab(buildCurrentsTab(false), QStringLiteral("CURRENTS"));
    m_tabs->addTab(buildCurrentsTab(true), QStringLiteral("CURRENTS SLOW"));
    m_tabs->addTab(buildRampsTab(), QStringLiteral("RAMPS"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);
    layout->addWidget(buildTop());
    layout->addWidget(buildFloatGroup());
    layout->addWidget(m_tabs, 1);

    // Load: the joystick catalogue and its pictures, then the first drawing.
    AppState& state = m_context.state;
    state.document.joysticks.loadJoyList(m_context.resPath(QStringLiteral("ini/JoylistNew.ini")),
                                         state.observers.prompter());
    QCoreApplication::processEvents();
    m_context.pictures.joyPictures.load(state.document.joysticks,
                                        m_context.resPath(QStringLiteral("bmp/joy")));
    QCoreApplication::processEvents();
    for (QLabel* picture : m_magSel)
        picture->setCursor(m_context.pictures.joyPictures.handCursor());
    refreshObject();
    m_tabs->setCurrentIndex(0);
    m_tabs->setTabEnabled(1, true);
    joyVarDefaultSet();
}

void FrmConfig::loadPagePictures() {
    m_controllerPicture = QPixmap(m_context.resPath(QStringLiteral("bmp/Ecu/CTRLBOX.jpg")));
    m_defaultSolenoidPicture =
        QPixmap(m_context.resPath(QStringLiteral("bmp/Magnet/Solenoid.jpg")));
}

QLabel* FrmConfig::sectionLabel(const char* name, int section, const QString& text) {
    auto* label = new QLabel(text, this);
    label->setObjectName(arrayName(name, section));
    addToSection(section, label);
    return label;
}

void FrmConfig::addToSection(int section, QWidget* widget) {
    m_sectionWidgets[static_cast<size_t>(section)].append(widget);
}

QWidget* FrmConfig::buildTop() {
    auto* top = new QWidget(this);
    auto* row = new QHBoxLayout(top);
    row->setContentsMargins(0, 0, 0, 0);

    auto* ecuFrame = new QFrame(top);
    ecuFrame->setObjectName(QStringLiteral("ImgECUPic"));
    ecuFrame->setFrameShape(QFrame::StyledPanel);
    auto* ecuBox = new QVBoxLayout(ecuFrame);
    ecuBox->setContentsMargins(4, 4, 4, 4);
    m_imgECU = new QLabel(ecuFrame);
    m_imgECU->setObjectName(QStringLiteral("ImgECU"));
    m_imgECU->setAccessibleName(QStringLiteral("Selected ECU"));
    m_imgECU->setFixedSize(112, 84);
    m_imgECU->setScaledContents(true);
    auto* ecuCaption = new QLabel(QStringLiteral("Selected ECU"), ecuFrame);
    ecuCaption->setAlignment(Qt::AlignCenter);
    ecuBox->addWidget(m_imgECU, 0, Qt::AlignCenter);
    ecuBox->addWidget(ecuCaption);
    row->addWidget(ecuFrame);

    auto* joys = new QGridLayout;
    joys->setHorizontalSpacing(6);
    joys->setVerticalSpacing(2);
    for (int i = 0; i < kSections; ++i) {
        QLabel* desc = sectionLabel("lblSectionDesc", i, QStringLiteral("Sect. %1").arg(i + 1));
        QFont bold = desc->font();
        bold.setBold(true);
        desc->setFont(bold);
        desc->setAlignment(Qt::AlignCenter);
        m_lblSectionDesc.append(desc);

        QLabel* panel = sectionLabel("lblJoy", i);
        panel->setAccessibleName(QStringLiteral("Joystick %1 panel").arg(i + 1));
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setMinimumHeight(104);
        m_lblJoy.append(panel);
        auto* inPanel = new QVBoxLayout(panel);
        inPanel->setContentsMargins(4, 2, 4, 2);
        inPanel->setSpacing(1);
        QLabel* joyDesc = sectionLabel("lblJoyDesc", i, QStringLiteral("Joy %1").arg(i + 1));
        joyDesc->setParent(panel);
        m_lblJoyDesc.append(joyDesc);
        auto* focus = new QFrame(panel);
        focus->setObjectName(arrayName("JoyFocus", i));
        addToSection(i, focus);
        auto* inFocus = new QHBoxLayout(focus);
        inFocus->setContentsMargins(1, 1, 1, 1);
        QLabel* picture = sectionLabel("JoySel", i);
        picture->setParent(focus);
        picture->setAccessibleName(QStringLiteral("Joystick %1").arg(i + 1));
        picture->setFixedSize(56, 56);
        picture->setScaledContents(true);
        inFocus->addWidget(picture);
        m_joySel.append(picture);
        QLabel* pin = sectionLabel("LblPin", i, QStringLiteral("D1.10 - AI_1"));
        pin->setParent(panel);
        nameValueLabel(pin, QStringLiteral("Joystick %1 input").arg(i + 1));
        pin->setAlignment(Qt::AlignCenter);
        m_lblPin.append(pin);
        joyDesc->setAlignment(Qt::AlignCenter);
        inPanel->addWidget(joyDesc);
        inPanel->addWidget(focus, 0, Qt::AlignCenter);
        inPanel->addWidget(pin);

        auto* line = new QFrame(top);
        line->setObjectName(QStringLiteral("Line%1").arg(i));
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Plain);
        line->setLineWidth(3);
        m_lines.append(line);

        joys->addWidget(desc, 0, i);
        joys->addWidget(panel, 1, i);
        joys->addWidget(line, 2, i);
        joys->setColumnStretch(i, 1);
    }
    row->addLayout(joys, 1);
    m_sectionGrids.append({joys, 0});

    auto* side = new QGridLayout;
    side->setVerticalSpacing(2);
    m_cmdCanSettings = new QPushButton(QStringLiteral("JoyStick and Digital Settings"), top);
    m_cmdCanSettings->setObjectName(QStringLiteral("CmdCanSettings"));
    connect(m_cmdCanSettings, &QPushButton::clicked, this, &FrmConfig::canSettingsRequested);
    m_cmb2BProp = new QComboBox(top);
    m_cmb2BProp->setObjectName(QStringLiteral("Cmb2BProp"));
    m_cmb2BProp->setAccessibleName(QStringLiteral("2B proportional control"));
    m_cmbAIRange = new QComboBox(top);
    m_cmbAIRange->setObjectName(QStringLiteral("CmbAIRange"));
    m_cmbAIRange->setAccessibleName(QStringLiteral("Analog input range"));
    side->addWidget(m_cmdCanSettings, 0, 0);
    side->addWidget(caption(QStringLiteral("2B proportional control"), m_cmb2BProp, top), 1, 0);
    side->addWidget(m_cmb2BProp, 2, 0);
    side->addWidget(caption(QStringLiteral("Analog input range"), m_cmbAIRange, top), 3, 0);
    side->addWidget(m_cmbAIRange, 4, 0);
    side->setRowStretch(5, 1);
    // Dims every field without a pending edit, to check a long edit session at a glance.
    auto* onlyModified = new QCheckBox(QStringLiteral("Show only modified"), top);
    onlyModified->setObjectName(QStringLiteral("ChkOnlyModified"));
    connect(onlyModified, &QCheckBox::toggled, this,
            [this](bool on) { showOnlyModified(this, on); });
    side->addWidget(onlyModified, 6, 0);
    row->addLayout(side);
    return top;
}

QWidget* FrmConfig::buildFloatGroup() {
    // Set on the joystick and digital settings page; shown here for reference only.
    auto* group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("FrmFloat"));
    group->setAccessibleName(QStringLiteral("Float and dead man"));
    auto* row = new QHBoxLayout(group);
    row->setContentsMargins(6, 2, 6, 2);
    const struct {
        const char* name;
        const char* text;
    } combos[] = {{"CmbDMPina", "Dead man input pin"},
                  {"CmbFLoatPina", "Float/Slow input pin"},
                  {"CmbFloatMagneta", "Float/Slow function"}};
    for (const auto& c : combos) {
        auto* combo = new QComboBox(group);
        combo->setObjectName(QString::fromLatin1(c.name));
        combo->setAccessibleName(QString::fromLatin1(c.text));
        combo->setMinimumWidth(70);
        row->addWidget(caption(QString::fromLatin1(c.text), combo, group));
        row->addWidget(combo);
        row->addSpacing(8);
    }
    auto* current = new QLineEdit(group);
    current->setObjectName(QStringLiteral("TxtFloatCurrenta"));
    current->setAccessibleName(QStringLiteral("Float current [mA]"));
    current->setMaximumWidth(60);
    auto* scroll = new QScrollBar(Qt::Horizontal, group);
    scroll->setObjectName(QStringLiteral("hscFloatCurrenta"));
    scroll->setAccessibleName(QStringLiteral("Float current [mA] slider"));
    scroll->setMinimumWidth(80);
    row->addWidget(caption(QStringLiteral("Float current [mA]"), current, group));
    row->addWidget(current);
    row->addWidget(scroll, 1);
    group->setEnabled(false);
    return group;
}

QWidget* FrmConfig::buildCurrentsTab(bool slow) {
    auto* tab = new QWidget;
    auto* grid = new QGridLayout(tab);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    const QString suffix = slow ? QStringLiteral("sdm") : QString();
    auto name = [&suffix](const char* base, int i) {
        return QStringLiteral("%1%2_%3").arg(QLatin1String(base), suffix).arg(i);
    };
    if (!slow) {
        grid->addWidget(new QLabel(QStringLiteral("Dither Frequency"), tab), 2, 0);
        grid->addWidget(new QLabel(QStringLiteral("DitherAmplitude"), tab), 3, 0);
    }
    // Each current control names its solenoid and its own "Min" and "Max".

    for (int i = 0; i < kSections; ++i) {
        const int column = i + 1;
        auto* strip = new QLabel(tab);
        strip->setObjectName(name("lblCurrent", i));
        strip->setAccessibleName(QStringLiteral("Section %1 colour").arg(i + 1));
        strip->setFixedHeight(8);
        addToSection(i, strip);
        (slow ? m_lblCurrentsdm : m_lblCurrent).append(strip);
        grid->addWidget(strip, 0, column);

        auto* focus = new QFrame(tab);
        focus->setObjectName(name("MagFocus", i));
        addToSection(i, focus);
        auto* inFocus = new QHBoxLayout(focus);
        inFocus->setContentsMargins(2, 2, 2, 2);
        auto* picture = new QLabel(focus);
        picture->setObjectName(name("MagSel", i));
        picture->setAccessibleName(QStringLiteral("Solenoids of section %1").arg(i + 1));
        picture->setFixedSize(108, 60);
        picture->setScaledContents(true);
        addToSection(i, picture);
        (slow ? m_magSelsdm : m_magSel).append(picture);
        if (!slow)
            picture->installEventFilter(this);
        auto* lblMag = new QLabel(QStringLiteral("Sect. %1").arg(i + 1), focus);
        lblMag->setObjectName(name("lblMag", i));
        speakValue(lblMag, QStringLiteral("Dither settings of"), lblMag->text());
        lblMag->setFocusPolicy(Qt::StrongFocus);
        lblMag->installEventFilter(this);
        addToSection(i, lblMag);
        inFocus->addWidget(picture);
        inFocus->addWidget(lblMag);
        inFocus->addStretch();
        grid->addWidget(focus, 1, column);

        if (!slow) {
            for (QVector<QLabel*>* list : {&m_lblFreq, &m_lblAmp}) {
                const bool freq = list == &m_lblFreq;
                auto* label =
                    new QLabel(freq ? QStringLiteral("--- Hz") : QStringLiteral("--- mA"), tab);
                label->setObjectName(arrayName(freq ? "LblFreq" : "LblAmp", i));
                nameValueLabel(label, QStringLiteral("%1 section %2")
                                          .arg(freq ? QStringLiteral("Dither frequency")
                                                    : QStringLiteral("Dither amplitude"))
                                          .arg(i + 1));
                label->setAlignment(Qt::AlignCenter);
                addToSection(i, label);
                list->append(label);
                grid->addWidget(label, freq ? 2 : 3, column);
            }
        }

        for (int side = 0; side < 2; ++side) {
            const int solenoid = 2 * i + side;
            auto* control = new CSection(m_context.state.document.flags, i, tab);
            control->setObjectName(name(side == 0 ? "MagA" : "MagB", i));
            if (slow)
                control->setSetName(QStringLiteral("slow set"));
            control->setSolenoidLabel(solenoidLabel(solenoid));
            connect(control, &CSection::minChanged, this, &FrmConfig::currentChanged);
            connect(control, &CSection::maxChanged, this, &FrmConfig::currentChanged);
            addToSection(i, control);
            if (slow)
                (side == 0 ? m_magAsdm : m_magBsdm).append(control);
            else
                (side == 0 ? m_magA : m_magB).append(control);
            grid->addWidget(control, 4 + side, column);
        }
        grid->setColumnStretch(column, 1);
    }
    // The two sides share the height of the tab; the controls centre their fields.
    grid->setRowStretch(4, 1);
    grid->setRowStretch(5, 1);
    m_sectionGrids.append({grid, 1});
    return tab;
}

QWidget* FrmConfig::buildRampsTab() {
    auto* tab = new QWidget;
    auto* grid = new QGridLayout(tab);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    auto* mode = new QLabel(QStringLiteral("MODE"), tab);
    grid->addWidget(mode, 3, 0);
    for (int i = 0; i < kSections; ++i) {
        const int column = i + 1;
        QLabel* strip = sectionLabel("lblRump", i);
        strip->setParent(tab);
        strip->setAccessibleName(QStringLiteral("Section %1 colour").arg(i + 1));
        strip->setFixedHeight(8);
        m_lblRump.append(strip);
        grid->addWidget(strip, 0, column);
        QGroupBox* a = buildRampFrame(2 * i);
        QGroupBox* b = buildRampFrame(2 * i + 1);
        a->setParent(tab);
        b->setParent(tab);
        grid->addWidget(a, 1, column);
        grid->addWidget(b, 2, column);

        auto* modes = new QHBoxLayout;
        for (bool isBreak : {true, false}) {
            auto* box =
                new QCheckBox(isBreak ? QStringLiteral("BREAK") : QStringLiteral("FULL"), tab);
            box->setObjectName(arrayName(isBreak ? "ChkBreak" : "ChkFull", i));
            box->setAccessibleName(
                QStringLiteral("Ramp mode %1 section %2")
                    .arg(isBreak ? QStringLiteral("BREAK") : QStringLiteral("FULL"))
                    .arg(i + 1));
            box->setAutoFillBackground(true);
            connect(box, &QCheckBox::toggled, this,
                    [this, i, isBreak](bool on) { modeClicked(i, isBreak, on); });
            (isBreak ? m_chkBreak : m_chkFull).append(box);
            modes->addWidget(box);
        }
        grid->addLayout(modes, 3, column);
        grid->setColumnStretch(column, 1);
    }
    grid->setRowStretch(4, 1);
    m_sectionGrids.append({grid, 1});
    return tab;
}

QGroupBox* FrmConfig::buildRampFrame(int solenoid) {
    const int i = solenoid / 2;
    const bool sideA = solenoid % 2 == 0;
    auto* frame = new QGroupBox(solenoidLabel(solenoid), this);
    frame->setObjectName(arrayName(sideA ? "RampA" : "RampB", i));
    (sideA ? m_rampA : m_rampB).append(frame);
    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setVerticalSpacing(1);
    const QString label = solenoidLabel(solenoid);
    buildRampField(m_rise[static_cast<size_t>(solenoid)], HvcId::HVC_RAMP_TRISE_0, solenoid,
                   QStringLiteral("Rise time %1 [ms]").arg(label));
    buildRampField(m_fall[static_cast<size_t>(solenoid)], HvcId::HVC_RAMP_TFALL_0, solenoid,
                   QStringLiteral("Fall time %1 [ms]").arg(label));
    int row = 0;
    for (RampField* f :
         {&m_rise[static_cast<size_t>(solenoid)], &m_fall[static_cast<size_t>(solenoid)]}) {
        const bool rise = f->first == HvcId::HVC_RAMP_TRISE_0;
        const char* unitName =
            sideA ? (rise ? "lblUnit1TR" : "lblUnit1TF") : (rise ? "lblUnit2TR" : "lblUnit2TF");
        auto* unit =
            new QLabel(rise ? QStringLiteral("T Rise [ms]") : QStringLiteral("T.Fall [ms]"), frame);
        unit->setObjectName(arrayName(unitName, i));
        unit->setBuddy(f->text);
        (sideA ? (rise ? m_lblUnit1TR : m_lblUnit1TF) : (rise ? m_lblUnit2TR : m_lblUnit2TF))
            .append(unit);
        f->text->setParent(frame);
        f->scroll->setParent(frame);
        grid->addWidget(unit, row, 0);
        grid->addWidget(f->text, row, 1);
        grid->addWidget(f->scroll, row + 1, 0, 1, 2);
        row += 2;
    }
    return frame;
}

void FrmConfig::buildRampField(RampField& field, HvcId first, int solenoid, const QString& name) {
    const bool rise = first == HvcId::HVC_RAMP_TRISE_0;
    field.first = first;
    field.solenoid = solenoid;
    field.text = new QLineEdit(rise ? QStringLiteral("500") : QStringLiteral("1000"), this);
    field.text->setObjectName(arrayName(rise ? "TxtTRise" : "TxtTFall", solenoid));
    field.text->setAccessibleName(name);
    field.text->setMaximumWidth(64);
    field.text->installEventFilter(this);
    field.scroll = new QScrollBar(Qt::Horizontal, this);
    field.scroll->setObjectName(arrayName(rise ? "hscTRise" : "hscTFall", solenoid));
    field.scroll->setAccessibleName(name + QStringLiteral(" slider"));
    keepPlainColours(field.text);
    keepPlainColours(field.scroll);
    connect(field.text, &QLineEdit::textChanged, this, [this, &field] { rampTextChanged(field); });
    connect(field.scroll, &QScrollBar::valueChanged, this, [this, &field] { rampScrolled(field); });
}

// ---- records

UnitVariable* FrmConfig::var(HvcId id) const {
    return m_context.state.document.catalogue.find(id);
}

UnitVariable* FrmConfig::var(HvcId first, int offset) const {
    return var(shifted(first, offset));
}

int FrmConfig::riseTimeIndex(int index) const {
    if (index < 0 || index >= kSolenoids)
        return 0;
    return m_context.state.document.catalogue.idIndex(shifted(HvcId::HVC_RAMP_TRISE_0, index));
}

int FrmConfig::fallTimeIndex(int index) const {
    if (index < 0 || index >= kSolenoids)
        return 0;
    return m_context.state.document.catalogue.idIndex(shifted(HvcId::HVC_RAMP_TFALL_0, index));
}

UnitVariable* FrmConfig::rampVar(const RampField& field) const {
    const int p = field.first == HvcId::HVC_RAMP_TRISE_0 ? riseTimeIndex(field.solenoid)
                                                         : fallTimeIndex(field.solenoid);
    return m_context.state.document.catalogue.varTable(p);
}

// ---- refresh

void FrmConfig::refreshObject() {
    refreshConfiguration();
    refreshData();
    refreshName();
    refreshColour();
}

void FrmConfig::refreshConfiguration() {
    configDrawMag();
    drawVcuSystem();
    configDrawJoy();
}

void FrmConfig::refreshData() {
    for (int k = 0; k < kSolenoids; ++k) {
        CSection* control = (k % 2 == 0 ? m_magA : m_magB)[k / 2];
        control->setMinVar(var(HvcId::HVC_I0_MIN, 2 * k));
        control->setMaxVar(var(HvcId::HVC_I0_MAX, 2 * k));
    }
    for (int k = 0; k < kSolenoids; ++k) {
        CSection* control = (k % 2 == 0 ? m_magAsdm : m_magBsdm)[k / 2];
        control->setMinVar(var(HvcId::HVC_I0_SDM_MIN, 2 * k));
        control->setMaxVar(var(HvcId::HVC_I0_SDM_MAX, 2 * k));
    }
    // The working value, not the unit's: what a file load or an unwritten edit
    // changed stays on show (and stays in the record, as the change handling runs).
    if (const UnitVariable* type = var(HvcId::HVC_SYSTEM_TYPE)) {
        if (type->shownValue == 1)
            m_cmbVCUSysType->setCurrentIndex(0);
        else if (type->shownValue == 0)
            m_cmbVCUSysType->setCurrentIndex(1);
    }
    for (RampField& f : m_rise)
        refreshRamp(f);
    for (RampField& f : m_fall)
        refreshRamp(f);
    for (int i = 0; i < kSections; ++i) {
        UnitVariable* mode = var(HvcId::HVC_RAMP_INV_MODE_0, i);
        if (!mode)
            continue;
        const bool isBreak = mode->workingWord == kModeBreak;
        m_chkBreak[i]->setChecked(isBreak);
        m_chkFull[i]->setChecked(!isBreak);
        markMode(i);
    }
    for (int i = 0; i < kSections; ++i)
        if (const UnitVariable* config = var(HvcId::HVC_JOY_0_CONFIG, i))
            showValue(m_lblPin[i], pinLabelText(static_cast<std::uint16_t>(config->workingWord),
                                                m_lblPin[i]->text()));
}

void FrmConfig::refreshRamp(RampField& field) {
    UnitVariable* record = rampVar(field);
    if (!record)
        return;
    field.text->setText(QString::number(record->workingWord));
    const int low = record->minValue;
    const int high = std::max(low, static_cast<int>(record->maxValue));
    {
        // A new range may move the bar; that is no value the page shows yet.
        const QSignalBlocker block(field.scroll);
        field.scroll->setRange(low, high);
        field.scroll->setPageStep(std::max(1, (high - low) / 20));
    }
    if (record->workingWord >= low && record->workingWord <= high) {
        field.scroll->setValue(record->workingWord);
    } else {
        // Out of the limits: the text shows the value as it is and the bar stands at
        // the nearer limit, writing nothing back; the user's next change decides.
        const QSignalBlocker block(field.scroll);
        field.scroll->setValue(record->workingWord);
    }
    showEditMark(field.text, *record, record->saveName);
}

void FrmConfig::refreshName() {
    for (const auto* set : {&m_magA, &m_magAsdm}) {
        const auto& b = set == &m_magA ? m_magB : m_magBsdm;
        for (int i = 0; i < kSections; ++i) {
            (*set)[i]->setSolenoidLabel(solenoidLabel(2 * i));
            b[i]->setSolenoidLabel(solenoidLabel(2 * i + 1));
        }
    }
}

void FrmConfig::refreshColour() {
    const SectionColours& colours = m_context.colours;
    for (int i = 0; i < kSections; ++i) {
        const QColor back = toQColor(colours.sectionBackColor[static_cast<size_t>(i)]);
        const QColor fore = toQColor(colours.sectionForeColor[static_cast<size_t>(i)]);
        for (CSection* c : {m_magA[i], m_magB[i], m_magAsdm[i], m_magBsdm[i]}) {
            c->setMainColor(back);
            c->setSecondColor(fore);
        }
        for (QWidget* w : std::initializer_list<QWidget*>{
                 m_lblCurrentsdm[i], m_lblJoy[i], m_lblCurrent[i], m_lblRump[i], m_rampA[i],
                 m_rampB[i], m_chkFull[i], m_chkBreak[i], m_lblFreq[i], m_lblAmp[i]})
            setBack(w, back);
        for (QWidget* w : std::initializer_list<QWidget*>{
                 m_rampA[i], m_rampB[i], m_chkFull[i], m_chkBreak[i], m_lblUnit1TR[i],
                 m_lblUnit1TF[i], m_lblUnit2TR[i], m_lblUnit2TF[i], m_lblFreq[i], m_lblAmp[i],
                 m_lblPin[i], m_lblJoyDesc[i]})
            setFore(w, fore);
    }
    for (int i = 0; i < kSections; ++i)
        if (auto* line = findChild<QFrame*>(QStringLiteral("Line%1").arg(i)))
            setFore(line, toQColor(colours.sectionBackColor[static_cast<size_t>(i)]));
}

void FrmConfig::drawVcuSystem() {
    const UnitVariable* sections = var(HvcId::HVC_NUM_PROP_REG);
    const int n = sections ? sections->shownValue : 0;
    // Outside 1..4 the unit's word means nothing here; show what can be shown.
    const int shown = std::clamp(n, 1, kSections);
    m_imgECU->setPixmap(m_controllerPicture);
    const UnitVariable* type = var(HvcId::HVC_SYSTEM_TYPE);
    const bool typeP = type && type->shownValue == 1;
    const int nameIndex = typeP ? n - 1 : n + 3;
    m_imgECU->setToolTip(nameIndex >= 0 &&
                                 nameIndex < static_cast<int>(m_context.controllerNames.size())
                             ? m_context.controllerNames[static_cast<size_t>(nameIndex)]
                             : QString());
    speakValue(m_imgECU, QStringLiteral("Selected ECU"), m_imgECU->toolTip());
    m_cmbVCUSysType->setCurrentIndex(typeP ? 0 : 1);

    for (int i = 0; i < kSections; ++i)
        for (QWidget* w : m_sectionWidgets[static_cast<size_t>(i)])
            w->setVisible(i < shown);
    for (int i = 0; i < kSections; ++i)
        m_lines[i]->setVisible(i < shown);
    if (n >= 1 && n <= kSections)
        m_cmbVCUType->setCurrentIndex(n - 1);
    m_cmbVCUType->hide();
    m_cmbVCUSysType->hide();
    for (int i = 0; i < kSections; ++i)
        for (QWidget* w :
             std::initializer_list<QWidget*>{m_rampA[i], m_rampB[i], m_chkBreak[i], m_chkFull[i]})
            w->setVisible(i < shown);
    for (const auto& [grid, first] : m_sectionGrids)
        for (int i = 0; i < kSections; ++i)
            grid->setColumnStretch(first + i, i < shown ? 1 : 0);
    configDrawFloat();
}

void FrmConfig::configDrawFloat() {
    fillTwo(m_cmbAIRange, QStringLiteral("5V"), QStringLiteral("10V"));
    fillTwo(m_cmb2BProp, QStringLiteral("OFF"), QStringLiteral("ON"));
}

void FrmConfig::configDrawMag() {
    const UnitVariable* type = var(HvcId::HVC_SOL_TYPE);
    const int t = type ? type->shownValue : 0;
    for (int i = 0; i < kSections; ++i) {
        for (QLabel* picture : {m_magSel[i], m_magSelsdm[i]}) {
            if (t == 0 || t == 1) {
                picture->setPixmap(m_defaultSolenoidPicture);
                picture->setToolTip(QStringLiteral("Dither Settings"));
                picture->setEnabled(true);
            } else if (t == 2) {
                // No picture or name is made for special solenoids.
                picture->setPixmap({});
                picture->setToolTip({});
            }
        }
    }
    drawDither();
    Q_EMIT solenoidsDrawn();
}

void FrmConfig::drawDither() {
    const UnitVariable* freq = var(HvcId::HVC_DITHER_FREQ);
    const UnitVariable* amp = var(HvcId::HVC_DITHER_AMP);
    const QString freqText = QString::number(freq ? freq->workingWord : 0) + QStringLiteral(" Hz");
    const QString ampText = QString::number(amp ? amp->workingWord : 0) + QStringLiteral(" mA");
    for (int i = 0; i < kSections; ++i) {
        showValue(m_lblFreq[i], freqText);
        showValue(m_lblAmp[i], ampText);
    }
}

std::array<int, 4> FrmConfig::findJoyId() const {
    std::array<std::int32_t, 4> ids{};
    for (int k = 0; k < kSections; ++k)
        if (const UnitVariable* id = var(HvcId::HVC_JOY_0_ID, k))
            ids[static_cast<size_t>(k)] = id->shownValue;
    return hvc::findJoyId(m_context.state.document.joysticks, ids);
}

void FrmConfig::configDrawJoy() {
    const std::array<int, 4> positions = findJoyId();
    for (int k = 0; k < kSections; ++k) {
        const int p = positions[static_cast<size_t>(k)];
        m_joySel[k]->setPixmap(m_context.pictures.joyPictures.picture(p, JoyPicture::Normal));
        m_joySel[k]->setToolTip(m_context.state.document.joysticks.joyList(p).joyName);
        speakValue(m_joySel[k], QStringLiteral("Joystick %1").arg(k + 1), m_joySel[k]->toolTip());
    }
}

void FrmConfig::joyVarDefaultSet() {
    configDrawJoy();
}

// ---- ramps

std::optional<int> FrmConfig::wholeNumber(const QString& text) {
    const std::optional<double> v = fieldNumber(text);
    if (!v)
        return std::nullopt;
    return static_cast<int>(std::lround(*v));
}

void FrmConfig::rampTextChanged(RampField& field) {
    if (zeroEmptyField(field.text))
        return;
    const std::optional<int> v = wholeNumber(field.text->text());
    if (!v || *v < field.scroll->minimum() || *v > field.scroll->maximum())
        return;
    {
        // The text leads while it is typed: the bar follows without writing back.
        const QSignalBlocker block(field.scroll);
        field.scroll->setValue(*v);
    }
    m_context.state.document.flags.markDataChanged();
    if (UnitVariable* record = rampVar(field)) {
        record->workingWord = field.scroll->value();
        showEditMark(field.text, *record, record->saveName);
    }
}

void FrmConfig::rampScrolled(RampField& field) {
    field.text->setText(QString::number(field.scroll->value()));
    checkRampRange(field);
}

void FrmConfig::checkRampRange(RampField& field) {
    if (const UnitVariable* record = rampVar(field))
        m_rangeQuestion.ask(m_context.state.observers.prompter(), field.text, *record,
                            field.scroll->minimum(), field.scroll->maximum(),
                            [](const QString& text) -> std::optional<double> {
                                // The ramp boxes compare the number they would store.
                                const std::optional<int> v = wholeNumber(text);
                                return v ? std::optional<double>(*v) : std::nullopt;
                            });
}

bool FrmConfig::eventFilter(QObject* watched, QEvent* event) {
    RampField* field = nullptr;
    for (auto* set : {&m_rise, &m_fall})
        for (RampField& f : *set)
            if (f.text == watched)
                field = &f;
    if (field && event->type() == QEvent::KeyPress) {
        const auto& key = *static_cast<QKeyEvent*>(event);
        if (isEnterKey(key))
            checkRampRange(*field);
        return discardedNumberKey(key);
    }
    if (field && event->type() == QEvent::FocusOut) {
        if (leftTheField(*static_cast<QFocusEvent*>(event)))
            checkRampRange(*field);
        return false;
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        watched->objectName().startsWith(QLatin1String("MagSel_"))) {
        Q_EMIT ditherRequested(watched->objectName().section(QLatin1Char('_'), 1).toInt());
        return true;
    }
    // The caption beside a solenoid picture takes the focus for it: a frame shows
    // where the focus is, and Enter acts as a click on the picture.
    if (watched->objectName().startsWith(QLatin1String("lblMag"))) {
        auto* label = static_cast<QLabel*>(watched);
        const int section = label->objectName().section(QLatin1Char('_'), 1).toInt();
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
            if (auto* frame = qobject_cast<QFrame*>(label->parentWidget()))
                frame->setFrameShape(event->type() == QEvent::FocusIn ? QFrame::Box
                                                                      : QFrame::NoFrame);
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                Q_EMIT ditherRequested(section);
                return true;
            }
        }
    }
    return PageForm::eventFilter(watched, event);
}

// ---- ramp mode, type selectors, currents

void FrmConfig::modeClicked(int section, bool breakBox, bool ticked) {
    m_context.state.document.flags.markDataChanged();
    UnitVariable* mode = var(HvcId::HVC_RAMP_INV_MODE_0, section);
    QCheckBox* other = breakBox ? m_chkFull[section] : m_chkBreak[section];
    other->setChecked(!ticked);
    const bool isBreak = breakBox == ticked;
    if (mode) {
        mode->workingWord = isBreak ? kModeBreak : kModeFull;
        markMode(section);
    }
}

void FrmConfig::markMode(int section) {
    if (const UnitVariable* mode = var(HvcId::HVC_RAMP_INV_MODE_0, section))
        for (QCheckBox* box : {m_chkBreak[section], m_chkFull[section]})
            showEditMark(box, *mode, mode->saveName);
}

void FrmConfig::sysTypeSelected(int entry) {
    if (entry < 0)
        return;
    if (UnitVariable* type = var(HvcId::HVC_SYSTEM_TYPE))
        type->setShownValue(entry == 0 ? 1 : 0, m_context.state.document.flags);
    drawVcuSystem();
    m_magA[0]->raise();
}

void FrmConfig::vcuTypeSelected(int entry) {
    if (entry < 0)
        return;
    if (UnitVariable* sections = var(HvcId::HVC_NUM_PROP_REG))
        sections->setShownValue(entry + 1, m_context.state.document.flags);
    drawVcuSystem();
    m_magA[0]->raise();
}

void FrmConfig::currentChanged() {
    // The control edited the catalogue's own record; only the flag is left to set.
    m_context.state.document.flags.markDataChanged();
}

// ---- status

void FrmConfig::drawBar(MainBar& bar, QProgressBar*, const QString& text) {
    drawPageBar(bar, Page::Config, text);
}

} // namespace hvc
