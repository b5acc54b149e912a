#include "app/CommandLine.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <clocale>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string_view>

#include "app/AboutBox.h"
#include "app/DataFolder.h"
#include "app/ExportSet.h"
#include "app/SingleInstance.h"
#include "base/Utf8.h"
#include "session/NoteSession.h"
#include "storage/FileSystem.h"
#include "storage/NoteFile.h"
#include "storage/NotesFolderSettings.h"
#include "ui/QtProfileSettings.h"

namespace CommandLine {

namespace {

// The command line reports what went wrong itself, on standard error.
class CSilentMessages final : public NoteTreeEngine::CMessages {
public:
    void ShowMessageBox(std::u16string_view, NoteTreeEngine::MessageIcon,
                        std::u16string_view) override {}
};

// The toolkit's options that take a value; the toolkit reads them from the same command line,
// with one dash or two.
constexpr std::string_view kToolkitValueOptions[] = {"platform",
                                                     "platformpluginpath",
                                                     "platformtheme",
                                                     "plugin",
                                                     "qwindowgeometry",
                                                     "qwindowicon",
                                                     "qwindowtitle",
                                                     "display",
                                                     "geometry",
                                                     "title",
                                                     "name",
                                                     "style",
                                                     "stylesheet",
                                                     "session",
                                                     "qmljsdebugger"};
constexpr std::string_view kToolkitFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

// The option's name without its dashes and any "=value"; "" when `argument` is no option.
std::string_view OptionName(std::string_view argument) {
    if (argument.size() < 2 || argument[0] != '-') return {};
    argument.remove_prefix(argument[1] == '-' ? 2 : 1);
    return argument.substr(0, argument.find('='));
}

bool TakesValue(std::string_view name) {
    return std::ranges::find(kToolkitValueOptions, name) != std::end(kToolkitValueOptions);
}

bool IsToolkitOption(std::string_view name) {
    return TakesValue(name) || std::ranges::find(kToolkitFlags, name) != std::end(kToolkitFlags);
}

Options Error(std::string message) {
    Options options;
    options.action = Action::Error;
    options.error = std::move(message);
    return options;
}

void Print(std::FILE* stream, const std::string& text) {
    std::fputs(text.c_str(), stream);
    std::fflush(stream);
}

std::string Utf8(const std::u16string& text) {
    return NoteBase::Utf16ToUtf8(text);
}

std::string PathText(const std::filesystem::path& path) {
    return Utf8(NoteTreeEngine::PathText(path));
}

// The export formats' names: every one ("html, markdown, md or pdf"), or with `grouped` each
// format's others in brackets after its first ("html, markdown (or md) or pdf").
std::string FormatNames(bool grouped) {
    std::vector<std::string> choices;
    for (const ExportWriter::FormatRow& row : ExportWriter::Formats()) {
        for (const std::string_view name : row.names) {
            if (name.empty()) continue;
            if (grouped && name != row.names[0]) {
                choices.back() += " (or " + std::string(name) + ")";
            } else {
                choices.emplace_back(name);
            }
        }
    }
    std::string text;
    for (size_t i = 0; i < choices.size(); ++i)
        text += (i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ") + choices[i];
    return text;
}

}  // namespace

Options Parse(const std::vector<std::string>& arguments) {
    Options options;
    bool exportAsked = false;
    std::string format;
    bool help = false;
    bool version = false;
    bool printDataFolder = false;
    std::vector<std::string> loose;  // arguments that are no option
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const std::string_view name = OptionName(argument);
        if (name.empty()) {
            loose.push_back(argument);
            continue;
        }
        const bool doubleDash = argument.rfind("--", 0) == 0;
        const size_t equals = argument.find('=');
        if (name == "help" || (!doubleDash && name == "h")) {
            help = true;
        } else if (name == "version" && doubleDash) {
            version = true;
        } else if (doubleDash && (name == "export" || name == "output" || name == "notes-folder")) {
            std::string value;
            if (equals != std::string::npos) {
                value = argument.substr(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                return Error("option '--" + std::string(name) + "' needs a value");
            }
            if (value.empty()) return Error("option '--" + std::string(name) + "' needs a value");
            if (name == "export") {
                exportAsked = true;
                format = value;
            } else if (name == "output") {
                options.output = value;
            } else {
                options.notesFolder = value;
            }
        } else if (argument == "--print-data-folder") {
            printDataFolder = true;
        } else if (IsToolkitOption(name)) {
            if (TakesValue(name) && equals == std::string::npos) ++i;
        } else {
            return Error("unknown option '" + argument.substr(0, equals) + "'");
        }
    }
    if (help) {
        options.action = Action::Help;
        return options;
    }
    if (version) {
        options.action = Action::Version;
        return options;
    }
    if (!exportAsked) {
        if (!options.output.empty() || !options.notesFolder.empty())
            return Error("--output and --notes-folder belong to --export");
        if (printDataFolder) options.action = Action::PrintDataFolder;
        const auto named = std::ranges::find_if(
            loose, [](const std::string& argument) { return argument.front() != '-'; });
        if (named != loose.end()) options.path = *named;
        return options;
    }
    const std::optional<ExportWriter::Format> known = ExportWriter::FormatNamed(format);
    if (!known) return Error("unknown export format '" + format + "' (" + FormatNames(false) + ")");
    if (options.output.empty()) return Error("--export needs --output FILE");
    if (!loose.empty()) return Error("unexpected argument '" + loose.front() + "'");
    options.format = *known;
    options.action = Action::Export;
    return options;
}

std::string Usage() {
    return "Usage: jotwell [FILE.jwf]\n"
           "       jotwell --export FORMAT --output FILE [--notes-folder DIR]\n"
           "\n"
           "Without options, starts the note organiser (or brings the running one forward) and\n"
           "imports the folder file FILE.jwf when one is named.\n"
           "\n"
           "  --export FORMAT      export every note of the notes folder, in tree order, as\n"
           "                       " +
           FormatNames(true) +
           ", without opening a window\n"
           "  --output FILE        the file to write\n"
           "  --notes-folder DIR   the notes folder to export (default: the one the program\n"
           "                       uses); nothing in it is changed\n"
           "  --help               show this help and exit\n"
           "  --version            show the version and exit\n"
           "\n"
           "While the program runs, the export first asks it to save what was typed and waits\n"
           "for that, at most " +
           std::to_string(kSaveAnswerMs / 1000) +
           " seconds; when it does not answer, the export has what is on disk\n"
           "and says so.\n"
           "\n"
           "Exit status: 0 on success, 1 when the export failed, 2 for a wrong command line.\n";
}

std::string VersionText() {
    const std::string_view line = CAboutBox::kVersionLine;
    const std::string_view marker = "Version ";
    const size_t at = line.find(marker);
    return "jotwell " +
           std::string(at == std::string_view::npos ? line : line.substr(at + marker.size()));
}

int RunOptions(const Options& options, int& argc, char** argv, std::FILE* out, std::FILE* err) {
    switch (options.action) {
        case Action::Run:
            return -1;
        case Action::Help:
            Print(out, Usage());
            return 0;
        case Action::Version:
            Print(out, VersionText() + "\n");
            return 0;
        case Action::PrintDataFolder: {
            // The data folder is found beside the program; no window system is needed for that.
            QCoreApplication core(argc, argv);
            return DataFolder::HandlePrintOption(QCoreApplication::arguments()) ? 0 : kFailure;
        }
        case Action::Error:
            Print(err,
                  "jotwell: " + options.error + "\nTry 'jotwell --help' for more information.\n");
            return kUsageError;
        case Action::Export:
            break;
    }
    // No window is ever shown: a display is not needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    // The toolkit's chatter (a missing runtime folder, font notes) is no business of a command's
    // output; what the export has to say goes to `err` itself.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "jotwell: %s\n", message.toLocal8Bit().constData());
    });
    QApplication application(argc, argv);
    std::setlocale(LC_ALL, "");
    return Export(options, err);
}

int Export(const Options& options, std::FILE* err) {
    namespace fs = std::filesystem;
    // A running instance holds what was typed since its last save: it writes that first.
    const QString key = options.instanceKey.empty() ? CSingleInstance::DefaultKey()
                                                    : QString::fromStdString(options.instanceKey);
    using SaveResult = CSingleInstance::SaveResult;
    if (const SaveResult saved = CSingleInstance::AskToSave(key, kSaveAnswerMs);
        saved == SaveResult::NotSaved || saved == SaveResult::NoAnswer) {
        Print(err,
              std::string("jotwell: warning: the running program ") +
                  (saved == SaveResult::NoAnswer ? "did not answer" : "could not save every note") +
                  "; the export has what is on disk\n");
    }
    std::u16string folderText = NoteBase::Utf8ToUtf16(options.notesFolder);
    if (folderText.empty()) {
        CQtProfileSettings settings;
        folderText = NoteTreeEngine::GetNotesFolder(settings);
    }
    if (folderText.empty()) {
        Print(err, "jotwell: no notes folder is set; name one with --notes-folder DIR\n");
        return kFailure;
    }
    const fs::path folder(folderText);
    std::error_code ignored;
    if (!fs::is_directory(folder, ignored)) {
        Print(err, "jotwell: the notes folder '" + PathText(folder) + "' does not exist\n");
        return kFailure;
    }
    NoteStorage::CFileSystem& files = NoteStorage::FileSystem();
    const fs::path indexPath = folder / "index.xml";
    std::string bytes;
    if (!files.ReadWhole(indexPath, bytes)) {
        Print(err, "jotwell: cannot read '" + PathText(indexPath) + "'\n");
        return kFailure;
    }
    // A session's tree of the folder, read only: nothing in the folder is written.
    CSilentMessages silent;
    NoteTreeEngine::CNoteTree tree;
    if (!NoteTreeEngine::CNoteSession::ReadTree(folder, tree, silent, files)) {
        Print(err, "jotwell: '" + PathText(indexPath) + "' is no tree of notes\n");
        return kFailure;
    }
    if (tree.Empty()) {
        Print(err, "jotwell: the notes folder '" + PathText(folder) + "' holds no notes\n");
        return kFailure;
    }
    CExportSet notes;
    std::vector<std::pair<NoteTreeEngine::TreeItem, int32_t>> pending;
    const auto pushChildren = [&](NoteTreeEngine::TreeItem parent, int32_t depth) {
        const std::vector<NoteTreeEngine::TreeItem> children = tree.Children(parent);
        for (auto child = children.rbegin(); child != children.rend(); ++child)
            pending.emplace_back(*child, depth);
    };
    pushChildren(NoteTreeEngine::kRootItem, 0);
    while (!pending.empty()) {
        const auto [item, depth] = pending.back();
        pending.pop_back();
        pushChildren(item, depth + 1);
        const NoteTreeEngine::CTreeItemRecord& record = tree.Record(item);
        auto document = std::make_unique<NoteEditEngine::CNoteDocument>();
        const fs::path path = NoteTreeEngine::NoteFilePath(folder, record);
        if (path.empty() ||
            NoteStorage::LoadNoteFile(files, path, *document) != NoteStorage::NoteFileRead::Read) {
            Print(err, "jotwell: warning: the note '" + Utf8(record.username) + "' (" +
                           (path.empty() ? std::string("no file") : PathText(path)) +
                           ") could not be read; it is exported empty\n");
        }
        notes.AddOwned(record.username, depth, std::move(document));
    }
    QString error;
    const QString output = QString::fromStdString(options.output);
    if (!ExportWriter::Write(notes, options.format, output, error)) {
        Print(err,
              "jotwell: cannot export to '" + options.output + "': " + error.toStdString() + "\n");
        return kFailure;
    }
    return 0;
}

}  // namespace CommandLine
