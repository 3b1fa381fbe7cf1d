#include "project/utilities.h"

#include <algorithm>
#include <optional>
#include <ostream>

#include "platform/profile_store.h"
#include "project/command_macros.h"
#include "project/open_by_name.h"
#include "project/run_program.h"
#include "shell/commands.h"
#include "shell/dispatch.h"
#include "shell/frame_messages.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/status_pane.h"
#include "shell/strutil.h"
#include "shell/ui.h"

namespace velt {

namespace pf = velt::platform;

namespace {

const int kOwnerTag = 0;
const void* const kOwner = &kOwnerTag;

// No stored value can hold a line break, so this default marks a missing key.
constexpr std::string_view kMissing = "\n";

std::vector<Utility> gUtilities;
std::vector<UtilityMenuEntry> gMenu;

std::string Cut(std::string_view s, std::size_t n) {
    return std::string(s.substr(0, std::min(s.size(), n)));
}

Utility* FindNamed(std::string_view nickname) {
    for (Utility& u : gUtilities)
        if (u.nickname == nickname) return &u;
    return nullptr;
}

bool IdUsed(unsigned id) {
    for (const Utility& u : gUtilities)
        if (u.id == id) return true;
    return false;
}

void AppendMenuEntry(const Utility& u) {
    gMenu.push_back({u.id, u.nickname});
}

void Notice(const std::string& text) {
    SendFrameMessage(FrameMessage::Notice, 0, TextParam(text.c_str()));
}

// The keys of every utility in list order, numbered from 1.
std::vector<std::pair<std::string, std::string>> UtilityKeys(bool fromLast) {
    std::vector<std::pair<std::string, std::string>> keys;
    keys.emplace_back("NumberOfUtilities", std::to_string(gUtilities.size()));
    const std::size_t n = gUtilities.size();
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t index = fromLast ? n - 1 - i : i;
        const Utility& u = gUtilities[index];
        const std::size_t k = index + 1;
        keys.emplace_back(FormatText("Util%zuNickname", k), u.nickname);
        keys.emplace_back(FormatText("Util%zuProgname", k), u.program);
        keys.emplace_back(FormatText("Util%zuProgArgs", k), u.arguments);
        keys.emplace_back(FormatText("Util%zuStartDir", k), u.startDir);
        keys.emplace_back(FormatText("Util%zuID", k), std::to_string(u.id));
    }
    return keys;
}

}  // namespace

const std::vector<Utility>& Utilities() {
    return gUtilities;
}

const std::vector<UtilityMenuEntry>& UtilityMenu() {
    return gMenu;
}

const Utility* FindUtility(unsigned id) {
    for (const Utility& u : gUtilities)
        if (u.id == id) return &u;
    return nullptr;
}

const Utility* FindUtilityNamed(std::string_view nickname) {
    return FindNamed(nickname);
}

void ResetUtilities() {
    gUtilities.clear();
    gMenu.clear();
}

unsigned NextUtilityId() {
    // After a delete, 1320 plus the count may still belong to a utility: two entries with
    // one command would both run the first of them.
    const unsigned id = kCmdUtilityFirst + static_cast<unsigned>(gUtilities.size());
    if (id <= kCmdUtilityLast && !IdUsed(id)) return id;
    for (unsigned free = kCmdUtilityFirst; free <= kCmdUtilityLast; ++free)
        if (!IdUsed(free)) return free;
    return 0;
}

const Utility* CreateUtility(std::string_view nickname, std::string_view program,
                             std::string_view arguments, std::string_view startDir) {
    const unsigned id = NextUtilityId();
    if (id == 0) return nullptr;
    Utility u;
    u.id = static_cast<std::uint16_t>(id);
    u.nickname = Cut(nickname, kUtilityNicknameLength);
    u.program = Cut(program, kUtilityTextLength);
    u.arguments = Cut(arguments, kUtilityTextLength);
    u.startDir = Cut(startDir, kUtilityTextLength);
    gUtilities.insert(gUtilities.begin(), u);
    AppendMenuEntry(u);
    return &gUtilities.front();
}

bool DeleteUtility(std::string_view nickname) {
    const auto it = std::find_if(gUtilities.begin(), gUtilities.end(),
                                 [&](const Utility& u) { return u.nickname == nickname; });
    if (it == gUtilities.end()) return false;
    const unsigned id = it->id;
    gUtilities.erase(it);
    std::erase_if(gMenu, [id](const UtilityMenuEntry& e) { return e.command == id; });
    return true;
}

// ---- Settings

void ReadUtilities(const std::string& file, std::string_view section) {
    ResetUtilities();
    const long n = pf::ProfileGetNumber(file, section, "NumberOfUtilities", 0);
    auto text = [&](long k, const char* field) -> std::optional<std::string> {
        std::string v =
            pf::ProfileGetString(file, section, FormatText("Util%ld%s", k, field), kMissing);
        if (v == kMissing) return std::nullopt;
        return v;
    };
    for (long k = n; k >= 1; --k) {
        const std::optional<std::string> nickname = text(k, "Nickname");
        if (!nickname) break;
        const std::optional<std::string> program = text(k, "Progname");
        if (!program) break;
        const std::optional<std::string> arguments = text(k, "ProgArgs");
        if (!arguments) break;
        const std::optional<std::string> startDir = text(k, "StartDir");
        if (!startDir) break;
        Utility u;
        // A missing number gives the command the utility had when the keys were written.
        u.id = static_cast<std::uint16_t>(pf::ProfileGetNumber(
            file, section, FormatText("Util%ldID", k), kCmdUtilityFirst + k - 1));
        u.nickname = Cut(*nickname, kUtilityNicknameLength);
        u.program = Cut(*program, kUtilityTextLength);
        u.arguments = Cut(*arguments, kUtilityTextLength);
        u.startDir = Cut(*startDir, kUtilityTextLength);
        gUtilities.insert(gUtilities.begin(), std::move(u));
    }
    for (const Utility& u : gUtilities) AppendMenuEntry(u);
}

bool WriteUtilities(const std::string& file, std::string_view section) {
    for (const auto& [key, value] : UtilityKeys(false))
        if (!pf::ProfileWriteString(file, section, key, std::string_view(value))) return false;
    return true;
}

void RegisterUtilitySettings() {
    RegisterSettingsPart(
        SettingsSlot::Utilities,
        [](const SettingsLocation& loc) { ReadUtilities(loc.file, loc.section); },
        [](const SettingsLocation& loc) { return WriteUtilities(loc.file, loc.section); },
        [](std::ostream& out) {
            // In the order they are read: the count, then from the last utility to the first.
            for (const auto& [key, value] : UtilityKeys(true)) out << key << '=' << value << '\n';
        });
}

// ---- Commands

bool RunUtility(unsigned id) {
    const Utility* found = FindUtility(id);
    if (!found) return false;
    // A question below lets the user reach the Utilities page: work on a copy.
    const Utility u = *found;
    const std::optional<std::string> program = ExpandMacros(u.program);
    if (!program) return false;
    const std::optional<std::string> arguments = ExpandMacros(u.arguments, *program);
    if (!arguments) return false;
    std::optional<StartDirectory> dir;
    if (!u.startDir.empty()) {
        const std::optional<std::string> startDir = ExpandMacros(u.startDir);
        if (!startDir) return false;
        dir.emplace(*startDir);
        // Started elsewhere, the program would work on the wrong files.
        if (!dir->entered()) return false;
    }
    return StartProgram(*program, *arguments);
}

bool UtilitiesListCommand() {
    if (gMenu.empty()) {
        ShowInfo("No utilities defined");
        return false;
    }
    std::vector<std::string> names;
    for (const UtilityMenuEntry& e : gMenu) names.push_back(e.name);
    const int row = CurrentUi().ChooseFromList("Utilities", names);
    if (row < 0 || row >= static_cast<int>(gMenu.size())) return false;
    return RunUtility(gMenu[static_cast<std::size_t>(row)].command);
}

void InstallUtilities(const std::string& root) {
    static bool settingsRegistered = false;
    if (!settingsRegistered) {
        RegisterUtilitySettings();
        settingsRegistered = true;
    }
    SetProgramRoot(&root);
    CommandDispatcher& d = FrameCommands();
    d.Unregister(kOwner);
    d.Register(
        kCmdExecute, [](const CommandCall&) { return std::intptr_t{ExecuteProgramCommand()}; },
        kOwner, CommandPhase::Frame);
    d.Register(
        kCmdUtilitiesList, [](const CommandCall&) { return std::intptr_t{UtilitiesListCommand()}; },
        kOwner, CommandPhase::Frame);
    d.RegisterRange(
        kCmdUtilityFirst, kCmdUtilityLast,
        [](const CommandCall& c) { return std::intptr_t{RunUtility(c.id)}; }, kOwner,
        CommandPhase::Frame);
    FrameStatusPane().SetUtilityDescriber(
        [](unsigned command, std::string& program, std::string& arguments) {
            const Utility* u = FindUtility(command);
            if (!u) return false;
            program = u->program;
            arguments = u->arguments;
            return true;
        });
    InstallOpenByName();
}

void UninstallUtilities() {
    FrameCommands().Unregister(kOwner);
    FrameStatusPane().SetUtilityDescriber({});
    UninstallOpenByName();
    SetProgramRoot(nullptr);
}

// ---- The "Utilities" page

void UtilitiesPage::Load(const ConfigContext&) {
    nickname.clear();
    program.clear();
    arguments.clear();
    startDir.clear();
}

std::vector<std::string> UtilitiesPage::Names() const {
    std::vector<std::string> names;
    for (const Utility& u : gUtilities) names.push_back(u.nickname);
    return names;
}

void UtilitiesPage::Select(int row) {
    if (row < 0 || row >= static_cast<int>(gUtilities.size())) return;
    const Utility& u = gUtilities[static_cast<std::size_t>(row)];
    nickname = u.nickname;
    program = u.program;
    arguments = u.arguments;
    startDir = u.startDir;
}

bool UtilitiesPage::Browse() {
    const std::string chosen =
        CurrentUi().ChooseFile(kUtilityProgramLabel, kUtilityProgramFilter, false, program);
    if (chosen.empty()) return false;
    program = Cut(AsciiLower(chosen), kUtilityTextLength);
    return true;
}

bool UtilitiesPage::ChangeOrAdd() {
    nickname = Cut(nickname, kUtilityNicknameLength);
    if (nickname.empty() || program.empty()) {
        CurrentUi().Beep();
        return false;
    }
    if (Utility* u = FindNamed(nickname)) {
        u->program = Cut(program, kUtilityTextLength);
        u->arguments = Cut(arguments, kUtilityTextLength);
        u->startDir = Cut(startDir, kUtilityTextLength);
        return true;
    }
    // Thirteen utilities use up the menu's commands.
    if (!CreateUtility(nickname, program, arguments, startDir)) {
        CurrentUi().Beep();
        return false;
    }
    Notice(FormatText("Utility '%s' ready", nickname.c_str()));
    return true;
}

bool UtilitiesPage::Delete() {
    const std::string name = Cut(nickname, kUtilityNicknameLength);
    if (!DeleteUtility(name)) {
        ShowMessage(FormatText("Can't find utility %s", name.c_str()));
        return false;
    }
    ShowInfo(FormatText("Utility [%s] erased", name.c_str()));
    nickname.clear();
    program.clear();
    arguments.clear();
    startDir.clear();
    return true;
}

}  // namespace velt
