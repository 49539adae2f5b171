#include "shell/frmpwd.h"

#include "core/appstate.h"
#include "core/prompter.h"
#include "shell/drawing.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>

namespace hvc {

FrmPwd::FrmPwd(AppState& state, QWidget* parent)
    : QDialog(parent), m_state(state),
      Label1(new QLabel(QStringLiteral("Enter Oltrava password:"), this)),
      Text1(new QLineEdit(this)), CmdOk(new QPushButton(QStringLiteral("&OK"), this)),
      CmdCancel(new QPushButton(QStringLiteral("&Cancel"), this)) {
    setObjectName(QStringLiteral("FrmPwd"));
    setWindowTitle(QCoreApplication::applicationName() + QStringLiteral(" - Login"));
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setEchoMode(QLineEdit::Password);
    // The apostrophe is never part of an entry, typed or pasted.
    Text1->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^']*")), Text1));
    Text1->installEventFilter(this);
    CmdOk->setObjectName(QStringLiteral("CmdOk"));
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    CmdOk->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmdOk);
    buttons->addWidget(CmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Text1);
    layout->addLayout(buttons);
    connect(CmdOk, &QPushButton::clicked, this, &FrmPwd::CmdOk_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &FrmPwd::CmdCancel_Click);
}

void FrmPwd::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    adjustSize();
    CenterForm(this, parentWidget());
    Text1->setFocus();
}

bool FrmPwd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text1 && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, Text1, [this] { SelectAllText(Text1); });
    return QDialog::eventFilter(watched, event);
}

void FrmPwd::CmdOk_Click() {
    if (Text1->text().toUpper() == QLatin1String(kServicePassword)) {
        accept();
        if (m_state.prompter)
            m_state.prompter->inform(QStringLiteral("Login Successful!"));
        m_state.LoggedIn = true;
        return;
    }
    if (m_state.prompter)
        m_state.prompter->inform(QStringLiteral("Password NOT Correct!"));
    Text1->clear();
    Text1->setFocus();
}

void FrmPwd::CmdCancel_Click() {
    reject();
}

} // namespace hvc
