// Addresses and words found in a paragraph's text, at the edges that end or join them.
#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "base/Utf8.h"
#include "base/WordFinder.h"

namespace NoteBase {
namespace {

struct Case {
    const char16_t* text;
    std::vector<std::u16string> found;
};

template <typename Find>
void ExpectFound(const std::vector<Case>& cases, Find find) {
    std::setlocale(LC_ALL, "C.UTF-8");
    for (const Case& c : cases) {
        const std::u16string_view text = c.text;
        std::vector<std::u16string> found;
        for (const TextSpan& span : find(text))
            found.emplace_back(text.substr(span.begin, span.end - span.begin));
        EXPECT_EQ(found, c.found) << Utf16ToUtf8(text);
    }
}

TEST(WordFinderTest, LinksEndBeforeSentencePunctuationAndUnopenedBrackets) {
    ExpectFound(
        {
            {u"http://a.b", {u"http://a.b"}},
            {u"HTTPS://A.B/c", {u"HTTPS://A.B/c"}},
            {u"go to www.x.org.", {u"www.x.org"}},
            {u"(see https://en.x.org/wiki/A_(b)).", {u"https://en.x.org/wiki/A_(b)"}},
            {u"(http://a.b/c)", {u"http://a.b/c"}},
            {u"[http://a.b/c]", {u"http://a.b/c"}},
            {u"http://a.b/[x]?", {u"http://a.b/[x]"}},
            {u"mailto:me@x.org, http://a.b;", {u"mailto:me@x.org", u"http://a.b"}},
            {u"<http://a.b>\"http://c.d\"", {u"http://a.b", u"http://c.d"}},
            {u"'http://a.b/q?x=1&y=2'!", {u"http://a.b/q?x=1&y=2"}},
            {u"xhttp://a.b www. http:// http://.. 1www.a.b", {}},
            {u"http://a.b/\u00fcber x", {u"http://a.b/\u00fcber"}},
            {u"http://a.b\u00a0x", {u"http://a.b"}},
        },
        FindLinks);
}

TEST(WordFinderTest, WordsSkipAddressesDigitsAndNames) {
    ExpectFound(
        {
            {u"Teh quick, brwn fox.", {u"Teh", u"quick", u"brwn", u"fox"}},
            {u"don't rock\u2019n roll 'quoted'", {u"don't", u"rock\u2019n", u"roll", u"quoted"}},
            {u"see http://wrng.example/splel now", {u"see", u"now"}},
            {u"abc123 2nd 42 x", {u"x"}},
            {u"me@host.org file.txt a_b c/d e.g. end.", {u"end"}},
            {u"well-known (paren) [brack]", {u"well", u"known", u"paren", u"brack"}},
            {u"\u00fcber na\u00efve", {u"\u00fcber", u"na\u00efve"}},
            {u"it'www.a.b", {u"it"}},
            {u"", {}},
        },
        [](std::u16string_view text) { return FindWords(text); });
}

}  // namespace
}  // namespace NoteBase
