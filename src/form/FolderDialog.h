// The folder dialog shared by the folder-chooser mode and the form: folders only, one at a time, new
// folders allowed, the confirm button "选择" and the message "选择 Corvane 当前项目目录" shown above the
// browser. It starts in `startPath` when something exists there (a file: in the folder holding it),
// else at its default place. Main thread.
#pragma once

#include <QFileDialog>

namespace corvane {

class FolderDialog final : public QFileDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FolderDialog)

public:
    FolderDialog(QWidget* parent, const QString& startPath);

    // The chosen folder after an accepted dialog; empty otherwise. Decided by the result code, because
    // after a cancel selectedFiles() still names the current folder.
    QString chosenFolder() const;
    bool canCreateDirectories() const { return !testOption(QFileDialog::ReadOnly); }

private:
    void addMessageLine();
};

} // namespace corvane
