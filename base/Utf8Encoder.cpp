#include "base/Utf8Encoder.h"

#include <cstdint>

namespace NoteBase {

namespace {

// Internal, so that the text loop below inlines it as the file writer always did.
void Append(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

void AppendUtf8(std::string& out, char32_t codePoint) {
    Append(out, codePoint);
}

std::string Utf16ToUtf8(std::u16string_view text) {
    constexpr char32_t kReplacement = 0xFFFD;
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        const char16_t c = text[i];
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 &&
                   text[i + 1] <= 0xDFFF) {
            const uint32_t cp = 0x10000 + ((uint32_t{c} - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            Append(out, cp);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            Append(out, kReplacement);
        } else {
            Append(out, c);
        }
    }
    return out;
}

}  // namespace NoteBase
