#include <gtest/gtest.h>

#include <regex>
#include <sys/stat.h>

#include "platform/files.h"
#include "scripted_ui.h"
#include "shell/dir_scan.h"
#include "shell/file_helpers.h"
#include "temp_dir.h"

using velt::testing::ScriptedUi;
using velt::testing::TempDir;

namespace {

TEST(FileHelpers, ExistsIsDirectoryAndLetterCase) {
    TempDir t;
    t.Write("src/hello.c", "int x;\n");
    EXPECT_EQ(velt::FileExists(t / "src/hello.c"), 0);
    EXPECT_EQ(velt::FileExists(t / "SRC/HELLO.C"), 0);
    EXPECT_EQ(velt::FileExists(t / "src/missing.c"), -1);
    EXPECT_EQ(velt::FileExists(t / "src"), -1);  // a directory is not a readable file
    EXPECT_TRUE(velt::IsDirectory(t / "Src"));
    EXPECT_FALSE(velt::IsDirectory(t / "src/hello.c"));
}

TEST(FileHelpers, ReadOnlyAndWritable) {
    ScriptedUi ui;
    TempDir t;
    std::string f = t.Write("a.c", "x");
    EXPECT_TRUE(velt::MakeReadOnly(t / "A.C"));
    struct stat st;
    ASSERT_EQ(stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0222, 0u);
    EXPECT_EQ(velt::MakeWritable(f), 1);
    ASSERT_EQ(stat(f.c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IWUSR, 0u);
    EXPECT_TRUE(ui.boxes.empty());

    EXPECT_EQ(velt::MakeWritable(t / "none.c"), 0);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Impossible to open " + (t / "none.c") + " for writing!");
    EXPECT_FALSE(velt::MakeReadOnly(t / "none.c"));
}

TEST(FileHelpers, MoveFile) {
    TempDir t;
    t.Write("a.c", "abc");
    EXPECT_EQ(velt::MoveFileAnyDrive(t / "a.c", t / "b.c"), 0);
    EXPECT_EQ(t.Read("b.c"), "abc");
    EXPECT_EQ(velt::FileExists(t / "a.c"), -1);
    EXPECT_EQ(velt::MoveFileAnyDrive(t / "a.c", t / "c.c"), -1);
}

TEST(FileHelpers, CreateOutputFileAsksBeforeOverwriting) {
    ScriptedUi ui;
    TempDir t;
    std::string f = t.Write("out.txt", "old");
    ui.Answer(velt::kIdNo);
    EXPECT_EQ(velt::CreateOutputFile(f), nullptr);
    EXPECT_EQ(t.Read("out.txt"), "old");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, f + " exists already. Erase it?");

    ui.Answer(velt::kIdYes);
    {
        velt::FilePtr out = velt::CreateOutputFile(f);
        ASSERT_NE(out, nullptr);
        std::fputs("new", out.get());
    }
    EXPECT_EQ(t.Read("out.txt"), "new");

    // A new file is not asked about; an impossible one says so.
    ui.Clear();
    EXPECT_NE(velt::CreateOutputFile(t / "fresh.txt"), nullptr);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(velt::CreateOutputFile(t / "out.txt/inner"), nullptr);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Error");
}

TEST(FileHelpers, TimeStampText) {
    std::string s = velt::TimeStampText();
    std::smatch m;
    ASSERT_TRUE(std::regex_match(s, m, std::regex(R"((\d{4})\.(\d+)\.(\d+)\.(\d+)\.(\d+)\.(\d+))")))
        << s;
    int month = std::stoi(m[2]);
    EXPECT_GE(month, 1);
    EXPECT_LE(month, 12);
    EXPECT_EQ(m[2].str()[0] == '0', false);  // no zero padding
}

TEST(DirScan, ListsMatchesAsFullPathsAndNests) {
    TempDir t;
    t.Write("p/a.c", "");
    t.Write("p/B.C", "");
    t.Write("p/c.h", "");
    t.Write("p/sub/d.c", "");
    t.Write("p/sub/e.c", "");

    std::vector<std::string> found;
    std::string path;
    for (bool ok = velt::DirScanFirst(t / "P/*.c", path); ok; ok = velt::DirScanNext(path)) {
        found.push_back(path);
        if (path.ends_with("a.c")) {
            // Descend into the sub-directories in the middle of the outer scan.
            velt::DirScanState saved = velt::DirScanSave();
            std::string inner;
            int n = 0;
            for (bool in = velt::DirScanFirst(t / "p/sub/*.c", inner); in;
                 in = velt::DirScanNext(inner))
                ++n;
            EXPECT_EQ(n, 2);
            velt::DirScanRestore(std::move(saved));
        }
    }
    velt::DirScanClose();
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], t / "p/B.C");
    EXPECT_EQ(found[1], t / "p/a.c");

    std::vector<std::string> dirs;
    for (bool ok = velt::DirScanFirstDirectory(t / "p/*", path); ok; ok = velt::DirScanNext(path))
        dirs.push_back(path);
    ASSERT_EQ(dirs.size(), 1u);
    EXPECT_EQ(dirs[0], t / "p/sub");
    EXPECT_FALSE(velt::DirScanFirst(t / "nowhere/*.c", path));
    EXPECT_FALSE(velt::DirScanNext(path));
}

TEST(DirScan, RelativePatternIsMadeAbsolute) {
    TempDir t;
    t.Write("q/x.c", "");
    std::string old = velt::platform::CurrentDirectory();
    ASSERT_TRUE(velt::platform::SetCurrentDirectory(t.path()));
    std::string path;
    EXPECT_TRUE(velt::DirScanFirst("q/*.c", path));
    EXPECT_EQ(path, t / "q/x.c");
    velt::platform::SetCurrentDirectory(old);
}

}  // namespace
