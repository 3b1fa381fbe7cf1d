// The "Project" page of the configuration sheet: what it shows, the values it refuses, what it
// stores, and the settings and project saved when the sheet closes while a project is open.
#include "project/project_page.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "project/project_commands.h"
#include "project/project_menu.h"
#include "project_fixture.h"
#include "recording_documents.h"
#include "shell/strutil.h"

namespace velt::testing {
namespace {

using Strings = std::vector<std::string>;

class ProjectPageTest : public ProjectTest {
  protected:
    void SetUp() override {
        ProjectTest::SetUp();
        platform::SetCurrentDirectory(work);
        make = dir.Write("work/tools/GMake.EXE", "#!/bin/sh\n");
        ::chmod(make.c_str(), 0755);
        platform::CreateDirectory(work + "/out");
        platform::CreateDirectory(work + "/src");
    }
    void TearDown() override {
        settings.saveEnabled = false;
        CloseCurrentProject();
        ProjectTest::TearDown();
    }
    // The page loaded for the open project, with the fields typed as given.
    ProjectPage Typed(const std::string& makeCommand, const std::string& makeDir,
                      const std::string& errorFile, const std::string& sourcesDir) {
        ProjectPage page;
        page.Load(ctx);
        page.makeCommand = makeCommand;
        page.makeDir = makeDir;
        page.errorFile = errorFile;
        page.sourcesDir = sourcesDir;
        return page;
    }

    RecordingDocuments docs;
    std::string make;
    ConfigContext ctx{settings, root};
};

TEST_F(ProjectPageTest, ShowsTheProjectOrThatThereIsNone) {
    ProjectPage page;
    page.Load(ctx);
    for (const std::string* text :
         {&page.projectName, &page.projectType, &page.outputFile, &page.programArguments,
          &page.makeCommand, &page.errorFile, &page.makeDir, &page.sourcesDir})
        EXPECT_EQ(*text, "No project defined");
    EXPECT_TRUE(page.Validate(ctx));
    EXPECT_TRUE(page.Apply(ctx));
    EXPECT_FALSE(ProjectSheetState().projectOpen);

    WriteProject("demo", "MakeName=" + make + " -s\nMakeDir=" + work +
                             "/out\nCompilerFlags=1024\nDebuggerArguments=-v\nSourcesDir=" + work +
                             "/src\nErrorFile=demo.err\n");
    ASSERT_TRUE(OpenProjectByName("demo"));
    page.Load(ctx);
    EXPECT_EQ(page.projectName, "demo");
    EXPECT_EQ(page.projectType, "Library");
    EXPECT_EQ(page.outputFile, "<not defined>");
    EXPECT_EQ(page.programArguments, "-v");
    EXPECT_EQ(page.makeCommand, make + " -s");
    EXPECT_EQ(page.makeDir, work + "/out");
    EXPECT_EQ(page.errorFile, "demo.err");
    EXPECT_EQ(page.sourcesDir, work + "/src");

    // The sheet gets the project's pages, the link page as the librarian's.
    const SheetState state = ProjectSheetState();
    EXPECT_TRUE(state.projectOpen);
    EXPECT_TRUE(state.libraryTarget);
    ConfigContext withProject(settings, root);
    withProject.sheet = state;
    ConfigSheet sheet(withProject);
    ASSERT_GE(sheet.size(), 2u);
    EXPECT_EQ(sheet.title(1), "Project");
    EXPECT_NE(sheet.Find<ProjectPage>(), nullptr);
}

TEST_F(ProjectPageTest, RefusesWhatCannotWorkAndStoresTheRest) {
    WriteProject("demo", "MakeName=make\nMakeDir=" + work + "/out\n");
    ASSERT_TRUE(OpenProjectByName("demo"));
    const Project& p = CurrentProject();

    EXPECT_FALSE(Typed("nosuchmake -f x", "", "", "").Validate(ctx));
    EXPECT_EQ(ui.Texts().back(), "File nosuchmake not found!");
    // A bare name finds the program with ".EXE" after it, in any letter case.
    EXPECT_TRUE(Typed(work + "/tools/gmake -f x", "", "", "").Validate(ctx));
    EXPECT_FALSE(Typed("", "", "", "").Validate(ctx));
    EXPECT_FALSE(Typed(make, work + "/nowhere", "", "").Validate(ctx));
    EXPECT_EQ(ui.Texts().back(), "Directory " + work + "/nowhere doesn't exist");
    EXPECT_FALSE(Typed(make, "", "out.Exe.err", "").Validate(ctx));
    EXPECT_EQ(ui.Texts().back(), "Message file name out.Exe.err incorrect");
    EXPECT_FALSE(Typed(make, "", "", work + "/gone").Validate(ctx));
    EXPECT_EQ(ui.Texts().back(), "Directory " + work + "/gone doesn't exist");
    EXPECT_EQ(p.make->makeName, "make");  // nothing refused was stored

    ProjectPage page = Typed(make + " -s", work + "/out", "build.err", work + "/src");
    ASSERT_TRUE(page.Validate(ctx));
    ASSERT_TRUE(page.Apply(ctx));
    EXPECT_EQ(p.make->makeName, make + " -s");
    EXPECT_EQ(p.make->makeDir, AsciiUpper(work + "/out"));
    EXPECT_EQ(p.errorFile, "build.err");
    EXPECT_EQ(p.sourcesDir, work + "/src");
    EXPECT_TRUE(ctx.projectChanged);

    // The upper-cased directory still names the directory; stored again, nothing changed.
    ctx.projectChanged = false;
    page.Load(ctx);
    ASSERT_TRUE(page.Validate(ctx));
    ASSERT_TRUE(page.Apply(ctx));
    EXPECT_FALSE(ctx.projectChanged);
}

TEST_F(ProjectPageTest, AProjectWithoutMakeSettingsMayLeaveThemEmpty) {
    WriteProject("demo", "");
    ASSERT_TRUE(OpenProjectByName("demo"));
    ProjectPage page;
    page.Load(ctx);
    EXPECT_EQ(page.makeCommand, "");
    ASSERT_TRUE(page.Validate(ctx));
    ASSERT_TRUE(page.Apply(ctx));
    EXPECT_FALSE(CurrentProject().make);
    EXPECT_FALSE(ctx.projectChanged);

    page.makeCommand = make;
    ASSERT_TRUE(page.Validate(ctx));
    ASSERT_TRUE(page.Apply(ctx));
    ASSERT_TRUE(CurrentProject().make);
    EXPECT_EQ(CurrentProject().make->makeName, make);
}

TEST_F(ProjectPageTest, ConfirmingTheSheetSavesTheSettingsAndTheProject) {
    ClearSettingsParts();
    InstallProjects(settings);
    const std::string prj = WriteProject("demo", "MakeName=make\n");
    ASSERT_TRUE(OpenProjectByName("demo"));
    settings.saveEnabled = true;
    ConfigContext open(settings, root);
    open.sheet = ProjectSheetState();
    {
        ConfigSheet sheet(open);
        ProjectPage* page = sheet.Find<ProjectPage>();
        ASSERT_NE(page, nullptr);
        page->makeCommand = make;
        page->makeDir = work + "/out";
        ASSERT_TRUE(sheet.Confirm());
    }
    EXPECT_NE(Read(prj).find("MakeDir=" + AsciiUpper(work + "/out") + "\n"), std::string::npos)
        << Read(prj);
    platform::ProfileForgetCache();
    EXPECT_EQ(platform::ProfileGetString(root + "/lib/velt.prj", "velt", "CurrentProject", ""),
              "demo");

    // Cancelled, nothing is stored or written.
    const std::string before = Read(prj);
    {
        ConfigSheet sheet(open);
        sheet.Find<ProjectPage>()->makeDir = work;
        sheet.Cancel();
    }
    EXPECT_EQ(CurrentProject().make->makeDir, AsciiUpper(work + "/out"));
    EXPECT_EQ(Read(prj), before);
    UninstallProjects();
    ClearSettingsParts();
}

}  // namespace
}  // namespace velt::testing
