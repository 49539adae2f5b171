#include "shell/helplauncher.h"

#include "core/installlayout.h"
#include "core/prompter.h"
#include "shell/shellcontext.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

namespace hvc {

namespace {
const char* const kSiteAddress = "https://www.oltrava.example/";
} // namespace

void HelpLauncher::showManual(int page) const {
    Prompter& prompter = m_context.state.observers.prompter();
    const QString manual = manualPathFor(m_context.programDir);
    if (manual.isEmpty()) {
        prompter.inform(QStringLiteral("The manual HVCMANUAL.pdf is not in ") +
                        QDir::toNativeSeparators(m_context.programDir));
        return;
    }
    QUrl url = QUrl::fromLocalFile(manual);
    url.setFragment(QStringLiteral("page=%1").arg(page));
    if (!(m_context.hooks.openDocument && m_context.hooks.openDocument(url.toString())))
        prompter.inform(QStringLiteral("No PDF viewer could open ") + manual);
}

void HelpLauncher::openWebSite() const {
    const QString site = QString::fromLatin1(kSiteAddress);
    if (!(m_context.hooks.openDocument && m_context.hooks.openDocument(site)))
        m_context.state.observers.prompter().inform(QStringLiteral("No web browser could open ") +
                                                    site);
}

ViewerCommand
HelpLauncher::viewerCommand(const QString& pdf, int page,
                            const std::function<QString(const QString&)>& findExecutable) {
    const QString number = QString::number(page);
    if (QString evince = findExecutable(QStringLiteral("evince")); !evince.isEmpty())
        return {evince, {QStringLiteral("--page-label=") + number, pdf}};
    if (QString okular = findExecutable(QStringLiteral("okular")); !okular.isEmpty())
        return {okular, {QStringLiteral("--page"), number, pdf}};
    if (QString qpdfview = findExecutable(QStringLiteral("qpdfview")); !qpdfview.isEmpty())
        return {qpdfview, {pdf + u'#' + number}};
    QUrl url = QUrl::fromLocalFile(pdf);
    url.setFragment(QStringLiteral("page=") + number);
    QString opener = findExecutable(QStringLiteral("xdg-open"));
    return {opener.isEmpty() ? QStringLiteral("xdg-open") : opener,
            {url.toString(QUrl::FullyEncoded)}};
}

bool HelpLauncher::openWithDesktop(const QString& target) {
    static const QRegularExpression kPageFragment(QStringLiteral("^page=(\\d+)$"));
    const QUrl url =
        QFileInfo(target).isAbsolute() ? QUrl::fromLocalFile(target) : QUrl::fromUserInput(target);
    const auto page = kPageFragment.match(url.fragment());
    if (url.isLocalFile() && page.hasMatch()) {
        const ViewerCommand command =
            viewerCommand(url.toLocalFile(), page.captured(1).toInt(),
                          [](const QString& name) { return QStandardPaths::findExecutable(name); });
        return QProcess::startDetached(command.program, command.arguments);
    }
    return QDesktopServices::openUrl(url);
}

} // namespace hvc
