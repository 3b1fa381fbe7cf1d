#include "shell/startup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/environment.h"
#include "platform/files.h"
#include "platform/profile_store.h"
#include "recording_documents.h"
#include "scoped_env.h"
#include "scripted_ui.h"
#include "shell/compiler_root.h"
#include "shell/strutil.h"
#include "temp_dir.h"

namespace pf = velt::platform;
using velt::FramePlacement;
using velt::StartupOutcome;
using velt::StartupState;
using velt::testing::RecordingDocuments;
using velt::testing::ScopedCurrentDirectory;
using velt::testing::ScopedEnv;
using velt::testing::ScriptedUi;
using velt::testing::TempDir;
using Names = std::vector<std::string>;

namespace {

std::string Canonical(const std::string& p) {
    return std::filesystem::canonical(p).string();
}

class RecordingHooks : public velt::StartupHooks {
  public:
    bool CreateFrame(const FramePlacement& p) override {
        calls.push_back("CreateFrame");
        placement = p;
        return frameOk;
    }
    void ShowSplash() override { calls.push_back("ShowSplash"); }
    void CloseSplash() override { calls.push_back("CloseSplash"); }
    void OpenProject(const std::string& name) override { calls.push_back("OpenProject " + name); }
    void OpenLastProject() override { calls.push_back("OpenLastProject"); }
    void ShowFrame() override { calls.push_back("ShowFrame"); }
    void AttachDebugger(std::uint32_t pid, std::uint64_t event) override {
        calls.push_back("AttachDebugger " + std::to_string(pid) + " " + std::to_string(event));
    }
    void StartAutosave() override { calls.push_back("StartAutosave"); }
    void StopAutosave() override { calls.push_back("StopAutosave"); }

    bool Called(const std::string& call) const {
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }

    Names calls;
    FramePlacement placement;
    bool frameOk = true;
};

class Startup : public ::testing::Test {
  protected:
    void SetUp() override {
        base = Canonical(t.path());
        root = base + "/root";
        start = base + "/start";
        work = base + "/work";
        for (const std::string& d : {root + "/lib", root + "/bin", start, work})
            std::filesystem::create_directories(d);
        ASSERT_TRUE(velt::RegisterDefaultRoot(root));
        t.Write("start/a.c", "");
        t.Write("work/old.c", "");
        t.Write("work/with blank.c", "");
        pf::SetCurrentDirectory(start);
        pf::ProfileForgetCache();
    }

    void WriteSettings(const std::string& keys) {
        t.Write("root/lib/velt.prj", "[velt]\n" + keys);
        pf::ProfileForgetCache();
    }

    // A stored session: placement, working directory, three files of which one is untitled.
    void WriteStoredSession(const std::string& more = "") {
        std::string keys = "FrameX=10\nFrameY=20\nFrameCX=800\nFrameCY=600\nFrameZoomed=1\n";
        keys += "CurrentDir=" + work + "\n";
        keys += "OpenFiles=3\n";
        keys += "OpenFile1=" + work + "/old.c 12 0 0 400 300\n";
        keys += "OpenFile2=UNTITLED 1 0 0 400 300\n";
        keys += "OpenFile3=" + work + "/with blank.c 3 1 2 3 4\n";
        WriteSettings(keys + more);
    }

    StartupOutcome Run(const std::string& line) { return velt::RunStartup(st, hooks, line); }

    TempDir t;
    ScopedEnv runtime{"XDG_RUNTIME_DIR", t.path()};
    ScopedEnv path{"PATH", std::string("/usr/bin:/bin")};
    ScopedCurrentDirectory keepCwd;
    ScriptedUi ui;
    RecordingDocuments docs;
    RecordingHooks hooks;
    StartupState st;
    std::string base, root, start, work;
};

TEST_F(Startup, FirstStartRestoresTheLastSession) {
    WriteStoredSession();
    ASSERT_EQ(Run(""), StartupOutcome::Run);
    EXPECT_FALSE(st.options.anotherInstance);
    EXPECT_TRUE(st.instance.listening());
    EXPECT_EQ(st.root, root);
    EXPECT_EQ(st.startDirectory, start);
    EXPECT_EQ(st.startDirectoryUpper, velt::AsciiUpper(start));

    EXPECT_FALSE(st.frame.useDefault);
    EXPECT_EQ(st.frame.x, 10);
    EXPECT_EQ(st.frame.cy, 600);
    EXPECT_TRUE(st.frame.maximised);
    EXPECT_EQ(pf::CurrentDirectory(), work);
    EXPECT_EQ(docs.opened, (Names{work + "/old.c", work + "/with blank.c"}));
    EXPECT_EQ(docs.maximised, 0);
    EXPECT_EQ(hooks.calls,
              (Names{"CreateFrame", "ShowSplash", "OpenLastProject", "ShowFrame", "CloseSplash"}));
    EXPECT_TRUE(st.settings.saveEnabled);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(Startup, SecondInstanceStartsPlain) {
    WriteStoredSession("EditorFlags=111\n");
    velt::ShellInstance first;
    ASSERT_FALSE(first.Start());

    ASSERT_EQ(Run(""), StartupOutcome::Run);
    EXPECT_TRUE(st.options.anotherInstance);
    EXPECT_FALSE(st.instance.listening());
    EXPECT_TRUE(st.frame.useDefault);
    EXPECT_FALSE(st.frame.maximised);
    EXPECT_TRUE(docs.opened.empty());
    EXPECT_FALSE(hooks.Called("OpenLastProject"));
    EXPECT_FALSE(hooks.Called("StartAutosave"));
    // It still keeps its settings when it closes.
    EXPECT_TRUE(st.settings.saveEnabled);
}

TEST_F(Startup, CommandLineFilesReplaceTheSession) {
    WriteStoredSession();
    ASSERT_EQ(Run("A.C"), StartupOutcome::Run);
    EXPECT_EQ(docs.opened, Names{start + "/a.c"});
    EXPECT_EQ(docs.maximised, 1);
    EXPECT_FALSE(st.options.restoreSession);
    EXPECT_FALSE(st.options.saveSession);
    EXPECT_FALSE(st.settings.saveEnabled);
    EXPECT_FALSE(hooks.Called("OpenLastProject"));
    // Found from where the user started, though the stored directory was entered first.
    EXPECT_EQ(pf::CurrentDirectory(), start);
}

TEST_F(Startup, SwitchesWithoutFiles) {
    WriteStoredSession();
    ASSERT_EQ(Run("-w"), StartupOutcome::Run);
    EXPECT_FALSE(hooks.Called("ShowSplash"));
    EXPECT_FALSE(hooks.Called("CloseSplash"));
    EXPECT_TRUE(docs.opened.empty());
    EXPECT_FALSE(hooks.Called("OpenLastProject"));
    EXPECT_FALSE(st.settings.saveEnabled);
}

TEST_F(Startup, ProjectFromTheCommandLine) {
    WriteStoredSession();
    ASSERT_EQ(Run("/prj:MyProj"), StartupOutcome::Run);
    EXPECT_TRUE(hooks.Called("OpenProject myproj"));
    EXPECT_FALSE(hooks.Called("OpenLastProject"));
    EXPECT_TRUE(docs.opened.empty());
}

TEST_F(Startup, AttachStartsLikeAnotherInstance) {
    WriteStoredSession("EditorFlags=111\n");
    ASSERT_EQ(Run("/p 123 /e 45"), StartupOutcome::Run);
    EXPECT_TRUE(st.frame.useDefault);
    EXPECT_TRUE(hooks.Called("AttachDebugger 123 45"));
    EXPECT_FALSE(hooks.Called("StartAutosave"));
    EXPECT_TRUE(docs.opened.empty());
    EXPECT_FALSE(st.settings.saveEnabled);
}

TEST_F(Startup, AutosaveRunsForAFirstInstanceOnly) {
    WriteSettings("EditorFlags=111\n");
    ASSERT_EQ(Run(""), StartupOutcome::Run);
    EXPECT_TRUE(hooks.Called("StartAutosave"));
    const std::string socket = pf::InstanceSocketPath();
    EXPECT_TRUE(pf::PathExists(socket));

    velt::RunShutdown(st, hooks);
    EXPECT_EQ(hooks.calls.back(), "StopAutosave");
    EXPECT_FALSE(pf::PathExists(socket));
    EXPECT_FALSE(pf::InstanceRunning());
}

TEST_F(Startup, MissingWorkingDirectoryFallsBackToTheStart) {
    WriteSettings("CurrentDir=" + base + "/gone\n");
    ASSERT_EQ(Run(""), StartupOutcome::Run);
    EXPECT_EQ(ui.Texts(), Names{"Directory " + base + "/gone doesn't exist"});
    EXPECT_EQ(pf::CurrentDirectory(), start);

    // An empty value is no error.
    ui.Clear();
    pf::SetCurrentDirectory(work);
    EXPECT_FALSE(velt::RestoreWorkingDirectory("", start));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(pf::CurrentDirectory(), start);
}

TEST_F(Startup, FrameThatCannotBeMadeEndsTheStart) {
    WriteStoredSession();
    hooks.frameOk = false;
    EXPECT_EQ(Run("a.c"), StartupOutcome::Exit);
    EXPECT_TRUE(docs.opened.empty());
    EXPECT_EQ(hooks.calls, Names{"CreateFrame"});
}

TEST_F(Startup, SettingsAreWrittenBackOnlyWhenTheSessionIsKept) {
    WriteStoredSession();
    const std::string file = root + "/lib/velt.prj";
    const std::string before = t.Read("root/lib/velt.prj");
    velt::SaveContext ctx;
    ctx.frameCX = 1024;
    ctx.frameCY = 700;

    ASSERT_EQ(Run("a.c"), StartupOutcome::Run);
    EXPECT_TRUE(velt::SaveSettingsAtClose(st, ctx));
    EXPECT_EQ(t.Read("root/lib/velt.prj"), before);

    StartupState second;
    velt::RunShutdown(st, hooks);
    pf::SetCurrentDirectory(start);
    ASSERT_EQ(velt::RunStartup(second, hooks, ""), StartupOutcome::Run);
    pf::SetCurrentDirectory(start);
    EXPECT_TRUE(velt::SaveSettingsAtClose(second, ctx));
    pf::ProfileForgetCache();
    EXPECT_EQ(pf::ProfileGetString(file, "velt", "FrameCX", ""), "1024");
    EXPECT_EQ(pf::ProfileGetString(file, "velt", "CurrentDir", ""), start);
}

TEST(StartupRules, FramePlacement) {
    velt::GlobalSettings s;
    s.frameX = 5;
    s.frameY = 6;
    s.frameCX = 700;
    s.frameCY = 500;
    FramePlacement p = velt::ComputeFramePlacement(s, false);
    EXPECT_FALSE(p.useDefault);
    EXPECT_EQ(p.cx, 700);
    EXPECT_FALSE(p.maximised);
    EXPECT_TRUE(velt::ComputeFramePlacement(s, true).useDefault);

    for (auto change : {+[](velt::GlobalSettings& g) { g.frameX = -1; },
                        +[](velt::GlobalSettings& g) { g.frameY = -3; },
                        +[](velt::GlobalSettings& g) { g.frameCX = 0; },
                        +[](velt::GlobalSettings& g) { g.frameCY = 0; }}) {
        velt::GlobalSettings g = s;
        change(g);
        EXPECT_TRUE(velt::ComputeFramePlacement(g, false).useDefault);
    }
    s.frameZoomed = 1;
    EXPECT_TRUE(velt::ComputeFramePlacement(s, false).maximised);
    EXPECT_FALSE(velt::ComputeFramePlacement(s, true).maximised);
}

TEST(StartupRules, SessionEntryNames) {
    EXPECT_EQ(velt::SessionEntryName("/src/with blank.c 3 1 2 3 4"), "/src/with blank.c");
    EXPECT_EQ(velt::SessionEntryName("/src/a.c 12 -4 0 400 300"), "/src/a.c");
    EXPECT_EQ(velt::SessionEntryName("/src/plain.c"), "/src/plain.c");
    EXPECT_EQ(velt::SessionEntryName("/src/v 2 3"), "/src/v 2 3");
    EXPECT_EQ(velt::SessionEntryName("1 2 3 4 5"), "1 2 3 4 5");
}

TEST(StartupRules, CompilerPathIsPrependedOnce) {
    ScopedEnv path("PATH", std::string("/usr/bin:/opt/nimra/bin"));
    EXPECT_TRUE(velt::PrependCompilerPath("/opt/n"));
    EXPECT_EQ(pf::GetEnvironment("PATH"), "/opt/n/bin:/usr/bin:/opt/nimra/bin");
    EXPECT_FALSE(velt::PrependCompilerPath("/opt/n/"));
    EXPECT_FALSE(velt::PrependCompilerPath("/opt/nimra"));
    EXPECT_EQ(pf::GetEnvironment("PATH"), "/opt/n/bin:/usr/bin:/opt/nimra/bin");

    // No empty entry (the current directory) from an empty PATH; nothing without a root.
    ScopedEnv empty("PATH", std::string());
    EXPECT_TRUE(velt::PrependCompilerPath("/r"));
    EXPECT_EQ(pf::GetEnvironment("PATH"), "/r/bin");
    EXPECT_FALSE(velt::PrependCompilerPath(""));
    EXPECT_EQ(pf::GetEnvironment("PATH"), "/r/bin");
}

}  // namespace
