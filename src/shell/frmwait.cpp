#include "shell/frmwait.h"

#include "shell/drawing.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace hvc {

FrmWait::FrmWait(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      m_bar(new QProgressBar(this)), m_message(new QLabel(this)) {
    setObjectName(QStringLiteral("FrmWait"));
    m_bar->setObjectName(QStringLiteral("ProgressBar"));
    m_bar->setRange(0, 100);
    m_message->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_message);
    layout->addWidget(m_bar);
    setFixedSize(300, 90);
}

int FrmWait::progressValue() const {
    return m_bar->value();
}

void FrmWait::DrawWaitBar(int ProgressValue, const QString& Msg_Text) {
    if (!isVisible()) {
        show();
        CenterForm(this, parentWidget());
    }
    setWindowTitle(Msg_Text);
    m_message->setText(Msg_Text);
    m_bar->setValue(std::clamp(ProgressValue, 0, 100));
    QCoreApplication::processEvents();
    if (ProgressValue >= 100)
        close();
}

} // namespace hvc
