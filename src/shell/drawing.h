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
QString FirmwareText(int displayValue);
// "VCU 1W" .. "VCU 4W", "---" for anything else.
QString UnitModelText(int displayValue);

void DrawStatus(ShellContext& context, MainBar& bar, QProgressBar* progressBar,
                const QString& statusText);
void SetCommandState(const ShellContext& context, const MainBar& bar);
void ShowParamState(const ShellContext& context, QLineEdit* textField);
void SelectAllText(QLineEdit* textField);
void CenterForm(QWidget* window, const QWidget* parent);
// Paints the background of a text field.
void SetFieldColour(QLineEdit* field, const QColor& colour);

} // namespace hvc
