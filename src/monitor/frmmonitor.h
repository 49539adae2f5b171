#pragma once
// The page "Monitor": while it is shown and the unit is connected, the live
// state of the unit drawn over its configured sections: ready state, power
// outputs, digital inputs, joystick positions, measured currents and battery
// voltage, with a trend of the last minute and a recording to a CSV file.
//
// The polling itself (what is read, in which order, when it starts and stops) is
// MonitorModel's; this page draws what the model reports and decides which of its
// controls exist for the configured sections and inputs.

#include "core/monitormodel.h"
#include "core/monitorrecorder.h"
#include "shell/pageform.h"

#include <QPixmap>
#include <QVector>
#include <functional>

class QFrame;
class QGridLayout;
class QGroupBox;
class QLabel;
class QPushButton;

namespace hvc {

class JoyMonitor;
class TrendPlot;

// What the monitor copies from the configuration page: each section's pin
// caption (LblPin) and joystick picture (JoySel), and the solenoid picture.
// Unset parts leave the monitor's own.
struct ConfigPageView {
    std::function<const QLabel*(int section)> pinLabel;
    std::function<const QLabel*(int section)> joyPicture;
    std::function<QPixmap()> defaultSolenoidPicture;
};

class FrmMonitor : public PageForm {
    Q_OBJECT
public:
    static constexpr int kSections = 4;
    static constexpr int kDigitalLabels = 8;

    explicit FrmMonitor(ShellContext& context, QWidget* parent = nullptr);
    ~FrmMonitor() override;

    void setConfigPage(ConfigPageView view);

    // Page contract.
    void refreshObject() override;
    void drawBar(MainBar& bar, QProgressBar* progressBar, const QString& text) override;
    int helpPage() const override { return 26; }
    void refreshColour() override;
    void activate() override;
    void deactivate() override;

    // Drawing.
    void drawVisibleObject();
    void drawActualObject(int numPropReg, int systemType);
    void monitorDrawJoy();
    void monitorDrawMag();
    void updateErrObj(std::uint16_t word);
    void updateActiveOutput(std::uint16_t word);
    void updateActiveDin(std::uint16_t word);

    MonitorModel& model() { return m_model; }
    TrendPlot* trendPlot() const { return m_plot; }
    JoyMonitor* display(int modelIndex) const { return m_displays.value(modelIndex); }

    // Recording: starts with a file chosen by chooseRecordFile, stops on
    // stopRecording, on leaving the page and when the polling run ends.
    void toggleRecording();
    void startRecording(const QString& path);
    void stopRecording();
    bool recording() const { return m_recorder.isOpen(); }
    // Asks the user for the CSV file; an empty path is a cancel. Tests set their own.
    std::function<QString()> chooseRecordFile;

private:
    QWidget* buildTop();
    QWidget* buildSections();
    QWidget* buildOutputs();
    QWidget* buildRecordBar();
    QLabel* arrayLabel(const char* name, int index, const QString& text = {});
    QLabel* indicator(const QString& name, const QString& text);
    void showReady(bool ready);
    void syncDisplays();
    void displayEvent(int index);
    void showPinCaptionsFromConfig();
    void showPinCaptionsFromUnit();
    void nameInputIndicators();
    void passCompleted(const MonitorSample& sample);
    void pollingStopped(const Status& why);
    void showRecordState();
    UnitVariable* var(HvcId id) const;

    MonitorModel m_model;
    MonitorRecorder m_recorder;
    ConfigPageView m_config;
    QPixmap m_controllerPicture;
    QPixmap m_batteryPicture;

    QVector<JoyMonitor*> m_displays; // in the model's display order
    QVector<QFrame*> m_lblJoy;
    QVector<QLabel*> m_joyDisplay, m_joyTitle, m_lblPin, m_lblDinLJoy, m_lblDinHJoy;
    QVector<QLabel*> m_magADisplay, m_lblCurrent, m_lblValveA, m_lblValveB;
    QVector<QLabel*> m_lblHSDA, m_lblHSDB, m_lblDin, m_lblFL, m_lblFLTitle;
    QVector<JoyMonitor*> m_joyMonitorVal, m_iMeasure, m_joyMonitorRed;
    QVector<QFrame*> m_lines;
    // Every control of a section (index = section) that the section drawing shows or hides.
    QVector<QVector<QWidget*>> m_sectionWidgets;
    QGridLayout* m_sectionGrid = nullptr;
    QLabel* m_imgECU = nullptr;
    QLabel* m_imgVbb = nullptr;
    JoyMonitor* m_joyMonitorVbb = nullptr;
    QGroupBox* m_frmErr = nullptr;
    QLabel* m_shpErr = nullptr;
    QLabel* m_lblErr = nullptr;
    QLabel* m_lblPinDM = nullptr;
    QLabel* m_lblPinSL = nullptr;
    QLabel* m_lblVCUType = nullptr;
    TrendPlot* m_plot = nullptr;
    QPushButton* m_cmdRecord = nullptr;
    QLabel* m_lblRecord = nullptr;
};

} // namespace hvc
