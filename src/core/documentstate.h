#pragma once
// The four document flags and the rules that move them. Pages only report edits
// (markDataChanged, markInfoChanged); the commands report what they did; the
// drawing tick turns a pending edit into "file to save".

namespace hvc {

// What the file-state field shows: "---", "FILE TO SAVE", "FILE OK".
enum class FileState { None = 0, ToSave = 1, Saved = 2 };

class DocumentState {
public:
    FileState fileState() const { return m_fileState; }
    // No edit since the last read, write, load or save.
    bool dataUnchanged() const { return m_dataUnchanged; }
    // The working values may differ from the unit's.
    bool paramsDiffer() const { return m_paramsDiffer; }
    // The file information fields were edited.
    bool infoChanged() const { return m_infoChanged; }
    bool unsaved() const { return m_fileState == FileState::ToSave; }

    void markDataChanged() { m_dataUnchanged = false; }
    void markInfoChanged() { m_infoChanged = true; }

    // Start-up, Disconnect and Reset: nothing to save, nothing differs.
    void clear();
    // Connect or Read: the working values are the unit's.
    void unitRead();
    // Write: the unit holds the working values; the file state stays.
    void unitWritten();
    void fileLoaded();
    void fileSaved();
    // The drawing tick: an edit or an edited information field makes a file to save.
    void tick();

private:
    FileState m_fileState = FileState::None;
    bool m_dataUnchanged = true;
    bool m_paramsDiffer = false;
    bool m_infoChanged = false;
};

} // namespace hvc
