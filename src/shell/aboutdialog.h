#pragma once
// The About box: program title, version, description, the maker's contact lines,
// and a button that starts the system information tool.

#include <QDialog>

class QLabel;

namespace hvc {

class Prompter;

// "Version : 2.1.7" from a "2.1.7"-style version text.
QString versionLabelText(const QString& version);
// The first system information program found on PATH, or "".
QString findSystemInfoTool();

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    AboutDialog(Prompter& prompter, QWidget* parent = nullptr);

    void showSystemInfo();

private:
    Prompter& m_prompter;
};

} // namespace hvc
