#include "session/IndexMerge.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "base/Utf8.h"

namespace NoteTreeEngine {
namespace {

// Outlines as one line: items "<one-character id><name>" separated by blanks, children in
// parentheses; "!" marks a fixed name and "*" a selected item. "1a(2b! 3c*) 4d".
IndexOutline Parse(std::string text) {
    for (const char* bracket : {"(", ")"})
        for (size_t at = text.find(bracket); at != std::string::npos;
             at = text.find(bracket, at + 3))
            text.replace(at, 1, std::string(" ") + bracket + " ");
    IndexOutline outline;
    size_t depth = 0;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        if (word == "(" || word == ")") {
            depth = word == "(" ? depth + 1 : depth - 1;
            continue;
        }
        CIndexEntry entry{CTreeItemRecord(std::u16string(1, char16_t(word[0]))), depth};
        entry.record.isselected = word.ends_with('*');
        entry.record.isfixed = word.find('!') != std::string::npos;
        entry.record.username = NoteBase::Utf8ToUtf16(word.substr(1, word.find_first_of("!*") - 1));
        outline.push_back(entry);
    }
    return outline;
}

std::string Format(const IndexOutline& outline) {
    std::string out;
    size_t depth = 0;
    for (const CIndexEntry& entry : outline) {
        out += entry.depth > depth ? "(" : std::string(depth - entry.depth, ')') + " ";
        depth = entry.depth;
        out += NoteBase::Utf16ToUtf8(entry.record.id + entry.record.username) +
               (entry.record.isfixed ? "!" : "") + (entry.record.isselected ? "*" : "");
    }
    return out.substr(std::min<size_t>(out.size(), 1)) + std::string(depth, ')');
}

TEST(IndexMergeTest, TheirNewItemsAndNamesComeInAndNothingOfOursGoes) {
    struct Case {
        const char* what;
        const char* base;
        const char* ours;
        const char* theirs;
        const char* merged;
    };
    const Case cases[] = {
        {"new after its sibling", "1a 2b", "1a 2b 5e", "1a 4d 2b", "1a 4d 2b 5e"},
        {"new under a parent ours moved", "1a 2b", "2b 1a", "1a(4d) 2b", "2b 1a(4d)"},
        {"new first among siblings", "1a(2b)", "1a(2b 5e)", "1a(4d 2b)", "1a(4d 2b 5e)"},
        {"after the nearest sibling ours kept", "1a(2b 3c)", "1a(2b) 5e", "1a(2b 3c 4d)",
         "1a(2b 4d) 5e"},
        {"under a parent ours removed: top level", "1a 2b", "1a", "1a 2b(4d)", "1a 4d"},
        {"a new subtree whole, unselected", "1a", "1a 5e", "1a 4d*(6f(7g))", "1a 4d(6f(7g)) 5e"},
        {"their names where ours kept base's", "1a 2b 3c", "1A 2b 3c 5e", "1x 2y 3c!",
         "1A 2y 3c! 5e"},
        {"their removals and moves do not count", "1a 2b 3c", "1a 2b 3c 5e", "3c(1a)",
         "1a 2b 3c 5e"},
        {"ours removed stays removed", "1a 2b", "1a 5e", "1a 2x", "1a 5e"},
        {"ours kept selected", "1a 2b", "1a* 2b 5e", "1a 2b", "1a* 2b 5e"},
        {"no base: theirs all new", "", "1a", "2b 1c", "2b 1a"},
        {"one of each identifier", "1a", "1a 5e 5e", "1a 4d 4d(4d)", "1a 4d 5e"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Format(MergeIndex(Parse(c.base), Parse(c.ours), Parse(c.theirs))), c.merged)
            << c.what;
    }
}

}  // namespace
}  // namespace NoteTreeEngine
