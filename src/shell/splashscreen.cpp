#include "shell/splashscreen.h"

#include "core/appstate.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

namespace hvc {

namespace {

// Drawn in place of a missing splash photo.
QPixmap fallbackPhoto() {
    QPixmap pm(480, 300);
    pm.fill(QColor(18, 42, 74));
    QPainter p(&pm);
    p.setPen(QColor(235, 240, 250));
    QFont f = p.font();
    f.setPointSize(20);
    f.setBold(true);
    p.setFont(f);
    p.drawText(pm.rect(), Qt::AlignCenter, QCoreApplication::applicationName());
    return pm;
}

} // namespace

void SplashScreen::resetFlags(AppState& state) {
    state.document.flags.clear();
}

SplashScreen::SplashScreen(AppState& state, const QString& picturePath, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_photo(new QLabel(this)),
      m_progressBar(new QProgressBar(this)), m_timer(new QTimer(this)) {
    setObjectName(QStringLiteral("frmInit"));
    resetFlags(state);
    QPixmap photo(picturePath);
    if (photo.isNull())
        photo = fallbackPhoto();
    m_photo->setObjectName(QStringLiteral("imgPhoto"));
    m_photo->setPixmap(photo.scaled(480, 300, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_photo->setAlignment(Qt::AlignCenter);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar"));
    m_progressBar->setTextVisible(false);
    m_progressBar->setFixedHeight(10);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_photo);
    layout->addWidget(m_progressBar);
    m_timer->setObjectName(QStringLiteral("TmrInit"));
    m_timer->setInterval(2);
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (m_progressBar->value() < m_progressBar->maximum())
            m_progressBar->setValue(m_progressBar->value() + 1);
    });
}

void SplashScreen::resetProgress() {
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
}

void SplashScreen::startCounting() {
    m_timer->start();
}
void SplashScreen::stopCounting() {
    m_timer->stop();
}
bool SplashScreen::counted() const {
    return m_progressBar->value() >= m_progressBar->maximum();
}

} // namespace hvc
