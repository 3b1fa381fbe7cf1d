// The Project menu's commands: Open and Erase through the project list, a second copy of the
// program for a project, the recent projects and their order across starts, Open all files,
// Close's enabling, and Ctrl+F5 running the program the project builds.
#include "project/project_menu.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "project/command_macros.h"
#include "project/project_commands.h"
#include "project/run_program.h"
#include "project_fixture.h"
#include "recording_documents.h"
#include "shell/dispatch.h"

namespace velt::testing {
namespace {

namespace pf = velt::platform;
using Strings = std::vector<std::string>;

class ProjectMenu : public ProjectTest {
  protected:
    void SetUp() override {
        ProjectTest::SetUp();
        log = dir / "calls.log";
        InstallProjectCommands();
        FrameCommands().SetStateSource(nullptr);
        gProjectListDialog = [this](ProjectListRecord& record) {
            shown.push_back(record);
            if (pick.empty()) return false;
            const auto at = std::find(record.names.begin(), record.names.end(), pick);
            record.selected = at == record.names.end() ? -1 : int(at - record.names.begin());
            record.newWindow = newWindow;
            return true;
        };
    }
    void TearDown() override {
        settings.saveEnabled = false;
        CloseCurrentProject();
        gProjectListDialog = nullptr;
        gProjectUpToDateCheck = nullptr;
        FrameCommands().SetStateSource(nullptr);
        SetOwnProgram("");
        SetProgramRoot(nullptr);
        UninstallProjectCommands();
        ProjectTest::TearDown();
    }

    // A project file in the work directory with `body`, entered in the table after those
    // added before.
    void AddProject(const std::string& name, const std::string& body = "") {
        dir.Write("work/" + name + ".prj",
                  std::string(kProjectFileHeader) + "[" + name + "]\n" + body);
        table += name + "=" + work + "/" + name + ".prj\n";
        Table(table);
        ReadProjectsTable(false);
    }
    std::string Script(const std::string& name, const std::string& body) {
        const std::string path = dir.Write(name, "#!/bin/sh\n" + body);
        ::chmod(path.c_str(), 0755);
        return path;
    }
    Strings WaitForCalls(std::size_t n) const {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        Strings lines;
        while (true) {
            lines.clear();
            std::ifstream in(log);
            for (std::string line; std::getline(in, line);) lines.push_back(line);
            if (lines.size() >= n || std::chrono::steady_clock::now() > until) return lines;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    RecordingDocuments docs;
    std::string table = "[Projects]\n";
    std::string log;
    std::vector<ProjectListRecord> shown;
    std::string pick;  // the row the dialog selects; empty: it is cancelled
    bool newWindow = false;
};

TEST_F(ProjectMenu, OpenGoesThroughTheProjectList) {
    Table(table);
    ReadProjectsTable(false);
    EXPECT_EQ(DispatchCommand(kCmdOpenProject).status, DispatchStatus::Handled);
    EXPECT_EQ(ui.Texts(), Strings{"No project defined"});
    EXPECT_TRUE(shown.empty());

    AddProject("alpha");
    AddProject("beta");
    pick = "beta";
    DispatchCommand(kCmdOpenProject);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Open a project");
    EXPECT_EQ(shown[0].okText, "Open");
    EXPECT_TRUE(shown[0].offerNewWindow);
    EXPECT_EQ(shown[0].names, (Strings{"beta", "alpha"}));
    EXPECT_EQ(shown[0].selected, -1);  // no project open: OK waits for a choice
    EXPECT_EQ(CurrentProject().name, "beta");

    // The open project comes preselected; cancelling changes nothing.
    pick.clear();
    DispatchCommand(kCmdOpenProject);
    EXPECT_EQ(shown[1].names[static_cast<std::size_t>(shown[1].selected)], "beta");
    EXPECT_EQ(CurrentProject().name, "beta");
    // A dialog confirmed without a row opens nothing.
    gProjectListDialog = [](ProjectListRecord& r) {
        r.selected = -1;
        return true;
    };
    EXPECT_FALSE(OpenProjectCommand());
    EXPECT_EQ(CurrentProject().name, "beta");
}

TEST_F(ProjectMenu, TheCheckBoxOpensTheProjectInASecondCopy) {
    AddProject("alpha");
    AddProject("beta");
    ASSERT_TRUE(OpenProjectByName("beta"));
    const std::string own =
        Script("bin/velt copy", "for a in \"$@\"; do echo \"$a\" >> '" + log + "'; done\n");
    SetOwnProgram(own);
    EXPECT_EQ(SecondInstanceCommand("two words"), "\"" + own + "\" \"/prj:two words\"");
    EXPECT_EQ(SecondInstanceCommand("alpha"), "\"" + own + "\" /prj:alpha");

    pick = "alpha";
    newWindow = true;
    ASSERT_TRUE(OpenProjectCommand());
    EXPECT_EQ(WaitForCalls(1), Strings{"/prj:alpha"});
    // This copy keeps its project.
    EXPECT_EQ(CurrentProject().name, "beta");

    SetOwnProgram(dir / "no/such/program");
    EXPECT_FALSE(OpenProjectCommand());
    EXPECT_EQ(ui.beeps, 1);
}

TEST_F(ProjectMenu, EraseAsksAndClosesTheOpenProjectFirst) {
    AddProject("alpha");
    AddProject("beta", "Exe=beta.exe\n");
    ASSERT_TRUE(OpenProjectByName("beta"));
    pick = "beta";
    ui.Answer(kIdNo);
    EXPECT_FALSE(EraseProjectCommand());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Erase");
    EXPECT_EQ(shown[0].okText, "Erase");
    EXPECT_FALSE(shown[0].offerNewWindow);
    EXPECT_EQ(ui.Texts(), Strings{"Erase beta"});
    EXPECT_TRUE(ProjectIsOpen());
    EXPECT_NE(Read(TableFile()).find("beta="), std::string::npos);

    ui.Answer(kIdYes);
    EXPECT_EQ(DispatchCommand(kCmdEraseProject).status, DispatchStatus::Handled);
    EXPECT_FALSE(ProjectIsOpen());
    EXPECT_EQ(Read(TableFile()), "[Projects]\nalpha=" + work + "/alpha.prj\n");
    EXPECT_EQ(ProjectNameList(), Strings{"alpha"});
    EXPECT_TRUE(pf::PathExists(work + "/beta.prj"));
}

TEST_F(ProjectMenu, RecentProjectsFollowUseAndSurviveTheNextStart) {
    for (const char* n : {"p1", "p2", "p3", "p4", "p5"}) AddProject(n);
    EXPECT_EQ(RecentProjects(), (Strings{"p5", "p4", "p3", "p2"}));
    EXPECT_FALSE(IsCommandEnabled(kCmdCloseProject));
    ASSERT_TRUE(OpenProjectByName("p1"));
    EXPECT_TRUE(IsCommandEnabled(kCmdCloseProject));
    EXPECT_EQ(RecentProjects(), (Strings{"p1", "p5", "p4", "p3"}));
    // The second entry of the menu.
    EXPECT_TRUE(IsCommandEnabled(kCmdRecentProjectLast));
    EXPECT_EQ(DispatchCommand(kCmdRecentProjectFirst + 1).status, DispatchStatus::Handled);
    EXPECT_EQ(CurrentProject().name, "p5");
    EXPECT_EQ(RecentProjects(), (Strings{"p5", "p1", "p4", "p3"}));
    // A name given in other letter case (the command line lower-cases it) moves the entry.
    EXPECT_EQ(MoveProjectNameToFront("P4"), "p4");

    EXPECT_EQ(DispatchCommand(kCmdCloseProject).status, DispatchStatus::Handled);
    EXPECT_FALSE(ProjectIsOpen());
    EXPECT_FALSE(CloseProjectCommand());

    // The list is written most recent first and read back in that order.
    ClearSettingsParts();
    InstallProjects(settings);
    dir.Write("root/lib/velt.prj", "[velt]\nProjects=3\nProject1=p3\nProject2=gone\nProject3=p1\n");
    platform::ProfileForgetCache();
    LoadGlobalSettings(root, settings);
    EXPECT_EQ(ProjectNameList(), (Strings{"p3", "p1", "p5", "p4", "p2"}));
    UninstallProjects();
    ClearSettingsParts();
    InstallProjectCommands();

    table = "[Projects]\n";
    AddProject("only");
    EXPECT_TRUE(IsCommandEnabled(kCmdRecentProjectFirst));
    EXPECT_FALSE(IsCommandEnabled(kCmdRecentProjectFirst + 1));
    EXPECT_FALSE(OpenRecentProject(1));
}

TEST_F(ProjectMenu, OpenAllFilesOpensTheTextFilesThatAreThere) {
    dir.Write("work/src/a.c", "int a;\n");
    dir.Write("work/src/b.h", "int b;\n");
    dir.Write("work/src/x.obj", "\x7f");
    AddProject("demo",
               "SourcesDir=" + work +
                   "/src\nPrjFiles=4\nFile1=A.C\nFile2=B.H\nFile3=X.OBJ\nFile4=MISSING.C\n");
    EXPECT_EQ(OpenAllProjectFiles(), 0);
    ASSERT_TRUE(OpenProjectByName("demo"));
    EXPECT_EQ(OpenAllProjectFiles(), 2);
    // The first file of the list ends on top.
    EXPECT_EQ(docs.opened, (Strings{work + "/src/b.h", work + "/src/a.c"}));
    FrameCommands().SetStateSource([] {
        FrameState s;
        s.hasCurrentDocument = true;
        return s;
    });
    EXPECT_TRUE(IsCommandEnabled(kCmdOpenAllFiles));
    settings.saveEnabled = false;
    CloseCurrentProject();
    EXPECT_FALSE(IsCommandEnabled(kCmdOpenAllFiles));
}

TEST_F(ProjectMenu, CtrlF5RunsTheProjectsProgram) {
    SetProgramRoot(&root);
    Script("root/bin/conrun.exe", "echo \"conrun|$(pwd -P)|$*\" >> '" + log + "'\n");
    const std::string program =
        Script("work/out/Demo.exe", "echo \"demo|$(pwd -P)|$*\" >> '" + log + "'\n");
    pf::CreateDirectory(work + "/run");
    const std::string run = std::filesystem::canonical(work + "/run").string();
    AddProject("con", "Exe=demo.exe\nMakeName=make\nMakeDir=" + work +
                          "/out\nCompilerFlags=136\nDebuggerArguments=-v x\nDbgDir=" + work +
                          "/run\n");
    AddProject("win", "Exe=" + work + "/out/demo.exe\nCompilerFlags=8\nDebuggerArguments=-w\n");
    pf::SetCurrentDirectory(work);

    // Without a project: the debugger's program, which is not set yet.
    EXPECT_FALSE(ProjectProgramStart());
    EXPECT_FALSE(DispatchCommand(kCmdRunProjectProgram).value);

    ASSERT_TRUE(OpenProjectByName("con"));
    EXPECT_EQ(ExpandMacros("$EXE$"), work + "/out/demo.exe ");
    const std::optional<ProgramStart> start = ProjectProgramStart();
    ASSERT_TRUE(start);
    EXPECT_EQ(start->program, work + "/out/demo.exe");
    EXPECT_EQ(start->arguments, "-v x");
    EXPECT_TRUE(start->console);
    const std::string here = pf::CurrentDirectory();

    // The build's check may refuse: nothing starts.
    int asked = 0;
    gProjectUpToDateCheck = [&asked] {
        ++asked;
        return false;
    };
    EXPECT_FALSE(RunProjectProgram());
    EXPECT_EQ(asked, 1);
    gProjectUpToDateCheck = nullptr;

    EXPECT_EQ(DispatchCommand(kCmdRunProjectProgram).value, 1);
    EXPECT_EQ(WaitForCalls(1), Strings{"conrun|" + run + "|" + program + " -v x"});
    EXPECT_EQ(pf::CurrentDirectory(), here);

    // A Windows target starts directly, in the current directory when no other is set.
    ASSERT_TRUE(OpenProjectByName("win"));
    EXPECT_TRUE(RunProjectProgram());
    EXPECT_EQ(WaitForCalls(2).back(), "demo|" + pf::CurrentDirectory() + "|-w");

    // Without a project the debugger's program runs, never through conrun.
    ASSERT_TRUE(CloseCurrentProject());
    EXPECT_EQ(ExpandMacros("$EXE$"), " ");
    settings.debuggerExeName = "out/demo.exe";
    settings.debuggerArguments = "plain";
    settings.debuggerDir = work + "/RUN";  // found whatever the letter case
    asked = 0;
    gProjectUpToDateCheck = [&asked] {
        ++asked;
        return false;
    };
    EXPECT_TRUE(RunProjectProgram());
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(WaitForCalls(3).back(), "demo|" + run + "|plain");

    settings.debuggerDir = work + "/nowhere";
    EXPECT_FALSE(RunProjectProgram());
    EXPECT_EQ(ui.Texts().back(), "Directory " + work + "/nowhere doesn't exist");
    EXPECT_EQ(WaitForCalls(0).size(), 3u);  // refused before anything was started
}

}  // namespace
}  // namespace velt::testing
