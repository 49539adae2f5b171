#include "diagnostic/frmdiagnostic.h"

#include "core/catalogue.h"
#include "core/prompter.h"
#include "diagnostic/diagnosticerror.h"
#include "shell/mainbar.h"
#include "shell/pagestatus.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace hvc {

namespace {

struct RowTitle {
    const char* caption;
    const char* spoken;
};

const RowTitle kRowTitles[DiagnosticModel::kRows] = {
    {"Unit", "Unit errors"},           {"Supply", "Supply errors"},
    {"Outputs", "Output errors"},      {"Section 1", "Section 1 errors"},
    {"Section 2", "Section 2 errors"}, {"Section 3", "Section 3 errors"},
    {"Section 4", "Section 4 errors"}, {"Spare 7", "Spare row 7"},
    {"Spare 8", "Spare row 8"},        {"Spare 9", "Spare row 9"},
    {"Spare 10", "Spare row 10"},
};

struct OptionGroup {
    const char* title;
    const char* name;
    const char* caption;
};

const OptionGroup kOptionSpecs[FrmDiagnostic::kOptionGroups] = {
    {"Joystick", "optSelectjoy", "Joystick"},
    {"Current", "optSelectCur", "Current"},
    {"Setpoint", "optSelectSP", "Setpoint"},
};

QTreeWidget* reportList(const QString& name, const QString& spoken, const QStringList& columns,
                        QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setAccessibleName(spoken);
    list->setHeaderLabels(columns);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAlternatingRowColors(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->setStretchLastSection(true);
    return list;
}

QString countText(qsizetype n, const char* one, const char* many, const char* none) {
    if (n == 0)
        return QString::fromLatin1(none);
    return n == 1 ? QString::fromLatin1(one) : QString::fromLatin1(many).arg(n);
}

} // namespace

FrmDiagnostic::FrmDiagnostic(ShellContext& context, QWidget* parent)
    : PageForm(context, Page::Diagnostic, parent), m_model(context.state) {
    setObjectName(QStringLiteral("frmDiagnostic"));
    setWindowTitle(QStringLiteral("Diagnostic"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);
    layout->addWidget(buildOptions());
    layout->addWidget(buildRows());
    layout->addWidget(buildMessages(), 1);

    connect(&m_model, &DiagnosticModel::rowsRefreshed, this, &FrmDiagnostic::syncRows);
    connect(&m_model, &DiagnosticModel::rowUpdated, this, [this](int i, qint32 value) {
        if (DiagnosticError* r = m_rows.value(i))
            r->updateDisplay(value);
    });
    connect(&m_model, &DiagnosticModel::activeErrorsChanged, this, [this] {
        showActiveErrors();
        showHistory();
    });
    connect(&m_model, &DiagnosticModel::progressChanged, this,
            [this](const QString& text, int percent) {
                // The main window draws the status bar and lets pending events run,
                // so a Disconnect can come in the middle of a pass.
                m_context.state.observers.progress.report(text, percent);
            });

    chooseExportFile = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Export"),
                                            QStringLiteral("error-history.csv"),
                                            QStringLiteral("CSV files (*.csv);;*.* (*)"));
    };

    // Load.
    m_model.loadMessages(m_context.resPath(QStringLiteral("ini/DiagnosticList.ini")));
    drawOptionSelection();
    showActiveErrors();
    showHistory();
}

// ---- building

QWidget* FrmDiagnostic::buildOptions() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    for (const OptionGroup& g : kOptionSpecs) {
        auto* frame = new QGroupBox(QString::fromLatin1(g.title), box);
        auto* buttons = new QGridLayout(frame);
        buttons->setContentsMargins(6, 2, 6, 2);
        buttons->setVerticalSpacing(0);
        auto* group = new QButtonGroup(frame);
        for (int i = 0; i < kSections; ++i) {
            auto* button =
                new QRadioButton(QStringLiteral("%1 %2").arg(QLatin1String(g.caption)).arg(i + 1));
            button->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(g.name)).arg(i));
            group->addButton(button, i);
            buttons->addWidget(button, i / 2, i % 2);
        }
        m_groups << group;
        row->addWidget(frame);
    }
    row->addStretch();
    return box;
}

QWidget* FrmDiagnostic::buildRows() {
    auto* box = new QGroupBox(QStringLiteral("Error Words"), this);
    box->setObjectName(QStringLiteral("FrmErrors"));
    auto* rows = new QVBoxLayout(box);
    rows->setContentsMargins(6, 2, 6, 4);
    rows->setSpacing(2);
    for (int i = 0; i < DiagnosticModel::kRows; ++i) {
        auto* row = new DiagnosticError(i, box);
        row->setObjectName(QStringLiteral("DiagnosticError_%1").arg(i));
        row->setTitle(QString::fromLatin1(kRowTitles[i].caption),
                      QString::fromLatin1(kRowTitles[i].spoken));
        rows->addWidget(row);
        m_rows << row;
    }
    return box;
}

QWidget* FrmDiagnostic::buildMessages() {
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("tabMessages"));
    auto* split = new QSplitter(Qt::Horizontal, tabs);

    auto* active = new QWidget(split);
    auto* activeBox = new QVBoxLayout(active);
    activeBox->setContentsMargins(4, 4, 4, 4);
    auto* activeTitle = new QLabel(QStringLiteral("Active errors"), active);
    m_listView = reportList(
        QStringLiteral("ListView1"), QStringLiteral("Active errors"),
        {QStringLiteral("VarKey"), QStringLiteral("Error ID"), QStringLiteral("Description")},
        active);
    activeTitle->setBuddy(m_listView);
    m_lblActive = new QLabel(active);
    m_lblActive->setObjectName(QStringLiteral("LblActive"));
    activeBox->addWidget(activeTitle);
    activeBox->addWidget(m_listView, 1);
    activeBox->addWidget(m_lblActive);

    auto* past = new QWidget(split);
    auto* pastBox = new QVBoxLayout(past);
    pastBox->setContentsMargins(4, 4, 4, 4);
    auto* pastTitle = new QLabel(QStringLiteral("Error history"), past);
    m_history =
        reportList(QStringLiteral("LstHistory"), QStringLiteral("Error history"),
                   {QStringLiteral("Came"), QStringLiteral("Went"), QStringLiteral("VarKey"),
                    QStringLiteral("Error ID"), QStringLiteral("Description")},
                   past);
    pastTitle->setBuddy(m_history);
    auto* commands = new QHBoxLayout;
    m_lblHistory = new QLabel(past);
    m_lblHistory->setObjectName(QStringLiteral("LblHistory"));
    m_cmdExport = new QPushButton(QStringLiteral("Export\u2026"), past);
    m_cmdExport->setObjectName(QStringLiteral("CmdExport"));
    m_cmdExport->setAccessibleName(QStringLiteral("Export the error history to a CSV file"));
    m_cmdClear = new QPushButton(QStringLiteral("Clear history"), past);
    m_cmdClear->setObjectName(QStringLiteral("CmdClearHistory"));
    connect(m_cmdExport, &QPushButton::clicked, this, &FrmDiagnostic::exportHistory);
    connect(m_cmdClear, &QPushButton::clicked, this, &FrmDiagnostic::clearHistory);
    commands->addWidget(m_lblHistory, 1);
    commands->addWidget(m_cmdExport);
    commands->addWidget(m_cmdClear);
    pastBox->addWidget(pastTitle);
    pastBox->addWidget(m_history, 1);
    pastBox->addLayout(commands);

    split->addWidget(active);
    split->addWidget(past);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    split->setChildrenCollapsible(false);
    tabs->addTab(split, QStringLiteral("Message"));
    return tabs;
}

QRadioButton* FrmDiagnostic::option(int group, int index) const {
    if (group < 0 || group >= m_groups.size())
        return nullptr;
    return qobject_cast<QRadioButton*>(m_groups[group]->button(index));
}

// ---- drawing

void FrmDiagnostic::syncRows() {
    const QList<DiagnosticRow>& rows = m_model.rows();
    for (int i = 0; i < rows.size() && i < m_rows.size(); ++i) {
        const DiagnosticRow& r = rows[i];
        DiagnosticError* c = m_rows[i];
        c->setBoundVar(r.boundVar);
        c->setEnable(r.enable);
        c->setVisible(r.visible);
        for (int bit = 0; bit < DiagnosticError::kBits; ++bit) {
            const auto at = static_cast<size_t>(bit);
            if (r.texts[at].isEmpty())
                continue;
            c->setDescription(bit, r.texts[at]);
            c->setBitKind(bit, r.kinds[at]);
        }
        if (r.msgId >= 0)
            c->setMsgID(r.msgId);
    }
}

void FrmDiagnostic::drawOptionSelection() {
    const UnitVariable* sections = m_context.state.document.catalogue.find(HvcId::HVC_NUM_PROP_REG);
    const int n = sections ? sections->shownValue : 0;
    for (QButtonGroup* group : m_groups) {
        group->setExclusive(false);
        for (QAbstractButton* button : group->buttons()) {
            const bool on = group->id(button) <= n - 1;
            button->setEnabled(on);
            if (!on && button->isChecked())
                button->setChecked(false);
        }
        group->setExclusive(true);
        bool firstThree = false;
        for (int i = 0; i < 3; ++i)
            firstThree = firstThree || group->button(i)->isChecked();
        if (!firstThree)
            group->button(0)->setChecked(true);
    }
}

void FrmDiagnostic::showActiveErrors() {
    m_listView->clear();
    const QList<ActiveErrorItem>& items = m_model.activeErrors().items();
    for (const ActiveErrorItem& item : items)
        m_listView->addTopLevelItem(
            new QTreeWidgetItem({item.text, item.errorId, item.description}));
    for (int c = 0; c < 2; ++c)
        m_listView->resizeColumnToContents(c);
    const QString text =
        countText(items.size(), "1 active error", "%1 active errors", "No active errors");
    m_lblActive->setText(text);
    m_listView->setAccessibleDescription(text);
}

void FrmDiagnostic::showHistory() {
    m_history->clear();
    const QList<ErrorHistoryEntry>& entries = m_model.history().entries();
    QList<QTreeWidgetItem*> items;
    items.reserve(entries.size());
    for (const ErrorHistoryEntry& e : entries)
        items << new QTreeWidgetItem(
            {ErrorHistory::formatTime(e.came),
             e.isActive() ? QStringLiteral("active") : ErrorHistory::formatTime(e.went), e.varKey,
             e.errorId, e.description});
    m_history->addTopLevelItems(items);
    for (int c = 0; c < 4; ++c)
        m_history->resizeColumnToContents(c);
    const QString text = countText(entries.size(), "1 error this session", "%1 errors this session",
                                   "No errors this session");
    m_lblHistory->setText(text);
    m_history->setAccessibleDescription(text);
    m_cmdClear->setEnabled(!entries.isEmpty());
}

// ---- history commands

void FrmDiagnostic::exportHistory() {
    const QString path = chooseExportFile ? chooseExportFile() : QString();
    if (path.isEmpty())
        return;
    if (const Status status = m_model.exportHistory(path); !status)
        m_context.state.observers.prompter().informDetailed(status.text(), status.detail(),
                                                            QString(), PromptIcon::Exclamation);
}

void FrmDiagnostic::clearHistory() {
    if (m_model.history().entries().isEmpty())
        return;
    if (!m_context.state.observers.prompter().ask(QStringLiteral("Clear the error history?")))
        return;
    m_model.clearHistory();
}

// ---- page contract

void FrmDiagnostic::refreshObject() {
    m_model.refreshObject();
    drawOptionSelection();
}

void FrmDiagnostic::drawBar(MainBar& bar, QProgressBar*, const QString& text) {
    drawPageBar(bar, Page::Diagnostic, text);
}

void FrmDiagnostic::activate() {
    m_model.activate();
    drawOptionSelection();
}

} // namespace hvc
