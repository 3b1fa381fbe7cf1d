#include "project/projects_table.h"

#include <gtest/gtest.h>

#include "project_fixture.h"

namespace velt::testing {
namespace {

using Names = std::deque<std::string>;

using ProjectTable = ProjectTest;

TEST_F(ProjectTable, AMissingTableIsCreatedOnceAndTheUserIsTold) {
    EXPECT_FALSE(ReadProjectsTable(false));
    EXPECT_FALSE(platform::PathExists(TableFile()));

    ASSERT_TRUE(ReadProjectsTable(true));
    EXPECT_EQ(Read(TableFile()), "[Projects]\n");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "First time use.\nCreating projects table in " + TableFile());
    EXPECT_EQ(ui.boxes[0].caption, "Information");
    EXPECT_EQ(ProjectsTableEntries(), 0);

    ASSERT_TRUE(ReadProjectsTable(true));
    EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(ProjectTable, EveryLineButCommentsAndHeadersIsAnEntryAndNamesComeNewestFirst) {
    Table(
        "; comment=no\n[Projects]\nalpha=/a/alpha.prj\nno equals sign\n\n"
        "Beta = /b/beta.prj\r\nalpha=/other.prj\n[More]\ngamma=/g.prj");
    ASSERT_TRUE(ReadProjectsTable(false));
    EXPECT_EQ(ProjectNames(), (Names{"gamma", "Beta", "alpha"}));
    // The line without '=' and the empty one count, the second alpha too.
    EXPECT_EQ(ProjectsTableEntries(), 6);

    AddProjectName("alpha");
    AddProjectName("delta");
    EXPECT_EQ(ProjectNames(), (Names{"delta", "gamma", "Beta", "alpha"}));
    EXPECT_EQ(ProjectsTableEntries(), 7);
    RemoveProjectName("Beta");
    EXPECT_EQ(ProjectNames(), (Names{"delta", "gamma", "alpha"}));
}

TEST_F(ProjectTable, RegisteringWritesTheEntryAndAHeaderOnlyIntoANewFile) {
    Table("[Projects]\n");
    ASSERT_TRUE(RegisterProject("demo", work));
    const std::string prj = work + "/demo.prj";
    EXPECT_EQ(Read(TableFile()), "[Projects]\ndemo=" + prj + "\n");
    EXPECT_EQ(Read(prj), "; Velt project file. Syntax: Name = value\n[demo]\n");
    // Lookups ignore letter case, as the profile calls do.
    EXPECT_EQ(ProjectFileOf("DEMO"), prj);
    EXPECT_EQ(ProjectFileOf("other"), std::nullopt);

    dir.Write("work/demo.prj", "; Velt project file. Syntax: Name = value\n[demo]\nExe=a\n");
    ASSERT_TRUE(RegisterProject("demo", work));
    EXPECT_EQ(Read(prj), "; Velt project file. Syntax: Name = value\n[demo]\nExe=a\n");

    ASSERT_TRUE(UnregisterProject("demo"));
    EXPECT_EQ(Read(TableFile()), "[Projects]\n");
    EXPECT_TRUE(platform::PathExists(prj));
    // A name that cannot be a key is refused before anything is written.
    EXPECT_FALSE(RegisterProject("a=b", work));
    EXPECT_FALSE(platform::PathExists(work + "/a=b.prj"));
}

TEST_F(ProjectTable, AnImportedHeaderIsComparedWithoutCaseAndNamesItsProject) {
    EXPECT_EQ(ProjectNameFromHeader("; VELT PROJECT FILE. Syntax\r\n[Hello World]\r\nName=x"),
              "Hello World");
    EXPECT_EQ(ProjectNameFromHeader("; velt \n[ spaced ]"), "spaced");
    EXPECT_EQ(ProjectNameFromHeader("; Veltx project\n[a]"), std::nullopt);
    EXPECT_EQ(ProjectNameFromHeader(";Velt project\n[a]"), std::nullopt);
    EXPECT_EQ(ProjectNameFromHeader("; Velt"), std::nullopt);
    EXPECT_EQ(ProjectNameFromHeader("; Velt project file\nName=a\n"), std::nullopt);
    EXPECT_EQ(ProjectNameFromHeader("; Velt project file\n[unclosed\n"), std::nullopt);
    EXPECT_EQ(ProjectNameFromHeader("; Velt project file\n[]\n"), std::nullopt);
    EXPECT_EQ(ProjectNameFromHeader("; Velt project file\n[a=b]\n"), std::nullopt);
}

}  // namespace
}  // namespace velt::testing
