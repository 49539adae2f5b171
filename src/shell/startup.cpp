#include "shell/startup.h"

#include "shell/pageform.h"
#include "shell/sectioncolours.h"
#include "shell/splashscreen.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace hvc {

std::unique_ptr<MainWindow> startUp(ShellContext& context, PageFactory factory) {
    AppState& state = context.state;
    SplashScreen splash(state, context.resPath(QStringLiteral("bmp/Init.jpg")));
    splash.show();
    splash.resetProgress();
    splash.startCounting();
    QCoreApplication::processEvents();

    auto window = std::make_unique<MainWindow>(context, std::move(factory));
    window->loadMain();
    SplashScreen::resetFlags(state);

    while (!splash.counted())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    splash.stopCounting();
    splash.close();
    window->show();
    window->selectFirstTab();
    frmSectionColourInit(context);
    for (Page p : {Page::Config, Page::Monitor})
        if (PageForm* page = window->pageForm(p))
            page->refreshColour();
    return window;
}

} // namespace hvc
