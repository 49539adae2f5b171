#include "shell/unithistorywindow.h"

#include "core/prompter.h"
#include "core/unitlog.h"
#include "core/writereview.h"
#include "shell/writereviewdialog.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace hvc {

namespace {

constexpr int kIdRole = Qt::UserRole + 1;

QString localTimeText(const QDateTime& utc) {
    return utc.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QTreeWidget* makeTable(const QStringList& header, const char* name, const QString& spoken,
                       QWidget* parent) {
    auto* t = new QTreeWidget(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setAccessibleName(spoken);
    t->setRootIsDecorated(false);
    t->setUniformRowHeights(true);
    t->setAlternatingRowColors(true);
    t->setHeaderLabels(header);
    // The columns keep the width of their text; the numbers stay beside their names.
    t->header()->setStretchLastSection(false);
    return t;
}

QPushButton* makeButton(const QString& caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

UnitHistoryWindow::UnitHistoryWindow(AppState& state, QString location, QWidget* parent)
    : QWidget(parent, Qt::Window), m_state(state), m_location(std::move(location)),
      m_units(new QComboBox(this)),
      m_entries(
          makeTable({QStringLiteral("Kind"), QStringLiteral("Time"), QStringLiteral("User"),
                     QStringLiteral("Changed"), QStringLiteral("Outcome"), QStringLiteral("Port")},
                    "LstEntries", QStringLiteral("Entries"), this)),
      m_note(new QLabel(this)),
      m_changes(makeTable({QStringLiteral("Variable"), QStringLiteral("Address"),
                           QStringLiteral("Before"), QStringLiteral("After")},
                          "LstChanges", QStringLiteral("Changes"), this)),
      m_problem(new QLabel(this)),
      m_compare(makeButton(QStringLiteral("Compare with &Unit"), "CmdCompare", this)),
      m_restore(makeButton(QStringLiteral("&Restore This Version..."), "CmdRestore", this)),
      m_report(makeButton(QStringLiteral("Service Re&port..."), "CmdReport", this)) {
    setObjectName(QStringLiteral("frmUnitHistory"));
    setWindowTitle(QStringLiteral("Unit History"));
    chooseFile = [this](const FileRequest& r) { return chooseFileWithDialog(this, r); };
    auto* unitLabel = new QLabel(QStringLiteral("&Unit:"), this);
    unitLabel->setBuddy(m_units);
    m_units->setObjectName(QStringLiteral("CboUnit"));
    m_units->setAccessibleName(QStringLiteral("Unit"));
    m_units->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_note->setObjectName(QStringLiteral("LblChanges"));
    m_note->setWordWrap(true);
    m_problem->setObjectName(QStringLiteral("LblProblem"));
    m_problem->setWordWrap(true);
    m_problem->hide();
    auto* close = makeButton(QStringLiteral("&Close"), "CmdClose", this);

    auto* top = new QHBoxLayout;
    top->addWidget(unitLabel);
    top->addWidget(m_units, 1);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->setObjectName(QStringLiteral("SplHistory"));
    split->setChildrenCollapsible(false);
    split->addWidget(m_entries);
    auto* lower = new QWidget(split);
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(m_note);
    lowerLayout->addWidget(m_changes, 1);
    split->addWidget(lower);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_compare);
    buttons->addWidget(m_restore);
    buttons->addWidget(m_report);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_problem);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);

    connect(m_units, &QComboBox::currentIndexChanged, this, &UnitHistoryWindow::showUnit);
    connect(m_entries, &QTreeWidget::currentItemChanged, this, [this] {
        showChanges();
        updateButtons();
    });
    connect(m_compare, &QPushButton::clicked, this, &UnitHistoryWindow::compareWithUnit);
    connect(m_restore, &QPushButton::clicked, this, &UnitHistoryWindow::restoreVersion);
    connect(m_report, &QPushButton::clicked, this, &UnitHistoryWindow::writeReport);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    resize(820, 600);
    refresh();
}

void UnitHistoryWindow::setLocation(const QString& location) {
    m_location = location;
    refresh();
}

void UnitHistoryWindow::refresh() {
    const int row = chosenRow();
    const QString unitKey =
        m_history.shownUnit() >= 0 && m_history.shownUnit() < m_history.units().size()
            ? m_history.units()[m_history.shownUnit()].unit.key()
            : identitySeen(m_state).key();
    const qint64 entryId = row >= 0 ? m_history.entries()[row].id : 0;
    const Status opened = m_history.open(m_location);
    m_problem->setText(opened ? QString()
                              : QStringLiteral("The logbook cannot be read: ") + opened.text());
    m_problem->setVisible(!opened);
    {
        const QSignalBlocker quiet(m_units);
        m_units->clear();
        for (const LogUnit& u : m_history.units())
            m_units->addItem(unitChoiceText(u.unit));
        m_units->setCurrentIndex(m_history.preferredUnit(unitKey));
    }
    showUnit(m_units->currentIndex());
    for (int i = 0; i < m_entries->topLevelItemCount() && entryId; ++i)
        if (m_entries->topLevelItem(i)->data(ColKind, kIdRole).toLongLong() == entryId)
            m_entries->setCurrentItem(m_entries->topLevelItem(i));
}

void UnitHistoryWindow::showUnit(int index) {
    const QSignalBlocker quiet(m_entries);
    m_entries->clear();
    if (const Status s = m_history.showUnit(index); !s) {
        m_problem->setText(QStringLiteral("The logbook cannot be read: ") + s.text());
        m_problem->show();
    }
    for (const LogEntry& e : m_history.entries()) {
        auto* item = new QTreeWidgetItem(
            m_entries, {entryKindText(e.kind), localTimeText(e.time), entryUserText(e),
                        QString::number(e.changedWords()), e.outcome, e.port});
        item->setData(ColKind, kIdRole, e.id);
        item->setTextAlignment(ColChanged, Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int c = ColKind; c <= ColPort; ++c)
        m_entries->resizeColumnToContents(c);
    if (m_entries->topLevelItemCount() > 0)
        m_entries->setCurrentItem(m_entries->topLevelItem(0));
    showChanges();
    updateButtons();
}

int UnitHistoryWindow::chosenRow() const {
    QTreeWidgetItem* item = m_entries->currentItem();
    return item ? m_entries->indexOfTopLevelItem(item) : -1;
}

void UnitHistoryWindow::showChanges() {
    m_changes->clear();
    QList<HistoryChange> rows;
    QString note;
    if (const Status s = m_history.changes(m_state.document.catalogue, chosenRow(), rows, note); !s)
        note = QStringLiteral("The entry cannot be read: ") + s.text();
    m_note->setText(note);
    m_note->setVisible(!note.isEmpty());
    for (const HistoryChange& c : rows) {
        auto* item = new QTreeWidgetItem(m_changes, {c.variable, c.address, c.before, c.after});
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int c = 0; c < 4; ++c)
        m_changes->resizeColumnToContents(c);
}

void UnitHistoryWindow::updateButtons() {
    const int row = chosenRow();
    QString why;
    QMap<std::int32_t, std::int32_t> image;
    if (row < 0) {
        why = QStringLiteral("Choose an entry first.");
    } else if (m_state.session.connectState() == ConnectState::NotConnected ||
               identitySeen(m_state).key() != m_history.units()[m_history.shownUnit()].unit.key()) {
        why = QStringLiteral("Connect to this unit first.");
    } else if (const Status s = m_history.imageAt(row, image); !s) {
        why = QStringLiteral("No image of the unit is known for this entry: ") + s.text();
    }
    for (QPushButton* b : {m_compare, m_restore}) {
        b->setEnabled(why.isEmpty());
        b->setToolTip(why);
    }
    m_report->setEnabled(row >= 0);
    m_report->setToolTip(row >= 0 ? QStringLiteral("The visit this entry belongs to, as a PDF")
                                  : QStringLiteral("Choose an entry first."));
}

QString UnitHistoryWindow::versionText(int row) const {
    const LogEntry& e = m_history.entries()[row];
    return QStringLiteral("entry %1 (%2, %3)")
        .arg(e.id)
        .arg(entryKindText(e.kind), localTimeText(e.time));
}

void UnitHistoryWindow::compareWithUnit() {
    const int row = chosenRow();
    QMap<std::int32_t, std::int32_t> image;
    if (!m_history.imageAt(row, image))
        return;
    WriteReviewDialog dialog(m_state.document.catalogue, versionDifferences(m_state, image),
                             WriteReviewDialog::Purpose::CompareVersion, versionText(row),
                             m_state.session.verifyWrites, this);
    dialog.exec();
}

void UnitHistoryWindow::restoreVersion() {
    const int row = chosenRow();
    QMap<std::int32_t, std::int32_t> image;
    if (restore && m_history.imageAt(row, image))
        restore(image);
}

void UnitHistoryWindow::writeReport() {
    const int row = chosenRow();
    if (row < 0)
        return;
    const LogEntry& e = m_history.entries()[row];
    FileRequest request;
    request.save = true;
    request.title = QStringLiteral("Save Service Report As ...");
    request.filter = QStringLiteral("PDF (*.pdf)");
    request.folder = QDir::homePath();
    request.proposedName = QStringLiteral("service-%1-%2.pdf")
                               .arg(e.unit.known ? e.unit.serial : QStringLiteral("unknown"),
                                    e.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd")));
    QString path = chooseFile ? chooseFile(request) : QString();
    if (path.isEmpty())
        return;
    if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    Prompter& prompter = m_state.observers.prompter();
    if (QFileInfo::exists(path) &&
        !prompter.ask(QStringLiteral("%1 already exists. Replace it?").arg(path)))
        return;
    ServiceVisit visit;
    Status status = m_history.visit(row, visit);
    if (status)
        status = writeServiceReport(visit, m_state.document.catalogue, path);
    if (!status)
        prompter.informDetailed(QStringLiteral("The service report was not written."),
                                status.text(), {}, PromptIcon::Critical);
    else
        prompter.inform(QStringLiteral("The service report is in %1.").arg(path), {},
                        PromptIcon::Information);
}

} // namespace hvc
