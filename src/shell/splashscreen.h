#pragma once
// The splash window shown while the program loads; its bar counts to 100 on a
// 2 ms timer, so that it stays up at least that long however fast loading is.

#include <QWidget>

class QLabel;
class QProgressBar;
class QTimer;

namespace hvc {

class AppState;

class SplashScreen : public QWidget {
    Q_OBJECT
public:
    SplashScreen(AppState& state, const QString& picturePath, QWidget* parent = nullptr);

    void resetProgress();
    void startCounting();
    void stopCounting();
    bool counted() const;
    QProgressBar* progressBar() const { return m_progressBar; }
    QTimer* timer() const { return m_timer; }
    // The flags the splash sets on load and the run sequence sets again.
    static void resetFlags(AppState& state);

private:
    QLabel* m_photo;
    QProgressBar* m_progressBar;
    QTimer* m_timer;
};

} // namespace hvc
