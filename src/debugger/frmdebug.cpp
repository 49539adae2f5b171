#include "debugger/frmdebug.h"

#include "core/catalogue.h"
#include "shell/pagestatus.h"
#include "shell/spokenvalue.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace hvc {

namespace {

const QColor kEditingColour(192, 192, 0);

// The dither rows' captions: what the row is, and the record's unit.
const char* const kDitherCaptions[DebuggerModel::kDitherRows] = {
    "Dither amplitude", "Dither amplitude", "Dither frequency"};

void setBase(QWidget* w, const QColor& colour) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, colour);
    w->setPalette(pal);
}

} // namespace

FrmDebug::FrmDebug(ShellContext& context, QWidget* parent)
    : PageForm(context, Page::Debugger, parent), m_model(context.state) {
    setObjectName(QStringLiteral("frmDebug"));
    setWindowTitle(QStringLiteral("Debug"));
    build();
    connect(&m_model, &DebuggerModel::viewChanged, this, &FrmDebug::showView);
    connect(&m_model, &DebuggerModel::ditherChanged, this, &FrmDebug::showDitherRow);
    connect(&m_model, &DebuggerModel::watchChanged, this, &FrmDebug::showWatchList);
    connect(&m_model, &DebuggerModel::watchRowUpdated, this, &FrmDebug::showWatchRow);
    connect(&m_model, &DebuggerModel::lockChanged, this, &FrmDebug::showLock);
    connect(&m_model, &DebuggerModel::runningChanged, this, &FrmDebug::showRunning);
    connect(&m_model, &DebuggerModel::busyChanged, this,
            [this](bool busy) { window()->setEnabled(!busy); });
    m_cmbVariablesList->addItems(m_model.variableList());
    showView();
    for (int i = 0; i < DebuggerModel::kDitherRows; ++i)
        showDitherRow(i);
    showWatchList();
    refreshObject();
}

FrmDebug::~FrmDebug() = default;

QPushButton* FrmDebug::button(const char* name, const char* caption, const QString& description) {
    auto* b = new QPushButton(QString::fromLatin1(caption));
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(QString::fromLatin1(caption));
    b->setAccessibleDescription(description);
    b->setToolTip(description);
    b->setAutoDefault(false);
    return b;
}

QLabel* FrmDebug::valueLabel(const char* name, const QString& accessibleName) {
    auto* l = new QLabel;
    l->setObjectName(QString::fromLatin1(name));
    nameValueLabel(l, accessibleName);
    l->setFrameShape(QFrame::StyledPanel);
    l->setFrameShadow(QFrame::Sunken);
    l->setMinimumWidth(90);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setAutoFillBackground(true);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Base));
    l->setPalette(pal);
    return l;
}

void FrmDebug::build() {
    m_body = new QWidget(this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_body);

    // The choice of the word: the list, or its address typed.
    m_cmbVariablesList = new QComboBox;
    m_cmbVariablesList->setObjectName(QStringLiteral("cmbVariablesList"));
    m_cmbVariablesList->setAccessibleName(QStringLiteral("Variable"));
    m_cmbVariablesList->setPlaceholderText(QStringLiteral("(variables list)"));
    m_cmbVariablesList->setMaxVisibleItems(20);
    m_cmbVariablesList->setMinimumWidth(220);
    m_txtAddress = new QLineEdit;
    m_txtAddress->setObjectName(QStringLiteral("txtAddress"));
    m_txtAddress->setAccessibleName(QStringLiteral("Address"));
    m_txtAddress->setAccessibleDescription(
        QStringLiteral("Hexadecimal address, with or without the \".\" before the sub-code; "
                       "Enter chooses the variable"));
    m_txtAddress->setMaxLength(8);
    m_txtAddress->setFixedWidth(90);
    m_txtAddress->installEventFilter(this);
    auto* addressCaption = new QLabel(QStringLiteral("&Address"));
    addressCaption->setBuddy(m_txtAddress);
    auto* variableCaption = new QLabel(QStringLiteral("&Variable"));
    variableCaption->setBuddy(m_cmbVariablesList);
    auto* choice = new QHBoxLayout;
    choice->addWidget(variableCaption);
    choice->addWidget(m_cmbVariablesList, 1);
    choice->addSpacing(12);
    choice->addWidget(addressCaption);
    choice->addWidget(m_txtAddress);
    choice->addStretch();

    // The commands on the chosen word.
    m_txtData = new QLineEdit;
    m_txtData->setObjectName(QStringLiteral("TxtData"));
    m_txtData->setAccessibleName(QStringLiteral("Value to write"));
    m_txtData->setAccessibleDescription(
        QStringLiteral("A whole number from -32768 to 32767 for WRITE and SET"));
    m_txtData->setMaxLength(7);
    m_txtData->setFixedWidth(80);
    auto* dataCaption = new QLabel(QStringLiteral("Valu&e"));
    dataCaption->setBuddy(m_txtData);
    m_cmdRead = button("cmdRead", "READ", QStringLiteral("Read the EEPROM word"));
    m_cmdWrite = button("cmdWrite", "WRITE", QStringLiteral("Write the value to the EEPROM word"));
    m_cmdDisplay = button("cmdDisplay", "DISPLAY", QStringLiteral("Read the RAM word"));
    m_cmdSet = button("cmdSet", "SET", QStringLiteral("Write the value to the RAM word"));
    m_cmdMonitor =
        button("cmdMonitor", "MONITOR", QStringLiteral("Read the RAM word continuously"));
    m_cmdMonitor->setCheckable(true);
    m_cmdReset = button("cmdReset", "RESET", QStringLiteral("Load the unit's default parameters"));
    m_cmdCanProbe = button("CmdCANProbe", "CAN PROBE", QStringLiteral("CAN probe"));
    auto* commands = new QHBoxLayout;
    commands->addWidget(dataCaption);
    commands->addWidget(m_txtData);
    commands->addSpacing(8);
    for (QPushButton* b : {m_cmdRead, m_cmdWrite, m_cmdDisplay, m_cmdSet, m_cmdMonitor})
        commands->addWidget(b);
    commands->addStretch();
    commands->addWidget(m_cmdReset);
    commands->addWidget(m_cmdCanProbe);

    auto* top = new QHBoxLayout;
    top->addWidget(buildGeneralInformation(), 1);
    top->addWidget(buildEcuView(), 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(buildDither(), 2);
    bottom->addWidget(buildWatchList(), 3);

    auto* layout = new QVBoxLayout(m_body);
    layout->addLayout(choice);
    layout->addLayout(top);
    layout->addLayout(commands);
    layout->addLayout(bottom, 1);

    connect(m_cmbVariablesList, &QComboBox::activated, this, [this](int position) {
        m_model.choose(position);
        if (position == 0) {
            m_txtAddress->setFocus();
            m_txtAddress->selectAll();
        }
    });
    connect(m_cmdRead, &QPushButton::clicked, &m_model, &DebuggerModel::read);
    connect(m_cmdWrite, &QPushButton::clicked, this, [this] { m_model.write(m_txtData->text()); });
    connect(m_cmdDisplay, &QPushButton::clicked, &m_model, &DebuggerModel::display);
    connect(m_cmdSet, &QPushButton::clicked, this, [this] { m_model.set(m_txtData->text()); });
    connect(m_cmdMonitor, &QPushButton::clicked, this, [this] {
        m_model.toggleMonitor();
        showRunning();
    });
    connect(m_cmdReset, &QPushButton::clicked, &m_model, &DebuggerModel::reset);
    connect(m_cmdCanProbe, &QPushButton::clicked, &m_model, &DebuggerModel::canProbe);
}

QGroupBox* FrmDebug::buildGeneralInformation() {
    auto* box = new QGroupBox(QStringLiteral("General Information"));
    box->setObjectName(QStringLiteral("FraGeneral"));
    m_lblName = valueLabel("lblName", QStringLiteral("Data name"));
    QFont bold = m_lblName->font();
    bold.setBold(true);
    m_lblName->setFont(bold);
    m_lblMonitorName = valueLabel("LblMonitorName", QStringLiteral("Monitor name"));
    m_lblTooltip = valueLabel("LblTooltip", QStringLiteral("Tooltip description"));
    m_lblTooltip->setWordWrap(true);
    m_lblAddress = valueLabel("LblAddress", QStringLiteral("Variable address"));
    m_lblUnit = valueLabel("LblUnit", QStringLiteral("Unit"));
    auto* grid = new QGridLayout(box);
    const std::pair<const char*, QLabel*> rows[] = {{"data name", m_lblName},
                                                    {"Monitor Name", m_lblMonitorName},
                                                    {"Tooltip Description", m_lblTooltip},
                                                    {"Address", m_lblAddress},
                                                    {"Unit", m_lblUnit}};
    int r = 0;
    for (const auto& [caption, label] : rows) {
        auto* c = new QLabel(QString::fromLatin1(caption));
        c->setBuddy(label);
        grid->addWidget(c, r, 0);
        grid->addWidget(label, r, 1);
        ++r;
    }
    grid->setColumnStretch(1, 1);
    return box;
}

QGroupBox* FrmDebug::buildEcuView() {
    auto* box = new QGroupBox(QStringLiteral("ECU View"));
    box->setObjectName(QStringLiteral("FraECUView"));
    m_lblE2Data = valueLabel("lblE2Data", QStringLiteral("EEPROM raw value"));
    m_lblDisplayE2 = valueLabel("LblDisplayE2", QStringLiteral("EEPROM converted value"));
    m_lblUnitE2 = valueLabel("LblUnitE2", QStringLiteral("EEPROM unit"));
    m_lblRAMData = valueLabel("lblRAMData", QStringLiteral("RAM raw value"));
    m_lblDisplayRAM = valueLabel("LblDisplayRAM", QStringLiteral("RAM converted value"));
    m_lblUnitRam = valueLabel("LblUnitRam", QStringLiteral("RAM unit"));
    for (QLabel* l : {m_lblE2Data, m_lblDisplayE2, m_lblRAMData, m_lblDisplayRAM})
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* grid = new QGridLayout(box);
    auto* e2 = new QLabel(QStringLiteral("EEPROM"));
    auto* ram = new QLabel(QStringLiteral("RAM"));
    for (QLabel* h : {e2, ram}) {
        QFont f = h->font();
        f.setBold(true);
        h->setFont(f);
        h->setAlignment(Qt::AlignCenter);
    }
    grid->addWidget(e2, 0, 1);
    grid->addWidget(ram, 0, 2);
    const char* const captions[] = {"Raw word", "Converted", "Unit"};
    QLabel* const cells[3][2] = {{m_lblE2Data, m_lblRAMData},
                                 {m_lblDisplayE2, m_lblDisplayRAM},
                                 {m_lblUnitE2, m_lblUnitRam}};
    for (int r = 0; r < 3; ++r) {
        grid->addWidget(new QLabel(QString::fromLatin1(captions[r])), r + 1, 0);
        grid->addWidget(cells[r][0], r + 1, 1);
        grid->addWidget(cells[r][1], r + 1, 2);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(4, 1);
    return box;
}

QGroupBox* FrmDebug::buildDither() {
    auto* box = new QGroupBox(QStringLiteral("Dither Configuration"));
    box->setObjectName(QStringLiteral("FraDither"));
    auto* grid = new QGridLayout(box);
    for (int i = 0; i < DebuggerModel::kDitherRows; ++i) {
        const DitherRow& row = m_model.ditherRow(i);
        const QString unit = row.record ? row.record->convText : QString();
        const QString caption =
            unit.isEmpty() ? QString::fromLatin1(kDitherCaptions[i])
                           : QStringLiteral("%1 [%2]").arg(QLatin1String(kDitherCaptions[i]), unit);
        auto* label = new QLabel(caption);
        label->setObjectName(QStringLiteral("LblData_%1").arg(i));
        auto* scroll = new QScrollBar(Qt::Horizontal);
        scroll->setObjectName(QStringLiteral("hscData_%1").arg(i));
        scroll->setAccessibleName(caption + QStringLiteral(" slider"));
        scroll->setRange(row.minimum, row.maximum);
        scroll->setMinimumWidth(140);
        auto* text = new QLineEdit;
        text->setObjectName(QStringLiteral("TxtDataD_%1").arg(i));
        text->setAccessibleName(caption);
        text->setFixedWidth(70);
        text->setMaxLength(6);
        label->setBuddy(text);
        if (!row.record) {
            scroll->setEnabled(false);
            text->setEnabled(false);
        }
        grid->addWidget(label, i, 0);
        grid->addWidget(scroll, i, 1);
        grid->addWidget(text, i, 2);
        m_lblData << label;
        m_hscData << scroll;
        m_txtDataD << text;
        connect(scroll, &QScrollBar::valueChanged, this,
                [this, i](int value) { m_model.ditherScrolled(i, value); });
        connect(text, &QLineEdit::textEdited, this,
                [this, i](const QString& t) { m_model.ditherTyped(i, t); });
        connect(text, &QLineEdit::returnPressed, this,
                [this, i] { m_model.ditherEnter(i, m_txtDataD[i]->text()); });
    }
    m_cmdDitherRead =
        button("CmdDitherRead", "DISPLAY", QStringLiteral("Read the dither words from RAM"));
    m_cmdUpdate = button("CmdUpdate", "UPDATE", QStringLiteral("Send the dither words to RAM"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdDitherRead);
    buttons->addWidget(m_cmdUpdate);
    grid->addLayout(buttons, DebuggerModel::kDitherRows, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(DebuggerModel::kDitherRows + 1, 1);
    connect(m_cmdDitherRead, &QPushButton::clicked, &m_model, &DebuggerModel::ditherDisplay);
    connect(m_cmdUpdate, &QPushButton::clicked, &m_model, &DebuggerModel::ditherUpdate);
    return box;
}

QGroupBox* FrmDebug::buildWatchList() {
    auto* box = new QGroupBox(QStringLiteral("Watch List"));
    box->setObjectName(QStringLiteral("FraWatch"));
    m_tblWatch = new QTableWidget(0, 5);
    m_tblWatch->setObjectName(QStringLiteral("tblWatch"));
    m_tblWatch->setAccessibleName(QStringLiteral("Watch list"));
    m_tblWatch->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Address"),
                                           QStringLiteral("Raw"), QStringLiteral("Value"),
                                           QStringLiteral("Unit")});
    m_tblWatch->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tblWatch->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tblWatch->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tblWatch->verticalHeader()->hide();
    m_tblWatch->verticalHeader()->setDefaultSectionSize(m_tblWatch->fontMetrics().height() + 6);
    // Fixed widths for the live columns, so that the table does not shift as the
    // numbers change.
    QHeaderView* header = m_tblWatch->horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    const QFontMetrics metrics = m_tblWatch->fontMetrics();
    const char* const widest[] = {"0000.00", "-32768", "-32768.00", "Unit"};
    for (int c = 1; c < 5; ++c) {
        header->setSectionResizeMode(c, QHeaderView::Fixed);
        header->resizeSection(c,
                              metrics.horizontalAdvance(QString::fromLatin1(widest[c - 1])) + 18);
    }
    m_tblWatch->setMinimumHeight(120);

    m_txtWatchAddress = new QLineEdit;
    m_txtWatchAddress->setObjectName(QStringLiteral("txtWatchAddress"));
    m_txtWatchAddress->setAccessibleName(QStringLiteral("Address to watch"));
    m_txtWatchAddress->setPlaceholderText(QStringLiteral("01A2.03"));
    m_txtWatchAddress->setMaxLength(8);
    m_txtWatchAddress->setFixedWidth(80);
    m_cmdWatchAdd =
        button("cmdWatchAdd", "ADD", QStringLiteral("Add the chosen variable to the watch list"));
    m_cmdWatchAddAddress = button("cmdWatchAddAddress", "ADD ADDRESS",
                                  QStringLiteral("Add the typed address to the watch list"));
    m_cmdWatch = button("cmdWatch", "WATCH", QStringLiteral("Read the watch list continuously"));
    m_cmdWatch->setCheckable(true);
    m_cmdWatchRemove =
        button("cmdWatchRemove", "REMOVE", QStringLiteral("Remove the selected row"));
    m_cmdWatchClear = button("cmdWatchClear", "CLEAR", QStringLiteral("Empty the watch list"));
    m_cmdWatchCopy =
        button("cmdWatchCopy", "COPY", QStringLiteral("Copy the watch list to the clipboard"));

    auto* add = new QHBoxLayout;
    add->addWidget(m_cmdWatchAdd);
    add->addSpacing(8);
    add->addWidget(m_txtWatchAddress);
    add->addWidget(m_cmdWatchAddAddress);
    add->addStretch();
    auto* run = new QHBoxLayout;
    run->addWidget(m_cmdWatch);
    run->addStretch();
    run->addWidget(m_cmdWatchRemove);
    run->addWidget(m_cmdWatchClear);
    run->addWidget(m_cmdWatchCopy);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(m_tblWatch, 1);
    layout->addLayout(add);
    layout->addLayout(run);

    connect(m_cmdWatchAdd, &QPushButton::clicked, this,
            [this] { m_model.addWatch(m_model.position()); });
    const auto addAddress = [this] {
        if (m_model.addWatchAddress(m_txtWatchAddress->text()))
            m_txtWatchAddress->clear();
    };
    connect(m_cmdWatchAddAddress, &QPushButton::clicked, this, addAddress);
    connect(m_txtWatchAddress, &QLineEdit::returnPressed, this, addAddress);
    connect(m_cmdWatch, &QPushButton::clicked, this, [this] {
        m_model.toggleWatch();
        showRunning();
    });
    connect(m_cmdWatchRemove, &QPushButton::clicked, this,
            [this] { m_model.removeWatch(m_tblWatch->currentRow()); });
    connect(m_cmdWatchClear, &QPushButton::clicked, &m_model, &DebuggerModel::clearWatch);
    connect(m_cmdWatchCopy, &QPushButton::clicked, this, &FrmDebug::copyWatchList);
    return box;
}

bool FrmDebug::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_txtAddress && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        m_model.setLastKey(
            enter ? DebuggerModel::kEnterKey
                  : (key->text().isEmpty() ? key->key() : key->text().at(0).unicode()));
        if (enter) {
            m_model.cmbUpdate(m_txtAddress->text());
            return true;
        }
    }
    return PageForm::eventFilter(watched, event);
}

void FrmDebug::showView() {
    const DebugWordView& v = m_model.view();
    if (m_cmbVariablesList->currentIndex() != m_model.position())
        m_cmbVariablesList->setCurrentIndex(m_model.position());
    m_txtAddress->setText(v.address);
    showValue(m_lblName, v.name);
    showValue(m_lblMonitorName, v.monitorName);
    showValue(m_lblTooltip, v.tooltip);
    showValue(m_lblAddress, v.addressText);
    showValue(m_lblUnit, v.unit);
    showValue(m_lblUnitE2, v.unitE2);
    showValue(m_lblUnitRam, v.unitRam);
    showValue(m_lblE2Data, v.e2Raw);
    showValue(m_lblDisplayE2, v.e2Display);
    showValue(m_lblRAMData, v.ramRaw);
    showValue(m_lblDisplayRAM, v.ramDisplay);
}

void FrmDebug::showDitherRow(int row) {
    const DitherRow& d = m_model.ditherRow(row);
    QLineEdit* text = m_txtDataD[row];
    if (text->text() != d.text)
        text->setText(d.text);
    setBase(text, d.editing ? kEditingColour : QColor(Qt::white));
    const QSignalBlocker block(m_hscData[row]);
    m_hscData[row]->setValue(d.scroll);
}

void FrmDebug::showWatchList() {
    m_tblWatch->setRowCount(static_cast<int>(m_model.watchList().size()));
    for (int r = 0; r < m_tblWatch->rowCount(); ++r)
        showWatchRow(r);
}

void FrmDebug::showWatchRow(int row) {
    if (row < 0 || row >= m_tblWatch->rowCount())
        return;
    const QString cells[] = {m_model.watchName(row), m_model.watchAddress(row),
                             m_model.watchRaw(row), m_model.watchValue(row),
                             m_model.watchUnit(row)};
    for (int c = 0; c < 5; ++c) {
        QTableWidgetItem* item = m_tblWatch->item(row, c);
        if (!item) {
            item = new QTableWidgetItem;
            if (c >= 2 && c <= 3)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_tblWatch->setItem(row, c, item);
        }
        item->setText(cells[c]);
    }
}

void FrmDebug::showLock() {
    const bool free = !m_model.locked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_cmbVariablesList, m_txtAddress, m_txtData, m_cmdRead,
                                         m_cmdWrite, m_cmdSet, m_cmdDisplay})
        w->setEnabled(free);
}

void FrmDebug::showRunning() {
    m_cmdMonitor->setChecked(m_model.monitoring());
    m_cmdWatch->setChecked(m_model.watching());
}

void FrmDebug::copyWatchList() {
    QApplication::clipboard()->setText(m_model.watchTableText());
}

// Every control answers only a logged-in user; MONITOR's lock comes on top.
void FrmDebug::refreshObject() {
    m_model.refreshObject();
    m_body->setEnabled(m_context.state.session.loggedIn);
    showLock();
    showRunning();
}

void FrmDebug::drawBar(MainBar& bar, QProgressBar*, const QString& text) {
    drawPageBar(bar, Page::Debugger, text);
}

void FrmDebug::activate() {
    m_model.activate();
    refreshObject();
}

} // namespace hvc
