#include "shell/waitbox.h"

#include "shell/drawing.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace hvc {

WaitBox::WaitBox(QWidget* owner)
    : QWidget(nullptr,
              Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint),
      m_owner(owner), m_bar(new QProgressBar(this)), m_message(new QLabel(this)) {
    setObjectName(QStringLiteral("FrmWait"));
    m_bar->setObjectName(QStringLiteral("ProgressBar"));
    m_bar->setAccessibleName(QStringLiteral("Progress"));
    m_bar->setRange(0, 100);
    m_message->setAlignment(Qt::AlignCenter);
    // A frame of its own, so the box stands out also where no title bar is drawn.
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(m_message);
    inner->addWidget(m_bar);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
    setFixedSize(300, 90);
}

int WaitBox::progressValue() const {
    return m_bar->value();
}

void WaitBox::drawWaitBar(int percent, const QString& text) {
    if (!isVisible()) {
        show();
        centerForm(this, m_owner);
    }
    setWindowTitle(text);
    m_message->setText(text);
    m_bar->setValue(std::clamp(percent, 0, 100));
    QCoreApplication::processEvents();
    if (percent >= 100)
        close();
}

} // namespace hvc
