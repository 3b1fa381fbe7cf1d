#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "platform/files.h"
#include "platform/profile_store.h"
#include "platform/user_store.h"
#include "scripted_ui.h"
#include "shell/compiler_root.h"
#include "temp_dir.h"

namespace pf = velt::platform;
using velt::testing::ScriptedUi;
using velt::testing::TempDir;

namespace {

using Texts = std::vector<std::string>;

class CompilerRoot : public ::testing::Test {
  protected:
    void SetUp() override { pf::ProfileForgetCache(); }

    // A complete root: bin/nimra.exe and lib/kernel32.lib.
    std::string MakeRoot(const std::string& name) {
        t.Write(name + "/bin/nimra.exe", "exe");
        t.Write(name + "/lib/kernel32.lib", "");
        std::filesystem::create_directories(t / (name + "/include"));
        return t / name;
    }
    void SetIncludePath(const std::string& value) {
        ASSERT_TRUE(pf::UserStoreWrite(velt::kCompilerKeyPath, velt::kIncludePathValue, value));
    }
    std::string Stored(const char* keyPath, const char* value) {
        std::string out;
        return pf::UserStoreRead(keyPath, value, out) ? out : "<none>";
    }

    ScriptedUi ui;
    TempDir t;
};

TEST_F(CompilerRoot, RootIsTheIncludePathWithoutItsLastComponent) {
    std::string root;
    EXPECT_TRUE(velt::RootFromIncludePath("/opt/nimra/include", root));
    EXPECT_EQ(root, "/opt/nimra");
    EXPECT_TRUE(velt::RootFromIncludePath("/opt/nimra/include/", root));
    EXPECT_EQ(root, "/opt/nimra");
    EXPECT_TRUE(velt::RootFromIncludePath("/include", root));
    EXPECT_EQ(root, "");
    root = "kept";
    EXPECT_FALSE(velt::RootFromIncludePath("include", root));
    EXPECT_FALSE(velt::RootFromIncludePath("", root));
    EXPECT_EQ(root, "kept");

    EXPECT_EQ(velt::UnderRoot("/opt/nimra", "lib/velt.prj"), "/opt/nimra/lib/velt.prj");
    EXPECT_EQ(velt::UnderRoot("", "lib/velt.prj"), "lib/velt.prj");  // never the system's /lib
}

TEST_F(CompilerRoot, ReadingTheStoredLocation) {
    std::string root = "before";
    EXPECT_FALSE(velt::ReadCompilerLocation(root));  // nothing stored: silent
    EXPECT_FALSE(velt::LoadCompilerRootAtStartup(root));
    EXPECT_EQ(ui.Texts(),
              Texts{"Incorrect value for Include path in the registry\nKey: includePath"});
    EXPECT_EQ(root, "before");

    ui.Clear();
    SetIncludePath("C:include");
    EXPECT_FALSE(velt::ReadCompilerLocation(root));
    EXPECT_EQ(ui.Texts(), Texts{"Incorrect path for compiler in registry"});
    ui.Clear();
    EXPECT_FALSE(velt::LoadCompilerRootAtStartup(root));
    // One failure, one message.
    EXPECT_EQ(ui.Texts(),
              Texts{"Incorrect value for Include path in the registry\nKey: includePath"});
    EXPECT_EQ(root, "before");

    ui.Clear();
    SetIncludePath("/opt/nimra/include");
    EXPECT_EQ(velt::ReadCompilerLocation(root), std::optional<std::string>("/opt/nimra/include"));
    EXPECT_EQ(root, "/opt/nimra");
    root.clear();
    EXPECT_TRUE(velt::LoadCompilerRootAtStartup(root));
    EXPECT_EQ(root, "/opt/nimra");
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(CompilerRoot, ValidationOfANewRoot) {
    const std::string good = MakeRoot("good");
    EXPECT_TRUE(velt::ValidateRoot(good));
    EXPECT_TRUE(ui.boxes.empty());

    EXPECT_FALSE(velt::ValidateRoot(t / "missing"));
    // The file checks only run for a directory that exists.
    EXPECT_EQ(ui.Texts(), Texts{"Directory " + t / "missing" + " doesn't exist"});

    ui.Clear();
    std::filesystem::create_directories(t / "empty");
    EXPECT_FALSE(velt::ValidateRoot(t / "empty"));
    EXPECT_EQ(ui.Texts(), (Texts{"Can't find " + t / "empty" + "/bin/nimra.exe",
                                 "Can't find " + t / "empty" + "/lib/kernel32.lib"}));

    ui.Clear();
    t.Write("half/lib/kernel32.lib", "");
    std::filesystem::create_directories(t / "half/bin/nimra.exe");  // not a file
    EXPECT_FALSE(velt::ValidateRoot(t / "half"));
    EXPECT_EQ(ui.Texts(), Texts{"Can't find " + t / "half" + "/bin/nimra.exe"});
}

TEST_F(CompilerRoot, ChangingTheRootRecordsItForTheUser) {
    const std::string good = MakeRoot("good");
    std::string root = "/old";
    EXPECT_FALSE(velt::ChangeCompilerRoot(t / "nothing", root));
    EXPECT_EQ(root, "/old");
    EXPECT_EQ(Stored(velt::kCompilerKeyPath, "includepath"), "<none>");

    ui.Clear();
    EXPECT_TRUE(velt::ChangeCompilerRoot(good + "/", root));
    EXPECT_EQ(root, good);
    EXPECT_EQ(Stored(velt::kCompilerKeyPath, "includepath"), good + "/include");
    EXPECT_EQ(Stored(velt::kLinkerKeyPath, "libpath"), good + "/lib");
    EXPECT_TRUE(ui.boxes.empty());

    // The value read back names the same root.
    std::string again;
    EXPECT_TRUE(velt::LoadCompilerRootAtStartup(again));
    EXPECT_EQ(again, good);
}

TEST_F(CompilerRoot, FailedWriteIsReportedWithItsErrorCode) {
    const std::string good = MakeRoot("good");
    // The store's directory cannot be made where a file stands.
    t.Write(".config/nimra", "in the way");
    std::string root = "/old";
    EXPECT_FALSE(velt::ChangeCompilerRoot(good, root));
    EXPECT_EQ(root, "/old");
    ASSERT_EQ(ui.boxes.size(), 1u);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(ui.boxes[0].text, m,
                                 std::regex("Error (-?[0-9]+) writing to the registry")))
        << ui.boxes[0].text;
    EXPECT_NE(m[1].str(), "0");
}

TEST_F(CompilerRoot, DefaultRootOnlyForAUserWithoutOne) {
    EXPECT_TRUE(velt::RegisterDefaultRoot("/build/sdk-root"));
    EXPECT_EQ(Stored(velt::kCompilerKeyPath, "includepath"), "/build/sdk-root/include");
    EXPECT_EQ(Stored(velt::kLinkerKeyPath, "libpath"), "/build/sdk-root/lib");

    EXPECT_TRUE(velt::RegisterDefaultRoot("/elsewhere"));
    EXPECT_EQ(Stored(velt::kCompilerKeyPath, "includepath"), "/build/sdk-root/include");
    EXPECT_EQ(Stored(velt::kLinkerKeyPath, "libpath"), "/build/sdk-root/lib");
}

TEST_F(CompilerRoot, DirectoryCheckWithAndWithoutCreation) {
    const std::string cwd = pf::CurrentDirectory();
    std::filesystem::create_directories(t / "a");
    std::filesystem::create_directories(t / "b");
    EXPECT_TRUE(velt::CheckDirectory(t / "a" + ";" + t / "B" + ";", false));
    EXPECT_EQ(pf::CurrentDirectory(), cwd);  // entered to check, then left again
    EXPECT_TRUE(ui.boxes.empty());

    const std::string missing = t / "new";
    EXPECT_FALSE(velt::CheckDirectory(t / "a;" + missing, false));
    EXPECT_EQ(ui.Texts(), Texts{"Directory " + missing + " doesn't exist"});

    // Refused: nothing created, nothing after it checked.
    ui.Clear();
    ui.Answer(velt::kIdNo);
    EXPECT_FALSE(velt::CheckDirectory(missing + ";" + t / "other", true));
    EXPECT_EQ(ui.Texts(), Texts{"Directory " + missing + " does not exist. Create it?"});
    EXPECT_FALSE(pf::IsDirectory(missing));

    ui.Clear();
    ui.Answer(velt::kIdYes);
    EXPECT_TRUE(velt::CheckDirectory(missing, true));
    EXPECT_TRUE(pf::IsDirectory(missing));
    EXPECT_EQ(ui.boxes.size(), 1u);

    ui.Clear();
    t.Write("file", "x");
    ui.Answer(velt::kIdYes);
    EXPECT_FALSE(velt::CheckDirectory(t / "file/sub", true));
    EXPECT_EQ(ui.Texts(), (Texts{"Directory " + t / "file/sub" + " does not exist. Create it?",
                                 "Impossible to create " + t / "file/sub"}));
    EXPECT_EQ(pf::CurrentDirectory(), cwd);
}

TEST_F(CompilerRoot, NumberEntry) {
    int n = 99;
    EXPECT_TRUE(velt::ParseNumberEntry("42", n));
    EXPECT_EQ(n, 42);
    EXPECT_TRUE(velt::ParseNumberEntry("-7", n));
    EXPECT_EQ(n, -7);
    EXPECT_TRUE(velt::ParseNumberEntry("+007", n));
    EXPECT_EQ(n, 7);
    EXPECT_TRUE(velt::ParseNumberEntry("-2147483648", n));
    EXPECT_EQ(n, -2147483648LL);
    EXPECT_TRUE(ui.boxes.empty());

    n = 5;
    for (const char* bad : {"", "-", "+", "1a", "a1", " 1", "1 ", "1-2", "--1", "2147483648"}) {
        ui.Clear();
        EXPECT_FALSE(velt::ParseNumberEntry(bad, n)) << bad;
        EXPECT_EQ(ui.Texts(), Texts{std::string("Incorrect number '") + bad + "'"});
    }
    EXPECT_EQ(n, 5);
}

}  // namespace
