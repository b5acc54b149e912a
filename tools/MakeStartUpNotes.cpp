// Writes the start-up notes into a folder (data/startup of the source tree):
//   make_startup_notes <folder>
// The files are checked in; the data tests fail when they differ from what this writes.

#include <exception>
#include <filesystem>
#include <iostream>

#include "storage/FileSystem.h"
#include "tools/StartUpNotes.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_startup_notes <folder>\n";
        return 2;
    }
    try {
        const std::filesystem::path folder = argv[1];
        std::filesystem::create_directories(folder);
        // Notes of an older tour would stay behind as orphans.
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().extension() == ".xml") std::filesystem::remove(entry.path());
        for (const StartUpNotes::CGeneratedFile& file : StartUpNotes::BuildStartUpNotes()) {
            if (!NoteStorage::ReplaceFileContents(folder / file.name, file.bytes)) {
                std::cerr << "could not write " << (folder / file.name) << '\n';
                return 1;
            }
        }
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 0;
}
