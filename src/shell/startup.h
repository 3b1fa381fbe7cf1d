// The start-up sequence and the orderly end, as core functions. The front end creates a
// StartupState, implements StartupHooks for the steps that need windows, and calls:
//   RunStartup(state, hooks, commandLine)   before its event loop (Exit: end with code 0)
//   ConfirmClose() (exit_questions.h), then SaveSettingsAtClose(state, context)
//                                             when the frame is about to close
//   RunShutdown(state, hooks)               after the event loop
// While running it watches state.instance.fd() and calls state.instance.ProcessPending().
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/command_line.h"
#include "shell/instance.h"
#include "shell/settings.h"

namespace velt {

// Where the frame goes: the stored place, or the window system's default one.
struct FramePlacement {
    bool useDefault = true;  // ignore x, y, cx, cy
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    bool maximised = false;
};

// The steps of the start that only the front end can carry out. Every hook but CreateFrame
// may be left as it is.
class StartupHooks {
  public:
    virtual ~StartupHooks() = default;
    // Before the settings are read: fill the built-in shortcut table into `settings`.
    virtual void BeforeSettings(GlobalSettings& settings) { (void)settings; }
    // Creates the frame at `placement` with its background, the small pop-up, the editor
    // font and the status pane (not shown yet). False ends the start at once, without a
    // message.
    virtual bool CreateFrame(const FramePlacement& placement) = 0;
    virtual void ShowSplash() {}
    virtual void CloseSplash() {}
    // Opens the project named on the command line ("/prj:").
    virtual void OpenProject(const std::string& name) { (void)name; }
    // Opens the project of the last session, when one is stored.
    virtual void OpenLastProject() {}
    // Shows the frame, arranges the icons and tiles when the active document's client area
    // is empty.
    virtual void ShowFrame() {}
    // Attaches the debugger to a process ("/p"); `event` is the "/e" number, 0 when none.
    virtual void AttachDebugger(std::uint32_t pid, std::uint64_t event) {
        (void)pid;
        (void)event;
    }
    virtual void StartAutosave() {}
    // Stops the autosave, deleting this session's autosave copies.
    virtual void StopAutosave() {}
};

struct StartupState {
    std::string commandLine;          // as given (without the program name)
    std::string startDirectory;       // the current directory at start, as spelt on disk
    std::string startDirectoryUpper;  // the same, upper-cased, for display and comparison
    std::string root;                 // the compiler root; empty when none is recorded
    GlobalSettings settings;
    bool settingsFound = false;  // the settings file exists
    StartupOptions options;
    FramePlacement frame;
    bool autosaveStarted = false;
    ShellInstance instance;
};

enum class StartupOutcome {
    Run,   // enter the event loop
    Exit,  // the frame could not be made: end with exit code 0
};

// Start-up steps of the subsystems above the shell, run by RunStartup right before the
// settings are read (after StartupHooks::BeforeSettings), in the order they were added: the
// editor sets up its languages there, whose keys the settings carry. Each subsystem adds its
// step once, before RunStartup.
void AddBeforeSettingsStep(std::function<void()> step);
void ClearStartupSteps();

// The whole start, in order: the instance check and the shared block, the command line's
// options, the start directory, the settings, the frame, the splash, the working directory,
// the command line's files (or the last session), the frame shown, PATH, the attach and the
// autosave.
StartupOutcome RunStartup(StartupState& state, StartupHooks& hooks, std::string_view commandLine);

// The stored place unless it is missing, negative or without size, or this is another
// instance; maximised when stored so and not another instance.
FramePlacement ComputeFramePlacement(const GlobalSettings& settings, bool anotherInstance);

// Makes `currentDir` the current directory. When that fails and it is not empty, shows
// 4380 "Directory %s doesn't exist" and goes back to `startDirectory`. True when
// `currentDir` was entered.
bool RestoreWorkingDirectory(const std::string& currentDir, const std::string& startDirectory);

// The file name of an OpenFile%d value ("name line left top right bottom"): the value
// without its five trailing numbers; a value without them is a name as it stands.
std::string SessionEntryName(std::string_view value);

// Reopens the files of the last session, skipping "untitled" in any letter case. Returns the
// number opened.
int ReopenSession(const std::vector<std::string>& values);

// Puts "<root>/bin" in front of PATH unless PATH already holds the root (one of its
// directories is the root or lies under it). True when PATH was changed.
bool PrependCompilerPath(const std::string& root);

// The settings save when the frame closes: records the current directory and writes the
// settings with the front end's window state, when saving is enabled. False when a write
// failed.
bool SaveSettingsAtClose(StartupState& state, const SaveContext& context);

// After the event loop: stops the autosave (when it was started or the autosave bit is set
// now) and closes the shared block and the channel.
void RunShutdown(StartupState& state, StartupHooks& hooks);

}  // namespace velt
