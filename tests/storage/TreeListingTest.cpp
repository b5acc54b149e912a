// The tree read as a flat list with depths, as the export without a window reads it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Utf8.h"
#include "storage/TreeListing.h"

namespace NoteTreeEngine {
namespace {

std::string Item(const char* id, const char* name) {
    return std::string("<item id=\"") + id + "\" username=\"" + name +
           "\" isfixed=\"false\" isselected=\"false\" isactive=\"false\" isexpanded=\"true\" "
           "size=\"0\" created=\"0\" modified=\"0\">";
}

// "name:depth" for each entry, space separated.
std::string Listing(const std::string& text, bool* read = nullptr) {
    CTreeListing listing;
    const bool wasRead = listing.ReadTreeText(false, NoteBase::Utf8ToUtf16(text));
    if (read != nullptr) *read = wasRead;
    std::string out;
    for (const CTreeListing::Entry& entry : listing.Entries())
        out +=
            NoteBase::Utf16ToUtf8(entry.record.username) + ":" + std::to_string(entry.depth) + " ";
    return out;
}

TEST(TreeListingTest, ItemsComeInTreeOrderWithTheirDepths) {
    const std::string head = "<?xml version=\"1.0\"?>\n<tree version=\"1.0\">\n";
    struct Case {
        const char* what;
        std::string text;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"nested",
         head + Item("1", "A") + Item("2", "B") + Item("3", "C") + "</item></item>" +
             Item("4", "D") + "</item></item>" + Item("5", "E") + "</item></tree>",
         "A:0 B:1 C:2 D:1 E:0 "},
        {"left open at the end", head + Item("1", "A") + Item("2", "B"), "A:0 B:1 "},
        {"a stray end tag",
         head + "</item>" + Item("1", "A") + "</item></item>" + Item("2", "B") + "</item></tree>",
         "A:0 B:0 "},
        {"no items", head + "</tree>", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Listing(c.text), c.expected) << c.what;

    bool read = true;
    EXPECT_EQ(Listing("<note version=\"1.0\"></note>", &read), "");
    EXPECT_FALSE(read);
}

}  // namespace
}  // namespace NoteTreeEngine
