#include <gtest/gtest.h>

#include <set>

#include "platform/profile_store.h"
#include "shell/accelerators.h"
#include "shell/commands.h"
#include "shell/shortcuts.h"
#include "temp_dir.h"

using velt::MatchShortcut;
using velt::ShortcutRow;
using velt::VkF;

namespace {

constexpr bool kCtrl = true, kShift = true, kAlt = true, kNo = false;

class Shortcuts : public ::testing::Test {
  protected:
    void TearDown() override { velt::ResetShortcuts(); }
};

TEST_F(Shortcuts, KeysFindTheirCommandsFirstRowWinning) {
    // vk, ctrl, shift, alt, command
    struct Case {
        unsigned vk;
        bool ctrl, shift, alt;
        unsigned command;
    };
    const Case cases[] = {
        {velt::kVkRight, kCtrl, kNo, kNo, 1163},  // never the repeated 1207
        {velt::kVkLeft, kCtrl, kNo, kNo, 1164},   // never 1208
        {velt::kVkRight, kCtrl, kShift, kNo, 1165},
        {velt::kVkLeft, kCtrl, kShift, kNo, 1272},
        {velt::kVkRight, kNo, kShift, kNo, 1154},
        {velt::kVkDown, kNo, kShift, kNo, 1115},    // never 1166
        {velt::kVkDown, kCtrl, kShift, kNo, 1115},  // a Shift row does not look at Ctrl
        {velt::kVkDown, kNo, kNo, kNo, 0},
        {VkF(12), kNo, kNo, kAlt, 1175},
        {VkF(12), kNo, kNo, kNo, 1168},
        {VkF(4), kNo, kNo, kAlt, 1106},
        {VkF(4), kNo, kNo, kNo, 0},
        {VkF(7), kCtrl, kShift, kNo, 1144},
        {VkF(7), kCtrl, kNo, kNo, 1143},
        {VkF(7), kNo, kNo, kNo, 1142},
        {VkF(7), kNo, kShift, kNo, 0},  // a row without bits wants no modifier at all
        {VkF(3), kNo, kNo, kNo, 1135},
        {VkF(3), kCtrl, kNo, kNo, 1136},
        {VkF(3), kNo, kNo, kAlt, 1137},
        {VkF(3), kCtrl, kNo, kAlt, 1137},  // the Ctrl row wants the Alt bit; the Alt row takes it
        {'S', kCtrl, kNo, kNo, 1103},      // bit 16 does not disturb the match
        {'S', kCtrl, kShift, kNo, 1103},   // Shift is not checked on a Ctrl row
        {'S', kCtrl, kNo, kAlt, 0},        // Alt down needs the Alt bit on a Ctrl row
        {'S', kNo, kNo, kNo, 0},
        {'G', kCtrl, kNo, kNo, 1123},
        {velt::kVkBack, kNo, kNo, kAlt, 1110},
        {velt::kVkBack, kNo, kNo, kNo, 0},
        {velt::kVkDelete, kNo, kShift, kNo, 1111},
        {velt::kVkInsert, kCtrl, kNo, kNo, 1112},
        {velt::kVkInsert, kNo, kShift, kNo, 1113},
        {velt::kVkHome, kCtrl, kShift, kNo, 1171},
        {velt::kVkHome, kCtrl, kNo, kNo, 1121},
        {velt::kVkHome, kNo, kShift, kNo, 1199},
        {velt::kVkEnd, kCtrl, kShift, kNo, 1172},
        {velt::kVkNext, kNo, kShift, kNo, 1212},
        {VkF(9), kNo, kNo, kNo, 1156},
        {VkF(5), kCtrl, kNo, kNo, 1295},
        {VkF(1), kNo, kNo, kNo, 1296},
        {0, kNo, kNo, kNo, 0},  // key-less rows never match
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchShortcut(c.vk, c.ctrl, c.shift, c.alt), c.command)
            << "vk " << c.vk << " ctrl " << c.ctrl << " shift " << c.shift << " alt " << c.alt;
}

TEST_F(Shortcuts, EveryKeyedRowIsReachableSaveTheDocumentedRepeats) {
    // Pressing exactly a row's modifiers must reach that row unless an earlier row with the
    // same key and modifiers stands before it: a simpler twin placed too early would hide it.
    const auto rows = velt::DefaultShortcuts();
    std::set<unsigned> shadowed;
    std::size_t keyed = 0;
    for (const ShortcutRow& row : rows) {
        if (!row.key) continue;
        ++keyed;
        const unsigned got =
            MatchShortcut(row.key, row.modifiers & velt::kModCtrl, row.modifiers & velt::kModShift,
                          row.modifiers & velt::kModAlt);
        if (got != row.command) shadowed.insert(row.command);
    }
    EXPECT_EQ(keyed, 46u);
    EXPECT_EQ(shadowed, (std::set<unsigned>{1166, 1207, 1208}));
}

TEST_F(Shortcuts, TableShapeAndTheWithoutDocumentField) {
    const auto rows = velt::DefaultShortcuts();
    EXPECT_EQ(rows.size(), 146u);
    std::set<unsigned> allowed, marked;
    for (const ShortcutRow& row : rows) {
        EXPECT_EQ(row.zero, 0);
        EXPECT_NE(row.command, 0);
        if (row.allowedWithoutDocument) allowed.insert(row.command);
        if (row.modifiers & velt::kModMarked) marked.insert(row.command);
    }
    EXPECT_EQ(allowed,
              (std::set<unsigned>{1101, 1102, 1106, 1119, 1124, 1127, 1128, 1150, 1156, 1161, 1198,
                                  1200, 1225, 1229, 1231, 1246, 1248, 1262, 1268, 1295, 1296}));
    EXPECT_EQ(marked, (std::set<unsigned>{1103, 1123, 1110}));
    for (unsigned id : allowed) EXPECT_TRUE(velt::AllowedWithoutDocument(id)) << id;
    EXPECT_FALSE(velt::AllowedWithoutDocument(1175));
    EXPECT_FALSE(velt::AllowedWithoutDocument(1111));  // both of its rows say so
    EXPECT_FALSE(velt::AllowedWithoutDocument(1270));
    // No row: allowed.
    EXPECT_TRUE(velt::AllowedWithoutDocument(velt::kCmdAbout));
    EXPECT_TRUE(velt::AllowedWithoutDocument(1214));
    EXPECT_TRUE(velt::AllowedWithoutDocument(1320));
}

TEST_F(Shortcuts, TheDebuggerTableIsSearchedFirstUpToItsEndRow) {
    const ShortcutRow debugger[] = {
        {VkF(5), 0, 340, 0, 1}, {0, 0, 0, 0, 0}, {VkF(9), 0, 670, 0, 1},  // past the end row
    };
    EXPECT_EQ(MatchShortcut(VkF(5), kNo, kNo, kNo, debugger), 340u);
    EXPECT_EQ(MatchShortcut(VkF(5), kNo, kNo, kNo), 1268u);
    EXPECT_EQ(MatchShortcut(VkF(9), kNo, kNo, kNo, debugger), 1156u);
    EXPECT_EQ(MatchShortcut(VkF(5), kCtrl, kNo, kNo, debugger), 1295u);
}

TEST_F(Shortcuts, MenuCharacterLooksForAltRows) {
    EXPECT_EQ(velt::MenuCharCommand('f'), 0u);  // no Alt+letter row in the built-in table
    EXPECT_EQ(velt::MenuCharCommand(velt::kVkBack), 1110u);
    // '{' shares its code with F12; Alt+F12 must not answer a typed brace.
    EXPECT_EQ(velt::MenuCharCommand('{'), 0u);
    EXPECT_EQ(velt::MenuCharCommand('s'), 0u);  // Ctrl+S is not an Alt row

    // A user's Alt+F for Open.
    auto entries = velt::DefaultAccelEntries();
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].command == velt::kCmdOpen) {
            entries[i].key = 'F';
            entries[i].flags = velt::kModAlt | velt::kAccelChanged;
        }
    velt::ApplyShortcutEntries(entries);
    EXPECT_EQ(velt::MenuCharCommand('f'), velt::kCmdOpen);
    EXPECT_EQ(velt::MenuCharCommand('F'), velt::kCmdOpen);
    EXPECT_EQ(MatchShortcut('F', kNo, kNo, kAlt), velt::kCmdOpen);
}

TEST_F(Shortcuts, FileAcceleratorsNeedExactlyTheirModifiers) {
    EXPECT_EQ(velt::MatchFileAccelerator(VkF(1), kNo, kShift, kNo), 1320u);
    EXPECT_EQ(velt::MatchFileAccelerator(VkF(11), kNo, kShift, kNo), 1330u);
    EXPECT_EQ(velt::MatchFileAccelerator(VkF(12), kNo, kShift, kNo), 0u);
    EXPECT_EQ(velt::MatchFileAccelerator(VkF(1), kNo, kNo, kNo), 0u);
    EXPECT_EQ(velt::MatchFileAccelerator(VkF(1), kCtrl, kShift, kNo), 0u);
    EXPECT_EQ(velt::MatchFileAccelerator(velt::kVkBack, kNo, kNo, kAlt), 1110u);
    EXPECT_EQ(velt::MatchFileAccelerator(velt::kVkBack, kNo, kShift, kAlt), 0u);
}

TEST_F(Shortcuts, KeyTexts) {
    EXPECT_EQ(velt::ShortcutText('S', velt::kModCtrl | velt::kModMarked), "Ctrl+S");
    EXPECT_EQ(velt::ShortcutText(VkF(7), velt::kModCtrl | velt::kModShift), "Ctrl+Shift+F7");
    EXPECT_EQ(velt::ShortcutText(VkF(12), velt::kModAlt), "Alt+F12");
    EXPECT_EQ(velt::ShortcutText(VkF(3), 0), "F3");
    EXPECT_EQ(velt::ShortcutText(velt::kVkBack, velt::kModAlt), "Alt+Backspace");
    EXPECT_EQ(velt::ShortcutText(velt::kVkNext, velt::kModShift), "Shift+PgDn");
    EXPECT_EQ(velt::ShortcutText(velt::kVkInsert, velt::kModCtrl), "Ctrl+Ins");
    EXPECT_EQ(velt::CommandKeyText(velt::kCmdCut), "Ctrl+X");  // its first row
    EXPECT_EQ(velt::CommandKeyText(velt::kCmdGotoNextBookmark), "Ctrl+Shift+F7");
    EXPECT_EQ(velt::CommandKeyText(1320), "Shift+F1");  // from "EDITFILEACC"
    EXPECT_EQ(velt::CommandKeyText(velt::kCmdNewFile), "");
}

TEST_F(Shortcuts, UserKeysFromTheSettingsReplaceTheBuiltInOnes) {
    const auto defaults = velt::DefaultAccelEntries();
    ASSERT_EQ(defaults.size(), velt::DefaultShortcuts().size());
    std::size_t save = defaults.size();
    for (std::size_t i = 0; i < defaults.size(); ++i) {
        EXPECT_EQ(defaults[i].command, velt::DefaultShortcuts()[i].command);
        if (defaults[i].command == velt::kCmdSave) save = i;
    }
    ASSERT_LT(save, defaults.size());

    // Stored and read back the way the settings do it.
    velt::testing::TempDir dir;
    const std::string file = dir / "velt.prj";
    auto changed = defaults;
    changed[save].key = 'W';
    changed[save].flags = velt::kModCtrl | velt::kModMarked | velt::kAccelChanged;
    ASSERT_TRUE(velt::WriteAccelerators(file, "velt", changed));
    velt::platform::ProfileForgetCache();
    auto loaded = velt::DefaultAccelEntries();
    velt::ReadAccelerators(file, "velt", loaded);
    velt::ApplyShortcutEntries(loaded);

    EXPECT_EQ(MatchShortcut('W', kCtrl, kNo, kNo), velt::kCmdSave);
    EXPECT_EQ(MatchShortcut('S', kCtrl, kNo, kNo), 0u);
    EXPECT_EQ(velt::CommandKeyText(velt::kCmdSave), "Ctrl+W");
    // The changed mark is not a modifier, and the without-document field stays the table's.
    EXPECT_EQ(velt::ActiveShortcuts()[save].modifiers, velt::kModCtrl | velt::kModMarked);
    EXPECT_FALSE(velt::AllowedWithoutDocument(velt::kCmdSave));

    // A key number no virtual key has leaves the row without a key.
    loaded[save].key = 300;
    velt::ApplyShortcutEntries(loaded);
    EXPECT_EQ(velt::ActiveShortcuts()[save].key, 0);
    EXPECT_EQ(MatchShortcut(300 & 0xFF, kCtrl, kNo, kNo), 0u);

    velt::ResetShortcuts();
    EXPECT_EQ(MatchShortcut('S', kCtrl, kNo, kNo), velt::kCmdSave);
}

}  // namespace
