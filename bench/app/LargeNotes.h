#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// Notes folders for the benchmarks that measure the program as a user meets it: notes of
// realistic text (paragraphs of 60-300 characters, a header now and then, runs of list items),
// written as note files with their index, and the same text as plain lines for Qt's editor.
namespace LargeNotes {

struct Paragraph {
    const char* element;  // the note file's element: "paragraph", "header2", "listunchecked"
    std::string text;
};

// About `bytes` characters of paragraphs; the same `seed` gives the same text.
inline std::vector<Paragraph> MakeParagraphs(size_t bytes, unsigned seed = 1) {
    static const char* const kWords[] = {
        "note",   "organiser", "tree",    "caret", "a",     "selection", "paragraph", "style",
        "undo",   "of",        "the",     "keeps", "every", "folder",    "written",   "and",
        "Monday", "quickly",   "between", "list",  "it",    "meeting",   "shown",     "to"};
    constexpr size_t kWordCount = sizeof kWords / sizeof kWords[0];
    std::vector<Paragraph> paragraphs;
    unsigned state = seed * 2654435761u + 1;
    const auto next = [&state](unsigned range) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % range;
    };
    size_t total = 0;
    int listLeft = 0;
    while (total < bytes) {
        const char* element = "paragraph";
        size_t length = 60 + next(241);
        if (listLeft > 0) {
            element = "listunchecked";
            length = 60 + next(60);
            --listLeft;
        } else if (next(25) == 0) {
            element = "header2";
            length = 20 + next(30);
        } else if (next(12) == 0) {
            listLeft = 2 + static_cast<int>(next(5));
        }
        std::string text;
        while (text.size() < length) {
            if (!text.empty()) text += ' ';
            text += kWords[next(kWordCount)];
        }
        total += text.size() + 1;
        paragraphs.push_back({element, std::move(text)});
    }
    return paragraphs;
}

// `count` paragraphs of about a million characters each, as a log or a pasted dump has them.
inline std::vector<Paragraph> MakeLongParagraphs(int count) {
    std::vector<Paragraph> paragraphs;
    for (int i = 0; i < count; ++i) {
        std::string text;
        for (const Paragraph& piece : MakeParagraphs(1000 * 1000, 50 + unsigned(i))) {
            if (!text.empty()) text += ' ';
            text += piece.text;
        }
        paragraphs.push_back({"paragraph", std::move(text)});
    }
    return paragraphs;
}

// One line per paragraph.
inline std::string PlainText(const std::vector<Paragraph>& paragraphs) {
    std::string text;
    for (const Paragraph& paragraph : paragraphs) {
        if (!text.empty()) text += '\n';
        text += paragraph.text;
    }
    return text;
}

inline void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Writes note `id` of `paragraphs` into `folder` and returns its index item. The words need no
// escaping.
inline std::string WriteNote(const std::filesystem::path& folder, int id,
                             const std::vector<Paragraph>& paragraphs, bool selected, bool active) {
    std::string body =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<note version=\"1.0\" created=\"1700000000\" "
        "modified=\"1700000000\">";
    for (const Paragraph& paragraph : paragraphs)
        body += std::string("<") + paragraph.element + ">" + paragraph.text + "</" +
                paragraph.element + ">";
    body += "</note>\n";
    Write(folder / (std::to_string(id) + ".xml"), body);
    const auto flag = [](bool on) { return std::string(on ? "true" : "false"); };
    return "<item id=\"" + std::to_string(id) + "\" username=\"Note " + std::to_string(id) +
           "\" isfixed=\"false\" isselected=\"" + flag(selected) + "\" isactive=\"" + flag(active) +
           "\" isexpanded=\"true\" size=\"" + std::to_string(body.size()) +
           "\" created=\"1700000000\" modified=\"1700000000\"></item>\n";
}

inline void WriteIndex(const std::filesystem::path& folder, const std::string& items) {
    Write(
        folder / "index.xml",
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n<tree version=\"1.0\">\n" +
            items + "</tree>\n");
}

// A folder of a 1 MB and a 5 MB note, the one of `megabytes` selected, and `small` further
// selected notes of about 1 KB before it; for 50 and more, one note of that many paragraphs of a
// megabyte each. Returns the plain text of every selected note, in the order the editor shows
// them.
inline std::string WriteFolder(const std::filesystem::path& folder, int megabytes, int small = 0) {
    std::string items;
    std::string shown;
    if (megabytes >= 50) {
        const auto paragraphs = MakeLongParagraphs(megabytes);
        WriteIndex(folder, WriteNote(folder, megabytes, paragraphs, true, true));
        return PlainText(paragraphs);
    }
    for (int i = 0; i < small; ++i) {
        const auto paragraphs = MakeParagraphs(1000, 100 + i);
        items += WriteNote(folder, 100 + i, paragraphs, true, false);
        shown += PlainText(paragraphs) + '\n';
    }
    for (const int size : {1, 5}) {
        const auto paragraphs = MakeParagraphs(size_t(size) * 1000 * 1000, size);
        items += WriteNote(folder, size, paragraphs, size == megabytes, size == megabytes);
        if (size == megabytes) shown += PlainText(paragraphs);
    }
    WriteIndex(folder, items);
    return shown;
}

// The environment of a program started on a home folder of its own, offscreen.
inline QProcessEnvironment Environment(const QString& home) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    environment.insert(QStringLiteral("TMPDIR"), home);
    return environment;
}

}  // namespace LargeNotes
