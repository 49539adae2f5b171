#include "shell/filerequest.h"

#include <QDir>
#include <QFileDialog>

namespace hvc {

FileRequest configurationFileRequest(bool save, const QString& folder) {
    FileRequest r;
    r.save = save;
    r.folder = folder;
    if (save) {
        r.title = QStringLiteral("Save System Configuration Parameters To ...");
        r.filter = QStringLiteral("*.txt (*.txt)");
        r.proposedName = QStringLiteral("MySettings");
    } else {
        r.title = QStringLiteral("Load System Configuration Parameters From ...");
        // Names without a dot are listed too.
        r.filter = QStringLiteral("*.* (*)");
    }
    return r;
}

QString chooseFileWithDialog(QWidget* parent, const FileRequest& r) {
    QDir().mkpath(r.folder);
    // The program asks its own overwrite question, so the dialog's is off.
    if (r.save)
        return QFileDialog::getSaveFileName(parent, r.title,
                                            QDir(r.folder).filePath(r.proposedName), r.filter,
                                            nullptr, QFileDialog::DontConfirmOverwrite);
    return QFileDialog::getOpenFileName(parent, r.title, r.folder, r.filter);
}

} // namespace hvc
