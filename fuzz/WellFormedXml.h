#pragma once

// Whether what a writer made is XML other tools can read: every code unit an XML character or
// half of a surrogate pair, and libxml2 (used here only, never by the program) parses the
// UTF-8 form without error. A fragment is checked inside a root element of its own.

#include <libxml/parser.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "base/Utf16.h"
#include "base/Utf8.h"
#include "storage/XmlPrimitives.h"

namespace FuzzSupport {

inline bool HasOnlyXmlCharacters(std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (NoteBase::CodePointLength(text, i) == 2) {
            ++i;
        } else if (!NoteStorage::IsXmlCharacter(c)) {
            return false;
        }
    }
    return true;
}

inline bool IsWellFormedXml(std::u16string_view text, bool fragment) {
    if (!HasOnlyXmlCharacters(text)) return false;
    std::string bytes = NoteBase::Utf16ToUtf8(text);
    if (fragment) bytes = "<fragment>" + bytes + "</fragment>";
    xmlDocPtr doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, "UTF-8",
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (doc == nullptr) return false;
    xmlFreeDoc(doc);
    return true;
}

}  // namespace FuzzSupport
