// The whole program against other programs changing its notes folder (tests/README.md): after
// every random round each unique word typed or written is in a note file, a recovery file or a
// held note, unless the outside change destroyed its last copy; after Exit it is on disk.
//   JOTWELL_OUTSIDE_ROUNDS (default 100) and JOTWELL_OUTSIDE_SEED (default 1) set the run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTreeWidget>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "app/JotwellApp.h"
#include "app/MainFrame.h"
#include "base/CommandIds.h"
#include "base/Utf8.h"
#include "editor/NoteScrollView.h"
#include "storage/ClipboardFormats.h"
#include "storage/NotesFolderSettings.h"
#include "tests/support/FakeFolderPicker.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/TempFolder.h"
#include "tree/IndexView.h"
#include "ui/MessageBox.h"

namespace {

namespace fs = std::filesystem;

std::string NoteBytes(const std::string& word) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<note version=\"1.0\" created=\"0\" "
           "modified=\"0\"><paragraph>" +
           word + "</paragraph></note>\n";
}

// Sets or clears the folder's immutable flag, a lock even for root (the tests run as root); false
// where the file system has no such flag.
bool Lock(const fs::path& folder, bool locked) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = locked ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return done;
}

int FromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::atoi(value) : fallback;
}

class OutsideChangesTest : public ::testing::Test {
protected:
    OutsideChangesTest() : settings(recovery.Path()) {}
    void SetUp() override {
        MessageBox::SetSink([](const QString&) {});
        // Yes to creating a vanished folder again, no to discarding text.
        MessageBox::SetQuestionSink([](const QString& text, const QString&) {
            return !text.contains(QStringLiteral("Discard"));
        });
    }
    void TearDown() override {
        Lock(folder, false);
        app.reset();
        MessageBox::SetSink({});
        MessageBox::SetQuestionSink({});
    }

    // "zz" and four letters a..y: no word is found inside another or inside two joined.
    std::string NewWord() {
        std::string word = "zz";
        for (int n = m_words++, i = 0; i < 4; ++i, n /= 25)
            word += static_cast<char>('a' + n % 25);
        return word;
    }
    std::vector<fs::path> NoteFiles() const {
        std::vector<fs::path> files;
        std::error_code none;
        for (const auto& entry : fs::directory_iterator(folder, none)) {
            const std::string name = entry.path().filename().string();
            if (entry.is_regular_file() && name.ends_with(".xml") && name != "index.xml")
                files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        return files;
    }
    // Every note file's and recovery file's bytes, and the text of the notes the program holds.
    std::string Everything(bool withHeld) {
        std::string all;
        for (const fs::path& file : NoteFiles())
            all += "@" + file.filename().string() + "\n" + TestSupport::ReadBytes(file) + "\n";
        std::error_code none;
        for (const auto& entry : fs::recursive_directory_iterator(recovery.Path(), none))
            if (entry.is_regular_file())
                all += "@recovered\n" + TestSupport::ReadBytes(entry.path()) + "\n";
        NoteTreeEngine::CDocumentManager* manager = app->Frame()->Session().Manager();
        if (!withHeld || manager == nullptr) return all;
        for (const auto& [id, document] : manager->HeldNotes()) {
            auto& held = const_cast<NoteEditEngine::CNoteDocument&>(*document);
            std::u16string text;
            NoteStorage::WritePlainText(text, held.Start(), held.End());
            all += "@held " + NoteBase::Utf16ToUtf8(id) + "\n" +
                   QString::fromStdU16String(text).toStdString() + "\n";
        }
        return all;
    }
    // Where in Everything() the word is: a file's name, "recovered" or "held <id>".
    static std::string Source(const std::string& everything, const std::string& word) {
        const size_t at = everything.find(word);
        if (at == std::string::npos) return "nothing";
        const size_t head = everything.rfind("\n@", at);
        const size_t start = head == std::string::npos ? 1 : head + 2;
        return everything.substr(start, everything.find('\n', start) - start);
    }
    // Runs an outside change of `file` (the whole folder when empty) and forgets the words whose
    // last copy on disk it destroyed: all when the program may take the new file's text for its
    // own (a note rewritten whole), else only those it does not hold.
    template <typename Change>
    void Outside(const fs::path& file, bool programKeepsItsText, Change change) {
        // A file cut short or removed, then written whole, is one write seen half-way: what it
        // held before was theirs to replace.
        std::string before = file.empty()       ? Everything(false)
                             : fs::exists(file) ? TestSupport::ReadBytes(file)
                                                : "";
        if (const auto held = m_wholeBefore.find(file);
            !programKeepsItsText && held != m_wholeBefore.end()) {
            before += held->second;
            m_wholeBefore.erase(held);
        }
        change();
        const std::string after = Everything(programKeepsItsText);
        for (auto word = live.begin(); word != live.end();)
            word = before.find(*word) != std::string::npos && after.find(*word) == std::string::npos
                       ? live.erase(word)
                       : std::next(word);
    }
    void Type() {
        CNoteScrollView& editor = app->Frame()->Editor();
        editor.setFocus();
        QTest::keyClick(&editor, m_random() % 2 ? Qt::Key_Home : Qt::Key_End, Qt::ControlModifier);
        const std::string word = NewWord();
        QTest::keyClicks(&editor, QString::fromStdString(" " + word + " "));
        if (Everything(true).find(word) != std::string::npos) live.insert(word);
    }
    void Click() {
        QTreeWidget& tree = app->Frame()->Tree();
        if (tree.topLevelItemCount() == 0) return;
        QTreeWidgetItem* item =
            tree.topLevelItem(static_cast<int>(m_random() % tree.topLevelItemCount()));
        tree.scrollToItem(item);
        QTest::mouseClick(tree.viewport(), Qt::LeftButton,
                          m_random() % 3 == 0 ? Qt::ControlModifier : Qt::NoModifier,
                          tree.visualItemRect(item).center());
    }
    void Settle() {
        QCoreApplication::processEvents();
        QApplication::setActiveWindow(app->Frame());
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(app->Frame(), &activate);
        QCoreApplication::processEvents();
    }

    TestSupport::CTempFolder recovery;
    TestSupport::CTempFolder notes;
    TestSupport::CFakeSettings settings;
    TestSupport::CFakePicker picker;
    std::unique_ptr<CJotwellApp> app;
    fs::path folder = notes / "Notes";
    std::set<std::string> live;
    std::mt19937 m_random{static_cast<unsigned>(FromEnvironment("JOTWELL_OUTSIDE_SEED", 1))};
    int m_words = 0;
    std::map<fs::path, std::string> m_wholeBefore;  // what a file held before a cut or removal
};

TEST_F(OutsideChangesTest, NoWordTypedOrWrittenIsLostWhateverOtherProgramsDo) {
    fs::create_directories(folder);
    for (int i = 1; i <= 4; ++i) {
        const std::string word = NewWord();
        TestSupport::WriteBytes(folder / (std::to_string(i) + ".xml"), NoteBytes(word));
        live.insert(word);
    }
    NoteTreeEngine::SetNotesFolder(settings, folder.u16string());
    CJotwellApp::COptions options;
    options.instanceKey =
        QStringLiteral("jotwell-outside-%1").arg(QCoreApplication::applicationPid());
    options.picker = &picker;
    options.integrateDesktop = [] {};
    app = std::make_unique<CJotwellApp>(settings, options);
    ASSERT_EQ(app->Start({QStringLiteral("jotwell")}), CJotwellApp::Result::Running);
    const bool canLock = Lock(folder, true) && Lock(folder, false);

    std::vector<std::string> log;
    std::string seen;
    const int rounds = FromEnvironment("JOTWELL_OUTSIDE_ROUNDS", 100);
    for (int round = 0; round < rounds; ++round) {
        const std::vector<fs::path> files = NoteFiles();
        const fs::path file = files.empty() ? folder / "1.xml" : files[m_random() % files.size()];
        const unsigned action = m_random() % 20;
        log.push_back(std::to_string(round) + ": " + std::to_string(action) + " " +
                      file.filename().string());
        if (log.size() > 12) log.erase(log.begin());
        if (action >= 9 && action <= 16) Lock(folder, false);  // the outsider unlocks it first
        if (action < 6) {
            Type();
        } else if (action < 8) {
            Click();
        } else if (action < 9) {
            app->Frame()->Session().OnSaveTimer();
        } else if (action < 11) {  // rewritten whole, in place or by a rename
            const std::string word = NewWord();
            Outside(file, false, [&] {
                if (!fs::exists(folder)) return;
                const fs::path temporary = folder / ".outside.tmp";
                TestSupport::WriteBytes(action == 9 ? file : temporary, NoteBytes(word));
                if (action == 10) fs::rename(temporary, file);
                live.insert(word);
            });
        } else if (action < 12) {  // a word replaced by one as long, the time kept
            Outside(file, false, [&] {
                if (!fs::exists(file)) return;
                std::string bytes = TestSupport::ReadBytes(file);
                const size_t at = bytes.find("zz");
                if (at == std::string::npos) return;
                const std::string word = NewWord();
                const auto time = fs::last_write_time(file);
                TestSupport::WriteBytes(file, bytes.replace(at, word.size(), word));
                fs::last_write_time(file, time);
                live.insert(word);
            });
        } else if (action < 13) {
            Outside(file, true, [&] {
                if (fs::exists(file)) m_wholeBefore[file] += TestSupport::ReadBytes(file);
                fs::remove(file);
            });
        } else if (action < 14) {
            Outside(file, true, [&] {
                if (!fs::exists(file)) return;
                const std::string whole = TestSupport::ReadBytes(file);
                fs::resize_file(file, whole.size() / 2);
                m_wholeBefore[file] += whole;
            });
        } else if (action < 15) {  // a sync tool keeps the other machine's version beside it
            const std::string word = NewWord();
            if (fs::exists(folder) && !files.empty()) {
                // The device part keeps each such file apart from the others.
                std::string device = word.substr(2) + "XYZ";
                for (char& c : device)
                    c = static_cast<char>(std::toupper(c));
                TestSupport::WriteBytes(
                    folder / (file.stem().string() + ".sync-conflict-20261207-143908-" + device +
                              ".xml"),
                    NoteBytes(word));
                live.insert(word);
            }
        } else if (action < 16) {  // half as often as the others
            if (m_random() % 2) Outside({}, true, [&] { fs::remove_all(folder); });
        } else if (action < 17) {
            if (!fs::exists(folder))
                fs::create_directories(folder);  // a sync tool brings an empty one back
            else if (canLock)
                Lock(folder, true);
        } else {
            Settle();
        }
        Settle();
        const std::string everything = Everything(true);
        for (const std::string& word : live)
            ASSERT_NE(everything.find(word), std::string::npos)
                << word << " lost in round " << round << ", last seen in " << Source(seen, word)
                << "; last actions: " << ::testing::PrintToString(log);
        seen = everything;
    }
    Lock(folder, false);
    app->Frame()->RouteCommand(CommandIds::kExit);
    const std::string onDisk = Everything(false);
    for (const std::string& word : live)
        EXPECT_NE(onDisk.find(word), std::string::npos) << word << " lost at Exit";
}

}  // namespace
