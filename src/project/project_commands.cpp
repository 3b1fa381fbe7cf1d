#include "project/project_commands.h"

#include <fstream>
#include <ostream>

#include "editor/document_commands.h"
#include "editor/editing.h"
#include "platform/files.h"
#include "platform/profile_store.h"
#include "project/open_by_name.h"
#include "project/project.h"
#include "project/project_file.h"
#include "project/project_menu.h"
#include "project/project_windows.h"
#include "project/projects_table.h"
#include "shell/command_line.h"
#include "shell/document_host.h"
#include "shell/exit_questions.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/settings.h"
#include "shell/strutil.h"
#include "shell/ui.h"

namespace velt {

namespace pf = velt::platform;

namespace {

constexpr unsigned kDirectoryMissing = 4380;
// An imported file is recognised by its first bytes.
constexpr std::size_t kImportHeadSize = 512;
constexpr std::size_t kMaxValue = 511;

struct CommandState {
    GlobalSettings* settings = nullptr;  // the shared global settings, when installed
    const StartupOptions* options = nullptr;
    // The open project was opened in this session (not only loaded with the settings).
    bool opened = false;
    // A project is being opened: a project file among its windows opens as text.
    bool opening = false;
    // The settings save has saved the project.
    bool savedWithSettings = false;
};

CommandState& State() {
    static CommandState state;
    return state;
}

class OpeningScope {
  public:
    OpeningScope() : was_(State().opening) { State().opening = true; }
    ~OpeningScope() { State().opening = was_; }
    OpeningScope(const OpeningScope&) = delete;
    OpeningScope& operator=(const OpeningScope&) = delete;

  private:
    bool was_;
};

void SetTitle() {
    if (ProjectWindows().setFrameTitle) ProjectWindows().setFrameTitle(ProjectFrameTitle());
}

std::string WithoutQuotes(const std::string& name) {
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        return name.substr(1, name.size() - 2);
    if (!name.empty() && name.front() == '"') return name.substr(1);
    return name;
}

// Reopens the recorded windows, oldest first so that the last recorded lies on top, each at
// its line and place.
void ReopenWindows(const Project& p) {
    DocumentHost& host = CurrentDocuments();
    for (auto it = p.openFiles.rbegin(); it != p.openFiles.rend(); ++it) {
        const OpenFileRecord& r = *it;
        const std::string name = WithoutQuotes(r.name);
        if (name.empty()) continue;
        if (!host.OpenDocument(pf::ResolveName(pf::MakeAbsolute(name)))) continue;
        const std::vector<DocumentSummary> docs = host.Documents();
        EditView* view = docs.empty() ? nullptr : docs.front().view;
        if (!view) continue;
        if (r.line > 0) PlaceCursor(*view, r.line, 0);
        if (ProjectWindows().placeDocumentWindow)
            ProjectWindows().placeDocumentWindow(view, r);
        else if (r.maximised())
            CurrentUi().MaximiseDocumentWindow(view);
    }
}

void ActivateCurrentFile(const Project& p) {
    if (p.currentFile.empty()) return;
    DocumentHost& host = CurrentDocuments();
    for (const DocumentSummary& d : host.Documents())
        if (EqualsNoCase(d.name, p.currentFile) || pf::SameFile(d.name, p.currentFile)) {
            host.OpenDocument(d.name);
            return;
        }
}

void EnterProjectDirectory(Project& p) {
    const std::string cwd = pf::CurrentDirectory();
    if (p.projectPath.empty()) {
        p.projectPath = CutField(cwd);
        return;
    }
    if (EqualsNoCase(p.projectPath, cwd)) return;
    const std::string dir = pf::ResolveName(p.projectPath);
    if (!pf::IsDirectory(dir) || !pf::SetCurrentDirectory(dir))
        ShowMessage(FormatText(GetMessageText(kDirectoryMissing), p.projectPath.c_str()));
}

// ---- The settings parts

void ReadProjectsPart(const SettingsLocation& loc) {
    SetProjectsRoot(loc.root);
    ReadProjectsTable(true);
    // The list was written most recently used first; the table alone does not keep that
    // order, and the recent projects of the menu are the head of the list.
    std::vector<std::string> stored;
    const long count = pf::ProfileGetNumber(loc.file, loc.section, "Projects", 0);
    for (long k = 1; k <= count; ++k) {
        std::string name =
            pf::ProfileGetString(loc.file, loc.section, FormatText("Project%ld", k), "");
        if (name.empty()) break;
        stored.push_back(std::move(name));
    }
    OrderProjectNames(stored);
    const std::string fromLine = State().options ? State().options->project : std::string();
    SetCurrentProjectName(ChooseStartupProject(fromLine, loc.file));
}

bool WriteProjectsPart(const SettingsLocation& loc) {
    const std::deque<std::string>& names = ProjectNames();
    if (!pf::ProfileWriteNumber(loc.file, loc.section, "Projects", static_cast<long>(names.size())))
        return false;
    std::size_t k = 0;
    for (const std::string& n : names)
        if (!pf::ProfileWriteString(loc.file, loc.section, FormatText("Project%zu", ++k),
                                    std::string_view(n)))
            return false;
    return pf::ProfileWriteString(loc.file, loc.section, "CurrentProject",
                                  std::string_view(CurrentProject().name));
}

void DumpProjectsPart(std::ostream& out) {
    const std::deque<std::string>& names = ProjectNames();
    out << "Projects=" << names.size() << '\n';
    std::size_t k = 0;
    for (const std::string& n : names) out << "Project" << ++k << '=' << n << '\n';
    out << "CurrentProject=" << CurrentProjectName() << '\n';
}

void ReadOpenProjectPart(const SettingsLocation&) {
    // The record only: the windows and the file list come when the project is opened.
    State().opened = false;
    if (!CurrentProjectName().empty()) LoadProject();
}

bool WriteOpenProjectPart(const SettingsLocation&) {
    if (!ProjectIsOpen()) return true;
    const SaveContext windows = GatherWindowState();
    Project& p = CurrentProject();
    p.frameX = windows.frameX;
    p.frameY = windows.frameY;
    p.frameCX = windows.frameCX;
    p.frameCY = windows.frameCY;
    SaveProjectWith(windows);
    State().savedWithSettings = true;
    // The project keeps its state in its own file; the settings go on either way.
    return true;
}

bool OpenProjectFileHook(const std::string& name) {
    return ImportProjectFile(name);
}

}  // namespace

void InstallProjects(GlobalSettings& settings, const StartupOptions* options) {
    State().settings = &settings;
    State().options = options;
    SetProjectSettings(&settings);
    gOpenProjectFileHook = &OpenProjectFileHook;
    RegisterSettingsPart(SettingsSlot::Projects, ReadProjectsPart, WriteProjectsPart,
                         DumpProjectsPart);
    RegisterSettingsPart(SettingsSlot::OpenProject, ReadOpenProjectPart, WriteOpenProjectPart);
    InstallProjectCommands();
}

void UninstallProjects() {
    State().settings = nullptr;
    State().options = nullptr;
    SetProjectSettings(nullptr);
    if (gOpenProjectFileHook == &OpenProjectFileHook) gOpenProjectFileHook = nullptr;
    UninstallProjectCommands();
}

std::string ChooseStartupProject(const std::string& commandLineProject,
                                 const std::string& settingsFile) {
    if (ProjectsTableEntries() < 1) return {};
    if (!commandLineProject.empty()) return commandLineProject;
    std::string name = pf::ProfileGetString(settingsFile, kSettingsSection, "CurrentProject", "");
    if (name.empty())
        name = pf::ProfileGetString(settingsFile, kSettingsSection, "CMSProjectPath", "");
    if (name.size() > kMaxValue) name.resize(kMaxValue);
    return name;
}

bool OpenLastProject() {
    const std::string name = CurrentProjectName();
    return !name.empty() && OpenProjectByName(name);
}

std::vector<std::string> ProjectNameList() {
    const std::deque<std::string>& names = ProjectNames();
    return {names.begin(), names.end()};
}

bool OpenProjectByName(const std::string& name) {
    if (name.empty()) return false;
    if (ProjectWindows().restoreFrameIfMaximised) ProjectWindows().restoreFrameIfMaximised();
    if (!CloseCurrentProject()) return false;
    const OpeningScope opening;
    SetCurrentProjectName(name);
    if (!LoadProject()) return false;
    Project& p = CurrentProject();
    SetTitle();
    ReopenWindows(p);
    EnterProjectDirectory(p);
    p.cmsDirectory = pf::JoinPath(p.projectPath, "CMS");
    EnsureMakeSettings(p);
    ActivateCurrentFile(p);
    LoadProjectFileList();
    if (!p.sourcesDir.empty()) pf::SetCurrentDirectory(pf::ResolveName(p.sourcesDir));
    ProjectSettings().saveEnabled = true;
    State().opened = true;
    MoveProjectNameToFront(name);
    return true;
}

int OpenAllProjectFiles() {
    if (!ProjectIsOpen()) return 0;
    const Project& p = CurrentProject();
    // Names without a directory lie in the sources directory.
    const std::string base = !p.sourcesDir.empty()    ? p.sourcesDir
                             : !p.projectPath.empty() ? p.projectPath
                                                      : pf::CurrentDirectory();
    const OpeningScope opening;
    DocumentHost& host = CurrentDocuments();
    int opened = 0;
    // The list holds the names in reverse key order: opened from its head, the file of the
    // first File%d key ends on top.
    for (auto it = p.files.begin(); it != p.files.end(); ++it) {
        if (it->empty()) continue;
        const std::string name =
            pf::ResolveName(it->front() == pf::kPathSeparator ? *it : pf::JoinPath(base, *it));
        // Opening a missing name would make an empty new file; objects, libraries and
        // compiled resources are no text to edit.
        if (!pf::IsRegularFile(name)) continue;
        const OpenAction action = OpenActionFor(name);
        if (action != OpenAction::Text && action != OpenAction::AskResource) continue;
        if (host.OpenDocument(name)) ++opened;
    }
    return opened;
}

bool CloseCurrentProject() {
    CommandState& s = State();
    if (!ProjectIsOpen()) {
        s.opened = false;
        return true;
    }
    // Loaded with the settings but never opened: nothing of it is shown or changed yet, and a
    // save now would only record the windows of the last session as its own.
    if (!s.opened) {
        ReleaseCurrentProject();
        return true;
    }
    if (ConfirmClose() == CloseDecision::Veto) return false;
    GlobalSettings& settings = ProjectSettings();
    if (settings.saveEnabled) {
        s.savedWithSettings = false;
        if (s.settings && !ProjectsRoot().empty()) {
            SaveContext windows = GatherWindowState();
            windows.projectOpen = true;
            settings.currentDir = pf::CurrentDirectory();
            SaveGlobalSettings(ProjectsRoot(), settings, windows);
        }
        if (!s.savedWithSettings) SaveProject();
    }
    CurrentDocuments().CloseAllWindows();
    ReleaseCurrentProject();
    s.opened = false;
    SetTitle();
    return true;
}

void MarkProjectOpened() {
    State().opened = ProjectIsOpen();
}

bool EraseProject(const std::string& name) {
    if (name.empty()) return false;
    if (CurrentProject().name == name && !CloseCurrentProject()) return false;
    if (!UnregisterProject(name)) return false;
    RemoveProjectName(name);
    if (CurrentProjectName() == name) SetCurrentProjectName("");
    return true;
}

bool ImportProjectFile(const std::string& path) {
    // A project file among the windows of the project being opened is only a text.
    if (State().opening || ProjectsRoot().empty()) return false;
    const std::string absolute = pf::MakeAbsolute(path);
    std::string head(kImportHeadSize, '\0');
    {
        std::ifstream in(pf::ResolveName(absolute), std::ios::binary);
        if (!in) return false;
        in.read(head.data(), static_cast<std::streamsize>(head.size()));
        head.resize(static_cast<std::size_t>(in.gcount()));
    }
    const std::optional<std::string> name = ProjectNameFromHeader(head);
    if (!name) return false;
    if (!CloseCurrentProject()) return false;
    SetCurrentProjectName(*name);
    if (!pf::ProfileWriteString(ProjectsTableFile(), kProjectsSection, *name,
                                std::string_view(AsciiLower(absolute))))
        return false;
    AddProjectName(*name);
    return OpenProjectByName(*name);
}

std::string ProjectFrameTitle() {
    return CurrentProject().name;
}

}  // namespace velt
