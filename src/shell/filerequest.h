#pragma once
// What the Load and Save commands ask of a file dialog, so that tests can answer
// it without one.

#include <QString>

class QWidget;

namespace hvc {

struct FileRequest {
    bool save = false;
    QString title;
    QString filter;
    QString folder;
    QString proposedName;
};

// The Load or Save Configuration request, starting in `folder`.
FileRequest configurationFileRequest(bool save, const QString& folder);
// Answers a request with QFileDialog; an empty path is a cancel.
QString chooseFileWithDialog(QWidget* parent, const FileRequest& request);

} // namespace hvc
