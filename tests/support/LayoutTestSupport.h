#pragma once

// A fixture for the layout tests: notes made from compact text (see ModelTestSupport.h) shown in
// a test view laid out for a width given in characters, and a detailed dump of the glyph tree.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "layout/NoteGlyph.h"
#include "layout/NoteView.h"
#include "layout/NoteViewGlyph.h"
#include "tests/support/ModelTestSupport.h"
#include "tests/support/TestNoteView.h"

namespace NoteLayoutEngine::TestSupport {

// View width for rows of `columns` characters in a Normal paragraph at indent 0.
inline int32_t WidthForColumns(int32_t columns) {
    return 30 + columns * CTestNoteView::kCharWidth;
}

// Every glyph with its start index, length, height and margins, children nested in brackets.
// Also checks that every parent's totals equal the sums over its children plus margins.
inline void DetailedDump(const CNoteGlyph& glyph, std::string& out) {
    out += "<" + std::to_string(glyph.Start().IsNull() ? -1 : int64_t{glyph.Start().Index()}) +
           "+" + std::to_string(glyph.Length()) + " h" + std::to_string(glyph.Height()) + " w" +
           std::to_string(glyph.Width()) + " m" + std::to_string(glyph.GetMargins().top) + "," +
           std::to_string(glyph.GetMargins().bottom) + "," +
           std::to_string(glyph.GetMargins().left) + "," + std::to_string(glyph.GetMargins().right);
    if (!glyph.Children().Empty()) {
        int64_t length = 0;
        int64_t height = glyph.GetMargins().top + glyph.GetMargins().bottom;
        out += " [";
        for (const CNoteGlyph* child = glyph.FirstChild(); child != nullptr;
             child = child->NextSibling()) {
            length += child->Length();
            height += child->Height();
            EXPECT_EQ(child->Parent(), &glyph);
            DetailedDump(*child, out);
        }
        out += "]";
        EXPECT_EQ(length, glyph.Length()) << "length of the glyph at " << out.size();
        EXPECT_EQ(height, glyph.Height()) << "height of the glyph at " << out.size();
        EXPECT_EQ(glyph.Children().TotalLength(), glyph.Length());
    }
    out += ">";
}

inline std::string DetailedDump(const CNoteView& view) {
    std::string out;
    DetailedDump(view.Root(), out);
    return out;
}

class LayoutTest : public ::testing::Test {
protected:
    void SetUp() override { NoteEditEngine::TestSupport::UseUtf8Locale(); }

    // Shows a new note after the last shown one.
    NoteEditEngine::CNoteDocument* Show(std::string_view text) {
        m_notes.push_back(NoteEditEngine::TestSupport::MakeDocument(text));
        NoteEditEngine::CNoteDocument* after =
            view.ShownNotes().empty() ? nullptr : view.ShownNotes().back();
        view.AddNote(m_notes.back().get(), after);
        return m_notes.back().get();
    }
    void SetColumns(int32_t columns) { view.SetWidth(WidthForColumns(columns), false); }

    // Declared before the view, so the view goes first and leaves the notes' observer lists.
    std::vector<std::unique_ptr<NoteEditEngine::CNoteDocument>> m_notes;
    CTestNoteView view;
};

}  // namespace NoteLayoutEngine::TestSupport
