#include "project/project_menu.h"

#include <algorithm>

#include "editor/document_commands.h"
#include "platform/files.h"
#include "platform/process.h"
#include "project/command_macros.h"
#include "project/file_processors.h"
#include "project/project.h"
#include "project/project_commands.h"
#include "project/project_file.h"
#include "project/project_windows.h"
#include "project/projects_table.h"
#include "project/run_program.h"
#include "shell/config_dialog.h"
#include "shell/dispatch.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/settings.h"
#include "shell/strutil.h"
#include "shell/ui.h"

namespace velt {

namespace pf = velt::platform;

std::function<bool(ProjectListRecord&)> gProjectListDialog;
std::function<bool()> gProjectUpToDateCheck;

namespace {

const int kOwnerTag = 0;
const void* const kOwner = &kOwnerTag;

constexpr std::size_t kRecentShown = kCmdRecentProjectLast - kCmdRecentProjectFirst + 1;

struct MenuState {
    bool installed = false;
    std::string ownProgram;
};

MenuState& State() {
    static MenuState state;
    return state;
}

bool ChooseProject(ProjectListRecord& record, bool forOpen) {
    if (!LoadProjectList(record, forOpen)) return false;
    return gProjectListDialog && gProjectListDialog(record) && record.OkEnabled();
}

// The settings are kept when the sheet closes while a project is open, with the project (its
// page may have changed it) saved along with them.
void SaveAfterConfiguration(const GlobalSettings&, ConfigContext& ctx) {
    if (!State().installed || !ProjectIsOpen()) return;
    if (!ctx.settings.saveEnabled || ctx.root.empty()) return;
    SaveContext windows = GatherWindowState();
    windows.projectOpen = true;
    ctx.settings.currentDir = pf::CurrentDirectory();
    if (!SaveGlobalSettings(ctx.root, ctx.settings, windows))
        ShowCannotOpen(GlobalSettingsFile(ctx.root));
}

}  // namespace

// ---- The project list dialog

bool ProjectListRecord::OkEnabled() const {
    return selected >= 0 && static_cast<std::size_t>(selected) < names.size();
}

std::string ProjectListRecord::Chosen() const {
    return OkEnabled() ? names[static_cast<std::size_t>(selected)] : std::string();
}

bool LoadProjectList(ProjectListRecord& record, bool forOpen) {
    record = ProjectListRecord{};
    record.names = ProjectNameList();
    if (record.names.empty()) {
        ShowMessage("No project defined");
        return false;
    }
    record.title = forOpen ? kOpenProjectTitle : kEraseProjectTitle;
    record.okText = forOpen ? "Open" : "Erase";
    record.offerNewWindow = forOpen;
    const std::string& open = CurrentProject().name;
    const auto at = std::find(record.names.begin(), record.names.end(), open);
    if (!open.empty() && at != record.names.end())
        record.selected = static_cast<int>(at - record.names.begin());
    return true;
}

// ---- The commands

bool OpenProjectCommand() {
    ProjectListRecord record;
    if (!ChooseProject(record, true)) return false;
    const std::string name = record.Chosen();
    if (record.newWindow) return StartProjectInNewInstance(name);
    return OpenProjectByName(name);
}

bool CloseProjectCommand() {
    return ProjectIsOpen() && CloseCurrentProject();
}

bool EraseProjectCommand() {
    ProjectListRecord record;
    if (!ChooseProject(record, false)) return false;
    const std::string name = record.Chosen();
    if (!AskYesNo(FormatText("%s %s", "Erase", name.c_str()))) return false;
    return EraseProject(name);
}

std::vector<std::string> RecentProjects() {
    const std::deque<std::string>& names = ProjectNames();
    const std::size_t n = std::min(names.size(), kRecentShown);
    return {names.begin(), names.begin() + static_cast<std::ptrdiff_t>(n)};
}

bool OpenRecentProject(std::size_t index) {
    const std::vector<std::string> recent = RecentProjects();
    if (index >= recent.size()) return false;
    return OpenProjectByName(recent[index]);
}

void SetOwnProgram(const std::string& path) {
    State().ownProgram = path;
}

std::string SecondInstanceCommand(const std::string& name) {
    const std::string own =
        State().ownProgram.empty() ? pf::CurrentExecutablePath() : State().ownProgram;
    // Quoted, a name with blanks reaches the other copy whole.
    return CommandLineWord(own) + " " + CommandLineWord("/prj:" + name);
}

bool StartProjectInNewInstance(const std::string& name) {
    const std::string own =
        State().ownProgram.empty() ? pf::CurrentExecutablePath() : State().ownProgram;
    if (own.empty() || name.empty() || !pf::StartDetached(SecondInstanceCommand(name))) {
        CurrentUi().Beep();
        return false;
    }
    return true;
}

// ---- Running the project's program

std::optional<ProgramStart> ProjectProgramStart() {
    const GlobalSettings& settings = ProjectSettings();
    ProgramStart start;
    if (ProjectIsOpen()) {
        const Project& p = CurrentProject();
        start.program = ProjectProgramName({p.exe, p.make ? p.make->makeDir : std::string()});
        start.console = (p.compilerFlags & kTargetConsole) != 0;
    } else {
        start.program = settings.debuggerExeName;
    }
    if (start.program.find_first_not_of(" \t") == std::string::npos) return std::nullopt;
    start.arguments = settings.debuggerArguments;
    if (!settings.debuggerDir.empty() &&
        !EqualsNoCase(settings.debuggerDir, pf::CurrentDirectory()))
        start.directory = settings.debuggerDir;
    return start;
}

bool RunProjectProgram() {
    if (ProjectIsOpen() && gProjectUpToDateCheck && !gProjectUpToDateCheck()) return false;
    const std::optional<ProgramStart> start = ProjectProgramStart();
    if (!start) return false;
    // A program named relative to the current directory is found there, as the system finds
    // it, also when another directory is entered for the start.
    std::string program = start->program;
    const std::string here = pf::ResolveName(pf::MakeAbsolute(program));
    if (pf::IsRegularFile(here)) program = here;
    const StartDirectory dir(start->directory);
    if (!dir.entered()) return false;
    if (!pf::StartDetached(StartCommand(program, start->arguments, start->console))) {
        CurrentUi().Beep();
        return false;
    }
    return true;
}

// ---- Wiring

void InstallProjectCommands() {
    static bool handlerAdded = false;
    CommandDispatcher& d = FrameCommands();
    d.Unregister(kOwner);
    auto add = [&d](unsigned id, bool (*fn)()) {
        d.Register(
            id, [fn](const CommandCall&) { return std::intptr_t{fn() ? 1 : 0}; }, kOwner,
            CommandPhase::Table);
    };
    add(kCmdOpenProject, OpenProjectCommand);
    add(kCmdCloseProject, CloseProjectCommand);
    add(kCmdEraseProject, EraseProjectCommand);
    add(kCmdOpenAllFiles, [] { return OpenAllProjectFiles() > 0; });
    add(kCmdRunProjectProgram, RunProjectProgram);
    d.RegisterRange(
        kCmdRecentProjectFirst, kCmdRecentProjectLast,
        [](const CommandCall& c) {
            return std::intptr_t{OpenRecentProject(c.id - kCmdRecentProjectFirst) ? 1 : 0};
        },
        kOwner, CommandPhase::Frame);
    d.SetEnabledCheck(kCmdCloseProject, ProjectIsOpen, kOwner);
    d.SetEnabledCheck(kCmdOpenAllFiles, ProjectIsOpen, kOwner);
    for (unsigned id = kCmdRecentProjectFirst; id <= kCmdRecentProjectLast; ++id)
        d.SetEnabledCheck(
            id, [id] { return id - kCmdRecentProjectFirst < RecentProjects().size(); }, kOwner);

    gFileInformationHook = &ShowDocumentInformation;
    gProjectExeQuery = []() -> std::optional<ProjectExeInfo> {
        if (!ProjectIsOpen()) return std::nullopt;
        const Project& p = CurrentProject();
        return ProjectExeInfo{p.exe, p.make ? p.make->makeDir : std::string()};
    };
    if (!handlerAdded) {
        AddConfigConfirmedHandler(SaveAfterConfiguration);
        handlerAdded = true;
    }
    State().installed = true;
}

void UninstallProjectCommands() {
    FrameCommands().Unregister(kOwner);
    if (gFileInformationHook == &ShowDocumentInformation) gFileInformationHook = nullptr;
    gProjectExeQuery = nullptr;
    State().installed = false;
}

}  // namespace velt
