#pragma once
// The page life cycle: the tab strip and the stack of pages behind it. Builds the
// five pages in their load order, tags them with their tab keys, and shows the
// page of the chosen tab, telling the old one it left and the new one it came.

#include "core/appstate.h"

#include <QObject>
#include <array>
#include <functional>

class QStackedWidget;
class QTabBar;
class QWidget;

namespace hvc {

class PageForm;
class ShellContext;

// Builds the page for a slot; returning nullptr leaves the slot to the shell's own page.
using PageFactory = std::function<PageForm*(ShellContext&, Page, QWidget* parent)>;

class PageHost : public QObject {
    Q_OBJECT
public:
    PageHost(ShellContext& context, QTabBar* tabs, QStackedWidget* stack);

    // Tabs and pages anew: the old pages are deleted, the new ones built hidden.
    void loadPages(const PageFactory& factory);
    PageForm* page(Page p) const { return m_pages[static_cast<size_t>(p)]; }
    const std::array<PageForm*, kPageCount>& pages() const { return m_pages; }

    void selectTab(int index);
    void selectFirstTab();
    void showNextPage();
    void refreshActivePage();

private:
    ShellContext& m_context;
    QTabBar* m_tabs;
    QStackedWidget* m_stack;
    std::array<PageForm*, kPageCount> m_pages{};
};

} // namespace hvc
