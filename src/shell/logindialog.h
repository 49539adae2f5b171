#pragma once
// The service login: a small modal dialog asking for the maker's password.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace hvc {

class AppState;

inline constexpr const char* kServicePassword = "KORVATH";

class LoginDialog : public QDialog {
    Q_OBJECT
public:
    explicit LoginDialog(AppState& state, QWidget* parent = nullptr);

    // OK: logs in on the right password, else says so and clears the field.
    void checkPassword();
    QLineEdit* passwordField() const { return m_password; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    AppState& m_state;
    QLabel* m_prompt;
    QLineEdit* m_password;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

} // namespace hvc
