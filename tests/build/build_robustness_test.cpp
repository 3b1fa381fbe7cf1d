// The build against what can go wrong around it: diagnostics files that are huge, binary,
// sparse or not files at all, make commands that do not exist or do not stop when asked,
// and the real stand-in tools when they were built.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "build/build.h"
#include "build/diagnostics.h"
#include "build_fixture.h"
#include "editor/document_commands.h"
#include "platform/files.h"
#include "platform/process.h"
#include "project/project.h"
#include "project/project_file.h"
#include "project/run_program.h"
#include "scoped_env.h"
#include "scripted_ui.h"
#include "shell/output_pane.h"
#include "shell/settings.h"
#include "shell/status_pane.h"
#include "temp_dir.h"

namespace velt {
namespace {

using Strings = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

long Millis(Clock::time_point since) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

class BuildRobustnessTest : public testing::BuildFixture {
  protected:
    void SetUp() override {
        BuildFixture::SetUp();
        dir.Write("obj/makefile", "all:\n");
    }
    // A make command that writes `bytes` to its error stream.
    void MakeWriting(const std::string& bytes, int exitCode = 1) {
        dir.Write("errors.bin", bytes);
        CurrentProject().make->makeName =
            Script("writer", "cat '" + dir.path() + "/errors.bin' >&2\nexit " +
                                 std::to_string(exitCode) + "\n");
    }
    void MakeAndWait() {
        MakeCommand();
        WaitForBuild();
    }
    // Waits as the user interface does, handling the build's events, until the build ended;
    // the milliseconds it took, or -1 after `limitMs`.
    long PumpUntilIdle(long limitMs) {
        const Clock::time_point start = Clock::now();
        while (BuildState() != kBuildIdle) {
            PumpBuildEvents();
            if (Millis(start) > limitMs) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        const long took = Millis(start);
        WaitForBuild();
        return took;
    }
    std::string ErrorFile() const { return make + "/hello.err"; }
};

bool IsTimeLine(const std::string& line, int returnCode) {
    const std::string tail = " sec, Return code: " + std::to_string(returnCode);
    return line.rfind("Compilation + link time:", 0) == 0 && line.size() > tail.size() &&
           line.compare(line.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_F(BuildRobustnessTest, HugeBinaryAndSparseDiagnosticsFiles) {
    // 10 MB of lines of 99 characters: the lines of the first 65535 characters are shown,
    // the unfinished one dropped, and the box names the file.
    std::string big;
    big.reserve(10u << 20);
    while (big.size() < (10u << 20)) big += std::string(99, 'e') + "\n";
    MakeWriting(big);
    MakeAndWait();
    EXPECT_EQ(ui.Texts(), Strings{"Message file " + ErrorFile() + " too big"});
    ASSERT_EQ(Pane().size(), 65535u / 100 + 1);
    EXPECT_EQ(Pane()[654], std::string(99, 'e'));
    EXPECT_TRUE(IsTimeLine(Pane().back(), 1)) << Pane().back();

    // One line of 100,000 characters: nothing of it, the box, the time line.
    ui.Clear();
    MakeWriting(std::string(100000, 'x') + "\n");
    MakeAndWait();
    EXPECT_EQ(ui.Texts(), Strings{"Message file " + ErrorFile() + " too big"});
    ASSERT_EQ(Pane().size(), 1u);
    EXPECT_TRUE(IsTimeLine(Pane()[0], 1)) << Pane()[0];

    // NULs, lone CRs and 0xFF bytes stay in their lines; only a CR before LF goes, and the
    // line with a NUL still reads as a diagnostic.
    ui.Clear();
    const std::string binary("Error a.c: 2  x\0y\r\n\xff\xfe\rmid\r\n\0\n\r", 30);
    MakeWriting(binary, 2);
    MakeAndWait();
    EXPECT_TRUE(ui.boxes.empty());
    ASSERT_EQ(Pane().size(), 5u);
    EXPECT_EQ(Pane()[0], std::string("Error a.c: 2  x\0y", 17));
    EXPECT_EQ(Pane()[1], "\xff\xfe\rmid");
    EXPECT_EQ(Pane()[2], std::string(1, '\0'));
    EXPECT_EQ(Pane()[3], "");
    EXPECT_TRUE(IsTimeLine(Pane()[4], 2)) << Pane()[4];
    const auto entry = ParseNimraDiagnostic(Pane()[0], "/w");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->line, 2);
    EXPECT_EQ(entry->text, std::string("[2]:x\0y", 7));

    // A diagnostics file grown to 3 GB (sparse) while the build ran: read as far as the
    // limit, never whole, and quickly.
    ui.Clear();
    CurrentProject().make->makeName =
        Script("sparse", "echo 'Error a.c: 1  x' >&2\ntruncate -s 3G \"$PWD/hello.err\"\nexit 1\n");
    const Clock::time_point start = Clock::now();
    MakeAndWait();
    EXPECT_LT(Millis(start), 2000);
    EXPECT_EQ(ui.Texts(), Strings{"Message file " + ErrorFile() + " too big"});
    ASSERT_EQ(Pane().size(), 2u);
    EXPECT_EQ(Pane()[0], "Error a.c: 1  x");
}

TEST_F(BuildRobustnessTest, DiagnosticsFileReplacedDuringTheBuild) {
    // A directory, and a pipe that nobody writes to, in place of the file: reported as
    // missing, and the pipe does not hold the user interface.
    CurrentProject().make->makeName =
        Script("todir", "rm -f \"$PWD/hello.err\"\nmkdir \"$PWD/hello.err\"\nexit 0\n");
    MakeAndWait();
    EXPECT_EQ(Pane(), Strings{"Diagnostics file " + ErrorFile() + " doesn't exist"});
    platform::DeleteFile(ErrorFile());
    rmdir(ErrorFile().c_str());

    CurrentProject().make->makeName =
        Script("topipe", "rm -f \"$PWD/hello.err\"\nmkfifo \"$PWD/hello.err\"\nexit 0\n");
    MakeCommand();
    EXPECT_GE(PumpUntilIdle(5000), 0);
    PumpBuildEvents();
    EXPECT_EQ(Pane(), Strings{"Diagnostics file " + ErrorFile() + " doesn't exist"});
    platform::DeleteFile(ErrorFile());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(BuildRobustnessTest, MissingMakeCommandLeavesTheBuildIdle) {
    CurrentProject().make->makeName = dir.path() + "/no such make";
    MakeAndWait();
    EXPECT_EQ(ui.Texts(), Strings{"Impossible to execute '" + dir.path() + "/no such make'"});
    EXPECT_EQ(BuildState(), kBuildIdle);
    EXPECT_EQ(MakeMenuText(), "Make\tF9");
    // Nothing ran, so nothing reports success.
    EXPECT_EQ(LastBuildReturnCode(), -1);
    EXPECT_TRUE(Pane().empty());
    // The next Make starts a build again.
    CurrentProject().make->makeName = Script("quiet", "exit 0\n");
    MakeAndWait();
    EXPECT_EQ(LastBuildReturnCode(), 0);
    ASSERT_EQ(Pane().size(), 1u);
    EXPECT_EQ(Pane()[0].rfind("hello.exe built successfully.", 0), 0u);
}

TEST_F(BuildRobustnessTest, StopEndsABuildWhoseToolsNeverAskWithinASecond) {
    // A make that prints and sleeps for ever and never asks for the stop request; the user
    // interface is never held while it runs.
    CurrentProject().make->makeName =
        Script("endless", "while :; do echo 'compiling' >&2; sleep 0.1; done\n");
    MakeCommand();
    const Clock::time_point running = Clock::now();
    while (Millis(running) < 300) {
        const Clock::time_point step = Clock::now();
        PumpBuildEvents();
        EXPECT_LT(Millis(step), 50);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(BuildState(), kBuildRunning);
    const Clock::time_point asked = Clock::now();
    MakeCommand();
    EXPECT_LT(Millis(asked), 50);
    EXPECT_TRUE(BuildStopRequested());
    const long took = PumpUntilIdle(3000);
    EXPECT_GE(took, 0);
    EXPECT_LT(took, 1000);
    EXPECT_EQ(LastBuildReturnCode(), 128 + 15);
    ASSERT_FALSE(Pane().empty());
    EXPECT_EQ(Pane().front(), "compiling");
    EXPECT_TRUE(IsTimeLine(Pane().back(), 128 + 15)) << Pane().back();
    EXPECT_EQ(MakeMenuText(), "Make\tF9");
    EXPECT_FALSE(BuildStopRequested());

    // One that ignores the request to end, with a child of its own: both made to end.
    const std::string pidFile = dir.path() + "/child.pid";
    CurrentProject().make->makeName =
        Script("stubborn", "trap '' TERM\nsleep 30 &\necho $! > '" + pidFile +
                               "'\nwhile :; do sleep 0.1; done\n");
    MakeCommand();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    MakeCommand();
    const long forced = PumpUntilIdle(3000);
    EXPECT_GE(forced, 0);
    EXPECT_LT(forced, 1000);
    EXPECT_EQ(LastBuildReturnCode(), 128 + 9);
    const std::string child = dir.Read("child.pid");
    ASSERT_FALSE(child.empty());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::string stat;
    platform::ReadWholeFile("/proc/" + child.substr(0, child.find('\n')) + "/stat", stat);
    // Gone, or a zombie waiting for whoever adopted it.
    EXPECT_TRUE(stat.empty() || stat.find(") Z ") != std::string::npos) << stat;

    // A stop request belongs to the build it was made in: the next build runs to its end.
    CurrentProject().make->makeName = Script("brief", "sleep 0.4\nexit 0\n");
    MakeCommand();
    MakeCommand();
    EXPECT_GE(PumpUntilIdle(3000), 0);
    CurrentProject().make->makeName = Script("steady", "sleep 0.8\nexit 0\n");
    MakeCommand();
    EXPECT_GE(PumpUntilIdle(3000), 700);
    EXPECT_EQ(LastBuildReturnCode(), 0);
}

TEST(OutputWrapCost, LongLinesAreMeasuredLogarithmically) {
    // A 1400-character diagnostic (the longest the reader takes) wrapped at 100 characters:
    // each part costs a few measurements, so the user interface measuring with its font is
    // not held for long.
    std::string text;
    while (text.size() < 1400) text += "word(" + std::to_string(text.size()) + ") ";
    text.resize(1400);
    int calls = 0;
    const OutputLineFits fits = [&calls](std::string_view t) {
        ++calls;
        return t.size() <= 100;
    };
    const Strings parts = WrapOutputLine(text, fits);
    ASSERT_GE(parts.size(), 14u);
    EXPECT_LE(calls, static_cast<int>(parts.size()) * 13);
    std::string joined = parts[0];
    for (std::size_t i = 0; i < parts.size(); ++i) {
        EXPECT_LE(parts[i].size(), 100u);
        // Cut no more than 15 characters short of the width.
        if (i + 1 < parts.size()) {
            EXPECT_GT(parts[i].size(), 85u);
        }
        if (i > 0) joined += parts[i].substr(3);
    }
    EXPECT_EQ(joined, text);
}

TEST_F(BuildRobustnessTest, ToolLinesAreWrappedLikeEveryLine) {
    gOutputLineFits = [](std::string_view t) { return t.size() <= 60; };
    SetBuildState(kBuildRunning);
    HandleToolMessage("/r/bin/nimra.exe -c " + std::string(200, 'f') + ".c\n");
    SetBuildState(kBuildIdle);
    // The pieces of 150 and 52 characters, each wrapped at 60.
    ASSERT_EQ(Pane().size(), 4u);
    EXPECT_EQ(Pane()[0], std::string(60, 'f'));
    EXPECT_EQ(Pane()[1], " + " + std::string(57, 'f'));
    EXPECT_EQ(Pane()[2], " + " + std::string(33, 'f'));
    EXPECT_EQ(Pane()[3], std::string(50, 'f') + ".c");
    EXPECT_EQ(WrappedMessageAt(Pane(), 1), std::string(150, 'f'));
    EXPECT_EQ(FrameOutputPane().SelectedLine(kBuildPage), 3u);
}

// ---- The stand-in tools, when this build made them.

std::string SdkTool(const char* name) {
    const std::string path = std::string(VELT_SDK_ROOT_DIR) + "/bin/" + name;
    return platform::IsRegularFile(path) ? path : std::string();
}

TEST_F(BuildRobustnessTest, RealCompilerDiagnosticsJumpToTheirLines) {
    const std::string nimra = SdkTool("nimra.exe");
    if (nimra.empty()) GTEST_SKIP() << "no nimra.exe in " << VELT_SDK_ROOT_DIR;
    dir.Write("src/ok.c", "int ok(void) { return 0; }\n");
    platform::RunOptions probe;
    probe.directory = dir.path() + "/src";
    probe.stderrFile = dir.path() + "/probe.err";
    if (platform::RunAndWait("\"" + nimra + "\" -c ok.c", probe) != 0)
        GTEST_SKIP() << "nimra.exe cannot compile here (-m32): " << dir.Read("probe.err");

    // Errors and a warning at known lines, one file named relatively, one in a directory
    // with a blank (so quoted), compiled the way the makefiles do.
    dir.Write("src/bad.c",
              "int f(void) {\n"
              "  int x = 1;\n"
              "  return x +;\n"
              "}\n"
              "#warning check this\n"
              "int g(void) { return y; }\n");
    dir.Write("src/my dir/two.c", "int h(void) {\n\n  return 1\n}\n");
    CurrentProject().make->makeName = Script(
        "compile", "cd '" + dir.path() + "/src'\n\"" + nimra + "\" -c bad.c\n\"" + nimra +
                       "\" -c \"" + dir.path() + "/src/my dir/two.c\"\nexit 1\n");
    MakeAndWait();
    ASSERT_GE(Pane().size(), 4u);
    EXPECT_TRUE(IsTimeLine(Pane().back(), 1)) << Pane().back();

    struct Seen {
        std::string file;
        int line;
        bool warning;
    };
    std::vector<Seen> seen;
    for (std::size_t i = 0; i + 1 < Pane().size(); ++i) {
        const std::string message = WrappedMessageAt(Pane(), i);
        if (message.rfind("Error", 0) != 0 && message.rfind("Warning", 0) != 0) continue;
        const auto e = ParseDiagnostic(message, false, dir.path() + "/src");
        ASSERT_TRUE(e) << message;
        std::string file = e->file;
        if (file.size() >= 2 && file.front() == '"') file = file.substr(1, file.size() - 2);
        seen.push_back({file, e->line, message.rfind("Warning", 0) == 0});
        EXPECT_EQ(e->text.rfind("[" + std::to_string(e->line) + "]:", 0), 0u) << e->text;
    }
    auto has = [&](const std::string& file, int line, bool warning) {
        for (const Seen& s : seen)
            if (s.file == file && s.line == line && s.warning == warning) return true;
        return false;
    };
    const std::string src = dir.path() + "/src/";
    EXPECT_TRUE(has(src + "bad.c", 3, false));
    EXPECT_TRUE(has(src + "bad.c", 5, true));
    EXPECT_TRUE(has(src + "bad.c", 6, false));
    EXPECT_TRUE(has(src + "my dir/two.c", 4, false) || has(src + "my dir/two.c", 3, false));
    for (const Seen& s : seen) EXPECT_TRUE(platform::IsRegularFile(s.file)) << s.file;
}

TEST_F(BuildRobustnessTest, StopEndsTheStandInMakeAndItsRecipe) {
    const std::string makeExe = SdkTool("make.exe");
    if (makeExe.empty()) GTEST_SKIP() << "no make.exe in " << VELT_SDK_ROOT_DIR;
    dir.Write("obj/makefile", "all:\n\t@echo started >&2\n\t@sleep 20\n");
    CurrentProject().make->makeName = makeExe;
    MakeCommand();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    MakeCommand();
    const long took = PumpUntilIdle(5000);
    EXPECT_GE(took, 0);
    EXPECT_LT(took, 1000);
    EXPECT_NE(LastBuildReturnCode(), 0);
    ASSERT_FALSE(Pane().empty());
    EXPECT_EQ(Pane().front(), "started");
    EXPECT_TRUE(IsTimeLine(Pane().back(), LastBuildReturnCode())) << Pane().back();
}

}  // namespace
}  // namespace velt
