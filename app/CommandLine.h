#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "app/ExportWriter.h"

// The program's command line, read before any application object exists: the options that end
// the program at once (--help, --version), the export that runs without a window, and otherwise
// the start of the program (a tree file, --print-data-folder and the toolkit's own options are
// left to it).
namespace CommandLine {

enum class Action {
    Run,      // start the program as usual
    Help,     // print the usage, exit 0
    Version,  // print the version, exit 0
    Export,   // export the tree without a window
    Error,    // a usage error: message on stderr, exit 2
};

struct Options {
    Action action = Action::Run;
    ExportWriter::Format format = ExportWriter::Format::Html;
    std::string output;
    std::string notesFolder;  // "" for the stored notes folder
    std::string error;        // what was wrong, for Action::Error
};

inline constexpr int kUsageError = 2;
inline constexpr int kFailure = 1;

// `arguments` as the program got them, the program's name first.
[[nodiscard]] Options Parse(const std::vector<std::string>& arguments);
[[nodiscard]] std::string Usage();
// "jotwell 1.11": the version the About box shows.
[[nodiscard]] std::string VersionText();

// Runs the actions that end the program without starting it; returns the exit code, or -1 for
// Action::Run. An export makes its own application object from argc and argv, on the offscreen
// platform unless one is asked for.
int RunOptions(const Options& options, int& argc, char** argv, std::FILE* out, std::FILE* err);

// The export itself (the application object must exist): the whole tree of the notes folder,
// read only. Warnings and errors go to `err` as "jotwell: ..."; the exit code is returned.
int Export(const Options& options, std::FILE* err);

}  // namespace CommandLine
