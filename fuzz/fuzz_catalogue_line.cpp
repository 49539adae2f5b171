// Feeds arbitrary lines to the variable map's line parser and the whole-file loader.
#include "core/catalogue.h"
#include "core/prompter.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    hvc::Catalogue cat;
    hvc::UnitVariable record;
    record.index = 1;
    if (const hvc::Status loaded = record.load(text, cat); !loaded && loaded.text().isEmpty())
        std::abort(); // a refused line always says why
    hvc::ScriptedPrompter prompter;
    if (!cat.loadCatalogueText(QStringLiteral("header\n") + text, prompter) &&
        (cat.lastError().isEmpty() || prompter.messages.size() != 1 ||
         prompter.messages.front().detail != cat.lastError()))
        std::abort();
    for (int i = 1; i <= cat.varCount(); ++i)
        (void)cat[i].addressText();
    return 0;
}
