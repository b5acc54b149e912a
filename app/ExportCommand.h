#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/ExportWriter.h"
#include "session/NoteSession.h"

class CExportSet;
class QWidget;

// The Export command: the selected notes, each with its subtree, in tree order, to one file of
// an export format (ExportWriter::Formats()) that the user names. Notes shown in the editor go out
// as they are now, unsaved changes included; the others are read from their files.
class CExportCommand {
public:
    struct Target {
        QString path;
        ExportWriter::Format format = ExportWriter::Format::Html;
    };
    // Asks the user for the file; none when cancelled. Tests put their own in.
    using FilePicker = std::function<std::optional<Target>(QWidget* parent)>;

    // Both borrowed; they outlive the command.
    CExportCommand(QWidget& parent, NoteTreeEngine::CNoteSession& session);

    void SetFilePicker(FilePicker picker) { m_picker = std::move(picker); }
    // A tree is loaded and a note is selected.
    [[nodiscard]] bool IsEnabled() const;
    // Asks for the file and writes it; a failure, and notes that could not be read, are told.
    void Run();

    // The selected subtrees into `notes`; the titles of the notes whose files could not be read
    // (exported empty) are returned.
    std::vector<std::u16string> Collect(CExportSet& notes) const;

    // The file dialog; its result as TargetFor says.
    [[nodiscard]] static std::optional<Target> PickWithDialog(QWidget* parent);
    // A name typed with an export format's extension ("notes.pdf") is that format, whatever the
    // filter: the user said which file they want. Otherwise the filter's format, with its
    // extension added.
    [[nodiscard]] static Target TargetFor(const QString& path, ExportWriter::Format filterFormat);

private:
    QWidget& m_parent;
    NoteTreeEngine::CNoteSession& m_session;
    FilePicker m_picker;
};
