#pragma once
// Who hears from the core: the prompter that shows messages, the progress of long
// work and the hook that redraws the page on show.

#include "core/progress.h"

#include <functional>
#include <memory>

namespace hvc {

class Prompter;
class TransferLog;

class Observers {
public:
    Observers();
    ~Observers();
    Observers(const Observers&) = delete;
    Observers& operator=(const Observers&) = delete;

    // Always present: a silent one until a user interface or a script sets its own.
    Prompter& prompter() const { return *m_prompter; }
    // nullptr goes back to the silent one.
    void setPrompter(Prompter* prompter);

    Progress progress;
    // Asks the page on show to redraw from the records.
    std::function<void()> refreshShownPage;
    // Where the transfers are recorded; nullptr records nothing.
    TransferLog* transferLog = nullptr;

private:
    std::unique_ptr<Prompter> m_silent;
    Prompter* m_prompter;
};

} // namespace hvc
