#pragma once
// The page "Debug": for logged-in service staff, direct access to one word of
// the unit (EEPROM and RAM, read, written, watched), a watch list of several
// words, the load-defaults command and the dither block. Everything it does is
// DebuggerModel's (src/core); the page shows the model's texts and hands it the
// clicks and the typing.

#include "core/debuggermodel.h"
#include "shell/pageform.h"

#include <QVector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTableWidget;

namespace hvc {

class FrmDebug : public PageForm {
    Q_OBJECT
public:
    explicit FrmDebug(ShellContext& context, QWidget* parent = nullptr);
    ~FrmDebug() override;

    // Page contract.
    void refreshObject() override;
    void drawBar(MainBar& bar, QProgressBar* progressBar, const QString& text) override;
    int helpPage() const override { return 33; }
    void activate() override;

    DebuggerModel& model() { return m_model; }
    // Puts the watch list on the clipboard as TAB-separated lines.
    void copyWatchList();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    QGroupBox* buildGeneralInformation();
    QGroupBox* buildEcuView();
    QGroupBox* buildDither();
    QGroupBox* buildWatchList();
    QPushButton* button(const char* name, const char* caption, const QString& description);
    QLabel* valueLabel(const char* name, const QString& accessibleName);
    void showView();
    void showDitherRow(int row);
    void showWatchList();
    void showWatchRow(int row);
    void showLock();
    void showRunning();

    DebuggerModel m_model;
    QWidget* m_body = nullptr;
    QComboBox* m_cmbVariablesList = nullptr;
    QLineEdit* m_txtAddress = nullptr;
    QLabel* m_lblName = nullptr;
    QLabel* m_lblMonitorName = nullptr;
    QLabel* m_lblTooltip = nullptr;
    QLabel* m_lblAddress = nullptr;
    QLabel* m_lblUnit = nullptr;
    QLabel* m_lblE2Data = nullptr;
    QLabel* m_lblDisplayE2 = nullptr;
    QLabel* m_lblUnitE2 = nullptr;
    QLabel* m_lblRAMData = nullptr;
    QLabel* m_lblDisplayRAM = nullptr;
    QLabel* m_lblUnitRam = nullptr;
    QLineEdit* m_txtData = nullptr;
    QPushButton* m_cmdRead = nullptr;
    QPushButton* m_cmdWrite = nullptr;
    QPushButton* m_cmdDisplay = nullptr;
    QPushButton* m_cmdSet = nullptr;
    QPushButton* m_cmdMonitor = nullptr;
    QPushButton* m_cmdReset = nullptr;
    QPushButton* m_cmdCanProbe = nullptr;
    QVector<QScrollBar*> m_hscData;
    QVector<QLineEdit*> m_txtDataD;
    QVector<QLabel*> m_lblData;
    QPushButton* m_cmdDitherRead = nullptr;
    QPushButton* m_cmdUpdate = nullptr;
    QTableWidget* m_tblWatch = nullptr;
    QLineEdit* m_txtWatchAddress = nullptr;
    QPushButton* m_cmdWatch = nullptr;
    QPushButton* m_cmdWatchAdd = nullptr;
    QPushButton* m_cmdWatchAddAddress = nullptr;
    QPushButton* m_cmdWatchRemove = nullptr;
    QPushButton* m_cmdWatchClear = nullptr;
    QPushButton* m_cmdWatchCopy = nullptr;
};

} // namespace hvc
