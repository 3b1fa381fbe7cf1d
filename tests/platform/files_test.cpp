#include "platform/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

#include "temp_dir.h"

namespace pf = velt::platform;
using velt::testing::TempDir;

namespace {

mode_t ModeOf(const std::string& path) {
    struct stat st;
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

std::vector<std::string> Names(const std::string& dir) {
    std::vector<pf::DirEntry> entries;
    EXPECT_TRUE(pf::ListDirectory(dir, entries));
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name);
    return names;
}

// Restores the working directory for tests that change it.
class CwdGuard {
  public:
    CwdGuard() : old_(pf::CurrentDirectory()) {}
    ~CwdGuard() { pf::SetCurrentDirectory(old_); }

  private:
    std::string old_;
};

}  // namespace

TEST(FilesResolveName, FindsNamesWhoseLetterCaseDiffers) {
    TempDir t;
    t.Write("hello.c", "x");
    t.Write("Src/Lib/Util.C", "y");
    EXPECT_EQ(pf::ResolveName(t / "HELLO.C"), t / "hello.c");
    EXPECT_EQ(pf::ResolveName(t / "SRC/lib/util.c"), t / "Src/Lib/Util.C");
    EXPECT_EQ(pf::ResolveName(t / "src/LIB"), t / "Src/Lib");

    CwdGuard cwd;
    ASSERT_TRUE(pf::SetCurrentDirectory(t.path()));
    EXPECT_EQ(pf::ResolveName("sRc/lib/UTIL.c"), "Src/Lib/Util.C");
    EXPECT_EQ(pf::ResolveName("./src/../HELLO.C"), "./Src/../hello.c");
}

TEST(FilesResolveName, ExactSpellingWinsThenByteOrder) {
    TempDir t;
    t.Write("Readme", "1");
    t.Write("readme", "2");
    t.Write("README", "3");
    EXPECT_EQ(pf::ResolveName(t / "Readme"), t / "Readme");
    EXPECT_EQ(pf::ResolveName(t / "readme"), t / "readme");
    // No exact match: "README" sorts before "Readme" and "readme".
    EXPECT_EQ(pf::ResolveName(t / "ReadMe"), t / "README");
}

TEST(FilesResolveName, KeepsMissingComponentsAsGiven) {
    TempDir t;
    t.Write("Src/main.c", "x");
    EXPECT_EQ(pf::ResolveName(t / "SRC/New/File.C"), t / "Src/New/File.C");
    EXPECT_EQ(pf::ResolveName(t / "src/MAIN.C/sub"), t / "Src/main.c/sub");
    EXPECT_EQ(pf::ResolveName(t / "nothing/at/ALL"), t / "nothing/at/ALL");
    EXPECT_EQ(pf::ResolveName(t / "SRC/"), t / "Src/");
    EXPECT_EQ(pf::ResolveName(""), "");
}

TEST(FilesResolveName, SameFileFollowsResolution) {
    TempDir t;
    std::string a = t.Write("hello.c", "x");
    std::string b = t.Write("other.c", "x");
    ASSERT_EQ(::link(a.c_str(), (t / "alias.c").c_str()), 0);
    EXPECT_TRUE(pf::SameFile(t / "HELLO.C", a));
    EXPECT_TRUE(pf::SameFile(t / "ALIAS.C", a));
    EXPECT_FALSE(pf::SameFile(a, b));
    EXPECT_FALSE(pf::SameFile(t / "missing.c", t / "missing.c"));
}

TEST(FilesAttributes, ReadOnlyMeansNoWriteBitForAnybody) {
    TempDir t;
    std::string f = t.Write("f.txt", "x");
    ASSERT_EQ(::chmod(f.c_str(), 0664), 0);
    EXPECT_FALSE(pf::IsReadOnly(f));
    EXPECT_TRUE(pf::CanWriteFile(f));

    ASSERT_TRUE(pf::SetReadOnly(f, true));
    EXPECT_EQ(ModeOf(f), 0444u);
    EXPECT_TRUE(pf::IsReadOnly(f));
    // Also for root, who could write the file anyway.
    EXPECT_FALSE(pf::CanWriteFile(f));

    ASSERT_TRUE(pf::SetReadOnly(f, false));
    EXPECT_EQ(ModeOf(f), 0644u);
    EXPECT_FALSE(pf::IsReadOnly(f));
    EXPECT_TRUE(pf::CanWriteFile(f));

    ASSERT_EQ(::chmod(f.c_str(), 0420), 0);
    EXPECT_FALSE(pf::IsReadOnly(f)) << "a group write bit is not read-only";
    EXPECT_FALSE(pf::SetReadOnly(t / "missing", true));

    // A new file needs an existing directory to go in.
    EXPECT_TRUE(pf::CanWriteFile(t / "new.txt"));
    EXPECT_FALSE(pf::CanWriteFile(t / "nodir/new.txt"));
    EXPECT_FALSE(pf::CanWriteFile(f + "/new.txt"));
    EXPECT_FALSE(pf::CanWriteFile(t.path())) << "a directory is not a writable file";
}

TEST(FilesReplace, ReplacesContentKeepingPermissionsAndLeavesNoTemporary) {
    TempDir t;
    std::string f = t.Write("doc.txt", "old contents that are longer");
    ASSERT_EQ(::chmod(f.c_str(), 0640), 0);
    ASSERT_TRUE(pf::ReplaceFileAtomically(f, "new", true));
    EXPECT_EQ(t.Read("doc.txt"), "new");
    EXPECT_EQ(ModeOf(f), 0640u);
    EXPECT_EQ(Names(t.path()), (std::vector<std::string>{"doc.txt"}));

    std::string data("a\0b\r\n", 5);
    ASSERT_TRUE(pf::ReplaceFileAtomically(t / "created.bin", data, false));
    std::string back;
    ASSERT_TRUE(pf::ReadWholeFile(t / "created.bin", back));
    EXPECT_EQ(back, data);
}

TEST(FilesReplace, WritesThroughSymbolicLinks) {
    TempDir t;
    t.Write("real/target.ini", "old");
    ASSERT_EQ(::symlink("real/target.ini", (t / "link.ini").c_str()), 0);
    ASSERT_TRUE(pf::ReplaceFileAtomically(t / "link.ini", "new", false));
    struct stat st;
    ASSERT_EQ(::lstat((t / "link.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link must stay a link";
    EXPECT_EQ(t.Read("real/target.ini"), "new");

    // A dangling link names the file to create.
    ASSERT_EQ(::symlink("real/later.ini", (t / "dangling.ini").c_str()), 0);
    ASSERT_TRUE(pf::ReplaceFileAtomically(t / "dangling.ini", "made", false));
    EXPECT_EQ(t.Read("real/later.ini"), "made");
}

TEST(FilesReplace, FailureLeavesTheOldFile) {
    TempDir t;
    std::string f = t.Write("doc.txt", "precious");

    // A full device: the file size limit makes the write fail, for root as well.
    struct rlimit old;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool ok = pf::ReplaceFileAtomically(f, std::string(100000, 'z'), false);
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_EQ(t.Read("doc.txt"), "precious");
    EXPECT_EQ(Names(t.path()), (std::vector<std::string>{"doc.txt"}));

    // A read-only file is not replaced, and neither is a directory.
    ASSERT_TRUE(pf::SetReadOnly(f, true));
    EXPECT_FALSE(pf::ReplaceFileAtomically(f, "changed", false));
    EXPECT_EQ(t.Read("doc.txt"), "precious");
    ASSERT_TRUE(pf::CreateDirectory(t / "dir"));
    EXPECT_FALSE(pf::ReplaceFileAtomically(t / "dir", "x", false));
    EXPECT_FALSE(pf::ReplaceFileAtomically(t / "doc.txt/sub", "x", false));
}

TEST(FilesMove, RenamesButNeverOverAnExistingFile) {
    TempDir t;
    std::string a = t.Write("a.c", "A");
    std::string b = t.Write("b.c", "B");
    EXPECT_FALSE(pf::MoveFile(a, b));
    EXPECT_EQ(t.Read("a.c"), "A");
    EXPECT_EQ(t.Read("b.c"), "B");

    ASSERT_TRUE(pf::MoveFile(a, t / "c.c"));
    EXPECT_FALSE(pf::PathExists(a));
    EXPECT_EQ(t.Read("c.c"), "A");
    EXPECT_FALSE(pf::MoveFile(t / "missing", t / "d.c"));
}

TEST(FilesMove, AcrossFileSystemsCopiesModeAndTime) {
    TempDir t;
    const std::string other = "/dev/shm";
    struct stat a, b;
    if (::stat(other.c_str(), &a) != 0 || ::stat(t.path().c_str(), &b) != 0 ||
        a.st_dev == b.st_dev || ::access(other.c_str(), W_OK) != 0)
        GTEST_SKIP() << "needs a second writable file system at " << other;

    std::string src = pf::CreateTempFile(other, "velt-move-");
    ASSERT_FALSE(src.empty());
    ASSERT_TRUE(pf::ReplaceFileAtomically(src, "payload", false));
    ASSERT_EQ(::chmod(src.c_str(), 0751), 0);
    struct timespec times[2] = {{1000, 0}, {1500000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, src.c_str(), times, 0), 0);

    ASSERT_TRUE(pf::MoveFile(src, t / "moved"));
    EXPECT_FALSE(pf::PathExists(src));
    EXPECT_EQ(t.Read("moved"), "payload");
    EXPECT_EQ(ModeOf(t / "moved"), 0751u);
    EXPECT_EQ(pf::ModificationTime(t / "moved"), std::int64_t{1500000000} * 1000000000);
}

TEST(FilesMove, CopyKeepsModeAndRespectsReadOnlyTargets) {
    TempDir t;
    std::string src = t.Write("src.sh", "#!/bin/sh\n");
    ASSERT_EQ(::chmod(src.c_str(), 0755), 0);
    ASSERT_TRUE(pf::CopyFile(src, t / "copy.sh"));
    EXPECT_EQ(t.Read("copy.sh"), "#!/bin/sh\n");
    EXPECT_EQ(ModeOf(t / "copy.sh"), 0755u);

    std::string ro = t.Write("ro.txt", "keep");
    ASSERT_TRUE(pf::SetReadOnly(ro, true));
    EXPECT_FALSE(pf::CopyFile(src, ro));
    EXPECT_EQ(t.Read("ro.txt"), "keep");
}

TEST(FilesPattern, StarQuestionMarkAndLetterCase) {
    EXPECT_TRUE(pf::FilePatternMatch("*.c", "MAIN.C"));
    EXPECT_TRUE(pf::FilePatternMatch("*.c", "a.b.c"));
    EXPECT_FALSE(pf::FilePatternMatch("*.c", "main.cpp"));
    EXPECT_FALSE(pf::FilePatternMatch("*.c", "main.c.bak"));
    EXPECT_TRUE(pf::FilePatternMatch("A?C", "abc"));
    EXPECT_FALSE(pf::FilePatternMatch("a?c", "ac"));
    EXPECT_FALSE(pf::FilePatternMatch("a?c", "abbc"));
    EXPECT_TRUE(pf::FilePatternMatch("*ab*ab", "xabyab"));
    EXPECT_FALSE(pf::FilePatternMatch("*ab*ab", "xaby"));
    EXPECT_TRUE(pf::FilePatternMatch("main.c", "Main.C"));
    EXPECT_FALSE(pf::FilePatternMatch("main.c", "main.cc"));
    EXPECT_TRUE(pf::FilePatternMatch("*", "anything"));
    // Only ASCII letters fold.
    EXPECT_FALSE(pf::FilePatternMatch("\xC4.c", "\xE4.c"));
}

TEST(FilesPattern, StarDotStarMatchesNamesWithoutExtension) {
    for (const char* name : {"Makefile", "a.b", "x.tar.gz", ".hidden", "trailing."})
        EXPECT_TRUE(pf::FilePatternMatch("*.*", name)) << name;
    EXPECT_TRUE(pf::FilePatternMatch("make.*", "MAKE"));
    EXPECT_TRUE(pf::FilePatternMatch("make.*", "make.exe"));
    EXPECT_FALSE(pf::FilePatternMatch("make.*", "maker"));
    EXPECT_FALSE(pf::FilePatternMatch("m*.*", "x.c"));
}

TEST(FilesPattern, ManyStarsStayFast) {
    std::string name(20000, 'a');
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(pf::FilePatternMatch("*a*a*a*a*a*a*a*a*a*a*b", name));
    EXPECT_TRUE(pf::FilePatternMatch("*a*a*a*a*a*a*a*a*a*a*", name));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(FilesDirectory, ListsSortedWithoutDotEntries) {
    TempDir t;
    t.Write("b.txt", "");
    t.Write("A.txt", "");
    t.Write("sub/x", "");
    ASSERT_EQ(::symlink("sub", (t / "link").c_str()), 0);
    std::vector<pf::DirEntry> entries;
    ASSERT_TRUE(pf::ListDirectory(t.path(), entries));
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name + (e.isDirectory ? "/" : ""));
    EXPECT_EQ(names, (std::vector<std::string>{"A.txt", "b.txt", "link/", "sub/"}));
    EXPECT_FALSE(pf::ListDirectory(t / "missing", entries));
    EXPECT_FALSE(pf::ListDirectory(t / "b.txt", entries));
}

TEST(FilesPaths, NameInTheRootKeepsTheRoot) {
    EXPECT_EQ(pf::DirectoryPart("/etc"), "/");
    EXPECT_EQ(pf::DirectoryPart("a/b/c.txt"), "a/b");
    EXPECT_EQ(pf::DirectoryPart("c.txt"), "");
}

TEST(FilesReadHead, ReadsUpToTheLimitWhateverTheSize) {
    TempDir t;
    // Sizes around the growth steps of the buffer and around the limit.
    const std::size_t limit = 10001;
    for (std::size_t size : {0u, 1u, 4095u, 4096u, 4097u, 8193u, 10000u, 10001u, 10002u, 250000u}) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + i % 23);
        const std::string f = t.Write("head.bin", bytes);
        std::string out = "left over";
        ASSERT_TRUE(pf::ReadFileHead(f, limit, out)) << size;
        EXPECT_EQ(out, bytes.substr(0, limit)) << size;
    }
    // A pipe or a directory by that name is refused at once instead of read.
    const std::string fifo = t / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string out;
    EXPECT_FALSE(pf::ReadFileHead(fifo, limit, out));
    EXPECT_FALSE(pf::ReadFileHead(t.path(), limit, out));
    EXPECT_FALSE(pf::ReadFileHead(t / "missing", limit, out));
}
