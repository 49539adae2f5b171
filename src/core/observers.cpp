#include "core/observers.h"

#include "core/prompter.h"

namespace hvc {

Observers::Observers() : m_silent(std::make_unique<SilentPrompter>()), m_prompter(m_silent.get()) {}

Observers::~Observers() = default;

void Observers::setPrompter(Prompter* prompter) {
    m_prompter = prompter ? prompter : m_silent.get();
}

} // namespace hvc
