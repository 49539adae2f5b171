#pragma once
// The page "Configure": the valve system drawn as its one to four sections, with
// the solenoid currents (normal and slow set), the ramps and ramp modes, and the
// joystick input of each section. Every shown value is read from, and every edit
// written into, the catalogue's records; the main window's commands move them to
// and from the unit and then ask the page to refresh.

#include "core/hvcids.h"
#include "shell/numberfield.h"
#include "shell/pageform.h"

#include <QPixmap>
#include <QVector>
#include <array>
#include <optional>

class QCheckBox;
class QComboBox;
class QFrame;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTabWidget;

namespace hvc {

class CSection;
struct UnitVariable;

class FrmConfig : public PageForm {
    Q_OBJECT
public:
    static constexpr int kSections = 4;
    static constexpr int kSolenoids = 8;
    // Ramp mode words of HVC_RAMP_INV_MODE_i.
    static constexpr std::int32_t kModeBreak = 170;
    static constexpr std::int32_t kModeFull = 85;

    explicit FrmConfig(ShellContext& context, QWidget* parent = nullptr);

    // Page contract.
    void refreshObject() override;
    void drawBar(MainBar& bar, QProgressBar* progressBar, const QString& text) override;
    int helpPage() const override { return 10; }
    void refreshColour() override;

    // The refresh in its parts, and the drawings other pages ask for.
    void refreshConfiguration();
    void refreshData();
    void refreshName();
    void drawVcuSystem();
    void drawDither();
    void configDrawMag();
    void configDrawFloat();
    void configDrawJoy();
    void joyVarDefaultSet();
    // Catalogue position of the joystick model of each input.
    std::array<int, 4> findJoyId() const;

    // Catalogue positions of the ramp variables of solenoid `index` (0 outside 0..7).
    int riseTimeIndex(int index) const;
    int fallTimeIndex(int index) const;

    QTabWidget* tabs() const { return m_tabs; }
    // The solenoid picture of sections of solenoid type 0 and 1 (res/bmp/Magnet).
    const QPixmap& defaultSolenoidPicture() const { return m_defaultSolenoidPicture; }

Q_SIGNALS:
    // The solenoid picture of a section was chosen (the dither dialog is to open).
    void ditherRequested(int section);
    // "JoyStick and Digital Settings" was clicked.
    void canSettingsRequested();
    // The solenoid pictures were drawn anew: the monitor is to redraw its own.
    void solenoidsDrawn();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct RampField {
        HvcId first; // the variable of solenoid 0
        int solenoid = 0;
        QLineEdit* text = nullptr;
        QScrollBar* scroll = nullptr;
    };

    void loadPagePictures();
    QWidget* buildTop();
    QWidget* buildFloatGroup();
    QWidget* buildCurrentsTab(bool slow);
    QWidget* buildRampsTab();
    QGroupBox* buildRampFrame(int solenoid);
    void buildRampField(RampField& field, HvcId first, int solenoid, const QString& name);
    QLabel* sectionLabel(const char* name, int section, const QString& text = {});
    void addToSection(int section, QWidget* widget);

    UnitVariable* var(HvcId id) const;
    UnitVariable* var(HvcId first, int offset) const;
    UnitVariable* rampVar(const RampField& field) const;
    void refreshRamp(RampField& field);
    void rampTextChanged(RampField& field);
    void rampScrolled(RampField& field);
    void checkRampRange(RampField& field);
    void modeClicked(int section, bool breakBox, bool ticked);
    void markMode(int section);
    void sysTypeSelected(int entry);
    void vcuTypeSelected(int entry);
    void currentChanged();

    static std::optional<int> wholeNumber(const QString& text);

    QPixmap m_controllerPicture;
    QPixmap m_defaultSolenoidPicture;

    QComboBox* m_cmbVCUSysType = nullptr;
    QComboBox* m_cmbVCUType = nullptr;
    QLabel* m_imgECU = nullptr;
    QPushButton* m_cmdCanSettings = nullptr;
    QComboBox* m_cmb2BProp = nullptr;
    QComboBox* m_cmbAIRange = nullptr;
    QTabWidget* m_tabs = nullptr;

    QVector<QLabel*> m_lblJoy, m_lblPin, m_joySel, m_lblSectionDesc, m_lblJoyDesc;
    QVector<QFrame*> m_lines;
    QVector<CSection*> m_magA, m_magB, m_magAsdm, m_magBsdm;
    QVector<QLabel*> m_magSel, m_magSelsdm, m_lblFreq, m_lblAmp, m_lblCurrent, m_lblCurrentsdm;
    QVector<QLabel*> m_lblRump, m_lblUnit1TR, m_lblUnit1TF, m_lblUnit2TR, m_lblUnit2TF;
    QVector<QGroupBox*> m_rampA, m_rampB;
    QVector<QCheckBox*> m_chkBreak, m_chkFull;
    std::array<RampField, kSolenoids> m_rise, m_fall;
    // Grids with one column per section (and the column of section 1), so that
    // the shown sections share the width.
    QVector<QPair<QGridLayout*, int>> m_sectionGrids;
    // Every control that belongs to one section, for drawVcuSystem.
    std::array<QVector<QWidget*>, kSections> m_sectionWidgets;
    RangeQuestion m_rangeQuestion;
};

} // namespace hvc
