#include "form/FolderDialog.h"

#include "form/FormLook.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLibraryInfo>
#include <QTranslator>
#include <QTreeView>

#include <vector>

namespace corvane {

QString startFolder(const QString& startPath)
{
    const QFileInfo start(startPath);
    if (startPath.isEmpty() || !start.exists()) {
        return QDir::homePath();
    }
    return start.isDir() ? start.absoluteFilePath() : start.absolutePath();
}

void installQtTranslations()
{
    static const bool installed = [] {
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (!translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete translator;
            return false;
        }
        return QCoreApplication::installTranslator(translator);
    }();
    Q_UNUSED(installed);
}

namespace {

// Qt's dialog builds and translates its widgets in its constructor: the translations go in before it.
QWidget* afterQtTranslations(QWidget* parent)
{
    installQtTranslations();
    return parent;
}

} // namespace

FolderDialog::FolderDialog(QWidget* parent, const QString& startPath) : QFileDialog(afterQtTranslations(parent))
{
    setFont(simplifiedChineseFont(font()));
    setFileMode(QFileDialog::Directory);
    setOption(QFileDialog::ShowDirsOnly);
    setOption(QFileDialog::ReadOnly, false);
    setLabelText(QFileDialog::Accept, QStringLiteral("选择"));
    setWindowTitle(QStringLiteral("Corvane"));
    addMessageLine();
    setDirectory(startFolder(startPath));
}

QString FolderDialog::chosenFolder() const
{
    const QStringList files = selectedFiles();
    return result() == QDialog::Accepted && !files.isEmpty() ? files.constFirst() : QString();
}

// Qt's own dialog has no message line, so one is added as the first row of its grid; its "files of
// type" row, which could only ever say "folders", goes, and so do the size and type columns. A native
// dialog has no grid: nothing to do.
void FolderDialog::addMessageLine()
{
    auto* grid = qobject_cast<QGridLayout*>(layout());
    if (!grid) {
        return;
    }
    for (const char* name : {"fileTypeCombo", "fileTypeLabel"}) {
        if (auto* row = findChild<QWidget*>(QLatin1String(name))) {
            row->hide();
        }
    }
    // Folders have no size worth showing and all have the same type (named in English by Qt 6.4).
    if (auto* details = findChild<QTreeView*>(QStringLiteral("treeView"))) {
        details->header()->hideSection(1);
        details->header()->hideSection(2);
        details->header()->setSectionResizeMode(3, QHeaderView::ResizeToContents);
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
    grid->addWidget(new QLabel(QStringLiteral("选择 Corvane 当前项目目录"), this), 0, 0, 1, columns);
    for (const Placed& entry : placed) {
        grid->addItem(entry.item, entry.row + 1, entry.column, entry.rowSpan, entry.columnSpan);
    }
}

} // namespace corvane
