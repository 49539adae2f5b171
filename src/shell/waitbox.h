#pragma once
// The wait box: a small window with a progress bar that follows a whole-image
// transfer and closes itself when the bar reaches 100.

#include <QWidget>

class QLabel;
class QProgressBar;

namespace hvc {

class WaitBox : public QWidget {
    Q_OBJECT
public:
    // The box is a window of its own, centred over `owner`: were it a child of the
    // main window, it would turn grey while a transfer disables that window.
    explicit WaitBox(QWidget* owner = nullptr);

    // Shows the box without blocking, caption text, bar at percent;
    // lets pending events run once; closes the box at 100.
    void drawWaitBar(int percent, const QString& text);
    int progressValue() const;

private:
    QWidget* m_owner;
    QProgressBar* m_bar;
    QLabel* m_message;
};

} // namespace hvc
