#include "shell/logindialog.h"

#include "core/appstate.h"
#include "core/prompter.h"
#include "shell/drawing.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>

namespace hvc {

namespace {

// Masks the password with "*" whatever the theme's own mask character is.
class AsteriskStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_LineEdit_PasswordCharacter)
            return u'*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

LoginDialog::LoginDialog(AppState& state, QWidget* parent)
    : QDialog(parent), m_state(state),
      m_prompt(new QLabel(QStringLiteral("Enter Oltrava password:"), this)),
      m_password(new QLineEdit(this)), m_ok(new QPushButton(QStringLiteral("&OK"), this)),
      m_cancel(new QPushButton(QStringLiteral("&Cancel"), this)) {
    setObjectName(QStringLiteral("FrmPwd"));
    setWindowTitle(QCoreApplication::applicationName() + QStringLiteral(" - Login"));
    m_prompt->setObjectName(QStringLiteral("Label1"));
    m_prompt->setBuddy(m_password);
    m_password->setObjectName(QStringLiteral("Text1"));
    m_password->setAccessibleName(QStringLiteral("Password"));
    m_password->setEchoMode(QLineEdit::Password);
    auto* style = new AsteriskStyle;
    style->setParent(m_password);
    m_password->setStyle(style);
    // The apostrophe is never part of an entry, typed or pasted.
    m_password->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^']*")), m_password));
    m_password->installEventFilter(this);
    m_ok->setObjectName(QStringLiteral("CmdOk"));
    m_cancel->setObjectName(QStringLiteral("CmdCancel"));
    m_ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_prompt);
    layout->addWidget(m_password);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &LoginDialog::checkPassword);
    connect(m_cancel, &QPushButton::clicked, this, &LoginDialog::reject);
}

void LoginDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    adjustSize();
    centerForm(this, parentWidget());
    m_password->setFocus();
}

bool LoginDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_password && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, m_password, [this] { selectAllText(m_password); });
    return QDialog::eventFilter(watched, event);
}

void LoginDialog::checkPassword() {
    if (m_password->text().toUpper() == QLatin1String(kServicePassword)) {
        accept();
        m_state.observers.prompter().inform(QStringLiteral("Login Successful!"));
        m_state.session.loggedIn = true;
        return;
    }
    m_state.observers.prompter().inform(QStringLiteral("Password NOT Correct!"));
    m_password->clear();
    m_password->setFocus();
}

} // namespace hvc
