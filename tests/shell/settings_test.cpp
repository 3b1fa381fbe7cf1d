#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include "platform/files.h"
#include "platform/profile_store.h"
#include "recording_documents.h"
#include "scripted_ui.h"
#include "shell/settings.h"
#include "shell/settings_dump.h"
#include "temp_dir.h"

namespace pf = velt::platform;
using velt::GlobalSettings;
using velt::SaveContext;
using velt::SettingsLocation;
using velt::SettingsSlot;
using velt::testing::ScriptedUi;
using velt::testing::TempDir;

namespace {

class Settings : public ::testing::Test {
  protected:
    void SetUp() override {
        root = t / "root";
        std::filesystem::create_directories(root + "/lib");
        std::filesystem::create_directories(root + "/bin");
        file = root + "/lib/velt.prj";
        velt::ClearSettingsParts();
        pf::ProfileForgetCache();
    }
    void TearDown() override { velt::ClearSettingsParts(); }

    void WriteSettings(const std::string& content) {
        t.Write("root/lib/velt.prj", content);
        pf::ProfileForgetCache();
    }
    std::string Key(const std::string& key) { return pf::ProfileGetString(file, "velt", key, "?"); }
    GlobalSettings Load() {
        GlobalSettings s;
        velt::LoadGlobalSettings(root, s);
        return s;
    }

    ScriptedUi ui;
    TempDir t;
    std::string root;
    std::string file;
};

ino_t Inode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

TEST_F(Settings, FirstStartGivesTheDefaultsAndWritesNothing) {
    GlobalSettings s;
    s.frameX = 11;  // "unchanged" frame keys keep what the program holds
    s.frameCY = 480;
    EXPECT_FALSE(velt::LoadGlobalSettings(root, s));
    EXPECT_EQ(s.tabSize, 4);
    EXPECT_EQ(s.editorFlags, 0x2fu);
    EXPECT_EQ(s.subScroll, 1);
    EXPECT_EQ(s.historySize, 15);
    EXPECT_EQ(s.historyTime, 8);
    EXPECT_EQ(s.fontName, "Courier");
    EXPECT_EQ(s.printerFontName, "");  // the program's "Courier New" is replaced by the read
    EXPECT_EQ(s.backgroundColor, 0xFFFFFFu);
    EXPECT_EQ(s.textColor, 0x000000u);
    EXPECT_EQ(s.commentColor, 0x808080u);
    EXPECT_EQ(s.keywordColor, 0x0000C0u);
    EXPECT_EQ(s.fontHeight, -13);
    EXPECT_EQ(s.fontFamily, 0x31);
    EXPECT_EQ(s.print, 0x41Du);
    EXPECT_EQ(s.includeFlags, 1u);
    EXPECT_EQ(s.winHelpComp, "hcrtf.exe");
    EXPECT_EQ(s.winHelpDataBase, root + "/bin/win32.hlp");
    EXPECT_EQ(s.frameX, 11);
    EXPECT_EQ(s.frameCY, 480);
    EXPECT_TRUE(s.reopenFiles.empty());
    EXPECT_TRUE(s.macros.empty());
    EXPECT_FALSE(pf::PathExists(file));
}

TEST_F(Settings, ValueRulesOnReading) {
    t.Write("root/bin/velt.hlp", "help");
    WriteSettings(
        "[velt]\n"
        "Tabsize=0\n"
        "SubScroll=0\n"
        "HistorySize=5000\n"
        "HistoryTime=-5\n"
        "CurrentFile=UNTITLED\n"
        "FontName=\n"
        "WinHelpComp=\n"
        "WinHelpDataBase=" +
        root +
        "/bin/missing.hlp\n"
        "FontHeight=  -20px\n"
        "EditorFlags=junk\n"
        "Grep=12abc\n"
        "FindFlags=65537\n"
        "OutputWndHeight=65535\n"
        "CommentColor=4294967295\n"
        "FrameY=77\n"
        "CurrentDir=" +
        std::string(600, 'd') + "\n");
    GlobalSettings s = Load();
    EXPECT_EQ(s.tabSize, 4);  // 0 would stall the editor's column arithmetic
    EXPECT_EQ(s.subScroll, 1);
    EXPECT_EQ(s.historySize, 1000);
    EXPECT_EQ(s.historyTime, 0);
    EXPECT_EQ(s.currentFile, "");
    EXPECT_EQ(s.fontName, "Courier");
    EXPECT_EQ(s.winHelpComp, "hcrtf.exe");
    EXPECT_EQ(s.winHelpDataBase, root + "/bin/win32.hlp");
    EXPECT_EQ(s.fontHeight, -20);  // atol: leading blanks, sign, digits, the rest ignored
    EXPECT_EQ(s.editorFlags, 0u);  // a key that holds no number reads 0, not the default
    EXPECT_EQ(s.grep, 12);
    EXPECT_EQ(s.findFlags, 1);  // 16 bits wide
    EXPECT_EQ(s.outputWndHeight, -1);
    EXPECT_EQ(s.commentColor, 0xFFFFFFFFu);
    EXPECT_EQ(s.frameY, 77);
    EXPECT_EQ(s.currentDir, std::string(511, 'd'));

    WriteSettings(
        "[velt]\nTabsize=8\nSubScroll=65536\nHistorySize=1000\nCurrentFile=untitled.c\n"
        "WinHelpDataBase=" +
        root + "/BIN/VELT.HLP\nFontName=Fixedsys\n");
    s = Load();
    EXPECT_EQ(s.tabSize, 8);
    EXPECT_EQ(s.subScroll, 1);  // 65536 is 0 in 16 bits
    EXPECT_EQ(s.historySize, 1000);
    EXPECT_EQ(s.currentFile, "untitled.c");
    EXPECT_EQ(s.winHelpDataBase, root + "/BIN/VELT.HLP");  // found without regard to case
    EXPECT_EQ(s.fontName, "Fixedsys");

    WriteSettings("[velt]\nTabsize=9\nSubScroll=-3\nHistorySize=-1\n");
    s = Load();
    EXPECT_EQ(s.tabSize, 4);
    EXPECT_EQ(s.subScroll, 1);
    EXPECT_EQ(s.historySize, 0);
}

TEST_F(Settings, OldBackupKeyIsConvertedOnce) {
    WriteSettings("[velt]\nEditorFlags=43\nBackupFile=1\n");
    GlobalSettings s;
    velt::LoadGlobalSettings(root, s, velt::LoadMode::ReadOnly);
    EXPECT_EQ(s.editorFlags, 0x2fu);
    EXPECT_EQ(Key("BackupFile"), "1");  // looking does not change the file

    s = Load();
    EXPECT_EQ(s.editorFlags, 0x2fu);
    EXPECT_EQ(Key("BackupFile"), "0");

    // The user then turns backups off; the next start keeps that.
    s.editorFlags &= ~velt::kEditorBackups;
    ASSERT_TRUE(velt::SaveGlobalSettings(root, s, SaveContext{}));
    EXPECT_EQ(Load().editorFlags, 0x2bu);

    WriteSettings("[velt]\nEditorFlags=43\nBackupFile=2\n");
    EXPECT_EQ(Load().editorFlags, 0x2bu);
    EXPECT_EQ(Key("BackupFile"), "2");
}

TEST_F(Settings, DamagedFileStillReads) {
    WriteSettings(
        "garbage before any section\n"
        "[other]\nTabsize=3\n"
        "[velt]\n"
        "no equals sign here\n"
        "Tabsize=6\n"
        "Tabsize=2\n"
        "=value without key\n"
        "Macros=2\nMacro1Code=q\nMacro1Length=2\nMacro1TextLine0=10x104\n"
        "Accelerators=1\nAccel1=rubbish\n"
        "[velt]\nFontName=Second\n"
        "OpenFiles=3\nOpenFile1=a.c 1 2 3 4 5\n");
    GlobalSettings s = Load();
    EXPECT_EQ(s.tabSize, 6);
    EXPECT_EQ(s.fontName, "Courier");
    EXPECT_TRUE(s.macros.empty());  // a line of garbage gives no text
    EXPECT_TRUE(s.reopenFiles.empty());
}

TEST_F(Settings, FilesToReopenAreReadWholeUpToTheFirstGap) {
    WriteSettings(
        "[velt]\nOpenFiles=4\n"
        "OpenFile1=/src/main.c 12 1 2 300 400\n"
        "OpenFile2=\"/src/my file.c\" 1 -5 6 -7 8\n"
        "OpenFile4=/src/never.c 1 0 0 0 0\n");
    GlobalSettings s = Load();
    ASSERT_EQ(s.reopenFiles.size(), 2u);
    EXPECT_EQ(s.reopenFiles[0], "/src/main.c 12 1 2 300 400");
    EXPECT_EQ(s.reopenFiles[1], "\"/src/my file.c\" 1 -5 6 -7 8");
}

GlobalSettings SampleSettings() {
    GlobalSettings s;
    s.tabSize = 3;
    s.findFlags = 0xFFFF;
    s.commentColor = 0x800000;
    s.keywordColor = 0x000080;
    s.grep = 5;
    s.fontHeight = -16;
    s.fontStyle = 700;
    s.frameZoomed = 1;
    s.subScroll = 10;
    s.editorFlags = 0x41;
    s.outputWndHeight = 120;
    s.fontFamily = 0x12;
    s.textColor = 0x102030;
    s.backgroundColor = 0xF0F0F0;
    s.printerFontName = "Courier New";
    s.printerFontSize = 9;
    s.debuggerArguments = "\"in file.txt\"";  // quotes that are part of the value
    s.debuggerDir = "  /work/dir";
    s.debuggerExeName = "prog.exe";
    s.debuggerFlags = 3;
    s.macros = {{'p', "printf(\"%d\\n\", x);", 7}, {'e', "caf\xe9 \xff\x01", 2}};
    s.accelerators = {{10, 100, 1}, {20, 200, 3}, {30, 14000, 0}};
    s.print = 0x11;
    s.includeFlags = 0;
    s.currentDir = "/work/src";
    s.winHelpComp = "mycomp";
    s.fontName = "Fixedsys";
    s.historySize = 50;
    s.historyTime = 2;
    return s;
}

TEST_F(Settings, SaveWritesEveryKeyInItsOrderAndReadsBack) {
    std::vector<std::string> calls;
    for (auto slot : {SettingsSlot::Utilities, SettingsSlot::Languages, SettingsSlot::Projects,
                      SettingsSlot::OpenProject}) {
        const std::string name = std::to_string(static_cast<int>(slot));
        velt::RegisterSettingsPart(
            slot, [&calls, name](const SettingsLocation&) { calls.push_back("read" + name); },
            [&calls, name](const SettingsLocation& loc) {
                calls.push_back("write" + name);
                if (name == "3") return true;  // the open project writes a file of its own
                return pf::ProfileWriteString(loc.file, loc.section, "Part" + name, "x");
            });
    }
    GlobalSettings s = SampleSettings();
    s.accelerators[0].flags |= velt::kAccelChanged;
    s.accelerators[2].flags |= velt::kAccelChanged;
    t.Write("root/bin/win32.hlp", "help");
    s.winHelpDataBase = root + "/bin/win32.hlp";
    SaveContext ctx;
    ctx.frameZoomed = 0;  // the window, not the remembered setting
    ctx.frameX = 10;
    ctx.frameY = 20;
    ctx.frameCX = 640;
    ctx.frameCY = 480;
    ctx.currentFile = "/src/main.c";
    ctx.documents = {{"/src/main.c", 12, {1, 2, 300, 400}, false},
                     {"compare", 1, {0, 0, 0, 0}, true},
                     {"/src/b.c", 1, {-5, 6, -7, 8}, false}};
    ASSERT_TRUE(velt::SaveGlobalSettings(root, s, ctx));

    const std::vector<std::string> expected = {"StatusBar",
                                               "Tabsize",
                                               "FindFlags",
                                               "CommentColor",
                                               "KeywordColor",
                                               "OutputWndHeight",
                                               "EditorFlags",
                                               "Grep",
                                               "FontHeight",
                                               "FontStyle",
                                               "Print",
                                               "FrameZoomed",
                                               "FontFamily",
                                               "TextColor",
                                               "BackgroundColor",
                                               "HistorySize",
                                               "HistoryTime",
                                               "PrinterFontName",
                                               "PrinterFontSize",
                                               "SubScroll",
                                               "Part0",
                                               "Part1",
                                               "Macros",
                                               "Macro1Code",
                                               "Macro1Position",
                                               "Macro1Length",
                                               "Macro1TextLine0",
                                               "Macro2Code",
                                               "Macro2Position",
                                               "Macro2Length",
                                               "Macro2TextLine0",
                                               "Accelerators",
                                               "Accel1",
                                               "Accel2",
                                               "Part2",
                                               "IncludeFlags",
                                               "WinHelpDataBase",
                                               "WinHelpComp",
                                               "CurrentDir",
                                               "FontName",
                                               "DebuggerArguments",
                                               "DebuggerDir",
                                               "DebuggerExeName",
                                               "DebuggerFlags",
                                               "CurrentFile",
                                               "FrameX",
                                               "FrameY",
                                               "FrameCX",
                                               "FrameCY",
                                               "OpenFiles",
                                               "OpenFile1",
                                               "OpenFile2"};
    EXPECT_EQ(pf::ProfileKeys(file, "velt"), expected);
    EXPECT_EQ(calls, (std::vector<std::string>{"write0", "write1", "write2", "write3"}));
    EXPECT_EQ(Key("StatusBar"), "0,0,0,0");
    EXPECT_EQ(Key("FrameZoomed"), "0");
    EXPECT_EQ(Key("CommentColor"), "8388608");
    EXPECT_EQ(Key("FindFlags"), "65535");
    EXPECT_EQ(Key("OpenFile1"), "/src/main.c 12 1 2 300 400");
    EXPECT_EQ(Key("OpenFile2"), "/src/b.c 1 -5 6 -7 8");

    calls.clear();
    GlobalSettings r;
    r.accelerators = {{10, 100, 1}, {20, 200, 3}, {30, 14000, 0}};
    velt::LoadGlobalSettings(root, r);
    EXPECT_EQ(calls, (std::vector<std::string>{"read0", "read1", "read2", "read3"}));
    ASSERT_EQ(r.macros.size(), 2u);
    EXPECT_EQ(r.macros[1].text, s.macros[1].text);
    EXPECT_EQ(r.debuggerArguments, s.debuggerArguments);
    EXPECT_EQ(r.debuggerDir, s.debuggerDir);
    EXPECT_EQ(r.accelerators[2].flags, velt::kAccelChanged);
    EXPECT_EQ(r.reopenFiles.size(), 2u);
    // Whatever was read lands where it came from: saving it again gives the same file.
    const std::string first = t.Read("root/lib/velt.prj");
    ASSERT_TRUE(velt::SaveGlobalSettings(root, r, ctx));
    EXPECT_EQ(t.Read("root/lib/velt.prj"), first);
}

TEST_F(Settings, OpenProjectOrDisabledSavingLeavesTheirKeysAlone) {
    WriteSettings("[velt]\nOpenFiles=1\nOpenFile1=/old.c 1 0 0 0 0\nTabsize=2\n");
    GlobalSettings s;
    SaveContext ctx;
    ctx.projectOpen = true;  // the project keeps its own file list
    ctx.documents = {{"/new.c", 1, {}, false}};
    ctx.filesToolbar = velt::ScreenRect{5, 6, 105, 306};
    ASSERT_TRUE(velt::SaveGlobalSettings(root, s, ctx));
    EXPECT_EQ(Key("OpenFiles"), "1");
    EXPECT_EQ(Key("OpenFile1"), "/old.c 1 0 0 0 0");
    EXPECT_EQ(Key("StatusBar"), "5,6,105,306");
    EXPECT_EQ(Key("Accelerators"), "?");  // no shortcut table: the stored ones are kept

    const std::string before = t.Read("root/lib/velt.prj");
    s.saveEnabled = false;
    s.tabSize = 7;
    EXPECT_TRUE(velt::SaveGlobalSettings(root, s, ctx));
    EXPECT_EQ(t.Read("root/lib/velt.prj"), before);
}

TEST_F(Settings, SaveStopsAtTheFirstKeyThatCannotBeWritten) {
    const std::string original = "; mine\n[velt]\nTabsize=2\n";
    WriteSettings(original);
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    bool projectSaved = false;
    velt::RegisterSettingsPart(SettingsSlot::OpenProject, nullptr,
                               [&](const SettingsLocation&) { return projectSaved = true; });
    GlobalSettings s;
    EXPECT_FALSE(velt::SaveGlobalSettings(root, s, SaveContext{}));
    EXPECT_EQ(t.Read("root/lib/velt.prj"), original);
    EXPECT_TRUE(projectSaved);  // the project's own file does not depend on this one

    // A part that fails ends the sequence there.
    ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
    velt::ClearSettingsParts();
    bool languagesCalled = false;
    velt::RegisterSettingsPart(SettingsSlot::Utilities, nullptr,
                               [](const SettingsLocation&) { return false; });
    velt::RegisterSettingsPart(SettingsSlot::Languages, nullptr,
                               [&](const SettingsLocation&) { return languagesCalled = true; });
    s.tabSize = 5;
    s.macros = {{'a', "text", 0}};
    EXPECT_FALSE(velt::SaveGlobalSettings(root, s, SaveContext{}));
    EXPECT_FALSE(languagesCalled);
    EXPECT_EQ(Key("Tabsize"), "5");
    EXPECT_EQ(Key("SubScroll"), "1");
    EXPECT_EQ(Key("Macros"), "?");
    EXPECT_EQ(Key("CurrentFile"), "?");
    EXPECT_EQ(Key("FrameX"), "?");
}

TEST_F(Settings, SaveReplacesTheFileOnceAndKeepsForeignLines) {
    const std::string original =
        "; written by hand\n[velt]\nTabsize=2\nUtil1Nickname=grep\n[elsewhere]\nx=1\n";
    WriteSettings(original);
    const ino_t before = Inode(file);
    std::string seenDuringSave;
    velt::RegisterSettingsPart(SettingsSlot::Languages, nullptr, [&](const SettingsLocation& loc) {
        pf::ReadWholeFile(loc.file, seenDuringSave);
        return true;
    });
    GlobalSettings s;
    s.tabSize = 6;
    ASSERT_TRUE(velt::SaveGlobalSettings(root, s, SaveContext{}));
    EXPECT_EQ(seenDuringSave, original);  // nothing reached the disk half way
    EXPECT_NE(Inode(file), before);       // replaced, not rewritten in place
    const std::string after = t.Read("root/lib/velt.prj");
    EXPECT_EQ(after.rfind("; written by hand\n[velt]\nTabsize=6\nUtil1Nickname=grep\n", 0), 0u);
    EXPECT_NE(after.find("[elsewhere]\nx=1\n"), std::string::npos);
    EXPECT_EQ(Key("FrameCY"), "0");
}

TEST_F(Settings, DumpListsEverySettingInReadingOrder) {
    WriteSettings(
        "[velt]\nTabsize=12\nBackupFile=1\nEditorFlags=0\nMacros=1\nMacro1Code=a\n"
        "Macro1Position=3\nMacro1Length=2\nMacro1TextLine0=104105\n"
        "Accelerators=2\nAccel1=   4  65 300   9\nAccel2=   4  66 300   9\n"
        "CurrentFile=Untitled\nOpenFiles=1\nOpenFile1=/a.c 1 2 3 4 5\n");
    std::ostringstream out;
    EXPECT_EQ(velt::RunPrefsCommand(root, out), 0);
    const std::string expected =
        "Tabsize=4\nFindFlags=0\nCommentColor=8421504\nKeywordColor=192\nGrep=0\n"
        "FontHeight=-13\nFontStyle=0\nFrameZoomed=0\nStatusBar=\nSubScroll=1\nFrameX=0\n"
        "FrameY=0\nFrameCX=0\nFrameCY=0\nEditorFlags=4\nOutputWndHeight=0\nBackupFile=1\n"
        "FontFamily=49\nTextColor=0\nBackgroundColor=16777215\nPrinterFontName=\n"
        "PrinterFontSize=0\nDebuggerArguments=\nDebuggerDir=\nDebuggerExeName=\n"
        "DebuggerFlags=0\nMacros=1\nMacro1Code=a\nMacro1Position=3\nMacro1Length=2\n"
        "Macro1TextLine0=104105\nAccelerators=1\nAccel1=   4  66 300   9\nPrint=1053\n"
        "IncludeFlags=1\nCurrentDir=\nWinHelpComp=hcrtf.exe\nWinHelpDataBase=" +
        root +
        "/bin/win32.hlp\nFontName=Courier\nCurrentFile=\nHistorySize=15\n"
        "HistoryTime=8\nOpenFiles=1\nOpenFile1=/a.c 1 2 3 4 5\n";
    EXPECT_EQ(out.str(), expected);
    EXPECT_EQ(Key("BackupFile"), "1");  // the dump only looks

    std::ostringstream none;
    EXPECT_EQ(velt::RunPrefsCommand(root + "/nowhere", none), 1);
    EXPECT_EQ(none.str(), "");
}

}  // namespace

TEST(OpenDocuments, KeepNamesLinesAndWindowMarks) {
    velt::testing::RecordingDocuments host;
    velt::DocumentSummary a, b, c;
    a.name = "/w/a.c";
    a.line = 12;
    a.minimised = true;
    b.name = "/w/b.c";
    b.maximised = true;
    c.name = "untitled";
    c.internalBuffer = true;
    host.docs = {a, b, c};

    // Without windows only the minimised and maximised marks are kept.
    SaveContext bare;
    velt::AddOpenDocuments(bare);
    EXPECT_EQ(bare.currentFile, "/w/a.c");
    ASSERT_EQ(bare.documents.size(), 3u);
    EXPECT_EQ(bare.documents[0].line, 12);
    EXPECT_EQ(bare.documents[0].rect.left, -1);
    EXPECT_EQ(bare.documents[0].rect.right, 0);
    EXPECT_EQ(bare.documents[1].rect.left, 0);
    EXPECT_EQ(bare.documents[1].rect.right, -1);
    EXPECT_TRUE(bare.documents[2].temporary);

    // A window's rectangle replaces the marks; a document without one keeps them.
    SaveContext framed;
    velt::AddOpenDocuments(framed, [](const velt::DocumentSummary& d) {
        return d.name == "/w/b.c" ? std::optional<velt::ScreenRect>({10, 20, -300, 400})
                                  : std::nullopt;
    });
    EXPECT_EQ(framed.documents[0].rect.left, -1);
    EXPECT_EQ(framed.documents[1].rect.top, 20);
    EXPECT_EQ(framed.documents[1].rect.right, -300);
    EXPECT_EQ(framed.documents[1].rect.bottom, 400);

    host.docs.clear();
    SaveContext none;
    velt::AddOpenDocuments(none);
    EXPECT_EQ(none.currentFile, "");
    EXPECT_TRUE(none.documents.empty());
}
