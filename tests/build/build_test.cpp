#include "build/build.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "build/diagnostics.h"
#include "build_fixture.h"
#include "editor/document_commands.h"
#include "platform/files.h"
#include "project/project.h"
#include "project/project_file.h"
#include "project/run_program.h"
#include "scoped_env.h"
#include "scripted_ui.h"
#include "shell/commands.h"
#include "shell/dispatch.h"
#include "shell/frame_messages.h"
#include "shell/menu_model.h"
#include "shell/output_pane.h"
#include "shell/settings.h"
#include "shell/status_pane.h"
#include "temp_dir.h"

namespace velt {
namespace {

using Strings = std::vector<std::string>;

class BuildTest : public testing::BuildFixture {
  protected:
    void SetUp() override {
        BuildFixture::SetUp();
        platform::CreateDirectory(root + "/lib");
        gGenerateMakefileHook = [] { return false; };
    }
    // Make with the makefile present, waited for.
    void MakeAndWait() {
        dir.Write("obj/makefile", "all:\n");
        MakeCommand();
        WaitForBuild();
    }

    std::string startDir = platform::CurrentDirectory();
};

// The success line of a build that wrote nothing, whatever it took.
bool IsSuccess(const Strings& pane) {
    if (pane.size() != 1) return false;
    const std::string& l = pane[0];
    return l.rfind("hello.exe built successfully. (", 0) == 0 && l.size() > 37 &&
           l.compare(l.size() - 6, 6, " sec).") == 0 && l.find('.', 31) == l.size() - 8;
}

TEST(DiagnosticsReading, UndefinedReferencesHeldBackAndLimits) {
    DiagnosticsReading r = ReadDiagnostics(
        "Error a.c: 3  x\r\n"
        "Error main.obj: 5  undefined reference to sqrt\n"
        "Error main.obj: 9  undefined reference to   sqrt\n"
        "Error main.obj: 5  undefined reference to sqrt\n"
        "Error b.obj: undefined reference to cosf\n"
        "last without newline");
    EXPECT_EQ(r.lines, (Strings{"Error a.c: 3  x", "last without newline"}));
    EXPECT_EQ(r.symbols, (Strings{"sqrt", "cosf"}));
    EXPECT_EQ(r.heldBack, (Strings{"Error main.obj: 5  undefined reference to sqrt",
                                   "Error main.obj: 9  undefined reference to   sqrt",
                                   "Error b.obj: undefined reference to cosf"}));
    EXPECT_FALSE(r.tooBig);

    // 65535 characters are read; one more is too big, the lines so far kept.
    std::string bytes;
    while (bytes.size() < 65535) bytes += std::string(99, 'a') + "\n";
    bytes.resize(65535);
    bytes.back() = '\n';
    r = ReadDiagnostics(bytes);
    EXPECT_FALSE(r.tooBig);
    r = ReadDiagnostics(bytes + "b\n");
    EXPECT_TRUE(r.tooBig);
    EXPECT_EQ(r.lines.size(), 656u);
    // A line of 1400 characters passes, 1401 do not; the unfinished line is dropped.
    EXPECT_FALSE(ReadDiagnostics(std::string(1400, 'x') + "\n").tooBig);
    r = ReadDiagnostics("first\n" + std::string(1401, 'x') + "\n");
    EXPECT_TRUE(r.tooBig);
    EXPECT_EQ(r.lines, Strings{"first"});
}

TEST_F(BuildTest, BuildThreadResultsAndReturnCode) {
    // Nothing on the error stream: the success line and no return-code line.
    CurrentProject().make->makeName = Script("quiet", "exit 0\n");
    MakeAndWait();
    EXPECT_EQ(BuildState(), kBuildIdle);
    EXPECT_EQ(LastBuildReturnCode(), 0);
    EXPECT_TRUE(IsSuccess(Pane())) << (Pane().empty() ? "" : Pane()[0]);
    EXPECT_EQ(CurrentProject().errorFile, make + "/hello.err");
    EXPECT_TRUE(ui.boxes.empty());

    // Diagnostics, the duration and the return code; the make directory was current for it.
    CurrentProject().make->makeName =
        Script("noisy", "pwd >&2\necho 'Error a.c: 2  bad' >&2\nsleep 0.3\nexit 3\n");
    MakeAndWait();
    EXPECT_EQ(LastBuildReturnCode(), 3);
    EXPECT_GE(LastBuildMilliseconds(), 300);
    ASSERT_EQ(Pane().size(), 3u);
    EXPECT_EQ(Pane()[0], make);
    EXPECT_EQ(Pane()[1], "Error a.c: 2  bad");
    EXPECT_EQ(Pane()[2].substr(0, 24), "Compilation + link time:");
    EXPECT_NE(Pane()[2].find(" sec, Return code: 3"), std::string::npos);
    EXPECT_EQ(FrameOutputPane().SelectedLine(kBuildPage), 2u);

    // A command that cannot start: its message, no results.
    FrameOutputPane().Clear(kBuildPage);
    CurrentProject().make->makeName = dir.path() + "/no-such-make";
    MakeAndWait();
    EXPECT_EQ(ui.Texts().back(), "Impossible to execute '" + dir.path() + "/no-such-make'");
    EXPECT_TRUE(Pane().empty());

    // A missing make directory stops before anything runs.
    CurrentProject().make->makeName = Script("quiet", "exit 0\n");
    CurrentProject().make->makeDir = dir.path() + "/gone";
    EXPECT_TRUE(StartBuild());
    WaitForBuild();
    EXPECT_EQ(ui.Texts().back(), "The make directory " + dir.path() +
                                     "/gone\ndoes not exist.\nImpossible to run make\n");
    EXPECT_EQ(BuildState(), kBuildIdle);
}

TEST_F(BuildTest, SecondMakeRequestsStopAndTheMenuSaysSo) {
    CurrentProject().make->makeName = Script("slow", "sleep 1\nexit 0\n");
    dir.Write("obj/makefile", "all:\n");
    EXPECT_EQ(MakeMenuText(), "Make\tF9");
    MakeCommand();
    EXPECT_EQ(BuildState(), kBuildRunning);
    EXPECT_EQ(LastBuildReturnCode(), -1);
    EXPECT_EQ(MakeMenuText(), "Stop build");
    const std::vector<MenuItem> menu = BuildMainMenu({});
    const MenuItem* item = FindMenuItem(menu, kCmdMake);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text, "Stop build");

    // The tools hear the stop request once, as the reply to their message.
    EXPECT_EQ(HandleToolMessage("x\n"), 0);
    DispatchCommand(kCmdMake);
    EXPECT_TRUE(BuildStopRequested());
    EXPECT_EQ(HandleToolMessage("nimra.exe -c hello.c\n"), 1);
    EXPECT_FALSE(BuildStopRequested());
    EXPECT_EQ(HandleToolMessage("y\n"), 0);
    WaitForBuild();
    EXPECT_EQ(MakeMenuText(), "Make\tF9");
    EXPECT_FALSE(BuildStopRequested());
    // No build: the tools are answered 0 and nothing is added.
    FrameOutputPane().Clear(kBuildPage);
    EXPECT_EQ(HandleToolMessage("late\n"), 0);
    EXPECT_TRUE(Pane().empty());

    // A third Make after the end starts a new build.
    MakeCommand();
    EXPECT_EQ(BuildState(), kBuildRunning);
    WaitForBuild();
    EXPECT_EQ(LastBuildReturnCode(), 0);
}

TEST_F(BuildTest, MakeQuestionsBeforeTheBuild) {
    CurrentProject().make->makeName = Script("quiet", "exit 0\n");
    // No makefile: No stops, Yes generates (here refused by the generator: stops too).
    const unsigned started = BuildsStarted();
    ui.Answer(kIdNo);
    MakeCommand();
    EXPECT_EQ(ui.Texts(), Strings{"Makefile doesn't exist. Generate it?"});
    EXPECT_EQ(BuildState(), kBuildIdle);
    EXPECT_EQ(BuildsStarted(), started);
    int generated = 0;
    gGenerateMakefileHook = [&] {
        ++generated;
        dir.Write("obj/Makefile", "all:\n");
        return true;
    };
    ui.Answer(kIdYes);
    MakeCommand();
    // Counted even when the build has ended before anybody looks.
    EXPECT_EQ(BuildsStarted(), started + 1);
    WaitForBuild();
    EXPECT_EQ(generated, 1);
    EXPECT_TRUE(IsSuccess(Pane())) << (Pane().empty() ? "" : Pane()[0]);
    // The previous directory is current again.
    EXPECT_EQ(platform::CurrentDirectory(), startDir);

    // Without a project and without a C source current, nothing at all.
    ClearProject(CurrentProject());
    ui.Clear();
    MakeCommand();
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_FALSE(StartBuild());
    EXPECT_EQ(ui.Texts(), Strings{"No project defined"});
}

TEST_F(BuildTest, RelinkUsesTheRootsMakeForOneBuild) {
    Script("root/bin/make.exe", "echo \"make $*\" >&2\nexit 0\n");
    CurrentProject().make->makeName = Script("quiet", "exit 0\n");
    EXPECT_TRUE(Relink());
    WaitForBuild();
    EXPECT_EQ(Pane().front(), "make link");
    EXPECT_EQ(CurrentProject().make->makeName, dir.path() + "/quiet");
    MakeAndWait();
    EXPECT_TRUE(IsSuccess(Pane())) << (Pane().empty() ? "" : Pane()[0]);
}

TEST_F(BuildTest, UpToDateCheckAsksAndRebuilds) {
    Script("root/bin/make.exe", "[ \"$1\" = -q ] && exit 199\nexit 0\n");
    settings.debuggerExeName = "hello.exe";
    // Without the preference nothing runs.
    EXPECT_TRUE(TargetUpToDateCheck());
    EXPECT_TRUE(ui.boxes.empty());
    settings.editorFlags = kEditorTestTargetUpToDate;
    ui.Answer(kIdNo);
    EXPECT_TRUE(TargetUpToDateCheck());
    EXPECT_EQ(ui.Texts(), Strings{"hello.exe is not up-to-date.\nRebuild?"});
    // Yes: Make runs and its return code answers.
    dir.Write("obj/makefile", "all:\n");
    CurrentProject().make->makeName = Script("failing", "exit 2\n");
    ui.Answer(kIdYes);
    EXPECT_FALSE(TargetUpToDateCheck());
    EXPECT_EQ(LastBuildReturnCode(), 2);
    CurrentProject().make->makeName = Script("quiet", "exit 0\n");
    ui.Answer(kIdYes);
    EXPECT_TRUE(TargetUpToDateCheck());
    // Up to date: no question.
    Script("root/bin/make.exe", "exit 0\n");
    ui.Clear();
    EXPECT_TRUE(TargetUpToDateCheck());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(BuildTest, RebuildAllDeletesObjectsOfSourcesAndResources) {
    Project& p = CurrentProject();
    dir.Write("obj/main.obj", "o");
    dir.Write("obj/app.res", "r");
    dir.Write("obj/start.obj", "keep");
    dir.Write("obj/makefile", "all:\n");
    // The make command leaves a mark: it may end before the state could be looked at.
    p.make->makeName = Script("marking", "touch made\nexit 0\n");
    p.files = {"START.ASM", "SRC/MAIN.C", "APP.RC"};
    EXPECT_TRUE(RebuildAll());
    WaitForBuild();
    EXPECT_TRUE(platform::PathExists(make + "/made"));  // Make followed
    EXPECT_FALSE(platform::PathExists(make + "/main.obj"));
    EXPECT_FALSE(platform::PathExists(make + "/app.res"));
    EXPECT_TRUE(platform::PathExists(make + "/start.obj"));
    EXPECT_EQ(FrameStatusPane().Text(), "2 object files deleted");

    FrameStatusPane().Reset();
    ASSERT_TRUE(platform::DeleteFile(make + "/made"));
    p.files = {"START.ASM"};
    EXPECT_TRUE(RebuildAll());
    WaitForBuild();
    EXPECT_TRUE(platform::PathExists(make + "/made"));
    EXPECT_EQ(FrameStatusPane().Text(), "");
    p.files.clear();
    EXPECT_FALSE(RebuildAll());
    p.make.reset();
    EXPECT_FALSE(RebuildAll());
    EXPECT_EQ(ui.Texts(),
              (Strings{"No object files defined in this project", "Make parameters not defined"}));
}

TEST_F(BuildTest, MissingLibrariesAddedToProjectAndMakefile) {
    dir.Write("root/bin/apiindex.idx",
              "nimra api index 1\ncosf\tlibq.lib\tnot installed\nsqrt\tlibm.lib\tmath library\n");
    dir.Write("root/lib/libm.lib", "");
    dir.Write("obj/makefile", "CFLAGS=-g\nLIBS=old.lib\nall:\n\tlink $(LIBS)\n");
    CurrentProject().libraries = "old.lib";
    CurrentProject().make->makeName =
        Script("undef",
               "echo 'Error main.obj: 4  undefined reference to sqrt' >&2\n"
               "echo 'Error main.obj: 5  undefined reference to cosf' >&2\nexit 1\n");
    MissingLibrariesRecord seen;
    gMissingLibrariesDialog = [&](const MissingLibrariesRecord& r) {
        seen = r;
        return false;
    };
    // Cancelled: the lines come back, last one first.
    MakeCommand();
    WaitForBuild();
    EXPECT_EQ(seen.lines,
              (Strings{"sqrt (math library) libm.lib", "cosf (not installed) libq.lib"}));
    EXPECT_EQ(seen.libraries, Strings{"libm.lib"});
    ASSERT_EQ(Pane().size(), 3u);
    EXPECT_EQ(Pane()[0], "Error main.obj: 5  undefined reference to cosf");
    EXPECT_EQ(Pane()[1], "Error main.obj: 4  undefined reference to sqrt");
    EXPECT_EQ(CurrentProject().libraries, "old.lib");

    gMissingLibrariesDialog = [](const MissingLibrariesRecord&) { return true; };
    ui.Clear();
    MakeCommand();
    WaitForBuild();
    EXPECT_EQ(CurrentProject().libraries, "old.lib libm.lib");
    EXPECT_EQ(dir.Read("obj/makefile"), "CFLAGS=-g\nLIBS=old.lib libm.lib\nall:\n\tlink $(LIBS)\n");
    EXPECT_FALSE(platform::PathExists(make + "/tt88$$$.tmp"));
    EXPECT_EQ(ui.Texts(), Strings{"The missing libraries habe been added. Restart Make"});
    ASSERT_EQ(Pane().size(), 1u);
    EXPECT_NE(Pane()[0].find("Return code: 1"), std::string::npos);

    // A makefile without LIBS= lines stays as it was.
    dir.Write("obj/makefile", "all:\n");
    EXPECT_EQ(RewriteMakefileLibs(make, "x.lib"), 0);
    EXPECT_EQ(dir.Read("obj/makefile"), "all:\n");
    EXPECT_FALSE(platform::PathExists(make + "/tt88$$$.tmp"));

    // Without an index the lines are shown as they are.
    platform::DeleteFile(root + "/bin/apiindex.idx");
    EXPECT_FALSE(SearchMissingLibraries({"sqrt"}, CurrentProject()));
}

TEST_F(BuildTest, DiagnosticsFileMissingOrTooBig) {
    CurrentProject().make->makeName =
        Script("big", "head -c 70000 /dev/zero | tr '\\0' 'a' | fold -w 100 >&2\nexit 1\n");
    MakeAndWait();
    EXPECT_EQ(ui.Texts(), Strings{"Message file " + make + "/hello.err too big"});
    EXPECT_EQ(Pane().size(), 65535u / 101 + 1);  // the lines read, then the time line

    CurrentProject().make->makeName = Script("eraser", "rm -f \"$PWD/hello.err\"\nexit 0\n");
    MakeAndWait();
    EXPECT_EQ(Pane(), Strings{"Diagnostics file " + make + "/hello.err doesn't exist"});
}

TEST(ToolMessages, CompilerEchoStrippedAndCutInPieces) {
    ToolMessageBuffer b;
    bool overflow = false;
    EXPECT_EQ(b.Add("/root/bin/nimra.exe -c -g2 hello.c\n", overflow), Strings{"-g2 hello.c"});
    EXPECT_EQ(b.Add("nimra.exe main.c\n", overflow), Strings{"main.c"});
    EXPECT_EQ(b.Add("nimralnk.exe -o a.exe\n", overflow), Strings{"nimralnk.exe -o a.exe"});
    // Text without a newline waits for more; what follows the newline is dropped.
    EXPECT_TRUE(b.Add("linking", overflow).empty());
    EXPECT_EQ(b.Add(" done\nrest", overflow), Strings{"linking done"});
    EXPECT_EQ(b.pending(), "");
    // More than 300 characters without a newline: pieces of 150.
    const std::string longText(320, 'z');
    const Strings pieces = b.Add(longText, overflow);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].size(), 150u);
    EXPECT_EQ(pieces[2].size(), 20u);
    EXPECT_FALSE(overflow);
    // The buffer holds 4000 characters with the end of its text.
    b.Add(std::string(250, 'v'), overflow);
    EXPECT_EQ(b.Add(std::string(3749, 'u'), overflow).size(), 27u);
    EXPECT_FALSE(overflow);
    b.Add(std::string(250, 'v'), overflow);
    EXPECT_TRUE(b.Add(std::string(3800, 'u'), overflow).empty());
    EXPECT_TRUE(overflow);
    EXPECT_EQ(b.pending(), "");
}

TEST_F(BuildTest, ToolMessagesReachTheBuildPageWhileBuilding) {
    CurrentProject().make->makeName = Script("slow", "sleep 0.5\nexit 0\n");
    dir.Write("obj/makefile", "all:\n");
    MakeCommand();
    // The worker clears the page as it starts the command.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    PumpBuildEvents();
    HandleToolMessage("/r/bin/nimra.exe -c " + std::string(200, 'f') + ".c\n");
    ASSERT_GE(Pane().size(), 2u);
    EXPECT_EQ(Pane()[Pane().size() - 2], std::string(150, 'f'));
    EXPECT_EQ(Pane().back(), std::string(50, 'f') + ".c");
    // Through the frame message too.
    EXPECT_EQ(SendFrameMessage(FrameMessage::BuildQuery), kBuildRunning);
    SendFrameMessage(FrameMessage::BuildProgress, 0, TextParam("step two\n"));
    EXPECT_EQ(Pane().back(), "step two");
    WaitForBuild();
    EXPECT_EQ(SendFrameMessage(FrameMessage::BuildQuery), kBuildIdle);
}

}  // namespace
}  // namespace velt
