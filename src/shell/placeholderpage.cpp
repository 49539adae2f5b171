#include "shell/placeholderpage.h"

#include "shell/pagestatus.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace hvc {

QString PlaceholderPage::caption(Page page) {
    switch (page) {
    case Page::Config:
        return QStringLiteral("System Configuration");
    case Page::Monitor:
        return QStringLiteral("On Line System Monitor");
    case Page::Diagnostic:
        return QStringLiteral("On Line System Diagnostic");
    case Page::Debugger:
        return QStringLiteral("Electronic Debugger");
    case Page::Info:
        break;
    }
    return QStringLiteral("Info");
}

PlaceholderPage::PlaceholderPage(ShellContext& context, Page page, QWidget* parent)
    : PageForm(context, page, parent), m_caption(new QLabel(caption(page), this)),
      m_controls(new QWidget(this)) {
    static const char* const kNames[] = {"frmConfig", "frmMonitor", "frmDiagnostic", "frmDebug",
                                         "frmComment"};
    setObjectName(QString::fromLatin1(kNames[static_cast<int>(page)]));
    QFont f = m_caption->font();
    f.setPointSizeF(f.pointSizeF() * 1.6);
    f.setBold(true);
    m_caption->setFont(f);
    m_caption->setAlignment(Qt::AlignCenter);
    auto* note =
        new QLabel(QStringLiteral("This page's controls are not installed in this build."), this);
    note->setAlignment(Qt::AlignCenter);
    note->setEnabled(false);
    auto* controlsLayout = new QHBoxLayout(m_controls);
    if (page == Page::Debugger) {
        // Stand-ins for the debugger's address field and buttons, so that login
        // visibly enables and disables them.
        auto* address = new QLineEdit(m_controls);
        address->setObjectName(QStringLiteral("txtAddress"));
        address->setPlaceholderText(QStringLiteral("address"));
        controlsLayout->addWidget(address);
        controlsLayout->addWidget(new QPushButton(QStringLiteral("Read"), m_controls));
        controlsLayout->addWidget(new QPushButton(QStringLiteral("Write"), m_controls));
    }
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(m_caption);
    layout->addWidget(note);
    layout->addWidget(m_controls, 0, Qt::AlignCenter);
    layout->addStretch();
    refreshObject();
}

void PlaceholderPage::refreshObject() {
    if (page() == Page::Debugger)
        m_controls->setEnabled(m_context.state.session.loggedIn);
}

int PlaceholderPage::helpPage() const {
    switch (page()) {
    case Page::Config:
        return 10;
    case Page::Monitor:
        return 26;
    case Page::Diagnostic:
        return 29;
    case Page::Debugger:
        return 33;
    case Page::Info:
        break;
    }
    return 34;
}

void PlaceholderPage::drawBar(MainBar& bar, QProgressBar*, const QString& text) {
    drawPageBar(bar, page(), text);
}

} // namespace hvc
