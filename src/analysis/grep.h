// Find in files (1150): the request kept between searches, the dialog "Global Regular
// Expression Print (GREP)" as a record, the search run on a worker thread (grep_search.h),
// and its results on the "search" page of the output pane, where a double-click opens the
// file at the line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "analysis/grep_search.h"

namespace velt {

// The longest texts the request keeps (the dialog's fields take no more).
inline constexpr std::size_t kGrepMasksMax = 31;
inline constexpr std::size_t kGrepExpressionMax = 127;
inline constexpr std::size_t kGrepDirectoryMax = 511;
inline constexpr char kGrepDefaultMasks[] = "*.c *.h";

// The one search request of the program.
struct GrepRequest {
    std::uint16_t flags = kGrepCaseSensitive;
    int hits = 0;  // matching lines of the last search
    std::string masks = kGrepDefaultMasks;
    std::string expression;
    std::string directory;  // absolute, without a trailing separator
    std::string title;      // "Searching for '%s' in '%s': %d hits."
};

// What the program keeps of find in files.
struct GrepState {
    GrepRequest request;
    std::vector<GrepHit> hits;                   // of the last search, in the order found
    std::vector<std::string> files;              // files with hits, newest first
    std::string searchedDirectory;               // where the hits' bare names live
    std::vector<std::string> expressionHistory;  // newest first
    std::vector<std::string> directoryHistory;   // newest first
};

GrepState& Grep();

// The title for the expression, masks and hit count.
std::string GrepTitle(const std::string& expression, const std::string& masks, int hits);
// The listed line of a hit: "[%s:%d] %s" with the file (without its directory when that is
// `currentDirectory`, else the full path; lower-cased), the line number and the line without
// its leading blanks. `searchDirectory` completes a bare name.
std::string GrepHitLine(const GrepHit& hit, const std::string& searchDirectory,
                        const std::string& currentDirectory);
// The file a hit names, ready to open.
std::string GrepHitPath(const GrepHit& hit, const std::string& searchDirectory);

// ---- The dialog "Global Regular Expression Print (GREP)" (900)

struct GrepDialogRecord {
    std::string expression;                      // "Expression to search for:"
    std::vector<std::string> expressionHistory;  // its drop-down, newest first
    std::string masks;                           // "File mask: (for instance *.c)"
    std::string directory;                       // "Search in directory:"
    std::vector<std::string> directoryHistory;
    bool regex = false;           // "Regular expression"
    bool ignoreCase = false;      // "Ignore case"
    bool wholeWords = false;      // "Whole words"
    bool severalWords = false;    // "Multiple (several expr)"
    bool subdirectories = false;  // "Include subdirectories"

    // From the request; the expression is the identifier under the cursor of the current
    // view when the cursor stands on an identifier character, the directory the current one.
    void Load();
    // "&Search" is enabled only while there is an expression.
    bool SearchEnabled() const { return !expression.empty(); }
    // Ticking "Multiple (several expr)" turns case sensitivity and "Whole words" off.
    void SetSeveralWords(bool on);
    // "&Search": "No files specified" without masks, "Empty search string?" without an
    // expression, "Directory %s doesn't exist" for a directory other than the current one
    // that does not exist (shown; false keeps the dialog open). A trailing separator is
    // removed and the directory made absolute.
    bool Validate();
    // Stores the record in the request and adds the expression and directory to their
    // histories.
    void Apply();
};

// ---- Hooks of the front end (tests fill them too)

// Shows the dialog on a loaded record; true when "&Search" was pressed and Validate passed.
// Unset: the dialog counts as cancelled.
extern std::function<bool(GrepDialogRecord&)> gGrepDialog;
// A search was started on its worker: the front end calls PollGrep until it returns false
// and CancelGrep on Esc. Unset: the command waits for the search to end.
extern std::function<void()> gGrepStarted;
// Called on the worker before each file is searched (tests hold the walk with it).
extern std::function<void(const std::string& file)> gGrepBeforeFile;

// ---- Searching

// Starts the search of the request. An expression that does not compile shows the engine's
// message and nothing starts (the last results stay as they are); false then, and when
// there is no expression.
bool StartGrep();
bool GrepRunning();
// Asks the running search to stop; the hits found so far are listed when it has.
void CancelGrep();
// While the search runs: its progress in the status pane, true. When it has ended: the
// results are taken over and shown, false.
bool PollGrep();
// Waits for the running search and shows its results.
void WaitGrep();
// Stops the running search and drops it without showing anything (the front end goes away).
void AbandonGrep();
// The status-pane text of a running search: the title with the hits so far and the file
// being searched.
std::string GrepProgressText();
// Lists the results on the "search" page (cleared first): the title, then one line per hit.
void ListGrepResults();

// Find in files (1150): while a search runs, stops it; otherwise the dialog, then the
// search. True when a search was started.
bool FindInFiles();

// Registers 1150 and the "search" page's refill and double-click (InstallEditor calls it).
void InstallGrepCommands();
// Stops a running search (its results are dropped) and takes the rows out again.
void UninstallGrepCommands();

}  // namespace velt
