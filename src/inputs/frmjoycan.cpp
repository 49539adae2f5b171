#include "inputs/frmjoycan.h"

#include "core/unitvariable.h"
#include "shell/shellcontext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <cmath>

namespace hvc {

namespace {

constexpr int kFirstFloatRow = 2; // command rows 2..5 are the float commands of sections 1..4

QString arrayName(const char* name, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

QString sectionNumber(int s) {
    return QString::number(s + 1);
}

// Shows `code` in a list whose first `known` entries carry their codes as data. A
// code the list has no entry for gets one, "? (code)", so that it shows what it is
// and goes back unchanged; it goes again as soon as another code is shown.
void showCode(QComboBox* combo, int known, int code) {
    const QSignalBlocker block(combo);
    while (combo->count() > known)
        combo->removeItem(combo->count() - 1);
    int index = combo->findData(code);
    if (index < 0) {
        combo->addItem(unknownCodeCaption(code), code);
        index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);
}

int codeOf(const QComboBox* combo) {
    return combo->currentData().toInt();
}

void setChecked(QCheckBox* box, bool on) {
    const QSignalBlocker block(box);
    box->setChecked(on);
}

QLabel* header(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QGridLayout* compactGrid(QGroupBox* frame) {
    auto* grid = new QGridLayout(frame);
    grid->setVerticalSpacing(2);
    grid->setHorizontalSpacing(8);
    grid->setContentsMargins(8, 4, 8, 6);
    return grid;
}

} // namespace

FrmJoyCan::FrmJoyCan(ShellContext& context, QWidget* parent) : QDialog(parent), m_context(context) {
    setObjectName(QStringLiteral("FrmJoyCan"));
    setWindowTitle(QStringLiteral("Configure Joystick Can"));
    setModal(false);

    auto* numbers = new QHBoxLayout;
    numbers->addWidget(buildNumberFrame(JoyCanSettings::JoyNodeId, QStringLiteral("Joystick ID"),
                                        "TxtJoyID", "hscJoyID"));
    numbers->addWidget(buildNumberFrame(JoyCanSettings::JoyTimeout,
                                        QStringLiteral("Joystick Rx Timeout [ms]"), "TxtJoyTimeout",
                                        "hscJoyTimeout"));
    auto* right = new QVBoxLayout;
    right->addLayout(numbers);
    right->addWidget(buildChannelFrame());
    right->addWidget(buildCommandFrame());
    right->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addWidget(buildDigitalFrame());
    columns->addLayout(right, 1);

    m_cmdOk = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOk->setObjectName(QStringLiteral("CmdOk"));
    m_cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    // Enter belongs to the number boxes (their range question), never to a button.
    for (QPushButton* b : {m_cmdOk, m_cmdCancel})
        b->setAutoDefault(false);
    connect(m_cmdOk, &QPushButton::clicked, this, &FrmJoyCan::okClicked);
    connect(m_cmdCancel, &QPushButton::clicked, this, &FrmJoyCan::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOk);
    buttons->addWidget(m_cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(6);
    layout->addLayout(columns);
    layout->addWidget(buildAdvanceFrame());
    layout->addLayout(buttons);
}

// ---- building

void FrmJoyCan::buildNumberField(int n, const QString& accessible, const char* textName,
                                 const char* scrollName) {
    NumberField& f = m_numbers[static_cast<size_t>(n)];
    f.text = new QLineEdit(this);
    f.text->setObjectName(QLatin1String(textName));
    f.text->setAccessibleName(accessible);
    f.text->setFixedWidth(f.text->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12);
    f.text->installEventFilter(this);
    f.scroll = new QScrollBar(Qt::Horizontal, this);
    f.scroll->setObjectName(QLatin1String(scrollName));
    f.scroll->setAccessibleName(accessible + QStringLiteral(" slider"));
    f.scroll->setMinimumWidth(90);
    connect(f.scroll, &QScrollBar::valueChanged, this, [this, n] { numberScrolled(n); });
}

QGroupBox* FrmJoyCan::buildNumberFrame(int n, const QString& caption, const char* textName,
                                       const char* scrollName) {
    auto* frame = new QGroupBox(caption, this);
    buildNumberField(n, caption, textName, scrollName);
    const NumberField& f = m_numbers[static_cast<size_t>(n)];
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(8, 4, 8, 6);
    row->addWidget(f.text);
    row->addWidget(f.scroll, 1);
    return frame;
}

QComboBox* FrmJoyCan::newList(const QString& objectName, const QString& accessible,
                              const QStringList& captions) {
    auto* combo = new QComboBox(this);
    combo->setObjectName(objectName);
    combo->setAccessibleName(accessible);
    for (int code = 0; code < captions.size(); ++code)
        combo->addItem(captions.at(code), code);
    return combo;
}

QGroupBox* FrmJoyCan::buildDigitalFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Digial settings"), this);
    QGridLayout* grid = compactGrid(frame);
    const QStringList headers{QStringLiteral("Name"), QStringLiteral("Type"),
                              QStringLiteral("Byte"), QStringLiteral("Bit")};
    for (int c = 0; c < headers.size(); ++c)
        grid->addWidget(header(headers.at(c), frame), 0, c);
    for (int input = 1; input <= kDigitalInputs; ++input) {
        DigitalRow& row = m_digital[static_cast<size_t>(input - 1)];
        const QString name = digitalInputName(input);
        row.name = new QLabel(name, frame);
        row.name->setObjectName(arrayName("LblGgtName", input));
        row.type = newList(arrayName("CmbDgtType", input), name + QStringLiteral(" type"),
                           dgtTypeCaptions());
        row.byte = newList(arrayName("CmbByteNum", input), name + QStringLiteral(" byte"),
                           dgtPlaceCaptions());
        row.bit = newList(arrayName("CmbBitNum", input), name + QStringLiteral(" bit"),
                          dgtPlaceCaptions());
        row.name->setBuddy(row.type);
        grid->addWidget(row.name, input, 0);
        grid->addWidget(row.type, input, 1);
        grid->addWidget(row.byte, input, 2);
        grid->addWidget(row.bit, input, 3);
        connect(row.type, &QComboBox::currentIndexChanged, this, [this, input, &row] {
            m_settings.setDigitalType(input, codeOf(row.type));
            showDigital(input);
        });
        connect(row.byte, &QComboBox::currentIndexChanged, this,
                [this, input, &row] { m_settings.setDigitalByte(input, codeOf(row.byte)); });
        connect(row.bit, &QComboBox::currentIndexChanged, this,
                [this, input, &row] { m_settings.setDigitalBit(input, codeOf(row.bit)); });
    }
    grid->setRowStretch(kDigitalInputs + 1, 1);
    return frame;
}

QGroupBox* FrmJoyCan::buildChannelFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Joystick settings"), this);
    QGridLayout* grid = compactGrid(frame);
    for (int j = 0; j < kJoyChannels; ++j) {
        ChannelRow& row = m_channels[static_cast<size_t>(j)];
        const QString name = QStringLiteral("Joy %1").arg(j + 1);
        row.name = new QLabel(name, frame);
        row.name->setObjectName(arrayName("LblJoyName", j));
        row.type =
            newList(arrayName("CmbJoyType", j), name + QStringLiteral(" type"), joyTypeCaptions());
        row.word =
            newList(arrayName("CmbJoyWord", j), name + QStringLiteral(" word"), joyWordCaptions());
        row.inputA = newList(arrayName("CmbJoyDgtA", j), name + QStringLiteral(" side A input"),
                             inputCaptions());
        row.inputB = newList(arrayName("CmbJoyDgtB", j), name + QStringLiteral(" side B input"),
                             inputCaptions());
        row.name->setBuddy(row.type);
        grid->addWidget(row.name, j, 0);
        grid->addWidget(row.type, j, 1);
        grid->addWidget(row.word, j, 2);
        grid->addWidget(row.inputA, j, 3);
        grid->addWidget(row.inputB, j, 4);
        connect(row.type, &QComboBox::currentIndexChanged, this, [this, j, &row] {
            m_settings.setChannelType(j, codeOf(row.type));
            showChannel(j);
        });
        connect(row.word, &QComboBox::currentIndexChanged, this, [this, j, &row] {
            m_settings.setChannelWord(j, codeOf(row.word));
            showChannel(j);
        });
        connect(row.inputA, &QComboBox::currentIndexChanged, this, [this, j, &row] {
            m_settings.setChannelInputA(j, codeOf(row.inputA));
            showChannel(j);
        });
        connect(row.inputB, &QComboBox::currentIndexChanged, this, [this, j, &row] {
            m_settings.setChannelInputB(j, codeOf(row.inputB));
            showChannel(j);
        });
    }
    grid->setColumnStretch(1, 1);
    return frame;
}

QGroupBox* FrmJoyCan::buildCommandFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Command settings"), this);
    QGridLayout* grid = compactGrid(frame);
    const QStringList headers{QStringLiteral("Command"), QStringLiteral("Enable"),
                              QStringLiteral("Float Current"), QString(),
                              QStringLiteral("On Side B")};
    for (int c = 0; c < headers.size(); ++c)
        grid->addWidget(header(headers.at(c), frame), 0, c);
    for (int k = 0; k < kCommandInputs; ++k) {
        const QString name = commandNames().at(k);
        auto* caption = new QLabel(name, frame);
        m_commandNames[static_cast<size_t>(k)] = caption;
        QComboBox* list =
            newList(arrayName("CmbDgtIndex", k), name + QStringLiteral(" input"), inputCaptions());
        m_commands[static_cast<size_t>(k)] = list;
        caption->setBuddy(list);
        grid->addWidget(caption, k + 1, 0);
        grid->addWidget(list, k + 1, 1);
        connect(list, &QComboBox::currentIndexChanged, this, [this, k, list] {
            m_settings.setCommandInput(k, codeOf(list));
            showCommand(k);
        });
        if (k < kFirstFloatRow)
            continue;
        const int s = k - kFirstFloatRow;
        const QString section = sectionNumber(s);
        // The fourth bar's name keeps its capital, as the unit's documentation has it.
        const QByteArray text = "TxtCurrentFloat" + section.toLatin1();
        const QByteArray scroll =
            (s == 3 ? "HscCurrentFloat" : "hscCurrentFloat") + section.toLatin1();
        const int n = JoyCanSettings::FloatCurrent1 + s;
        buildNumberField(n, QStringLiteral("Float current section %1 [mA]").arg(section),
                         text.constData(), scroll.constData());
        const NumberField& f = m_numbers[static_cast<size_t>(n)];
        auto* side = new QCheckBox(frame);
        side->setObjectName(arrayName("ChkFloat", s + 1));
        side->setAccessibleName(QStringLiteral("Float section %1 on side B").arg(section));
        m_sections[static_cast<size_t>(s)].floatSide = side;
        grid->addWidget(f.text, k + 1, 2);
        grid->addWidget(f.scroll, k + 1, 3);
        grid->addWidget(side, k + 1, 4, Qt::AlignHCenter);
        connect(side, &QCheckBox::toggled, this,
                [this, s](bool on) { m_settings.setFloatSideB(s, on); });
    }
    grid->setColumnStretch(3, 1);
    return frame;
}

QGroupBox* FrmJoyCan::buildAdvanceFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Advance Settings"), this);
    QGridLayout* grid = compactGrid(frame);
    const QStringList headers{QStringLiteral("Function Description"), QStringLiteral("Sec.1"),
                              QStringLiteral("Sec.2"), QStringLiteral("Sec. 3"),
                              QStringLiteral("Sec. 4")};
    for (int c = 0; c < headers.size(); ++c)
        grid->addWidget(header(headers.at(c), frame), 0, c,
                        c == 0 ? Qt::AlignLeft : Qt::AlignHCenter);
    auto* invert = new QLabel(QStringLiteral("Invert Joystick Side"), frame);
    grid->addWidget(invert, 1, 0);
    const std::array<const char*, kSectionOptions> optionNames{"ChkUpEn", "ChkUpJoyNeutral",
                                                               "ChkNeutralNeed"};
    std::array<QLabel*, kSectionOptions> optionCaptions{};
    for (int o = 0; o < kSectionOptions; ++o) {
        auto* caption = new QLabel(sectionOptionCaption(static_cast<SectionOption>(o)), frame);
        optionCaptions[static_cast<size_t>(o)] = caption;
        grid->addWidget(caption, o + 2, 0);
    }
    for (int s = 0; s < kOptionSections; ++s) {
        SectionColumn& column = m_sections[static_cast<size_t>(s)];
        const QString section = sectionNumber(s);
        column.inversion = new QComboBox(this);
        column.inversion->setObjectName(arrayName("CmbJoyInversion", s));
        column.inversion->setAccessibleName(QStringLiteral("Invert joystick section ") + section);
        column.inversion->addItem(QStringLiteral("NO"), kNotInverted);
        column.inversion->addItem(QStringLiteral("YES"), kInverted);
        grid->addWidget(column.inversion, 1, s + 1, Qt::AlignHCenter);
        connect(column.inversion, &QComboBox::currentIndexChanged, this, [this, s, &column] {
            if (const std::optional<bool> inverted = unpackInversion(codeOf(column.inversion)))
                m_settings.setInverted(s, *inverted);
            showSection(s);
        });
        for (int o = 0; o < kSectionOptions; ++o) {
            const auto option = static_cast<SectionOption>(o);
            auto* box = new QCheckBox(frame);
            box->setObjectName(arrayName(optionNames[static_cast<size_t>(o)], s));
            box->setAccessibleName(
                QStringLiteral("Section %1: %2").arg(section, sectionOptionCaption(option)));
            column.options[static_cast<size_t>(o)] = box;
            grid->addWidget(box, o + 2, s + 1, Qt::AlignHCenter);
            connect(box, &QCheckBox::toggled, this,
                    [this, s, option](bool on) { m_settings.setSectionOption(s, option, on); });
        }
        grid->setColumnStretch(s + 1, 1);
    }
    invert->setBuddy(m_sections[0].inversion);
    for (int o = 0; o < kSectionOptions; ++o)
        optionCaptions[static_cast<size_t>(o)]->setBuddy(
            m_sections[0].options[static_cast<size_t>(o)]);
    return frame;
}

// ---- showing the model

UnitVariable* FrmJoyCan::var(HvcId id) const {
    return m_context.state.document.catalogue.find(id);
}

void FrmJoyCan::present() {
    // Asked again while open, it only comes to the front: the edits on show stay.
    if (!isVisible())
        load();
    show();
    raise();
    activateWindow();
}

void FrmJoyCan::load() {
    m_settings.load(m_context.state.document.catalogue);
    for (int n = 0; n < JoyCanSettings::kNumbers; ++n)
        loadNumber(n);
    // Byte and bit before the type, the channel type before its word and inputs:
    // the order in which each row's rule would leave the others alone.
    for (int input = 1; input <= kDigitalInputs; ++input)
        showDigital(input);
    for (int j = 0; j < kJoyChannels; ++j)
        showChannel(j);
    for (int k = 0; k < kCommandInputs; ++k)
        showCommand(k);
    for (int s = 0; s < kOptionSections; ++s)
        showSection(s);
}

void FrmJoyCan::loadNumber(int n) {
    NumberField& f = m_numbers[static_cast<size_t>(n)];
    const std::int32_t value = m_settings.number(n);
    {
        // Loading is no scroll by the user: no range question, no echo into the text.
        const QSignalBlocker block(f.scroll);
        if (const UnitVariable* record = var(JoyCanSettings::numberId(n))) {
            f.scroll->setRange(record->minValue, record->maxValue);
            f.text->setToolTip(record->saveName);
        }
        // A value outside the limits shows as it is; the bar stands at the nearer limit.
        f.scroll->setValue(value);
    }
    f.loadedText = QString::number(value);
    f.text->setText(f.loadedText);
}

void FrmJoyCan::showDigital(int input) {
    const DigitalRow& row = m_digital[static_cast<size_t>(input - 1)];
    const DigitalInput d = m_settings.digital(input);
    showCode(row.byte, static_cast<int>(dgtPlaceCaptions().size()), d.byte);
    showCode(row.bit, static_cast<int>(dgtPlaceCaptions().size()), d.bit);
    showCode(row.type, static_cast<int>(dgtTypeCaptions().size()), d.type);
    const bool placed = m_settings.digitalPlaceEnabled(input);
    row.byte->setEnabled(placed);
    row.bit->setEnabled(placed);
}

void FrmJoyCan::showChannel(int j) {
    const ChannelRow& row = m_channels[static_cast<size_t>(j)];
    const JoyChannel c = m_settings.channel(j);
    showCode(row.type, static_cast<int>(joyTypeCaptions().size()), c.type);
    showCode(row.word, static_cast<int>(joyWordCaptions().size()), c.word);
    showCode(row.inputA, static_cast<int>(inputCaptions().size()), c.inputA);
    showCode(row.inputB, static_cast<int>(inputCaptions().size()), c.inputB);
    row.word->setEnabled(m_settings.channelWordEnabled(j));
    row.inputA->setEnabled(m_settings.channelInputsEnabled(j));
    row.inputB->setEnabled(m_settings.channelInputsEnabled(j));
}

void FrmJoyCan::showCommand(int k) {
    showCode(m_commands[static_cast<size_t>(k)], static_cast<int>(inputCaptions().size()),
             m_settings.commandInput(k));
    if (k < kFirstFloatRow)
        return;
    const int s = k - kFirstFloatRow;
    const bool used = m_settings.floatRowEnabled(k);
    const int n = JoyCanSettings::FloatCurrent1 + s;
    const NumberField& f = m_numbers[static_cast<size_t>(n)];
    f.text->setEnabled(used);
    f.scroll->setEnabled(used);
    m_sections[static_cast<size_t>(s)].floatSide->setEnabled(used);
}

void FrmJoyCan::showSection(int s) {
    const SectionColumn& column = m_sections[static_cast<size_t>(s)];
    showCode(column.inversion, 2, m_settings.inversion(s));
    setChecked(column.floatSide, m_settings.floatSideB(s));
    for (int o = 0; o < kSectionOptions; ++o)
        setChecked(column.options[static_cast<size_t>(o)],
                   m_settings.sectionOption(s, static_cast<SectionOption>(o)));
}

// ---- number fields

void FrmJoyCan::numberScrolled(int n) {
    const NumberField& f = m_numbers[static_cast<size_t>(n)];
    f.text->setText(QString::number(f.scroll->value()));
    checkRange(n);
}

void FrmJoyCan::checkRange(int n) {
    const NumberField& f = m_numbers[static_cast<size_t>(n)];
    if (const UnitVariable* record = var(JoyCanSettings::numberId(n)))
        m_rangeQuestion.ask(m_context.state.observers.prompter(), f.text, *record,
                            f.scroll->minimum(), f.scroll->maximum());
}

bool FrmJoyCan::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    for (int n = 0; n < JoyCanSettings::kNumbers; ++n) {
        if (m_numbers[static_cast<size_t>(n)].text != watched)
            continue;
        const auto& key = *static_cast<QKeyEvent*>(event);
        // Escape still closes the dialog from inside a box.
        if (key.key() == Qt::Key_Escape)
            return false;
        if (isEnterKey(key))
            checkRange(n);
        return discardedNumberKey(key);
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<std::int32_t> FrmJoyCan::numberForOk(int n) {
    const NumberField& f = m_numbers[static_cast<size_t>(n)];
    const auto valid = [&f]() -> std::optional<double> {
        const std::optional<double> v = fieldNumber(f.text->text());
        if (v && *v >= f.scroll->minimum() && *v <= f.scroll->maximum())
            return v;
        return std::nullopt;
    };
    // An untouched box goes back as loaded, within the limits or not.
    if (f.text->text() == f.loadedText)
        return m_settings.number(n);
    if (!valid())
        checkRange(n);
    if (f.text->text() == f.loadedText)
        return m_settings.number(n);
    const std::optional<double> v = valid();
    if (!v)
        return std::nullopt;
    // rint rounds to nearest, halves to the even neighbour.
    return static_cast<std::int32_t>(std::rint(*v));
}

void FrmJoyCan::okClicked() {
    std::array<std::int32_t, JoyCanSettings::kNumbers> numbers{};
    for (int n = 0; n < JoyCanSettings::kNumbers; ++n) {
        const std::optional<std::int32_t> v = numberForOk(n);
        if (!v) {
            // A wrong number is never written: nothing is, until it is put right.
            m_numbers[static_cast<size_t>(n)].text->setFocus();
            return;
        }
        numbers[static_cast<size_t>(n)] = *v;
    }
    for (int n = 0; n < JoyCanSettings::kNumbers; ++n)
        m_settings.setNumber(n, numbers[static_cast<size_t>(n)]);
    for (const VarSetting& setting : m_settings.compose())
        if (UnitVariable* record = var(setting.id))
            record->setShownValue(setting.value, m_context.state.document.flags);
    hide();
    Q_EMIT configDrawJoyRequested();
}

} // namespace hvc
