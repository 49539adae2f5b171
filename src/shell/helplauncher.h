#pragma once
// Help topics and the maker's web site, opened with the desktop's own viewers.
// When nothing can open them the user is told why.

#include <QString>

namespace hvc {

class ShellContext;

class HelpLauncher {
public:
    explicit HelpLauncher(ShellContext& context) : m_context(context) {}

    // The manual HVCMANUAL.pdf beside the program, at a page.
    void showManual(int page) const;
    void openWebSite() const;

private:
    ShellContext& m_context;
};

} // namespace hvc
