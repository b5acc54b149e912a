#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace TestSupport {

// Runs a command and gives its standard output, with the exit status in `status`.
inline std::string RunCommand(const std::string& command, int& status) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        status = -1;
        return out;
    }
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, got);
    status = ::pclose(pipe);
    return out;
}

// True when "qpdf --check" finds no error nor warning in the file.
inline bool QpdfChecks(const std::filesystem::path& pdf) {
    int status = 0;
    const std::string out = RunCommand("/usr/bin/qpdf --check '" + pdf.string() + "' 2>&1", status);
    return status == 0 && out.find("No syntax or stream encoding errors") != std::string::npos &&
           out.find("WARNING") == std::string::npos;
}

// The outline as qpdf reads it: one line per bookmark, "title@page" (1-based) indented by two
// blanks per level; "qpdf failed" when it could not be read.
inline std::string QpdfOutline(const std::filesystem::path& pdf) {
    const std::string script =
        "import json,sys\n"
        "def walk(items, depth):\n"
        "    for o in items:\n"
        "        sys.stdout.write('  '*depth + o['title'] + '@' + str(o['destpageposfrom1']) + "
        "'\\n')\n"
        "        walk(o['kids'], depth + 1)\n"
        "walk(json.load(sys.stdin)['outlines'], 0)\n";
    int status = 0;
    const std::string out =
        RunCommand("/usr/bin/qpdf --json=2 --json-key=outlines '" + pdf.string() +
                       "' | PYTHONIOENCODING=utf-8 /usr/bin/python3 -c \"" + script + "\"",
                   status);
    return status == 0 ? out : "qpdf failed";
}

}  // namespace TestSupport
