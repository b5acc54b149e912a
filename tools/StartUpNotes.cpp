#include "tools/StartUpNotes.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

#include "base/Utf8.h"
#include "model/NoteDocument.h"
#include "session/DocumentManager.h"
#include "storage/NoteFile.h"
#include "storage/TreeItemRecord.h"
#include "storage/TreeTranslator.h"
#include "storage/XmlPrimitives.h"

namespace StartUpNotes {

namespace {

// Fixed times and identifiers keep the generated files the same on every run, so that a change
// shows in the diff as a change of the tour and nothing else. 2026-01-01 00:00 UTC.
constexpr int32_t kTourTime = 1767225600;

struct CTourNote {
    int depth;  // 0 for a top-level note
    std::u16string_view lines;
};

// The tour. Each note's first line is its title in the tree.
constexpr CTourNote kTour[] = {
    {0,
     uR"(# Welcome to Jotwell
Hello, and thank you for trying Jotwell!
These notes are a short tour. On the left is the tree of your notes; on the right, the editor shows every note you select there, one below the other.
Every note can hold sub-notes. Click the small button beside a note in the tree to open or close its sub-notes, and select the notes below this one to read on.
When you are done, delete the tour (select it and press **Del**) or keep it as a cheat sheet. Press **F1** whenever you want the full help.
Have fun!)"},
    {1,
     uR"(## Notes and sub-notes
A note is a page of text. Its name in the tree is its first line, so just start typing and the name follows.
Try these, and tick each one off with **Ctrl+5** when done:
[ ] **Ctrl+N** makes a new note after the current one.
[ ] **Ctrl+Shift+N** makes a sub-note inside it.
[ ] **F2** renames a note. A name you type stays fixed; rename it to nothing and it follows the first line again.
[ ] **Del** deletes the selected notes with their sub-notes, after asking.
The same commands are in the Note menu and on the toolbar, and a right click in the tree opens them too.)"},
    {2,
     uR"(### Selecting several notes
Select more than one note and the editor shows all of them, one below the other, with one caret running through them. You can even select across notes and copy or style it all at once.
(+) **Ctrl+click** adds a note to the selection or takes it out.
(+) **Shift+click** selects every note from the last one clicked.
(+) Drag from an empty spot in the tree to pull a rubber band over notes. Hold **Shift** to add to the selection, **Ctrl** to flip the notes it touches.
(+) With the keyboard: **Up**, **Down**, **Home** and **End** move; add **Shift** to select a range, **Ctrl** to move without changing the selection, then **Space** adds a note and **Ctrl+Space** adds or removes it.
(+) **Left** and **Right** close and open a note's sub-notes. Type a letter to jump to the next note whose name starts with it.
In the editor, **Alt+Up** and **Alt+Down** jump from note to note.)"},
    {2,
     uR"(### Moving notes
Drag a note to where you want it. A line shows where it will land: drop on the middle of a note to make it a sub-note, near its top or bottom edge to put it before or after. Move the mouse left or right to choose how deep. Rest over a closed note for a moment and it opens.
With the keyboard, hold **Tab** and press an arrow key:
> (+) **Tab+Up** and **Tab+Down** move the note among its neighbours,
> (+) **Tab+Left** moves it out one level,
> (+) **Tab+Right** makes it a sub-note of the note above it.)"},
    {1,
     uR"(## Keys in the editor
Typing works as you would expect. A few keys worth knowing:
| Ctrl+Left, Ctrl+Right       a word left or right
| Ctrl+Up, Ctrl+Down          a paragraph up or down
| Home, End                   start or end of the row
| Ctrl+Home, Ctrl+End         start or end of all notes shown
| Shift + any of these        select while moving
| Ctrl+A                      select everything shown
| Tab, Shift+Tab              indent, outdent the paragraph
| Ctrl+Z, Ctrl+Y              undo, redo (as far back as you like)
| Ctrl+X, Ctrl+C, Ctrl+V      cut, copy, paste
| Ctrl+Shift+C                copy as plain text
| Ctrl+F, Ctrl+Shift+F, F3    find, replace, find next
| Ctrl+P                      print
Double-click selects a word, triple-click a paragraph. **Escape** drops the selection.
Undo works across all the notes shown, and the View menu sets the text size.)"},
    {1,
     uR"(## Paragraph styles and lists
Every paragraph has a style. Press the key again to go back to Normal.
# Header 1 (Ctrl+1)
## Header 2 (Ctrl+2)
### Header 3 (Ctrl+3)
Normal text (Ctrl+Space). **Ctrl+H** steps through the headers, **Ctrl+Shift+H** backwards.
[ ] An unchecked list item (Ctrl+4)
[x] A checked list item (Ctrl+5)
(-) A minus item (Ctrl+6), for the cons
(+) A plus item (Ctrl+7), for the pros
**Ctrl+L** steps through the four lists, **Ctrl+Shift+L** backwards.
| Fixed Width (Ctrl+0) keeps columns lined up.
Paragraphs have indent levels too: **Tab** moves one in, **Shift+Tab** one out.
[ ] Plan the trip
> [x] Book the train
> [ ] Find a place to stay
>> (+) near the old town
>> (-) not too pricey
[ ] Pack
Press **Enter** on an empty list item to end the list; **Enter** after a header goes on in Normal text.)"},
    {1,
     uR"(## Character styles
Three styles mark words inside a paragraph, alone or together:
(+) **Strong** with Ctrl+B,
(+) ==Highlight== with Ctrl+J,
(+) __Comment__ with Ctrl+I,
(+) or **==all at once==**.
Select some text and press the key, or press it first and then type. With **Shift** added and nothing selected (Ctrl+Shift+B, for instance), the whole paragraph takes the style.)"},
    {1,
     uR"(## Drag and drop, and .jwf files
Drag notes out of the tree onto your desktop or into a folder, and Jotwell writes them as one **.jwf** file: the notes with their sub-notes and their text. Your tree stays as it is.
Drop a .jwf file onto the tree, or open it with Jotwell, and its notes join your tree where you dropped them. It is an easy way to hand notes to a friend or to another notes folder.)"},
    {1,
     uR"(## Where your notes live
Your notes live in the notes folder you chose at the first start. Each note is one file named by a long number, like 1767225600000001.xml, and **index.xml** beside them holds the tree. Back up that folder and you have backed up every note.
You never need to save: Jotwell saves a change within 30 seconds, a note when you leave it, and everything when you exit. A note that cannot be written goes to a recovery file, and Note > Recovered Notes... brings it back.
Other programs may change the folder while Jotwell runs. A note changed on disk is shown anew; if you had changed it too, your version is kept beside it as a **conflicting copy**, with its own icon and the date in its name.
To have your notes on several machines, let a sync tool keep the notes folder in step. When a note was changed on two machines at once, the sync tool keeps the other version as a file of its own: Jotwell shows it next to the note as a conflicting copy. Compare the two, keep what you want in one, and delete the other.
Note > Set Notes Folder... switches to another folder. A folder without an index.xml shows its note files as new notes.
Closing the window (**Ctrl+W**) keeps Jotwell in the system tray: click its icon to come back. **Ctrl+Shift+W**, or Exit in the tray icon's menu, ends it.)"},
};

// The paragraph style names of the note file, by line mark.
struct CLineMark {
    std::u16string_view mark;
    std::u16string_view element;
};
constexpr std::array<CLineMark, 8> kLineMarks = {{
    {u"### ", u"header3"},
    {u"## ", u"header2"},
    {u"# ", u"header1"},
    {u"[ ] ", u"listunchecked"},
    {u"[x] ", u"listchecked"},
    {u"(-) ", u"listnegative"},
    {u"(+) ", u"listpositive"},
    {u"| ", u"fixwidth"},
}};

struct CInlineMark {
    std::u16string_view mark;
    std::u16string_view element;
};
constexpr std::array<CInlineMark, 3> kInlineMarks = {{
    {u"**", u"strong"},
    {u"==", u"highlight"},
    {u"__", u"link"},
}};

[[noreturn]] void Malformed(std::u16string_view line, const char* why) {
    throw std::invalid_argument(std::string(why) + ": " + NoteBase::Utf16ToUtf8(line));
}

void AppendLine(std::u16string_view line, std::u16string& out) {
    const std::u16string_view whole = line;
    int32_t indent = 0;
    while (!line.empty() && line.front() == u'>') {
        ++indent;
        line.remove_prefix(1);
    }
    if (indent > 0) {
        if (line.empty() || line.front() != u' ') Malformed(whole, "indent marks need a blank");
        line.remove_prefix(1);
    }
    if (indent > 14) Malformed(whole, "more than 14 indent levels");
    std::u16string_view element = u"paragraph";
    for (const CLineMark& mark : kLineMarks) {
        if (line.starts_with(mark.mark)) {
            element = mark.element;
            line.remove_prefix(mark.mark.size());
            break;
        }
    }
    out += u'<';
    out += element;
    if (indent > 0) {
        out += u" indent='";
        NoteStorage::AppendDecimal(indent, out);
        out += u'\'';
    }
    out += u'>';
    std::array<bool, kInlineMarks.size()> on{};
    while (!line.empty()) {
        bool marked = false;
        for (size_t i = 0; i < kInlineMarks.size(); ++i) {
            if (!line.starts_with(kInlineMarks[i].mark)) continue;
            out += on[i] ? u"</" : u"<";
            out += kInlineMarks[i].element;
            out += u'>';
            on[i] = !on[i];
            line.remove_prefix(kInlineMarks[i].mark.size());
            marked = true;
            break;
        }
        if (marked) continue;
        NoteStorage::AppendEscapedChar(line.front(), out);
        line.remove_prefix(1);
    }
    // The reader carries character styles over paragraph marks, so one left on would spill.
    for (const bool stillOn : on)
        if (stillOn) Malformed(whole, "a character style is left on");
    out += u"</";
    out += element;
    out += u'>';
}

// Writes the items of the tour as the index file's item blocks, nested by depth.
class CTourTreeWriter final : public NoteTreeEngine::CTreeTranslator {
public:
    explicit CTourTreeWriter(std::vector<std::pair<int, NoteTreeEngine::CTreeItemRecord>> items)
        : m_items(std::move(items)) {}

    void BeginItem(const NoteTreeEngine::CTreeItemRecord&) override {}
    void NoteContent(NoteEditEngine::CNoteDocument&) override {}
    void EndItem() override {}
    void WriteItems(bool, std::u16string& out) override {
        int open = 0;
        for (const auto& [depth, record] : m_items) {
            if (depth > open) throw std::invalid_argument("a note deeper than its parent allows");
            for (; open > depth; --open)
                out += u"</item>\n";
            out += u"<item";
            NoteTreeEngine::AppendItemAttributes(record, out);
            out += u">\n";
            ++open;
        }
        for (; open > 0; --open)
            out += u"</item>\n";
    }

private:
    std::vector<std::pair<int, NoteTreeEngine::CTreeItemRecord>> m_items;
};

}  // namespace

std::u16string TourContentXml(std::u16string_view lines) {
    std::u16string out;
    while (true) {
        const size_t end = lines.find(u'\n');
        AppendLine(lines.substr(0, end), out);
        if (end == std::u16string_view::npos) break;
        lines.remove_prefix(end + 1);
    }
    return out;
}

std::vector<CGeneratedFile> BuildStartUpNotes() {
    std::vector<CGeneratedFile> notes;
    std::vector<std::pair<int, NoteTreeEngine::CTreeItemRecord>> items;
    int serial = 0;
    for (const CTourNote& tourNote : kTour) {
        std::u16string text = u"<note created=\"";
        NoteStorage::AppendDecimal(kTourTime, text);
        text += u"\" modified=\"";
        NoteStorage::AppendDecimal(kTourTime, text);
        text += u"\">" + TourContentXml(tourNote.lines) + u"</note>";
        NoteEditEngine::CNoteDocument document;
        NoteStorage::Cursor cursor = 0;
        if (!NoteStorage::ReadNoteXml(document, text, cursor))
            throw std::invalid_argument("a tour note did not read back");

        std::u16string id = u"1767225600";
        const std::u16string number = NoteBase::Utf8ToUtf16(std::to_string(++serial));
        id += std::u16string(6 - number.size(), u'0') + number;
        NoteTreeEngine::CTreeItemRecord record(id);
        record.username = NoteTreeEngine::NoteTitle(document);
        record.size = static_cast<int32_t>(document.size()) - 1;
        record.created = document.Created();
        record.modified = document.Modified();
        // The welcome note is shown at the first start, with the tour opened beneath it.
        const bool welcome = serial == 1;
        record.isselected = welcome;
        record.isactive = welcome;
        const size_t next = static_cast<size_t>(serial);
        record.isexpanded = next < std::size(kTour) && kTour[next].depth > tourNote.depth;
        items.emplace_back(tourNote.depth, record);

        std::u16string file;
        NoteStorage::WriteNoteFileText(document, file);
        notes.push_back({NoteBase::Utf16ToUtf8(id) + ".xml", NoteBase::Utf16ToUtf8(file)});
    }

    std::u16string index;
    CTourTreeWriter(std::move(items)).WriteTreeText(false, index);
    std::vector<CGeneratedFile> files{{"index.xml", NoteBase::Utf16ToUtf8(index)}};
    files.insert(files.end(), notes.begin(), notes.end());
    return files;
}

}  // namespace StartUpNotes
