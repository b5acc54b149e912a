#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "app/ExportWriter.h"

// The program's command line, read before any application object exists: the options that end
// the program at once (--help, --version, --print-data-folder), the export that runs without a
// window, and otherwise the start of the program with the tree file named (the toolkit's own
// options are left to it).
namespace CommandLine {

enum class Action {
    Run,              // start the program as usual
    Help,             // print the usage, exit 0
    Version,          // print the version, exit 0
    PrintDataFolder,  // print the data folder, exit 0
    Export,           // export the tree without a window
    Error,            // a usage error: message on stderr, exit 2
};

struct Options {
    Action action = Action::Run;
    ExportWriter::Format format = ExportWriter::Format::Html;
    std::string output;
    std::string notesFolder;  // "" for the stored notes folder
    std::string error;        // what was wrong, for Action::Error
    std::string path;         // the tree file named, for Action::Run; "" for none
    // The running instance the export asks to save first; "" for this user's.
    std::string instanceKey;
};

inline constexpr int kUsageError = 2;
inline constexpr int kFailure = 1;
// How long the export waits for a running instance to save.
inline constexpr int kSaveAnswerMs = 5000;

// `arguments` as the program got them, the program's name first.
[[nodiscard]] Options Parse(const std::vector<std::string>& arguments);
[[nodiscard]] std::string Usage();
// "jotwell 1.11": the version the About box shows.
[[nodiscard]] std::string VersionText();

// Runs the actions that end the program without starting it; returns the exit code, or -1 for
// Action::Run. An export makes its own application object from argc and argv, on the offscreen
// platform unless one is asked for.
int RunOptions(const Options& options, int& argc, char** argv, std::FILE* out, std::FILE* err);

// The export itself (the application object must exist): a running instance is asked to save
// first, then the whole tree of the notes folder is read, read only. Warnings and errors go to
// `err` as "jotwell: ..."; the exit code is returned.
int Export(const Options& options, std::FILE* err);

}  // namespace CommandLine
