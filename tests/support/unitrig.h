#pragma once
// A simulated unit for end-to-end tests: hvc-sim on a real pseudo-terminal, the
// variable map loaded into a fresh AppState and the link procedures open on it.

#include "core/appstate.h"
#include "core/prompter.h"
#include "core/transfer.h"
#include "link/linkprocedures.h"
#include "sim/simprocess.h"
#include "support/paths.h"

#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace hvc::test {

inline QString smallMap() {
    return dataPath("link_small.ini");
}

// hvc-sim's EEPROM image: "ADDRESS.SUB VALUE" lines.
// The small map's unit with an EEPROM that differs from the map's defaults
// (unit address text -> word).
inline const QMap<QString, int> kUnitWords = {
    {QStringLiteral("0100.00"), 205}, {QStringLiteral("0200.00"), 4},
    {QStringLiteral("0300.00"), 310}, {QStringLiteral("0302.00"), 820},
    {QStringLiteral("0308.00"), 330}, {QStringLiteral("0310.00"), 340},
    {QStringLiteral("0400.00"), 125}, {QStringLiteral("0610.00"), -2},
    {QStringLiteral("0602.00"), 250}, {QStringLiteral("0502.00"), 120},
};

inline void writeEeprom(const QString& path, const QMap<QString, int>& words) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    for (auto it = words.cbegin(); it != words.cend(); ++it)
        f.write(QStringLiteral("%1 %2\n").arg(it.key()).arg(it.value()).toLatin1());
}

inline QMap<QString, int> readEeprom(const QString& path) {
    QMap<QString, int> words;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return words;
    while (!f.atEnd()) {
        const QString line = QString::fromLatin1(f.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList parts = line.split(u' ');
        words.insert(parts.value(0), parts.value(1).toInt());
    }
    return words;
}

struct UnitRig {
    QTemporaryDir dir;
    SimProcess sim;
    ScriptedPrompter prompter;
    AppState state;
    LinkProcedures link{PortTable(), prompter};
    QString devicePath;

    QString eeprom() const { return dir.filePath(QStringLiteral("eeprom.txt")); }

    // Starts hvc-sim on `map` with the EEPROM image file, loads the same map and
    // opens the link with the given per-call time-out.
    bool start(const QStringList& simArgs = {}, const QString& map = smallMap(),
               int timeoutMs = 1000) {
        devicePath = sim.start(simArgs + QStringList{QStringLiteral("--ramlist"), map,
                                                     QStringLiteral("--eeprom"), eeprom()});
        if (devicePath.isEmpty()) {
            ADD_FAILURE() << "hvc-sim did not start: " << sim.errorString().toStdString();
            return false;
        }
        if (!state.document.catalogue.loadCatalogue(map, prompter))
            return false;
        countPageVarNum(state);
        state.observers.setPrompter(&prompter);
        state.session.link = &link;
        link.ports().set(1, devicePath);
        link.setPort(1);
        link.setTimeout(timeoutMs);
        return link.openLink().ok();
    }

    UnitVariable& var(HvcId id) { return *state.document.catalogue.find(id); }
    std::uint16_t writeMask() const {
        std::uint16_t mask = 0;
        for (const PageKeys& p : state.document.pages)
            mask |= p.writeKey;
        return mask;
    }
};

} // namespace hvc::test
