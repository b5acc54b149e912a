#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace NoteStorage {

// How a query matches, with the find dialog's rules: without matchCase both sides are lower-cased
// code unit by code unit (surrogate halves kept); with wholeWord the code units on either side of
// a match are not word characters. A match never spans a paragraph mark (u'\n').
struct SearchOptions {
    bool matchCase = false;
    bool wholeWord = false;
};

// The first match in one note.
struct SearchHit {
    std::u16string noteId;
    size_t offset = 0;  // in the note's searchable text
    size_t length = 0;
    // The paragraph holding the match. One longer than kLineLength code units is cut to that
    // many: from kLineLead code units before the match (fewer at the paragraph start, more when
    // the paragraph ends soon after the match), and never through the match or a surrogate pair;
    // cutBefore and cutAfter tell where text was left out.
    std::u16string line;
    size_t lineOffset = 0;  // where the match starts in `line`
    bool cutBefore = false;
    bool cutAfter = false;
};

inline constexpr size_t kLineLength = 120;
inline constexpr size_t kLineLead = 40;

// The searchable texts of the notes of one folder, by note identifier, in memory. Single-threaded:
// the user-interface thread owns it; texts read on a worker are handed over and Set here.
class CNoteTextIndex {
public:
    // Takes the lower case of every code unit from the locale in effect now.
    CNoteTextIndex();

    void Set(std::u16string noteId, std::u16string text);
    void Remove(std::u16string_view noteId);
    void Clear();
    [[nodiscard]] bool Contains(std::u16string_view noteId) const;
    [[nodiscard]] size_t Size() const noexcept;
    // Every note holding the pattern, each with its first match, in no particular order. An empty
    // pattern or one holding u'\n' or u'\r' matches nothing.
    [[nodiscard]] std::vector<SearchHit> Search(std::u16string_view pattern,
                                                SearchOptions options) const;

private:
    // The text and its copy lower-cased code unit by code unit, each kept in one form: as bytes
    // when every unit is below 256 (most notes: half the memory to scan), else as UTF-16.
    struct Entry {
        std::u16string noteId;
        std::string text8;
        std::u16string text16;
        std::string lower8;
        std::u16string lower16;
        bool narrowText = false;
        bool narrowLower = false;
    };
    // In one array, so that a search walks memory in order; a removed entry's place is taken
    // by the last one.
    std::vector<char16_t> m_lower;  // the lower case of every code unit
    std::vector<Entry> m_entries;
    std::unordered_map<std::u16string, size_t> m_slots;  // note identifier to place in m_entries
};

}  // namespace NoteStorage
