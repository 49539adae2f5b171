#pragma once
// The file information page: author, date, revision, company and comments that
// travel with a configuration file, and the name of the file last loaded or saved.

#include "core/infoblock.h"
#include "shell/pageform.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace hvc {

class InfoPage : public PageForm {
    Q_OBJECT
public:
    explicit InfoPage(ShellContext& context, QWidget* parent = nullptr);

    void refreshObject() override {}
    void drawBar(MainBar& bar, QProgressBar* progressBar, const QString& text) override;
    int helpPage() const override { return 34; }

    QString author() const;
    QString date() const;
    QString revision() const;
    QString company() const;
    QString comments() const;
    // The fields as a configuration file carries them.
    InfoFields fields() const;
    // Fills the fields and the file name (each change marks the information
    // edited, as typing does).
    void showFields(const InfoFields& info);
    void setFileName(const QString& name);
    QString fileName() const;

private:
    void edited();

    QLineEdit* m_author;
    QLineEdit* m_date;
    QLineEdit* m_revision;
    QLineEdit* m_company;
    QPlainTextEdit* m_info;
    QLabel* m_name;
};

} // namespace hvc
