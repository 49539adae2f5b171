#include "shell/pagehost.h"

#include "shell/infopage.h"
#include "shell/pageform.h"
#include "shell/placeholderpage.h"
#include "shell/shellcontext.h"

#include <QCoreApplication>
#include <QStackedWidget>
#include <QTabBar>

namespace hvc {

namespace {

struct TabSpec {
    Page page;
    const char* key;
    const char* caption;
    const char* tooltip;
};

const TabSpec kTabs[] = {
    {Page::Config, "A1", "Configure", "System Configuration Parameters"},
    {Page::Monitor, "A2", "Monitor", "On Line System Monitor"},
    {Page::Diagnostic, "A3", "Diagnostic", "On Line System Diagnostic"},
    {Page::Debugger, "A5", "Debugger", "Electronic Debugger"},
    {Page::Info, "A6", "Info", "Additional Info"},
};

// The order in which start-up loads the pages.
const Page kLoadOrder[] = {Page::Config, Page::Diagnostic, Page::Debugger, Page::Monitor,
                           Page::Info};

} // namespace

PageHost::PageHost(ShellContext& context, QTabBar* tabs, QStackedWidget* stack)
    : QObject(tabs), m_context(context), m_tabs(tabs), m_stack(stack) {}

void PageHost::loadPages(const PageFactory& factory) {
    const QSignalBlocker block(m_tabs);
    while (m_tabs->count() > 0)
        m_tabs->removeTab(0);
    for (const TabSpec& t : kTabs) {
        const int i = m_tabs->addTab(QString::fromLatin1(t.caption));
        m_tabs->setTabData(i, QString::fromLatin1(t.key));
        m_tabs->setTabToolTip(i, QString::fromLatin1(t.tooltip));
    }

    m_context.activePage = nullptr;
    for (PageForm*& p : m_pages) {
        if (!p)
            continue;
        p->setTag({});
        p->setPageVarNum(0);
        m_stack->removeWidget(p);
        delete p;
        p = nullptr;
    }
    for (Page which : kLoadOrder) {
        PageForm* p = factory ? factory(m_context, which, m_stack) : nullptr;
        if (!p && which == Page::Info)
            p = new InfoPage(m_context, m_stack);
        else if (!p)
            p = new PlaceholderPage(m_context, which, m_stack);
        m_pages[static_cast<size_t>(which)] = p;
        m_stack->addWidget(p);
        p->hide();
        QCoreApplication::processEvents();
    }
    for (const TabSpec& t : kTabs)
        page(t.page)->setTag(QString::fromLatin1(t.key));
}

void PageHost::selectTab(int index) {
    if (index < 0)
        return;
    const QString key = m_tabs->tabData(index).toString();
    PageForm* previous = m_context.activePage;
    for (PageForm* p : m_pages) {
        if (!p)
            continue;
        if (p->tag() == key)
            m_context.activePage = p;
        else
            p->hide();
    }
    if (previous && previous != m_context.activePage)
        previous->deactivate();
    if (PageForm* active = m_context.activePage; active && active->tag() == key) {
        m_stack->setCurrentWidget(active);
        active->show();
        active->setFocus();
        if (active != previous)
            active->activate();
    }
}

void PageHost::selectFirstTab() {
    if (m_tabs->count() == 0)
        return;
    if (m_tabs->currentIndex() != 0)
        m_tabs->setCurrentIndex(0);
    else if (!m_context.activePage || m_context.activePage->tag() != m_tabs->tabData(0).toString())
        selectTab(0);
}

void PageHost::showNextPage() {
    if (m_tabs->count() > 0)
        m_tabs->setCurrentIndex((m_tabs->currentIndex() + 1) % m_tabs->count());
}

void PageHost::refreshActivePage() {
    if (m_context.activePage)
        m_context.activePage->refreshObject();
}

} // namespace hvc
