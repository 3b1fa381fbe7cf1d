// Find, Find Next, Find Previous and Replace over the current window or all windows, with
// plain text (optionally ignoring case, whole words only) or a regular expression. The
// dialogs are records here (load, validate, apply); the front end fills them through the
// hooks below and shows the "Replace" question through gReplaceConfirm.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velt {

struct Bookmark;
struct Document;
struct EditView;
struct GlobalSettings;

// FindFlags bits.
enum : std::uint16_t {
    kFindCurrentWindow = 0x0001,
    kFindAllWindows = 0x0002,
    kFindRegex = 0x0004,
    kFindPlain = 0x0008,
    kFindIgnoreCase = 0x0010,
    kFindForwards = 0x0020,
    kFindBackwards = 0x0040,
    kFindWrap = 0x0080,
    kFindConfirm = 0x0100,
    kFindWholeWords = 0x0200,
    kFindSkipMinimised = 0x0400,
};

// The longest search or replacement text kept; the dialogs read at most 128 bytes.
inline constexpr std::size_t kSearchTextMax = 127;

// The one search record of the session.
struct SearchSettings {
    std::string text;
    std::string reversed;  // `text` backwards, for the backward plain search
    std::string replacement;
    std::vector<std::string> history;  // search texts, newest first
    // Where the search started: a bookmark (flags 0x0F, or the user's own bookmark of that
    // line, left as it is), the column, and the window.
    Bookmark* startMark = nullptr;
    int startColumn = 0;
    EditView* startWindow = nullptr;
    std::uint64_t startWindowSerial = 0;
    // An all-windows search came back to the window it started in.
    bool returned = false;
};

SearchSettings& Search();
// The FindFlags word: the one of the settings given to InstallSearchCommands, so it is read
// and written with the preferences; a word of its own before that.
std::uint16_t& FindFlags();
// Sets the search text (cut to kSearchTextMax) and its reversed copy.
void SetSearchText(const std::string& text);

// ---- The dialogs as records

enum class SearchDirection { None, Forwards, Backwards, Wrap };

// The dialog "Search" (Find, 1137).
struct FindDialogRecord {
    std::string text;                  // "Text to search"
    std::vector<std::string> history;  // its drop-down, newest first
    bool regex = false;                // "Regular expression"
    bool matchCase = true;             // "Match case" (disabled while regex is on)
    bool wholeWords = false;           // "Match whole words only"
    bool allWindows = false;           // scope: "Current window" / "All windows"
    bool searchMinimised = true;       // "Search iconized windows" (only with all windows)
    SearchDirection direction = SearchDirection::Forwards;  // "Forwards" / "Backwards" / "Wrap"

    bool MatchCaseEnabled() const { return !regex; }
    bool SearchMinimisedEnabled() const { return allWindows; }

    // From the search record and FindFlags; the text from the block of the current view
    // when it lies within one line and holds no blank or tab, else the identifier at the
    // cursor, else the last search text.
    void Load();
    // OK: 1215 "Direction ?" without a direction, 1214 "Empty search string?" for an empty
    // text (shown); false keeps the dialog open.
    bool Validate() const;
    // Stores the record: text, history, FindFlags (wrap with all windows becomes forwards;
    // wrap alone sets the current-window scope), and the search start at the cursor.
    void Apply();
};

// The dialog "Search and replace" (1120).
struct ReplaceDialogRecord {
    std::string text;                  // "Text to search for"
    std::vector<std::string> history;  // offered with it, newest first
    std::string replacement;           // "Replace it with:"
    bool allWindows = false;           // scope
    bool wholeWords = false;           // "Whole words"
    bool regex = false;                // "Regular expression"
    bool matchCase = true;             // "Match case"
    SearchDirection direction = SearchDirection::Forwards;
    bool confirm = true;  // "Confirmation": checked each time the dialog opens

    bool MatchCaseEnabled() const { return !regex; }

    void Load();
    // 1214 for an empty text, 1215 without a direction (shown); false keeps it open.
    bool Validate() const;
    void Apply();
};

// ---- Hooks of the front end (tests fill them too). Unset: the dialog counts as cancelled.

// Shows the dialog on a loaded record; true when OK was pressed (after Validate passed).
extern std::function<bool(FindDialogRecord&)> gFindDialog;
extern std::function<bool(ReplaceDialogRecord&)> gReplaceDialog;

// The answers of the "Replace" question.
enum class ReplaceAnswer { Yes, No, All, Cancel };
// Asks whether to replace the match (marked and shown in its window); unset: Cancel.
extern std::function<ReplaceAnswer(const std::string& found)> gReplaceConfirm;
// Whether the window of `view` is minimised (for kFindSkipMinimised); unset: none is.
extern std::function<bool(const EditView* view)> gWindowMinimised;

// ---- Searching (on the current view)

// Plain search with the search record and FindFlags from the cursor, in the direction the
// flags give (wrap: forwards round the document). A match becomes the marked block, the
// cursor at its far end. True when found; shows nothing.
bool FindPlain(EditView& view);
// Regular-expression search (forwards only) from the cursor column of the cursor line. The
// expression must have been compiled (RegCompile). True when found; shows nothing.
bool FindRegex(EditView& view);

// One search as the commands run it: the current window, then (all windows) the next ones;
// 4066 "String not found" when nothing is found. True when found.
bool RunSearch();
// Find Next (F3, 1135): forwards (with wrap on: the current-window scope), and search.
bool FindNext();
// Find Previous (Ctrl+F3, 1136): backwards, and search.
bool FindPrevious();
// Find (1137): the dialog, then the search.
bool FindFromDialog();
// Replace (1120): the dialog, then ReplaceAll.
bool ReplaceFromDialog();
// Replaces with the search record and FindFlags (kFindConfirm: ask each time), reports the
// count (4003 "%d substitutions" in the status pane, or 4066), and returns it.
int ReplaceAll();

// Registers 1137, 1135, 1136 and 1120 (Find Next and Previous disabled while the search text
// is empty) and takes the flags from `settings` (InstallEditor calls it).
void InstallSearchCommands(GlobalSettings& settings);
void UninstallSearchCommands();

}  // namespace velt
