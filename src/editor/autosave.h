// Autosave: while the preference is on, every modified document is copied every three
// minutes into a private directory under the compiler root. A normal end deletes this
// session's copies, so copies found at the next start were left by a session that did not
// end normally; the user is offered to restore them into the editor.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace velt {

struct Document;
struct GlobalSettings;

inline constexpr unsigned kAutosaveTimerId = 53987;  // 0xD2E3
inline constexpr int kAutosavePeriodMs = 180000;
inline constexpr char kAutosaveDirName[] = "veltautosave";

// The restore dialog: the "Modified files" dialog shown with another title, its first
// button relabelled and "Forget" hidden.
struct AutosaveRestoreDialog {
    std::string title = "Restore auto saved files";
    std::vector<std::string> rows;  // one description per copy: "name time-stamp", lower-cased
    std::string restoreLabel = "Restore";
    bool showForget = false;
};

// Shows the dialog: kIdYes for Restore, anything else cancels. Set by the front end; while
// unset the restore is cancelled (and the erase question answered by the Ui).
using AutosaveRestoreDialogFn = std::function<int(const AutosaveRestoreDialog&)>;
void SetAutosaveRestoreDialog(AutosaveRestoreDialogFn show);
// The front end's timer (id kAutosaveTimerId, every kAutosavePeriodMs) that calls
// AutosaveTick: started with true, stopped with false.
void SetAutosaveTimer(std::function<void(bool run)> timer);

// Wiring, from InstallEditor: `settings` (not owned) carries the on/off bit, which a failed
// probe clears; every successful save drops the document's copy; confirming the
// configuration with the bit changed starts or stops the autosave.
void InstallAutosave(GlobalSettings& settings);
void UninstallAutosave();

// The compiler root the directory lies under; empty: autosave does nothing.
void SetAutosaveRoot(const std::string& root);
// "<root>/veltautosave" as found on disk; empty without a root.
std::string AutosaveDirectory();

// Start-up: with a root, offers the copies left over (RestoreAutosaved) and shows "Autosaved
// files restored in the editor" when something was restored; then starts the timer unless
// the probe switched autosave off.
void AutosaveStart(const std::string& root);
// Normal end (or switched off): stops the timer and deletes every copy of this session.
void AutosaveStop();
// The timer's handler: writes every modified document (not internal buffers, not those whose
// copy is current), stopping at the first failure; "%d files autosaved" in the status pane
// when it wrote any. Returns the number written.
int AutosaveTick();
// Writes the document's copy: the header line "Autosaved <name> <time stamp>" and every line,
// each followed by CR LF. The copy replaces the previous one only once written completely.
bool AutosaveDocument(Document& doc);
// After a successful save: deletes the document's copy and clears its autosave flag.
void DropAutosave(Document& doc);
// Offers the copies found in the directory for restoring; true when something was restored.
bool RestoreAutosaved();

// The copies written in this session, newest first.
std::vector<std::string> AutosaveSessionFiles();

}  // namespace velt
