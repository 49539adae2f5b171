// Feeds arbitrary bytes to the configuration-file loader. Checks that a rejected
// file changes nothing, and that whatever loads can be saved and loads back to the
// same values and information fields.
#include "core/appstate.h"
#include "core/configfile.h"
#include "core/imagecheck.h"
#include "core/infoblock.h"
#include "core/prompter.h"
#include "core/transfer.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// A negative default, a formula, a section beyond the limit and a live RAM word:
// the cases the loader and the saver treat apart. (Two records at one address
// would make a reload differ by design; the unit tests cover them.)
const char* const kMap =
    "Name\tAddress\tSubCode\tIdentifier\tSaveName\tDefault\tSection\tPageMask\tMin\tMax\tConvText\t"
    "ExtraText\tFormula\tInverseFormula\n"
    "Program Version\t0100\t00\tHVC_PROG_VERS\tProgram version\t104\t0\t10\t0\t9999\t\t\t\t\n"
    "Prop. Sections\t0200\t00\tHVC_NUM_PROP_REG\tSections\t2\t0\t11\t1\t4\t\t\t\t\n"
    "Zero Offset\t0220\t00\t\tZero offset\t-5\t0\t11\t-100\t100\tmA\t\t\t\n"
    "I Min 1A\t0300\t00\tHVC_I0_MIN\tI min 1A\t300\t0\t11\t0\t1500\tmA\t\t\t\n"
    "I Min 3A\t0310\t00\tHVC_I4_MIN\tI min 3A\t320\t2\t11\t0\t1500\tmA\t\t\t\n"
    "T Rise 1A\t0400\t00\tHVC_RAMP_TRISE_0\tRise 1A\t50\t0\t11\t0\t1000\tms\t\tX*10\tX/10\n"
    "Valve Code\t12AB\t05\t\tValve code\t7\t0\t11\t0\t65535\t\t\t\t\n"
    "Live Current\t2000\t00\t\tLive current\t0\t0\t0\t0\t1500\tmA\t\t\t\n";

void check(bool condition) {
    if (!condition)
        std::abort();
}

struct State {
    hvc::ScriptedPrompter prompter;
    hvc::AppState state;
    State() {
        state.observers.setPrompter(&prompter);
        check(state.document.catalogue.loadCatalogueText(QString::fromLatin1(kMap), prompter));
    }
};

std::vector<std::int32_t> values(const hvc::AppState& state) {
    std::vector<std::int32_t> out;
    for (int i = 1; i <= state.document.catalogue.varCount(); ++i) {
        const hvc::UnitVariable& r = state.document.catalogue[i];
        out.insert(out.end(), {r.unitWord, r.workingWord, r.shownValue});
    }
    return out;
}

QString normalBreaks(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    State first;
    const auto before = values(first.state);
    hvc::ConfigFileData parsed;
    if (!hvc::parseConfigFile(bytes, first.state.document.catalogue, parsed).ok()) {
        check(parsed.entries.isEmpty() && values(first.state) == before);
        return 0;
    }
    // The checks before a write: a value a word cannot carry is refused even with
    // the limits waived, and a refusal always says why.
    const auto faults = hvc::checkFileValues(first.state.document.catalogue, parsed);
    const auto wide = hvc::checkFileValues(first.state.document.catalogue, parsed, true);
    check(wide.size() <= faults.size());
    for (const hvc::ValueFault& f : wide)
        check(f.overWide && !hvc::fitsWord(f.value));
    check(hvc::checkConfigFileValues(first.state.document.catalogue, parsed).ok() ==
          faults.isEmpty());
    for (const int position :
         hvc::missingFromFile(first.state.document.catalogue, parsed, hvc::readKeyAll(first.state)))
        check(position >= 1 && position <= first.state.document.catalogue.varCount());
    hvc::applyConfigFile(first.state, parsed, QStringLiteral("f.txt"));

    const QByteArray saved = hvc::buildConfigFile(first.state);
    State second;
    hvc::ConfigFileData reparsed;
    check(hvc::parseConfigFile(saved, second.state.document.catalogue, reparsed).ok());
    hvc::applyConfigFile(second.state, reparsed, QStringLiteral("f.txt"));
    const hvc::InfoFields& a = first.state.document.info;
    const hvc::InfoFields& b = second.state.document.info;
    check(a.author == b.author && a.date == b.date && a.revision == b.revision &&
          a.company == b.company && normalBreaks(a.comments) == normalBreaks(b.comments));
    for (const hvc::ConfigEntry& e : reparsed.entries)
        check(second.state.document.catalogue[e.position].workingWord ==
              first.state.document.catalogue[e.position].workingWord);
    // With no section configured even the section count is left out of the file.
    if (first.state.document.catalogue.var(hvc::HvcId::HVC_NUM_PROP_REG).workingWord > 0)
        check(hvc::buildConfigFile(second.state) == saved);
    return 0;
}
