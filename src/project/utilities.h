// User utilities: programs registered under a short name, each run by an entry of the
// utilities menu (commands 1320 ... 1332). Their names, arguments and start directories may
// hold command macros. Kept in the global settings, edited on the "Utilities" page of the
// configuration sheet, which changes them at once.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shell/config_dialog.h"
#include "shell/settings.h"

namespace velt {

inline constexpr std::size_t kUtilityNicknameLength = 9;
inline constexpr std::size_t kUtilityTextLength = 511;

struct Utility {
    std::uint16_t id = 0;   // the menu command
    std::string nickname;   // "Name in the menu bar", unique
    std::string program;    // "Name of the program to start"
    std::string arguments;  // "Arguments to the program"
    std::string startDir;   // "Starting directory"; empty: the current directory stays
};

// An entry of the utilities menu. A utility made while the program runs goes to the head of
// the list but to the end of the menu, so the two orders differ.
struct UtilityMenuEntry {
    unsigned command = 0;
    std::string name;
};

// The utilities in list order (the order of the Util%d keys).
const std::vector<Utility>& Utilities();
// The utilities menu's entries, in menu order.
const std::vector<UtilityMenuEntry>& UtilityMenu();
const Utility* FindUtility(unsigned id);
const Utility* FindUtilityNamed(std::string_view nickname);
// Forgets every utility and menu entry (tests).
void ResetUtilities();

// The command of a utility made now: 1320 plus the number of utilities, unless that number is
// in use (after a delete) or beyond 1332, when it is the first free one. 0 when all thirteen
// are taken.
unsigned NextUtilityId();
// Makes a utility at the head of the list and appends its menu entry. The nickname is cut to
// nine characters, the texts to 511. Null when no command is free.
const Utility* CreateUtility(std::string_view nickname, std::string_view program,
                             std::string_view arguments, std::string_view startDir);
// Removes the utility and its menu entry; false when there is none of that name.
bool DeleteUtility(std::string_view nickname);

// ---- The settings keys: NumberOfUtilities, then per utility in list order
// Util%dNickname, Util%dProgname, Util%dProgArgs, Util%dStartDir, Util%dID.

// Replaces the list with the stored one. The keys are read from the last utility to the
// first, each put at the head, and the reading stops at the first missing text key (those
// read until then stay). The menu then gets one entry per utility, in list order.
void ReadUtilities(const std::string& file, std::string_view section);
// False when a key could not be written.
bool WriteUtilities(const std::string& file, std::string_view section);
// Registers the two with the global settings, at the place of the utilities.
void RegisterUtilitySettings();

// ---- Commands

// Runs utility `id` (1320 ...): the program expanded without questions, then the arguments
// (the expanded program titling the ASK question); a start directory is expanded and made
// current for the start only. False when nothing was started.
bool RunUtility(unsigned id);
// The utilities list (1152): "No utilities defined" without any, else a choice of them.
bool UtilitiesListCommand();

// Sets up everything once at start-up, before the settings are read: the settings keys, the
// commands 1124, 1152 and 1320 ... 1332, the status help of the utility entries, the File
// Open dispatch by name and the root of the programs under "<root>/bin" (not owned).
void InstallUtilities(const std::string& root);
// Takes the commands and hooks out again (tests; the end of the program).
void UninstallUtilities();

// ---- The "Utilities" page

inline constexpr char kUtilityNameLabel[] = "Name in the menu bar";
inline constexpr char kUtilityProgramLabel[] = "Name of the program to start";
inline constexpr char kUtilityArgumentsLabel[] = "Arguments to the program";
inline constexpr char kUtilityStartDirLabel[] = "Starting directory";
inline constexpr char kUtilityProgramFilter[] = "Programs (*.exe);;All (*)";

// Acts on the utilities at once: a change is not taken back by cancelling the sheet.
class UtilitiesPage : public ConfigPage {
  public:
    std::string nickname;
    std::string program;
    std::string arguments;
    std::string startDir;

    ConfigPageId Id() const override { return ConfigPageId::Utilities; }
    void Load(const ConfigContext& ctx) override;
    bool Validate(const ConfigContext&) override { return true; }
    bool Apply(ConfigContext&) override { return true; }

    // The nicknames for the list, in list order.
    std::vector<std::string> Names() const;
    // A row of the list was chosen: its utility fills the fields.
    void Select(int row);
    // "Browse...": the chosen program, lower-cased; false when nothing was chosen.
    bool Browse();
    // "&Change/Add": needs a name and a program (beeps otherwise). An unknown name makes a
    // utility ("Utility '%s' ready" in the status pane), a known one gets its program,
    // arguments and start directory replaced.
    bool ChangeOrAdd();
    // "&Delete": "Can't find utility %s" for an unknown name; otherwise removes it, shows
    // "Utility [%s] erased" and empties the fields.
    bool Delete();
};

}  // namespace velt
