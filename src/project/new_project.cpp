#include "project/new_project.h"

#include <algorithm>
#include <memory>

#include "analysis/function_list.h"
#include "build/build.h"
#include "editor/document.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/user_store.h"
#include "project/makefile.h"
#include "project/project_commands.h"
#include "project/project_file.h"
#include "project/project_windows.h"
#include "project/projects_table.h"
#include "project/run_program.h"
#include "shell/commands.h"
#include "shell/compiler_root.h"
#include "shell/dispatch.h"
#include "shell/document_host.h"
#include "shell/exit_questions.h"
#include "shell/file_helpers.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/strutil.h"
#include "shell/ui.h"

namespace velt {

namespace pf = velt::platform;

std::function<bool(const std::string&, const std::string&)> gCmsCheckIn;
std::function<bool(NewProjectRecord&, Project&)> gNewProjectDialog;
std::function<std::vector<std::string>(const std::string&, const std::vector<FileFilter>&, int,
                                       const std::string&)>
    gChooseSourceFiles;
std::function<bool(SourceFilesRecord&, Project&)> gSourceFilesDialog;
std::function<bool(BuildSettingsSequence&)> gBuildSettingsDialog;

namespace {

const int kOwnerTag = 0;
const void* const kOwner = &kOwnerTag;

constexpr char kSep = pf::kPathSeparator;
constexpr char kOutputSubdir[] = "nimra";
constexpr char kImpossibleDefault[] = "Impossible to generate default project";
constexpr std::size_t kAnswerMax = 8192;
constexpr std::size_t kCmsUserMax = 49;

NewProjectWindowHooks& WindowHooks() {
    static NewProjectWindowHooks hooks;
    return hooks;
}

// The extension of the files added last, for the chooser's filter next time.
std::string& LastAddedExtension() {
    static std::string ext;
    return ext;
}

bool HasBlank(const std::string& s) {
    return s.find(' ') != std::string::npos;
}

// Without trailing separators (the root directory keeps its one).
std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && (path.back() == kSep || path.back() == '\\')) path.pop_back();
    return path;
}

std::string OutputDirectoryOf(const std::string& path) {
    return path.empty() ? std::string() : WithoutTrailingSeparator(path) + kSep + kOutputSubdir;
}

// The name the versioning system works under: the known one, else the system's.
std::string CurrentUserName() {
    if (!ProjectUserName().empty()) return ProjectUserName();
    for (const char* var : {"USER", "LOGNAME"})
        if (std::optional<std::string> v = pf::GetEnvironment(var); v && !v->empty()) return *v;
    return {};
}

void SetFrameTitle() {
    if (ProjectWindows().setFrameTitle) ProjectWindows().setFrameTitle(ProjectFrameTitle());
}

// Whether `path` lies directly in `dir` (letter case ignored, as the stored names are).
bool DirectlyIn(const std::string& path, const std::string& dir) {
    const std::string parent = pf::DirectoryPart(path);
    if (parent.empty() || dir.empty()) return false;
    return EqualsNoCase(WithoutTrailingSeparator(parent), WithoutTrailingSeparator(dir)) ||
           pf::SameFile(parent, dir);
}

void UndoNewProject() {
    ReleaseCurrentProject();
    SetCurrentProjectName("");
    SetFrameTitle();
}

// Opens the new project's files (resource scripts excepted) in the editor.
void OpenNewProjectFiles(const Project& p) {
    const int count = static_cast<int>(p.files.size());
    if (count > kOpenFilesAskAbove && !AskYesNo(FormatText("Open %d files?", count))) return;
    const std::string base = p.sourcesDir.empty() ? p.projectPath : p.sourcesDir;
    DocumentHost& host = CurrentDocuments();
    for (const std::string& f : p.files) {
        // The skeleton's names are not upper-cased until the list is loaded again.
        if (f.empty() || AsciiUpper(f).find(".RC") != std::string::npos) continue;
        const std::string name = pf::ResolveName(f.front() == kSep ? f : pf::JoinPath(base, f));
        // A name that is not there would open as a new empty text.
        if (!pf::IsRegularFile(name)) continue;
        host.OpenDocument(name);
    }
}

}  // namespace

// ---- Names

bool ProjectNameKnown(const std::string& name) {
    for (const std::string& known : ProjectNames())
        if (EqualsNoCase(known, name)) return true;
    return false;
}

// ---- "Definition of a new project"

bool NewProjectRecord::VersioningOffered() {
    return static_cast<bool>(gCmsCheckIn);
}

bool NewProjectRecord::Load(const std::string& proposedName) {
    if (CurrentUserName().empty()) {
        std::string typed;
        if (!CurrentUi().AskText("CMS login", "Your name?", typed) || typed.empty()) return false;
        if (typed.size() > kCmsUserMax) typed.resize(kCmsUserMax);
        SetProjectUserName(typed);
    }
    name = proposedName;
    path.clear();
    outputDir.clear();
    multiUser = false;
    useVersioning = false;
    type = kTargetConsole;
    return true;
}

bool NewProjectRecord::NameLeft() {
    if (ProjectNameKnown(name)) {
        ShowMessage(FormatText("A project with name \"%s\" is already defined", name.c_str()));
        name.clear();
        return false;
    }
    if (HasBlank(name)) {
        ShowMessage("Do not use spaces here");
        return false;
    }
    return true;
}

void NewProjectRecord::PathLeft(const std::string& picked) {
    if (!picked.empty()) path = picked;
    outputDir = OutputDirectoryOf(path);
}

bool NewProjectRecord::Create(Project& p) {
    if (name.empty()) {
        ShowMessage("Empty project file?");
        return false;
    }
    if (path.empty()) {
        ShowMessage("You have to give a project path!");
        return false;
    }
    // The name field's checks again: a project registered under a used name would take the
    // other's place in the projects table.
    if (!NameLeft()) return false;

    const std::string dir = WithoutTrailingSeparator(pf::MakeAbsolute(path));
    const std::string onDisk = pf::ResolveName(dir);
    if (!pf::IsDirectory(onDisk) && !pf::CreateDirectory(onDisk)) {
        ShowMessage(FormatText("Impossible to create directory '%s'", dir.c_str()));
        return false;
    }

    std::string out = outputDir.empty() ? OutputDirectoryOf(dir)
                                        : WithoutTrailingSeparator(pf::MakeAbsolute(outputDir));
    const std::string outOnDisk = pf::ResolveName(out);
    if (!pf::PathExists(outOnDisk)) {
        if (!pf::CreateDirectory(outOnDisk)) {
            ShowMessage(FormatText("Impossible to create directory '%s'", out.c_str()));
            return false;
        }
    } else if (!pf::IsDirectory(outOnDisk)) {
        ShowMessage(FormatText("Impossible to create directory '%s'", out.c_str()));
        return false;
    } else if (!AskYesNo(FormatText("Directory %s exists. Use it anyway?", out.c_str()))) {
        return false;
    }

    if ((!pf::IsDirectory(onDisk) && !pf::CreateDirectory(onDisk)) ||
        !pf::SetCurrentDirectory(onDisk)) {
        ShowMessage(FormatText("Creation of %s impossible", dir.c_str()));
        return false;
    }
    p.projectPath = CutField(dir);

    p.projectFlags = 0;
    if (useVersioning) {
        p.projectFlags |= kProjectUsesCms;
        const std::string cwd = pf::CurrentDirectory();
        const std::string cms = pf::JoinPath(cwd, "CMS");
        if (!pf::IsDirectory(pf::ResolveName(cms)) && !pf::CreateDirectory(pf::ResolveName(cms))) {
            ShowMessage(FormatText("Creation of %s impossible", cms.c_str()));
            return false;
        }
        if (EqualsNoCase(cms, cwd)) {
            ShowMessage("Cms directory should be different from current directory");
            return false;
        }
        p.cmsDirectory = cms;
    }

    p.files.clear();
    p.cms.users.clear();
    if (const std::string user = CurrentUserName(); !user.empty()) p.cms.users.push_back(user);
    p.name = name;
    p.make = std::make_unique<MakeSettings>();
    p.make->makeDir = CutField(out);
    p.compilerFlags = type;
    outputDir = out;
    return true;
}

// ---- The skeleton generator

std::string SkeletonCommand(const std::string& root, std::uint64_t window, const Project& p,
                            const std::string& answerFile) {
    std::string command = CommandLineWord(pf::ResolveName(UnderRoot(root, "bin/skelgen.exe"))) +
                          FormatText(" /velt:%llu /prjname:%s /prjpath:%s /out:%s",
                                     static_cast<unsigned long long>(window), p.name.c_str(),
                                     p.projectPath.c_str(), answerFile.c_str());
    if (p.compilerFlags & kTargetDll)
        command += " /dll";
    else if (p.compilerFlags & kTargetConsole)
        command += " /console";
    return command;
}

void ReadSkeletonAnswer(const std::string& text, Project& p) {
    std::size_t pos = 0;
    for (int line = 1; line <= 3; ++line) {
        const std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) break;
        std::string value = text.substr(pos, end - pos);
        pos = end + 1;
        if (!value.empty() && value.back() == '\r') value.pop_back();
        const std::size_t colon = value.find(':');
        if (colon == std::string::npos) continue;
        value.erase(0, colon + 1);
        if (value.empty()) continue;
        if (line == 1) {
            p.name = value;
            continue;
        }
        const std::string& path = p.projectPath;
        if (!path.empty() && value.size() >= path.size() &&
            EqualsNoCase(std::string_view(value).substr(0, path.size()), path)) {
            value.erase(0, path.size());
            if (!value.empty() && (value.front() == kSep || value.front() == '\\'))
                value.erase(0, 1);
        }
        if (!value.empty()) AddProjectFile(p, CutField(value));
    }
}

int RunSkeletonGenerator(Project& p) {
    // Only the name of the temporary file is wanted: the generator creates the answer, and a
    // missing answer tells that it wrote none.
    const std::string cwd = pf::CurrentDirectory();
    std::string answer = pf::CreateTempFile(cwd, "skl");
    if (answer.empty()) return 0;
    pf::DeleteFile(answer);
    answer = pf::JoinPath(cwd, pf::NamePart(answer));

    const NewProjectWindowHooks& hooks = WindowHooks();
    const std::uint64_t window = hooks.frameWindow ? hooks.frameWindow() : 0;
    const std::string command = SkeletonCommand(ProjectsRoot(), window, p, answer);
    if (hooks.minimiseFrame) hooks.minimiseFrame();
    pf::RunOptions options;
    options.newProcessGroup = true;
    const int rc = pf::RunAndWait(command, options);
    if (hooks.restoreFrame) hooks.restoreFrame();

    std::string text;
    const bool answered = pf::ReadWholeFile(answer, text);
    if (answered) pf::DeleteFile(answer);
    if (!answered) return 0;
    // A generator that could not start, or says it failed, wrote nothing to take over.
    if (rc == 0 || rc == -1) return 0;
    if (text.size() > kAnswerMax) text.resize(kAnswerMax);
    ReadSkeletonAnswer(text, p);
    return rc;
}

// ---- "Source files for project %s"

std::vector<FileFilter> SourceFileFilters() {
    std::vector<FileFilter> out;
    const std::string all = kSourceFilesFilter;
    std::size_t pos = 0;
    while (pos < all.size()) {
        const std::size_t bar = all.find('|', pos);
        if (bar == std::string::npos) break;
        const std::size_t end = all.find('|', bar + 1);
        if (end == std::string::npos) break;
        out.push_back({all.substr(pos, bar - pos), all.substr(bar + 1, end - bar - 1)});
        pos = end + 1;
    }
    return out;
}

void SourceFilesRecord::Load(const Project& p, bool forNewProject) {
    newProject = forNewProject;
    title = FormatText(kSourceFilesTitle, p.name.c_str());
    directory = p.sourcesDir.empty() ? pf::CurrentDirectory() : p.sourcesDir;
    names.clear();
    selected = -1;
    auto add = [this](const std::string& n) {
        const std::string upper = AsciiUpper(n);
        if (!upper.empty() && std::find(names.begin(), names.end(), upper) == names.end())
            names.push_back(upper);
    };
    for (const std::string& f : p.files) add(f);
    std::size_t pos = 0;
    while (pos < p.libraries.size()) {
        const std::size_t blank = p.libraries.find(' ', pos);
        const std::size_t end = blank == std::string::npos ? p.libraries.size() : blank;
        add(p.libraries.substr(pos, end - pos));
        pos = end + 1;
    }
}

bool SourceFilesRecord::Add() {
    if (!gChooseSourceFiles) return false;
    const std::vector<std::string> chosen =
        gChooseSourceFiles(kAddSourcesCaption, SourceFileFilters(), FilterRow(), directory);
    if (chosen.empty()) return false;
    AddFiles(chosen);
    return true;
}

void SourceFilesRecord::AddFiles(const std::vector<std::string>& chosen) {
    for (const std::string& file : chosen) {
        std::string name = DirectlyIn(file, directory) ? pf::NamePart(file) : file;
        name = AsciiUpper(name);
        if (name.empty()) continue;
        const std::size_t dot = name.rfind('.');
        if (dot != std::string::npos && name.find(kSep, dot) == std::string::npos)
            LastAddedExtension() = AsciiLower(name.substr(dot + 1));
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
}

bool SourceFilesRecord::Remove() {
    if (selected < 0 || selected >= static_cast<int>(names.size())) return false;
    names.erase(names.begin() + selected);
    if (selected >= static_cast<int>(names.size())) selected = static_cast<int>(names.size()) - 1;
    return true;
}

bool SourceFilesRecord::Validate(Project& p) const {
    if (names.empty()) {
        ShowMessage("No files specified");
        return false;
    }
    if (newProject) {
        std::string libs;
        for (const std::string& n : names)
            if (n.find(".LIB") != std::string::npos) libs += (libs.empty() ? "" : " ") + n;
        p.libraries = libs;
    }
    p.files.assign(names.begin(), names.end());
    return true;
}

int SourceFilesRecord::FilterRow() const {
    const std::string ext = newProject ? std::string("c") : LastAddedExtension();
    const std::vector<FileFilter> filters = SourceFileFilters();
    for (std::size_t i = 0; i < filters.size(); ++i)
        if (EqualsNoCase(filters[i].pattern, "*." + ext)) return static_cast<int>(i);
    return 0;
}

bool EditSourceFiles(Project& p, bool forNewProject) {
    const std::string previous = pf::CurrentDirectory();
    if (!p.sourcesDir.empty()) pf::SetCurrentDirectory(pf::ResolveName(p.sourcesDir));
    SourceFilesRecord record;
    record.Load(p, forNewProject);
    if (record.ChooserAtOnce()) record.Add();
    const bool confirmed = gSourceFilesDialog && gSourceFilesDialog(record, p);
    pf::SetCurrentDirectory(previous);
    return confirmed;
}

// ---- "Compiler configuration"

BuildSettingsSequence::BuildSettingsSequence(GlobalSettings& settings)
    : root(ProjectsRoot()), context(settings, root) {}

void BuildSettingsSequence::Load() {
    const Project& p = CurrentProject();
    context.sheet.projectOpen = ProjectIsOpen();
    context.sheet.libraryTarget = (p.compilerFlags & kTargetLibrary) != 0;
    compiler.Load(context);
    SetLinkerPageForNewProject(true);
    linker.Load(context);
    SetLinkerPageForNewProject(false);
}

int BuildSettingsSequence::Finish() {
    if (!compiler.Validate(context) || !linker.Validate(context)) return 0;
    int accepted = 0;
    // Compiler first: the Linker page relies on the debug bits being stored already.
    if (compiler.Apply(context)) ++accepted;
    if (linker.Apply(context)) ++accepted;
    return accepted;
}

// ---- The frame

void SetNewProjectWindowHooks(NewProjectWindowHooks hooks) {
    WindowHooks() = std::move(hooks);
}

// ---- Defaults

bool CompleteMakeSettings(Project& p) {
    const bool hadMake = p.make != nullptr;
    if (!p.make) p.make = std::make_unique<MakeSettings>();
    if (p.make->makeDir.empty() && !MakeDefaultOutputDirectory(p)) {
        if (!hadMake) p.make.reset();
        return false;
    }
    GlobalSettings& settings = ProjectSettings();
    // Quoted when the root holds a blank, or the build could not start it.
    p.make->makeName =
        CutField(CommandLineWord(pf::ResolveName(UnderRoot(ProjectsRoot(), "bin/make.exe"))));
    p.compilerFlags |= kCompileDebug2;
    if (p.compilerFlags & kTargetDll) p.dllEntry = kDefaultDllEntry;
    settings.debuggerDir = p.make->makeDir;
    p.sourcesDir = CutField(pf::CurrentDirectory());
    p.errorFile = CutField(DefaultErrorFile(p));
    std::string includes;
    pf::UserStoreRead(kCompilerKeyPath, kIncludePathValue, includes);
    p.includes = includes;
    p.make->makeArgs.clear();
    p.exe = CutField(pf::NamePart(p.name) + DefaultOutputExtension(p.compilerFlags));
    if (p.exe.find(".exe") != std::string::npos) settings.debuggerExeName = p.exe;
    settings.debuggerArguments.clear();
    return true;
}

bool MakeDefaultProject() {
    Project& p = CurrentProject();
    ClearProject(p);
    auto fail = [&p](const std::string& text) {
        if (!text.empty()) ShowMessage(text);
        ClearProject(p);
        return false;
    };
    Document* doc = CurrentDocument();
    if (!doc) return fail(kImpossibleDefault);
    const std::string file = pf::NamePart(doc->name);
    const std::size_t dot = file.find('.');
    if (dot == std::string::npos || dot == 0) return fail(kImpossibleDefault);
    const std::string name = file.substr(0, dot);
    // Known in any letter case: saving this project's file list would go to the other's file.
    if (ProjectNameKnown(name))
        return fail(FormatText("A project with the name '%s' exists already", name.c_str()));
    const std::string dir = pf::DirectoryPart(doc->name);
    if (dir.empty()) return fail(kImpossibleDefault);

    p.name = name;
    p.projectPath = CutField(dir);
    p.sourcesDir = CutField(dir);
    if (!MakeDefaultOutputDirectory(p)) return fail({});

    const std::string suffix = std::string("\n") + kImpossibleDefault;
    EnsureFunctionList(doc);
    FunctionEntry* functions = FunctionListOf(*doc);
    if (!functions)
        return fail(FormatText("No functions defined in %s", doc->name.c_str()) + suffix);
    if (FindByName(functions, "main"))
        p.compilerFlags = kTargetConsole;
    else if (FindByName(functions, "WinMain"))
        p.compilerFlags = kTargetWindows;
    else
        return fail(FormatText("Neither 'main' nor 'WinMain' defined in %s", doc->name.c_str()) +
                    suffix);

    p.files.clear();
    p.files.push_back(CutField(AsciiUpper(file)));
    pf::SetCurrentDirectory(pf::ResolveName(dir));
    if (!CompleteMakeSettings(p)) return fail({});
    p.cms.users.clear();
    if (const std::string user = CurrentUserName(); !user.empty()) p.cms.users.push_back(user);
    AddProjectName(name);
    SetCurrentProjectName(name);
    SaveProjectFiles(kSaveFileList);
    return true;
}

// ---- New project

bool NewProjectCommand() {
    if (!OfferModifiedDocuments()) return false;

    std::string name;
    for (;;) {
        if (!CurrentUi().AskText(kNewProjectNameCaption, kNewProjectNamePrompt, name)) return false;
        if (!ProjectNameKnown(name)) break;
        ShowMessage(FormatText("This name ('%s') is already used as a project name", name.c_str()));
    }

    NewProjectRecord record;
    if (!record.Load(name)) return false;
    const std::string before = pf::CurrentDirectory();
    Project fresh;
    if (!gNewProjectDialog || !gNewProjectDialog(record, fresh)) {
        pf::SetCurrentDirectory(before);
        return false;
    }
    const std::string projectDir = pf::CurrentDirectory();

    if (!ProjectIsOpen()) {
        if (!OfferModifiedDocuments()) {
            pf::SetCurrentDirectory(before);
            return false;
        }
        GlobalSettings& settings = ProjectSettings();
        if (settings.saveEnabled && !ProjectsRoot().empty())
            SaveGlobalSettings(ProjectsRoot(), settings, GatherWindowState());
        CurrentDocuments().CloseAllWindows();
    } else {
        // Saving the old project records the current directory as its path: it must still be
        // the old one.
        pf::SetCurrentDirectory(before);
        if (!CloseCurrentProject()) return false;
        pf::SetCurrentDirectory(projectDir);
    }

    if (!(fresh.compilerFlags & kTargetLibrary) && AskYesNo(kSkeletonQuestion))
        RunSkeletonGenerator(fresh);
    else
        EditSourceFiles(fresh, true);
    if (fresh.files.empty() && !AskYesNo(kNoFilesQuestion)) {
        ClearProject(fresh);
        return false;
    }

    Project& p = CurrentProject();
    ReleaseCurrentProject();
    p.name = fresh.name;
    p.projectPath = fresh.projectPath;
    p.compilerFlags = fresh.compilerFlags;
    p.make = std::move(fresh.make);
    if (!CompleteMakeSettings(p)) {
        UndoNewProject();
        return false;
    }
    p.compilerFlags |= kCompileDebug2;
    p.projectFlags = fresh.projectFlags;
    p.files = std::move(fresh.files);
    p.libraries = fresh.libraries;
    p.cms.users = fresh.cms.users;
    p.cmsDirectory = pf::JoinPath(p.projectPath, "CMS");

    BuildSettingsSequence sequence(ProjectSettings());
    sequence.Load();
    if (!gBuildSettingsDialog || !gBuildSettingsDialog(sequence)) {
        UndoNewProject();
        return false;
    }

    AddProjectName(p.name);
    SetCurrentProjectName(p.name);
    if (!RegisterProject(p.name, p.projectPath)) {
        ShowCannotOpen(ProjectsTableFile());
        RemoveProjectName(p.name);
        UndoNewProject();
        return false;
    }
    // From here on it is an open project like any other: closing it saves it.
    MarkProjectOpened();
    ProjectSettings().saveEnabled = true;
    SaveProjectFiles(kSaveFileList);

    if (!p.files.empty()) {
        if ((p.projectFlags & kProjectUsesCms) && gCmsCheckIn) {
            const std::string description = FormatText(
                "Saved by %s  %s.\n", CurrentUserName().c_str(), TimeStampText().c_str());
            for (const std::string& f : p.files) gCmsCheckIn(f, description);
        }
        OpenNewProjectFiles(p);
    }

    GenerateMakefileCommand();
    SetFrameTitle();
    return true;
}

// ---- Wiring

void InstallProjectCreation() {
    CommandDispatcher& d = FrameCommands();
    d.Unregister(kOwner);
    d.Register(
        kCmdCreateProject,
        [](const CommandCall&) { return std::intptr_t{NewProjectCommand() ? 1 : 0}; }, kOwner,
        CommandPhase::Table);
    SetMakeDefaultsProvider(CompleteMakeSettings);
    gDefaultProjectHook = MakeDefaultProject;
}

void UninstallProjectCreation() {
    FrameCommands().Unregister(kOwner);
    SetMakeDefaultsProvider(nullptr);
    gDefaultProjectHook = nullptr;
}

}  // namespace velt
