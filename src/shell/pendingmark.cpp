#include "shell/pendingmark.h"

#include "core/unitvariable.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QVariant>
#include <QWidget>
#include <algorithm>

namespace hvc {

namespace {

const char* const kOnlyModified = "showOnlyModified";

bool onlyModifiedAround(const QWidget* field) {
    for (const QWidget* w = field; w != nullptr; w = w->parentWidget())
        if (w->property(kOnlyModified).toBool())
            return true;
    return false;
}

// The application's colours in every role (see keepPlainColours).
QPalette plainPalette() {
    const QPalette app = QApplication::palette();
    QPalette own;
    for (int g = 0; g < QPalette::NColorGroups; ++g)
        for (int r = 0; r < QPalette::NColorRoles; ++r) {
            const auto group = static_cast<QPalette::ColorGroup>(g);
            const auto role = static_cast<QPalette::ColorRole>(r);
            own.setColor(group, role, app.color(group, role));
        }
    return own;
}

void setEnabledColour(QPalette& pal, QPalette::ColorRole role, const QColor& colour) {
    pal.setColor(QPalette::Active, role, colour);
    pal.setColor(QPalette::Inactive, role, colour);
}

void applyStyle(QWidget* field, EditMark mark, bool dim, bool alert) {
    QPalette pal = plainPalette();
    if (mark == EditMark::Pending)
        setEnabledColour(pal, QPalette::Base, kPendingGround);
    if (dim) {
        setEnabledColour(pal, QPalette::Base, QColor(0xec, 0xec, 0xec));
        setEnabledColour(pal, QPalette::Text, QColor(0xa0, 0xa0, 0xa0));
    }
    if (alert) {
        setEnabledColour(pal, QPalette::Base, kOutOfRangeGround);
        setEnabledColour(pal, QPalette::Text, QColor(160, 0, 0));
    }
    field->setPalette(pal);
    QFont font = field->font();
    font.setBold(mark == EditMark::Pending);
    font.setItalic(mark == EditMark::NotDefault);
    field->setFont(font);
}

} // namespace

EditMark editMarkOf(const UnitVariable& var) {
    if (var.workingWord != var.unitWord)
        return EditMark::Pending;
    return var.workingWord != var.defaultValue ? EditMark::NotDefault : EditMark::None;
}

bool outsideLimits(const UnitVariable& var) {
    return var.workingWord < var.minValue ||
           var.workingWord > std::max<std::int32_t>(var.minValue, var.maxValue);
}

void keepPlainColours(QWidget* input) {
    input->setPalette(plainPalette());
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
    const auto line = [&text](const QString& more) {
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + more;
    };
    const bool outside = outsideLimits(var);
    if (outside)
        line(QStringLiteral("Out of range: %1 is outside %2..%3; it is kept until you change it")
                 .arg(var.workingWord)
                 .arg(var.minValue)
                 .arg(var.maxValue));
    if (var.replacedUnitWord)
        line(QStringLiteral("The unit held %1, outside %2..%3; the default is shown")
                 .arg(*var.replacedUnitWord)
                 .arg(var.minValue)
                 .arg(var.maxValue));
    field->setToolTip(text);
    // Restyling is costly; only a change of mark, alert or dimming touches the palette.
    const bool alert = outside || var.replacedUnitWord.has_value();
    const bool dim = mark != EditMark::Pending && !alert && onlyModifiedAround(field);
    const QVariant previous = field->property("editMark");
    if (previous.isValid() && previous.toInt() == static_cast<int>(mark) &&
        field->property("dimmed").toBool() == dim && field->property("alert").toBool() == alert)
        return;
    field->setProperty("editMark", static_cast<int>(mark));
    field->setProperty("dimmed", dim);
    field->setProperty("alert", alert);
    applyStyle(field, mark, dim, alert);
}

void showOnlyModified(QWidget* page, bool on) {
    page->setProperty(kOnlyModified, on);
    for (QWidget* field : page->findChildren<QWidget*>()) {
        const QVariant mark = field->property("editMark");
        if (!mark.isValid())
            continue;
        const bool alert = field->property("alert").toBool();
        const bool dim = on && mark.toInt() != static_cast<int>(EditMark::Pending) && !alert;
        if (field->property("dimmed").toBool() == dim)
            continue;
        field->setProperty("dimmed", dim);
        applyStyle(field, static_cast<EditMark>(mark.toInt()), dim, alert);
    }
}

} // namespace hvc
