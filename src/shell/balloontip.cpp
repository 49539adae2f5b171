#include "shell/balloontip.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace hvc {

namespace {
constexpr int kMaxTipWidth = 300;
constexpr int kTail = 10;
} // namespace

// The frameless window that draws one tip.
class TipWindow : public QWidget {
public:
    TipWindow()
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowDoesNotAcceptFocus),
          m_icon(new QLabel(this)), m_title(new QLabel(this)), m_text(new QLabel(this)) {
        setObjectName(QStringLiteral("tooltips_class32"));
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TranslucentBackground);
        m_icon->setObjectName(QStringLiteral("tipIcon"));
        m_title->setObjectName(QStringLiteral("tipTitle"));
        m_text->setObjectName(QStringLiteral("tipText"));
        QFont bold = m_title->font();
        bold.setBold(true);
        m_title->setFont(bold);
        m_text->setWordWrap(true);
        m_text->setMaximumWidth(kMaxTipWidth);
        auto* head = new QHBoxLayout;
        head->addWidget(m_icon);
        head->addWidget(m_title, 1);
        m_layout = new QVBoxLayout(this);
        m_layout->addLayout(head);
        m_layout->addWidget(m_text);
    }

    void apply(BalloonTip::TipStyle style, BalloonTip::TipIcon icon, const QString& title,
               const QString& text, QColor fore, QColor back) {
        m_balloon = style == BalloonTip::TipStyle::Balloon;
        const QPalette tipPal = QApplication::palette("QTipLabel");
        m_back = back.isValid() ? back : tipPal.color(QPalette::ToolTipBase);
        const QColor textColour = fore.isValid() ? fore : tipPal.color(QPalette::ToolTipText);
        for (QLabel* l : {m_title, m_text}) {
            QPalette p = l->palette();
            p.setColor(QPalette::WindowText, textColour);
            l->setPalette(p);
        }
        static const QStyle::StandardPixmap kPixmaps[] = {QStyle::SP_MessageBoxInformation,
                                                          QStyle::SP_MessageBoxWarning,
                                                          QStyle::SP_MessageBoxCritical};
        const bool shown = icon != BalloonTip::TipIcon::None;
        if (shown)
            m_icon->setPixmap(
                appStyle()->standardIcon(kPixmaps[static_cast<int>(icon) - 1]).pixmap(16, 16));
        else
            m_icon->clear();
        m_icon->setVisible(shown);
        m_title->setText(title);
        m_title->setVisible(!title.isEmpty());
        m_text->setText(text);
        m_layout->setContentsMargins(8, m_balloon ? 6 + kTail : 4, 8, m_balloon ? 8 : 4);
        adjustSize();
        QWidget::update();
    }

    bool balloon() const { return m_balloon; }
    QColor background() const { return m_back; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(palette().color(QPalette::Shadow), 1));
        p.setBrush(m_back);
        QRectF body = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        if (!m_balloon) {
            p.drawRect(body);
            return;
        }
        body.setTop(body.top() + kTail);
        QPainterPath path;
        path.addRoundedRect(body, 8, 8);
        QPainterPath tail;
        tail.moveTo(18, body.top() + 1);
        tail.lineTo(18, 0.5);
        tail.lineTo(18 + kTail * 1.5, body.top() + 1);
        tail.closeSubpath();
        p.drawPath(path.united(tail));
    }

private:
    QStyle* appStyle() const { return QApplication::style(); }

    QLabel* m_icon;
    QLabel* m_title;
    QLabel* m_text;
    QVBoxLayout* m_layout;
    QColor m_back;
    bool m_balloon = false;
};

BalloonTip::BalloonTip(QObject* owner) : QObject(owner) {}

BalloonTip::~BalloonTip() {
    remove();
}

void BalloonTip::createBalloon(QWidget* parent, const QString& text, const QString& title,
                               TipIcon icon) {
    create(parent, text, title, icon, TipStyle::Balloon);
}

void BalloonTip::createTip(QWidget* parent, const QString& text, const QString& title,
                           TipIcon icon) {
    create(parent, text, title, icon == TipIcon::Info ? TipIcon::None : icon, TipStyle::Plain);
}

void BalloonTip::create(QWidget* parent, const QString& text, const QString& title, TipIcon icon,
                        TipStyle style) {
    remove();
    m_parent = parent;
    m_text = text;
    m_title = title;
    m_icon = icon;
    m_style = style;
    m_tip = new TipWindow;
    if (parent)
        parent->installEventFilter(this);
    update();
}

void BalloonTip::remove() {
    if (m_parent)
        m_parent->removeEventFilter(this);
    delete m_tip;
    m_tip = nullptr;
}

QWidget* BalloonTip::tipWindow() const {
    return m_tip;
}

void BalloonTip::update() {
    if (m_tip)
        m_tip->apply(m_style, m_icon, m_title, m_text, m_fore, m_back);
}

void BalloonTip::setActive(bool on) {
    m_active = on;
    if (!on)
        hideTip();
}
void BalloonTip::setTipStyle(TipStyle style) {
    m_style = style;
    update();
}
void BalloonTip::setCentered(bool on) {
    m_centered = on;
}
void BalloonTip::setIcon(TipIcon icon) {
    m_icon = icon;
    update();
}
void BalloonTip::setForeColor(const QColor& c) {
    m_fore = c;
    update();
}
void BalloonTip::setBackColor(const QColor& c) {
    m_back = c;
    update();
}
void BalloonTip::setTitle(const QString& t) {
    m_title = t;
    update();
}
void BalloonTip::setTipText(const QString& t) {
    m_text = t;
    update();
}

void BalloonTip::showTip() {
    if (!m_tip || !m_parent || !m_active)
        return;
    QPoint at;
    if (m_centered) {
        const QPoint bottom =
            m_parent->mapToGlobal(QPoint(m_parent->width() / 2, m_parent->height()));
        at = QPoint(bottom.x() - m_tip->width() / 2, bottom.y() + 2);
    } else {
        at = QCursor::pos() + QPoint(-12, 18);
    }
    if (const QScreen* screen = m_parent->screen()) {
        const QRect area = screen->availableGeometry();
        at.setX(
            std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - m_tip->width())));
        at.setY(
            std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - m_tip->height())));
    }
    m_tip->move(at);
    m_tip->show();
    m_tip->raise();
}

void BalloonTip::hideTip() {
    if (m_tip)
        m_tip->hide();
}

bool BalloonTip::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_parent) {
        switch (event->type()) {
        case QEvent::ToolTip:
            showTip();
            return true; // the control's own tooltip gives way to this one
        case QEvent::Leave:
        case QEvent::Hide:
        case QEvent::MouseButtonPress:
            hideTip();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace hvc
