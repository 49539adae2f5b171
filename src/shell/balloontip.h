#pragma once
// A tooltip that belongs to one control: plain or balloon, with an optional title
// and icon, its own colours, shown while the mouse rests on the control. Setting
// a property updates the tip that is showing.

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace hvc {

class TipWindow;

class BalloonTip : public QObject {
    Q_OBJECT
public:
    enum class TipStyle { Plain, Balloon };
    enum class TipIcon { None, Info, Warning, Error };

    explicit BalloonTip(QObject* owner = nullptr);
    ~BalloonTip() override;

    void createBalloon(QWidget* parent, const QString& text, const QString& title = {},
                       TipIcon icon = TipIcon::None);
    // A plain tip shows no information icon.
    void createTip(QWidget* parent, const QString& text, const QString& title = {},
                   TipIcon icon = TipIcon::None);
    void remove();

    bool isActive() const { return m_active; }
    void setActive(bool on);
    QWidget* parentControl() const { return m_parent; }
    TipStyle tipStyle() const { return m_style; }
    void setTipStyle(TipStyle style);
    bool isCentered() const { return m_centered; }
    void setCentered(bool on);
    TipIcon icon() const { return m_icon; }
    void setIcon(TipIcon icon);
    QColor foreColor() const { return m_fore; }
    void setForeColor(const QColor& c);
    QColor backColor() const { return m_back; }
    void setBackColor(const QColor& c);
    QString title() const { return m_title; }
    void setTitle(const QString& t);
    QString tipText() const { return m_text; }
    void setTipText(const QString& t);
    // The tip window, null before a create and after remove().
    QWidget* tipWindow() const;

    // Shows the tip now, as when the mouse comes to rest on the control.
    void showTip();
    void hideTip();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void create(QWidget* parent, const QString& text, const QString& title, TipIcon icon,
                TipStyle style);
    void update();

    QPointer<QWidget> m_parent;
    TipWindow* m_tip = nullptr;
    bool m_active = true;
    TipStyle m_style = TipStyle::Plain;
    bool m_centered = false;
    TipIcon m_icon = TipIcon::None;
    QColor m_fore, m_back;
    QString m_title, m_text;
};

} // namespace hvc
