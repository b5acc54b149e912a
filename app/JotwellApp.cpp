#include "app/JotwellApp.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <filesystem>

#include "app/DataFolder.h"
#include "app/DesktopIntegration.h"
#include "app/MainFrame.h"
#include "app/PathDialog.h"
#include "app/TerminationSignals.h"
#include "app/WindowState.h"
#include "editor/NoteScrollView.h"
#include "storage/FileSystem.h"
#include "storage/NotesFolderSettings.h"
#include "tree/IndexView.h"
#include "ui/FirstPaint.h"
#include "ui/MessageBox.h"
#include "ui/Settings.h"
#include "ui/WaitCursor.h"

namespace {

QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

}  // namespace

// The folder dialog over the frame, made afresh for each question so that it starts from the
// current state: the stored notes folder, or the first run's suggestion.
class CJotwellApp::CDialogPicker final : public NoteTreeEngine::CFolderPicker {
public:
    explicit CDialogPicker(NoteTreeEngine::CProfileSettings& settings) : m_settings(settings) {}

    std::u16string PickFolder(std::u16string_view caption, std::u16string_view prompt) override {
        QString suggestion = ToQString(NoteTreeEngine::GetNotesFolder(m_settings));
        if (suggestion.isEmpty()) suggestion = SuggestedFolder();
        CPathDialog dialog(ToQString(caption), ToQString(prompt), suggestion, m_parent);
        return dialog.PickFolder(caption, prompt);
    }

    void SetParent(QWidget* parent) { m_parent = parent; }

private:
    NoteTreeEngine::CProfileSettings& m_settings;
    QWidget* m_parent = nullptr;
};

CJotwellApp::CJotwellApp(NoteTreeEngine::CProfileSettings& settings, COptions options,
                         std::unique_ptr<CSingleInstance> instance)
    : m_settings(settings),
      m_options(std::move(options)),
      m_dialogPicker(std::make_unique<CDialogPicker>(settings)),
      m_instance(std::move(instance)) {
    if (m_options.startUpNotes.isEmpty())
        m_options.startUpNotes = DataFolder::Path() + QStringLiteral("/startup");
    if (!m_options.integrateDesktop) m_options.integrateDesktop = InstallDesktopIntegration;
    if (m_options.picker == nullptr) m_options.picker = m_dialogPicker.get();
}

CJotwellApp::~CJotwellApp() {
    // The frame saves and unloads its tree while the instance and the picker still exist.
    m_frame.reset();
}

QString CJotwellApp::PathArgument(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!argument.startsWith(u'-')) return argument;
    }
    return {};
}

QString CJotwellApp::SuggestedFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
           QStringLiteral("/Notes");
}

CJotwellApp::Result CJotwellApp::Start(const QStringList& arguments) {
    // A later start hands its path to the running instance and shows nothing.
    if (!m_instance) m_instance = std::make_unique<CSingleInstance>(m_options.instanceKey);
    if (!m_instance->IsFirst()) {
        // The running instance has a working folder of its own.
        QString path = PathArgument(arguments);
        if (!path.isEmpty()) path = QFileInfo(path).absoluteFilePath();
        (void)m_instance->HandOver(path);
        return Result::HandedOver;
    }

    {
        // The settings file is looked at once for the window's every stored value, not again
        // for each of them.
        Settings::CBatch batch;
        m_frame = std::make_unique<CMainFrame>(m_settings, *m_options.picker);
        m_dialogPicker->SetParent(m_frame.get());
        WindowState::RestoreWindow(*m_frame, m_frame->HasTray());
    }

    if ((NoteTreeEngine::GetNotesFolder(m_settings).empty() && !ChooseFirstFolder()) ||
        !CheckFolder()) {
        m_options.integrateDesktop();
        return Result::NoFolder;
    }

    m_frame->LoadTree();
    // The desktop's files, and on a first run the helpers that index them, wait until the
    // window shows: on a first run they took longer than the rest of the start.
    AfterFirstPaint(*m_frame->Editor().viewport(), *this, m_options.integrateDesktop);

    connect(m_frame.get(), &CMainFrame::Ended, qApp, &QCoreApplication::quit);
    connect(m_instance.get(), &CSingleInstance::BringForwardRequested, m_frame.get(),
            [this] { CTrayIcon::ShowFromTray(m_frame.get()); });
    connect(m_instance.get(), &CSingleInstance::OpenPathRequested, this,
            &CJotwellApp::OpenHandedPath);
    m_instance->SetSaveHandler([this] { return SaveEverything(); });
    if (m_options.handleTerminationSignals) {
        auto* termination = new CTerminationSignals(this);
        connect(termination, &CTerminationSignals::Received, m_frame.get(),
                &CMainFrame::EndSession);
    }
    m_instance->Listen();

    // A tree file opened from the desktop takes the same way whether or not the program ran.
    const QString path = PathArgument(arguments);
    if (!path.isEmpty()) OpenHandedPath(path);
    return Result::Running;
}

bool CJotwellApp::ChooseFirstFolder() {
    MessageBox::Show(m_frame.get(), tr(kWelcome), QMessageBox::Information);
    const std::u16string folder = NoteTreeEngine::ChooseNotesFolder(*m_options.picker);
    if (folder.empty()) {
        MessageBox::Show(m_frame.get(), tr(kNoFolderChosen), QMessageBox::Information);
        return false;
    }
    NoteTreeEngine::SetNotesFolder(m_settings, folder);
    // A missing start-up folder leaves the new notes folder empty.
    (void)NoteTreeEngine::CopyStartUpNotes(
        NoteStorage::FileSystem(), std::filesystem::path(m_options.startUpNotes.toStdU16String()),
        std::filesystem::path(folder));
    return true;
}

bool CJotwellApp::CheckFolder() {
    const QString folder = ToQString(NoteTreeEngine::GetNotesFolder(m_settings));
    if (CPathDialog::MakeSurePathExists(folder, m_frame.get()) == PathCheck::EnsureResult::Exists)
        return true;
    const std::u16string chosen = NoteTreeEngine::ChooseNotesFolder(*m_options.picker);
    if (chosen.empty()) {
        MessageBox::Show(m_frame.get(), tr(kNoFolderChosen), QMessageBox::Information);
        return false;
    }
    NoteTreeEngine::SetNotesFolder(m_settings, chosen);
    return true;
}

bool CJotwellApp::SaveEverything() {
    NoteTreeEngine::CNoteSession& session = m_frame->Session();
    NoteTreeEngine::CDocumentManager* manager = session.Manager();
    if (manager == nullptr) return true;
    CWaitCursor wait;
    const bool tree = session.SaveTree();
    const bool notes = manager->SaveAll();
    // A conflicting copy of a note is a new item, which the tree file must name too.
    return tree && notes && (!manager->TakeTreeChanged() || session.SaveTree());
}

void CJotwellApp::OpenHandedPath(const QString& path) {
    if (m_frame == nullptr || path.isEmpty()) return;
    m_frame->OpenTreeFile(QFileInfo(path).absoluteFilePath());
}
