#include "shell/aboutdialog.h"

#include "core/prompter.h"
#include "shell/mainbar.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>
#include <QVersionNumber>

namespace hvc {

QString versionLabelText(const QString& version) {
    const QVersionNumber v = QVersionNumber::fromString(version);
    return QStringLiteral("Version : %1.%2.%3")
        .arg(v.majorVersion())
        .arg(v.minorVersion())
        .arg(v.microVersion());
}

QString findSystemInfoTool() {
    for (const char* name : {"hardinfo2", "hardinfo", "kinfocenter", "gnome-system-monitor"}) {
        QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return path;
    }
    return {};
}

AboutDialog::AboutDialog(Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_prompter(prompter) {
    setObjectName(QStringLiteral("frmAbout"));
    const QString title = QApplication::applicationName();
    setWindowTitle(title + QStringLiteral("-[Info]"));

    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setAccessibleName(QStringLiteral("Program icon"));
    QPixmap picture = QApplication::windowIcon().pixmap(48, 48);
    if (picture.isNull())
        picture = style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48);
    picIcon->setPixmap(picture);
    picIcon->setAlignment(Qt::AlignTop);

    auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setWordWrap(true);
        return l;
    };
    QLabel* lblTitle = label("lblTitle", title);
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    lblTitle->setFont(big);
    QLabel* lblVersion = label("lblVersion", versionLabelText(programVersion()));
    QLabel* lblDescription =
        label("lblDescription",
              QStringLiteral("Configuration, monitoring and diagnostics of the electronic control "
                             "unit of a hydraulic proportional valve bank."));
    QLabel* lblFactory =
        label("LblFactory", QStringLiteral("Oltrava Hydraulics\nService department\n"
                                           "service@oltrava.example"));
    lblFactory->setFrameShape(QFrame::StyledPanel);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("CmdOk"));
    ok->setDefault(true);
    auto* sysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    sysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(sysInfo, &QPushButton::clicked, this, &AboutDialog::showSystemInfo);

    auto* grid = new QGridLayout(this);
    grid->addWidget(picIcon, 0, 0, 3, 1);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(lblDescription, 2, 1);
    grid->addWidget(lblFactory, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(sysInfo);
    grid->addLayout(buttons, 4, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    setMinimumWidth(380);
}

void AboutDialog::showSystemInfo() {
    const QString tool = findSystemInfoTool();
    if (!tool.isEmpty() && QProcess::startDetached(tool, {}))
        return;
    m_prompter.inform(QStringLiteral("System Information Is Unavailable At This Time"));
}

} // namespace hvc
