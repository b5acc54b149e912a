#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QImage>
#include <QPoint>
#include <memory>
#include <string_view>
#include <vector>

#include "editor/NoteScrollView.h"
#include "tests/support/ModelTestSupport.h"

// A shown 480 by 320 pane told it has the focus, with a test clock for clicks, showing `Show`'s
// notes.
class PaneTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(480, 320);
        view.SetClickClock([this] { return now; });
        view.show();
        QFocusEvent focus(QEvent::FocusIn, Qt::OtherFocusReason);
        QApplication::sendEvent(&view, &focus);
    }
    void TearDown() override {
        for (auto& note : notes)
            if (view.View().NoteIndex(note.get()) >= 0) view.View().RemoveNote(note.get());
    }
    // A note of compact text after those shown, or in front of them.
    NoteEditEngine::CNoteDocument* Show(std::string_view text, bool inFront = false) {
        const auto& shown = view.View().ShownNotes();
        notes.push_back(NoteEditEngine::TestSupport::MakeDocument(text));
        view.View().AddNote(notes.back().get(), inFront || shown.empty() ? nullptr : shown.back());
        return notes.back().get();
    }
    // A point of the viewport inside the caret slot before the element at `index`.
    QPoint PointBefore(NoteEditEngine::CNoteDocument* note, uint32_t index) {
        const NoteLayoutEngine::Point p = view.View().PointOf(note->FromIndex(index));
        return QPoint(p.x + 1, p.y + 4 - view.ScrollTop());
    }
    QImage Grab() { return view.viewport()->grab().toImage(); }

    std::vector<std::unique_ptr<NoteEditEngine::CNoteDocument>> notes;
    int64_t now = 100000;
    CNoteScrollView view;
};
