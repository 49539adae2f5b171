#include "shell/helplauncher.h"

#include "core/prompter.h"
#include "shell/shellcontext.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace hvc {

namespace {
const char* const kSiteAddress = "https://www.oltrava.example/";
} // namespace

void HelpLauncher::showManual(int page) const {
    Prompter& prompter = m_context.state.prompter();
    const QString manual = QDir(m_context.programDir).filePath(QStringLiteral("HVCMANUAL.pdf"));
    if (!QFileInfo::exists(manual)) {
        prompter.inform(QStringLiteral("The manual HVCMANUAL.pdf is not in ") +
                        QDir::toNativeSeparators(m_context.programDir));
        return;
    }
    QUrl url = QUrl::fromLocalFile(manual);
    url.setFragment(QStringLiteral("page=%1").arg(page));
    if (!(m_context.openDocument && m_context.openDocument(url.toString())))
        prompter.inform(QStringLiteral("No PDF viewer could open ") + manual);
}

void HelpLauncher::openWebSite() const {
    const QString site = QString::fromLatin1(kSiteAddress);
    if (!(m_context.openDocument && m_context.openDocument(site)))
        m_context.state.prompter().inform(QStringLiteral("No web browser could open ") + site);
}

} // namespace hvc
