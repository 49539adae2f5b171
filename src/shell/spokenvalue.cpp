#include "shell/spokenvalue.h"

#include <QLabel>
#include <QVariant>

namespace hvc {

namespace {
constexpr const char* kWhatProperty = "spokenWhat";
} // namespace

QString spokenName(const QString& what, const QString& shown) {
    QString value = shown.simplified();
    if (value.isEmpty())
        return what;
    if (what.isEmpty())
        return value;
    return what + QLatin1Char(' ') + value;
}

void speakValue(QWidget* widget, const QString& what, const QString& shown) {
    // setAccessibleName raises the name-changed event itself when the name differs.
    widget->setAccessibleName(spokenName(what, shown));
}

void setSpokenWhat(QWidget* widget, const QString& what) {
    widget->setProperty(kWhatProperty, what);
    widget->setAccessibleName(what);
}

QString spokenWhat(const QWidget* widget) {
    return widget->property(kWhatProperty).toString();
}

void speakShown(QWidget* widget, const QString& shown) {
    speakValue(widget, spokenWhat(widget), shown);
}

void nameValueLabel(QLabel* label, const QString& what) {
    setSpokenWhat(label, what);
    speakShown(label, label->text());
}

void showValue(QLabel* label, const QString& text) {
    label->setText(text);
    speakShown(label, text);
}

} // namespace hvc
