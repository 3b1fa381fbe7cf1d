#include "platform/user_store.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/files.h"
#include "platform/profile_store.h"
#include "scoped_env.h"
#include "temp_dir.h"

namespace pf = velt::platform;
using velt::testing::TempDir;

using velt::testing::ScopedEnv;

namespace {

const std::string kCompiler = "Software\\nimra\\Compiler";
const std::string kLinker = "Software\\nimra\\nimralnk";

}  // namespace

TEST(UserStorePath, FollowsTheConfigurationDirectory) {
    TempDir t;  // points XDG_CONFIG_HOME at t/.config
    EXPECT_EQ(pf::UserStorePath(), t / ".config/nimra/registry.ini");

    ScopedEnv home("HOME", t / "home");
    ScopedEnv unset("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(pf::UserStorePath(), t / "home/.config/nimra/registry.ini");

    // Without HOME the user's entry of the system's user list says where home is, as the
    // name service does.
    ScopedEnv noHome("HOME", std::nullopt);
    const struct passwd* pw = ::getpwuid(::getuid());
    ASSERT_NE(pw, nullptr);
    const std::string dir = pw->pw_dir && *pw->pw_dir ? pw->pw_dir : "/";
    EXPECT_EQ(pf::UserStorePath(), (dir == "/" ? "" : dir) + "/.config/nimra/registry.ini");
}

TEST(UserStoreValues, WriteCreatesTheStoreAndReadsBack) {
    TempDir t;
    std::string out = "untouched";
    EXPECT_FALSE(pf::UserStoreRead(kCompiler, "includepath", out)) << "no store yet";
    EXPECT_EQ(out, "untouched");

    int error = -1;
    ASSERT_TRUE(pf::UserStoreWrite(kCompiler, "includepath", "/opt/nimra\\include", &error));
    EXPECT_EQ(error, 0);
    ASSERT_TRUE(pf::UserStoreWrite(kLinker, "libpath", "/opt/nimra\\lib"));
    EXPECT_TRUE(pf::IsRegularFile(t / ".config/nimra/registry.ini"));

    ASSERT_TRUE(pf::UserStoreRead(kCompiler, "includepath", out));
    EXPECT_EQ(out, "/opt/nimra\\include");
    // Key paths and value names ignore letter case, as registry names do.
    ASSERT_TRUE(pf::UserStoreRead("SOFTWARE\\NIMRA\\compiler", "IncludePath", out));
    EXPECT_EQ(out, "/opt/nimra\\include");
    ASSERT_TRUE(pf::UserStoreRead(kLinker, "libpath", out));
    EXPECT_EQ(out, "/opt/nimra\\lib");

    EXPECT_FALSE(pf::UserStoreRead(kCompiler, "libpath", out)) << "values stay in their key";
    EXPECT_FALSE(pf::UserStoreRead("Software\\nimra\\Other", "includepath", out));

    ASSERT_TRUE(pf::UserStoreWrite(kCompiler, "INCLUDEPATH", "/new\\include"));
    ASSERT_TRUE(pf::UserStoreRead(kCompiler, "includepath", out));
    EXPECT_EQ(out, "/new\\include");
    EXPECT_EQ(pf::ProfileKeys(pf::UserStorePath(), kCompiler).size(), 1u);
}

TEST(UserStoreValues, EmptyAndPaddedValuesSurvive) {
    TempDir t;
    ASSERT_TRUE(pf::UserStoreWrite(kCompiler, "includepath", ""));
    std::string out = "stale";
    ASSERT_TRUE(pf::UserStoreRead(kCompiler, "includepath", out)) << "empty is not missing";
    EXPECT_EQ(out, "");
    EXPECT_FALSE(pf::UserStoreRead(kCompiler, "libpath", out));

    for (std::string v : {" /with blanks\\include ", "\"quoted\"", "'single'", "\"", "a=b;c"}) {
        ASSERT_TRUE(pf::UserStoreWrite(kCompiler, "includepath", v)) << v;
        ASSERT_TRUE(pf::UserStoreRead(kCompiler, "includepath", out)) << v;
        EXPECT_EQ(out, v);
    }
}

TEST(UserStoreValues, RefusesWhatTheFileCannotHold) {
    TempDir t;
    int error = 0;
    EXPECT_FALSE(pf::UserStoreWrite(kCompiler, "includepath", "x\n[Other]\nlibpath=y", &error));
    EXPECT_EQ(error, EINVAL);
    EXPECT_FALSE(pf::UserStoreWrite(kCompiler, "a=b", "x", &error));
    EXPECT_FALSE(pf::UserStoreWrite("bad]key", "v", "x", &error));
    EXPECT_FALSE(pf::PathExists(pf::UserStorePath()));
}

TEST(UserStoreValues, ReportsTheSystemErrorWhenTheStoreCannotBeMade) {
    TempDir t;
    t.Write(".config", "a file where the directory should be");
    int error = 0;
    EXPECT_FALSE(pf::UserStoreWrite(kCompiler, "includepath", "/x\\include", &error));
    EXPECT_EQ(error, ENOTDIR);
}
