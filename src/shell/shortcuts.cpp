#include "shell/shortcuts.h"

#include "shell/commands.h"
#include "shell/messages.h"

namespace velt {
namespace {

constexpr std::uint8_t C = kModCtrl;
constexpr std::uint8_t A = kModAlt;
constexpr std::uint8_t S = kModShift;
constexpr std::uint8_t M = kModMarked;

constexpr ShortcutRow Key(std::uint8_t key, unsigned command, std::uint8_t mods,
                          std::uint8_t allowed = 0) {
    return {key, 0, static_cast<std::uint16_t>(command), mods, allowed};
}
constexpr ShortcutRow NoKey(unsigned command, std::uint8_t allowed = 0) {
    return {0, 0, static_cast<std::uint16_t>(command), 0, allowed};
}

// 146 rows and the end row: 46 with keys, then one key-less row per remaining command of the
// main menu (in menu order) and for 1127, 1128 and 1248, so that every command carries its
// without-document field. The Help menu and the resource editor's own commands (7040 ...
// 7066) have no rows: they never need a document, and a missing row lets them through.
constexpr ShortcutRow kShortcuts[] = {
    Key(VkF(1), kCmdKeyF1, 0, 1),
    Key(VkF(2), kCmdSetBreakpoint, 0),
    Key(VkF(3), kCmdFindPrevious, C),
    Key(VkF(3), kCmdFind, A),
    Key(VkF(3), kCmdFindNext, 0),
    Key(VkF(4), kCmdQuit, A, 1),
    Key(VkF(5), kCmdKeyCtrlF5, C, 1),
    Key(VkF(5), kCmdDebugger, 0, 1),
    Key(VkF(7), kCmdGotoNextBookmark, C | S),
    Key(VkF(7), kCmdGotoBookmark, C),
    Key(VkF(7), kCmdSetBookmark, 0),
    Key(VkF(8), kCmdSymbolUsage, C),
    Key(VkF(8), kCmdSearchDefinition, 0),
    Key(VkF(9), kCmdMake, 0, 1),
    Key(VkF(11), kCmdRecenter, C),
    Key(VkF(11), kCmdKeyF11, 0),
    Key(VkF(12), kCmdStructuresList, A),
    Key(VkF(12), kCmdFunctionsList, 0),
    Key('S', kCmdSave, C | M),
    Key('G', kCmdGotoLine, C | M),
    Key(kVkBack, kCmdUndo, A | M),
    Key('X', kCmdCut, C),
    Key(kVkDelete, kCmdCut, S),
    Key('C', kCmdCopy, C),
    Key(kVkInsert, kCmdCopy, C),
    Key('V', kCmdPaste, C),
    Key(kVkInsert, kCmdPaste, S),
    Key(kVkHome, kCmdSelectToTop, C | S),
    Key(kVkEnd, kCmdSelectToEnd, C | S),
    Key(kVkHome, kCmdGotoTop, C),
    Key(kVkEnd, kCmdGotoEnd, C),
    Key(kVkUp, kCmdSelectUp, S),
    Key(kVkDown, kCmdSelectDown, S),
    Key(kVkDown, kCmdSelectDownRepeat, S),
    Key(kVkLeft, kCmdSelectWordLeft, C | S),
    Key(kVkRight, kCmdSelectWordRight, C | S),
    Key(kVkLeft, kCmdSelectLeft, S),
    Key(kVkRight, kCmdSelectRight, S),
    Key(kVkLeft, kCmdWordLeft, C),
    Key(kVkRight, kCmdWordRight, C),
    Key(kVkLeft, kCmdWordLeftRepeat, C),
    Key(kVkRight, kCmdWordRightRepeat, C),
    Key(kVkHome, kCmdSelectToLineStart, S),
    Key(kVkEnd, kCmdSelectToLineEnd, S),
    Key(kVkPrior, kCmdSelectPageUp, S),
    Key(kVkNext, kCmdSelectPageDown, S),

    // File
    NoKey(kCmdNewFile, 1),
    NoKey(kCmdNewEditorWindow),
    NoKey(kCmdCreateProject, 1),
    NoKey(kCmdOpen, 1),
    NoKey(kCmdOpenBinary, 1),
    NoKey(kCmdInsertFile),
    NoKey(kCmdSaveAs),
    NoKey(kCmdSaveAll),
    NoKey(kCmdReload),
    NoKey(kCmdSetReadOnly),
    NoKey(kCmdClose),
    NoKey(kCmdPrint),
    // Edit
    NoKey(kCmdCopyFunction),
    NoKey(kCmdCopyToFile),
    NoKey(kCmdLevel),
    NoKey(kCmdMarkBlock),
    NoKey(kCmdSpacesToTabs),
    NoKey(kCmdTabsToSpaces),
    NoKey(kCmdDescribeFunction),
    NoKey(kCmdDescribeFile),
    NoKey(kCmdShowChanges),
    NoKey(kCmdReformat),
    // Search
    NoKey(kCmdReplace),
    NoKey(kCmdFindInFiles, 1),
    NoKey(kCmdPreviousFunction),
    NoKey(kCmdNextFunction),
    NoKey(kCmdDeleteBookmark),
    NoKey(kCmdHistory),
    NoKey(kCmdSearchFunction),
    NoKey(kCmdSearchId),
    NoKey(kCmdIdentifyFile),
    // Project
    NoKey(kCmdProjectConfiguration, 1),
    NoKey(kCmdOpenProject, 1),
    NoKey(kCmdCloseProject, 1),
    NoKey(kCmdEraseProject, 1),
    NoKey(kCmdAddDeleteFiles, 1),
    NoKey(kCmdOpenAllFiles),
    NoKey(kCmdWorkspace, 1),
    // Resources
    NoKey(kCmdResourceOpen),
    NoKey(kCmdResourceShowDirectory),
    NoKey(kCmdResourceSymbols),
    NoKey(kCmdResourceGroup),
    NoKey(kCmdNewDialog),
    NoKey(kCmdNewMenu),
    NoKey(kCmdNewIcon),
    NoKey(kCmdNewCursor),
    NoKey(kCmdNewAccelerator),
    NoKey(kCmdNewBitmap),
    NoKey(kCmdNewStrings),
    NoKey(kCmdResourceZoom),
    // Compiler
    NoKey(kCmdLink),
    NoKey(kCmdGenerateMakefile),
    NoKey(kCmdRebuildAll),
    NoKey(kCmdCompilerSettings),
    NoKey(kCmdBreakpoints),
    // Utils
    NoKey(kCmdExecute, 1),
    NoKey(kCmdDiff, 1),
    NoKey(kCmdProfiler),
    NoKey(kCmdShowIncludes),
    NoKey(kCmdObjXref),
    NoKey(kCmdFunctionTree),
    NoKey(kCmdGenerateHelp),
    NoKey(kCmdStrings),
    NoKey(kCmdFileMetrics),
    NoKey(kCmdFunctionMetrics),
    NoKey(kCmdWritePrototypes),
    NoKey(kCmdBrowseFunctionDefs),
    NoKey(kCmdShowGlobals),
    NoKey(kCmdSliceByLocal),
    NoKey(kCmdFileRelations),
    NoKey(kCmdAudit),
    NoKey(kCmdApplyPatch),
    NoKey(kCmdShowIfdefs),
    NoKey(kCmdExecutableStats),
    NoKey(kCmdFunctionSizeStats),
    // Versions
    NoKey(kCmdCmsGet),
    NoKey(kCmdCmsGetAll),
    NoKey(kCmdCmsPut),
    NoKey(kCmdCmsPutAll),
    NoKey(kCmdCmsChangeLocks),
    NoKey(kCmdCmsSeeLocks),
    NoKey(kCmdCmsDifferences),
    NoKey(kCmdCmsFunctionHistory),
    NoKey(kCmdCmsRevisions),
    NoKey(kCmdCmsSeeLog),
    NoKey(kCmdCmsDefaults),
    NoKey(kCmdCmsErase),
    NoKey(kCmdCmsQuery),
    NoKey(kCmdCmsSeeOperations),
    NoKey(kCmdCmsSaveRelease),
    NoKey(kCmdCmsGetRelease),
    NoKey(kCmdCmsShowRelease),
    // Window
    NoKey(kCmdCascade),
    NoKey(kCmdStatistics),
    NoKey(kCmdTile),
    NoKey(kCmdDisposition),
    NoKey(kCmdArrangeIcons),
    // Outside the menu
    NoKey(kCmdUnclaimed1127, 1),
    NoKey(kCmdCloseAll, 1),
    NoKey(kCmdUnclaimed1248, 1),

    {0, 0, 0, 0, 0},
};
constexpr std::size_t kRowCount = sizeof(kShortcuts) / sizeof(kShortcuts[0]) - 1;
static_assert(kRowCount == 146);

constexpr FileAccelRow kFileAccel[] = {
    {kVkBack, kModAlt, kCmdUndo},
    {VkF(1), kModShift, kCmdUtilityFirst},
    {VkF(2), kModShift, kCmdUtilityFirst + 1},
    {VkF(3), kModShift, kCmdUtilityFirst + 2},
    {VkF(4), kModShift, kCmdUtilityFirst + 3},
    {VkF(5), kModShift, kCmdUtilityFirst + 4},
    {VkF(6), kModShift, kCmdUtilityFirst + 5},
    {VkF(7), kModShift, kCmdUtilityFirst + 6},
    {VkF(8), kModShift, kCmdUtilityFirst + 7},
    {VkF(9), kModShift, kCmdUtilityFirst + 8},
    {VkF(10), kModShift, kCmdUtilityFirst + 9},
    {VkF(11), kModShift, kCmdUtilityFirst + 10},
};

std::vector<ShortcutRow>& Active() {
    static std::vector<ShortcutRow> rows(kShortcuts, kShortcuts + kRowCount);
    return rows;
}

}  // namespace

std::span<const ShortcutRow> DefaultShortcuts() {
    return {kShortcuts, kRowCount};
}

std::span<const ShortcutRow> ActiveShortcuts() {
    return Active();
}

std::vector<AccelEntry> DefaultAccelEntries() {
    std::vector<AccelEntry> entries;
    entries.reserve(kRowCount);
    for (std::size_t i = 0; i < kRowCount; ++i)
        entries.push_back({kShortcuts[i].key, kShortcuts[i].command, kShortcuts[i].modifiers});
    return entries;
}

void ApplyShortcutEntries(const std::vector<AccelEntry>& entries) {
    std::vector<ShortcutRow>& rows = Active();
    rows.assign(kShortcuts, kShortcuts + kRowCount);
    for (std::size_t i = 0; i < rows.size() && i < entries.size(); ++i) {
        rows[i].key = entries[i].key <= 0xFF ? static_cast<std::uint8_t>(entries[i].key) : 0;
        rows[i].modifiers = static_cast<std::uint8_t>(entries[i].flags & ~kAccelChanged);
    }
}

void ResetShortcuts() {
    Active().assign(kShortcuts, kShortcuts + kRowCount);
}

bool ShortcutRowMatches(const ShortcutRow& row, unsigned vk, bool ctrl, bool shift, bool alt) {
    if (row.key == 0 || row.key != vk) return false;
    const unsigned bits = row.modifiers & kModKeys;
    if (bits == 0) return !ctrl && !shift && !alt;
    if (bits & kModCtrl) {
        if (!ctrl) return false;
        if (alt && !(bits & kModAlt)) return false;
    }
    if ((bits & kModShift) && !shift) return false;
    if ((bits & kModAlt) && !alt) return false;
    return true;
}

unsigned MatchShortcutIn(std::span<const ShortcutRow> rows, unsigned vk, bool ctrl, bool shift,
                         bool alt) {
    for (const ShortcutRow& row : rows) {
        if (row.command == 0) break;
        if (ShortcutRowMatches(row, vk, ctrl, shift, alt)) return row.command;
    }
    return 0;
}

unsigned MatchShortcut(unsigned vk, bool ctrl, bool shift, bool alt,
                       std::span<const ShortcutRow> debuggerRows) {
    if (unsigned command = MatchShortcutIn(debuggerRows, vk, ctrl, shift, alt)) return command;
    return MatchShortcutIn(ActiveShortcuts(), vk, ctrl, shift, alt);
}

bool AllowedWithoutDocument(unsigned command) {
    for (const ShortcutRow& row : ActiveShortcuts())
        if (row.command == command) return row.allowedWithoutDocument != 0;
    return true;
}

unsigned MenuCharCommand(unsigned ch) {
    if (ch >= 'a' && ch <= 'z') ch -= 'a' - 'A';
    const bool ownCode = (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == kVkSpace ||
                         ch == kVkBack || ch == kVkTab || ch == kVkReturn || ch == kVkEscape;
    if (!ownCode) return 0;
    for (const ShortcutRow& row : ActiveShortcuts())
        if ((row.modifiers & kModAlt) && row.key == ch) return row.command;
    return 0;
}

std::span<const FileAccelRow> FileAccelerators() {
    return kFileAccel;
}

unsigned MatchFileAccelerator(unsigned vk, bool ctrl, bool shift, bool alt) {
    const unsigned state = (ctrl ? kModCtrl : 0) | (alt ? kModAlt : 0) | (shift ? kModShift : 0);
    for (const FileAccelRow& row : kFileAccel)
        if (row.key == vk && row.modifiers == state) return row.command;
    return 0;
}

std::string KeyName(unsigned vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return std::string(1, char(vk));
    if (vk >= kVkF1 && vk <= kVkF24) return FormatText("F%u", vk - kVkF1 + 1);
    if (vk >= 0x60 && vk <= 0x69) return FormatText("Num %u", vk - 0x60);
    switch (vk) {
        case kVkBack:
            return "Backspace";
        case kVkTab:
            return "Tab";
        case kVkReturn:
            return "Enter";
        case 0x13:
            return "Pause";
        case kVkEscape:
            return "Esc";
        case kVkSpace:
            return "Space";
        case kVkPrior:
            return "PgUp";
        case kVkNext:
            return "PgDn";
        case kVkEnd:
            return "End";
        case kVkHome:
            return "Home";
        case kVkLeft:
            return "Left";
        case kVkUp:
            return "Up";
        case kVkRight:
            return "Right";
        case kVkDown:
            return "Down";
        case kVkInsert:
            return "Ins";
        case kVkDelete:
            return "Del";
        case 0x6A:
            return "Num *";
        case 0x6B:
            return "Num +";
        case 0x6D:
            return "Num -";
        case 0x6E:
            return "Num .";
        case 0x6F:
            return "Num /";
        case 0xBA:
            return ";";
        case 0xBB:
            return "=";
        case 0xBC:
            return ",";
        case 0xBD:
            return "-";
        case 0xBE:
            return ".";
        case 0xBF:
            return "/";
        case 0xC0:
            return "`";
        case 0xDB:
            return "[";
        case 0xDC:
            return "\\";
        case 0xDD:
            return "]";
        case 0xDE:
            return "'";
        default:
            return FormatText("Key %u", vk);
    }
}

std::string ShortcutText(unsigned vk, unsigned modifiers) {
    std::string text;
    if (modifiers & kModCtrl) text += "Ctrl+";
    if (modifiers & kModAlt) text += "Alt+";
    if (modifiers & kModShift) text += "Shift+";
    return text + KeyName(vk);
}

std::string CommandKeyText(unsigned command, std::span<const ShortcutRow> rows) {
    for (const ShortcutRow& row : rows) {
        if (row.command == 0) break;
        if (row.command == command && row.key != 0) return ShortcutText(row.key, row.modifiers);
    }
    for (const FileAccelRow& row : kFileAccel)
        if (row.command == command) return ShortcutText(row.key, row.modifiers);
    return {};
}

std::string CommandKeyText(unsigned command) {
    return CommandKeyText(command, ActiveShortcuts());
}

}  // namespace velt
