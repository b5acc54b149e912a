#pragma once

#include <filesystem>

namespace NoteTreeEngine {

// The session's watch on files and folders that other programs may change while it runs. The
// program's implementation uses the platform's change notifications; when anything watched
// changes, its owner calls the session's OnDiskChanged with the path watched. Tests record the
// paths and call it themselves.
class CFolderWatch {
public:
    virtual ~CFolderWatch() = default;

    // Watches the file or folder from now on, again where it was watched already (a file replaced
    // by a rename is a new file to the platform). One that does not exist is watched once it
    // exists and anything else watched changes.
    virtual void Watch(const std::filesystem::path& path) = 0;
    virtual void Unwatch(const std::filesystem::path& path) = 0;
};

}  // namespace NoteTreeEngine
