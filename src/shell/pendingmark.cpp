#include "shell/pendingmark.h"

#include "core/cvardata.h"

#include <QApplication>
#include <QVariant>
#include <QWidget>

namespace hvc {

EditMark EditMarkOf(const CVarData& var) {
    if (var.E2Value != var.E2InECU)
        return EditMark::Pending;
    return var.E2Value != var.DefaultValue ? EditMark::NotDefault : EditMark::None;
}

void KeepPlainColours(QWidget* input) {
    const QPalette app = QApplication::palette();
    QPalette own;
    for (int g = 0; g < QPalette::NColorGroups; ++g)
        for (int r = 0; r < QPalette::NColorRoles; ++r) {
            const auto group = static_cast<QPalette::ColorGroup>(g);
            const auto role = static_cast<QPalette::ColorRole>(r);
            own.setColor(group, role, app.color(group, role));
        }
    input->setPalette(own);
}

void ShowEditMark(QWidget* field, const CVarData& var, const QString& tip) {
    const EditMark mark = EditMarkOf(var);
    QString text = tip;
    if (mark == EditMark::Pending)
        text += QStringLiteral("%1Not written: the unit holds %2 (default %3)")
                    .arg(tip.isEmpty() ? QString() : QStringLiteral("\n"))
                    .arg(var.E2InECU)
                    .arg(var.DefaultValue);
    else if (mark == EditMark::NotDefault)
        text += QStringLiteral("%1Default %2")
                    .arg(tip.isEmpty() ? QString() : QStringLiteral("\n"))
                    .arg(var.DefaultValue);
    field->setToolTip(text);
    // Restyling is costly; only a change of mark touches the style sheet.
    const QVariant previous = field->property("editMark");
    if (previous.isValid() && previous.toInt() == static_cast<int>(mark))
        return;
    field->setProperty("editMark", static_cast<int>(mark));
    switch (mark) {
    case EditMark::Pending:
        field->setStyleSheet(
            QStringLiteral("font-weight: bold; border: 2px solid %1;").arg(kPendingFrame.name()));
        break;
    case EditMark::NotDefault:
        field->setStyleSheet(QStringLiteral("font-style: italic;"));
        break;
    case EditMark::None:
        field->setStyleSheet({});
        break;
    }
}

} // namespace hvc
