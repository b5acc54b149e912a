#include "base/WordFinder.h"

#include <array>
#include <cwctype>

#include "base/CaseFolding.h"
#include "base/Utf16.h"

namespace NoteBase {

namespace {

bool IsLinkCharacter(char16_t c) noexcept {
    if (c >= 0x80) return IsLetterOrDigit(c);
    if (c <= 0x20 || c == 0x7F) return false;
    switch (c) {
        case u'"':
        case u'<':
        case u'>':
        case u'`':
        case u'\\':
        case u'{':
        case u'}':
        case u'|':
        case u'^':
            return false;
        default:
            return true;
    }
}

bool StartsWithNoCase(std::u16string_view text, size_t at, std::u16string_view prefix) noexcept {
    if (text.size() - at < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (LowerAscii(text[at + i]) != prefix[i]) return false;
    }
    return true;
}

constexpr std::array<std::u16string_view, 4> kLinkPrefixes = {u"http://", u"https://", u"mailto:",
                                                              u"www."};

// Where a link that starts at `begin` with a prefix of `prefixSize` ends, or `begin` for none.
size_t LinkEnd(std::u16string_view text, size_t begin, size_t prefixSize) {
    size_t end = begin + prefixSize;
    while (end < text.size() && IsLinkCharacter(text[end]))
        ++end;
    // Sentence punctuation after an address is not part of it; a closing bracket is when it
    // closes one inside the address ("https://en.example.org/wiki/A_(b)").
    while (end > begin + prefixSize) {
        const char16_t last = text[end - 1];
        if (std::u16string_view(u".,:;!?'*_~").find(last) != std::u16string_view::npos) {
            --end;
            continue;
        }
        const char16_t open = last == u')' ? u'(' : last == u']' ? u'[' : 0;
        if (open == 0) break;
        const std::u16string_view inside = text.substr(begin, end - begin);
        size_t opens = 0;
        size_t closes = 0;
        for (const char16_t c : inside) {
            opens += c == open ? 1 : 0;
            closes += c == last ? 1 : 0;
        }
        if (closes <= opens) break;
        --end;
    }
    const std::u16string_view rest = text.substr(begin + prefixSize, end - begin - prefixSize);
    for (const char16_t c : rest) {
        if (IsLetterOrDigit(c)) return end;
    }
    return begin;
}

bool IsApostrophe(char16_t c) noexcept {
    return c == u'\'' || c == u'\u2019';
}

// Joins a word to something that is no word: an address, a name, an identifier.
bool IsJoiner(char16_t c) noexcept {
    switch (c) {
        case u'@':
        case u'_':
        case u'/':
        case u'\\':
        case u'#':
        case u'=':
        case u'&':
            return true;
        default:
            return false;
    }
}

}  // namespace

bool IsLetterOrDigitBeyondAscii(char16_t c) noexcept {
    return !IsSurrogate(c) && std::iswalnum(static_cast<wint_t>(c)) != 0;
}

std::vector<TextSpan> FindLinks(std::u16string_view text) {
    std::vector<TextSpan> links;
    for (size_t i = 0; i < text.size(); ++i) {
        // Every prefix begins with one of these: most places are no address's start.
        const char16_t first = LowerAscii(text[i]);
        if (first != u'h' && first != u'm' && first != u'w') continue;
        if (i > 0 && IsLetterOrDigit(text[i - 1])) continue;
        for (const std::u16string_view prefix : kLinkPrefixes) {
            if (!StartsWithNoCase(text, i, prefix)) continue;
            const size_t end = LinkEnd(text, i, prefix.size());
            if (end != i) {
                links.push_back({i, end});
                i = end - 1;
            }
            break;
        }
    }
    return links;
}

bool LinkHasScheme(std::u16string_view text, const TextSpan& link) noexcept {
    return !StartsWithNoCase(text, link.begin, u"www.");
}

std::u16string LinkTarget(std::u16string_view text, const TextSpan& link) {
    std::u16string target = LinkHasScheme(text, link) ? u"" : u"http://";
    target += text.substr(link.begin, link.end - link.begin);
    return target;
}

std::vector<TextSpan> FindWords(std::u16string_view text) {
    std::vector<TextSpan> words;
    FindWords(text, FindLinks(text), words);
    return words;
}

void FindWords(std::u16string_view text, const std::vector<TextSpan>& links,
               std::vector<TextSpan>& words) {
    words.clear();
    size_t nextLink = 0;
    const auto letterAt = [&text](size_t i) { return i < text.size() && IsLetterOrDigit(text[i]); };
    const auto linkAt = [&](size_t i) {
        while (nextLink < links.size() && links[nextLink].end <= i)
            ++nextLink;
        return nextLink < links.size() && links[nextLink].begin <= i;
    };
    for (size_t i = 0; i < text.size();) {
        if (linkAt(i)) {
            i = links[nextLink].end;
            continue;
        }
        if (!IsLetterOrDigit(text[i])) {
            ++i;
            continue;
        }
        const size_t begin = i;
        bool digit = false;
        while (i < text.size()) {
            if (IsLetterOrDigit(text[i])) {
                digit =
                    digit || (text[i] < 0x80 ? text[i] >= u'0' && text[i] <= u'9'
                                             : std::iswdigit(static_cast<wint_t>(text[i])) != 0);
                ++i;
            } else if (IsApostrophe(text[i]) && letterAt(i + 1) && !linkAt(i + 1)) {
                i += 2;
            } else {
                break;
            }
        }
        const char16_t before = begin > 0 ? text[begin - 1] : u' ';
        const char16_t after = i < text.size() ? text[i] : u' ';
        const bool joined = IsJoiner(before) || IsJoiner(after) ||
                            (before == u'.' && begin >= 2 && letterAt(begin - 2)) ||
                            (after == u'.' && letterAt(i + 1));
        if (!digit && !joined) words.push_back({begin, i});
    }
}

}  // namespace NoteBase
