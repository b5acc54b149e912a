// The folder picker's dialog driven through its widgets: the edit box, the tree and OK.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <vector>

#include "app/PathDialog.h"

namespace {

struct CAnswers final : PathCheck::CPathQuestions {
    bool answer = true;
    int asked = 0;
    std::vector<std::u16string> shown;
    bool Ask(std::u16string_view) override {
        ++asked;
        return answer;
    }
    void ShowError(std::u16string_view text) override { shown.emplace_back(text); }
};

void Type(CPathDialog& dialog, const QString& text) {
    dialog.Edit()->selectAll();
    if (text.isEmpty())
        QTest::keyClick(dialog.Edit(), Qt::Key_Delete);
    else
        QTest::keyClicks(dialog.Edit(), text);
}

}  // namespace

TEST(PathDialog, SuggestionIsTypedAndEnterCreatesIt) {
    QTemporaryDir temp;
    const QString suggestion = temp.path() + QStringLiteral("/Documents/Notes");
    CPathDialog dialog(QStringLiteral("Select Folder"), QStringLiteral("Pick"), suggestion);
    CAnswers answers;
    dialog.SetQuestions(&answers);
    dialog.show();
    EXPECT_EQ(dialog.Edit()->text(), suggestion);
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    QTest::keyClick(dialog.Edit(), Qt::Key_Return);
    EXPECT_EQ(answers.asked, 1);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Path(), suggestion);
    EXPECT_TRUE(QDir(suggestion).exists());
}

TEST(PathDialog, OkFollowsTheEditBoxAndTheTree) {
    QTemporaryDir temp;
    QDir(temp.path()).mkpath(QStringLiteral("chosen"));
    CPathDialog dialog(QStringLiteral("Select Folder"), QStringLiteral("Pick"), temp.path());
    dialog.show();
    EXPECT_EQ(dialog.Edit()->text(), temp.path());
    Type(dialog, QString());
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    Type(dialog, QStringLiteral("x"));
    EXPECT_TRUE(dialog.OkButton()->isEnabled());

    auto* model = qobject_cast<QFileSystemModel*>(dialog.Tree()->model());
    ASSERT_NE(model, nullptr);
    dialog.Tree()->setCurrentIndex(model->index(temp.path() + QStringLiteral("/chosen")));
    EXPECT_EQ(dialog.Edit()->text(), temp.path() + QStringLiteral("/chosen"));
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
}

TEST(PathDialog, RefusedPathsKeepTheDialogOpen) {
    QTemporaryDir temp;
    CPathDialog dialog(QStringLiteral("Select Folder"), QStringLiteral("Pick"), temp.path());
    CAnswers answers;
    dialog.SetQuestions(&answers);
    dialog.show();
    struct Row {
        QString typed;
        bool answer;
        int asked;
        size_t shown;
    };
    const std::vector<Row> rows = {
        {temp.path() + QStringLiteral("/trailing/"), true, 0, 1},
        {QStringLiteral("relative/notes"), true, 0, 1},
        {temp.path() + QStringLiteral("/ blank"), true, 0, 1},
        {temp.path() + QStringLiteral("/declined"), false, 1, 0},
    };
    for (const Row& row : rows) {
        answers = CAnswers();
        answers.answer = row.answer;
        Type(dialog, row.typed);
        dialog.OkButton()->click();
        EXPECT_TRUE(dialog.isVisible()) << row.typed.toStdString();
        EXPECT_EQ(answers.asked, row.asked) << row.typed.toStdString();
        EXPECT_EQ(answers.shown.size(), row.shown) << row.typed.toStdString();
        EXPECT_EQ(dialog.focusWidget(), dialog.Edit());
    }
    EXPECT_FALSE(QDir(temp.path() + QStringLiteral("/declined")).exists());
}

TEST(PathDialog, StartsAtHomeAndListsDotFoldersOnlyFromInsideOne) {
    QTemporaryDir temp;
    for (const char* sub : {"shown", ".hidden/inner"})
        QDir(temp.path()).mkpath(QString::fromLatin1(sub));
    EXPECT_EQ(CPathDialog(QStringLiteral("Select Folder"), QStringLiteral("Pick")).Edit()->text(),
              QDir::homePath());
    const struct {
        QString start;
        int listed;  // folders shown in the temporary folder
    } cases[] = {{temp.path(), 1}, {temp.path() + QStringLiteral("/.hidden/inner"), 2}};
    for (const auto& c : cases) {
        CPathDialog dialog(QStringLiteral("Select Folder"), QStringLiteral("Pick"), c.start);
        auto* model = qobject_cast<QFileSystemModel*>(dialog.Tree()->model());
        ASSERT_NE(model, nullptr);
        const QModelIndex folder = model->index(temp.path());
        model->fetchMore(folder);
        // The model reads folders on its own thread and reports when one is in.
        EXPECT_TRUE(QTest::qWaitFor([&] { return model->rowCount(folder) >= c.listed; }));
        EXPECT_EQ(model->rowCount(folder), c.listed) << c.start.toStdString();
    }
}

TEST(PathDialog, PickFolderGivesTheFolderOrNothing) {
    QTemporaryDir temp;
    CPathDialog dialog(QStringLiteral("Select Folder"), QStringLiteral("Pick"), temp.path());
    // A refused OK would leave the dialog open: it is then cancelled, and the check fails.
    QTimer::singleShot(0, &dialog, [&dialog] {
        dialog.OkButton()->click();
        if (dialog.isVisible()) dialog.reject();
    });
    EXPECT_EQ(dialog.PickFolder(u"Select Folder", u"Please select a folder for your notes."),
              temp.path().toStdU16String());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select Folder"));
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.reject(); });
    EXPECT_EQ(dialog.PickFolder(u"Select Folder", u"Prompt"), std::u16string());
}
