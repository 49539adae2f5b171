#include "shell/pendingmark.h"

#include "core/unitvariable.h"

#include <QApplication>
#include <QVariant>
#include <QWidget>

namespace hvc {

namespace {

const char* const kOnlyModified = "showOnlyModified";

bool onlyModifiedAround(const QWidget* field) {
    for (const QWidget* w = field; w != nullptr; w = w->parentWidget())
        if (w->property(kOnlyModified).toBool())
            return true;
    return false;
}

void applyStyle(QWidget* field, EditMark mark, bool dim) {
    QString style;
    switch (mark) {
    case EditMark::Pending:
        style =
            QStringLiteral("font-weight: bold; border: 2px solid %1;").arg(kPendingFrame.name());
        break;
    case EditMark::NotDefault:
        style = QStringLiteral("font-style: italic;");
        break;
    case EditMark::None:
        break;
    }
    if (dim)
        style += QStringLiteral("color: #a0a0a0; background-color: #ececec;");
    field->setStyleSheet(style);
}

} // namespace

EditMark editMarkOf(const UnitVariable& var) {
    if (var.workingWord != var.unitWord)
        return EditMark::Pending;
    return var.workingWord != var.defaultValue ? EditMark::NotDefault : EditMark::None;
}

void keepPlainColours(QWidget* input) {
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

void showEditMark(QWidget* field, const UnitVariable& var, const QString& tip) {
    const EditMark mark = editMarkOf(var);
    QString text = tip;
    if (mark == EditMark::Pending)
        text += QStringLiteral("%1Not written: the unit holds %2 (default %3)")
                    .arg(tip.isEmpty() ? QString() : QStringLiteral("\n"))
                    .arg(var.unitWord)
                    .arg(var.defaultValue);
    else if (mark == EditMark::NotDefault)
        text += QStringLiteral("%1Default %2")
                    .arg(tip.isEmpty() ? QString() : QStringLiteral("\n"))
                    .arg(var.defaultValue);
    field->setToolTip(text);
    // Restyling is costly; only a change of mark or of dimming touches the style sheet.
    const bool dim = mark != EditMark::Pending && onlyModifiedAround(field);
    const QVariant previous = field->property("editMark");
    if (previous.isValid() && previous.toInt() == static_cast<int>(mark) &&
        field->property("dimmed").toBool() == dim)
        return;
    field->setProperty("editMark", static_cast<int>(mark));
    field->setProperty("dimmed", dim);
    applyStyle(field, mark, dim);
}

void showOnlyModified(QWidget* page, bool on) {
    page->setProperty(kOnlyModified, on);
    for (QWidget* field : page->findChildren<QWidget*>()) {
        const QVariant mark = field->property("editMark");
        if (!mark.isValid())
            continue;
        const bool dim = on && mark.toInt() != static_cast<int>(EditMark::Pending);
        if (field->property("dimmed").toBool() == dim)
            continue;
        field->setProperty("dimmed", dim);
        applyStyle(field, static_cast<EditMark>(mark.toInt()), dim);
    }
}

} // namespace hvc
