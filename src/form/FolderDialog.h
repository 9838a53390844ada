// The folder dialog shared by the folder-chooser mode and the form when the desktop offers no chooser
// of its own (PortalFolderChooser): folders only, one at a time, new folders allowed, the confirm button
// "选择" and the message "选择 Corvane 当前项目目录" shown above the browser. It starts in `startPath`
// when something exists there (a file: in the folder holding it), else in the home folder. A platform
// theme with a native dialog (GTK's, say) shows that one; otherwise it is Qt's own, in Chinese with
// Qt's translations. Main thread.
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

// Where a folder choice starts: `startPath` when something exists there (a file: the folder holding
// it), else the home folder.
QString startFolder(const QString& startPath);

// Loads Qt's own Chinese translations once, so that Qt's dialog speaks the form's language.
void installQtTranslations();

} // namespace corvane
