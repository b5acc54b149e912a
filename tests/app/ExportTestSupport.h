#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "base/Utf8.h"
#include "model/NoteDocument.h"
#include "session/NoteSession.h"
#include "storage/FileSystem.h"
#include "storage/NoteExport.h"
#include "storage/NoteFile.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempFolder.h"

namespace ExportTest {

namespace fs = std::filesystem;

inline std::string NoteFile(const std::string& paragraphs) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n<note version=\"1.0\" "
           "created=\"0\" modified=\"0\">" +
           paragraphs + "</note>\n";
}

inline std::string ItemTag(const std::string& id, const std::string& name) {
    return "<item id=\"" + id + "\" username=\"" + name +
           "\" isfixed=\"false\" isselected=\"false\" isactive=\"false\" isexpanded=\"true\" "
           "size=\"4\" created=\"0\" modified=\"0\">";
}

// The start-up notes, with a note titled in several scripts nested under the last top-level
// note, and a note whose file is missing at the end.
inline void MakeFixture(const fs::path& folder, const fs::path& startUp) {
    for (const auto& entry : fs::directory_iterator(startUp))
        fs::copy_file(entry.path(), folder / entry.path().filename());
    std::string index = TestSupport::ReadBytes(folder / "index.xml");
    const size_t lastEnd = index.rfind("</item>");
    index.insert(lastEnd, ItemTag("900", "Caf\u00e9 \u2615 \u65e5\u672c &amp; co") + "</item>\n");
    index.insert(index.rfind("</tree>"), ItemTag("901", "Lost note") + "</item>\n");
    TestSupport::WriteBytes(folder / "index.xml", index);
    TestSupport::WriteBytes(
        folder / "900.xml",
        NoteFile("<paragraph>Caf\u00e9 \u2615 \u65e5\u672c &amp; co</paragraph><paragraph "
                 "style=\"Header 1\">Sub *head*</paragraph>"));
}

// Every file of a folder: its bytes and its modification time.
inline std::map<std::string, std::pair<std::string, fs::file_time_type>> Snapshot(
    const fs::path& folder) {
    std::map<std::string, std::pair<std::string, fs::file_time_type>> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = {TestSupport::ReadBytes(entry.path()),
                                                   fs::last_write_time(entry.path())};
    return files;
}

// The notes of a folder as the tree lists them, read from their files (empty when unreadable).
struct CFolderNotes {
    NoteTreeEngine::CNoteTree tree;
    std::vector<std::unique_ptr<NoteEditEngine::CNoteDocument>> documents;
    std::vector<NoteStorage::ExportNote> notes;

    explicit CFolderNotes(const fs::path& folder) {
        TestSupport::CFakePrompts prompts;
        (void)NoteTreeEngine::CNoteSession::ReadTree(folder, tree, prompts,
                                                     NoteStorage::FileSystem());
        for (const NoteTreeEngine::TreeItem item : tree.ItemsInOrder()) {
            int32_t depth = 0;
            for (auto parent = tree.Parent(item); parent != NoteTreeEngine::kRootItem;
                 parent = tree.Parent(parent))
                ++depth;
            const NoteTreeEngine::CTreeItemRecord& record = tree.Record(item);
            documents.push_back(std::make_unique<NoteEditEngine::CNoteDocument>());
            (void)NoteStorage::LoadNoteFile(NoteStorage::FileSystem(),
                                            NoteTreeEngine::NoteFilePath(folder, record),
                                            *documents.back());
            notes.push_back({record.username, depth, documents.back().get()});
        }
    }
    [[nodiscard]] std::string Html() const {
        std::u16string out;
        NoteStorage::WriteHtmlExport(notes, out);
        return NoteBase::Utf16ToUtf8(out);
    }
    [[nodiscard]] std::string Markdown() const {
        std::u16string out;
        NoteStorage::WriteMarkdownExport(notes, out);
        return NoteBase::Utf16ToUtf8(out);
    }
    // The outline a PDF of these notes should have, pages left out: "title" lines indented by
    // depth.
    [[nodiscard]] std::string Outline() const {
        std::string out;
        for (const auto& note : notes)
            out +=
                std::string(size_t(note.depth) * 2, ' ') + NoteBase::Utf16ToUtf8(note.title) + "\n";
        return out;
    }
};

// qpdf's outline lines ("title@page") without their pages.
inline std::string WithoutPages(const std::string& outline) {
    return std::regex_replace(outline, std::regex("@[0-9]+\n"), "\n");
}

}  // namespace ExportTest
