#pragma once

#include <string>
#include <string_view>

#include "base/Utf8Encoder.h"

namespace NoteStorage {

// UTF-16 to UTF-8; the core's one encoder, named here beside its decoder.
using NoteBase::Utf16ToUtf8;

// UTF-8 to UTF-16. Every ill-formed sequence (a stray continuation byte, a truncated or overlong
// sequence, an encoded surrogate, a value above U+10FFFF, the bytes C0, C1 and F5..FF) decodes as
// one U+FFFD per maximal ill-formed subpart, so nothing is dropped silently. A byte-order mark is
// kept as U+FEFF.
[[nodiscard]] std::u16string Utf8ToUtf16(std::string_view bytes);

}  // namespace NoteStorage
