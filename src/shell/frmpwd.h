#pragma once
// The service login: a small modal dialog asking for the maker's password.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace hvc {

class AppState;

inline constexpr const char* kServicePassword = "KORVATH";

class FrmPwd : public QDialog {
    Q_OBJECT
public:
    explicit FrmPwd(AppState& state, QWidget* parent = nullptr);

    void CmdOk_Click();
    void CmdCancel_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    AppState& m_state;
    QLabel* Label1;
    QLineEdit* Text1;
    QPushButton* CmdOk;
    QPushButton* CmdCancel;
};

} // namespace hvc
