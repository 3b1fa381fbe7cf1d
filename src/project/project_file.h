// The project file: one section named after the project, in the file the projects table
// names for it, read and written key by key with the semantics of the profile calls (a key
// keeps its place once written; keys a save does not write keep their values). Each save
// replaces the file once.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "project/project.h"
#include "shell/settings.h"

namespace velt {

// The settings a project shares with the global ones: the debugger's program arguments,
// working directory and executable, the list of files to reopen, and whether saving is
// enabled. Null (the default) uses a private set.
void SetProjectSettings(GlobalSettings* settings);
GlobalSettings& ProjectSettings();

// The versioning system's user name (UserName): read with a project when none is known yet,
// written with the project when set.
const std::string& ProjectUserName();
void SetProjectUserName(const std::string& name);

// The files toolbar's rectangle as the project last recorded it (StatusBar).
const ScreenRect& ProjectFilesToolbar();

// Whether the build uses the Eiffel tool chain (an Eiffel project is open), and the text of
// the compile entry of the menu: "compile <root class>" then, else "Make\tF9".
bool EiffelToolChainActive();
std::string CompileMenuText();

// Loads the current project (CurrentProjectName()) into CurrentProject(): the frame, the
// windows to reopen, the directories, flags, breakpoints, make and debugger settings, the
// files toolbar and the file processors, in that order. The record is cleared first; the
// file list is loaded separately. False, with nothing read, when there is no current name or
// it is not in the table.
bool LoadProject();

// Releases the open project: the record, the debugger's program settings, the files
// toolbar's rectangle; the build goes back to the C tool chain.
void ReleaseCurrentProject();

// Loads PrjFiles, File%d and their dependencies, then the versioning keys and, when
// CmsDirectory is set, ProjectFlags, EiffelFlags and FortranFlags again. False when no
// project is open or it is not in the table.
bool LoadProjectFileList();

// Saves the open project when the table has an entry: first the editor state when a document
// is current (its windows, the current file and directory, the main window), then every key
// of a project save in order. Keys that cannot be written are passed over. True when the
// file was written.
bool SaveProject();
// The same with the window state given.
bool SaveProjectWith(const SaveContext& windows);

// Parts of SaveProjectFiles.
enum : unsigned {
    kSaveFileList = 1,
    kSaveReleases = 2,
};
// Saves the chosen parts while saving is enabled and a project is open. The file list stops
// at the first key that cannot be written and does not count then. Returns the number of
// parts written.
int SaveProjectFiles(unsigned parts);

// The releases are read and written by the versioning system; it registers its writer
// (file, section) here. Without one, the releases part writes nothing and does not count.
using ProjectPartWriter = std::function<bool(const std::string& file, const std::string& section)>;
void SetReleasesWriter(ProjectPartWriter writer);

// Gives a project without make settings its defaults (output directory, make command, ...);
// project creation registers it. Opening and saving a project call it; without one such a
// project stays without make settings. False when the defaults could not be made.
using MakeDefaultsProvider = std::function<bool(Project& project)>;
void SetMakeDefaultsProvider(MakeDefaultsProvider provider);
// Calls the provider for a project without make settings; true when it has them afterwards.
bool EnsureMakeSettings(Project& project);

// ---- The keys of the saves, in their order (also printed by the command-line driver)

struct ProjectKeyValue {
    std::string key;
    std::string value;
    bool onlyIfPresent = false;  // written only over a value the file already holds
};
using ProjectKeyValues = std::vector<ProjectKeyValue>;

// What a project save takes from outside the record.
struct ProjectSaveExtras {
    bool withOpenFiles = true;  // false: OpenFiles 0 and no OpenFile%d
    ScreenRect filesToolbar;    // zeros when the toolbar does not exist
    std::string debuggerArguments;
    std::string debuggerExeName;
    std::string debuggerDir;  // the make directory is written when this is empty
    std::string userName;     // written when set
};
ProjectKeyValues ProjectSaveKeys(const Project& project, const ProjectSaveExtras& extras);
// The file list, the dependencies (a file without any gets the count 0 where its place
// already holds a count, so that the dependencies of the file that had that place before are
// not read for it), the versioning keys, ProjectFlags and the Eiffel and Fortran keys.
ProjectKeyValues FileListSaveKeys(const Project& project);

// ---- Values

// Reads up to `count` decimal numbers the way "%d %d ..." (separator ' ': any run of blanks,
// also none) or "%d,%d,..." (separator ','; exactly one comma) scans them: leading blanks
// skipped, an optional sign, digits; the first field that does not scan ends the reading.
// Values beyond 32 bits saturate. Returns the number of fields stored.
int ScanNumbers(std::string_view text, char separator, int* const fields[], int count);
// An OpenFile%d value: the first token is the name (a value beginning with '"' takes the
// name through the closing quote, quotes included), then line, left, top, right, bottom.
OpenFileRecord ParseOpenFileValue(std::string_view value);
// "\"%s\" %d %d %d %d %d"; a name that is already in quotes is written as it stands.
std::string OpenFileValue(const OpenFileRecord& record);

}  // namespace velt
