// Feeds arbitrary lines to the variable map's line parser and the whole-file loader.
#include "core/catalogue.h"
#include "core/prompter.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    hvc::Catalogue cat;
    hvc::CVarData record;
    record.Index = 1;
    (void)record.Load(text, cat);
    hvc::ScriptedPrompter prompter;
    cat.LoadCatalogueText(QStringLiteral("header\n") + text, prompter);
    for (int i = 1; i <= cat.VarCount(); ++i)
        (void)cat[i].AddressText();
    return 0;
}
