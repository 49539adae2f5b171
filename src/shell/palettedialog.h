#pragma once
// The section palette: pick each section's background and text colour, or one
// of six predefined schemes; OK keeps the choice in colour.ini, Cancel restores.

#include "shell/shellcontext.h"

#include <QColor>
#include <QDialog>
#include <QList>
#include <functional>

class QLabel;
class QPushButton;
class QRadioButton;

namespace hvc {

class PaletteDialog : public QDialog {
    Q_OBJECT
public:
    explicit PaletteDialog(ShellContext& context, QWidget* parent = nullptr);

    // The colour chooser; an invalid colour is a cancel. Defaults to QColorDialog.
    std::function<QColor(const QColor& initial)> chooseColour;

    void selectScheme(int scheme);
    void pickBackColour(int section);
    void pickTextColour(int section);
    void saveAndClose();
    void cancel();
    void reject() override;

Q_SIGNALS:
    void coloursChanged();
    void helpRequested(int page);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showSections();
    // Lets the user choose a new colour for one slot and shows it.
    void pickColour(std::int32_t& slot);

    ShellContext& m_context;
    SectionColours m_saved;
    QList<QLabel*> m_lblSec;
    QList<QRadioButton*> m_optSectionColour;
};

} // namespace hvc
