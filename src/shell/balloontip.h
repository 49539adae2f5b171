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
    enum TipStyle { Plain = 0, Balloon = 1 };
    enum TipIcon { NoIcon = 0, InfoIcon = 1, WarningIcon = 2, ErrorIcon = 3 };

    explicit BalloonTip(QObject* owner = nullptr);
    ~BalloonTip() override;

    void CreateBalloon(QWidget* Parent, const QString& Text, const QString& Title = {},
                       int Icon = NoIcon);
    void CreateTip(QWidget* Parent, const QString& Text, const QString& Title = {},
                   int Icon = NoIcon);
    void Remove();

    bool Active() const { return m_active; }
    void setActive(bool on);
    QWidget* ParentControl() const { return m_parent; }
    int Style() const { return m_style; }
    void setStyle(int style);
    bool Centered() const { return m_centered; }
    void setCentered(bool on);
    int Icon() const { return m_icon; }
    void setIcon(int icon);
    QColor ForeColor() const { return m_fore; }
    void setForeColor(const QColor& c);
    QColor BackColor() const { return m_back; }
    void setBackColor(const QColor& c);
    QString Title() const { return m_title; }
    void setTitle(const QString& t);
    QString TipText() const { return m_text; }
    void setTipText(const QString& t);
    // The tip window, null before Create and after Remove.
    QWidget* hWnd() const;

    // Shows the tip now, as when the mouse comes to rest on the control.
    void showTip();
    void hideTip();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void create(QWidget* parent, const QString& text, const QString& title, int icon, int style);
    void update();

    QPointer<QWidget> m_parent;
    TipWindow* m_tip = nullptr;
    bool m_active = true;
    int m_style = Plain;
    bool m_centered = false;
    int m_icon = NoIcon;
    QColor m_fore, m_back;
    QString m_title, m_text;
};

} // namespace hvc
