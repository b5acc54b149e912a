#include "base/Utf8.h"

#include <cstdint>
#include <cstring>

#include "base/Utf16.h"

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

constexpr char16_t kReplacement = 0xFFFD;

}  // namespace

void AppendUtf8(std::string& out, char32_t codePoint) {
    Append(out, codePoint);
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        const char16_t c = text[i];
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (CodePointLength(text, i) == 2) {
            Append(out, CombineSurrogates(c, text[i + 1]));
            ++i;
        } else if (IsSurrogate(c)) {
            Append(out, kReplacement);
        } else {
            Append(out, c);
        }
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view bytes) {
    // Never more code units than bytes: written through a pointer into room made up front, and
    // cut to size at the end. Runs of ASCII, the bulk of any note, go eight bytes at a time.
    std::u16string out(bytes.size(), u'\0');
    char16_t* o = out.data();
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        while (i + 8 <= n) {
            uint64_t word = 0;
            std::memcpy(&word, s + i, 8);
            if ((word & 0x8080808080808080u) != 0) break;
            for (int k = 0; k < 8; ++k)
                o[k] = s[i + k];
            o += 8;
            i += 8;
        }
        if (i >= n) break;
        const unsigned char b = s[i];
        if (b < 0x80) {
            *o++ = b;
            ++i;
            continue;
        }
        // Length and the valid range of the second byte, as the Unicode table of well-formed
        // sequences gives them; anything outside is a maximal ill-formed subpart.
        int length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            if (b == 0xE0) low = 0xA0;
            if (b == 0xED) high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            if (b == 0xF0) low = 0x90;
            if (b == 0xF4) high = 0x8F;
        } else {
            *o++ = kReplacement;
            ++i;
            continue;
        }
        uint32_t cp = b & (0xFF >> (length + 1));
        size_t j = i + 1;
        bool ok = true;
        for (int k = 1; k < length; ++k, ++j) {
            const unsigned char lo = k == 1 ? low : 0x80;
            const unsigned char hi = k == 1 ? high : 0xBF;
            if (j >= n || s[j] < lo || s[j] > hi) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (s[j] & 0x3F);
        }
        if (!ok) {
            // The bytes consumed so far form one ill-formed subpart; the byte that broke the
            // sequence starts afresh.
            *o++ = kReplacement;
            i = j;
            continue;
        }
        if (cp >= 0x10000) {
            const SurrogatePair pair = SplitSurrogates(cp);
            *o++ = pair.high;
            *o++ = pair.low;
        } else {
            *o++ = static_cast<char16_t>(cp);
        }
        i = j;
    }
    out.resize(static_cast<size_t>(o - out.data()));
    return out;
}

}  // namespace NoteBase
