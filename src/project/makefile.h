// The project's makefile: object list, compiler and link switches, one rule per source with
// the headers the compiler reports in its dependency mode, and the "link" target. Written
// into the make directory for the compiler system's own make.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace velt {

struct Project;

// A makefile starting with this text is ours and may be overwritten.
inline constexpr char kMakefileMarker[] = "# Velt Makefile";
// Where the compiler's dependency mode writes its list (relative to the current directory).
inline constexpr char kDependencyTempFile[] = "$x8856455.723";
inline constexpr char kMakefileSuccess[] = "Makefile generation successful";
inline constexpr char kProcessorDialogTitle[] = "File processor";

// ---- The pieces, each in its exact order and spacing

// "-I<dir> " for each ';'-part of `includes` (a part with a blank in double quotes).
std::string IncludeSwitches(const std::string& includes);
// CFLAGS: the include switches (an empty includes meaning "<root>/include"), "-D<symbol> "
// for each symbol of `defines`, then the switches of the compiler flags.
std::string CompilerFlagsText(const std::string& includes, const std::string& defines,
                              std::uint32_t compilerFlags, const std::string& root);
// FFLAGS: " -<letter>" per set bit of the Fortran flags.
std::string FortranFlagsText(std::uint32_t fortranFlags);
// The text between $(LINKER) and -o for a target that is not a static library. Does not
// show the missing-resources warning; see LinkNeedsResourceWarning.
std::string LinkOptionsText(const Project& project);
// A Windows program (neither DLL nor console nor library) without a resource file.
bool LinkNeedsResourceWarning(const Project& project, bool hasResource);

// The dependency variable of a file: the name without directory, '.' and blanks as '_',
// upper-cased (Dlg.rc gives DLG_RC).
std::string DependencyVariable(const std::string& file);

// Lower-cases `name` and adds it to the libraries unless they mention it already; a leading
// "<root>/lib/" is dropped first when the libraries are not empty.
void AddLibrary(Project& project, const std::string& root, std::string name);

// ---- The "File processor" question

struct FileProcessorRecord {
    std::string file;     // the input file, shown
    std::string command;  // "Command line for this file"
    std::string output;   // "Output file produced"

    // Both fields are needed ("You must fill both fields"); false keeps the dialog open.
    bool Accept() const;
};

// Shows the dialog; true when confirmed with Accept passed. Filled by the front end; unset,
// the dialog counts as cancelled (headless runs never invent a build rule).
extern std::function<bool(FileProcessorRecord&)> gFileProcessorDialog;

// Asks for the processor of `file`; OK creates it, or updates the one the project has.
bool AskFileProcessor(Project& project, const std::string& file);

// ---- Progress

// The progress window of a generation. `step` is called once per file before its rule is
// written, so the front end can update the bar and handle a few pending events.
struct MakefileProgress {
    std::function<void(const std::string& title, int total)> begin;
    std::function<void(const std::string& text, int position)> step;
    std::function<void()> end;
};
void SetMakefileProgress(MakefileProgress progress);

// Closes the editor window of the makefile before it is replaced. Installed by the
// commands; unset, nothing is closed.
extern std::function<void(const std::string& path)> gCloseMakefileWindow;

// ---- Generation

// Writes "<make directory>/Makefile" for `project`. True when the makefile was written.
bool GenerateMakefile(Project& project, const std::string& root);
// A project with an empty make directory gets the first of "<sources>/nimra",
// "<sources>/nimra1" ... "<sources>/nimra8" that does not exist, created. False (after the
// message) when all exist or the creation fails.
bool MakeDefaultOutputDirectory(Project& project);
// A generation runs (build state 1): no second generation or build may start.
bool MakefileGenerationInProgress();
// All files are Eiffel sources: the Eiffel compiler builds such a project, not a makefile.
bool IsEiffelProjectFiles(const Project& project);

// Generate Makefile (1267) on the open project with the compiler root of the projects
// table: then the file list is saved and the status line says kMakefileSuccess.
bool GenerateMakefileCommand();
// Registers 1267 in the frame's dispatcher and closes makefile windows through the editor.
void InstallMakefileCommands();
void UninstallMakefileCommands();

}  // namespace velt
