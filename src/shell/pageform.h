#pragma once
// The contract every page of the main window keeps: its transfer keys and
// variable count, the tag of its tab, and the operations the main window calls
// for refreshing, writing, status drawing, polling and help.

#include "core/appstate.h"
#include "core/status.h"
#include "shell/shellcontext.h"

#include <QString>
#include <QWidget>
#include <cstdint>

class QProgressBar;

namespace hvc {

class MainBar;

class PageForm : public QWidget {
    Q_OBJECT
public:
    PageForm(ShellContext& context, Page page, QWidget* parent = nullptr);

    Page page() const { return m_page; }
    std::uint16_t readKey() const { return keys().readKey; }
    std::uint16_t writeKey() const { return keys().writeKey; }
    std::int16_t pageVarNum() const { return keys().pageVarNum; }
    void setPageVarNum(std::int16_t n) { keys().pageVarNum = n; }
    QString tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }

    // Fills the page's controls again from the variable records.
    virtual void refreshObject() = 0;
    // Success when the page's values can be written, else a failure saying what is wrong.
    virtual Status checkDataToWrite() { return {}; }
    // Draws the page's part of the status: login commands, panels, connection state.
    virtual void drawBar(MainBar& bar, QProgressBar* progressBar, const QString& text) = 0;
    // Stops the page's polling timer (AppState::polling knows the polling pages).
    virtual void disableTimer();
    // True while the page's timer is still running a poll.
    virtual bool isPolling() const;
    // The page of the manual that F1 opens on this page.
    virtual int helpPage() const = 0;
    // The section colours changed.
    virtual void refreshColour() {}
    // Called when the page is shown in, or taken out of, the main window.
    virtual void activate() {}
    // Leaving a polling page asks it to stop and hands the link back.
    virtual void deactivate();

protected:
    PageKeys& keys() const { return m_context.state.document.page(m_page); }
    ShellContext& m_context;

private:
    Page m_page;
    QString m_tag;
};

} // namespace hvc
