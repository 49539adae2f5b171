#include "shell/writereviewdialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace hvc {

namespace {

constexpr int kPositionRole = Qt::UserRole + 1;

QPushButton* makeButton(const QString& caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QString summaryText(WriteReviewDialog::Purpose purpose, qsizetype rows, const QString& file,
                    bool verify) {
    const bool write = purpose == WriteReviewDialog::Purpose::Write;
    if (purpose == WriteReviewDialog::Purpose::CompareVersion)
        return rows == 0   ? QStringLiteral("The unit holds the values of %1.").arg(file)
               : rows == 1 ? QStringLiteral("1 variable differs between the unit and %1.").arg(file)
                           : QStringLiteral("%1 variables differ between the unit and %2.")
                                 .arg(rows)
                                 .arg(file);
    if (rows == 0)
        return write ? QStringLiteral("Nothing differs: the unit already holds every value "
                                      "this write would send.")
                     : QStringLiteral("%1 holds the unit's values for every parameter it has.")
                           .arg(file);
    const QString count = rows == 1 ? QStringLiteral("1 variable differs")
                                    : QStringLiteral("%1 variables differ").arg(rows);
    if (write)
        return count +
               QStringLiteral(" from the unit. Ticked rows are written, the others "
                              "stay pending. ") +
               (verify ? QStringLiteral("The written words are read back.")
                       : QStringLiteral("Verification is off: nothing is read back."));
    return count + QStringLiteral(" between %1 and the unit. Ticked rows become working values; "
                                  "nothing goes to the unit before Write.")
                       .arg(file);
}

} // namespace

WriteReviewDialog::WriteReviewDialog(const Catalogue& catalogue, const QList<ReviewRow>& rows,
                                     Purpose purpose, const QString& fileName, bool verify,
                                     QWidget* parent)
    : QDialog(parent), m_rows(rows) {
    const bool write = purpose == Purpose::Write;
    // Compared with a version: nothing to tick, nothing loaded or written.
    const bool onlyShown = purpose == Purpose::CompareVersion;
    setObjectName(QStringLiteral("frmWriteReview"));
    setWindowTitle(write       ? QStringLiteral("Review Before Writing")
                   : onlyShown ? QStringLiteral("Compare with Unit - %1").arg(fileName)
                               : QStringLiteral("Compare with File - %1").arg(fileName));

    m_summary = new QLabel(summaryText(purpose, rows.size(), fileName, verify), this);
    m_summary->setObjectName(QStringLiteral("LblReview"));
    m_summary->setWordWrap(true);

    m_table = new QTreeWidget(this);
    m_table->setObjectName(QStringLiteral("LstReview"));
    m_table->setAccessibleName(write       ? QStringLiteral("Variables to write")
                               : onlyShown ? QStringLiteral("Differences from the version")
                                           : QStringLiteral("Differences from the file"));
    m_table->setRootIsDecorated(false);
    m_table->setUniformRowHeights(true);
    m_table->setAlternatingRowColors(true);
    QStringList header = reviewHeader();
    if (!write)
        header[ColNewWord] =
            onlyShown ? QStringLiteral("Version word") : QStringLiteral("File word");
    if (!write)
        header[ColNewValue] =
            onlyShown ? QStringLiteral("Version value") : QStringLiteral("File value");
    m_table->setHeaderLabels(header);
    for (const ReviewRow& row : rows) {
        const ReviewRowText t = describeRow(catalogue, row);
        auto* item = new QTreeWidgetItem(
            m_table, {t.name, t.address, t.unitWord, t.newWord, t.unitValue, t.newValue});
        if (!onlyShown) {
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(ColName, Qt::Checked);
        }
        item->setData(ColName, kPositionRole, row.position);
        for (int c = ColUnitWord; c <= ColNewValue; ++c)
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int c = ColName; c <= ColNewValue; ++c)
        m_table->resizeColumnToContents(c);
    m_table->header()->setStretchLastSection(false);
    m_table->header()->setSectionResizeMode(ColName, QHeaderView::Stretch);
    connect(m_table, &QTreeWidget::itemChanged, this, &WriteReviewDialog::updateButtons);

    m_all = makeButton(QStringLiteral("&All"), "CmdAll", this);
    m_none = makeButton(QStringLiteral("&None"), "CmdNone", this);
    connect(m_all, &QPushButton::clicked, this, &WriteReviewDialog::tickAll);
    connect(m_none, &QPushButton::clicked, this, &WriteReviewDialog::tickNone);
    auto* cancel = makeButton((rows.isEmpty() && !write) || onlyShown ? QStringLiteral("&Close")
                                                                      : QStringLiteral("&Cancel"),
                              "CmdCancel", this);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_all);
    buttons->addWidget(m_none);
    buttons->addStretch(1);
    if (write && rows.isEmpty()) {
        m_proceed = makeButton(QStringLiteral("Write &Whole Image"), "CmdWholeImage", this);
        connect(m_proceed, &QPushButton::clicked, this,
                [this] { finish(WriteChoice::wholeImage()); });
    } else if (!rows.isEmpty() && !onlyShown) {
        m_proceed =
            makeButton(write ? QStringLiteral("&Write") : QStringLiteral("&Load ticked rows"),
                       write ? "CmdWrite" : "CmdLoadRows", this);
        connect(m_proceed, &QPushButton::clicked, this,
                [this] { finish(WriteChoice::rows(tickedPositions())); });
    }
    if (m_proceed)
        buttons->addWidget(m_proceed);
    buttons->addWidget(cancel);
    cancel->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    if (onlyShown) {
        m_all->hide();
        m_none->hide();
    }
    if (rows.isEmpty()) {
        m_table->hide();
        m_all->hide();
        m_none->hide();
    } else {
        resize(std::max(640, m_table->header()->length() + 60),
               std::min(560, 150 + static_cast<int>(rows.size()) * 24));
    }
    updateButtons();
    // No row looks picked before the technician picks one.
    cancel->setFocus();
}

QList<int> WriteReviewDialog::tickedPositions() const {
    QList<int> out;
    for (int i = 0; i < m_table->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_table->topLevelItem(i);
        if (item->checkState(ColName) == Qt::Checked)
            out.append(item->data(ColName, kPositionRole).toInt());
    }
    return out;
}

void WriteReviewDialog::tickAll() {
    setAllTicks(true);
}

void WriteReviewDialog::tickNone() {
    setAllTicks(false);
}

void WriteReviewDialog::setAllTicks(bool ticked) {
    for (int i = 0; i < m_table->topLevelItemCount(); ++i)
        m_table->topLevelItem(i)->setCheckState(ColName, ticked ? Qt::Checked : Qt::Unchecked);
    updateButtons();
}

void WriteReviewDialog::updateButtons() {
    if (m_rows.isEmpty() || !m_proceed)
        return;
    m_proceed->setEnabled(!tickedPositions().isEmpty());
}

void WriteReviewDialog::finish(WriteChoice choice) {
    m_choice = std::move(choice);
    accept();
}

} // namespace hvc
