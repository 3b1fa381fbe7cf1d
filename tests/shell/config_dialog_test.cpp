#include "shell/config_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/files.h"
#include "platform/profile_store.h"
#include "platform/user_store.h"
#include "recording_documents.h"
#include "scripted_ui.h"
#include "shell/compiler_root.h"
#include "shell/document_host.h"
#include "shell/memory.h"
#include "temp_dir.h"

namespace fs = std::filesystem;
namespace pf = velt::platform;
using velt::ConfigContext;
using velt::ConfigPageId;
using velt::ConfigSheet;
using velt::GeneralPage;
using velt::GlobalSettings;
using velt::HelpPage;
using velt::MacrosPage;
using velt::SheetState;
using velt::WorkspacePage;
using velt::testing::ScriptedUi;
using velt::testing::TempDir;

namespace {

using Texts = std::vector<std::string>;

std::vector<std::string> TitlesShown(const SheetState& state) {
    std::vector<std::string> titles;
    for (const velt::ConfigPageSlot& slot : velt::ConfigPageOrder())
        if (velt::ConfigPageShown(slot.id, state))
            titles.push_back(velt::ConfigPageTitle(slot.id, state));
    return titles;
}

class ConfigDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        pf::ProfileForgetCache();
        velt::ClearConfigConfirmedHandlers();
        savedCwd = fs::current_path();
        fs::current_path(t.path());
        root = MakeRoot("root");
        ASSERT_TRUE(velt::RegisterDefaultRoot(root));
    }
    void TearDown() override {
        velt::ClearConfigConfirmedHandlers();
        fs::current_path(savedCwd);
    }

    // A complete root: bin/nimra.exe, lib/kernel32.lib and include.
    std::string MakeRoot(const std::string& name) {
        t.Write(name + "/bin/nimra.exe", "exe");
        t.Write(name + "/lib/kernel32.lib", "");
        fs::create_directories(t / (name + "/include"));
        return t / name;
    }
    std::string IncludePath() {
        std::string v;
        return pf::UserStoreRead(velt::kCompilerKeyPath, velt::kIncludePathValue, v) ? v : "<none>";
    }
    static std::string Cwd() { return fs::current_path().string(); }

    ScriptedUi ui;
    TempDir t;
    fs::path savedCwd;
    GlobalSettings settings;
    std::string root;
};

TEST(ConfigPages, TabOrderFollowsTheOpenProject) {
    EXPECT_EQ(TitlesShown({}), (Texts{"General", "Help", "Macros", "Debugger", "Language",
                                      "Workspace", "Utilities"}));
    // Language pages need a project of their language, not just the flag.
    EXPECT_EQ(TitlesShown({false, false, true, true}), TitlesShown({}));

    SheetState project{true, false, false, false};
    EXPECT_EQ(TitlesShown(project),
              (Texts{"General", "Project", "Help", "Versions", "Compiler", "Macros", "Debugger",
                     "Linker", "Language", "Workspace", "Utilities"}));
    SheetState library{true, true, true, true};
    EXPECT_EQ(TitlesShown(library),
              (Texts{"General", "Project", "Help", "Versions", "Compiler", "Macros", "Debugger",
                     "Librarian", "Language", "Workspace", "Utilities", "SmallEiffel", "Fortran"}));
}

TEST_F(ConfigDialog, SheetHoldsTheBuiltPagesInTabOrder) {
    for (bool projectOpen : {false, true}) {
        ConfigContext ctx(settings, root);
        ctx.sheet.projectOpen = projectOpen;
        ConfigSheet sheet(ctx);
        Texts titles;
        for (std::size_t i = 0; i < sheet.size(); ++i) titles.push_back(sheet.title(i));
        Texts built{"General", "Help", "Macros", "Language", "Workspace", "Utilities"};
        if (projectOpen) {
            built.insert(built.begin() + 1, "Project");
            built.insert(built.begin() + 3, "Compiler");
            built.insert(built.begin() + 5, "Linker");
        }
        EXPECT_EQ(titles, built);
    }
}

TEST_F(ConfigDialog, GeneralShowsTheStateTheSheetOpensWith) {
    settings.editorFlags = 0x45;
    settings.tabSize = 6;
    settings.subScroll = 10;
    settings.saveEnabled = false;
    velt::testing::RecordingDocuments docs;
    docs.docs.resize(3);
    void* block = velt::MemAlloc(500);
    ConfigContext ctx(settings, root);
    ctx.filesToolbarShown = true;
    ConfigSheet sheet(ctx);
    const GeneralPage& g = *sheet.Find<GeneralPage>();
    EXPECT_EQ(g.currentDir, Cwd());
    EXPECT_EQ(g.compilerPath, root);
    EXPECT_EQ(g.editorFlags, 0x45u);
    EXPECT_EQ(g.tabSize, "6");
    EXPECT_EQ(g.scrollStep, 10);
    EXPECT_FALSE(g.saveSettingsAtExit);
    EXPECT_TRUE(g.showFilesToolbar);
    EXPECT_EQ(g.openWindows, 3u);
    EXPECT_EQ(g.memoryInUse, velt::MemoryInUse());
    EXPECT_GE(g.memoryInUse, 512u);
    velt::MemFree(block);
}

TEST_F(ConfigDialog, TabSizeEntry) {
    struct Case {
        const char* typed;
        int stored;
    };
    for (const Case& c : {Case{"8", 8}, Case{"1", 1}, Case{"+5", 5}, Case{"0", 4}, Case{"9", 4},
                          Case{"-3", 4}, Case{"100000", 4}}) {
        settings.tabSize = 2;
        ConfigContext ctx(settings, root);
        ConfigSheet sheet(ctx);
        sheet.Find<GeneralPage>()->tabSize = c.typed;
        EXPECT_TRUE(sheet.Confirm()) << c.typed;
        EXPECT_EQ(settings.tabSize, c.stored) << c.typed;
    }
    EXPECT_TRUE(ui.boxes.empty());

    for (const char* typed : {"abc", "", "5x", "-", "99999999999"}) {
        ui.Clear();
        settings.tabSize = 2;
        ConfigContext ctx(settings, root);
        ConfigSheet sheet(ctx);
        sheet.Find<GeneralPage>()->tabSize = typed;
        std::size_t refused = 99;
        EXPECT_FALSE(sheet.Confirm(&refused)) << typed;
        EXPECT_EQ(refused, 0u);
        EXPECT_EQ(ui.Texts(), Texts{"Incorrect number '" + std::string(typed) + "'"});
        EXPECT_EQ(settings.tabSize, 2);
    }
}

TEST_F(ConfigDialog, CurrentDirectoryMustExistAndBecomesCurrent) {
    fs::create_directories(t / "work/a");
    fs::create_directories(t / "b");
    const std::string before = Cwd();
    {
        ConfigContext ctx(settings, root);
        ConfigSheet sheet(ctx);
        sheet.Find<GeneralPage>()->currentDir = t / "missing";
        EXPECT_FALSE(sheet.Confirm());
        EXPECT_EQ(ui.Texts(), Texts{"Directory " + (t / "missing") + " doesn't exist"});
        // Both parts exist, the whole does not: there is no such directory to enter.
        ui.Clear();
        sheet.Find<GeneralPage>()->currentDir = "work;b";
        EXPECT_FALSE(sheet.Confirm());
        EXPECT_EQ(ui.Texts(), Texts{"Directory work;b doesn't exist"});
        EXPECT_EQ(Cwd(), before);
        EXPECT_EQ(settings.currentDir, "");
    }
    ui.Clear();
    ConfigContext ctx(settings, root);
    ConfigSheet sheet(ctx);
    sheet.Find<GeneralPage>()->currentDir = "work/a";  // relative to the current directory
    EXPECT_TRUE(sheet.Confirm());
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(fs::path(Cwd()), fs::canonical(t / "work/a"));
    // Kept whole, so a later start that begins elsewhere finds it.
    EXPECT_EQ(settings.currentDir, Cwd());
}

TEST_F(ConfigDialog, CompilerPathIsCheckedAndRecordedOnlyWhenChanged) {
    // An unchanged path is not checked, even when the root has gone bad meanwhile.
    std::string gone = t / "gone";
    {
        ConfigContext ctx(settings, gone);
        ConfigSheet sheet(ctx);
        EXPECT_TRUE(sheet.Confirm());
        EXPECT_TRUE(ui.boxes.empty());
        EXPECT_EQ(gone, t / "gone");
    }

    fs::create_directories(t / "empty");
    struct Case {
        std::string path;
        Texts messages;
    };
    for (const Case& c : {Case{t / "nowhere", {"Directory " + (t / "nowhere") + " doesn't exist"}},
                          Case{t / "empty",
                               {"Can't find " + (t / "empty") + "/bin/nimra.exe",
                                "Can't find " + (t / "empty") + "/lib/kernel32.lib"}}}) {
        ui.Clear();
        ConfigContext ctx(settings, root);
        ConfigSheet sheet(ctx);
        sheet.Find<GeneralPage>()->compilerPath = c.path;
        EXPECT_FALSE(sheet.Confirm());
        EXPECT_EQ(ui.Texts(), c.messages);
        EXPECT_EQ(root, t / "root");
        EXPECT_EQ(IncludePath(), root + "/include");
    }

    ui.Clear();
    const std::string other = MakeRoot("other");
    {
        ConfigContext ctx(settings, root);
        ConfigSheet sheet(ctx);
        sheet.Find<GeneralPage>()->compilerPath = other;
        EXPECT_TRUE(sheet.Confirm());
        EXPECT_TRUE(ui.boxes.empty());
        EXPECT_EQ(root, other);
        EXPECT_EQ(IncludePath(), other + "/include");
    }

    // A relative path names the directory it names now, also when the current directory
    // changes in the same confirmation.
    MakeRoot("third");
    fs::create_directories(t / "work");
    const std::string cwd = Cwd();
    ConfigContext ctx(settings, root);
    ConfigSheet sheet(ctx);
    sheet.Find<GeneralPage>()->compilerPath = "third";
    sheet.Find<GeneralPage>()->currentDir = t / "work";
    EXPECT_TRUE(sheet.Confirm());
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(root, cwd + "/third");
    EXPECT_EQ(IncludePath(), cwd + "/third/include");
}

TEST_F(ConfigDialog, ARefusedPageChangesNothing) {
    const std::string other = MakeRoot("other");
    fs::create_directories(t / "elsewhere");
    const std::string cwd = Cwd();
    const GlobalSettings original = settings;
    ConfigContext ctx(settings, root);
    ConfigSheet sheet(ctx);
    GeneralPage& g = *sheet.Find<GeneralPage>();
    g.compilerPath = other;
    g.currentDir = t / "elsewhere";
    g.editorFlags = 0;
    g.tabSize = "x";
    sheet.Find<MacrosPage>()->macros.push_back({'q', "text", 0});
    sheet.Find<WorkspacePage>()->ResetColors();
    EXPECT_FALSE(sheet.Confirm());
    EXPECT_EQ(root, t / "root");
    EXPECT_EQ(IncludePath(), root + "/include");
    EXPECT_EQ(Cwd(), cwd);
    EXPECT_EQ(settings.editorFlags, original.editorFlags);
    EXPECT_TRUE(settings.macros.empty());
    EXPECT_EQ(settings.commentColor, original.commentColor);
}

TEST_F(ConfigDialog, GeneralStoresItsChoices) {
    settings.editorFlags = 0x2f;
    ConfigContext ctx(settings, root);
    ConfigSheet sheet(ctx);
    GeneralPage& g = *sheet.Find<GeneralPage>();
    g.editorFlags = velt::kEditorAutoSave | velt::kEditorSaveBeforeBuild;
    g.saveSettingsAtExit = false;
    g.showFilesToolbar = true;
    g.scrollStep = 4;
    EXPECT_TRUE(sheet.Confirm());
    EXPECT_EQ(settings.editorFlags, 0x50u);
    EXPECT_FALSE(settings.saveEnabled);
    EXPECT_TRUE(ctx.filesToolbarShown);
    EXPECT_EQ(settings.subScroll, 4);
}

TEST_F(ConfigDialog, HelpFieldsAndTheirDefaults) {
    ConfigContext ctx(settings, root);
    {
        ConfigSheet sheet(ctx);
        HelpPage& h = *sheet.Find<HelpPage>();
        h.helpFile = t / "my.hlp";
        h.helpCompiler = "hc31.exe";
        EXPECT_TRUE(sheet.Confirm());
        EXPECT_EQ(settings.winHelpDataBase, t / "my.hlp");
        EXPECT_EQ(settings.winHelpComp, "hc31.exe");
    }
    // Emptied fields mean what the next start would read for them.
    ConfigSheet sheet(ctx);
    HelpPage& h = *sheet.Find<HelpPage>();
    EXPECT_EQ(h.helpFile, t / "my.hlp");
    h.helpFile.clear();
    h.helpCompiler.clear();
    EXPECT_TRUE(sheet.Confirm());
    EXPECT_EQ(settings.winHelpDataBase, root + "/bin/win32.hlp");
    EXPECT_EQ(settings.winHelpComp, "hcrtf.exe");
}

TEST_F(ConfigDialog, MacrosAreEditedOnTheirPage) {
    settings.macros = {{'a', "alpha", 2}};
    ConfigContext ctx(settings, root);
    ConfigSheet sheet(ctx);
    MacrosPage& m = *sheet.Find<MacrosPage>();

    // A letter in use shows its text, in either case; an unused one leaves the text alone.
    m.text = "draft";
    EXPECT_FALSE(m.LetterTyped("c"));
    EXPECT_EQ(m.text, "draft");
    EXPECT_TRUE(m.LetterTyped("A"));
    EXPECT_EQ(m.text, "alpha");
    EXPECT_EQ(m.selected, 0);

    // Adding with an unusable letter, or nothing to insert, only beeps.
    for (const char* letter : {"1", "", "[", "\xe9"}) {
        m.letter = letter;
        m.text = "beta";
        EXPECT_FALSE(m.Add(0)) << letter;
    }
    m.letter = "b";
    m.text = "";
    EXPECT_FALSE(m.Add(0));
    EXPECT_EQ(ui.beeps, 5);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(m.ListRows(), Texts{"Ctrl + a"});

    m.letter = "b";
    m.text = "beta\n\tgamma";
    EXPECT_TRUE(m.Add(5));
    m.letter = "Z";
    m.text = "zeta";
    EXPECT_TRUE(m.Add(99));  // the caret cannot lie beyond the text
    EXPECT_EQ(m.ListRows(), (Texts{"Ctrl + a", "Ctrl + b", "Ctrl + Z"}));
    EXPECT_EQ(m.macros[1].position, 5);
    EXPECT_EQ(m.macros[2].position, 4);

    // A letter in use gets its text replaced rather than a second, unreachable macro.
    m.letter = "A";
    m.text = "ALPHA";
    EXPECT_TRUE(m.Add(1));
    EXPECT_EQ(m.ListRows(), (Texts{"Ctrl + A", "Ctrl + b", "Ctrl + Z"}));
    EXPECT_EQ(m.macros[0].text, "ALPHA");

    // Erasing needs a selection and removes only the selected one.
    m.Select(-1);
    EXPECT_FALSE(m.Erase());
    m.Select(1);
    EXPECT_EQ(m.letter, "b");
    EXPECT_EQ(m.text, "beta\n\tgamma");
    EXPECT_TRUE(m.Erase());
    EXPECT_EQ(m.ListRows(), (Texts{"Ctrl + A", "Ctrl + Z"}));
    EXPECT_EQ(m.letter, "");
    EXPECT_EQ(m.text, "");
    EXPECT_EQ(m.selected, -1);

    // The stored list changes only when the sheet is confirmed.
    ASSERT_EQ(settings.macros.size(), 1u);
    EXPECT_EQ(settings.macros[0].text, "alpha");
    EXPECT_TRUE(sheet.Confirm());
    ASSERT_EQ(settings.macros.size(), 2u);
    EXPECT_EQ(settings.macros[0].code, 'A');
    EXPECT_EQ(settings.macros[1].text, "zeta");
}

TEST_F(ConfigDialog, CancelKeepsTheStoredMacros) {
    settings.macros = {{'a', "alpha", 0}};
    ConfigContext ctx(settings, root);
    ConfigSheet sheet(ctx);
    MacrosPage& m = *sheet.Find<MacrosPage>();
    m.Select(0);
    m.Erase();
    sheet.Cancel();
    ASSERT_EQ(settings.macros.size(), 1u);
    EXPECT_EQ(settings.macros[0].text, "alpha");
}

TEST_F(ConfigDialog, ColoursAreKeptAsTheSystemStoresThem) {
    const velt::Rgb navy = velt::RgbFromColorRef(0x800000);
    EXPECT_EQ(navy.red, 0);
    EXPECT_EQ(navy.green, 0);
    EXPECT_EQ(navy.blue, 0x80);
    EXPECT_EQ(velt::ColorRefFromRgb({0x12, 0x34, 0x56}), 0x563412u);
    EXPECT_EQ(velt::ColorRefFromRgb(velt::RgbFromColorRef(0x00C08040)), 0x00C08040u);

    ConfigContext ctx(settings, root);
    ConfigSheet sheet(ctx);
    WorkspacePage& w = *sheet.Find<WorkspacePage>();
    EXPECT_EQ(w.colors.comments, 0x808080u);
    EXPECT_EQ(w.colors.keywords, 0x0000C0u);
    w.colors.text = 0x123456;
    w.ResetColors();
    const auto example = w.Example();
    ASSERT_EQ(example.size(), 3u);
    EXPECT_EQ(example[0].text, "Normal text");
    EXPECT_EQ(example[0].color, 0x000000u);
    EXPECT_EQ(example[1].text, "Comment text");
    EXPECT_EQ(example[1].color, 0x800000u);
    EXPECT_EQ(example[2].text, "Keywords");
    EXPECT_EQ(example[2].color, 0x000080u);
    EXPECT_TRUE(sheet.Confirm());
    EXPECT_EQ(settings.backgroundColor, 0xFFFFFFu);
    EXPECT_EQ(settings.textColor, 0x000000u);
    EXPECT_EQ(settings.commentColor, 0x800000u);
    EXPECT_EQ(settings.keywordColor, 0x000080u);
}

TEST_F(ConfigDialog, CancelRestoresTheColoursThePageStartedWith) {
    settings.commentColor = 0x010203;
    settings.keywordColor = 0x040506;
    settings.textColor = 0x070809;
    settings.backgroundColor = 0x0A0B0C;
    ConfigContext ctx(settings, root);
    ConfigSheet sheet(ctx);
    WorkspacePage& w = *sheet.Find<WorkspacePage>();
    w.ResetColors();
    // Whatever showed other colours meanwhile (a live preview in the editors).
    settings.commentColor = settings.keywordColor = settings.textColor = 0xABCDEF;
    settings.backgroundColor = 0x111111;
    sheet.Cancel();
    EXPECT_EQ(settings.commentColor, 0x010203u);
    EXPECT_EQ(settings.keywordColor, 0x040506u);
    EXPECT_EQ(settings.textColor, 0x070809u);
    EXPECT_EQ(settings.backgroundColor, 0x0A0B0Cu);
}

TEST_F(ConfigDialog, ChosenFontIsStoredAsTheSystemDescribesIt) {
    EXPECT_EQ(velt::FontHeightFromPoints(10, 96), -13);
    EXPECT_EQ(velt::FontHeightFromPoints(12, 120), -20);
    EXPECT_EQ(velt::FontHeightFromPoints(9, 72), -9);
    EXPECT_DOUBLE_EQ(velt::PointsFromFontHeight(-20, 120), 12.0);
    EXPECT_EQ(velt::FontWeightOf(0), 400);
    EXPECT_EQ(velt::FontWeightOf(700), 700);

    ConfigContext ctx(settings, root);
    ConfigSheet sheet(ctx);
    WorkspacePage& w = *sheet.Find<WorkspacePage>();
    EXPECT_EQ(w.fontName, "Courier");
    EXPECT_EQ(w.fontHeight, -13);
    EXPECT_EQ(w.fontFamily, 0x31);
    w.ChooseFont({"Fira Sans", 11, 700, false, velt::FontFamilyKind::Swiss}, 96);
    EXPECT_EQ(w.fontFamily, 0x22);
    w.ChooseFont({"Mono", 12, 400, true, velt::FontFamilyKind::DontCare}, 120);
    EXPECT_EQ(w.fontName, "Mono");
    EXPECT_EQ(w.fontHeight, -20);
    EXPECT_EQ(w.fontStyle, 400);
    EXPECT_EQ(w.fontFamily, 0x31);
    EXPECT_EQ(settings.fontName, "Courier");  // not before OK
    EXPECT_TRUE(sheet.Confirm());
    EXPECT_EQ(settings.fontName, "Mono");
    EXPECT_EQ(settings.fontHeight, -20);
    EXPECT_EQ(settings.fontStyle, 400);
    EXPECT_EQ(settings.fontFamily, 0x31);
}

TEST_F(ConfigDialog, ConfirmedHandlersRunOnlyAfterOk) {
    int calls = 0;
    int tabBefore = 0, tabAfter = 0;
    velt::AddConfigConfirmedHandler([&](const GlobalSettings& before, ConfigContext& ctx) {
        ++calls;
        tabBefore = before.tabSize;
        tabAfter = ctx.settings.tabSize;
    });
    {
        ConfigContext ctx(settings, root);
        ConfigSheet sheet(ctx);
        sheet.Find<GeneralPage>()->tabSize = "x";
        EXPECT_FALSE(sheet.Confirm());
        sheet.Cancel();
    }
    EXPECT_EQ(calls, 0);
    ConfigContext ctx(settings, root);
    ConfigSheet sheet(ctx);
    sheet.Find<GeneralPage>()->tabSize = "3";
    EXPECT_TRUE(sheet.Confirm());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(tabBefore, 4);
    EXPECT_EQ(tabAfter, 3);
}

TEST_F(ConfigDialog, TheNextStartShowsTheConfirmedValues) {
    fs::create_directories(t / "work");
    const std::string helpFile = t.Write("help/velt.hlp", "help");
    velt::LoadGlobalSettings(root, settings);  // a first start: no file yet
    {
        ConfigContext ctx(settings, root);
        ConfigSheet sheet(ctx);
        GeneralPage& g = *sheet.Find<GeneralPage>();
        g.currentDir = t / "work";
        g.editorFlags = velt::kEditorAutoIndent | velt::kEditorAutoSave;
        g.tabSize = "7";
        g.scrollStep = 10;
        HelpPage& h = *sheet.Find<HelpPage>();
        h.helpFile = helpFile;
        h.helpCompiler = "hc.exe";
        MacrosPage& m = *sheet.Find<MacrosPage>();
        m.letter = "k";
        m.text = std::string(30, 'k') + "\nend";
        m.Add(3);
        m.letter = "Q";
        m.text = "quit";
        m.Add(4);
        WorkspacePage& w = *sheet.Find<WorkspacePage>();
        w.ResetColors();
        w.ChooseFont({"Mono", 12, 700, true, velt::FontFamilyKind::Modern}, 96);
        ASSERT_TRUE(sheet.Confirm());
        ASSERT_TRUE(velt::SaveGlobalSettings(root, settings, velt::SaveContext{}));
    }
    pf::ProfileForgetCache();
    fs::current_path(t.path());
    GlobalSettings next;
    ASSERT_TRUE(velt::LoadGlobalSettings(root, next));
    ASSERT_TRUE(pf::SetCurrentDirectory(next.currentDir));  // as the start-up does
    std::string nextRoot = root;
    ConfigContext ctx(next, nextRoot);
    ConfigSheet sheet(ctx);
    const GeneralPage& g = *sheet.Find<GeneralPage>();
    EXPECT_EQ(fs::path(g.currentDir), fs::canonical(t / "work"));
    EXPECT_EQ(g.editorFlags, velt::kEditorAutoIndent | velt::kEditorAutoSave);
    EXPECT_EQ(g.tabSize, "7");
    EXPECT_EQ(g.scrollStep, 10);
    EXPECT_TRUE(g.saveSettingsAtExit);
    const HelpPage& h = *sheet.Find<HelpPage>();
    EXPECT_EQ(h.helpFile, helpFile);
    EXPECT_EQ(h.helpCompiler, "hc.exe");
    const MacrosPage& m = *sheet.Find<MacrosPage>();
    EXPECT_EQ(m.ListRows(), (Texts{"Ctrl + k", "Ctrl + Q"}));
    ASSERT_EQ(m.macros.size(), 2u);
    EXPECT_EQ(m.macros[0].text, std::string(30, 'k') + "\nend");
    EXPECT_EQ(m.macros[0].position, 3);
    EXPECT_EQ(m.macros[1].text, "quit");
    const WorkspacePage& w = *sheet.Find<WorkspacePage>();
    EXPECT_EQ(w.colors, velt::kResetColors);
    EXPECT_EQ(w.fontName, "Mono");
    EXPECT_EQ(w.fontHeight, -16);
    EXPECT_EQ(w.fontStyle, 700);
    EXPECT_EQ(w.fontFamily, 0x31);
}

}  // namespace
