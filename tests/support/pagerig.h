#pragma once
// One program page offscreen over the shipped records as a Read All of a unit at
// its defaults leaves them, built as the main window builds its pages: the
// configuration page first (the monitor and the dialogs draw from it), then the
// page under test, shown and active. Questions go to a ScriptedPrompter; no unit
// is involved.

#include "app/programpages.h"
#include "config/frmconfig.h"
#include "core/prompter.h"
#include "shell/sectioncolours.h"
#include "support/shippedrecords.h"

#include <QApplication>
#include <QTest>
#include <functional>
#include <memory>

namespace hvc::test {

// A control of a numbered row, e.g. at("MagA", 2) is "MagA_2".
inline QString at(const char* base, int i) {
    return QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(i);
}
// The n-th of a family of consecutive identifiers (HVC_JOY_0_ID + n, ...).
inline HvcId nth(HvcId first, int n) {
    return static_cast<HvcId>(int(first) + n);
}

template <typename Form, Page Which> struct PageRig {
    // `unit` sets the unit's words before the pages first draw them.
    explicit PageRig(const std::function<void(PageRig&)>& unit = {})
        : context(state, QCoreApplication::applicationDirPath(),
                  QCoreApplication::applicationDirPath() + QStringLiteral("/res")) {
        state.observers.setPrompter(&prompter);
        loadShippedRecordsAsRead(state, prompter);
        if (unit)
            unit(*this);
        context.colours = schemeColours(0);
        const PageFactory pages = programPages();
        if (Which != Page::Diagnostic)
            config.reset(qobject_cast<FrmConfig*>(pages(context, Page::Config, nullptr)));
        if (Which != Page::Config)
            other.reset(pages(context, Which, nullptr));
        page = qobject_cast<Form*>(Which == Page::Config ? config.get() : other.get());
        page->resize(1000, 620);
        page->show();
        QApplication::setActiveWindow(page);
        if (!QTest::qWaitForWindowActive(page))
            qWarning("the page did not become active");
        state.document.flags.unitRead();
    }

    UnitVariable& var(HvcId id) { return *state.document.catalogue.find(id); }
    // A word as the unit sends it.
    void unitWord(HvcId id, std::int32_t value) { var(id).takeUnitWord(value); }
    std::int32_t word(HvcId id) { return var(id).workingWord; }
    template <typename T = QWidget> T* child(const QString& name) const {
        T* w = page->template findChild<T*>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    template <typename T = QWidget> T* child(const char* base, int i) const {
        return child<T>(at(base, i));
    }
    // Shown by the page (the tab it sits on may be another than the current one).
    bool shown(const QString& name) const { return !child(name)->isHidden(); }
    bool shown(const char* base, int i) const { return shown(at(base, i)); }

    AppState state;
    ScriptedPrompter prompter;
    ShellContext context;
    std::unique_ptr<FrmConfig> config;
    std::unique_ptr<PageForm> other;
    Form* page = nullptr;
};

} // namespace hvc::test
