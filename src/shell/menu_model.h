// The frame's main menu as data: menus, items with their command numbers, sub-menus and
// separators. Item texts carry their '&' mnemonic and, after a tab, the key of the command's
// shortcut. The front end builds its menu bar from this and sends each choice back as the
// item's command.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "shell/document_host.h"
#include "shell/shortcuts.h"

namespace velt {

enum class MenuItemKind { Command, Separator, Popup };

struct MenuItem {
    MenuItemKind kind = MenuItemKind::Command;
    std::string text;      // "&Save\tCtrl+S"; empty for a separator
    unsigned command = 0;  // 0 for separators and sub-menus
    unsigned helpId = 0;   // status-bar help: the catalogue text of command + 7000
    bool enabled = true;
    bool checked = false;
    std::vector<MenuItem> items;  // of a sub-menu
};

// Positions of the menus in the bar.
enum : std::size_t {
    kFileMenu = 0,
    kEditMenu,
    kSearchMenu,
    kProjectMenu,  // also holds the recent projects and the user utilities
    kResourcesMenu,
    kCompilerMenu,
    kUtilsMenu,
    kVersionsMenu,
    kWindowMenu,  // ends with the list of document windows
    kHelpMenu,
    kMenuCount,
};

// The Window menu lists at most this many documents, then "&More Windows...".
inline constexpr std::size_t kWindowListShown = 9;

struct MainMenuSources {
    std::vector<std::string> recentProjects;  // most recent first; the first four are shown
    std::vector<std::string> utilities;       // user utility names, in menu order
    // The command of each utility entry (1320 ... 1332); without them entry i runs 1320 + i.
    std::vector<unsigned> utilityCommands = {};
};

// The text of a command's item while it differs from the bar's own ("Stop build" while a
// build runs); nullopt keeps the item's text. Set by the subsystem that owns the command.
extern std::function<std::optional<std::string>(unsigned command)> gMenuItemTextHook;

// The whole bar. Keys come from `rows`; the window list from CurrentDocuments().
std::vector<MenuItem> BuildMainMenu(const MainMenuSources& sources,
                                    std::span<const ShortcutRow> rows);
std::vector<MenuItem> BuildMainMenu(const MainMenuSources& sources);  // the active rows

// The parts that change while the program runs, for refreshing one menu.
// "&1 NAME" ... for 1214-1217.
std::vector<MenuItem> RecentProjectItems(const std::vector<std::string>& names);
// One entry per utility (1320 ... 1332, with its Shift+F key where it has one). `commands`
// gives each name's command; a command outside 1320 ... 1332 has no entry.
std::vector<MenuItem> UtilityItems(const std::vector<std::string>& names,
                                   const std::vector<unsigned>& commands = {});
// "&1 name" ... from 1350, the active (first) document checked; past nine documents the
// entry "&More Windows..." follows with the next id.
std::vector<MenuItem> WindowListItems(const std::vector<DocumentSummary>& documents);

// A label for a menu: '&' doubled so that a name shows as it is.
std::string MenuEscape(const std::string& name);

// The first item carrying `command`, searched depth-first; null when none.
const MenuItem* FindMenuItem(const std::vector<MenuItem>& menu, unsigned command);
// Every command of the menu, depth-first in menu order.
std::vector<unsigned> MenuCommands(const std::vector<MenuItem>& menu);
// Sets `enabled` of every command item from `isEnabled` (IsCommandEnabled by default).
void UpdateMenuEnabled(std::vector<MenuItem>& menu, const std::function<bool(unsigned)>& isEnabled);
void UpdateMenuEnabled(std::vector<MenuItem>& menu);

}  // namespace velt
