#include <gtest/gtest.h>

#include "editor/ViewClipboard.h"
#include "model/NoteUndoHistory.h"
#include "tests/support/LayoutTestSupport.h"

namespace NoteEditor {
namespace {

using NoteEditEngine::TestSupport::Dump;
using NoteLayoutEngine::TestSupport::LayoutTest;

class ViewClipboardTest : public LayoutTest {};

TEST_F(ViewClipboardTest, SelectionAcrossTwoNotesRendersEachPart) {
    auto* first = Show("¶[1,0]Title¶one");
    auto* second = Show("¶two¶three");
    SetColumns(40);
    // From inside "Title" to inside "three".
    view.SetSelection(first->FromIndex(2), second->FromIndex(6), false);

    std::u16string html;
    GetSelectionText(view, u"HTML", html);
    EXPECT_NE(html.find(u"\r\n<hr>\r\n"), std::u16string::npos);
    const size_t separator = html.find(u"<hr>");
    EXPECT_NE(html.find(u"tle"), std::u16string::npos);
    EXPECT_LT(html.find(u"tle"), separator);
    EXPECT_GT(html.find(u"th"), separator);

    std::u16string plain;
    GetSelectionText(view, u"UNICODE", plain);
    // The first part runs to the end of its note and so ends with a line break.
    EXPECT_EQ(plain, u"tle\r\none\r\ntwo\r\nth");

    std::u16string none;
    view.SetCaret(first->FromIndex(2), false, false);
    GetSelectionText(view, u"UNICODE", none);
    EXPECT_EQ(none, u"");
}

TEST_F(ViewClipboardTest, XmlCopiedFromANotePastesWithStylesIntoAnother) {
    auto* source = Show("¶[6,2]ch{1}eck{0}¶plain");
    auto* target = Show("¶x");
    SetColumns(40);
    view.SetSelection(source->Start(), source->End(), false);
    std::u16string xml;
    GetSelectionText(view, u"XML", xml);

    view.SetCaret(target->End(), false, false);
    {
        NoteEditEngine::CActionScope paste(u"paste");
        ASSERT_TRUE(InsertText(view, xml, u"XML"));
    }
    EXPECT_EQ(Dump(*target),
              Dump(*NoteEditEngine::TestSupport::MakeDocument("¶x¶[6,2]ch{1}eck{0}¶plain")));
    EXPECT_EQ(view.Active(), target->End());
    EXPECT_FALSE(view.HasSelection());

    // One paste, one undo.
    view.Undo();
    EXPECT_EQ(Dump(*target), Dump(*NoteEditEngine::TestSupport::MakeDocument("¶x")));
}

TEST_F(ViewClipboardTest, InsertRefusesUnknownNamesAndAnEmptyView) {
    EXPECT_FALSE(InsertText(view, u"x", u"UNICODE"));  // nothing shown
    auto* note = Show("¶ab");
    SetColumns(40);
    view.SetCaret(note->FromIndex(1), false, false);
    EXPECT_FALSE(InsertText(view, u"x", u"HTML"));
    EXPECT_TRUE(InsertText(view, u"1\t2", u"UNICODE"));
    EXPECT_EQ(Dump(*note), Dump(*NoteEditEngine::TestSupport::MakeDocument("¶a1 2b")));
    EXPECT_EQ(view.Active().Index(), 4u);
}

}  // namespace
}  // namespace NoteEditor
