#include "shell/logbookdialog.h"

#include "core/logbook.h"
#include "core/prompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace hvc {

namespace {

bool isServerLocation(const QString& location) {
    return location.startsWith(QLatin1String("postgresql:")) ||
           location.startsWith(QLatin1String("postgres:"));
}

} // namespace

LogbookDialog::LogbookDialog(const LogbookSetting& setting, Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_prompter(prompter),
      m_record(new QCheckBox(QStringLiteral("&Record every read and write of a unit"), this)),
      m_sqlite(new QRadioButton(QStringLiteral("&SQLite file"), this)), m_file(new QLineEdit(this)),
      m_postgres(new QRadioButton(QStringLiteral("&PostgreSQL server"), this)),
      m_url(new QLineEdit(this)), m_result(new QLabel(this)) {
    setObjectName(QStringLiteral("frmLogbook"));
    setWindowTitle(QStringLiteral("Logbook"));
    chooseFile = [this](const FileRequest& r) { return chooseFileWithDialog(this, r); };
    m_record->setObjectName(QStringLiteral("ChkRecord"));
    m_record->setChecked(setting.record);
    m_sqlite->setObjectName(QStringLiteral("OptSqlite"));
    m_postgres->setObjectName(QStringLiteral("OptPostgres"));
    m_file->setObjectName(QStringLiteral("TxtFile"));
    m_file->setAccessibleName(QStringLiteral("SQLite file"));
    m_url->setObjectName(QStringLiteral("TxtUrl"));
    m_url->setAccessibleName(QStringLiteral("PostgreSQL server URL"));
    m_url->setPlaceholderText(QStringLiteral("postgresql://[user@]host[:port]/dbname"));
    const bool server = isServerLocation(setting.location);
    m_postgres->setChecked(server);
    m_sqlite->setChecked(!server);
    m_file->setText(server || setting.location.isEmpty() ? Logbook::defaultLocation()
                                                         : setting.location);
    if (server)
        m_url->setText(setting.location);
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    browse->setObjectName(QStringLiteral("CmdBrowse"));
    browse->setAutoDefault(false);
    auto* hint = new QLabel(
        QStringLiteral("postgresql://[user@]host[:port]/dbname or "
                       "postgresql:///dbname?host=/socket/dir. The password comes from "
                       "~/.pgpass, PGPASSFILE, PGSERVICE or PGPASSWORD; it is never kept here."),
        this);
    hint->setObjectName(QStringLiteral("LblUrlHint"));
    hint->setWordWrap(true);
    auto* test = new QPushButton(QStringLiteral("&Test"), this);
    test->setObjectName(QStringLiteral("CmdTest"));
    test->setAutoDefault(false);
    m_result->setObjectName(QStringLiteral("LblTest"));
    m_result->setWordWrap(true);
    m_result->hide(); // until Test has something to say
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    box->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("CmdOK"));
    box->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CmdCancel"));

    auto* grid = new QGridLayout;
    grid->addWidget(m_sqlite, 0, 0);
    grid->addWidget(m_file, 0, 1);
    grid->addWidget(browse, 0, 2);
    grid->addWidget(m_postgres, 1, 0);
    grid->addWidget(m_url, 1, 1, 1, 2);
    grid->addWidget(hint, 2, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    auto* testRow = new QHBoxLayout;
    testRow->addWidget(test);
    testRow->addWidget(m_result, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_record);
    layout->addLayout(grid);
    layout->addLayout(testRow);
    layout->addStretch(1);
    layout->addWidget(box);

    connect(m_sqlite, &QRadioButton::toggled, this, &LogbookDialog::updateFields);
    connect(browse, &QPushButton::clicked, this, &LogbookDialog::browse);
    connect(test, &QPushButton::clicked, this, &LogbookDialog::testLocation);
    connect(box, &QDialogButtonBox::accepted, this, &LogbookDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &LogbookDialog::reject);
    updateFields();
    resize(640, sizeHint().height());
}

void LogbookDialog::updateFields() {
    m_file->setEnabled(m_sqlite->isChecked());
    m_url->setEnabled(m_postgres->isChecked());
}

void LogbookDialog::browse() {
    FileRequest request;
    request.save = true;
    request.title = QStringLiteral("Logbook File");
    request.filter = QStringLiteral("SQLite logbook (*.sqlite *.db);;All files (*)");
    request.folder = QFileInfo(m_file->text()).absolutePath();
    request.proposedName = QFileInfo(m_file->text()).fileName();
    if (const QString path = chooseFile(request); !path.isEmpty())
        m_file->setText(path);
}

Status LogbookDialog::chosenLocation(QString& location) const {
    location = (m_sqlite->isChecked() ? m_file->text() : m_url->text()).trimmed();
    if (location.isEmpty())
        return Status::failure(m_sqlite->isChecked()
                                   ? QStringLiteral("Give the logbook's file.")
                                   : QStringLiteral("Give the PostgreSQL server's URL: "
                                                    "postgresql://[user@]host[:port]/dbname."));
    if (m_postgres->isChecked() && !isServerLocation(location))
        return Status::failure(
            QStringLiteral("'%1' is not postgresql://[user@]host[:port]/dbname.").arg(location));
    return checkLogbookLocation(location);
}

LogbookSetting LogbookDialog::setting() const {
    LogbookSetting out;
    out.record = m_record->isChecked();
    (void)chosenLocation(out.location);
    // The default file is kept as "the default": it follows the user's data folder.
    if (out.location == Logbook::defaultLocation())
        out.location.clear();
    return out;
}

void LogbookDialog::testLocation() {
    QString location;
    Status status = chosenLocation(location);
    if (status) {
        // A server that does not answer takes up to its connect time-out.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        Logbook book;
        status = book.open(location);
        QApplication::restoreOverrideCursor();
    }
    m_result->setText(status ? QStringLiteral("The logbook opens.")
                             : QStringLiteral("The logbook cannot be opened: ") + status.text());
    m_result->show();
}

void LogbookDialog::accept() {
    QString location;
    if (const Status status = chosenLocation(location); !status) {
        m_prompter.inform(status.text(), {}, PromptIcon::Exclamation);
        return;
    }
    QDialog::accept();
}

} // namespace hvc
