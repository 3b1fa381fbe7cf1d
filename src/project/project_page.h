// The "Project" page of the configuration sheet: the open project's make command,
// diagnostics file, make and sources directories, with its name, kind of target, output file
// and program arguments shown beside them.
#pragma once

#include <string>

#include "shell/config_dialog.h"

namespace velt {

// What the sheet shows for the open project: its pages, and "Librarian" for a library.
SheetState ProjectSheetState();

inline constexpr char kNoProjectText[] = "No project defined";
inline constexpr char kOutputNotDefined[] = "<not defined>";

// The explanations under the page's fields.
inline constexpr char kProjectPathsNote[] =
    "Please do not change any paths here unless they are wrong. Normally you shouldn't need "
    "to change them";
inline constexpr char kMakeCommandNote[] =
    "Command line to execute the program building utility make";
inline constexpr char kMakeDirectoryNote[] = "Directory where the object files are generated";
inline constexpr char kOutputFileNote[] =
    "Executable that this project builds. Change in the linker tab";
inline constexpr char kProgramArgumentsNote[] =
    "This will be passed to the executable at each invocation. Change in the debugger tab.";
inline constexpr char kSourcesDirectoryNote[] = "Main project directory where the sources are.";

class ProjectPage : public ConfigPage {
  public:
    // Shown only: the output file is changed on the Linker page, the arguments on the
    // Debugger page. Without a project every text reads "No project defined".
    std::string projectName;
    std::string projectType;  // "Windows application", "Console application", "Dll", "Library"
    std::string outputFile;   // "<not defined>" when unset
    std::string programArguments;
    // Edited.
    std::string makeCommand;
    std::string errorFile;  // the diagnostics file
    std::string makeDir;
    std::string sourcesDir;

    ConfigPageId Id() const override { return ConfigPageId::Project; }
    void Load(const ConfigContext& ctx) override;
    // The make command's first word must name a file ("File %s not found!", ".EXE" tried for
    // a word without ';' and '.'), the make directory must exist (empty: the current one),
    // the diagnostics file must not hold ".EXE" ("Message file name %s incorrect"), the
    // sources directory must exist ("Directory %s doesn't exist").
    bool Validate(const ConfigContext& ctx) override;
    // Stores the make command, the diagnostics file, the make directory (upper-cased) and the
    // sources directory; a change marks the project as changed for the build.
    bool Apply(ConfigContext& ctx) override;

  private:
    bool loaded_ = false;  // a project was open when the page was loaded
};

}  // namespace velt
