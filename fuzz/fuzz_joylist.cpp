// Feeds arbitrary text to the joystick catalogue's line parser and whole-file loader.
#include "core/joycatalogue.h"
#include "core/prompter.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    hvc::CJoyData record;
    if (const hvc::Status loaded = record.Load(text); !loaded && loaded.text().isEmpty())
        std::abort(); // a refused line always says why

    hvc::SilentPrompter silent;
    hvc::JoyCatalogue quiet;
    const bool quietOk = quiet.LoadJoyListText(text, silent);

    hvc::ScriptedPrompter prompter;
    hvc::JoyCatalogue cat;
    const bool ok = cat.LoadJoyListText(text, prompter);
    if (ok != quietOk || cat.JoyCount() != quiet.JoyCount())
        std::abort(); // the prompter has no say in the outcome
    if (ok && (!prompter.messages.isEmpty() || !cat.lastError().isEmpty()))
        std::abort();
    if (!ok && (cat.JoyCount() != 0 || prompter.messages.size() != 1 ||
                prompter.messages.front().detail != cat.lastError() || cat.lastError().isEmpty()))
        std::abort();
    if (cat.JoyCount() < 0 || cat.JoyCount() > hvc::JoyCatalogue::kMaxRecords)
        std::abort();
    for (int i = 0; i < cat.JoyCount(); ++i)
        (void)hvc::JoyCatalogue::PictureFileName(cat.JoyList(i).JoyCode, hvc::JoyPicture::Off);
    return 0;
}
