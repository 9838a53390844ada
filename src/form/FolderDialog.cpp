#include "form/FolderDialog.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>

#include <vector>

namespace corvane {

FolderDialog::FolderDialog(QWidget* parent, const QString& startPath) : QFileDialog(parent)
{
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::Directory);
    setOption(QFileDialog::ShowDirsOnly);
    setOption(QFileDialog::ReadOnly, false);
    setLabelText(QFileDialog::Accept, QStringLiteral("选择"));
    setWindowTitle(QStringLiteral("Corvane"));
    addMessageLine();
    const QFileInfo start(startPath);
    if (!startPath.isEmpty() && start.exists()) {
        setDirectory(start.isDir() ? start.absoluteFilePath() : start.absolutePath());
    }
}

QString FolderDialog::chosenFolder() const
{
    const QStringList files = selectedFiles();
    return result() == QDialog::Accepted && !files.isEmpty() ? files.constFirst() : QString();
}

// Qt's own dialog has no message line, so one is added as the first row of its grid.
void FolderDialog::addMessageLine()
{
    auto* grid = qobject_cast<QGridLayout*>(layout());
    auto* message = new QLabel(QStringLiteral("选择 Corvane 当前项目目录"), this);
    if (!grid) {
        return;
    }
    struct Placed {
        QLayoutItem* item;
        int row, column, rowSpan, columnSpan;
    };
    std::vector<Placed> placed;
    while (grid->count() > 0) {
        Placed entry{};
        grid->getItemPosition(0, &entry.row, &entry.column, &entry.rowSpan, &entry.columnSpan);
        entry.item = grid->takeAt(0);
        placed.push_back(entry);
    }
    const int columns = grid->columnCount();
    grid->addWidget(message, 0, 0, 1, columns);
    for (const Placed& entry : placed) {
        grid->addItem(entry.item, entry.row + 1, entry.column, entry.rowSpan, entry.columnSpan);
    }
}

} // namespace corvane
