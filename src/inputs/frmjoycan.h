#pragma once
// "Configure Joystick Can": how the joysticks arriving over CAN, the fourteen
// digital inputs carried in their data and the command inputs reach the unit,
// with the float currents and, per section, the inversion and the safety options.
//
// A view over JoyCanSettings: the lists show what the model holds, a change by the
// user goes into the model (whose rules couple the lists) and the touched row is
// drawn again from it. Nothing reaches the records before OK, which sets every
// word in the order the model composes; Cancel, Escape and closing write nothing.

#include "core/joycansettings.h"
#include "shell/numberfield.h"

#include <QDialog>
#include <QVector>
#include <array>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace hvc {

class ShellContext;
struct UnitVariable;

class FrmJoyCan : public QDialog {
    Q_OBJECT
public:
    explicit FrmJoyCan(ShellContext& context, QWidget* parent = nullptr);

    // Shows the dialog, loaded from the records' working values, or brings it to
    // the front as it is when it is open already.
    void present();

    const JoyCanSettings& settings() const { return m_settings; }

Q_SIGNALS:
    // After OK: the configuration page is to redraw its joystick pictures.
    void configDrawJoyRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct NumberField {
        QLabel* label = nullptr; // none for the frames' own fields
        QLineEdit* text = nullptr;
        QScrollBar* scroll = nullptr;
        QString loadedText; // a field showing this is written back as loaded
    };
    struct DigitalRow {
        QLabel* name = nullptr;
        QComboBox* type = nullptr;
        QComboBox* byte = nullptr;
        QComboBox* bit = nullptr;
    };
    struct ChannelRow {
        QLabel* name = nullptr;
        QComboBox* type = nullptr;
        QComboBox* word = nullptr;
        QComboBox* inputA = nullptr;
        QComboBox* inputB = nullptr;
    };
    struct SectionColumn {
        QComboBox* inversion = nullptr;
        std::array<QCheckBox*, kSectionOptions> options{};
        QCheckBox* floatSide = nullptr;
    };

    QGroupBox* buildNumberFrame(int n, const QString& caption, const char* textName,
                                const char* scrollName);
    QGroupBox* buildDigitalFrame();
    QGroupBox* buildChannelFrame();
    QGroupBox* buildCommandFrame();
    QGroupBox* buildAdvanceFrame();
    void buildNumberField(int n, const QString& accessible, const char* textName,
                          const char* scrollName);
    QComboBox* newList(const QString& objectName, const QString& accessible,
                       const QStringList& captions);

    UnitVariable* var(HvcId id) const;
    void load();
    void loadNumber(int n);
    void showDigital(int input);
    void showChannel(int j);
    void showCommand(int k);
    void showSection(int s);

    void numberScrolled(int n);
    void checkRange(int n);
    // The number of field n for OK, after the question for a changed field that is
    // no number or out of range; none when it is still wrong.
    std::optional<std::int32_t> numberForOk(int n);
    void okClicked();

    ShellContext& m_context;
    JoyCanSettings m_settings;
    std::array<NumberField, JoyCanSettings::kNumbers> m_numbers{};
    std::array<DigitalRow, kDigitalInputs> m_digital{};
    std::array<ChannelRow, kJoyChannels> m_channels{};
    std::array<QComboBox*, kCommandInputs> m_commands{};
    std::array<QLabel*, kCommandInputs> m_commandNames{};
    std::array<SectionColumn, kOptionSections> m_sections{};
    QPushButton* m_cmdOk = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    RangeQuestion m_rangeQuestion;
};

} // namespace hvc
