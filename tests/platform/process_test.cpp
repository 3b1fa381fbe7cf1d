#include "platform/process.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/files.h"
#include "scoped_env.h"
#include "temp_dir.h"

namespace pf = velt::platform;
using velt::testing::TempDir;
using Args = std::vector<std::string>;

using velt::testing::ScopedEnv;

namespace {

std::string Script(const TempDir& t, const std::string& name, const std::string& body) {
    std::string path = t.Write(name, "#!/bin/sh\n" + body);
    EXPECT_EQ(::chmod(path.c_str(), 0755), 0);
    return path;
}

std::string RealPath(const std::string& path) {
    char buf[PATH_MAX];
    return ::realpath(path.c_str(), buf) ? buf : path;
}

bool WaitForFile(const std::string& path) {
    for (int i = 0; i < 500; ++i) {
        std::string s;
        if (pf::ReadWholeFile(path, s) && !s.empty() && s.back() == '\n') return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// Children of this process that have ended but were never waited for.
int ZombieChildren() {
    int count = 0;
    DIR* d = ::opendir("/proc");
    if (!d) return 0;
    while (struct dirent* e = ::readdir(d)) {
        std::ifstream f(std::string("/proc/") + e->d_name + "/stat");
        std::string line;
        if (!std::getline(f, line)) continue;
        // pid (comm) state ppid ...; comm may hold blanks, so read after the last ')'.
        std::istringstream rest(line.substr(line.rfind(')') + 1));
        char state = 0;
        long ppid = 0;
        rest >> state >> ppid;
        if (state == 'Z' && ppid == ::getpid()) ++count;
    }
    ::closedir(d);
    return count;
}

}  // namespace

TEST(ProcessSplit, BlanksSeparateOutsideQuotes) {
    EXPECT_EQ(pf::SplitCommandLine("make -f  makefile\tall"),
              (Args{"make", "-f", "makefile", "all"}));
    EXPECT_EQ(pf::SplitCommandLine("  lead and trail \t "), (Args{"lead", "and", "trail"}));
    EXPECT_EQ(pf::SplitCommandLine(""), Args{});
    EXPECT_EQ(pf::SplitCommandLine(" \t "), Args{});
    EXPECT_EQ(pf::SplitCommandLine("cc \"my file.c\" -o x"), (Args{"cc", "my file.c", "-o", "x"}));
    EXPECT_EQ(pf::SplitCommandLine("\"a\tb\""), Args{"a\tb"});
}

TEST(ProcessSplit, QuotesToggleInsideWordsAndEmptyQuotesCount) {
    EXPECT_EQ(pf::SplitCommandLine("-I\"C:\\My Dir\"\\inc x"), (Args{"-IC:\\My Dir\\inc", "x"}));
    EXPECT_EQ(pf::SplitCommandLine("a\"\"b"), Args{"ab"});
    EXPECT_EQ(pf::SplitCommandLine("a \"\" b"), (Args{"a", "", "b"}));
    EXPECT_EQ(pf::SplitCommandLine("\"\""), Args{""});
    EXPECT_EQ(pf::SplitCommandLine("x \"\""), (Args{"x", ""}));
    // Backslashes are ordinary: no escaping of quotes.
    EXPECT_EQ(pf::SplitCommandLine("a\\\"b c\" d"), (Args{"a\\b c", "d"}));
    EXPECT_EQ(pf::SplitCommandLine("C:\\dir\\ x"), (Args{"C:\\dir\\", "x"}));
    // An unterminated quote runs to the end, blanks included.
    EXPECT_EQ(pf::SplitCommandLine("run \"open end  "), (Args{"run", "open end  "}));
}

TEST(ProcessRun, ReturnsExitCodesAndSignals) {
    EXPECT_EQ(pf::RunAndWait("/bin/sh -c \"exit 0\""), 0);
    EXPECT_EQ(pf::RunAndWait("/bin/sh -c \"exit 3\""), 3);
    EXPECT_EQ(pf::RunAndWait("/bin/sh -c \"exit 127\""), 127);
    EXPECT_EQ(pf::RunAndWait("/bin/sh -c \"kill -TERM $$\""), 128 + 15);
    EXPECT_EQ(pf::RunAndWait("sh -c \"exit 5\""), 5) << "found on the PATH";
}

TEST(ProcessRun, CannotStartGivesMinusOne) {
    TempDir t;
    EXPECT_EQ(pf::RunAndWait("/nonexistent/program"), -1);
    EXPECT_EQ(pf::RunAndWait("velt-no-such-program-anywhere"), -1);
    EXPECT_EQ(pf::RunAndWait(""), -1);
    EXPECT_EQ(pf::RunAndWait("\"\""), -1);
    std::string plain = t.Write("plain", "not a program");
    ASSERT_EQ(::chmod(plain.c_str(), 0644), 0);
    EXPECT_EQ(pf::RunAndWait(plain), -1);
    pf::RunOptions o;
    o.directory = t / "missing";
    EXPECT_EQ(pf::RunAndWait("/bin/true", o), -1);
    o.directory.clear();
    o.stdoutFile = t / "nodir/out.txt";
    EXPECT_EQ(pf::RunAndWait("/bin/true", o), -1);
    EXPECT_FALSE(pf::StartDetached("/nonexistent/program"));
}

TEST(ProcessRun, PassesArgumentsUnchanged) {
    TempDir t;
    std::string s = Script(t, "args.sh", "for a in \"$@\"; do echo \"[$a]\"; done > \"$0.out\"\n");
    ASSERT_EQ(pf::RunAndWait(s + " \"a b\" \"\" c\\d \"q\"uote"), 0);
    EXPECT_EQ(t.Read("args.sh.out"), "[a b]\n[]\n[c\\d]\n[quote]\n");
}

TEST(ProcessRun, AppliesWorkingDirectoryAfterFindingTheProgram) {
    TempDir t;
    Script(t, "bin/where.exe", "pwd > where.txt\n");
    ASSERT_TRUE(pf::CreateDirectory(t / "work"));
    std::string old = pf::CurrentDirectory();
    ASSERT_TRUE(pf::SetCurrentDirectory(t.path()));
    pf::RunOptions o;
    o.directory = t / "WORK";  // resolved like every other name
    // Relative to our directory, not the child's; letter case ignored; ".exe" supplied.
    int rc = pf::RunAndWait("BIN/Where", o);
    pf::SetCurrentDirectory(old);
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(t.Read("work/where.txt"), RealPath(t / "work") + "\n");
}

TEST(ProcessRun, RedirectsOutputStreams) {
    TempDir t;
    std::string cmd = "/bin/sh -c \"echo fine; echo oops >&2\"";
    t.Write("err.txt", "old content that must go away\n");
    pf::RunOptions o;
    o.stderrFile = t / "ERR.TXT";
    o.stdoutFile = t / "out.txt";
    ASSERT_EQ(pf::RunAndWait(cmd, o), 0);
    EXPECT_EQ(t.Read("err.txt"), "oops\n");
    EXPECT_EQ(t.Read("out.txt"), "fine\n");

    o.stdoutFile = o.stderrFile = t / "both.txt";
    ASSERT_EQ(pf::RunAndWait(cmd, o), 0);
    EXPECT_EQ(t.Read("both.txt"), "fine\noops\n");
}

TEST(ProcessRun, HiddenReadsNothingAndGroupIsItsOwn) {
    TempDir t;
    std::string s = Script(t, "ids.sh",
                           "cat > \"$0.in\"\n"
                           "set -- $(cut -d' ' -f5 /proc/$$/stat)\n"
                           "[ \"$1\" = \"$$\" ] && echo own || echo $1\n");
    pf::RunOptions o;
    o.hidden = true;
    o.stdoutFile = t / "group.txt";
    ASSERT_EQ(pf::RunAndWait(s, o), 0);
    EXPECT_EQ(t.Read("ids.sh.in"), "");
    EXPECT_EQ(t.Read("group.txt"), "own\n");

    o.newProcessGroup = false;
    ASSERT_EQ(pf::RunAndWait(s, o), 0);
    EXPECT_EQ(t.Read("group.txt"), std::to_string(::getpgrp()) + "\n");
}

TEST(ProcessDetached, StartsInOwnSessionAndIsReaped) {
    TempDir t;
    std::string s = Script(t, "detached.sh",
                           "set -- $(cut -d' ' -f6 /proc/$$/stat)\n"
                           "[ \"$1\" = \"$$\" ] && echo leader > \"$0.out\" || echo $1 > "
                           "\"$0.out\"\n");
    ASSERT_TRUE(pf::StartDetached(s));
    ASSERT_TRUE(WaitForFile(s + ".out"));
    EXPECT_EQ(t.Read("detached.sh.out"), "leader\n");
    int zombies = 0;
    for (int i = 0; i < 200 && (zombies = ZombieChildren()) > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(zombies, 0);

    pf::RunOptions o;
    o.directory = t.path();
    o.stdoutFile = t / "said.txt";
    ASSERT_TRUE(pf::StartDetached("/bin/sh -c \"echo hi; pwd > pwd.txt\"", o));
    ASSERT_TRUE(WaitForFile(t / "pwd.txt"));
    EXPECT_EQ(t.Read("pwd.txt"), RealPath(t.path()) + "\n");
    EXPECT_EQ(t.Read("said.txt"), "hi\n");
}

TEST(ProcessFind, SearchesThePathAndAddsExe) {
    TempDir t;
    Script(t, "first/tool", "");
    Script(t, "second/tool", "");
    Script(t, "second/nimra.exe", "");
    t.Write("first/data", "not executable");
    Script(t, "second/data", "");
    ScopedEnv path("PATH", t / "first" + ":" + t / "second");

    EXPECT_EQ(pf::FindProgram("tool"), t / "first/tool");
    EXPECT_EQ(pf::FindProgram("data"), t / "second/data") << "non-executables are skipped";
    EXPECT_EQ(pf::FindProgram("nimra"), t / "second/nimra.exe");
    EXPECT_EQ(pf::FindProgram("nimra.com"), "") << "a name with an extension is not extended";
    EXPECT_EQ(pf::FindProgram("missing"), "");

    EXPECT_EQ(pf::FindProgram(t / "SECOND/NIMRA"), t / "second/nimra.exe");
    EXPECT_EQ(pf::FindProgram(t / "first"), "") << "a directory is no program";
}
