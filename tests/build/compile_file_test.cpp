// Compile current file, which no menu entry names: reached from Make without a project, and
// with a project for a file that is not one of its files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "../editor/editing_fixture.h"
#include "build/build.h"
#include "platform/files.h"
#include "project/project.h"
#include "shell/output_pane.h"
#include "shell/status_pane.h"

namespace velt {
namespace {

using Strings = std::vector<std::string>;

class CompileFileTest : public testing::EditingTest {
  protected:
    void SetUp() override {
        EditingTest::SetUp();
        FrameOutputPane().Reset();
        ClearProject(CurrentProject());
        ResetBuild();
        InstallBuild();
        make = dir.path() + "/obj";
        platform::CreateDirectory(make);
        const std::string script = dir.Write("fakemake", "#!/bin/sh\necho built >&2\nexit 0\n");
        chmod(script.c_str(), 0755);
        // The default project of the current document, as project creation makes it.
        gDefaultProjectHook = [this, script] {
            ++defaults;
            Project& p = CurrentProject();
            p.name = "hello";
            p.exe = "hello.exe";
            p.make = std::make_unique<MakeSettings>();
            p.make->makeDir = make;
            p.make->makeName = script;
            AddProjectFile(p, CurrentDocument()->name);
            return true;
        };
        gGenerateMakefileHook = [this] {
            ++generated;
            dir.Write("obj/makefile", "all:\n");
            return true;
        };
    }
    void TearDown() override {
        WaitForBuild();
        ResetBuild();
        UninstallBuild();
        gDefaultProjectHook = nullptr;
        gGenerateMakefileHook = nullptr;
        gCompileFileDialog = nullptr;
        ClearProject(CurrentProject());
        FrameOutputPane().Reset();
        EditingTest::TearDown();
    }
    const Strings& Pane() { return FrameOutputPane().Lines(kBuildPage); }

    std::string make;
    int defaults = 0;
    int generated = 0;
};

TEST_F(CompileFileTest, MakeWithoutAProjectCompilesTheCurrentCSource) {
    Open({"int main(void) { return 0; }"}, "src/hello.c");
    dir.Write("obj/hello.obj", "stale");

    // No: nothing is made.
    ui.Answer(kIdNo);
    MakeCommand();
    EXPECT_EQ(ui.Texts(), Strings{"No project defined.\nBuild a default project?"});
    EXPECT_EQ(defaults, 0);
    EXPECT_FALSE(ProjectIsOpen());

    // Yes: the default project, its makefile, the object deleted so that make remakes it,
    // and the build.
    ui.Answer(kIdYes);
    MakeCommand();
    EXPECT_EQ(defaults, 1);
    EXPECT_EQ(generated, 1);
    EXPECT_FALSE(platform::PathExists(make + "/hello.obj"));
    WaitForBuild();
    EXPECT_EQ(LastBuildReturnCode(), 0);
    ASSERT_EQ(Pane().size(), 2u);
    EXPECT_EQ(Pane()[0], "built");

    // Not a C source: not even the question.
    ClearProject(CurrentProject());
    ui.Clear();
    Open({"text"}, "notes.txt");
    MakeCommand();
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(defaults, 1);

    // No default project can be made: nothing is built.
    gDefaultProjectHook = nullptr;
    Open({"int x;"}, "other.c");
    ui.Answer(kIdYes);
    MakeCommand();
    EXPECT_EQ(BuildState(), kBuildIdle);
    EXPECT_FALSE(ProjectIsOpen());
}

TEST_F(CompileFileTest, AFileOutsideTheProjectIsAddedOrLeft) {
    Open({"int main(void) { return 0; }"}, "src/main.c");
    ASSERT_TRUE(gDefaultProjectHook());
    Open({"int extra(void) { return 1; }"}, "src/extra.c");
    dir.Write("obj/extra.obj", "stale");

    std::string asked;
    gCompileFileDialog = [&asked](const CompileFileRecord& r) {
        asked = r.file;
        return CompileFileChoice::Cancel;
    };
    EXPECT_FALSE(CompileCurrentFile());
    EXPECT_EQ(asked, dir.path() + "/src/extra.c");
    EXPECT_EQ(CurrentProject().files.size(), 1u);
    EXPECT_TRUE(platform::PathExists(make + "/extra.obj"));

    gCompileFileDialog = [](const CompileFileRecord&) { return CompileFileChoice::Add; };
    EXPECT_TRUE(CompileCurrentFile());
    WaitForBuild();
    EXPECT_EQ(CurrentProject().files.size(), 2u);
    EXPECT_EQ(generated, 1);
    EXPECT_FALSE(platform::PathExists(make + "/extra.obj"));
    EXPECT_EQ(LastBuildReturnCode(), 0);

    // A project file without an extension has no object name.
    Open({"x"}, "README");
    AddProjectFile(CurrentProject(), CurrentDocument()->name);
    ui.Clear();
    EXPECT_FALSE(CompileCurrentFile());
    EXPECT_EQ(ui.Texts(), Strings{"Error in object file name " + dir.path() + "/README"});
}

}  // namespace
}  // namespace velt
