// Feeds arbitrary text to the joystick catalogue's line parser and whole-file loader.
#include "core/joycatalogue.h"
#include "core/prompter.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    hvc::JoyModel record;
    if (const hvc::Status loaded = record.load(text); !loaded && loaded.text().isEmpty())
        std::abort(); // a refused line always says why

    hvc::SilentPrompter silent;
    hvc::JoyCatalogue quiet;
    const bool quietOk = quiet.loadJoyListText(text, silent);

    hvc::ScriptedPrompter prompter;
    hvc::JoyCatalogue cat;
    const bool ok = cat.loadJoyListText(text, prompter);
    if (ok != quietOk || cat.joyCount() != quiet.joyCount())
        std::abort(); // the prompter has no say in the outcome
    if (ok && (!prompter.messages.isEmpty() || !cat.lastError().isEmpty()))
        std::abort();
    if (!ok && (cat.joyCount() != 0 || prompter.messages.size() != 1 ||
                prompter.messages.front().detail != cat.lastError() || cat.lastError().isEmpty()))
        std::abort();
    if (cat.joyCount() < 0 || cat.joyCount() > hvc::JoyCatalogue::kMaxRecords)
        std::abort();
    for (int i = 0; i < cat.joyCount(); ++i)
        (void)hvc::JoyCatalogue::pictureFileName(cat.joyList(i).joyCode, hvc::JoyPicture::Off);
    return 0;
}
