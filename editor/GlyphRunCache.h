#pragma once

#include <QImage>
#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

#include "base/Sightings.h"

// Runs of text already rasterised, so that painting a row seen before is one image blit rather
// than shaping and blending every glyph again. A run is keyed by its text and by the drawing state
// (font, colours, selected or not) it was drawn in; the owner clears the cache whenever a state
// may come to mean something else (a new text size, another device pixel ratio). The least
// recently used runs go once the images pass the byte budget or the count of runs passes its cap.
class CGlyphRunCache {
public:
    struct Run {
        QImage image;  // the run's box: its background and glyphs, nothing outside it
        int32_t width = 0;
        bool inkInside = false;  // no glyph reached beyond the box: it may stand beside others
    };

    explicit CGlyphRunCache(int64_t byteBudget = int64_t{32} << 20, size_t maxRuns = 4096)
        : m_byteBudget(byteBudget), m_maxRuns(maxRuns), m_seen(2 * maxRuns) {}
    CGlyphRunCache(const CGlyphRunCache&) = delete;
    CGlyphRunCache& operator=(const CGlyphRunCache&) = delete;

    // The run drawn in `state` with this text, now the most recently used; null when not held.
    // The pointer is valid until the next Insert or Clear.
    [[nodiscard]] const Run* Find(const void* state, std::u16string_view text);
    // Holds the run (replacing one with the same key), dropping the least recently used ones
    // beyond the budget; a run larger than the whole budget is not held.
    void Insert(const void* state, std::u16string_view text, Run run);
    // Notes a run drawn without being held: true when the same run was noted twice before (since
    // the last Clear, and among the last few thousand noted), so that only runs drawn again and
    // again are held. The row the caret blinks in is; a row seen at both ends of a page step is
    // drawn twice and never after.
    [[nodiscard]] bool SeenTwiceBefore(const void* state, std::u16string_view text);
    void Clear() noexcept;
    [[nodiscard]] size_t Size() const noexcept { return m_map.size(); }
    [[nodiscard]] int64_t Bytes() const noexcept { return m_bytes; }

private:
    struct Entry {
        size_t hash;
        const void* state;
        std::u16string text;
        Run run;
    };
    using Order = std::list<Entry>;  // most recently used first

    [[nodiscard]] static size_t HashOf(const void* state, std::u16string_view text) noexcept;
    void Erase(Order::iterator entry);

    int64_t m_byteBudget;
    size_t m_maxRuns;
    int64_t m_bytes = 0;
    Order m_order;
    // By hash; two keys of one hash share the slot, the later one winning.
    std::unordered_map<size_t, Order::iterator> m_map;
    // How often the runs noted by SeenTwiceBefore were, by hash; a hash shared by two runs makes
    // the second one held early, nothing worse.
    NoteBase::CSightings m_seen;
};
