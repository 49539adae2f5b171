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

void SplashScreen::ResetFlags(AppState& state) {
    state.document.clear();
}

SplashScreen::SplashScreen(AppState& state, const QString& picturePath, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_photo(new QLabel(this)),
      ProgressBar(new QProgressBar(this)), TmrInit(new QTimer(this)) {
    setObjectName(QStringLiteral("frmInit"));
    ResetFlags(state);
    QPixmap photo(picturePath);
    if (photo.isNull())
        photo = fallbackPhoto();
    m_photo->setObjectName(QStringLiteral("imgPhoto"));
    m_photo->setPixmap(photo.scaled(480, 300, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_photo->setAlignment(Qt::AlignCenter);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setTextVisible(false);
    ProgressBar->setFixedHeight(10);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_photo);
    layout->addWidget(ProgressBar);
    TmrInit->setObjectName(QStringLiteral("TmrInit"));
    TmrInit->setInterval(2);
    connect(TmrInit, &QTimer::timeout, this, [this] {
        if (ProgressBar->value() < ProgressBar->maximum())
            ProgressBar->setValue(ProgressBar->value() + 1);
    });
}

void SplashScreen::InitFormReset() {
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
}

void SplashScreen::startCounting() {
    TmrInit->start();
}
void SplashScreen::stopCounting() {
    TmrInit->stop();
}
bool SplashScreen::counted() const {
    return ProgressBar->value() >= ProgressBar->maximum();
}

} // namespace hvc
