// What assistive technology hears: one walk over every page and dialog of the real
// program, connected to the demo unit and after a pass of each polling page,
// compares what each label, button, box and value display shows with what the
// accessibility interface (the one the AT-SPI bridge serves to screen readers and
// UI-automation tools) gives as its name. No control may show a value that a
// screen reader cannot speak, nor be an input or picture without a name.

#include "core/logbook.h"
#include "inputs/frmjoycan.h"
#include "inputs/frmmagsel.h"
#include "shell/aboutdialog.h"
#include "shell/logbookdialog.h"
#include "shell/logindialog.h"
#include "shell/palettedialog.h"
#include "shell/waitbox.h"
#include "shell/writereviewdialog.h"
#include "support/liveshell.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QTabWidget>
#include <QTest>
#include <QTextDocument>

using namespace hvc;

namespace {

// Button and box captions without their mnemonic and a trailing ellipsis.
QString caption(QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    text.replace(u'\x01', u'&');
    if (text.endsWith(u'\u2026'))
        text.chop(1);
    else if (text.endsWith(QStringLiteral("...")))
        text.chop(3);
    return text.simplified();
}

QString shownText(const QLabel* label) {
    QString text = label->text();
    if (label->textFormat() == Qt::RichText ||
        (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text))) {
        QTextDocument doc;
        doc.setHtml(text);
        text = doc.toPlainText();
    }
    return label->buddy() ? caption(text) : text;
}

QString where(const QWidget* w) {
    QStringList path;
    for (const QObject* o = w; o; o = o->parent())
        if (!o->objectName().isEmpty())
            path.prepend(o->objectName());
    return path.join(u'/') + QStringLiteral(" (") +
           QString::fromLatin1(w->metaObject()->className()) + u')';
}

// Every visible control under `root` whose shown text or value the accessibility
// interface does not give, and every visible input or picture without a name.
QStringList hiddenValues(QWidget* root) {
    QStringList faults;
    QList<QWidget*> all = root->findChildren<QWidget*>();
    all.prepend(root);
    for (QWidget* w : all) {
        if (w != root && !w->isVisibleTo(root))
            continue;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
        const QString name = face ? face->text(QAccessible::Name).simplified() : QString();
        auto require = [&](const QString& shown, const char* kind) {
            if (!shown.simplified().isEmpty() &&
                !name.contains(shown.simplified(), Qt::CaseInsensitive))
                faults << QStringLiteral("%1 %2 shows \"%3\", is named \"%4\"")
                              .arg(QString::fromLatin1(kind), where(w), shown.simplified(), name);
        };
        auto named = [&](const char* kind) {
            if (name.isEmpty())
                faults
                    << QStringLiteral("%1 %2 has no name").arg(QString::fromLatin1(kind), where(w));
        };
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (!label->pixmap().isNull() || shownText(label).isEmpty())
                named("picture");
            else
                require(shownText(label), "label");
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            if (button->text().isEmpty())
                named("button");
            else
                require(caption(button->text()), "button");
        } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
            require(caption(box->title()), "box");
        } else if (const QVariant shown = w->property("valueText"); shown.isValid()) {
            // Our own painted value displays: the name carries the text, and the
            // value interface the number.
            require(shown.toString(), "display");
            QAccessibleValueInterface* value = face ? face->valueInterface() : nullptr;
            if (!value)
                faults << where(w) + QStringLiteral(" has no value interface");
            else if (w->property("hasValue").toBool() &&
                     value->currentValue().toDouble() != w->property("value").toDouble())
                faults << QStringLiteral("%1 gives the value %2, shows %3")
                              .arg(where(w), value->currentValue().toString(),
                                   w->property("value").toString());
        } else if (auto* field = qobject_cast<QLineEdit*>(w); field && field->isReadOnly()) {
            require(field->text(), "field");
        } else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
                   qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSlider*>(w) ||
                   qobject_cast<QProgressBar*>(w)) {
            // Parts of a spin box, a combo box or a scroll area are named by their owner.
            const QWidget* owner = w->parentWidget();
            if (!qobject_cast<const QAbstractSpinBox*>(owner) &&
                !qobject_cast<const QComboBox*>(owner) &&
                !owner->objectName().startsWith(QStringLiteral("qt_")))
                named("input");
        }
    }
    return faults;
}

// hiddenValues with each tab of each tab widget shown in turn.
QStringList everyTab(QWidget* root) {
    QStringList faults = hiddenValues(root);
    for (QTabWidget* tabs : root->findChildren<QTabWidget*>()) {
        for (int tab = 0; tab < tabs->count() && tabs->isVisibleTo(root); ++tab) {
            tabs->setCurrentIndex(tab);
            faults << hiddenValues(tabs->currentWidget());
        }
    }
    return faults;
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The logbook's pending file goes to the data folder: one of the suite's own.
    void initTestCase() { qputenv("XDG_DATA_HOME", m_data.path().toLocal8Bit()); }
    void everyShownValueIsSpoken();

private:
    QTemporaryDir m_data;
};

void AccessibilityTest::everyShownValueIsSpoken() {
    LogbookRecorder recorder(QStringLiteral("hvc-configurator")); // outlives the window
    test::LiveShell rig;
    QVERIFY(rig.started);
    recorder.setLocation(rig.dir.filePath(QStringLiteral("logbook.sqlite")));
    rig.window->useLogbook(&recorder);
    QVERIFY(rig.connect());
    rig.window->resize(1024, 700);
    rig.window->show();
    QStringList faults;
    for (int tab = 0; tab < rig.window->tabs()->count(); ++tab) {
        rig.show(Page(tab));
        if (Page(tab) == Page::Monitor)
            rig.monitor->model().tick();
        if (Page(tab) == Page::Diagnostic)
            rig.diagnostic->model().tick();
        faults << everyTab(rig.window.get());
    }
    rig.show(Page::Config);
    QList<QWidget*> dialogs{openDitherDialog(*rig.context, rig.config),
                            openCanSettingsDialog(*rig.context, rig.config)};
    PaletteDialog palette(*rig.context);
    AboutDialog about(rig.prompter);
    LoginDialog login(rig.state);
    const QList<ReviewRow> rows{{.position = 1, .unitWord = 7, .newValue = 8}};
    WriteReviewDialog review(rig.state.document.catalogue, rows, WriteReviewDialog::Purpose::Write);
    LogbookDialog logbook({}, rig.prompter);
    rig.window->showUnitHistory();
    dialogs << &palette << &about << &login << &review << rig.window->waitBox() << &logbook
            << rig.window->unitHistory();
    for (QWidget* dialog : dialogs) {
        dialog->show();
        faults << everyTab(dialog);
        dialog->hide();
    }
    faults.removeDuplicates();
    for (const QString& fault : faults)
        qWarning("%s", qPrintable(fault));
    QCOMPARE(faults.size(), 0);
}

QTEST_MAIN(AccessibilityTest)
#include "test_accessibility.moc"
