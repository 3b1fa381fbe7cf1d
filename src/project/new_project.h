// Making projects: the New project command (1229) with its dialogs, the skeleton generator of
// the compiler system, the default make settings a project without any receives, and the
// default project the build makes from a lone source file. The dialogs are records with their
// rules here; the front end only draws them through the hooks below.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "project/build_pages.h"
#include "project/project.h"
#include "shell/config_dialog.h"
#include "shell/settings.h"

namespace velt {

// ---- The name question

inline constexpr char kNewProjectNameCaption[] = "Enter the new project name";
inline constexpr char kNewProjectNamePrompt[] = "Project name?";

// Whether `name` is one of the known project names. Letter case is ignored: the projects
// table finds its keys that way, so "Demo" beside "demo" would replace the other's entry.
bool ProjectNameKnown(const std::string& name);

// ---- "Definition of a new project"

inline constexpr char kNewProjectTitle[] = "Definition of a new project";

// The types of project, in the order the dialog lists them, with their target bits.
struct ProjectTypeChoice {
    const char* label;
    std::uint32_t bit;
};
inline constexpr ProjectTypeChoice kProjectTypes[] = {
    {"Windows executable", kTargetWindows},
    {"Console Application", kTargetConsole},
    {"Dynamic Link Library (dll)", kTargetDll},
    {"Static Library (lib)", kTargetLibrary},
};

// Checks a new file into the versioning system with its description; false when it failed.
// The versioning system registers it; while it is unset the dialog does not offer "Use
// versioning system".
extern std::function<bool(const std::string& file, const std::string& description)> gCmsCheckIn;

struct NewProjectRecord {
    std::string name;            // "Name of the project" "(Without path)"
    std::string path;            // "Path" "Working directory:"
    std::string outputDir;       // "Output directory" "Objects and executables"
    bool multiUser = false;      // "Users": "Single user" / "Multi user" (not read by the creation)
    bool useVersioning = false;  // "Use versioning system"
    std::uint32_t type = kTargetConsole;  // "Type of project": one bit of kProjectTypes

    // Opens the dialog on `proposedName`: asks the versioning system's login first when no
    // user name is known (false: cancelled, as if "&Cancel" was pressed), then single user,
    // console application.
    bool Load(const std::string& proposedName);
    // Whether "Use versioning system" can be checked (the versioning system is there).
    static bool VersioningOffered();

    // The name field was left: a known name is refused and emptied, a name with a blank is
    // refused. False when the name was refused.
    bool NameLeft();
    // The path field was left, or a directory was picked with "Browse" (`picked` not empty):
    // the output directory follows the path.
    void PathLeft(const std::string& picked = {});

    // "&Create": the checks and directories of the creation; on success `project` holds the
    // path, the output directory, the type and the user, and the project path is the current
    // directory. False (after saying why) keeps the dialog open.
    bool Create(Project& project);
};

// Shows the dialog on a loaded record; true when it was closed with "&Create" (after Create
// passed). Filled by the front end; unset, the dialog counts as cancelled.
extern std::function<bool(NewProjectRecord&, Project&)> gNewProjectDialog;

// ---- The skeleton generator

inline constexpr char kSkeletonQuestion[] =
    "Do you want to use the skelgen to generate the application skeleton?";

// The generator's command line: "<root>/bin/skelgen.exe /velt:<window> /prjname:<name>
// /prjpath:<path> /out:<answer>", then " /dll" or " /console" for those targets.
std::string SkeletonCommand(const std::string& root, std::uint64_t window, const Project& project,
                            const std::string& answerFile);
// Takes the answer file's text into `project`: the first line's value is the name, the
// second and third lines' values are files (a value under the project path loses that path).
// Only lines a newline ends count.
void ReadSkeletonAnswer(const std::string& text, Project& project);
// Runs the generator for `project` and reads and deletes its answer. The generator's exit
// code (non-zero: success); 0 when there is no answer or it could not run.
int RunSkeletonGenerator(Project& project);

// ---- "Source files for project %s"

inline constexpr char kSourceFilesTitle[] = "Source files for project %s";
inline constexpr char kSourceFilesHint[] =
    "To remove a file from the project select its name and press \"Remove\"";
inline constexpr char kAddSourcesCaption[] = "Add source files to project";
// Pairs of label and pattern, each followed by '|'.
inline constexpr char kSourceFilesFilter[] =
    "C sources|*.c|C Headers|*.h|Project files|*.prj|Resources|*.rc|Binary resources|*.res|"
    "Fortran|*.f|Eiffel|*.e|Executables|*.exe|Assembly|*.asm|Resource project|*.wed|All|*.*|";

// The filter list as label and pattern pairs.
struct FileFilter {
    std::string label;
    std::string pattern;
};
std::vector<FileFilter> SourceFileFilters();

// The multiple-selection file chooser: the caption, the filters, the row preselected and the
// directory it opens in. Returns the chosen files (none when cancelled). Filled by the front
// end; unset, nothing is chosen.
extern std::function<std::vector<std::string>(const std::string& caption,
                                              const std::vector<FileFilter>& filters, int filter,
                                              const std::string& directory)>
    gChooseSourceFiles;

struct SourceFilesRecord {
    std::string title;
    std::vector<std::string> names;  // shown: upper case, each once
    int selected = -1;
    bool newProject = false;
    std::string directory;  // names of files directly in it are kept without it

    // Fills the list from the project's files and libraries.
    void Load(const Project& project, bool forNewProject);
    // An empty list opens the chooser at once.
    bool ChooserAtOnce() const { return names.empty(); }
    // "&Add...": the chooser, then AddFiles. False when nothing was chosen.
    bool Add();
    void AddFiles(const std::vector<std::string>& chosen);
    // "&Remove": the selected name. False when none is selected.
    bool Remove();
    // "&Validate": an empty list says "No files specified" and keeps the dialog open;
    // otherwise the list becomes the project's files (and, for a new project, the libraries
    // among them its libraries).
    bool Validate(Project& project) const;
    // The filter row the chooser starts with: the one of the last extension added ("*.c"
    // for a new project).
    int FilterRow() const;
};

// Shows the dialog on a loaded record; true when it was closed with "&Validate" (after
// Validate passed). Filled by the front end; unset, the dialog counts as cancelled.
extern std::function<bool(SourceFilesRecord&, Project&)> gSourceFilesDialog;

// Runs the dialog for `project` with the project's sources directory current meanwhile.
bool EditSourceFiles(Project& project, bool forNewProject);

// ---- "Compiler configuration": the build settings pages one after the other

inline constexpr char kBuildSettingsTitle[] = "Compiler configuration";
inline constexpr char kCompilerSettingsTitle[] = "Compiler settings";
inline constexpr char kLinkerSettingsTitle[] = "Linker settings";

// The Compiler and Linker pages of the open project run with Back, Next and Finish.
struct BuildSettingsSequence {
    explicit BuildSettingsSequence(GlobalSettings& settings);

    // Fills both pages from the open project (the Linker page as for a new project).
    void Load();
    // "Finish": every page is checked, then stored. The number of pages that accepted their
    // settings; 0 when a page refused.
    int Finish();

    std::string root;
    ConfigContext context;
    CompilerPage compiler;
    LinkerPage linker;
};

// Runs the sequence on a loaded record; true when it ended with Finish (after Finish stored
// at least one page). Filled by the front end; unset, the sequence counts as cancelled.
extern std::function<bool(BuildSettingsSequence&)> gBuildSettingsDialog;

// ---- What New project needs of the frame

struct NewProjectWindowHooks {
    // The main window's number for the skeleton generator's "/velt:".
    std::function<std::uint64_t()> frameWindow;
    // Minimised while the generator runs, restored afterwards.
    std::function<void()> minimiseFrame;
    std::function<void()> restoreFrame;
};
void SetNewProjectWindowHooks(NewProjectWindowHooks hooks);

// ---- The commands and the defaults

inline constexpr char kNoFilesQuestion[] = "No files selected\nContinue with empty project?";
inline constexpr int kOpenFilesAskAbove = 45;

// New project (1229). True when a project was made and opened.
bool NewProjectCommand();

// The default make settings of `project`: its output directory when it has none, the make
// command, debug information, the DLL entry, the debugger's directory and program, the
// sources directory (the current one), the diagnostics file, the includes of the compiler
// system, the output file. False (the output directory could not be made) leaves it without.
bool CompleteMakeSettings(Project& project);

// The default project of the current document (Make without a project): a console program
// when it defines main, a Windows program when it defines WinMain. False, with no project
// open, when none could be made (after saying why).
bool MakeDefaultProject();

// Registers 1229, the default make settings for projects without any and the default project
// of the build.
void InstallProjectCreation();
void UninstallProjectCreation();

}  // namespace velt
