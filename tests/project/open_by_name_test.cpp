#include "project/open_by_name.h"

#include <gtest/gtest.h>

#include "editor/document.h"
#include "editor/document_commands.h"
#include "programs_fixture.h"
#include "project/utilities.h"
#include "shell/commands.h"
#include "shell/dispatch.h"
#include "shell/output_pane.h"
#include "shell/settings.h"

namespace velt::testing {
namespace {

namespace pf = velt::platform;
using Strings = std::vector<std::string>;

class OpenByNameTest : public ProgramsTest {
  protected:
    void SetUp() override {
        ProgramsTest::SetUp();
        ReleaseAllDocuments();
        ForgetDocumentWindows();
        FrameOutputPane().Reset();
        pf::SetCurrentDirectory(dir.path());
        settings.editorFlags = 0;
        InstallEditor(settings);
        InstallUtilities(root);
        FrameCommands().SetStateSource([this] {
            FrameState s;
            s.resourceEditorActive = resourceEditorActive;
            return s;
        });
    }
    void TearDown() override {
        FrameCommands().SetStateSource(nullptr);
        UninstallUtilities();
        UninstallEditor();
        ForgetDocumentWindows();
        ReleaseAllDocuments();
        FrameOutputPane().Reset();
        ProgramsTest::TearDown();
    }

    // File Open with `name` chosen; the windows opened.
    Strings Open(const std::string& name) {
        ui.windowCalls.clear();
        ui.chosenFiles = {name};
        DispatchCommand(kCmdOpen);
        return ui.windowCalls;
    }

    GlobalSettings settings;
    bool resourceEditorActive = false;
};

TEST_F(OpenByNameTest, TheNameChoosesTheAction) {
    EXPECT_EQ(OpenActionFor("/p/app.rc"), OpenAction::AskResource);
    EXPECT_EQ(OpenActionFor("/p/APP.Rc2"), OpenAction::AskResource);  // contained, not ending
    EXPECT_EQ(OpenActionFor("/p/app.res"), OpenAction::ResourceEditor);
    EXPECT_EQ(OpenActionFor("/p/dlg.WED"), OpenAction::ResourceEditor);
    for (const char* name : {"/p/a.obj", "/p/a.DLL", "/p/a.ocx", "/p/libc.Lib"})
        EXPECT_EQ(OpenActionFor(name), OpenAction::ImageSummary) << name;
    for (const char* name : {"/p/a.bmp", "/p/a.CUR", "/p/a.ico"})
        EXPECT_EQ(OpenActionFor(name), OpenAction::IconEditor) << name;
    // In table order: ".RC" is tested before ".OBJ".
    EXPECT_EQ(OpenActionFor("/p/x.rc.obj"), OpenAction::AskResource);
    // Only the file's own name counts, not the directories it lies in.
    EXPECT_EQ(OpenActionFor("/home/u/.library/main.c"), OpenAction::Text);
    EXPECT_EQ(OpenActionFor("/p/hello.prj"), OpenAction::Text);
}

TEST_F(OpenByNameTest, ResourceFiles) {
    const std::string rc = dir.Write("app.rc", "1 ICON x.ico\r\n");
    const std::string library = root + "/bin/veltrdll.dll";
    // No: opened as text.
    ui.Answer(kIdNo);
    EXPECT_EQ(Open(rc), Strings{"open app.rc"});
    EXPECT_EQ(ui.Texts(), Strings{"Open as resource file?"});

    // Yes: the resource editor, which this host cannot load; the file opens nowhere else.
    ui.Clear();
    ui.Answer(kIdYes);
    EXPECT_TRUE(Open(dir.Write("b.rc", "")).empty());
    EXPECT_EQ(ui.Texts(), (Strings{"Open as resource file?", "Impossible to load " + library +
                                                                 "\nResource editor willl not "
                                                                 "be available"}));
    ui.Clear();
    EXPECT_TRUE(Open(dir.Write("app.res", "")).empty());
    EXPECT_EQ(ui.Texts(), Strings{"Impossible to load " + library +
                                  "\nResource editor willl not be available"});

    // While the resource editor is open a script is not offered to it.
    resourceEditorActive = true;
    ui.Clear();
    EXPECT_EQ(Open(dir.Write("c.rc", "")), Strings{"open c.rc"});
    EXPECT_TRUE(ui.Texts().empty());
    EXPECT_TRUE(Open(dir.Write("d.wed", "")).empty());
    EXPECT_EQ(ui.Texts(), Strings{"Resource editor is active.\nClose it first"});
}

TEST_F(OpenByNameTest, ObjectFilesAreSummarisedInTheBuildPage) {
    const std::string temp = dir / "tmp";
    ASSERT_TRUE(pf::CreateDirectory(temp));
    ScopedEnv tmpdir("TMPDIR", temp);
    FrameOutputPane().Append(kBuildPage, "old line");
    const std::string obj = dir.Write("hello.obj", "");
    EXPECT_TRUE(Open(obj).empty());
    const Strings calls = Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].rfind("imgdump|/summary /out:" + temp + "/", 0), 0u) << calls[0];
    EXPECT_EQ(calls[0].substr(calls[0].size() - obj.size() - 1), " " + obj);
    EXPECT_EQ(FrameOutputPane().Lines(kBuildPage), (Strings{"Summary of " + obj, "  .text 120"}));
    EXPECT_EQ(FrameOutputPane().ActivePage(), kBuildPage);
    // The temporary file is gone.
    std::vector<pf::DirEntry> left;
    ASSERT_TRUE(pf::ListDirectory(temp, left));
    EXPECT_TRUE(left.empty());

    // Lines longer than 255 characters go on in the next line; nothing is lost.
    const std::string longLine(300, 'x');
    EXPECT_EQ(SummaryLines("a\r\n" + longLine + "\n\nb"),
              (Strings{"a", std::string(255, 'x'), std::string(45, 'x'), "", "b"}));

    // Without imgdump the pane keeps what it showed.
    const std::string noRoot = dir / "empty";
    SetProgramRoot(&noRoot);
    EXPECT_FALSE(ShowImageSummary(obj));
    EXPECT_EQ(FrameOutputPane().Lines(kBuildPage).size(), 2u);
    EXPECT_EQ(ui.beeps, 1);
}

TEST_F(OpenByNameTest, ImagesGoToTheIconEditorOtherFilesOpenAsText) {
    const std::string ico = dir.Write("app.ico", "");
    EXPECT_TRUE(Open(ico).empty());
    EXPECT_EQ(WaitForCalls(1), Strings{"iconedit|" + ico});
    EXPECT_EQ(Open(dir.Write("main.c", "int x;\r\n")), Strings{"open main.c"});
    // The project file is left to OpenFile, which tries it as a project: no text window.
    EXPECT_TRUE(Open(dir.Write("hello.prj", "[x]\r\n")).empty());
}

}  // namespace
}  // namespace velt::testing
