#include "shell/palettedialog.h"

#include "core/prompter.h"
#include "shell/sectioncolours.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace hvc {

namespace {

void paintLabel(QLabel* label, std::int32_t back, std::int32_t fore) {
    label->setAutoFillBackground(true);
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, toQColor(back));
    pal.setColor(QPalette::WindowText, toQColor(fore));
    label->setPalette(pal);
}

QLabel* sectionLabel(int k, QWidget* parent) {
    auto* l = new QLabel(QStringLiteral("Section %1").arg(k + 1), parent);
    l->setAlignment(Qt::AlignCenter);
    l->setMinimumSize(72, 24);
    l->setFrameShape(QFrame::Panel);
    return l;
}

} // namespace

PaletteDialog::PaletteDialog(ShellContext& context, QWidget* parent)
    : QDialog(parent), m_context(context), m_saved(context.colours) {
    setObjectName(QStringLiteral("frmSectionColour"));
    setWindowTitle(QCoreApplication::applicationName() + QStringLiteral(" - ") +
                   QStringLiteral("Palette"));
    chooseColour = [this](const QColor& initial) { return QColorDialog::getColor(initial, this); };

    auto* sections = new QGroupBox(QStringLiteral("Sections"), this);
    auto* grid = new QGridLayout(sections);
    for (int k = 0; k < 4; ++k) {
        QLabel* l = sectionLabel(k, sections);
        l->setObjectName(QStringLiteral("lblSec_%1").arg(k + 1));
        m_lblSec.append(l);
        auto* back = new QPushButton(QStringLiteral("Back..."), sections);
        back->setObjectName(QStringLiteral("SecBack_%1").arg(k + 1));
        auto* text = new QPushButton(QStringLiteral("Text..."), sections);
        text->setObjectName(QStringLiteral("SecText_%1").arg(k + 1));
        connect(back, &QPushButton::clicked, this, [this, k] { pickBackColour(k); });
        connect(text, &QPushButton::clicked, this, [this, k] { pickTextColour(k); });
        grid->addWidget(l, 0, k);
        grid->addWidget(back, 1, k);
        grid->addWidget(text, 2, k);
    }

    auto* schemes = new QGroupBox(QStringLiteral("Schemes"), this);
    auto* schemeGrid = new QGridLayout(schemes);
    for (int i = 0; i < kSchemeCount; ++i) {
        auto* option = new QRadioButton(QStringLiteral("%1").arg(i + 1), schemes);
        option->setObjectName(QStringLiteral("optSectionColour_%1").arg(i));
        connect(option, &QRadioButton::clicked, this, [this, i] { selectScheme(i); });
        m_optSectionColour.append(option);
        schemeGrid->addWidget(option, i, 0);
        const SectionColours scheme = schemeColours(i);
        for (int k = 0; k < 4; ++k) {
            QLabel* sample = sectionLabel(k, schemes);
            sample->setObjectName(QStringLiteral("lblSectionColour%1_%2").arg(k + 1).arg(i));
            paintLabel(sample, scheme.sectionBackColor[k], scheme.sectionForeColor[k]);
            schemeGrid->addWidget(sample, i, k + 1);
        }
    }

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("CmdOk"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CmdCancel"));
    connect(ok, &QPushButton::clicked, this, &PaletteDialog::saveAndClose);
    connect(cancel, &QPushButton::clicked, this, &PaletteDialog::cancel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sections);
    layout->addWidget(schemes);
    layout->addLayout(buttons);
    for (int i = 0; i < kSchemeCount; ++i)
        if (schemeColours(i) == m_context.colours)
            m_optSectionColour[i]->setChecked(true);
    showSections();
}

void PaletteDialog::showSections() {
    for (int k = 0; k < m_lblSec.size(); ++k)
        paintLabel(m_lblSec[k], m_context.colours.sectionBackColor[k],
                   m_context.colours.sectionForeColor[k]);
}

void PaletteDialog::selectScheme(int scheme) {
    m_context.colours = schemeColours(scheme);
    if (scheme >= 0 && scheme < m_optSectionColour.size())
        m_optSectionColour[scheme]->setChecked(true);
    showSections();
    Q_EMIT coloursChanged();
}

void PaletteDialog::pickBackColour(int section) {
    pickColour(m_context.colours.sectionBackColor[section]);
}

void PaletteDialog::pickTextColour(int section) {
    pickColour(m_context.colours.sectionForeColor[section]);
}

void PaletteDialog::pickColour(std::int32_t& slot) {
    const QColor chosen = chooseColour(toQColor(slot));
    if (!chosen.isValid())
        return;
    slot = fromQColor(chosen);
    showSections();
    Q_EMIT coloursChanged();
}

void PaletteDialog::saveAndClose() {
    if (!saveFileColour(colourFilePath(m_context), m_context.colours))
        m_context.state.observers.prompter().inform(QStringLiteral("Cannot write ") +
                                                        colourFilePath(m_context),
                                                    {}, PromptIcon::Exclamation);
    m_saved = m_context.colours;
    accept();
}

void PaletteDialog::cancel() {
    reject();
}

void PaletteDialog::reject() {
    if (!(m_context.colours == m_saved)) {
        m_context.colours = m_saved;
        Q_EMIT coloursChanged();
    }
    QDialog::reject();
}

void PaletteDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        Q_EMIT helpRequested(36);
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace hvc
