#include "project/build_pages.h"

#include <gtest/gtest.h>

#include "project/makefile.h"
#include "project/project.h"
#include "project_fixture.h"

namespace velt {
namespace {

class BuildPagesTest : public testing::ProjectTest {
  protected:
    void SetUp() override {
        ProjectTest::SetUp();
        Project& p = CurrentProject();
        p.name = "hello";
        p.make = std::make_unique<MakeSettings>();
        p.make->makeDir = "/out";
    }
    void TearDown() override {
        SetLinkerPageForNewProject(false);
        ProjectTest::TearDown();
    }
    ConfigContext Context() { return ConfigContext(settings, rootText); }
    std::string rootText = "/r";
};

TEST_F(BuildPagesTest, IncludePathBlanksBecomeSeparatorsOutsideQuotes) {
    EXPECT_EQ(IncludePathFromEntry("/a   /b  \"/my dir\"  /c"), "/a;/b;\"/my dir\";/c");
    EXPECT_EQ(IncludePathFromEntry("  /a ; /b  "), "/a;/b");
}

TEST_F(BuildPagesTest, CompilerDebugSwitchesFollowTheirRules) {
    Project& p = CurrentProject();
    p.compilerFlags = kTargetConsole | kCompileDebug3 | kPack4 | kCompileNoDebugLink | 0x100000;
    ConfigContext ctx = Context();
    CompilerPage page;
    page.Load(ctx);
    EXPECT_TRUE(page.debugInfo);
    EXPECT_TRUE(page.stackTrace);
    EXPECT_EQ(page.alignment, 2);
    page.SetDebugInfo(false);
    EXPECT_FALSE(page.stackTrace);
    page.SetStackTraceLines(true);  // disabled without debug info
    EXPECT_FALSE(page.stackTraceLines);
    ASSERT_TRUE(page.Apply(ctx));
    EXPECT_EQ(p.compilerFlags, kTargetConsole | kPack4 | kCompileNoDebugLink);
    EXPECT_TRUE(ctx.projectChanged);

    // -g4 sets debug info and lifts the strip; the alignment list's last row is no bit.
    page.SetDebugInfo(true);
    page.SetStackTraceLines(true);
    page.alignment = kAlignmentDefault;
    page.includes = "/x  /y";
    page.errorFile = "err.txt";
    ASSERT_TRUE(page.Apply(ctx));
    EXPECT_EQ(p.compilerFlags, kTargetConsole | kCompileDebug2 | kCompileDebug4);
    EXPECT_EQ(p.includes, "/x;/y");
    EXPECT_EQ(p.errorFile, "ERR.TXT");

    // Stored again unchanged: no change is reported.
    ConfigContext again = Context();
    CompilerPage same;
    same.Load(again);
    ASSERT_TRUE(same.Apply(again));
    EXPECT_FALSE(again.projectChanged);

    // A DLL loses the stack traces as the page opens and cannot get them back.
    p.compilerFlags = kTargetDll | kCompileDebug4;
    CompilerPage dll;
    dll.Load(again);
    EXPECT_EQ(p.compilerFlags, kTargetDll | kCompileDebug2);
    EXPECT_FALSE(dll.StackTraceEnabled());
    dll.SetStackTrace(true);
    EXPECT_FALSE(dll.stackTrace);
}

TEST_F(BuildPagesTest, LinkerKindsExcludeEachOtherAndOutputGoesToTheMakeDirectory) {
    Project& p = CurrentProject();
    p.compilerFlags = kTargetConsole | 0x2;
    p.exe = "/out/hello.exe";
    ConfigContext ctx = Context();
    LinkerPage page;
    page.Load(ctx);
    EXPECT_EQ(page.dllEntry, "LibMain");
    EXPECT_FALSE(page.EntryEnabled());
    page.dll = true;  // console still checked: it comes first and wins
    page.exe = "prog.exe";
    page.libraries = "a.lib";
    ASSERT_TRUE(page.Apply(ctx));
    EXPECT_EQ(p.compilerFlags, kTargetConsole);
    EXPECT_EQ(p.exe, "/out/prog.exe");
    page.consoleApp = false;
    page.libraries = "a.lib,b.lib;c.lib";
    ASSERT_TRUE(page.Apply(ctx));
    EXPECT_EQ(p.compilerFlags, kTargetDll);
    EXPECT_EQ(p.exe, "/out/prog.dll");
    EXPECT_EQ(settings.debuggerExeName, "/out/prog.dll");
    EXPECT_EQ(p.libraries, "a.lib b.lib c.lib");
    EXPECT_EQ(p.dllEntry, "");
    EXPECT_TRUE(ctx.projectChanged);

    ConfigContext again = Context();
    LinkerPage same;
    same.Load(again);
    ASSERT_TRUE(same.Apply(again));
    EXPECT_FALSE(again.projectChanged);

    p.compilerFlags = kTargetWindows;
    LinkerPage lib;
    lib.Load(again);
    lib.staticLibrary = true;
    lib.windowsApp = false;
    EXPECT_FALSE(lib.OutputControlsEnabled());
    ASSERT_TRUE(lib.Apply(again));
    EXPECT_EQ(p.compilerFlags, kTargetLibrary);
}

TEST_F(BuildPagesTest, DebugInfoFromTheCompilerPageIsNotUndoneByTheLinkerPage) {
    Project& p = CurrentProject();
    p.compilerFlags = kTargetConsole | kCompileNoDebugLink;
    ConfigContext ctx = Context();
    CompilerPage compiler;
    LinkerPage linker;
    compiler.Load(ctx);
    linker.Load(ctx);
    compiler.SetDebugInfo(true);
    ASSERT_TRUE(compiler.Apply(ctx));
    ASSERT_TRUE(linker.Apply(ctx));
    EXPECT_EQ(p.compilerFlags, kTargetConsole | kCompileDebug2);
}

TEST_F(BuildPagesTest, NewConsoleProjectIsOfferedTheConsoleLibraryOnce) {
    Project& p = CurrentProject();
    p.compilerFlags = kTargetConsole;
    p.libraries = "x.lib";
    ConfigContext ctx = Context();
    LinkerPage page;
    page.Load(ctx);
    EXPECT_EQ(page.libraries, "x.lib");
    SetLinkerPageForNewProject(true);
    page.Load(ctx);
    EXPECT_EQ(page.libraries, "x.lib txtconio.lib");
    p.libraries = "TXTCONIO.LIB";
    page.Load(ctx);
    EXPECT_EQ(page.libraries, "TXTCONIO.LIB");
}

TEST_F(BuildPagesTest, ChangedProjectAsksToRebuildTheMakefile) {
    InstallRebuildMakefileQuestion();
    Project& p = CurrentProject();
    p.compilerFlags = kTargetConsole;
    p.make->makeName = "/bin/sh";  // the Project page checks both
    p.make->makeDir = work;
    ConfigContext ctx = Context();
    ctx.sheet.projectOpen = true;
    {
        ConfigSheet sheet(ctx);
        ASSERT_TRUE(sheet.Find<CompilerPage>());
        sheet.Find<CompilerPage>()->optimise = true;
        ASSERT_TRUE(sheet.Confirm()) << (ui.boxes.empty() ? "" : ui.boxes[0].text);
    }
    bool asked = false;
    for (const auto& b : ui.boxes) asked = asked || b.text == kRebuildMakefileQuestion;
    EXPECT_TRUE(asked);
    EXPECT_EQ(p.compilerFlags & kCompileOptimise, kCompileOptimise);
}

}  // namespace
}  // namespace velt
