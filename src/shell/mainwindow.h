#pragma once
// The main window: page tabs, menus, toolbar and status bar, and every command
// the technician gives from them.

#include "core/appstate.h"
#include "shell/mainbar.h"
#include "shell/shellcontext.h"

#include <QMainWindow>
#include <QString>
#include <array>
#include <functional>

class QAction;
class QLineEdit;
class QMenu;
class QProgressBar;
class QStackedWidget;
class QTabBar;
class QTimer;
class QToolBar;

namespace hvc {

class FrmComment;
class FrmWait;
class PageForm;

// Builds the page for a slot; returning nullptr leaves the slot to the shell's own page.
using PageFactory = std::function<PageForm*(ShellContext&, Page, QWidget* parent)>;

struct FileRequest {
    bool save = false;
    QString title;
    QString filter;
    QString folder;
    QString proposedName;
};

class MainWindow : public QMainWindow, public ProgressObserver {
    Q_OBJECT
public:
    explicit MainWindow(ShellContext& context, PageFactory factory = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Step 4 of start-up: catalogue, tabs, pages, tags, page counts.
    void LoadMain();

    PageForm* pageForm(Page p) const { return m_pages[static_cast<size_t>(p)]; }
    FrmComment* infoPage() const;
    MainBar& bar() { return m_bar; }
    QTabBar* tabs() const { return TabMain; }
    QTimer* drawTimer() const { return TmrDraw; }
    FrmWait* waitBox() const { return m_wait; }
    QLineEdit* fileStateField() const { return txtFileTosave; }
    int exitAttempts() const { return m_exitAttempts; }

    // Answers the file dialogs; the default opens QFileDialog. An empty path is a cancel.
    std::function<QString(const FileRequest&)> chooseFile;
    // Ends the program; `forced` when the exit gave up waiting for the pages.
    std::function<void(bool forced)> endProgram;

    void onProgress(const QString& statusText, int percent) override;

public Q_SLOTS:
    void mnuHW_Connect_Click();
    void mnuHw_Read_Click();
    void mnuHW_ReadAll_Click();
    void mnuHW_Write_Click();
    void mnuHW_WriteAll_Click();
    void mnuHw_Reset_Click();
    void mnuFile_Load_Click();
    void mnuFile_Save_Click();
    // True when the program is ending.
    bool mnuFile_Exit_Click();
    void mnuView_Page_Click();
    void mnuSet_Com_Click(int index);
    void mnuSet_ComBauld_Click(int index);
    void mnuSet_Palette_Click();
    void mnuSet_Login_Click();
    void mnuSet_Logout_Click();
    void mnuHelp_Help_Click();
    void mnuHelp_Site_Click();
    void mnuHelp_Info_Click();
    void TabMain_Click(int index);
    void SelectFirstTab();
    void TmrDraw_Timer();
    // Opens the manual at a page.
    void Help(int page);

Q_SIGNALS:
    // The connection indicator changed (the change event of IsConnectObj).
    void IsConnectObjChanged(int value);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    QAction* menuItem(QMenu* menu, const char* caption, const char* name,
                      void (MainWindow::*slot)());
    QAction* button(const char* key, const char* tooltip, void (MainWindow::*slot)());
    void endFailed(const QString& status);
    void endConnected();
    // Read All and Write All: the status decides the indicator; flags stay as they are.
    void endWholeImage(const QString& status);
    void closeWaitBox();
    void showFileState();
    void refreshActivePage();
    bool unsavedQuestion();
    void switchPortItems(int checked);

    ShellContext& m_context;
    AppState& m_state;
    PageFactory m_factory;
    MainBar m_bar;
    QTabBar* TabMain;
    QStackedWidget* m_stack;
    QToolBar* tbToolBar;
    QProgressBar* ProgressBar;
    QLineEdit* txtFileTosave;
    QLineEdit* TxtConnect;
    QTimer* TmrDraw;
    FrmWait* m_wait;
    QMenu* mnuSet_Com = nullptr;
    QMenu* mnuSet_ComBauld = nullptr;
    QList<QAction*> m_portItems;
    QList<QAction*> m_baudItems;
    std::array<PageForm*, kPageCount> m_pages{};
    int m_exitAttempts = 0;
    bool m_ending = false;
};

// The text of the question asked before leaving unsaved changes.
QString UnsavedQuestionText();

} // namespace hvc
