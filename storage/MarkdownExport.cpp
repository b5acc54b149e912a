// The Markdown export: CommonMark with the task-list extension.

#include <algorithm>
#include <array>

#include "base/WordFinder.h"
#include "storage/ContentWalk.h"
#include "storage/ExportParagraphs.h"
#include "storage/NoteExport.h"

namespace NoteStorage {

using NoteEditEngine::CharacterStyle;

namespace {

constexpr int32_t kMaxHeadingLevel = 6;

int32_t HeadingLevel(int32_t depth, int32_t below) {
    return static_cast<int32_t>(
        std::min<int64_t>(int64_t{std::max(depth, 0)} + 1 + below, kMaxHeadingLevel));
}

bool IsAsciiPunctuation(char16_t c) noexcept {
    return (c >= u'!' && c <= u'/') || (c >= u':' && c <= u'@') || (c >= u'[' && c <= u'`') ||
           (c >= u'{' && c <= u'~');
}

bool IsAsciiDigit(char16_t c) noexcept {
    return c >= u'0' && c <= u'9';
}

// White space as CommonMark's emphasis rules see it: the space and the Unicode space separators.
bool IsMarkdownSpace(char16_t c) noexcept {
    return c == u' ' || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

// How a character beside an emphasis delimiter counts. kOther is what this side cannot classify
// for sure (symbols and punctuation beyond ASCII, space separators); the rules below treat it as
// the worst case.
enum class Side { kSpace, kPunctuation, kWord, kOther };

Side Classify(char16_t c) noexcept {
    if (c == u' ') return Side::kSpace;
    if (IsAsciiPunctuation(c)) return Side::kPunctuation;
    if (NoteBase::IsLetterOrDigit(c)) return Side::kWord;
    return Side::kOther;
}

// --- Inline text ---

enum class Context { kBlock, kHeading };

constexpr int kStrong = CharacterStyle::kStrong;
constexpr size_t kNone = static_cast<size_t>(-1);

// One stretch of a character style: its opening and closing are written either as its delimiter
// ("**", "*") or, where it has none or CommonMark would not read the delimiters back as this
// stretch, as raw HTML.
struct Span {
    int flag = 0;
    bool html = false;
    size_t opensAt = 0;  // the points of its two ends
    size_t closesAt = 0;
};

// What stands between two characters: style stretches closing and opening, and link brackets.
struct Token {
    enum Kind { kClose, kOpen, kLiteral } kind = kLiteral;
    size_t span = 0;
    std::u16string literal;
};

std::u16string_view Delimiter(int flag) noexcept {
    return NoteEditEngine::kCharacterStyles[flag].markdownDelimiter;
}

class CInlineWriter {
public:
    CInlineWriter(const ExportParagraph& paragraph, Context context, bool withLinks)
        : m_text(paragraph.text), m_styles(paragraph.styles), m_context(context) {
        m_styles.resize(m_text.size());
        if (withLinks) m_links = NoteBase::FindLinks(m_text);
        // Addresses hold no spaces, so moving spaces out of emphasis below keeps these choices.
        m_autolinkEnd.assign(m_text.size() + 1, 0);
        m_autolinkEnds.assign(m_text.size() + 1, false);
        m_bracketAt.assign(m_text.size() + 1, false);
        for (const NoteBase::TextSpan& link : m_links) {
            if (IsAutolink(link)) {
                m_autolinkEnd[link.begin] = link.end;
                m_autolinkEnds[link.end] = true;
            } else {
                m_bracketAt[link.begin] = m_bracketAt[link.end] = true;
            }
        }
        MoveSpacesOutOfEmphasis();
        BuildPoints();
        ChooseHtmlSpans();
    }
    CInlineWriter(const CInlineWriter&) = delete;
    CInlineWriter& operator=(const CInlineWriter&) = delete;

    void Write(std::u16string& out) const {
        for (size_t p = 0; p <= m_text.size(); ++p) {
            for (const Token& token : m_points[p])
                AppendToken(token, out);
            if (p == m_text.size()) break;
            if (const size_t end = m_autolinkEnd[p]; end != 0) {
                out.push_back(u'<');
                out.append(m_text, p, end - p);
                out.push_back(u'>');
                p = end - 1;
                continue;
            }
            AppendCharacter(p, out);
        }
    }

private:
    // A delimited stretch (Strong, Comment) that starts or ends on a space cannot be written
    // (CommonMark does not open "** x" or close "x **"), so spaces keep those flags only between
    // two characters that both have them and with no link bracket beside them. The look of a space
    // does not change by it; Highlight, which paints spaces, is written as HTML and keeps them.
    void MoveSpacesOutOfEmphasis() {
        const size_t n = m_text.size();
        for (size_t begin = 0; begin < n;) {
            if (!IsMarkdownSpace(m_text[begin])) {
                ++begin;
                continue;
            }
            size_t end = begin;
            while (end < n && IsMarkdownSpace(m_text[end]))
                ++end;
            for (int flag = 0; flag < CharacterStyle::kFlagCount; ++flag) {
                if (Delimiter(flag).empty()) continue;
                const bool keep = begin > 0 && end < n && m_styles[begin - 1].Test(flag) &&
                                  m_styles[end].Test(flag) && !m_bracketAt[begin] &&
                                  !m_bracketAt[end];
                for (size_t i = begin; i < end; ++i) {
                    if (keep) {
                        m_styles[i].Set(flag);
                    } else {
                        m_styles[i].Clear(flag);
                    }
                }
            }
            begin = end;
        }
    }

    // An address becomes an autolink "<...>" when it has a scheme, one style throughout, and no
    // "&" (an autolink decodes entities and takes no escapes); otherwise an inline link.
    [[nodiscard]] bool IsAutolink(const NoteBase::TextSpan& link) const {
        if (!NoteBase::LinkHasScheme(m_text, link)) return false;
        for (size_t i = link.begin; i < link.end; ++i) {
            if (m_text[i] == u'&' || m_styles[i] != m_styles[link.begin]) return false;
        }
        return true;
    }

    void BuildPoints() {
        const size_t n = m_text.size();
        m_points.resize(n + 1);
        m_strongAfter.assign(n + 1, kNone);
        std::array<size_t, CharacterStyle::kFlagCount> openSpan{};
        CharacterStyle current;
        size_t point = 0;
        auto transition = [&](std::vector<Token>& tokens, CharacterStyle to) {
            AppendStyleTransition(
                current, to,
                [&](int flag) {
                    const size_t span = openSpan[static_cast<size_t>(flag)];
                    m_spans[span].closesAt = point;
                    tokens.push_back({Token::kClose, span, {}});
                },
                [&](int flag) {
                    openSpan[static_cast<size_t>(flag)] = m_spans.size();
                    m_spans.push_back({flag, Delimiter(flag).empty(), point, point});
                    tokens.push_back({Token::kOpen, m_spans.size() - 1, {}});
                });
            current = to;
        };
        size_t next = 0;  // the first link that has not ended before p
        for (size_t p = 0; p <= n; ++p) {
            point = p;
            std::vector<Token>& tokens = m_points[p];
            // Emphasis cannot cross a link's brackets: it closes before each and reopens after.
            if (next < m_links.size() && m_links[next].end == p) {
                const NoteBase::TextSpan& link = m_links[next++];
                if (m_autolinkEnd[link.begin] == 0) {
                    transition(tokens, CharacterStyle{});
                    std::u16string literal = u"](<";
                    if (!NoteBase::LinkHasScheme(m_text, link)) literal.append(u"http://");
                    for (size_t i = link.begin; i < link.end; ++i) {
                        // Readers differ on "\\&" in a destination; all decode the entity.
                        if (m_text[i] == u'&') {
                            literal.append(u"&amp;");
                        } else {
                            literal.push_back(m_text[i]);
                        }
                    }
                    literal.append(u">)");
                    tokens.push_back({Token::kLiteral, 0, std::move(literal)});
                }
            }
            if (next < m_links.size() && m_links[next].begin == p && m_autolinkEnd[p] == 0) {
                transition(tokens, CharacterStyle{});
                tokens.push_back({Token::kLiteral, 0, u"["});
            }
            transition(tokens, p < n ? m_styles[p] : CharacterStyle{});
            m_strongAfter[p] = current.Test(kStrong) ? openSpan[kStrong] : kNone;
        }
    }

    [[nodiscard]] bool IsDelimiter(const Token& token) const {
        return token.kind != Token::kLiteral && !m_spans[token.span].html;
    }

    // How the output character that ends character i (or begins it) counts beside a delimiter.
    [[nodiscard]] Side SideBefore(size_t p) const {
        if (p == 0) return Side::kSpace;
        // "&#32;" and an autolink's ">" end in punctuation.
        if (EscapedAsEntity(p - 1) || m_autolinkEnds[p]) return Side::kPunctuation;
        return Classify(m_text[p - 1]);
    }
    [[nodiscard]] Side SideAfter(size_t p) const {
        if (p == m_text.size()) return Side::kSpace;
        if (EscapedAsEntity(p) || m_autolinkEnd[p] != 0) return Side::kPunctuation;
        return Classify(m_text[p]);
    }

    // CommonMark reads a run of delimiters as opening when it is left-flanking and as closing when
    // it is right-flanking. A run must do exactly what it is written for; otherwise its stretches
    // go out as HTML, and a run that would both close and open at one place keeps only its closing
    // delimiters. A stretch turned into HTML changes the runs at its other end, which are checked
    // again; stretches only ever turn into HTML, so this ends.
    void ChooseHtmlSpans() {
        std::vector<size_t> pending(m_points.size());
        for (size_t p = 0; p < pending.size(); ++p)
            pending[p] = p;
        std::vector<bool> isPending(m_points.size(), true);
        while (!pending.empty()) {
            const size_t p = pending.back();
            pending.pop_back();
            isPending[p] = false;
            CheckDelimiterRuns(p, [&](size_t spanIndex) {
                Span& span = m_spans[spanIndex];
                if (span.html) return;
                span.html = true;
                for (const size_t q : {span.opensAt, span.closesAt}) {
                    if (!isPending[q]) {
                        isPending[q] = true;
                        pending.push_back(q);
                    }
                }
            });
        }
    }

    template <typename ToHtml>
    void CheckDelimiterRuns(size_t p, ToHtml toHtml) const {
        const std::vector<Token>& tokens = m_points[p];
        for (size_t k = 0; k < tokens.size();) {
            if (!IsDelimiter(tokens[k])) {
                ++k;
                continue;
            }
            size_t e = k;
            bool closes = false;
            bool opens = false;
            while (e < tokens.size() && IsDelimiter(tokens[e])) {
                (tokens[e].kind == Token::kClose ? closes : opens) = true;
                ++e;
            }
            // Beside an HTML tag or a link bracket stands punctuation.
            const Side before = k == 0 ? SideBefore(p) : Side::kPunctuation;
            const Side after = e == tokens.size() ? SideAfter(p) : Side::kPunctuation;
            const bool spaceOrPunctuationBefore =
                before == Side::kSpace || before == Side::kPunctuation;
            const bool spaceOrPunctuationAfter =
                after == Side::kSpace || after == Side::kPunctuation;
            bool ok = false;
            if (closes && !opens) {
                ok = before == Side::kWord ||
                     (before == Side::kPunctuation && spaceOrPunctuationAfter);
            } else if (opens && !closes) {
                ok = after == Side::kWord ||
                     (after == Side::kPunctuation && spaceOrPunctuationBefore);
                // An emphasis opening inside delimited Strong must not be able to close: it would
                // take the Strong's opening run for its own ("***a*b*" reads "b" as closing it).
                const size_t strong = m_strongAfter[p];
                if (ok && strong != kNone && m_spans[strong].opensAt < p && !m_spans[strong].html) {
                    ok = before == Side::kSpace ||
                         (before == Side::kPunctuation && after == Side::kWord);
                }
            }
            if (!ok) {
                for (size_t t = k; t < e; ++t) {
                    if (!(closes && opens && tokens[t].kind == Token::kClose))
                        toHtml(tokens[t].span);
                }
            }
            k = e;
        }
    }

    void AppendToken(const Token& token, std::u16string& out) const {
        if (token.kind == Token::kLiteral) {
            out.append(token.literal);
            return;
        }
        const Span& span = m_spans[token.span];
        if (!span.html) {
            out.append(Delimiter(span.flag));
            return;
        }
        out.append(token.kind == Token::kClose ? u"</" : u"<");
        out.append(NoteEditEngine::kCharacterStyles[span.flag].exportTag);
        out.push_back(u'>');
    }

    // A space that opens or ends a paragraph or heading would be stripped by the reader.
    [[nodiscard]] bool EscapedAsEntity(size_t i) const {
        return m_text[i] == u' ' && (i == 0 || i + 1 == m_text.size());
    }

    [[nodiscard]] bool NeedsBackslash(size_t i) const {
        const char16_t c = m_text[i];
        switch (c) {
            case u'\\':
            case u'`':
            case u'*':
            case u'_':
            case u'[':
            case u']':
            case u'<':
            case u'|':
            case u'~':
                return true;
            case u'&':
                // Only where it could start an entity ("&amp;", "&#32;").
                return i + 1 < m_text.size() &&
                       (m_text[i + 1] == u'#' || NoteBase::IsLetterOrDigit(m_text[i + 1]));
            case u'#':
                return m_context == Context::kHeading || i == 0;
            case u'!':
                // "![" before a link's bracket would make it an image.
                return m_bracketAt[i + 1];
            default:
                break;
        }
        if (m_context == Context::kHeading) return false;
        // What would start another block at the start of a line: a quote, a list marker, a
        // heading underline, or the "1." / "1)" of an ordered list.
        if (i == 0) return c == u'>' || c == u'-' || c == u'+' || c == u'=';
        if (c == u'.' || c == u')') {
            return std::all_of(m_text.begin(), m_text.begin() + static_cast<ptrdiff_t>(i),
                               IsAsciiDigit);
        }
        return false;
    }

    void AppendCharacter(size_t i, std::u16string& out) const {
        if (EscapedAsEntity(i)) {
            out.append(u"&#32;");
            return;
        }
        if (NeedsBackslash(i)) out.push_back(u'\\');
        out.push_back(m_text[i]);
    }

    const std::u16string& m_text;
    std::vector<CharacterStyle> m_styles;
    Context m_context;
    std::vector<NoteBase::TextSpan> m_links;
    std::vector<size_t> m_autolinkEnd;  // by character: where an autolink starting there ends
    std::vector<bool> m_autolinkEnds;   // by point: an autolink ends there
    std::vector<bool> m_bracketAt;      // by point: an inline link's bracket stands there
    std::vector<Span> m_spans;
    std::vector<std::vector<Token>> m_points;
    std::vector<size_t> m_strongAfter;  // by point: the Strong stretch open after it, or kNone  //
                                        // before each character, and after the last
};

void AppendInline(const ExportParagraph& paragraph, Context context, std::u16string& out) {
    const CInlineWriter writer(paragraph, context, true);
    writer.Write(out);
}

// --- Blocks ---

class CMarkdownWriter {
public:
    explicit CMarkdownWriter(std::u16string& out) : m_out(out) {}
    CMarkdownWriter(const CMarkdownWriter&) = delete;
    CMarkdownWriter& operator=(const CMarkdownWriter&) = delete;

    void WriteNote(const ExportNote& note) {
        const int32_t depth = std::max(note.depth, 0);
        ExportParagraph title;
        title.text = ExportableText(note.title);
        title.styles.resize(title.text.size());
        StartBlock(false);
        AppendHeadingMarker(HeadingLevel(depth, 0), title.text.empty());
        // A title is the tree's label, not text: no links in it.
        const CInlineWriter writer(title, Context::kHeading, false);
        writer.Write(m_out);
        m_out.push_back(u'\n');

        std::vector<ExportParagraph> paragraphs = ReadExportParagraphs(note.document);
        DropTitleParagraph(paragraphs, note.title);
        ForEachExportBlock(paragraphs, [&](ExportBlock kind, size_t first, size_t last) {
            if (kind == ExportBlock::Code) {
                WriteCode(paragraphs, first, last);
            } else if (kind == ExportBlock::List) {
                WriteList(paragraphs, first, last);
            } else {
                WriteParagraph(paragraphs[first], depth);
            }
        });
    }

private:
    // Blocks are separated by one blank line; an empty paragraph adds one more and nothing else,
    // so it does not end a list that goes on after it (see WriteList).
    void StartBlock(bool list) {
        if (m_started) m_out.push_back(u'\n');
        m_started = true;
        m_bullet = list && m_listBefore && m_bullet == u'-' ? u'*' : u'-';
        m_listBefore = list;
    }

    void AppendHeadingMarker(int32_t level, bool empty) {
        m_out.append(static_cast<size_t>(level), u'#');
        if (!empty) m_out.push_back(u' ');
    }

    void WriteParagraph(const ExportParagraph& paragraph, int32_t depth) {
        if (const int32_t header = NoteEditEngine::ParagraphStyleOf(paragraph.style).headerLevel;
            header > 0) {
            StartBlock(false);
            AppendHeadingMarker(HeadingLevel(depth, header), paragraph.text.empty());
            AppendInline(paragraph, Context::kHeading, m_out);
            m_out.push_back(u'\n');
            return;
        }
        if (paragraph.text.empty()) {
            // The blank line of an empty paragraph; a list before it still counts as just before.
            if (m_started) m_out.push_back(u'\n');
            return;
        }
        StartBlock(false);
        AppendInline(paragraph, Context::kBlock, m_out);
        m_out.push_back(u'\n');
    }

    // Consecutive Fixed Width paragraphs as one fenced block, four spaces per indent level. The
    // fence is longer than any run of backticks inside, so no line can close it.
    void WriteCode(const std::vector<ExportParagraph>& paragraphs, size_t first, size_t last) {
        size_t longest = 0;
        for (size_t i = first; i < last; ++i) {
            size_t run = 0;
            for (const char16_t c : paragraphs[i].text) {
                run = c == u'`' ? run + 1 : 0;
                longest = std::max(longest, run);
            }
        }
        const std::u16string fence(std::max<size_t>(3, longest + 1), u'`');
        StartBlock(false);
        m_out.append(fence);
        m_out.push_back(u'\n');
        for (size_t i = first; i < last; ++i) {
            m_out.append(static_cast<size_t>(paragraphs[i].indent) * 4, u' ');
            m_out.append(paragraphs[i].text);
            m_out.push_back(u'\n');
        }
        m_out.append(fence);
        m_out.push_back(u'\n');
    }

    // A run of list paragraphs; an item goes under the nearest item above it with a lower indent,
    // two spaces deeper than that item's marker. A list that follows another one with only empty
    // paragraphs between takes the other bullet, which CommonMark reads as a new list.
    void WriteList(const std::vector<ExportParagraph>& paragraphs, size_t first, size_t last) {
        StartBlock(true);
        std::vector<int32_t> open;  // the indent of each open level, outermost first
        for (size_t i = first; i < last; ++i) {
            const ExportParagraph& paragraph = paragraphs[i];
            while (open.size() > 1 && open.back() > paragraph.indent)
                open.pop_back();
            if (open.empty() || open.back() < paragraph.indent) {
                open.push_back(paragraph.indent);
            } else {
                open.back() = paragraph.indent;
            }
            m_out.append(2 * (open.size() - 1), u' ');
            m_out.push_back(m_bullet);
            m_out.push_back(u' ');
            WriteItemText(paragraph);
            m_out.push_back(u'\n');
        }
    }

    void WriteItemText(const ExportParagraph& paragraph) {
        const NoteEditEngine::ParagraphStyleDescriptor& style =
            NoteEditEngine::ParagraphStyleOf(paragraph.style);
        if (paragraph.text.empty()) {
            m_out.append(style.markdownEmptyItem);
            return;
        }
        m_out.append(style.markdownItem);
        AppendInline(paragraph, Context::kBlock, m_out);
    }

    std::u16string& m_out;
    bool m_started = false;
    bool m_listBefore = false;
    char16_t m_bullet = u'-';
};

}  // namespace

void WriteMarkdownExport(const std::vector<ExportNote>& notes, std::u16string& out) {
    CMarkdownWriter writer(out);
    for (const ExportNote& note : notes)
        writer.WriteNote(note);
}

}  // namespace NoteStorage
