#include "storage/PdfOutline.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <utility>

namespace NoteStorage {

namespace {

// Limits that keep a hostile file from making the reader recurse or loop without end.
constexpr int kMaxNesting = 64;
constexpr int kMaxPageTreeDepth = 64;
constexpr int kMaxXrefSections = 64;
constexpr uint32_t kMaxObjectNumber = 8'000'000;
constexpr size_t kMaxPages = 1'000'000;

bool IsWhite(char c) noexcept {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

bool IsDelimiter(char c) noexcept {
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' ||
           c == '}' || c == '/' || c == '%';
}

bool IsRegular(char c) noexcept {
    return !IsWhite(c) && !IsDelimiter(c);
}

// One parsed object. Only what the reader needs is kept apart; every value remembers where it
// was written so that it can be copied as written.
struct Value {
    enum class Kind { Other, Number, Name, Array, Dictionary, Reference };
    Kind kind = Kind::Other;
    std::string_view text;  // the name without "/", the number or keyword as written
    size_t begin = 0;
    size_t end = 0;
    int64_t number = 0;
    PdfObjectRef ref;
    // Array items, or a dictionary's values with their keys beside them (a pair could not hold
    // a Value while Value is still being defined).
    std::vector<Value> items;
    std::vector<std::string_view> keys;

    [[nodiscard]] const Value* Find(std::string_view key) const {
        for (size_t i = 0; i < keys.size(); ++i)
            if (keys[i] == key) return &items[i];
        return nullptr;
    }
    [[nodiscard]] bool IsName(std::string_view name) const {
        return kind == Kind::Name && text == name;
    }
};

class CLexer {
public:
    explicit CLexer(std::string_view pdf, size_t at = 0) : m_pdf(pdf), m_at(at) {}

    [[nodiscard]] size_t At() const noexcept { return m_at; }

    void SkipWhite() {
        while (m_at < m_pdf.size()) {
            if (IsWhite(m_pdf[m_at])) {
                ++m_at;
            } else if (m_pdf[m_at] == '%') {
                while (m_at < m_pdf.size() && m_pdf[m_at] != '\n' && m_pdf[m_at] != '\r')
                    ++m_at;
            } else {
                break;
            }
        }
    }

    // A run of regular characters (a number or a keyword); empty when none follows.
    std::string_view Word() {
        SkipWhite();
        const size_t start = m_at;
        while (m_at < m_pdf.size() && IsRegular(m_pdf[m_at]))
            ++m_at;
        return m_pdf.substr(start, m_at - start);
    }

    bool Keyword(std::string_view word) {
        const size_t start = m_at;
        if (Word() == word) return true;
        m_at = start;
        return false;
    }

    // A non-negative integer of at most 18 digits.
    bool Unsigned(int64_t& value) {
        const size_t start = m_at;
        const std::string_view word = Word();
        if (ParseUnsigned(word, value)) return true;
        m_at = start;
        return false;
    }

    static bool ParseUnsigned(std::string_view word, int64_t& value) {
        if (word.empty() || word.size() > 18) return false;
        value = 0;
        for (const char c : word) {
            if (c < '0' || c > '9') return false;
            value = value * 10 + (c - '0');
        }
        return true;
    }

    bool ParseValue(Value& value, int nesting) {
        if (nesting > kMaxNesting) return false;
        SkipWhite();
        if (m_at >= m_pdf.size()) return false;
        value.begin = m_at;
        const char c = m_pdf[m_at];
        bool parsed = false;
        if (c == '/') {
            ++m_at;
            const size_t start = m_at;
            while (m_at < m_pdf.size() && IsRegular(m_pdf[m_at]))
                ++m_at;
            value.kind = Value::Kind::Name;
            value.text = m_pdf.substr(start, m_at - start);
            parsed = true;
        } else if (c == '(') {
            parsed = SkipLiteralString();
        } else if (c == '<' && m_at + 1 < m_pdf.size() && m_pdf[m_at + 1] == '<') {
            parsed = ParseDictionary(value, nesting);
        } else if (c == '<') {
            const size_t close = m_pdf.find('>', m_at);
            parsed = close != std::string_view::npos;
            if (parsed) m_at = close + 1;
        } else if (c == '[') {
            parsed = ParseArray(value, nesting);
        } else if (IsRegular(c)) {
            parsed = ParseWord(value);
        }
        value.end = m_at;
        return parsed;
    }

private:
    bool SkipLiteralString() {
        int open = 0;
        while (m_at < m_pdf.size()) {
            const char c = m_pdf[m_at++];
            if (c == '\\') {
                if (m_at < m_pdf.size()) ++m_at;
            } else if (c == '(') {
                ++open;
            } else if (c == ')' && --open == 0) {
                return true;
            }
        }
        return false;
    }

    bool ParseDictionary(Value& value, int nesting) {
        value.kind = Value::Kind::Dictionary;
        m_at += 2;
        while (true) {
            SkipWhite();
            if (m_at + 1 < m_pdf.size() && m_pdf[m_at] == '>' && m_pdf[m_at + 1] == '>') {
                m_at += 2;
                return true;
            }
            Value key;
            if (!ParseValue(key, nesting + 1) || key.kind != Value::Kind::Name) return false;
            Value item;
            if (!ParseValue(item, nesting + 1)) return false;
            value.keys.push_back(key.text);
            value.items.push_back(std::move(item));
        }
    }

    bool ParseArray(Value& value, int nesting) {
        value.kind = Value::Kind::Array;
        ++m_at;
        while (true) {
            SkipWhite();
            if (m_at < m_pdf.size() && m_pdf[m_at] == ']') {
                ++m_at;
                return true;
            }
            Value item;
            if (!ParseValue(item, nesting + 1)) return false;
            value.items.push_back(std::move(item));
        }
    }

    // A number, a keyword, or a reference "number generation R".
    bool ParseWord(Value& value) {
        value.text = Word();
        int64_t number = 0;
        if (!ParseUnsigned(value.text, number)) {
            value.kind = Value::Kind::Other;
            return true;
        }
        value.kind = Value::Kind::Number;
        value.number = number;
        const size_t afterNumber = m_at;
        int64_t generation = 0;
        if (number <= kMaxObjectNumber && Unsigned(generation) && generation <= 65535 &&
            Keyword("R")) {
            value.kind = Value::Kind::Reference;
            value.ref = {static_cast<uint32_t>(number), static_cast<uint32_t>(generation)};
            return true;
        }
        m_at = afterNumber;
        return true;
    }

    std::string_view m_pdf;
    size_t m_at;
};

struct XrefEntry {
    size_t offset = 0;
    uint32_t generation = 0;
    bool used = false;
};

class CReader {
public:
    explicit CReader(std::string_view pdf) : m_pdf(pdf) {}

    bool Read(PdfStructure& structure) {
        if (!FindLastXref(structure.lastXref)) return false;
        const Value* trailerSize = nullptr;
        const Value* root = nullptr;
        std::set<size_t> seen;
        size_t xref = structure.lastXref;
        for (int section = 0;; ++section) {
            if (section >= kMaxXrefSections || !seen.insert(xref).second) return false;
            auto trailer = std::make_unique<Value>();
            if (!ReadXrefSection(xref, *trailer)) return false;
            const Value* prev = trailer->Find("Prev");
            if (section == 0) {
                trailerSize = trailer->Find("Size");
                root = trailer->Find("Root");
                if (const Value* info = trailer->Find("Info")) structure.infoValue = Raw(*info);
                if (const Value* id = trailer->Find("ID")) structure.idValue = Raw(*id);
            }
            m_trailers.push_back(std::move(trailer));
            if (prev == nullptr) break;
            if (prev->kind != Value::Kind::Number || prev->number < 0 ||
                static_cast<uint64_t>(prev->number) >= m_pdf.size()) {
                return false;
            }
            xref = static_cast<size_t>(prev->number);
        }
        if (trailerSize == nullptr || trailerSize->kind != Value::Kind::Number) return false;
        if (root == nullptr || root->kind != Value::Kind::Reference) return false;
        structure.root = root->ref;
        uint32_t size =
            static_cast<uint32_t>(std::min<int64_t>(trailerSize->number, kMaxObjectNumber));
        if (!m_xref.empty()) size = std::max(size, m_xref.rbegin()->first + 1);
        structure.size = std::max(size, structure.root.number + 1);

        Value catalog;
        if (!ReadObject(structure.root, catalog) || catalog.kind != Value::Kind::Dictionary)
            return false;
        const Value* type = catalog.Find("Type");
        const Value* pages = catalog.Find("Pages");
        if (type == nullptr || !type->IsName("Catalog") || pages == nullptr ||
            pages->kind != Value::Kind::Reference) {
            return false;
        }
        structure.catalog.clear();
        for (size_t i = 0; i < catalog.keys.size(); ++i) {
            const std::string_view name = catalog.keys[i];
            if (name == "Outlines" || name == "PageMode") continue;
            structure.catalog += '/';
            structure.catalog += name;
            structure.catalog += ' ';
            structure.catalog += Raw(catalog.items[i]);
            structure.catalog += '\n';
        }
        structure.pages.clear();
        return CollectPages(pages->ref, 0, structure.pages) && !structure.pages.empty();
    }

private:
    [[nodiscard]] std::string Raw(const Value& value) const {
        return std::string(m_pdf.substr(value.begin, value.end - value.begin));
    }

    bool FindLastXref(size_t& offset) const {
        const size_t at = m_pdf.rfind("startxref");
        if (at == std::string_view::npos) return false;
        CLexer lexer(m_pdf, at + 9);
        int64_t value = 0;
        if (!lexer.Unsigned(value) || static_cast<uint64_t>(value) >= m_pdf.size()) return false;
        offset = static_cast<size_t>(value);
        return true;
    }

    // One classic cross-reference section and its trailer. Entries already known from a later
    // section win.
    bool ReadXrefSection(size_t offset, Value& trailer) {
        CLexer lexer(m_pdf, offset);
        if (!lexer.Keyword("xref")) return false;
        while (!lexer.Keyword("trailer")) {
            int64_t first = 0;
            int64_t count = 0;
            if (!lexer.Unsigned(first) || !lexer.Unsigned(count)) return false;
            if (first + count > kMaxObjectNumber) return false;
            for (int64_t i = 0; i < count; ++i) {
                int64_t entryOffset = 0;
                int64_t generation = 0;
                if (!lexer.Unsigned(entryOffset) || !lexer.Unsigned(generation)) return false;
                const std::string_view kind = lexer.Word();
                if (kind != "n" && kind != "f") return false;
                XrefEntry entry;
                entry.used = kind == "n";
                entry.offset = static_cast<size_t>(entryOffset);
                entry.generation = static_cast<uint32_t>(std::min<int64_t>(generation, 65535));
                if (entry.used && static_cast<uint64_t>(entryOffset) >= m_pdf.size()) return false;
                m_xref.emplace(static_cast<uint32_t>(first + i), entry);
            }
        }
        return lexer.ParseValue(trailer, 0) && trailer.kind == Value::Kind::Dictionary;
    }

    // The object `ref` names: "number generation obj" at its offset, then its value.
    bool ReadObject(PdfObjectRef ref, Value& value) {
        const auto found = m_xref.find(ref.number);
        if (found == m_xref.end() || !found->second.used ||
            found->second.generation != ref.generation) {
            return false;
        }
        // Several numbers may point at one place; each place is read once.
        if (!m_readOffsets.insert(found->second.offset).second) return false;
        CLexer lexer(m_pdf, found->second.offset);
        int64_t number = 0;
        int64_t generation = 0;
        if (!lexer.Unsigned(number) || !lexer.Unsigned(generation) || !lexer.Keyword("obj"))
            return false;
        if (number != ref.number || generation != ref.generation) return false;
        return lexer.ParseValue(value, 0);
    }

    bool CollectPages(PdfObjectRef ref, int depth, std::vector<PdfObjectRef>& pages) {
        if (depth > kMaxPageTreeDepth || pages.size() >= kMaxPages) return false;
        Value node;
        if (!ReadObject(ref, node) || node.kind != Value::Kind::Dictionary) return false;
        const Value* type = node.Find("Type");
        if (type != nullptr && type->IsName("Page")) {
            pages.push_back(ref);
            return true;
        }
        const Value* kids = node.Find("Kids");
        if (type == nullptr || !type->IsName("Pages") || kids == nullptr ||
            kids->kind != Value::Kind::Array) {
            return false;
        }
        for (const Value& kid : kids->items)
            if (kid.kind != Value::Kind::Reference || !CollectPages(kid.ref, depth + 1, pages))
                return false;
        return true;
    }

    std::string_view m_pdf;
    std::map<uint32_t, XrefEntry> m_xref;
    std::set<size_t> m_readOffsets;
    // The trailers' values point into the file; they are kept while the reader runs.
    std::vector<std::unique_ptr<Value>> m_trailers;
};

std::string Reference(PdfObjectRef ref) {
    return std::to_string(ref.number) + " " + std::to_string(ref.generation) + " R";
}

std::string XrefLine(size_t offset, uint32_t generation) {
    char line[24];
    std::snprintf(line, sizeof line, "%010zu %05u n\r\n", offset, generation);
    return line;
}

// The outline's shape: each bookmark's parent (-1 for the outline root) and children.
struct OutlineNode {
    int parent = -1;
    std::vector<int> children;
    int descendants = 0;
};

}  // namespace

bool ReadPdfStructure(std::string_view pdf, PdfStructure& structure) {
    CReader reader(pdf);
    return reader.Read(structure);
}

std::string PdfTextString(std::u16string_view text) {
    std::string out = "(";
    const auto put = [&out](unsigned char byte) {
        switch (byte) {
            case '(':
            case ')':
            case '\\':
                out += '\\';
                out += static_cast<char>(byte);
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out += static_cast<char>(byte);
        }
    };
    put(0xFE);
    put(0xFF);
    for (const char16_t unit : text) {
        put(static_cast<unsigned char>(unit >> 8));
        put(static_cast<unsigned char>(unit & 0xFF));
    }
    out += ')';
    return out;
}

bool AddPdfOutline(std::string& pdf, const std::vector<PdfBookmark>& bookmarks) {
    PdfStructure structure;
    if (!ReadPdfStructure(pdf, structure)) return false;
    if (bookmarks.empty()) return true;
    for (const PdfBookmark& bookmark : bookmarks)
        if (bookmark.page < 0 || static_cast<size_t>(bookmark.page) >= structure.pages.size())
            return false;
    if (uint64_t(structure.size) + bookmarks.size() + 1 > kMaxObjectNumber) return false;

    // Index 0 is the outline root; bookmark i is node i + 1.
    const int count = static_cast<int>(bookmarks.size());
    std::vector<OutlineNode> nodes(static_cast<size_t>(count) + 1);
    std::vector<int> open{0};  // the chain of nodes from the root to the last bookmark
    for (int i = 0; i < count; ++i) {
        const int depth = std::max(0, bookmarks[size_t(i)].depth);
        while (static_cast<int>(open.size()) > depth + 1)
            open.pop_back();
        const int node = i + 1;
        nodes[size_t(node)].parent = open.back();
        nodes[size_t(open.back())].children.push_back(node);
        for (const int ancestor : open)
            ++nodes[size_t(ancestor)].descendants;
        open.push_back(node);
    }

    const uint32_t rootNumber = structure.size;
    const auto objectOf = [rootNumber](int node) {
        return PdfObjectRef{rootNumber + static_cast<uint32_t>(node), 0};
    };
    std::string update;
    if (!pdf.empty() && pdf.back() != '\n' && pdf.back() != '\r') update += '\n';
    std::vector<std::pair<PdfObjectRef, size_t>> offsets;
    const auto begin = [&](PdfObjectRef ref) {
        offsets.emplace_back(ref, pdf.size() + update.size());
        update += std::to_string(ref.number) + " " + std::to_string(ref.generation) + " obj\n<<";
    };
    for (int node = 0; node <= count; ++node) {
        const OutlineNode& shape = nodes[size_t(node)];
        begin(objectOf(node));
        if (node == 0) {
            update += " /Type /Outlines";
        } else {
            const PdfBookmark& bookmark = bookmarks[size_t(node - 1)];
            update += " /Title " + PdfTextString(bookmark.title);
            update += " /Parent " + Reference(objectOf(shape.parent));
            const std::vector<int>& siblings = nodes[size_t(shape.parent)].children;
            const auto at = std::find(siblings.begin(), siblings.end(), node);
            if (at != siblings.begin()) update += " /Prev " + Reference(objectOf(*(at - 1)));
            if (at + 1 != siblings.end()) update += " /Next " + Reference(objectOf(*(at + 1)));
            update += " /Dest [" + Reference(structure.pages[size_t(bookmark.page)]) +
                      " /XYZ null null null]";
        }
        if (!shape.children.empty()) {
            update += " /First " + Reference(objectOf(shape.children.front()));
            update += " /Last " + Reference(objectOf(shape.children.back()));
            // Positive: every level is shown open.
            update += " /Count " + std::to_string(shape.descendants);
        }
        update += " >>\nendobj\n";
    }
    begin(structure.root);
    update += '\n' + structure.catalog + "/Outlines " + Reference(objectOf(0)) +
              "\n/PageMode /UseOutlines\n>>\nendobj\n";

    const size_t xrefOffset = pdf.size() + update.size();
    std::sort(offsets.begin(), offsets.end(),
              [](const auto& a, const auto& b) { return a.first.number < b.first.number; });
    update += "xref\n";
    for (size_t i = 0; i < offsets.size();) {
        size_t run = i + 1;
        while (run < offsets.size() &&
               offsets[run].first.number == offsets[run - 1].first.number + 1)
            ++run;
        update += std::to_string(offsets[i].first.number) + " " + std::to_string(run - i) + "\n";
        for (; i < run; ++i)
            update += XrefLine(offsets[i].second, offsets[i].first.generation);
    }
    update += "trailer\n<< /Size " + std::to_string(rootNumber + uint32_t(count) + 1) + " /Root " +
              Reference(structure.root) + " /Prev " + std::to_string(structure.lastXref);
    if (!structure.infoValue.empty()) update += " /Info " + structure.infoValue;
    if (!structure.idValue.empty()) update += " /ID " + structure.idValue;
    update += " >>\nstartxref\n" + std::to_string(xrefOffset) + "\n%%EOF\n";
    // What is given out must read again with the same pages (a file at one of the reader's
    // limits might not), so that a later update of it works as this one did.
    std::string updated = pdf + update;
    PdfStructure check;
    if (!ReadPdfStructure(updated, check) || check.pages != structure.pages) return false;
    pdf = std::move(updated);
    return true;
}

}  // namespace NoteStorage
