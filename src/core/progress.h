#pragma once
// The status text and percent of long work, and the observer that shows them.
// Transfers and the polling pages change them here; the status bar, the progress
// bar and the wait box read them or are told through the observer.

#include <QString>

namespace hvc {

// Receives the progress of long work: after every exchange of a transfer, and
// gives the user interface a chance to handle pending events.
class ProgressObserver {
public:
    virtual ~ProgressObserver() = default;
    virtual void onProgress(const QString& statusText, int percent) = 0;
};

class Progress {
public:
    const QString& text() const { return m_text; }
    int percent() const { return m_percent; }

    // Takes the text and percent and tells the observer.
    void report(const QString& text, int percent);
    // Tells the observer the current text and percent again.
    void notify() const;
    // Change one of them quietly: the next report or drawing of the bar shows it.
    void setText(const QString& text) { m_text = text; }
    void setPercent(int percent) { m_percent = percent; }

    ProgressObserver* observer() const { return m_observer; }
    void setObserver(ProgressObserver* observer) { m_observer = observer; }

private:
    QString m_text;
    int m_percent = 0;
    ProgressObserver* m_observer = nullptr;
};

} // namespace hvc
