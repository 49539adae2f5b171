#pragma once
// Shared status drawing: the main window's status refresh, the enabling of
// commands by connection state, the parameter-state field, and two small
// window helpers.

#include "core/unitidentity.h" // firmwareText, unitModelText

#include <QString>

class QColor;
class QLineEdit;
class QProgressBar;
class QWidget;

namespace hvc {

class MainBar;
class ShellContext;

void drawStatus(ShellContext& context, MainBar& bar, QProgressBar* progressBar,
                const QString& statusText);
void setCommandState(const ShellContext& context, const MainBar& bar);
void showParamState(const ShellContext& context, QLineEdit* textField);
void selectAllText(QLineEdit* textField);
void centerForm(QWidget* window, const QWidget* parent);
// Paints the background of a text field.
void setFieldColour(QLineEdit* field, const QColor& colour);

} // namespace hvc
