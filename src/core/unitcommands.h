#pragma once
// The commands the technician gives from the main window, without the window:
// connect, read, read all, write, write all, reset, load and save. Each runs the
// same steps in the same order as the menu item, asks and informs through the
// Prompter, reports progress through the observer, talks to the unit through
// UnitLink and moves the document flags. What only a window can do (disable
// itself, close the wait box, show a page) goes through CommandView.

#include "core/appstate.h"
#include "core/infoblock.h"
#include "core/status.h"
#include "core/writereview.h"

#include <QMap>
#include <QString>
#include <cstdint>

namespace hvc {

inline constexpr const char* kOperationFailed = "Operation Failed :";

// The window around the commands. Every member has a do-nothing default, so
// hvcctl and tests run the commands with a plain CommandView.
class CommandView {
public:
    virtual ~CommandView() = default;
    // The window refuses input while a command talks to the unit.
    virtual void setBusy(bool /*busy*/) {}
    virtual void closeWaitBox() {}
    // Stops the shown page's polling before the link closes.
    virtual void stopPagePolling() {}
    // Shows the first page and redraws it from the records.
    virtual void showFirstPage() {}
    virtual void refreshActivePage() {}
    // The information page's fields: shown after a load, taken before a save.
    virtual void showInfo(const InfoFields& /*fields*/) {}
    virtual InfoFields infoToSave(const InfoFields& current) { return current; }
    virtual void showFileName(const QString& /*name*/) {}
    // Before Write and Write All: which of the rows that differ from the unit to
    // send. Without a window the whole image goes, as it always has.
    virtual WriteChoice chooseWrite(const QList<ReviewRow>& /*rows*/) {
        return WriteChoice::wholeImage();
    }
    // Compare with File: the positions of the rows whose file values are to
    // become working values; none loads nothing.
    virtual QList<int> chooseFileRows(const QList<ReviewRow>& /*rows*/,
                                      const QString& /*fileName*/) {
        return {};
    }
};

class UnitCommands {
public:
    UnitCommands(AppState& state, CommandView& view);

    // Disconnects when connected; else opens the link, checks the unit's identity,
    // reads the program version and the whole image.
    void connectToUnit();
    // Read and Write of the shown page (its keys); `dataCheck` is what the page
    // found wrong with its values (success when nothing).
    void readPage(std::uint16_t readKey);
    void writePage(std::uint16_t writeKey, const Status& dataCheck);
    void readAll();
    void writeAll();
    void reset();
    // Restore This Version: the differences between the unit and `version` (a
    // logbook image, address to word) reviewed, the chosen rows written, read back
    // and recorded as a restore. False when nothing was written (nothing differs,
    // or the review was cancelled).
    bool restoreVersion(const QMap<std::int32_t, std::int32_t>& version);
    // Load and Save of a chosen path (the file dialog is the caller's).
    bool loadFile(const QString& path);
    bool saveFile(const QString& path);
    // Compare with File: the file's differences from the unit, and the chosen rows
    // loaded as working values. False when the file does not load (nothing changes).
    bool compareWithFile(const QString& path);

    // "Operation Failed :" with the status text, and its detail.
    static void reportFailure(Prompter& prompter, const Status& status);

private:
    void endFailed(const Status& status);
    void endConnected();
    // Read All and Write All: the status decides the indicator; the flags stay.
    void endWholeImage(const Status& status);
    bool unsavedQuestion();
    // Write and Write All after the review; `page` decides the ending and the flags.
    void writeReviewed(std::uint16_t mask, bool page);
    // Writes the chosen rows and records the write as `kind` (write, write-all,
    // restore); a page's write ends as Write does, the others as Write All.
    void writeChosen(std::uint16_t mask, const WriteChoice& choice, const QString& kind);
    // A configuration file read and checked as Load takes it; the failure shown.
    bool readCheckedFile(const QString& path, ConfigFileData& data);

    AppState& m_state;
    CommandView& m_view;
};

// The text of the question asked before leaving unsaved changes.
QString unsavedQuestionText();

} // namespace hvc
