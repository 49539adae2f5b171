#include "inputs/frmmagsel.h"

#include "core/unitvariable.h"
#include "shell/helplauncher.h"
#include "shell/numberfield.h"
#include "shell/shellcontext.h"

#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
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
enum RowIndex { Freq, Amp, AmpPerc };
} // namespace

FrmMagSel::FrmMagSel(ShellContext& context, QWidget* parent) : QDialog(parent), m_context(context) {
    setObjectName(QStringLiteral("FrmMagSel"));
    setWindowTitle(QStringLiteral("Dither Settings"));
    setModal(false);

    buildRow(m_rows[Freq], HvcId::HVC_DITHER_FREQ, QStringLiteral("Dither Frequency [Hz]"),
             QStringLiteral("Dither frequency [Hz]"), "TxtDitherFreq", "hscDitherFreq");
    buildRow(m_rows[Amp], HvcId::HVC_DITHER_AMP, QStringLiteral("Dither Amplitude [mA]"),
             QStringLiteral("Dither amplitude [mA]"), "TxtDitherAmp", "hscDitherAmp");
    buildRow(m_rows[AmpPerc], HvcId::HVC_DITHER_AMP_PERC, QStringLiteral("Dither Amplitude [%]"),
             QStringLiteral("Dither amplitude [%]"), "TxtDitherAmpPerc", "hscDitherAmpPerc");

    auto* grid = new QGridLayout;
    for (int r = 0; r < static_cast<int>(m_rows.size()); ++r) {
        const Row& row = m_rows[static_cast<size_t>(r)];
        grid->addWidget(row.label, r, 0);
        grid->addWidget(row.text, r, 1);
        grid->addWidget(row.scroll, r, 2);
    }
    grid->setColumnStretch(2, 1);
    for (QWidget* w :
         {static_cast<QWidget*>(m_rows[AmpPerc].label), static_cast<QWidget*>(m_rows[AmpPerc].text),
          static_cast<QWidget*>(m_rows[AmpPerc].scroll)})
        w->hide();

    m_cmdOk = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOk->setObjectName(QStringLiteral("CmdOk"));
    m_cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    // Enter belongs to the number boxes (their range check), never to a button.
    for (QPushButton* b : {m_cmdOk, m_cmdCancel})
        b->setAutoDefault(false);
    connect(m_cmdOk, &QPushButton::clicked, this, &FrmMagSel::okClicked);
    connect(m_cmdCancel, &QPushButton::clicked, this, &FrmMagSel::reject);

    auto* fields = new QVBoxLayout;
    fields->addLayout(grid);
    fields->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addLayout(fields, 1);
    top->addWidget(buildPictureCell());
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOk);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    resize(520, sizeHint().height());
}

void FrmMagSel::buildRow(Row& row, HvcId id, const QString& caption, const QString& accessible,
                         const char* textName, const char* scrollName) {
    row.id = id;
    row.text = new QLineEdit(this);
    row.text->setObjectName(QLatin1String(textName));
    row.text->setAccessibleName(accessible);
    row.text->setFixedWidth(row.text->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
                            16);
    row.text->installEventFilter(this);
    row.scroll = new QScrollBar(Qt::Horizontal, this);
    row.scroll->setObjectName(QLatin1String(scrollName));
    row.scroll->setAccessibleName(accessible + QStringLiteral(" slider"));
    row.scroll->setMinimumWidth(160);
    row.label = new QLabel(caption, this);
    row.label->setBuddy(row.text);
    connect(row.text, &QLineEdit::textChanged, this, [this, &row] { rowTextChanged(row); });
    connect(row.scroll, &QScrollBar::valueChanged, this, [this, &row] { rowScrolled(row); });
}

QWidget* FrmMagSel::buildPictureCell() {
    // One cell of the solenoid row; it shows the type and selects nothing.
    auto* cell = new QFrame(this);
    cell->setObjectName(QStringLiteral("PicMag_0"));
    cell->setFrameShape(QFrame::StyledPanel);
    m_imgMag = new QLabel(cell);
    m_imgMag->setObjectName(QStringLiteral("ImgMag_0"));
    m_imgMag->setAlignment(Qt::AlignCenter);
    m_imgMag->setAccessibleName(QStringLiteral("Solenoid"));
    auto* layout = new QVBoxLayout(cell);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_imgMag);
    return cell;
}

void FrmMagSel::setSolenoidPicture(const QPixmap& picture) {
    m_imgMag->setPixmap(picture);
}

UnitVariable* FrmMagSel::var(HvcId id) const {
    return m_context.state.document.catalogue.find(id);
}

void FrmMagSel::present() {
    // Asked again while open, it only comes to the front: the values Cancel returns
    // to stay those of the opening, and the edits on show stay.
    if (!isVisible()) {
        if (const UnitVariable* freq = var(HvcId::HVC_DITHER_FREQ))
            m_savedDitherFreq = freq->workingWord;
        if (const UnitVariable* amp = var(HvcId::HVC_DITHER_AMP))
            m_savedDitherAmp = amp->workingWord;
        loadRow(m_rows[Freq]);
        loadRow(m_rows[Amp]);
    }
    show();
    raise();
    activateWindow();
}

void FrmMagSel::loadRow(Row& row) {
    const UnitVariable* record = var(row.id);
    if (!record)
        return;
    {
        // Loading is no scroll by the user: no range question, no echo into the text.
        const QSignalBlocker block(row.scroll);
        row.scroll->setRange(record->minValue, record->maxValue);
        row.scroll->setValue(record->workingWord);
    }
    // A value outside the limits shows as it is; the bar stands at the nearer limit.
    row.text->setText(QString::number(record->workingWord));
    row.text->setToolTip(record->saveName);
}

void FrmMagSel::rowTextChanged(Row& row) {
    if (zeroEmptyField(row.text))
        return;
    const std::optional<double> v = fieldNumber(row.text->text());
    if (!v || *v < row.scroll->minimum() || *v > row.scroll->maximum())
        return;
    {
        // The text leads while it is typed: the bar follows without writing back.
        const QSignalBlocker block(row.scroll);
        // rint rounds to nearest, halves to the even neighbour.
        row.scroll->setValue(static_cast<int>(std::rint(*v)));
    }
    if (UnitVariable* record = var(row.id))
        record->workingWord = row.scroll->value();
}

void FrmMagSel::rowScrolled(Row& row) {
    row.text->setText(QString::number(row.scroll->value()));
    checkRange(row);
}

void FrmMagSel::checkRange(Row& row) {
    if (const UnitVariable* record = var(row.id))
        m_rangeQuestion.ask(m_context.state.observers.prompter(), row.text, *record,
                            row.scroll->minimum(), row.scroll->maximum());
}

bool FrmMagSel::eventFilter(QObject* watched, QEvent* event) {
    Row* row = nullptr;
    for (Row& r : m_rows)
        if (r.text == watched)
            row = &r;
    if (row && event->type() == QEvent::KeyPress) {
        const auto& key = *static_cast<QKeyEvent*>(event);
        if (isEnterKey(key))
            checkRange(*row);
        return discardedNumberKey(key);
    }
    if (row && event->type() == QEvent::FocusOut) {
        if (leftTheField(*static_cast<QFocusEvent*>(event)))
            checkRange(*row);
    }
    return QDialog::eventFilter(watched, event);
}

void FrmMagSel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        HelpLauncher(m_context).showManual(kHelpPage);
        return;
    }
    QDialog::keyPressEvent(event);
}

void FrmMagSel::okClicked() {
    // The values are in the records already.
    m_context.state.document.flags.markDataChanged();
    Q_EMIT drawDitherRequested();
    hide();
}

void FrmMagSel::reject() {
    // Cancel, Escape and the window's close button alike.
    if (UnitVariable* amp = var(HvcId::HVC_DITHER_AMP))
        amp->workingWord = m_savedDitherAmp;
    if (UnitVariable* freq = var(HvcId::HVC_DITHER_FREQ))
        freq->workingWord = m_savedDitherFreq;
    Q_EMIT drawDitherRequested();
    hide();
}

} // namespace hvc
