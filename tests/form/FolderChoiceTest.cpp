// Choosing the project folder from the form: when the dialog opens, how it is set up, and what an
// accepted or cancelled choice leaves behind.
#include "FormHarness.h"
#include "form/FolderDialog.h"
#include "form/PathLabel.h"

#include <QCoreApplication>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

namespace corvane::test {
namespace {

class FolderChoice : public FormHarness {
protected:
    QList<FolderDialog*> dialogs() const { return window().findChildren<FolderDialog*>(); }

    // The one open dialog, once it is open (the form first asks the desktop for its own chooser), or null.
    FolderDialog* openDialog() const
    {
        const auto single = [this] {
            const QList<FolderDialog*> open = dialogs();
            return open.size() == 1 && open.front()->isVisible() ? open.front() : nullptr;
        };
        return QTest::qWaitFor([&single] { return single() != nullptr; }) ? single() : nullptr;
    }

    // Lets the form take the dialog's answer, which it does on the next turn of the event loop.
    static void settle() { QCoreApplication::processEvents(); }

    QTemporaryDir m_folders;
};

TEST_F(FolderChoice, DialogIsWindowModalForFoldersWithItsOwnWordsAndStartsInTheStoredFolder)
{
    ASSERT_TRUE(m_folders.isValid());
    const FormWindow& shown = open(true, m_folders.path().toStdString());
    shown.chooseButton()->click();
    FolderDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->parentWidget(), &shown);
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
    EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
    EXPECT_TRUE(dialog->canCreateDirectories());
    EXPECT_EQ(dialog->labelText(QFileDialog::Accept), QStringLiteral("选择"));
    EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(m_folders.path()).canonicalPath());
    bool messageShown = false;
    for (const QLabel* label : dialog->findChildren<QLabel*>()) {
        messageShown =
            messageShown || (label->text() == QStringLiteral("选择 Corvane 当前项目目录") && label->isVisible());
    }
    EXPECT_TRUE(messageShown);
    EXPECT_EQ(m_events.take(), std::vector<std::string>{});
}

TEST_F(FolderChoice, MissingStoredFolderOpensTheDialogElsewhere)
{
    ASSERT_TRUE(m_folders.isValid());
    const QString missing = m_folders.filePath(QStringLiteral("gone"));
    open(true, missing.toStdString());
    m_form.chooseFolder();
    FolderDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(dialog->directory().absolutePath(), missing);
}

TEST_F(FolderChoice, AcceptedFolderIsShownAndSentWithTheNextSubmit)
{
    ASSERT_TRUE(m_folders.isValid());
    ASSERT_TRUE(QDir(m_folders.path()).mkpath(QStringLiteral("chosen")));
    const QString chosen = QDir(m_folders.filePath(QStringLiteral("chosen"))).canonicalPath();
    const FormWindow& shown = open(true, "");
    m_form.chooseFolder();
    FolderDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->setDirectory(chosen);
    static_cast<QDialog*>(dialog)->accept(); // QFileDialog hides its override
    settle();
    EXPECT_EQ(shown.projectRootLabel()->text(), chosen);
    EXPECT_EQ(shown.projectRootLabel()->toolTip(), chosen);
    setKey(QStringLiteral("key"));
    m_form.submitForm();
    EXPECT_EQ(m_events.take(), std::vector<std::string>{submitLine("key", chosen.toStdString())});
}

TEST_F(FolderChoice, CancelledDialogLeavesTheFolderAsItWas)
{
    ASSERT_TRUE(m_folders.isValid());
    const FormWindow& shown = open(true, "/srv/kept");
    m_form.chooseFolder();
    FolderDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->setDirectory(m_folders.path());
    dialog->reject();
    settle();
    EXPECT_EQ(shown.projectRootLabel()->text(), QStringLiteral("/srv/kept"));
    setKey(QStringLiteral("key"));
    m_form.submitForm();
    EXPECT_EQ(m_events.take(), std::vector<std::string>{submitLine("key", "/srv/kept")});
}

TEST_F(FolderChoice, NoDialogWhileBusyOrCompleteOrAlreadyOpen)
{
    open(true);
    m_form.showResult(FormPhase::Busy, "");
    m_form.chooseFolder();
    m_form.showResult(FormPhase::Success, "");
    m_form.chooseFolder();
    EXPECT_TRUE(dialogs().isEmpty());

    m_form.showResult(FormPhase::Error, "");
    m_form.chooseFolder();
    m_form.chooseFolder();
    ASSERT_NE(openDialog(), nullptr);
    m_form.chooseFolder();
    settle();
    EXPECT_EQ(dialogs().size(), 1);
}

TEST_F(FolderChoice, StopEndsAnOpenDialogWithoutChangingTheFolder)
{
    ASSERT_TRUE(m_folders.isValid());
    const FormWindow& shown = open(true, "/srv/kept");
    m_form.chooseFolder();
    FolderDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->setDirectory(m_folders.path());
    m_form.stop();
    settle();
    EXPECT_TRUE(dialogs().isEmpty() || !dialogs().front()->isVisible());
    EXPECT_EQ(shown.projectRootLabel()->text(), QStringLiteral("/srv/kept"));
}

TEST_F(FolderChoice, WithoutAFolderTheDialogStartsAtHome)
{
    open(true, "");
    m_form.chooseFolder();
    FolderDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->directory().absolutePath(), QDir::homePath());
}

// Qt's own dialog in the form's language: no English word left on it, and a new folder named in Chinese.
TEST_F(FolderChoice, QtDialogSpeaksChineseAndNamesANewFolderInChinese)
{
    ASSERT_TRUE(m_folders.isValid());
    open(true, m_folders.path().toStdString());
    m_form.chooseFolder();
    FolderDialog* dialog = openDialog();
    ASSERT_NE(dialog, nullptr);
    QStringList texts;
    for (const QLabel* label : dialog->findChildren<QLabel*>()) {
        if (label->isVisible()) {
            texts << label->text();
        }
    }
    for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
        if (button->isVisible()) {
            texts << button->text() << button->toolTip();
        }
    }
    for (const QTreeView* view : dialog->findChildren<QTreeView*>()) {
        for (int column = 0; column < view->model()->columnCount(); ++column) {
            if (!view->header()->isSectionHidden(column)) {
                texts << view->model()->headerData(column, Qt::Horizontal).toString();
            }
        }
    }
    texts.replaceInStrings(QStringLiteral("Corvane"), QString());
    const QRegularExpression english(QStringLiteral("[A-Za-z]{3,}"));
    EXPECT_EQ(texts.filter(english), QStringList());

    auto* newFolder = dialog->findChild<QToolButton*>(QStringLiteral("newFolderButton"));
    ASSERT_NE(newFolder, nullptr);
    newFolder->click();
    EXPECT_TRUE(QTest::qWaitFor([this] { return QDir(m_folders.path()).exists(QStringLiteral("新建文件夹")); }));
}

TEST_F(FolderChoice, EmptyFolderShowsTheHintWithoutATooltip)
{
    const FormWindow& shown = open(true, "");
    EXPECT_EQ(shown.projectRootLabel()->text(), QStringLiteral("尚未选择项目目录"));
    EXPECT_EQ(shown.projectRootLabel()->toolTip(), QString());
}

} // namespace
} // namespace corvane::test
