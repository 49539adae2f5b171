#pragma once
// "Dither Settings": the dither frequency and amplitude that the unit lays over
// the solenoid currents. Unlike the joystick dialogs this one edits the records'
// working values live, while the user types or scrolls; Cancel puts back what
// they held when the dialog was opened. Nothing is sent to the unit from here.

#include "core/hvcids.h"
#include "shell/numberfield.h"

#include <QDialog>
#include <array>
#include <cstdint>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace hvc {

class ShellContext;
struct UnitVariable;

class FrmMagSel : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpPage = 18;

    explicit FrmMagSel(ShellContext& context, QWidget* parent = nullptr);

    // Brings the dialog to the front. When it was hidden, first takes the values to
    // restore on Cancel and loads the two shown rows from their records.
    void present();
    void setSolenoidPicture(const QPixmap& picture);

    std::int32_t savedDitherFreq() const { return m_savedDitherFreq; }
    std::int32_t savedDitherAmp() const { return m_savedDitherAmp; }

Q_SIGNALS:
    // OK or Cancel: the page is to redraw its dither captions.
    void drawDitherRequested();

public Q_SLOTS:
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Row {
        HvcId id;
        QLabel* label = nullptr;
        QLineEdit* text = nullptr;
        QScrollBar* scroll = nullptr;
    };

    void buildRow(Row& row, HvcId id, const QString& caption, const QString& accessible,
                  const char* textName, const char* scrollName);
    QWidget* buildPictureCell();
    UnitVariable* var(HvcId id) const;
    void loadRow(Row& row);
    void rowTextChanged(Row& row);
    void rowScrolled(Row& row);
    void checkRange(Row& row);
    void okClicked();

    // The text as a number ("." as decimal point); none for a text that is not one.

    ShellContext& m_context;
    // Frequency, amplitude in mA, amplitude in percent (hidden, never loaded).
    std::array<Row, 3> m_rows{};
    QLabel* m_imgMag = nullptr;
    QPushButton* m_cmdOk = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    std::int32_t m_savedDitherFreq = 0;
    std::int32_t m_savedDitherAmp = 0;
    // While the range question is up, the focus it takes is no reason to ask again.
    RangeQuestion m_rangeQuestion;
};

} // namespace hvc
