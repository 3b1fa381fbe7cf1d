#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <set>

#include "shell/commands.h"
#include "shell/dispatch.h"
#include "shell/menu_model.h"
#include "recording_documents.h"
#include "shell/messages.h"

using velt::MenuItem;
using velt::MenuItemKind;

namespace {

std::string Text(const std::vector<MenuItem>& menu, unsigned command) {
    const MenuItem* item = velt::FindMenuItem(menu, command);
    return item ? item->text : "<none>";
}

TEST(MainMenu, MenusAndCommandsAsTabled) {
    const auto bar = velt::BuildMainMenu({});
    std::vector<std::string> titles;
    for (const MenuItem& m : bar) titles.push_back(m.text);
    EXPECT_EQ(titles,
              (std::vector<std::string>{"&File", "&Edit", "&Search", "&Project", "&Resources",
                                        "&Compiler", "&Utils", "&Versions", "&Window", "&Help"}));

    auto commandsOf = [&](std::size_t menu) { return velt::MenuCommands(bar[menu].items); };
    using V = std::vector<unsigned>;
    EXPECT_EQ(commandsOf(velt::kFileMenu), (V{1101, 1159, 1229, 1102, 1200, 1139, 1103, 1104, 1167,
                                              1151, 1108, 1109, 1105, 1106}));
    EXPECT_EQ(commandsOf(velt::kEditMenu), (V{1110, 1111, 1112, 1113, 1201, 1126, 1220, 1170, 1189,
                                              1190, 1191, 1176, 1183, 1177, 1178}));
    EXPECT_EQ(commandsOf(velt::kSearchMenu),
              (V{1137, 1135, 1136, 1120, 1150, 1121, 1122, 1123, 1210, 1209, 1143, 1142,
                 1143, 1144, 1145, 1310, 1168, 1175, 1185, 1158, 1204, 1182, 1184}));
    EXPECT_EQ(commandsOf(velt::kProjectMenu), (V{1119, 1229, 1225, 1198, 1246, 1231, 1276, 1262}));
    EXPECT_EQ(commandsOf(velt::kResourcesMenu),
              (V{1265, 1450, 1253, 1260, 1453, 1454, 1455, 1456, 1263, 1457, 1261, 7040, 7041, 7042,
                 7043, 7044, 7045, 7046, 7047, 7048, 7049, 7050, 7051, 7060, 1459, 7053, 7066}));
    EXPECT_EQ(commandsOf(velt::kCompilerMenu), (V{1156, 1271, 1267, 1270, 1197, 1268, 1245, 1273}));
    EXPECT_EQ(commandsOf(velt::kUtilsMenu),
              (V{1124, 1161, 1250, 1138, 1257, 1195, 1169, 1219, 1179, 1180,
                 1181, 1174, 1193, 1187, 1194, 1203, 1251, 1147, 1297, 1298}));
    EXPECT_EQ(commandsOf(velt::kVersionsMenu),
              (V{1223, 1224, 1222, 1238, 1241, 1226, 1232, 1244, 1227, 1239, 1236, 1240, 1242, 1243,
                 1235, 1234, 1237}));
    EXPECT_EQ(commandsOf(velt::kWindowMenu), (V{1131, 1130, 1132, 1254, 1133}));
    EXPECT_EQ(commandsOf(velt::kHelpMenu), (V{14000, 1107, 1291}));
}

// Walks every item of a menu level and below.
template <class F>
void ForEachItem(const std::vector<MenuItem>& menu, F f) {
    for (const MenuItem& item : menu) {
        f(item);
        ForEachItem(item.items, f);
    }
}

TEST(MainMenu, EveryCommandHasItsHelpTextAndRowsTheirShortcut) {
    const auto bar = velt::BuildMainMenu({{"p"}, {"u"}});
    ForEachItem(bar, [](const MenuItem& item) {
        if (item.kind != MenuItemKind::Command) {
            EXPECT_EQ(item.helpId, 0u) << item.text;
            return;
        }
        EXPECT_EQ(item.helpId, item.command + velt::kMenuHelpOffset) << item.text;
        const unsigned help = item.helpId;
        if ((help >= 8101 && help <= 8310 && item.command < velt::kCmdUtilityFirst) ||
            help == 21000) {
            EXPECT_STRNE(velt::GetMessageText(help), "") << item.text;
        }
        // Every command that needs a document says so through a shortcut row; the rest have
        // either a row allowing them or none.
        if (item.command < 7000 && item.command != velt::kCmdAbout &&
            item.command != velt::kCmdVersion &&
            (item.command < velt::kCmdRecentProjectFirst ||
             item.command > velt::kCmdRecentProjectLast) &&
            item.command < velt::kCmdUtilityFirst) {
            bool found = false;
            for (const auto& row : velt::DefaultShortcuts()) found |= row.command == item.command;
            EXPECT_TRUE(found) << item.text;
        }
    });
    EXPECT_STREQ(velt::GetMessageText(8142), "Establish a book mark at the current position");
    EXPECT_STREQ(velt::GetMessageText(8156), "Build the current executable");
}

TEST(MainMenu, MnemonicsAreUniqueWithinEachMenu) {
    const auto bar = velt::BuildMainMenu({});
    std::function<void(const std::vector<MenuItem>&, const std::string&)> check =
        [&](const std::vector<MenuItem>& level, const std::string& where) {
            std::set<char> seen;
            for (const MenuItem& item : level) {
                check(item.items, item.text);
                if (item.kind == MenuItemKind::Separator) continue;
                const auto amp = item.text.find('&');
                if (amp == std::string::npos) continue;  // "Make" keeps its plain text
                const char c = static_cast<char>(std::toupper(item.text[amp + 1]));
                EXPECT_TRUE(seen.insert(c).second) << where << ": " << item.text;
            }
        };
    check(bar, "bar");
}

TEST(MainMenu, KeyNamesFollowATab) {
    auto bar = velt::BuildMainMenu({});
    EXPECT_EQ(Text(bar, velt::kCmdSave), "&Save\tCtrl+S");
    EXPECT_EQ(Text(bar, velt::kCmdUndo), "&Undo\tAlt+Backspace");
    EXPECT_EQ(Text(bar, velt::kCmdCut), "Cu&t\tCtrl+X");
    EXPECT_EQ(Text(bar, velt::kCmdQuit), "&Quit\tAlt+F4");
    EXPECT_EQ(Text(bar, velt::kCmdMake), "Make\tF9");
    EXPECT_EQ(Text(bar, velt::kCmdDebugger), "&Debugger\tF5");
    EXPECT_EQ(Text(bar, velt::kCmdStructuresList), "S&tructures list...\tAlt+F12");
    EXPECT_EQ(Text(bar, velt::kCmdGotoNextBookmark), "Goto ne&xt\tCtrl+Shift+F7");
    EXPECT_EQ(Text(bar, velt::kCmdGotoLine), "&Line\tCtrl+G");
    EXPECT_EQ(Text(bar, velt::kCmdOpen), "&Open...");
    EXPECT_EQ(Text(bar, velt::kCmdReplace), "&Replace ...");

    // The user's key shows instead of the built-in one.
    auto entries = velt::DefaultAccelEntries();
    for (auto& e : entries)
        if (e.command == velt::kCmdSave) e.key = 'W';
    velt::ApplyShortcutEntries(entries);
    bar = velt::BuildMainMenu({});
    velt::ResetShortcuts();
    EXPECT_EQ(Text(bar, velt::kCmdSave), "&Save\tCtrl+W");
}

TEST(MainMenu, RecentProjectsAndUtilitiesGoToTheProjectMenu) {
    const std::vector<std::string> projects = {"/p/one.prj", "/p/R&D.prj", "/p/3.prj", "/p/4.prj",
                                               "/p/five.prj"};
    std::vector<std::string> utilities;
    for (int i = 1; i <= 15; ++i) utilities.push_back("tool" + std::to_string(i));
    const auto bar = velt::BuildMainMenu({projects, utilities});
    const auto& project = bar[velt::kProjectMenu].items;

    EXPECT_EQ(Text(bar, 1214), "&1 /p/one.prj");
    EXPECT_EQ(Text(bar, 1215), "&2 /p/R&&D.prj");  // the '&' shows as itself
    EXPECT_EQ(Text(bar, 1217), "&4 /p/4.prj");
    EXPECT_EQ(velt::FindMenuItem(bar, 1218), nullptr);
    EXPECT_EQ(velt::FindMenuItem(bar, 1214)->helpId, 8214u);

    EXPECT_EQ(Text(bar, 1320), "tool1\tShift+F1");
    EXPECT_EQ(Text(bar, 1330), "tool11\tShift+F11");
    EXPECT_EQ(Text(bar, 1332), "tool13");
    EXPECT_EQ(velt::FindMenuItem(bar, 1333), nullptr);  // thirteen utilities at most
    EXPECT_EQ(project.back().command, 1332u);

    // Without either, the menu ends with its own items and no stray separator.
    const auto plain = velt::BuildMainMenu({});
    EXPECT_EQ(plain[velt::kProjectMenu].items.back().command, velt::kCmdWorkspace);
}

TEST(MainMenu, WindowMenuListsTheDocuments) {
    velt::testing::RecordingDocuments docs;
    auto window = [] { return velt::BuildMainMenu({})[velt::kWindowMenu].items; };
    EXPECT_EQ(window().back().kind, MenuItemKind::Popup);  // no documents: no list

    docs.docs = {{"/src/a.c"}, {"/src/b&c.h"}};
    auto items = window();
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[3].kind, MenuItemKind::Separator);
    EXPECT_EQ(items[4].text, "&1 /src/a.c");
    EXPECT_EQ(items[4].command, 1350u);
    EXPECT_TRUE(items[4].checked);
    EXPECT_EQ(items[5].text, "&2 /src/b&&c.h");
    EXPECT_EQ(items[5].command, 1351u);
    EXPECT_FALSE(items[5].checked);
    EXPECT_STREQ(velt::GetMessageText(items[5].helpId), "");  // window entries have no help

    docs.docs.assign(11, {"/x.c"});
    items = window();
    EXPECT_EQ(items.back().text, "&More Windows...");
    EXPECT_EQ(items.back().command, 1359u);
    EXPECT_EQ(items[items.size() - 2].text, "&9 /x.c");
}

TEST(MainMenu, CommandsWithoutAHandlerOrADocumentAreGreyed) {
    velt::FrameCommands().Clear();
    velt::FrameCommands().SetStateSource([] { return velt::FrameState{false, false, false}; });
    velt::FrameCommands().Register(velt::kCmdOpen, [](const velt::CommandCall&) { return 0; });
    velt::FrameCommands().Register(velt::kCmdSave, [](const velt::CommandCall&) { return 0; });
    auto bar = velt::BuildMainMenu({});
    velt::UpdateMenuEnabled(bar);
    velt::FrameCommands().Clear();
    EXPECT_TRUE(velt::FindMenuItem(bar, velt::kCmdOpen)->enabled);
    EXPECT_FALSE(velt::FindMenuItem(bar, velt::kCmdSave)->enabled);     // needs a document
    EXPECT_FALSE(velt::FindMenuItem(bar, velt::kCmdNewFile)->enabled);  // nobody handles it
}

}  // namespace
