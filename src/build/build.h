// Building the open project: Make (F9) and its questions, the build thread that runs the
// make command with the tools' error stream in the diagnostics file, the results on the build
// page (with the search for libraries that resolve undefined references), Compile current
// file, Rebuild all, Relink, the up-to-date check before a program runs, and the progress
// lines the compiler system's tools send while a build runs.
//
// Threads: the build runs on a worker thread; everything it has to show goes through a queue
// that the user-interface thread empties with PumpBuildEvents (gBuildWakeUi tells the front
// end that something waits).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velt {

struct Project;

// ---- State

enum : int {
    kBuildIdle = 0,
    kBuildGeneratingMakefile = 1,
    kBuildRunning = 2,
};
int BuildState();
// The makefile generator sets 1 while it works and 0 afterwards.
void SetBuildState(int state);
// Set by a second Make while building; read and cleared by the answer to a tool's message.
bool BuildStopRequested();

// The last build's return code (-1 from the Make command until the build ends) and duration.
int LastBuildReturnCode();
std::int64_t LastBuildMilliseconds();
// How many builds have been started; a caller compares it before and after a command to know
// whether a build ran, since a quick one may already have ended when it looks at the state.
unsigned BuildsStarted();

// The text of the Make entry of the menu: "Make\tF9" (or the Eiffel compile text), "Stop
// build" from the Make command until its build ends.
std::string MakeMenuText();

// ---- What other parts provide

// Generates the open project's makefile; false when it failed (the generator said why).
// Unset: GenerateMakefile with the projects table's root.
extern std::function<bool()> gGenerateMakefileHook;
// Makes a default project of the current document (with its make settings); false when none
// was made. Unset: none can be made.
extern std::function<bool()> gDefaultProjectHook;
// The Eiffel tool chain: prepares the build command of an Eiffel project, and its own
// rebuild. Unset: an Eiffel project cannot be built.
extern std::function<bool()> gEiffelPrepareHook;
extern std::function<bool()> gEiffelRebuildHook;
// Called by the worker after it queued something for the user-interface thread (the front
// end posts a call of PumpBuildEvents). Must be safe to call from any thread.
extern std::function<void()> gBuildWakeUi;
// Lets the user interface run for a moment while the up-to-date check waits for its build.
// Unset: the queued build events are handled and the thread sleeps briefly.
extern std::function<void()> gKeepUiRunningHook;

// ---- The "Compile file" dialog

inline constexpr char kCompileFileTitle[] = "Compile file";
enum class CompileFileChoice { Add, NewProject, Cancel };
struct CompileFileRecord {
    std::string file;  // the current document
    // The buttons and their explanations.
    static constexpr const char* kAddText = "Add";
    static constexpr const char* kAddHelp = "Add this file to the current project";
    static constexpr const char* kNewText = "New project";
    static constexpr const char* kNewHelp = "Create a new project with this file";
    static constexpr const char* kCancelText = "&Cancel";
    static constexpr const char* kCancelHelp = "Cancel the whole operation";
};
// Unset: Cancel.
extern std::function<CompileFileChoice(const CompileFileRecord&)> gCompileFileDialog;

// ---- The "Missing libraries" dialog

inline constexpr char kMissingLibrariesTitle[] = "Missing libraries";
inline constexpr char kMissingLibrariesHeader[] = "Following symbols were undefined";
inline constexpr char kMissingLibrariesOk[] = "Add libs";
struct MissingLibrariesRecord {
    std::vector<std::string> lines;      // "%s (%s) %s": symbol, description, library
    std::vector<std::string> libraries;  // the libraries to add
};
// True when confirmed. Unset: cancelled.
extern std::function<bool(const MissingLibrariesRecord&)> gMissingLibrariesDialog;

// ---- The commands

// Make (1156).
void MakeCommand();
// Starts the build of the open project on a worker thread and returns at once. False when
// nothing was started ("No project defined", a failed Eiffel preparation, a build running).
bool StartBuild();
// Compile current file.
bool CompileCurrentFile();
// Rebuild all (1270): deletes the project's object files, then Make.
bool RebuildAll();
// Relink (1271): one build with "<root>/bin/make.exe link".
bool Relink();
// The check before the project's program is debugged or run: false when the user chose to
// rebuild and the build failed.
bool TargetUpToDateCheck();

// Handles what the worker queued (results, boxes, output lines). User-interface thread.
void PumpBuildEvents();
// Asks a running build to stop, as a second Make does: the tools are told, and make's
// process group is ended when it does not stop by itself.
void StopBuild();
// Waits until the build thread has ended, handling its queued events (headless callers).
void WaitForBuild();

// ---- Results (user-interface thread; public for the tests)

struct DiagnosticsReading {
    std::vector<std::string> lines;      // shown
    std::vector<std::string> symbols;    // undefined, each once
    std::vector<std::string> heldBack;   // the lines that named them, each once
    bool tooBig = false;
};
// Reads diagnostics text as the results do: lines at LF (a CR before it dropped), the
// undefined-reference lines held back, at most 65535 characters and lines of 1400.
DiagnosticsReading ReadDiagnostics(const std::string& bytes);
// Fills the build page from the diagnostics file of the last build.
void ShowBuildResults();

// The libraries that define `symbols` (through the root's API index) offered in the dialog;
// on OK they are appended to the project's libraries. True when libraries were added.
bool SearchMissingLibraries(const std::vector<std::string>& symbols, Project& project);
// Rewrites the "LIBS=" lines of "<makeDir>/makefile" with the project's libraries; the
// number of lines replaced.
int RewriteMakefileLibs(const std::string& makeDir, const std::string& libraries);

// ---- Tool messages (0x65A8)

// The accumulated progress text of the tools: returns the lines to add to the build page
// and sets `overflow` when the text did not fit.
class ToolMessageBuffer {
  public:
    static constexpr std::size_t kCapacity = 4000;
    std::vector<std::string> Add(const std::string& text, bool& overflow);
    const std::string& pending() const { return text_; }
    void Clear() { text_.clear(); }

  private:
    std::string text_;
};
// A tool's message while a build runs: answers the stop request (1 when the user asked to
// stop; the request is cleared) and adds the text to the build page. 0 when no build runs.
std::int64_t HandleToolMessage(const std::string& text);

// ---- Wiring

// The commands 1156, 1270, 1271 and Compile current file in the dispatcher, the menu text,
// the build page's double-click, and the build requests of the instance channel. `readBlock`
// reads the shared block's text for a tool message.
void InstallBuild(std::function<bool(std::string&)> readBlock = {});
void UninstallBuild();
// Back to idle with nothing queued (tests); waits for a running worker first.
void ResetBuild();

}  // namespace velt
