// The keyboard shortcuts of the frame: the shortcut table (key, command, modifier bits and
// whether the command works without an open document), the small accelerator table
// "EDITFILEACC", and the key names the menus show after a tab.
//
// The table's rows are matched in order and the first match wins, so rows with more
// modifiers stand before their simpler twins. The user can give any row another key through
// the settings (Accelerators, Accel%d); the table then in use is the active one.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "shell/accelerators.h"

namespace velt {

// Windows virtual-key codes, the key numbers of the table and of stored settings.
enum : std::uint8_t {
    kVkBack = 0x08,
    kVkTab = 0x09,
    kVkReturn = 0x0D,
    kVkEscape = 0x1B,
    kVkSpace = 0x20,
    kVkPrior = 0x21,  // PgUp
    kVkNext = 0x22,   // PgDn
    kVkEnd = 0x23,
    kVkHome = 0x24,
    kVkLeft = 0x25,
    kVkUp = 0x26,
    kVkRight = 0x27,
    kVkDown = 0x28,
    kVkInsert = 0x2D,
    kVkDelete = 0x2E,
    kVkF1 = 0x70,
    kVkF24 = 0x87,
};
// F1 ... F24.
constexpr std::uint8_t VkF(int n) {
    return static_cast<std::uint8_t>(kVkF1 + n - 1);
}

// Modifier bits of a row.
enum : std::uint8_t {
    kModCtrl = 0x1,
    kModAlt = 0x2,
    kModShift = 0x4,
    kModKeys = kModCtrl | kModAlt | kModShift,
    // Carried by Ctrl+S, Ctrl+G and Alt+Backspace; matching ignores it.
    kModMarked = 0x10,
};

struct ShortcutRow {
    std::uint8_t key;  // virtual key; 0: the command has no key
    std::uint8_t zero;
    std::uint16_t command;  // 0 ends a table
    std::uint8_t modifiers;
    std::uint8_t allowedWithoutDocument;
};
static_assert(sizeof(ShortcutRow) == 6);

// Rows of the built-in table (its end row not included).
std::span<const ShortcutRow> DefaultShortcuts();

// The rows in use: the built-in ones with the user's keys applied.
std::span<const ShortcutRow> ActiveShortcuts();

// The built-in table as settings entries ({key, command, modifiers}), index for index; fill
// GlobalSettings::accelerators with this before the settings are read.
std::vector<AccelEntry> DefaultAccelEntries();
// Rebuilds the active rows from settings entries: each entry gives the row at its index its
// key and modifiers (the changed mark dropped); commands and the without-document field stay
// the table's own. A key beyond the virtual-key range leaves the row without a key. Entries
// past the table are ignored; rows past the entries keep their built-in keys.
void ApplyShortcutEntries(const std::vector<AccelEntry>& entries);
// Puts the built-in keys back.
void ResetShortcuts();

// Whether `row` answers the key with the given modifier state: a Ctrl row needs Ctrl down
// and, if Alt is down, the Alt bit too; a Shift row needs Shift; an Alt row needs Alt; a row
// without modifier bits needs none of them. Other modifiers are not checked.
bool ShortcutRowMatches(const ShortcutRow& row, unsigned vk, bool ctrl, bool shift, bool alt);

// The command of the first matching row of `rows` (up to a command-0 row), or 0.
unsigned MatchShortcutIn(std::span<const ShortcutRow> rows, unsigned vk, bool ctrl, bool shift,
                         bool alt);
// The key-press look-up of the editor windows: the debugger's table first (pass it while a
// debug session runs), then the active table. 0 when nothing matches.
unsigned MatchShortcut(unsigned vk, bool ctrl, bool shift, bool alt,
                       std::span<const ShortcutRow> debuggerRows = {});

// The without-document field of the command's first row; a command without a row is allowed.
bool AllowedWithoutDocument(unsigned command);

// WM_MENUCHAR: the command of the first active row with the Alt bit whose key is the
// character upper-cased, or 0. Only characters that are also their own key code (letters,
// digits, Space, Backspace, Tab, Enter, Esc) are looked up, so punctuation such as '{' never
// reaches the function-key rows that share its code.
unsigned MenuCharCommand(unsigned ch);

// "EDITFILEACC": Alt+Backspace and Shift+F1 ... Shift+F11. An accelerator needs exactly its
// modifiers.
struct FileAccelRow {
    std::uint8_t key;
    std::uint8_t modifiers;
    std::uint16_t command;
};
std::span<const FileAccelRow> FileAccelerators();
unsigned MatchFileAccelerator(unsigned vk, bool ctrl, bool shift, bool alt);

// "F3", "Backspace", "PgDn", "S", ...
std::string KeyName(unsigned vk);
// "Ctrl+S", "Ctrl+Shift+F7", "Alt+F12": modifiers in the order Ctrl, Alt, Shift.
std::string ShortcutText(unsigned vk, unsigned modifiers);
// The key text of the command's first row with a key in `rows`, else of its "EDITFILEACC"
// row; empty when the command has no key.
std::string CommandKeyText(unsigned command, std::span<const ShortcutRow> rows);
std::string CommandKeyText(unsigned command);  // in the active rows

}  // namespace velt
