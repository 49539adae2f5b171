#pragma once
// The shipped map's records as a Read All of a unit at its defaults leaves them.

#include "core/appstate.h"
#include "core/prompter.h"
#include "support/paths.h"

#include <QtGlobal>

namespace hvc::test {

inline void loadShippedRecordsAsRead(AppState& state, Prompter& prompter) {
    if (!state.document.catalogue.loadCatalogue(sourcePath("res/ini/Ramlist.ini"), prompter))
        qFatal("no variable map");
    for (int i = 1; i <= state.document.catalogue.varCount(); ++i)
        state.document.catalogue[i].takeUnitWord(state.document.catalogue[i].defaultValue);
}

} // namespace hvc::test
