// Feeds arbitrary text to the diagnostic message file's reader and drives the
// active-error list with what it loaded.
#include "core/activeerrorlist.h"
#include "core/diagnosticlist.h"
#include "core/prompter.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    hvc::DiagnosticMessage record;
    record.load(text);

    hvc::ScriptedPrompter prompter;
    hvc::DiagnosticList list;
    const bool ok = list.loadDiagnosticListText(text, prompter);
    if (ok != list.lastError().isEmpty() || ok != prompter.messages.isEmpty())
        std::abort(); // a failure is reported once, with its reason; success never
    if (!ok && (prompter.messages.size() != 1 || list.messageGroupCount() != 0 ||
                prompter.messages.front().detail != list.lastError()))
        std::abort();
    if (ok &&
        (list.messageGroupCount() < 1 || list.messageGroupCount() > hvc::DiagnosticList::kRows))
        std::abort();

    // Every bit of every row comes twice and goes: the list ends empty.
    hvc::ActiveErrorList active(list);
    for (int row = -1; row <= hvc::DiagnosticList::kRows; ++row) {
        active.valueChanged(row, 0xFFFF, 0xFFFF);
        active.valueChanged(row, -1, -1);
    }
    for (int row = -1; row <= hvc::DiagnosticList::kRows; ++row)
        active.valueChanged(row, 0, 0xFFFF);
    if (!active.isEmpty())
        std::abort();
    return 0;
}
