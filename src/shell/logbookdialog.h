#pragma once
// Set > Logbook...: whether the transfers are recorded, and where: an SQLite file
// or a PostgreSQL server. Test opens the logbook and says how that went.

#include "core/logbooksetting.h"
#include "shell/filerequest.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace hvc {

class Prompter;

class LogbookDialog : public QDialog {
    Q_OBJECT
public:
    LogbookDialog(const LogbookSetting& setting, Prompter& prompter, QWidget* parent = nullptr);

    // Answers Browse...; the default opens QFileDialog. An empty path is a cancel.
    std::function<QString(const FileRequest&)> chooseFile;
    // The choice as it stands in the dialog.
    LogbookSetting setting() const;

public Q_SLOTS:
    void testLocation();
    void accept() override;

private:
    void browse();
    void updateFields();
    // The location chosen, or why it cannot be taken.
    Status chosenLocation(QString& location) const;

    Prompter& m_prompter;
    QCheckBox* m_record;
    QRadioButton* m_sqlite;
    QLineEdit* m_file;
    QRadioButton* m_postgres;
    QLineEdit* m_url;
    QLabel* m_result;
};

} // namespace hvc
