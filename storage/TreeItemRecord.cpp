#include "storage/TreeItemRecord.h"

#include <array>
#include <random>
#include <utility>

#include "base/Utf8.h"
#include "model/Clock.h"

namespace NoteTreeEngine {

namespace {

std::mt19937& Generator() {
    // Seeded once per run. The time alone would give two runs started in the same second the
    // same digits, so the platform's entropy is mixed in when it has any.
    static std::mt19937 generator = [] {
        uint32_t entropy = 0;
        try {
            entropy = std::random_device{}();
        } catch (...) {
            entropy = 0;
        }
        std::seed_seq seed{static_cast<uint32_t>(NoteEditEngine::CurrentTime()), entropy};
        return std::mt19937(seed);
    }();
    return generator;
}

void AppendUnsigned(uint32_t value, std::u16string& out) {
    char16_t digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0)
        out.push_back(digits[--n]);
}

void AppendAttribute(std::string_view name, std::u16string_view value, std::u16string& out) {
    out.push_back(u' ');
    for (char c : name)
        out.push_back(static_cast<char16_t>(c));
    out += u"=\"";
    NoteStorage::AppendEscapedString(value, out);
    out.push_back(u'"');
}

void AppendFlag(std::string_view name, bool value, std::u16string& out) {
    AppendAttribute(name, value ? u"true" : u"false", out);
}

void AppendNumber(std::string_view name, int32_t value, std::u16string& out) {
    std::u16string digits;
    NoteStorage::AppendDecimal(value, digits);
    AppendAttribute(name, digits, out);
}

}  // namespace

CTreeItemRecord::CTreeItemRecord() {
    NewNoteId(*this);
}

CTreeItemRecord::CTreeItemRecord(std::u16string noteId) : id(std::move(noteId)) {}

void NewNoteId(CTreeItemRecord& record) {
    static std::u16string lastIssued;
    std::u16string id;
    do {
        id.clear();
        // As unsigned, so that a clock past 2038 still gives digits only.
        AppendUnsigned(static_cast<uint32_t>(NoteEditEngine::CurrentTime()), id);
        std::array<char16_t, 6> drawn{};
        for (char16_t& digit : drawn)
            digit = static_cast<char16_t>(u'0' + Generator()() % 10);
        for (auto it = drawn.rbegin(); it != drawn.rend(); ++it)
            id.push_back(*it);
        // Two records made in the same second could otherwise share a file when neither has one
        // yet; comparing with the previous one makes that impossible for consecutive records.
    } while (id == lastIssued);
    lastIssued = id;
    record.id = std::move(id);
}

bool IsValidNoteId(std::u16string_view id) noexcept {
    if (id.empty() || id.size() > kMaxNoteIdLength) return false;
    for (char16_t c : id) {
        if (c < u'0' || c > u'9') return false;
    }
    return true;
}

std::filesystem::path NoteFilePath(const std::filesystem::path& notesFolder,
                                   const CTreeItemRecord& record) {
    if (!IsValidNoteId(record.id)) return {};
    // Digits only, so the conversion to the platform's encoding is plain ASCII.
    std::string name;
    name.reserve(record.id.size() + 4);
    for (char16_t c : record.id)
        name.push_back(static_cast<char>(c));
    name += ".xml";
    return notesFolder / name;
}

void AppendItemAttributes(const CTreeItemRecord& record, std::u16string& out) {
    AppendAttribute("id", record.id, out);
    AppendAttribute("username", record.username, out);
    AppendFlag("isfixed", record.isfixed, out);
    AppendFlag("isselected", record.isselected, out);
    AppendFlag("isactive", record.isactive, out);
    AppendFlag("isexpanded", record.isexpanded, out);
    AppendNumber("size", record.size, out);
    AppendNumber("created", record.created, out);
    AppendNumber("modified", record.modified, out);
}

CTreeItemRecord ReadItemAttributes(std::u16string_view text, NoteStorage::Cursor& cursor) {
    using namespace NoteStorage;
    // The fresh identifier is drawn only when the file gives none worth keeping.
    CTreeItemRecord record{std::u16string()};
    while (HasMoreAttributes(text, cursor)) {
        const std::u16string name = ReadAttributeName(text, cursor);
        if (name == u"id") {
            record.id = ReadAttributeValue(text, cursor);
        } else if (name == u"username") {
            record.username = ReadAttributeValue(text, cursor);
        } else if (name == u"isfixed") {
            record.isfixed = ReadAttributeValue(text, cursor) == u"true";
        } else if (name == u"isselected") {
            record.isselected = ReadAttributeValue(text, cursor) == u"true";
        } else if (name == u"isactive") {
            record.isactive = ReadAttributeValue(text, cursor) == u"true";
        } else if (name == u"isexpanded") {
            record.isexpanded = ReadAttributeValue(text, cursor) == u"true";
        } else if (name == u"size") {
            record.size = ReadAttributeInt(text, cursor);
        } else if (name == u"created") {
            record.created = ReadAttributeInt(text, cursor);
        } else if (name == u"modified") {
            record.modified = ReadAttributeInt(text, cursor);
        } else {
            (void)ReadAttributeValue(text, cursor);
        }
    }
    // The identifier names a file in the notes folder. One from a file that is not plain digits
    // ("../x", "/etc/y", "a.b", "C:z") could name a file anywhere, so it is never used.
    if (!IsValidNoteId(record.id)) NewNoteId(record);
    if (record.isactive) record.isselected = true;
    return record;
}

bool IsFolderFileName(const std::filesystem::path& path) {
    // Only the last four code units can decide, and the extension is ASCII, so lower-casing
    // them in ASCII is the same as lower-casing the whole path.
    const auto& native = path.native();
    constexpr std::string_view kExtension = ".jwf";
    if (native.size() < kExtension.size()) return false;
    const size_t start = native.size() - kExtension.size();
    for (size_t i = 0; i < kExtension.size(); ++i) {
        auto c = native[start + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<decltype(c)>(c - 'A' + 'a');
        if (c != static_cast<decltype(c)>(kExtension[i])) return false;
    }
    return true;
}

std::u16string PathText(const std::filesystem::path& path) {
#if defined(_WIN32)
    const std::wstring& native = path.native();
    return std::u16string(native.begin(), native.end());
#else
    // path::u16string() throws on bytes that are not UTF-8; a message must not.
    return NoteBase::Utf8ToUtf16(path.native());
#endif
}

}  // namespace NoteTreeEngine
