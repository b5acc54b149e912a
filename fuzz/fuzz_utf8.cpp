// UTF-8 decoding and encoding on arbitrary bytes: the decoded text has no unpaired surrogate,
// every encoding is valid UTF-8, decoding the encoding gives the decoded text back, and valid
// input survives the round trip byte for byte. The same bytes read as UTF-16 code units encode
// to valid UTF-8 that decodes to them with unpaired surrogates as U+FFFD.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/Utf16.h"
#include "base/Utf8.h"

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "fuzz_utf8: %s\n", what);
    std::abort();
}

// Well-formed UTF-8 by the Unicode table of well-formed byte sequences.
bool IsValidUtf8(std::string_view bytes) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    for (size_t i = 0; i < n;) {
        const unsigned char b = s[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80, high = 0xBF;
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
            return false;
        }
        if (i + static_cast<size_t>(length) > n) return false;
        if (s[i + 1] < low || s[i + 1] > high) return false;
        for (int k = 2; k < length; ++k) {
            if (s[i + static_cast<size_t>(k)] < 0x80 || s[i + static_cast<size_t>(k)] > 0xBF) {
                return false;
            }
        }
        i += static_cast<size_t>(length);
    }
    return true;
}

// The text with every unpaired surrogate as U+FFFD.
std::u16string WithoutUnpairedSurrogates(std::u16string_view text) {
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (NoteBase::CodePointLength(text, i) == 2) {
            out.push_back(text[i]);
            out.push_back(text[++i]);
        } else {
            out.push_back(NoteBase::IsSurrogate(text[i]) ? u'\uFFFD' : text[i]);
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::u16string decoded = NoteBase::Utf8ToUtf16(bytes);
    if (WithoutUnpairedSurrogates(decoded) != decoded) Fail("decoding made an unpaired surrogate");
    if (decoded.size() > bytes.size()) Fail("more code units than bytes");
    const std::string encoded = NoteBase::Utf16ToUtf8(decoded);
    if (!IsValidUtf8(encoded)) Fail("encoding is not valid UTF-8");
    if (NoteBase::Utf8ToUtf16(encoded) != decoded) Fail("decode(encode(decode(x))) != decode(x)");
    const bool valid = IsValidUtf8(bytes);
    if (valid && encoded != bytes) Fail("valid UTF-8 changed on the round trip");
    const bool replaced = decoded.find(u'\uFFFD') != std::u16string::npos;
    if (valid && replaced && bytes.find("\xEF\xBF\xBD") == std::string_view::npos) {
        Fail("valid UTF-8 decoded with a replacement character");
    }
    if (!valid && !replaced) {
        Fail("ill-formed UTF-8 decoded without a replacement character");
    }

    // The same bytes as UTF-16 code units (little-endian pairs).
    std::u16string units;
    for (size_t i = 0; i + 1 < size; i += 2)
        units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    const std::string unitsEncoded = NoteBase::Utf16ToUtf8(units);
    if (!IsValidUtf8(unitsEncoded)) Fail("encoding of code units is not valid UTF-8");
    if (NoteBase::Utf8ToUtf16(unitsEncoded) != WithoutUnpairedSurrogates(units)) {
        Fail("code units do not come back");
    }
    return 0;
}
