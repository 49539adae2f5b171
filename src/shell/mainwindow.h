#pragma once
// The main window: page tabs, menus, toolbar and status bar wired to the unit
// commands (UnitCommands, in the core), the page life cycle, the exit protocol,
// the port and baud menus and help.

#include "core/appstate.h"
#include "core/unitcommands.h"
#include "shell/commandbar.h"
#include "shell/filerequest.h"
#include "shell/mainbar.h"
#include "shell/pagehost.h"
#include "shell/shellcontext.h"
#include "shell/unithistorywindow.h"

#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>

class QLineEdit;
class QStackedWidget;
class QTabBar;
class QTimer;

namespace hvc {

class InfoPage;
class LogbookRecorder;
class WaitBox;
class PageForm;

class MainWindow : public QMainWindow, public ProgressObserver, private CommandView {
    Q_OBJECT
public:
    explicit MainWindow(ShellContext& context, PageFactory factory = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Step 4 of start-up: catalogue, tabs, pages, tags, page counts.
    void loadMain();

    PageForm* pageForm(Page p) const { return m_pageHost->page(p); }
    InfoPage* infoPage() const;
    MainBar& bar() { return m_bar; }
    QTabBar* tabs() const { return m_tabs; }
    QTimer* statusTimer() const { return m_statusTimer; }
    WaitBox* waitBox() const { return m_wait; }
    QLineEdit* fileStateField() const { return m_commandBar.fileStateField(); }
    int exitAttempts() const { return m_exitAttempts; }

    // Answers the file dialogs; the default opens QFileDialog. An empty path is a cancel.
    std::function<QString(const FileRequest&)> chooseFile;
    // Answers the review before Write and Write All; when empty, the review dialog does.
    std::function<WriteChoice(const QList<ReviewRow>&)> reviewWrite;
    // Ends the program; `forced` when the exit gave up waiting for the pages.
    std::function<void(bool forced)> endProgram;

    void onProgress(const QString& statusText, int percent) override;

    // Records the transfers through `recorder` (owned by the caller, kept for the
    // window's life); a logbook that cannot be written is told once, in the status
    // bar and a message, and never stops a transfer.
    void useLogbook(LogbookRecorder* recorder);
    // The Unit History window while it is open.
    UnitHistoryWindow* unitHistory() const { return m_history; }

public Q_SLOTS:
    void connectToUnit();
    void readPage();
    void readAll();
    void writePage();
    void writeAll();
    void resetUnit();
    void loadConfiguration();
    void saveConfiguration();
    // File > Compare with File...: the review table of a chosen file against the unit.
    void compareWithFile();
    // Set > Verify Writes; the choice is kept for the next run.
    void setVerifyWrites(bool on);
    // Set > Logbook...: recording on or off and where; kept for the next run.
    void editLogbook();
    // File > Unit History...
    void showUnitHistory();
    // Writes a version of the unit from the logbook, after the review.
    void restoreVersion(const QMap<std::int32_t, std::int32_t>& version);
    // True when the program is ending.
    bool exitProgram();
    void showNextPage();
    void selectPort(int index);
    void selectBaudRate(int index);
    void editPalette();
    void login();
    void logout();
    void showHelpTopics();
    void openWebSite();
    void showSoftwareInfo();
    void selectTab(int index);
    void selectFirstTab();
    // The half-second drawing tick: status, wait box, file state, pending exit.
    void drawStatus();
    // Opens the manual at a page.
    void showHelp(int page);

Q_SIGNALS:
    void connectStateChanged(hvc::ConnectState value);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // CommandView
    void setBusy(bool busy) override;
    void closeWaitBox() override;
    void stopPagePolling() override;
    void showFirstPage() override;
    void refreshActivePage() override;
    void showInfo(const InfoFields& fields) override;
    InfoFields infoToSave(const InfoFields& current) override;
    void showFileName(const QString& name) override;
    WriteChoice chooseWrite(const QList<ReviewRow>& rows) override;
    QList<int> chooseFileRows(const QList<ReviewRow>& rows, const QString& fileName) override;

    void wireCommands();
    void showFileState();
    QString chooseConfigurationFile(bool save);

    ShellContext& m_context;
    AppState& m_state;
    PageFactory m_factory;
    MainBar m_bar;
    QTabBar* m_tabs;
    QStackedWidget* m_stack;
    PageHost* m_pageHost;
    CommandBar m_commandBar;
    QTimer* m_statusTimer;
    WaitBox* m_wait;
    UnitCommands m_commands;
    LogbookRecorder* m_recorder = nullptr;
    QPointer<UnitHistoryWindow> m_history;
    int m_exitAttempts = 0;
    bool m_ending = false;
};

} // namespace hvc
