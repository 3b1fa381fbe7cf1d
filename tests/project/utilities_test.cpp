#include "project/utilities.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "editor/document.h"
#include "platform/profile_store.h"
#include "programs_fixture.h"
#include "shell/commands.h"
#include "shell/compiler_root.h"
#include "shell/dispatch.h"
#include "shell/menu_model.h"
#include "shell/settings.h"

namespace velt::testing {
namespace {

namespace pf = velt::platform;
using Strings = std::vector<std::string>;

class Utilities : public ProgramsTest {
  protected:
    void SetUp() override {
        ProgramsTest::SetUp();
        ResetUtilities();
        ClearSettingsParts();
        InstallUtilities(root);
        RegisterUtilitySettings();  // the guarded one above registers only once per program
        ReleaseAllDocuments();
        // The utilities run on a current document.
        FrameCommands().SetStateSource([] {
            FrameState s;
            s.hasCurrentDocument = true;
            return s;
        });
    }
    void TearDown() override {
        FrameCommands().SetStateSource(nullptr);
        UninstallUtilities();
        ClearSettingsParts();
        ResetUtilities();
        ReleaseAllDocuments();
        ProgramsTest::TearDown();
    }

    static Strings ListNames() {
        Strings names;
        for (const Utility& u : velt::Utilities()) names.push_back(u.nickname);
        return names;
    }
    // The utility entries of the Project menu as built for the frame: "text command".
    static Strings MenuRows() {
        MainMenuSources sources;
        for (const UtilityMenuEntry& e : UtilityMenu()) {
            sources.utilities.push_back(e.name);
            sources.utilityCommands.push_back(e.command);
        }
        const std::vector<MenuItem> bar = BuildMainMenu(sources);
        Strings rows;
        bool afterSeparator = false;
        for (const MenuItem& item : bar[kProjectMenu].items) {
            if (item.kind == MenuItemKind::Separator) afterSeparator = true;
            if (item.kind == MenuItemKind::Command && item.command >= kCmdUtilityFirst)
                rows.push_back(item.text.substr(0, item.text.find('\t')) + " " +
                               std::to_string(item.command));
        }
        if (!rows.empty()) {
            EXPECT_TRUE(afterSeparator);
        }
        return rows;
    }
    bool Add(const std::string& name, const std::string& program, const std::string& args = "",
             const std::string& startDir = "") {
        UtilitiesPage page;
        page.nickname = name;
        page.program = program;
        page.arguments = args;
        page.startDir = startDir;
        return page.ChangeOrAdd();
    }
};

TEST_F(Utilities, NewUtilitiesGoToTheHeadOfTheListAndTheEndOfTheMenu) {
    ASSERT_TRUE(Add("one", "a.exe"));
    EXPECT_EQ(FrameStatusPane().Text(), "Utility 'one' ready");
    ASSERT_TRUE(Add("two", "b.exe"));
    ASSERT_TRUE(Add("three", "c.exe"));
    // A fourth made when three exist runs command 1323.
    ASSERT_TRUE(Add("A long name", "d.exe"));
    EXPECT_EQ(FindUtilityNamed("A long na")->id, 1323);  // the name keeps nine characters
    EXPECT_EQ(ListNames(), (Strings{"A long na", "three", "two", "one"}));
    EXPECT_EQ(MenuRows(), (Strings{"one 1320", "two 1321", "three 1322", "A long na 1323"}));

    // A known name gets its texts replaced and no second entry.
    UtilitiesPage page;
    page.nickname = "two";
    page.program = "new.exe";
    page.arguments = "$FILE$";
    page.startDir = "/tmp";
    ASSERT_TRUE(page.ChangeOrAdd());
    EXPECT_EQ(velt::Utilities().size(), 4u);
    const Utility* two = FindUtilityNamed("two");
    EXPECT_EQ(two->program + "|" + two->arguments + "|" + two->startDir, "new.exe|$FILE$|/tmp");
    EXPECT_EQ(two->id, 1321);

    // Name and program are required.
    EXPECT_FALSE(Add("", "x.exe"));
    EXPECT_FALSE(Add("five", ""));
    EXPECT_EQ(ui.beeps, 2);
    EXPECT_EQ(velt::Utilities().size(), 4u);
}

TEST_F(Utilities, DeleteRemovesTheUtilityAndItsEntry) {
    Add("one", "a.exe");
    Add("two", "b.exe");
    Add("three", "c.exe");
    UtilitiesPage page;
    page.nickname = "nosuch";
    EXPECT_FALSE(page.Delete());
    EXPECT_EQ(ui.Texts(), Strings{"Can't find utility nosuch"});
    EXPECT_EQ(velt::Utilities().size(), 3u);

    ui.Clear();
    page.Select(2);  // "one", the last of the list
    EXPECT_EQ(page.program, "a.exe");
    ASSERT_TRUE(page.Delete());
    EXPECT_EQ(ui.Texts(), Strings{"Utility [one] erased"});
    EXPECT_EQ(page.nickname + page.program + page.arguments + page.startDir, "");
    EXPECT_EQ(ListNames(), (Strings{"three", "two"}));
    EXPECT_EQ(MenuRows(), (Strings{"two 1321", "three 1322"}));

    // 1320 + 2 is still taken by "three": the new one gets the command that became free.
    Add("four", "d.exe");
    EXPECT_EQ(MenuRows(), (Strings{"two 1321", "three 1322", "four 1320"}));
    EXPECT_EQ(FindUtility(1322)->nickname, "three");

    // With the last one the entries and their separator go.
    for (const char* name : {"two", "three", "four"}) {
        page.nickname = name;
        ASSERT_TRUE(page.Delete());
    }
    EXPECT_TRUE(MenuRows().empty());
    const std::vector<MenuItem> bar = BuildMainMenu({});
    EXPECT_EQ(bar[kProjectMenu].items.back().kind, MenuItemKind::Command);
}

TEST_F(Utilities, ThirteenUseUpTheMenusCommands) {
    for (int i = 0; i < 13; ++i) ASSERT_TRUE(Add("u" + std::to_string(i), "x.exe"));
    EXPECT_EQ(MenuRows().back(), "u12 1332");
    EXPECT_FALSE(Add("u13", "x.exe"));
    EXPECT_EQ(velt::Utilities().size(), 13u);
    EXPECT_EQ(ui.beeps, 1);
}

TEST_F(Utilities, SavedAndReadBackInTheirOrder) {
    Add("one", "a.exe", "$FILE$", "");
    Add("two", "b.exe", "", "/src");
    Add("three", "c.exe", "-x", "$DIR$");
    ASSERT_TRUE(pf::CreateDirectory(root + "/lib"));
    GlobalSettings settings;
    SaveContext context;
    ASSERT_TRUE(SaveGlobalSettings(root, settings, context));
    const std::string file = GlobalSettingsFile(root);
    // Written in list order, right after SubScroll.
    std::string text;
    ASSERT_TRUE(pf::ReadWholeFile(file, text));
    std::erase(text, '\r');
    const std::string expected =
        "SubScroll=1\nNumberOfUtilities=3\n"
        "Util1Nickname=three\nUtil1Progname=c.exe\nUtil1ProgArgs=-x\nUtil1StartDir=$DIR$\n"
        "Util1ID=1322\n"
        "Util2Nickname=two\nUtil2Progname=b.exe\nUtil2ProgArgs=\nUtil2StartDir=/src\n"
        "Util2ID=1321\n"
        "Util3Nickname=one\nUtil3Progname=a.exe\nUtil3ProgArgs=$FILE$\nUtil3StartDir=\n"
        "Util3ID=1320\n";
    EXPECT_NE(text.find(expected), std::string::npos) << text;

    ResetUtilities();
    pf::ProfileForgetCache();
    LoadGlobalSettings(root, settings);
    EXPECT_EQ(ListNames(), (Strings{"three", "two", "one"}));
    EXPECT_EQ(FindUtility(1320)->arguments, "$FILE$");
    EXPECT_EQ(FindUtility(1322)->startDir, "$DIR$");
    // At start-up the menu follows the list.
    EXPECT_EQ(MenuRows(), (Strings{"three 1322", "two 1321", "one 1320"}));
}

TEST_F(Utilities, ReadingStopsAtTheFirstMissingKey) {
    const std::string file = dir.Write("Root/lib/velt.prj",
                                       "[velt]\nNumberOfUtilities=3\n"
                                       "Util1Nickname=first\nUtil1Progname=a\nUtil1ProgArgs=\n"
                                       "Util1StartDir=\nUtil1ID=1320\n"
                                       "Util2Nickname=second\nUtil2Progname=b\n"
                                       "Util2StartDir=\nUtil2ID=1321\n"
                                       "Util3Nickname=third_is_long\nUtil3Progname=c\n"
                                       "Util3ProgArgs=\nUtil3StartDir=\nUtil3ID=1322\n");
    ReadUtilities(file, kSettingsSection);
    // Read from the last one down: the third stays, the second lacks a key, the first is
    // never reached.
    EXPECT_EQ(ListNames(), Strings{"third_is_"});
    EXPECT_EQ(MenuRows(), Strings{"third_is_ 1322"});
}

TEST_F(Utilities, RunningAUtilityExpandsItsTextsAndStartsIt) {
    const std::string work = dir / "Work";
    ASSERT_TRUE(pf::CreateDirectory(work));
    Document* doc = FindDocument("/src/main.c", true);
    SetCurrentView(NewView(doc, 0));
    const std::string before = pf::CurrentDirectory();
    // The directory as the page would show it, lower-cased, with a macro's blank behind it.
    Add("show", tool, "$FILE$-v $ASK$", dir.path() + "/work$NOSUCH$");
    ui.textAnswers = {"typed"};
    EXPECT_EQ(DispatchCommand(kCmdUtilityFirst).status, DispatchStatus::Handled);
    // The program titles the question; the start directory was current for the start only.
    EXPECT_EQ(ui.prompts, Strings{tool + "|Program arguments|"});
    EXPECT_EQ(WaitForCalls(2).back(),
              "show|" + std::filesystem::canonical(work).string() + "|/src/main.c -v typed");
    EXPECT_EQ(pf::CurrentDirectory(), before);

    // The entry's help shows program and arguments as they are stored.
    FrameStatusPane().MenuSelect(kCmdUtilityFirst);
    EXPECT_EQ(FrameStatusPane().Text(), "Execute " + tool + " $FILE$-v $ASK$.");

    // A cancelled question starts nothing; neither does a start directory that is missing.
    EXPECT_FALSE(RunUtility(kCmdUtilityFirst));
    Add("missing", tool, "", dir.path() + "/nowhere");
    EXPECT_FALSE(RunUtility(FindUtilityNamed("missing")->id));
    EXPECT_EQ(ui.Texts(), Strings{"Directory " + dir.path() + "/nowhere doesn't exist"});
    EXPECT_EQ(pf::CurrentDirectory(), before);
    EXPECT_EQ(Calls().size(), 2u);
}

TEST_F(Utilities, TheUtilitiesListCommand) {
    EXPECT_EQ(DispatchCommand(kCmdUtilitiesList).status, DispatchStatus::Handled);
    EXPECT_EQ(ui.Texts(), Strings{"No utilities defined"});
    Add("show", tool, "listed");
    Add("other", "nosuch.exe");
    ui.listAnswers = {0};
    DispatchCommand(kCmdUtilitiesList);
    ASSERT_EQ(ui.lists.size(), 1u);
    EXPECT_EQ(ui.lists[0], (Strings{"show", "other"}));  // menu order
    EXPECT_EQ(WaitForCalls(2).back(), "show|" + pf::CurrentDirectory() + "|listed");
}

TEST_F(Utilities, BrowseStoresTheProgramLowerCased) {
    UtilitiesPage page;
    ui.chosenFiles = {"/Opt/Tools/GREP.EXE"};
    ASSERT_TRUE(page.Browse());
    EXPECT_EQ(page.program, "/opt/tools/grep.exe");
    EXPECT_FALSE(page.Browse());  // cancelled: the field stays
    EXPECT_EQ(page.program, "/opt/tools/grep.exe");
}

}  // namespace
}  // namespace velt::testing
