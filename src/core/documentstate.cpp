#include "core/documentstate.h"

namespace hvc {

void DocumentState::clear() {
    m_fileState = FileState::None;
    m_infoChanged = false;
    m_dataUnchanged = true;
    m_paramsDiffer = false;
}

void DocumentState::unitRead() {
    m_fileState = FileState::None;
    m_dataUnchanged = true;
    m_paramsDiffer = false;
}

void DocumentState::unitWritten() {
    m_dataUnchanged = true;
    m_paramsDiffer = false;
}

void DocumentState::fileLoaded() {
    m_infoChanged = false;
    m_fileState = FileState::Saved;
    m_dataUnchanged = true;
    m_paramsDiffer = true;
}

void DocumentState::fileSaved() {
    m_infoChanged = false;
    m_fileState = FileState::Saved;
    m_dataUnchanged = true;
}

void DocumentState::tick() {
    if (!m_dataUnchanged) {
        m_paramsDiffer = true;
        m_fileState = FileState::ToSave;
    }
    if (m_infoChanged)
        m_fileState = FileState::ToSave;
}

} // namespace hvc
