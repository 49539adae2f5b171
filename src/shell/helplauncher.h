#pragma once
// Help topics and the maker's web site, opened with the desktop's own viewers.
// When nothing can open them the user is told why.

#include <QString>
#include <QStringList>
#include <functional>

namespace hvc {

class ShellContext;

// A viewer's command line.
struct ViewerCommand {
    QString program;
    QStringList arguments;
    bool operator==(const ViewerCommand&) const = default;
};

class HelpLauncher {
public:
    explicit HelpLauncher(ShellContext& context) : m_context(context) {}

    // The manual HVCMANUAL.pdf beside the program (or where an installation
    // keeps it), at a page.
    void showManual(int page) const;
    void openWebSite() const;

    // How to open a PDF at a page: the first of evince, okular and qpdfview that
    // findExecutable knows (it answers a program's path, or empty), each told the
    // page its own way; else xdg-open with the page as a "#page=N" fragment, which
    // viewers that read it honour and the others ignore.
    static ViewerCommand
    viewerCommand(const QString& pdf, int page,
                  const std::function<QString(const QString&)>& findExecutable);
    // Opens target ("file:///...pdf#page=N" or any address) with a viewer; false
    // when none could be started. The default of ShellHooks::openDocument.
    static bool openWithDesktop(const QString& target);

private:
    ShellContext& m_context;
};

} // namespace hvc
