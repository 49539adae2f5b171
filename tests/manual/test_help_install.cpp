// Where the programs find the manual, resources and settings, built or installed,
// and which viewer command opens the manual at a page.

#include "core/installlayout.h"
#include "shell/helplauncher.h"
#include "shell/sectioncolours.h"
#include "shell/shellcontext.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace hvc;

namespace {

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

} // namespace

class HelpInstallTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void viewerCommand_data();
    void viewerCommand();
    void findsManualAndResourcesInBuildAndInstalledTrees();
};

void HelpInstallTest::viewerCommand_data() {
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    const QString pdf = QStringLiteral("/opt/x y/HVCMANUAL.pdf");
    const QStringList url{"file:///opt/x%20y/HVCMANUAL.pdf#page=26"};
    QStringList all{"evince", "okular", "qpdfview", "xdg-open"};
    QTest::newRow("evince") << all << "/usr/bin/evince" << QStringList{"--page-label=26", pdf};
    all.removeFirst();
    QTest::newRow("okular") << all << "/usr/bin/okular" << QStringList{"--page", "26", pdf};
    all.removeFirst();
    QTest::newRow("qpdfview") << all << "/usr/bin/qpdfview" << QStringList{pdf + "#26"};
    QTest::newRow("xdg-open") << QStringList{"xdg-open"} << "/usr/bin/xdg-open" << url;
    QTest::newRow("nothing found") << QStringList{} << "xdg-open" << url;
}

void HelpInstallTest::viewerCommand() {
    QFETCH(QStringList, installed);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    const ViewerCommand command = HelpLauncher::viewerCommand(
        QStringLiteral("/opt/x y/HVCMANUAL.pdf"), 26, [&installed](const QString& name) {
            return installed.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
        });
    QCOMPARE(command.program, program);
    QCOMPARE(command.arguments, arguments);
}

void HelpInstallTest::findsManualAndResourcesInBuildAndInstalledTrees() {
    QTemporaryDir root;
    const QString build = root.filePath(QStringLiteral("build/bin"));
    const QString prefix = root.filePath(QStringLiteral("usr"));
    const QString bin = prefix + QStringLiteral("/bin");
    QDir().mkpath(build);
    QDir().mkpath(bin);

    // Nothing anywhere: no manual; res/ beside the program, for the loaders to report.
    QCOMPARE(manualPathFor(bin), QString());
    QCOMPARE(resourceDirFor(bin), bin + QStringLiteral("/res"));

    // Installed: share/hvc-configurator/res and share/doc/hvc-configurator.
    QDir().mkpath(prefix + QStringLiteral("/share/hvc-configurator/res"));
    touch(prefix + QStringLiteral("/share/doc/hvc-configurator/HVCMANUAL.pdf"));
    QCOMPARE(resourceDirFor(bin), prefix + QStringLiteral("/share/hvc-configurator/res"));
    QCOMPARE(manualPathFor(bin),
             prefix + QStringLiteral("/share/doc/hvc-configurator/HVCMANUAL.pdf"));

    // A build folder: beside the program, also when an installed tree is near.
    QDir().mkpath(build + QStringLiteral("/res"));
    touch(build + QStringLiteral("/HVCMANUAL.pdf"));
    QCOMPARE(resourceDirFor(build), build + QStringLiteral("/res"));
    QCOMPARE(manualPathFor(build), build + QStringLiteral("/HVCMANUAL.pdf"));
    QDir().mkpath(bin + QStringLiteral("/res"));
    touch(bin + QStringLiteral("/HVCMANUAL.pdf"));
    QCOMPARE(resourceDirFor(bin), bin + QStringLiteral("/res"));
    QCOMPARE(manualPathFor(bin), bin + QStringLiteral("/HVCMANUAL.pdf"));

    // The settings go beside the resources, or to the settings folder once there is one.
    AppState state;
    ShellContext context(state, bin, prefix + QStringLiteral("/res"));
    QCOMPARE(colourFilePath(context), prefix + QStringLiteral("/res/ini/colour.ini"));
    context.configDir = root.filePath(QStringLiteral("config"));
    QCOMPARE(colourFilePath(context), context.configDir + QStringLiteral("/colour.ini"));
    QCOMPARE(context.settingsPath(QStringLiteral("options.ini")),
             context.configDir + QStringLiteral("/options.ini"));
}

QTEST_MAIN(HelpInstallTest)
#include "test_help_install.moc"
