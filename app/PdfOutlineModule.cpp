#include <dlfcn.h>

#include <filesystem>
#include <system_error>

#include "app/PdfOutline.h"

namespace ExportWriter {

namespace {

using Entry = bool (*)(std::string&, const std::vector<PdfBookmark>&, const std::vector<PdfLink>&);
// The module's one function (PdfOutlineEntry.cpp).
constexpr char kEntry[] = "JotwellAddPdfOutline";

Entry LoadEntry() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    std::vector<std::filesystem::path> candidates;
    if (!error)
        candidates.push_back(program.parent_path().parent_path() / "lib" / "jotwell" /
                             "jotwell-pdf.so");
#ifdef JOTWELL_BUILD_PDF_MODULE
    candidates.emplace_back(JOTWELL_BUILD_PDF_MODULE);
#endif
    for (const std::filesystem::path& candidate : candidates) {
        // Never closed: the program may write another PDF.
        void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) continue;
        if (void* entry = dlsym(module, kEntry)) return reinterpret_cast<Entry>(entry);
    }
    return nullptr;
}

}  // namespace

bool AddPdfOutlineFromModule(std::string& pdf, const std::vector<PdfBookmark>& bookmarks,
                             const std::vector<PdfLink>& links) {
    static const Entry entry = LoadEntry();
    return entry != nullptr && entry(pdf, bookmarks, links);
}

}  // namespace ExportWriter
