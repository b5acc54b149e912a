// The program's catalogues: with one for the user's language, the texts of the core's command
// table and of the widgets show in it, counts with the plural form the language calls for; a
// language without one keeps the English texts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QTranslator>

#include "app/PathDialog.h"
#include "app/Translations.h"
#include "app/TrayIcon.h"
#include "base/CommandIds.h"
#include "commands/CommandTable.h"
#include "tree/SearchPane.h"
#include "ui/CommandKeys.h"
#include "ui/MessageBox.h"

namespace {

class TranslationsTest : public ::testing::Test {
protected:
    void TearDown() override {
        // A translator leaves the application as it is destroyed.
        qDeleteAll(qApp->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly));
    }

    const Commands::Command& m_newNote = *Commands::FindCommand(CommandIds::kNewNote);
};

TEST_F(TranslationsTest, CatalogueOfTheLanguageTranslatesTablesWidgetsAndPlurals) {
    ASSERT_TRUE(Translations::Install(QLocale(QStringLiteral("pl_PL")),
                                      QStringLiteral(JOTWELL_TEST_CATALOGUES)));
    // The key stays as the table has it; the mnemonic goes from the tooltip's text.
    EXPECT_EQ(NoteEditor::MenuTextOf(m_newNote), QStringLiteral("&Nowa notatka\tCtrl+N"));
    EXPECT_EQ(NoteEditor::PlainLabelOf(m_newNote), QStringLiteral("Nowa notatka"));
    EXPECT_EQ(NoteEditor::TitleOf(Commands::MainMenus()[0]), QStringLiteral("&Notatka"));
    const CTrayIcon tray;
    EXPECT_EQ(tray.Menu()->actions().value(0)->text(), QStringLiteral("Otwórz"));
    // The path checks, without Qt, ask the dialog for their texts.
    QStringList shown;
    MessageBox::SetSink([&](const QString& text) { shown << text; });
    (void)CPathDialog::MakeSurePathExists(QStringLiteral("relative/%1"), nullptr);
    MessageBox::SetSink({});
    EXPECT_EQ(shown, QStringList{QStringLiteral("Folder relative/%1 jest nieprawidłowy.")});
    // Polish has three forms: one, a few (2-4, 22-24, but not 12-14) and many.
    const struct {
        size_t count;
        const char* text;
    } counts[] = {{1, "1 notatka"}, {3, "3 notatki"}, {12, "12 notatek"}, {22, "22 notatki"}};
    for (const auto& c : counts)
        EXPECT_EQ(CSearchPane::CountText(c.count), QString::fromUtf8(c.text)) << c.count;
}

TEST_F(TranslationsTest, LanguageWithoutCatalogueKeepsTheEnglishTexts) {
    EXPECT_FALSE(Translations::Install(QLocale(QStringLiteral("de_DE")),
                                       QStringLiteral(JOTWELL_TEST_CATALOGUES)));
    EXPECT_EQ(NoteEditor::MenuTextOf(m_newNote), QStringLiteral("&New Note\tCtrl+N"));
    EXPECT_EQ(CSearchPane::CountText(3), QStringLiteral("3 notes"));
    // Run from the build tree, the program looks where the build puts its catalogues.
    EXPECT_TRUE(QFileInfo::exists(Translations::Folder() + QStringLiteral("/jotwell_en.qm")));
}

}  // namespace
