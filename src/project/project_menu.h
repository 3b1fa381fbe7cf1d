// The commands of the Project menu on top of the project operations: Open and Erase with the
// project list dialog, Close, the recent projects, Open all files; the run of the program the
// project builds (Ctrl+F5); and their wiring into the dispatcher, the editor's file
// information and the configuration sheet.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shell/commands.h"

namespace velt {

// Ctrl+F5 runs the program the project builds (F5 debugs it).
inline constexpr unsigned kCmdRunProjectProgram = kCmdKeyCtrlF5;

// ---- The project list dialog

inline constexpr char kOpenProjectTitle[] = "Open a project";
inline constexpr char kEraseProjectTitle[] = "Erase";
inline constexpr char kNewWindowLabel[] =
    "Open project in a new editor window and keep current project open";

struct ProjectListRecord {
    std::string title;   // "Open a project" or "Erase"
    std::string okText;  // the command's word on the OK button: "Open" or "Erase"
    std::vector<std::string> names;
    int selected = -1;            // the open project's row; -1 when it is not in the list
    bool offerNewWindow = false;  // Open offers the check box kNewWindowLabel
    bool newWindow = false;       // ... and it was checked

    // OK needs a row; a double click on a row confirms.
    bool OkEnabled() const;
    // The name of the selected row; empty when none.
    std::string Chosen() const;
};

// Fills the record for the Open (`forOpen`) or Erase command: the known names, newest first,
// the open project selected. With no names "No project defined" is shown and false returned.
bool LoadProjectList(ProjectListRecord& record, bool forOpen);

// Shows the dialog on a loaded record; true when confirmed with a row selected. Filled by the
// front end; unset, the dialog counts as cancelled.
extern std::function<bool(ProjectListRecord&)> gProjectListDialog;

// ---- The commands

// Open (1225): the list, then the chosen project is opened here, or, with the check box, in a
// second copy of the program while this one keeps its project.
bool OpenProjectCommand();
// Close (1198); only while a project is open.
bool CloseProjectCommand();
// Erase (1246): the list titled "Erase", then the question "Erase <name>"; the project file
// stays on disk.
bool EraseProjectCommand();
// The four most recently used projects, most recent first (the menu's 1214 ... 1217).
std::vector<std::string> RecentProjects();
bool OpenRecentProject(std::size_t index);

// The program a second copy is started from; empty (the default) means this process's own.
void SetOwnProgram(const std::string& path);
// "<program> /prj:<name>", each part quoted when it holds a blank.
std::string SecondInstanceCommand(const std::string& name);
// Starts a second copy of the program on project `name`; beeps and returns false when it
// could not be started.
bool StartProjectInNewInstance(const std::string& name);

// ---- Running the project's program

// The build's check that the target is up to date, asked before the project's program runs
// (it may offer to rebuild first); false stops the start. Until the build registers it the
// target counts as up to date.
extern std::function<bool()> gProjectUpToDateCheck;

struct ProgramStart {
    std::string program;
    std::string arguments;
    std::string directory;  // made current for the start; empty: the current one stays
    bool console = false;   // started through "<root>/bin/conrun.exe"
};
// What Ctrl+F5 starts: with a project its output file (in the make directory when it names no
// directory), through conrun for a console target; without one the debugger's program. The
// arguments are the debugger's; its working directory is entered when it is set and differs
// (letter case ignored) from the current one. Nothing when there is no program to run.
std::optional<ProgramStart> ProjectProgramStart();
// Ctrl+F5: the up-to-date check (with a project), then the start, not waited for. False when
// nothing was started.
bool RunProjectProgram();

// ---- Wiring (InstallProjects calls these)

// The commands 1198, 1214 ... 1217, 1225, 1246, 1276 and Ctrl+F5 in the dispatcher with
// their enabling rules, the document information dialog behind the file information, the
// project's output file behind the EXE macro, and the settings save when the configuration
// sheet closes while a project is open.
void InstallProjectCommands();
void UninstallProjectCommands();

}  // namespace velt
