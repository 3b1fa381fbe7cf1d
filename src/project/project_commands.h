// Opening, closing, importing and erasing projects, the choice of the project at start-up,
// and the wiring of the projects into the settings and the editor. The dialogs and menu
// commands sit on top of these functions.
#pragma once

#include <string>
#include <vector>

namespace velt {

struct GlobalSettings;
struct StartupOptions;

// ---- Wiring (once, from main(), before RunStartup)

// Registers the project parts of the global settings (the projects table, the choice of the
// current project and its keys Projects, Project%d and CurrentProject; loading the current
// project and saving it with the settings), shares `settings` with the projects, and lets
// the editor's OpenFile try a ".prj" file as a project, and installs the Project menu's
// commands (project_menu.h). `options` (not owned) supplies the project named on the command
// line when the settings are read; null: none.
void InstallProjects(GlobalSettings& settings, const StartupOptions* options = nullptr);
// Takes the editor hook and the shared settings out again (tests; the end of the program).
void UninstallProjects();

// ---- Start-up

// The project to make current once the projects table is read: the name from the command
// line, else CurrentProject of the global settings, else CMSProjectPath; nothing when the
// table has no entry.
std::string ChooseStartupProject(const std::string& commandLineProject,
                                 const std::string& settingsFile);

// Opens the project chosen while the settings were read (the last session's), as the Open
// command does. False when there is none or it could not be loaded.
bool OpenLastProject();

// ---- The operations

// The names the Open and Erase lists show, newest first.
std::vector<std::string> ProjectNameList();

// Opens `name`: restores a maximised main window, closes the open project (a refusal changes
// nothing), loads the project, titles the main window, reopens its editor windows, enters its
// directory, activates its current file, loads its file list, enters its sources directory
// and enables saving; the name goes to the head of the names list (the most recently used).
// False when refused or when the name is not in the table.
bool OpenProjectByName(const std::string& name);

// Closes the open project: the modified documents are offered first (Cancel refuses); while
// saving is enabled the settings and the project are saved; then every editor window is
// closed and the record and the debugger's program settings are cleared. True when no project
// is open afterwards.
bool CloseCurrentProject();

// The open project was made in this session (a new project): from now on closing it asks
// about the modified files and saves it, as for a project opened with Open.
void MarkProjectOpened();

// Erases `name` from the projects table (its project file stays); the open project is
// closed first, and a refused close erases nothing. True when the name was removed.
bool EraseProject(const std::string& name);

// Imports the project file at `path` (its first 512 bytes must carry the header and a
// bracketed name): closes the open project, registers the name with the file's lower-cased
// path and opens it. False, with the table unchanged, when the file is not a project file,
// the close is refused or the table cannot be written.
bool ImportProjectFile(const std::string& path);

// Opens every project file that is there as text (missing files, objects, libraries and
// compiled resources are passed over); names without a directory are looked for in the
// sources directory, else the project directory. Returns the number of windows opened.
int OpenAllProjectFiles();

// The main window's title while a project is open: its name; empty without one.
std::string ProjectFrameTitle();

}  // namespace velt
