#include "project/run_program.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "programs_fixture.h"
#include "project/utilities.h"
#include "shell/commands.h"
#include "shell/dispatch.h"
#include "shell/strutil.h"

namespace velt::testing {
namespace {

namespace pf = velt::platform;
using Strings = std::vector<std::string>;

using RunProgram = ProgramsTest;

TEST_F(RunProgram, ConsoleTestAsksImgdumpAboutTheFoundProgram) {
    EXPECT_TRUE(IsConsoleProgram(console));
    EXPECT_FALSE(IsConsoleProgram(tool));
    // Without an extension ".exe" is tried; the letter case of the name does not matter.
    EXPECT_TRUE(IsConsoleProgram(dir / "TOOLS/contool"));
    EXPECT_EQ(Calls(), (Strings{"imgdump|/isdos " + console, "imgdump|/isdos " + tool,
                                "imgdump|/isdos " + console}));
    // A program that is not found is no console program, and nobody is asked.
    EXPECT_FALSE(IsConsoleProgram(dir / "tools/nosuch"));
    EXPECT_FALSE(IsConsoleProgram(""));
    EXPECT_EQ(Calls().size(), 3u);
    // Nor is one that imgdump cannot be asked about.
    const std::string noRoot = dir / "empty";
    SetProgramRoot(&noRoot);
    EXPECT_FALSE(IsConsoleProgram(console));
}

TEST_F(RunProgram, StartCommandLines) {
    EXPECT_EQ(StartCommand("prog.exe", "a b", false), "prog.exe a b");
    EXPECT_EQ(StartCommand("prog.exe", "a b", true), root + "/bin/conrun.exe prog.exe a b");
    // A program whose name holds a blank is kept together; blanks of a name that names no
    // program may separate arguments the user wrote into it.
    const std::string spaced = Script("my tools/run.exe", "exit 0\n");
    EXPECT_EQ(StartCommand(spaced, "-x", false), "\"" + spaced + "\" -x");
    EXPECT_EQ(StartCommand("make -s", "all", false), "make -s all");

    ASSERT_TRUE(StartProgram(console, "a b"));
    EXPECT_EQ(WaitForCalls(2),
              (Strings{"imgdump|/isdos " + console,
                       "conrun|" + pf::CurrentDirectory() + "|" + console + " a b"}));
    ASSERT_TRUE(StartProgram(tool, "x"));
    EXPECT_EQ(WaitForCalls(4).back(), "show|" + pf::CurrentDirectory() + "|x");

    EXPECT_FALSE(StartProgram(dir / "tools/nosuch.exe", ""));
    EXPECT_EQ(ui.beeps, 1);
}

TEST_F(RunProgram, ExecuteAProgram) {
    ResetExecuteProgram();
    InstallUtilities(root);
    FrameCommands().SetStateSource(nullptr);  // 1124 needs no document
    const std::string work = dir / "Work Dir";
    ASSERT_TRUE(pf::CreateDirectory(work));
    ASSERT_TRUE(pf::SetCurrentDirectory(dir.path()));
    const std::string here = pf::CurrentDirectory();

    std::vector<ExecuteProgramRecord> shown;
    std::vector<ExecuteProgramRecord> typed;
    gExecuteProgramDialog = [&](ExecuteProgramRecord& record) {
        shown.push_back(record);
        // The dialog stays open until the record is accepted.
        for (const ExecuteProgramRecord& t : typed) {
            record = t;
            if (record.Validate()) return true;
        }
        return false;
    };

    typed = {{"", "-a", ""}, {tool, "one two", work}};
    EXPECT_EQ(DispatchCommand(kCmdExecute).status, DispatchStatus::Handled);
    EXPECT_EQ(ui.Texts(), Strings{"No name of the program?"});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].name + "|" + shown[0].arguments, "|");
    EXPECT_EQ(shown[0].startDir, AsciiLower(here));
    EXPECT_EQ(WaitForCalls(2).back(),
              "show|" + std::filesystem::canonical(work).string() + "|one two");
    EXPECT_EQ(pf::CurrentDirectory(), here);

    // Next time the name and arguments come back; the directory is the current one again,
    // lower-cased, which still finds the directory spelt otherwise on disk.
    ASSERT_TRUE(pf::SetCurrentDirectory(work));
    typed.clear();
    ExecuteProgramCommand();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].name + "|" + shown[1].arguments, tool + "|one two");
    EXPECT_EQ(shown[1].startDir, AsciiLower(pf::CurrentDirectory()));
    ASSERT_TRUE(pf::SetCurrentDirectory(here));
    ExecuteProgramRecord lower = shown[1];
    ASSERT_TRUE(lower.Run());
    EXPECT_EQ(WaitForCalls(4).back(),
              "show|" + std::filesystem::canonical(work).string() + "|one two");

    // A start directory that cannot be entered starts nothing.
    ui.Clear();
    ExecuteProgramRecord missing{tool, "", dir / "nowhere"};
    EXPECT_FALSE(missing.Run());
    EXPECT_EQ(ui.Texts(), Strings{"Directory " + (dir / "nowhere") + " doesn't exist"});
    EXPECT_EQ(pf::CurrentDirectory(), here);
    EXPECT_EQ(Calls().size(), 4u);

    gExecuteProgramDialog = nullptr;
    UninstallUtilities();
}

}  // namespace
}  // namespace velt::testing
