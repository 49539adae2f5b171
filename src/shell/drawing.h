#pragma once
// Shared status drawing: the main window's status refresh, the enabling of
// commands by connection state, the parameter-state field, and two small
// window helpers.

#include <QString>

class QColor;
class QLineEdit;
class QProgressBar;
class QWidget;

namespace hvc {

class MainBar;
class ShellContext;

// "----" for 0, else "v" and the version as three digits, ".", two digits.
QString firmwareText(int displayValue);
// "VCU 1W" .. "VCU 4W", "---" for anything else.
QString unitModelText(int displayValue);

void drawStatus(ShellContext& context, MainBar& bar, QProgressBar* progressBar,
                const QString& statusText);
void setCommandState(const ShellContext& context, const MainBar& bar);
void showParamState(const ShellContext& context, QLineEdit* textField);
void selectAllText(QLineEdit* textField);
void centerForm(QWidget* window, const QWidget* parent);
// Paints the background of a text field.
void setFieldColour(QLineEdit* field, const QColor& colour);

} // namespace hvc
