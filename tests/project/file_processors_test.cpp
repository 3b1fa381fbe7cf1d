// File processors: the default tool and output of a file, how a processor is found for a
// file, and the document information dialog that creates, changes and deletes them.
#include "project/file_processors.h"

#include <gtest/gtest.h>

#include "editor/document.h"
#include "editor/document_commands.h"
#include "project/project_commands.h"
#include "project/project_menu.h"
#include "project_fixture.h"
#include "shell/commands.h"
#include "shell/dispatch.h"

namespace velt::testing {
namespace {

using Strings = std::vector<std::string>;

constexpr char kNeedOutput[] =
    "You must enter the name of the output file that this processor will produce";

TEST(FileProcessorDefaults, ComeFromTheExtension) {
    EXPECT_EQ(DefaultProcessorTool("/w/dir.v2/Main.C"), "nimra.exe");
    EXPECT_EQ(DefaultProcessorOutput("/w/dir.v2/Main.C"), "main.obj");
    EXPECT_EQ(DefaultProcessorOutput("START.ASM"), "start.obj");
    EXPECT_EQ(DefaultProcessorTool("app.rc"), "nimrarc.exe");
    EXPECT_EQ(DefaultProcessorOutput("App.Rc"), "app.res");
    EXPECT_EQ(DefaultProcessorTool("calc.f"), "f2c.exe");
    EXPECT_EQ(DefaultProcessorOutput("calc.f"), "calc.obj");
    EXPECT_EQ(DefaultProcessorTool("x.obj"), "nimralnk.exe");
    EXPECT_EQ(DefaultProcessorOutput("x.obj"), "x.exe");
    EXPECT_EQ(DefaultProcessorTool("app.res"), "nimralnk.exe");
    EXPECT_EQ(DefaultProcessorOutput("app.res"), "");
    EXPECT_EQ(DefaultProcessorTool("gen.y"), "");
    EXPECT_EQ(DefaultProcessorOutput("gen.y"), "");
    // The directory's dot is no extension.
    EXPECT_EQ(DefaultProcessorTool("/w/v1.c/makefile"), "");

    EXPECT_TRUE(SameProjectFileName("/W/MAIN.C", "/w/main.c"));
    EXPECT_TRUE(SameProjectFileName("MAIN.C", "/w/main.c"));
    EXPECT_TRUE(SameProjectFileName("C:\\SRC\\MAIN.C", "/w/main.c"));
    EXPECT_FALSE(SameProjectFileName("MAIN.H", "/w/main.c"));
}

class DocumentInformation : public ProjectTest {
  protected:
    void SetUp() override {
        ProjectTest::SetUp();
        ReleaseAllDocuments();
        ForgetDocumentWindows();
        editorSettings.editorFlags = 0;
        InstallEditor(editorSettings);
        InstallProjectCommands();
        platform::SetCurrentDirectory(work);
    }
    void TearDown() override {
        settings.saveEnabled = false;
        ui.Answer(kIdNo);
        CloseCurrentProject();
        gDocumentInformationDialog = nullptr;
        UninstallProjectCommands();
        UninstallEditor();
        ReleaseAllDocuments();
        ForgetDocumentWindows();
        ProjectTest::TearDown();
    }
    // The record of `file` (opened in the editor) as the dialog gets it.
    DocumentInformationRecord Shown(const std::string& file) {
        EXPECT_TRUE(OpenFile(file));
        DocumentInformationRecord record;
        record.Load(*CurrentView());
        return record;
    }

    GlobalSettings editorSettings;
};

TEST_F(DocumentInformation, OnlyAProjectFileShowsItsProcessor) {
    const std::string other = dir.Write("work/other.c", "int o;\n");
    const std::string main = dir.Write("work/main.c", "int m;\n");
    const std::string prj = WriteProject("demo", "PrjFiles=1\nFile1=MAIN.C\n");
    ASSERT_TRUE(OpenProjectByName("demo"));

    DocumentInformationRecord r = Shown(other);
    EXPECT_EQ(r.title, "Information about '" + other + "'");
    EXPECT_EQ(r.text, FileInformationText(*CurrentView()));
    EXPECT_FALSE(r.projectFile);
    r.command = "cc";
    EXPECT_TRUE(r.Accept());
    EXPECT_TRUE(CurrentProject().fileProcessors.empty());

    // A project file shows its default tool; the same tool in other letters makes nothing.
    r = Shown(main);
    EXPECT_TRUE(r.projectFile);
    EXPECT_FALSE(r.hasProcessor);
    EXPECT_EQ(r.command + "|" + r.output, "nimra.exe|main.obj");
    r.command = "NIMRA.EXE";
    EXPECT_TRUE(r.Accept());
    EXPECT_TRUE(CurrentProject().fileProcessors.empty());

    // Another tool makes a processor, which needs an output.
    r.command = "cc -c";
    r.output = " ";
    EXPECT_FALSE(r.Accept());
    EXPECT_EQ(ui.Texts(), Strings{kNeedOutput});
    // '#' separates the stored parts: a command holding one would come back cut.
    r.command = "cc -c #x";
    r.output = "main.o";
    EXPECT_FALSE(r.Accept());
    EXPECT_TRUE(CurrentProject().fileProcessors.empty());
    r.command = "cc -c";
    EXPECT_TRUE(r.Accept());
    ASSERT_EQ(CurrentProject().fileProcessors.size(), 1u);
    EXPECT_EQ(CurrentProject().fileProcessors.front().file, main);

    // It is shown next time, changed in place, and saved with the project.
    r = Shown(main);
    EXPECT_TRUE(r.hasProcessor);
    EXPECT_EQ(r.command + "|" + r.output, "cc -c|main.o");
    r.command = "cc -O2 -c";
    r.output = "";
    ui.Clear();
    EXPECT_FALSE(r.Accept());
    EXPECT_EQ(ui.Texts(), Strings{kNeedOutput});
    r.output = "main2.o";
    EXPECT_TRUE(r.Accept());
    ASSERT_EQ(CurrentProject().fileProcessors.size(), 1u);
    EXPECT_EQ(CurrentProject().fileProcessors.front().command, "cc -O2 -c");
    EXPECT_TRUE(SaveProject());
    EXPECT_NE(
        Read(prj).find("NrOfFileProcessors=1\nFileProcessor1=" + main + "#cc -O2 -c#main2.o\n"),
        std::string::npos)
        << Read(prj);

    // An emptied command offers to delete it.
    r.command = "";
    ui.Clear();
    ui.Answer(kIdNo);
    EXPECT_TRUE(r.Accept());
    EXPECT_EQ(ui.Texts(), Strings{"Delete this file processor?"});
    EXPECT_EQ(CurrentProject().fileProcessors.size(), 1u);
    ui.Answer(kIdYes);
    EXPECT_TRUE(r.Accept());
    EXPECT_TRUE(CurrentProject().fileProcessors.empty());
}

TEST_F(DocumentInformation, TheCommandShowsTheDialogOrAPlainBox) {
    const std::string main = dir.Write("work/main.c", "int m;\n");
    WriteProject("demo", "PrjFiles=1\nFile1=MAIN.C\n");
    ASSERT_TRUE(OpenProjectByName("demo"));
    ASSERT_TRUE(OpenFile(main));
    const std::string text = FileInformationText(*CurrentView());

    // Without a dialog the text is shown in a box.
    EXPECT_EQ(DispatchCommand(kCmdFileInformation).status, DispatchStatus::Handled);
    EXPECT_EQ(ui.Texts(), Strings{text});

    std::vector<DocumentInformationRecord> dialogs;
    gDocumentInformationDialog = [&dialogs](DocumentInformationRecord& r) {
        dialogs.push_back(r);
        r.command = "as";
        r.output = "main.o";
        return r.Accept();
    };
    DispatchCommand(kCmdFileInformation);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_TRUE(dialogs[0].projectFile);
    EXPECT_EQ(dialogs[0].text, text);
    ASSERT_EQ(CurrentProject().fileProcessors.size(), 1u);
    EXPECT_EQ(CurrentProject().fileProcessors.front().command, "as");

    // Uninstalled, the editor shows its plain box again.
    UninstallProjectCommands();
    ui.Clear();
    DispatchCommand(kCmdFileInformation);
    EXPECT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(ui.Texts(), Strings{text});
}

}  // namespace
}  // namespace velt::testing
