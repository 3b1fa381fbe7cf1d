// The global settings: one section "velt" of "<root>/lib/velt.prj", read once at start-up and
// written back while saving is enabled. Each key keeps the type the program uses for it; the
// defaults below are the values of a first start.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/accelerators.h"
#include "shell/text_macros.h"

namespace velt {

inline constexpr char kSettingsSection[] = "velt";

// EditorFlags bits.
enum : std::uint32_t {
    kEditorAutoIndent = 0x1,
    kEditorCheckSyntax = 0x2,
    kEditorBackups = 0x4,
    kEditorSmallOutputFont = 0x8,
    kEditorSaveBeforeBuild = 0x10,
    kEditorTestTargetUpToDate = 0x20,
    kEditorAutoSave = 0x40,
};

struct GlobalSettings {
    int tabSize = 4;                        // Tabsize: 1 ... 8
    std::uint16_t findFlags = 0;            // FindFlags
    std::uint32_t commentColor = 0x808080;  // CommentColor, 0x00BBGGRR
    std::uint32_t keywordColor = 0x0000C0;  // KeywordColor
    std::uint16_t grep = 0;                 // Grep
    int fontHeight = -13;                   // FontHeight, logical units (negative: char height)
    int fontStyle = 0;                      // FontStyle, the font weight
    int frameZoomed = 0;                    // FrameZoomed: 1 when the main window was maximised
    std::string statusBar;                  // StatusBar: "%d,%d,%d,%d" of the files toolbar
    std::int16_t subScroll = 1;             // SubScroll: lines per scroll step, at least 1
    // FrameX, FrameY, FrameCX, FrameCY: a missing key keeps the value held here. A width of
    // 0 or less, or a height of 0, means the window system's default place.
    int frameX = 0;
    int frameY = 0;
    int frameCX = 0;
    int frameCY = 0;
    std::uint32_t editorFlags = 0x2f;             // EditorFlags
    std::int16_t outputWndHeight = 0;             // OutputWndHeight
    long backupFile = 32000;                      // BackupFile: the old backup option
    int fontFamily = 0x31;                        // FontFamily: pitch and family byte
    std::uint32_t textColor = 0x000000;           // TextColor
    std::uint32_t backgroundColor = 0xFFFFFF;     // BackgroundColor
    std::string printerFontName = "Courier New";  // PrinterFontName (reads empty when unset)
    int printerFontSize = 0;                      // PrinterFontSize, points
    std::string debuggerArguments;                // DebuggerArguments
    std::string debuggerDir;                      // DebuggerDir
    std::string debuggerExeName;                  // DebuggerExeName
    std::uint32_t debuggerFlags = 0;              // DebuggerFlags
    std::vector<TextMacro> macros;                // Macros, Macro%d...
    // The shortcut table, filled with the built-in entries by its owner before loading;
    // Accelerators and Accel%d change entries of it.
    std::vector<AccelEntry> accelerators;
    std::uint32_t print = 0x41D;            // Print
    std::uint32_t includeFlags = 1;         // IncludeFlags
    std::string currentDir;                 // CurrentDir
    std::string winHelpComp = "hcrtf.exe";  // WinHelpComp
    std::string winHelpDataBase;            // WinHelpDataBase: "<root>/bin/win32.hlp"
    std::string fontName = "Courier";       // FontName
    std::string currentFile;                // CurrentFile: never "untitled"
    int historySize = 15;                   // HistorySize: 0 ... 1000, 0 is off
    int historyTime = 8;                    // HistoryTime: seconds, 0 stops the timer
    std::vector<std::string> reopenFiles;   // OpenFiles, OpenFile%d: each value whole
    bool saveEnabled = true;                // "&Save editor settings configuration at exit"
};

// "<root>/lib/velt.prj", spelt as found on disk.
std::string GlobalSettingsFile(const std::string& root);

// The longest text value read.
inline constexpr std::size_t kMaxSettingText = 511;

enum class LoadMode {
    Normal,
    // Reads without changing anything on disk (the BackupFile conversion is applied to the
    // result but not written back), for tools that only look.
    ReadOnly,
};

// Reads every key of section "velt" in its order, with the defaults and rules of each key,
// calling the registered parts at their places. True when the settings file exists.
bool LoadGlobalSettings(const std::string& root, GlobalSettings& settings,
                        LoadMode mode = LoadMode::Normal);

struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// An editor window as it is reopened next time.
struct OpenDocumentState {
    std::string name;
    int line = 0;  // the cursor's line, from 1
    ScreenRect rect;
    bool temporary = false;  // exists only in memory: not reopened
};

// What a save takes from the windows rather than from the settings.
struct SaveContext {
    int frameZoomed = 0;                     // the main window is maximised
    std::optional<ScreenRect> filesToolbar;  // the open-files toolbar, when it exists
    // The main window's remembered (normal) position.
    int frameX = 0;
    int frameY = 0;
    int frameCX = 0;
    int frameCY = 0;
    std::string currentFile;  // the current document's name, or empty
    bool projectOpen = false;
    std::vector<OpenDocumentState> documents;  // editor documents in window order
};

struct DocumentSummary;

// Adds the open documents (CurrentDocuments()) to `c` as the next start reopens them, with the
// current document's name. `windowRect` gives a document's window rectangle, marks included;
// without one (no windows) only the minimised and maximised marks are kept.
void AddOpenDocuments(
    SaveContext& c,
    const std::function<std::optional<ScreenRect>(const DocumentSummary&)>& windowRect = {});

// Writes the settings when saving is enabled, in their save order, as one replacement of the
// file. Stops at the first key that cannot be written (or part that fails) and returns false;
// keys written before stay written. The OpenProject parts run even then: the open project
// lives in its own file. True when saving is disabled.
bool SaveGlobalSettings(const std::string& root, const GlobalSettings& settings,
                        const SaveContext& context);

// Other subsystems keep keys of their own in the same section, at fixed places of the read
// and write orders.
enum class SettingsSlot {
    Utilities,    // after DebuggerFlags / after SubScroll
    Languages,    // after the utilities
    Projects,     // after HistoryTime / after the accelerators
    OpenProject,  // after OpenFiles: loading and saving the open project, the CMS user name
};

struct SettingsLocation {
    std::string root;
    std::string file;  // GlobalSettingsFile(root)
    std::string_view section = kSettingsSection;
};

using SettingsPartReader = std::function<void(const SettingsLocation&)>;
// Returns false when a key could not be written; the save stops there.
using SettingsPartWriter = std::function<bool(const SettingsLocation&)>;
// Prints the part's keys as "Key=value" lines, in their read order.
using SettingsPartDumper = std::function<void(std::ostream&)>;

// Parts of one slot run in the order they were registered. Any function may be empty.
void RegisterSettingsPart(SettingsSlot slot, SettingsPartReader reader, SettingsPartWriter writer,
                          SettingsPartDumper dumper = {});
void ClearSettingsParts();

// Calls the dumpers of a slot (the settings dump).
void DumpSettingsParts(SettingsSlot slot, std::ostream& out);

}  // namespace velt
