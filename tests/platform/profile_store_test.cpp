#include "platform/profile_store.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "temp_dir.h"

namespace velt::platform {
namespace {

using velt::testing::TempDir;

std::string Get(const ProfileText& t, std::string_view section, std::string_view key) {
    std::string v;
    return t.Get(section, key, v) ? v : "<missing>";
}

TEST(ProfileTextTest, ReadsWithProfileRules) {
    ProfileText t;
    t.Parse(
        "top=before any header\r\n"
        "[Colors]\r\n"
        "  Back  =   blue  \r\n"
        "fore=\"  red \"\r\n"
        "mixed='x\"\r\n"
        "single='one'\r\n"
        "alone=\"\r\n"
        "; hidden=comment\r\n"
        "   ;also=comment\r\n"
        "no equals sign\r\n"
        "empty=\r\n"
        "a=b=c\r\n"
        "Back=second\r\n"
        "[ Fonts \r\n"
        "size=10\r\n"
        "[COLORS]\r\n"
        "late=shadowed\r\n");
    EXPECT_EQ(Get(t, "colors", "BACK"), "blue");
    EXPECT_EQ(Get(t, "Colors", "fore"), "  red ");
    EXPECT_EQ(Get(t, "Colors", "mixed"), "'x\"");
    EXPECT_EQ(Get(t, "Colors", "single"), "one");
    EXPECT_EQ(Get(t, "Colors", "alone"), "\"");
    EXPECT_EQ(Get(t, "Colors", "empty"), "");
    EXPECT_EQ(Get(t, "Colors", "a"), "b=c");
    EXPECT_EQ(Get(t, "Colors", "hidden"), "<missing>");
    EXPECT_EQ(Get(t, "Colors", ";also"), "<missing>");
    EXPECT_EQ(Get(t, "Colors", "no equals sign"), "<missing>");
    // Only the first of duplicate sections counts.
    EXPECT_EQ(Get(t, "Colors", "late"), "<missing>");
    // A header without ']' runs to the end of the line.
    EXPECT_EQ(Get(t, "fonts", "size"), "10");
    // Lines before the first header belong to no section, not even the unnamed one.
    EXPECT_EQ(Get(t, "", "top"), "<missing>");

    EXPECT_EQ(t.Sections(), (std::vector<std::string>{"Colors", "Fonts"}));
    EXPECT_EQ(t.Keys("COLORS"),
              (std::vector<std::string>{"Back", "fore", "mixed", "single", "alone", "empty", "a"}));
    EXPECT_TRUE(t.Keys("nowhere").empty());
}

TEST(ProfileTextTest, ReplacesInPlaceKeepingEveryOtherByte) {
    const std::string before = "; settings\r\n[Main]\r\n  Width =  80 ; wide\r\nheight=25\r\n\r\n";
    ProfileText t;
    t.Parse(before);
    std::string v = "132";
    EXPECT_TRUE(t.Set("MAIN", "width", &v));
    EXPECT_EQ(t.Serialize(), "; settings\r\n[Main]\r\nWidth=132\r\nheight=25\r\n\r\n");
    // Writing the value a key already has leaves its line alone.
    v = "25";
    EXPECT_FALSE(t.Set("main", "HEIGHT", &v));
    EXPECT_EQ(t.Serialize(), "; settings\r\n[Main]\r\nWidth=132\r\nheight=25\r\n\r\n");
}

TEST(ProfileTextTest, AddsKeysAfterTheLastKeyAndSectionsAtTheEnd) {
    ProfileText t;
    t.Parse("[a]\nx=1\n; note\n\n[b]\n[a]\nx=dup\n");
    std::string v = "2";
    EXPECT_TRUE(t.Set("A", "y", &v));
    EXPECT_EQ(t.Serialize(), "[a]\nx=1\ny=2\n; note\n\n[b]\n[a]\nx=dup\n");
    v = "3";
    EXPECT_TRUE(t.Set("b", "z", &v));
    EXPECT_EQ(t.Serialize(), "[a]\nx=1\ny=2\n; note\n\n[b]\nz=3\n[a]\nx=dup\n");
    v = "4";
    EXPECT_TRUE(t.Set("New", "k", &v));
    EXPECT_EQ(t.Serialize(), "[a]\nx=1\ny=2\n; note\n\n[b]\nz=3\n[a]\nx=dup\n[New]\nk=4\n");
    EXPECT_EQ(Get(t, "new", "K"), "4");
}

TEST(ProfileTextTest, NewLinesFollowTheFilesTerminators) {
    ProfileText t;
    std::string v = "1";
    // No final newline: the last line gets one before anything follows it.
    t.Parse("[a]\r\nx=0");
    EXPECT_TRUE(t.Set("a", "y", &v));
    EXPECT_EQ(t.Serialize(), "[a]\r\nx=0\r\ny=1\r\n");
    t.Parse("[a]\nx=0");
    EXPECT_TRUE(t.Set("b", "y", &v));
    EXPECT_EQ(t.Serialize(), "[a]\nx=0\n[b]\ny=1\n");
    // The first terminated line decides, whatever follows.
    t.Parse("[a]\nx=0\r\n");
    EXPECT_TRUE(t.Set("a", "y", &v));
    EXPECT_EQ(t.Serialize(), "[a]\nx=0\r\ny=1\n");
    // A header as the unterminated last line.
    t.Parse("[a]");
    EXPECT_TRUE(t.Set("a", "y", &v));
    EXPECT_EQ(t.Serialize(), "[a]\r\ny=1\r\n");
    t.Parse("");
    EXPECT_TRUE(t.Set("s", "k", &v));
    EXPECT_EQ(t.Serialize(), "[s]\r\nk=1\r\n");
}

TEST(ProfileTextTest, RemovesKeysAndSections) {
    ProfileText t;
    t.Parse("[a]\nk=1\nK=2\nother=3\n[b]\nq=1\n; b's comment\n[A]\nk=late\n[c]\n");
    EXPECT_TRUE(t.Set("a", "k", nullptr));
    // The duplicate that was hidden is now the key.
    EXPECT_EQ(Get(t, "a", "k"), "2");
    EXPECT_TRUE(t.Set("a", "k", nullptr));
    EXPECT_EQ(Get(t, "a", "k"), "<missing>");
    EXPECT_FALSE(t.Set("a", "k", nullptr));
    EXPECT_FALSE(t.Set("none", "k", nullptr));
    EXPECT_EQ(t.Serialize(), "[a]\nother=3\n[b]\nq=1\n; b's comment\n[A]\nk=late\n[c]\n");

    // Removing the last key of a section: the next new key still goes into that section.
    EXPECT_TRUE(t.Set("a", "other", nullptr));
    std::string v = "n";
    EXPECT_TRUE(t.Set("a", "fresh", &v));
    EXPECT_EQ(t.Serialize(), "[a]\nfresh=n\n[b]\nq=1\n; b's comment\n[A]\nk=late\n[c]\n");

    EXPECT_TRUE(t.RemoveSection("B"));
    EXPECT_EQ(t.Serialize(), "[a]\nfresh=n\n[A]\nk=late\n[c]\n");
    EXPECT_TRUE(t.RemoveSection("a"));
    // The later section of the same name takes its place.
    EXPECT_EQ(Get(t, "a", "k"), "late");
    EXPECT_EQ(t.Sections(), (std::vector<std::string>{"A", "c"}));
    EXPECT_TRUE(t.RemoveSection("a"));
    EXPECT_FALSE(t.RemoveSection("a"));
    EXPECT_EQ(t.Serialize(), "[c]\n");
}

TEST(ProfileTextTest, ValuesReadBackAsWritten) {
    ProfileText t;
    t.Parse("[s]\n");
    for (std::string v : {"  padded  ", "\"quoted\"", "'single'", "\"", "", "a \"b\" c", "\t"}) {
        t.Set("s", "k", &v);
        EXPECT_EQ(Get(t, "s", "k"), v);
        ProfileText again;
        again.Parse(t.Serialize());
        EXPECT_EQ(Get(again, "s", "k"), v);
    }
}

TEST(ProfileTextTest, RefusesEntriesThatWouldNotReadBack) {
    ProfileText t;
    t.Parse("[s]\nk=1\n");
    std::string injected = "x\n[evil]\nk=2";
    EXPECT_FALSE(t.Set("s", "k", &injected));
    std::string v = "v";
    EXPECT_FALSE(t.Set("s", "a=b", &v));
    EXPECT_FALSE(t.Set("s", ";k", &v));
    EXPECT_FALSE(t.Set("s", " k", &v));
    EXPECT_FALSE(t.Set("s", "", &v));
    EXPECT_FALSE(t.Set("s]x", "k", &v));
    EXPECT_FALSE(t.Set("s\r", "k", &v));
    EXPECT_EQ(t.Serialize(), "[s]\nk=1\n");
}

TEST(ProfileTextBadInputTest, AnyBytesSurviveAndOneWriteTouchesOneLine) {
    std::string nul("[a]\nk=x\0y\n\0\0\0\n[b\0]\n", 20);
    std::string longLine(100000, 'q');
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919) % 256);
    const std::string inputs[] = {
        nul,
        "[a]\n" + longLine + "\nk=" + longLine + "\n[" + longLine,
        garbage,
        "[a]\r\nk=1\nj=2\r\n\r\r\n\n[b]\nm=3",
        "]]]\n[[[\n===\n[\n=\n;\n",
    };
    for (const std::string& in : inputs) {
        ProfileText t;
        t.Parse(in);
        EXPECT_EQ(t.Serialize(), in);
        std::vector<std::pair<std::string, std::string>> entries;
        for (const std::string& s : t.Sections())
            for (const std::string& k : t.Keys(s)) entries.emplace_back(s, k);
        for (const auto& [s, k] : entries) {
            std::string v = "new";
            if (!ProfileText::CanStore(s, k, &v)) continue;
            t.Parse(in);
            ASSERT_TRUE(t.Set(s, k, &v));
            EXPECT_EQ(Get(t, s, k), "new");
            // Exactly the key's line changed; everything before and after it is intact.
            std::string after = t.Serialize();
            std::size_t prefix = 0;
            while (prefix < in.size() && prefix < after.size() && in[prefix] == after[prefix])
                ++prefix;
            std::size_t suffix = 0;
            while (suffix < in.size() - prefix && suffix < after.size() - prefix &&
                   in[in.size() - 1 - suffix] == after[after.size() - 1 - suffix])
                ++suffix;
            std::string_view changed(after.data() + prefix, after.size() - prefix - suffix);
            EXPECT_EQ(changed.find('\n'), std::string_view::npos);
        }
    }
    ProfileText t;
    t.Parse(nul);
    EXPECT_EQ(Get(t, "a", "k"), std::string("x\0y", 3));
    std::string v = "1";
    ASSERT_TRUE(t.Set("a", "j", &v));
    EXPECT_EQ(t.Serialize(), std::string("[a]\nk=x\0y\nj=1\n\0\0\0\n[b\0]\n", 24));
}

// ---- Files on disk ----

class ProfileFileTest : public ::testing::Test {
  protected:
    void SetUp() override { ProfileForgetCache(); }
    void TearDown() override { ProfileForgetCache(); }

    static ino_t Inode(const std::string& path) {
        struct stat st;
        return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
    }
    std::vector<std::string> DirNames() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            if (e.path().filename() != ".config") names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // Replaces the file the way another program saving it would, within the same tick of
    // the clock, so that only the file's identity tells the change.
    void ReplaceBehindOurBack(const std::string& name, const std::string& bytes) {
        std::string temp = dir.Write(name + ".other", bytes);
        struct stat st;
        ASSERT_EQ(::stat((dir / name).c_str(), &st), 0);
        struct timespec times[2] = {st.st_atim, st.st_mtim};
        ASSERT_EQ(::utimensat(AT_FDCWD, temp.c_str(), times, 0), 0);
        ASSERT_EQ(std::rename(temp.c_str(), (dir / name).c_str()), 0);
    }

    TempDir dir;
};

TEST_F(ProfileFileTest, MissingThingsReadTheirDefaults) {
    std::string path = dir / "none.ini";
    EXPECT_EQ(ProfileGetString(path, "s", "k", "dflt"), "dflt");
    EXPECT_EQ(ProfileGetNumber(path, "s", "k", -3), -3);
    EXPECT_TRUE(ProfileSections(path).empty());
    dir.Write("one.ini", "[s]\nk=v\n");
    EXPECT_EQ(ProfileGetString(dir / "one.ini", "s", "other", "d"), "d");
    EXPECT_EQ(ProfileGetString(dir / "one.ini", "t", "k", "d"), "d");
    EXPECT_EQ(ProfileGetString(dir / "one.ini", "S", "K", "d"), "v");
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(ProfileFileTest, NumbersReadLikeAtol) {
    std::string path = dir.Write("n.ini",
                                 "[n]\na= 12abc\nb=abc\nc=-5\nd=+7\ne=\nf=\"\t-0042\"\n"
                                 "g=99999999999999999999999\nh=-99999999999999999999999\ni=- 3\n");
    EXPECT_EQ(ProfileGetNumber(path, "n", "a", 1), 12);
    EXPECT_EQ(ProfileGetNumber(path, "n", "b", 1), 0);
    EXPECT_EQ(ProfileGetNumber(path, "n", "c", 1), -5);
    EXPECT_EQ(ProfileGetNumber(path, "n", "d", 1), 7);
    EXPECT_EQ(ProfileGetNumber(path, "n", "e", 1), 0);
    EXPECT_EQ(ProfileGetNumber(path, "n", "f", 1), -42);
    EXPECT_EQ(ProfileGetNumber(path, "n", "g", 1), LONG_MAX);
    EXPECT_EQ(ProfileGetNumber(path, "n", "h", 1), LONG_MIN);
    EXPECT_EQ(ProfileGetNumber(path, "n", "i", 1), 0);
    EXPECT_TRUE(ProfileWriteNumber(path, "n", "c", LONG_MIN));
    EXPECT_EQ(ProfileGetNumber(path, "n", "c", 1), LONG_MIN);
    EXPECT_EQ(ProfileGetString(path, "n", "c", ""), std::to_string(LONG_MIN));
}

TEST_F(ProfileFileTest, WritesCreateAndEditTheFile) {
    std::string path = dir / "new.ini";
    EXPECT_TRUE(ProfileWriteString(path, "Main", "Name", std::string_view("Velt")));
    EXPECT_TRUE(ProfileWriteNumber(path, "Main", "Size", 12));
    EXPECT_EQ(dir.Read("new.ini"), "[Main]\r\nName=Velt\r\nSize=12\r\n");
    EXPECT_TRUE(ProfileWriteString(path, "main", "name", nullptr));
    EXPECT_TRUE(ProfileWriteString(path, "Other", "x", std::string_view("1")));
    EXPECT_EQ(dir.Read("new.ini"), "[Main]\r\nSize=12\r\n[Other]\r\nx=1\r\n");
    EXPECT_TRUE(ProfileRemoveSection(path, "MAIN"));
    EXPECT_EQ(dir.Read("new.ini"), "[Other]\r\nx=1\r\n");
    EXPECT_EQ(ProfileKeys(path, "other"), std::vector<std::string>{"x"});
    // Refused entries leave the file alone.
    EXPECT_FALSE(ProfileWriteString(path, "Other", "x", std::string_view("a\nb")));
    EXPECT_EQ(dir.Read("new.ini"), "[Other]\r\nx=1\r\n");
    // Every single write replaces the file instead of rewriting it in place.
    ino_t before = Inode(path);
    EXPECT_TRUE(ProfileWriteString(path, "Other", "x", std::string_view("2")));
    EXPECT_NE(Inode(path), before);
    EXPECT_EQ(DirNames(), std::vector<std::string>{"new.ini"});
}

TEST_F(ProfileFileTest, SeesChangesMadeByOtherPrograms) {
    std::string path = dir.Write("p.ini", "[s]\nk=one\n");
    EXPECT_EQ(ProfileGetString(path, "s", "k", ""), "one");
    // Rewritten in place with a different size.
    dir.Write("p.ini", "[s]\nk=three\n");
    EXPECT_EQ(ProfileGetString(path, "s", "k", ""), "three");
    // Replaced by a new file of the same size.
    ReplaceBehindOurBack("p.ini", "[s]\nk=seven\n");
    EXPECT_EQ(ProfileGetString(path, "s", "k", ""), "seven");
    // Our next write starts from what the other program wrote.
    ReplaceBehindOurBack("p.ini", "[s]\nk=eight\nj=1\n");
    EXPECT_TRUE(ProfileWriteString(path, "s", "k", std::string_view("9")));
    EXPECT_EQ(dir.Read("p.ini"), "[s]\nk=9\nj=1\n");
    std::filesystem::remove(path);
    EXPECT_EQ(ProfileGetString(path, "s", "k", "gone"), "gone");
}

TEST_F(ProfileFileTest, AReadingSeesOnePictureAndWritesStillSeeTheDisk) {
    std::string path = dir.Write("r.ini", "[s]\nk=one\nj=1\n");
    {
        ProfileReading reading(path);
        ReplaceBehindOurBack("r.ini", "[s]\nk=two\nj=2\n");
        // Every key of the reading comes from the file as it was when the reading began.
        EXPECT_EQ(ProfileGetString(path, "s", "k", ""), "one");
        EXPECT_EQ(ProfileGetNumber(path, "s", "j", 0), 1);
        // A write starts from what is on disk, never from the reading's picture.
        EXPECT_TRUE(ProfileWriteString(path, "s", "k", std::string_view("3")));
        EXPECT_EQ(dir.Read("r.ini"), "[s]\nk=3\nj=2\n");
    }
    ReplaceBehindOurBack("r.ini", "[s]\nk=four\n");
    EXPECT_EQ(ProfileGetString(path, "s", "k", ""), "four");
    // A reading that outlives the cache leaves nothing behind: the next one works as ever.
    {
        ProfileReading reading(path);
        ProfileForgetCache();
    }
    ProfileReading next(path);
    ReplaceBehindOurBack("r.ini", "[s]\nk=five\n");
    EXPECT_EQ(ProfileGetString(path, "s", "k", ""), "four");
}

TEST_F(ProfileFileTest, UnwritableFilesStayAsTheyWere) {
    std::string path = dir.Write("ro.ini", "[s]\nk=old\n");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(ProfileGetString(path, "s", "k", ""), "old");
    EXPECT_FALSE(ProfileWriteString(path, "s", "k", std::string_view("new")));
    EXPECT_FALSE(ProfileWriteString(path, "s", "added", std::string_view("new")));
    EXPECT_FALSE(ProfileRemoveSection(path, "s"));
    EXPECT_EQ(ProfileGetString(path, "s", "k", ""), "old");
    EXPECT_EQ(ProfileGetString(path, "s", "added", "none"), "none");
    EXPECT_EQ(dir.Read("ro.ini"), "[s]\nk=old\n");

    std::string inFile = dir.Write("plain", "x") + "/sub.ini";
    EXPECT_FALSE(ProfileWriteString(inFile, "s", "k", std::string_view("v")));
    EXPECT_EQ(ProfileGetString(inFile, "s", "k", "d"), "d");

    // The file system refuses the replacement itself (not a regular file): the value the
    // write would have added must not appear in later reads either.
    std::string device = dir / "dev.ini";
    ASSERT_EQ(::symlink("/dev/null", device.c_str()), 0);
    EXPECT_FALSE(ProfileWriteString(device, "s", "k", std::string_view("v")));
    EXPECT_EQ(ProfileGetString(device, "s", "k", "d"), "d");
    EXPECT_EQ(DirNames(), (std::vector<std::string>{"dev.ini", "plain", "ro.ini"}));
}

TEST_F(ProfileFileTest, BatchReplacesTheFileOnceAtTheEnd) {
    std::string path = dir.Write("b.ini", "[s]\r\nkeep=1\r\n");
    ino_t before = Inode(path);
    {
        ProfileBatch batch(path);
        EXPECT_TRUE(batch.writable());
        for (int i = 0; i < 50; ++i)
            ASSERT_TRUE(ProfileWriteNumber(path, "s", "k" + std::to_string(i), i));
        ASSERT_TRUE(ProfileWriteString(path, "s", "keep", nullptr));
        // Readers see the pending text; the disk does not change yet.
        EXPECT_EQ(ProfileGetNumber(path, "s", "k49", -1), 49);
        EXPECT_EQ(ProfileGetString(path, "s", "keep", "gone"), "gone");
        EXPECT_EQ(dir.Read("b.ini"), "[s]\r\nkeep=1\r\n");
        EXPECT_EQ(Inode(path), before);
        {
            // A nested batch for the same file leaves the writing to the outer one.
            ProfileBatch inner(path);
            EXPECT_TRUE(ProfileWriteString(path, "t", "x", std::string_view("y")));
            EXPECT_TRUE(inner.Commit());
        }
        EXPECT_EQ(Inode(path), before);
        EXPECT_TRUE(batch.Commit());
        EXPECT_TRUE(batch.Commit());
    }
    EXPECT_NE(Inode(path), before);
    std::string expected = "[s]\r\n";
    for (int i = 0; i < 50; ++i)
        expected += "k" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    expected += "[t]\r\nx=y\r\n";
    EXPECT_EQ(dir.Read("b.ini"), expected);
    EXPECT_EQ(DirNames(), std::vector<std::string>{"b.ini"});

    // The destructor commits too; a batch without changes does not touch the file.
    before = Inode(path);
    { ProfileBatch unchanged(path); }
    EXPECT_EQ(Inode(path), before);
    {
        ProfileBatch scoped(path);
        EXPECT_TRUE(ProfileWriteString(path, "t", "x", std::string_view("z")));
    }
    ProfileForgetCache();
    EXPECT_EQ(ProfileGetString(path, "t", "x", ""), "z");
}

TEST_F(ProfileFileTest, BatchOnUnwritableTargetStopsAtFirstWrite) {
    dir.Write("plain", "not a directory");
    std::string path = dir / "plain/settings.ini";
    ProfileBatch batch(path);
    EXPECT_FALSE(batch.writable());
    EXPECT_FALSE(ProfileWriteString(path, "s", "first", std::string_view("1")));
    EXPECT_EQ(ProfileGetString(path, "s", "first", "none"), "none");
    EXPECT_FALSE(batch.Commit());
    EXPECT_EQ(DirNames(), std::vector<std::string>{"plain"});
    EXPECT_EQ(dir.Read("plain"), "not a directory");
}

TEST_F(ProfileFileTest, PendingBatchChangesAreNotLost) {
    std::string path = dir / "f.ini";
    ProfileBatch batch(path);
    ASSERT_TRUE(ProfileWriteString(path, "s", "k", std::string_view("v")));
    ProfileForgetCache();
    EXPECT_EQ(ProfileGetString(path, "s", "k", ""), "v");
    // Writes the batch already accepted win over another program's save in the meantime.
    dir.Write("f.ini", "[s]\nk=theirs\n");
    EXPECT_EQ(ProfileGetString(path, "s", "k", ""), "v");
    EXPECT_TRUE(batch.Commit());
    EXPECT_EQ(dir.Read("f.ini"), "[s]\r\nk=v\r\n");
}

TEST_F(ProfileFileTest, WorkersReadWhileTheFileIsWritten) {
    std::string path = dir / "shared.ini";
    ASSERT_TRUE(ProfileWriteNumber(path, "s", "n", 0));
    std::atomic<bool> stop = false;
    std::atomic<int> bad = 0;
    std::vector<std::thread> readers;
    for (int r = 0; r < 3; ++r) {
        readers.emplace_back([&, r] {
            long last = 0;
            while (!stop) {
                long n = ProfileGetNumber(path, "s", "n", -1);
                // Every write is whole and in order: never a torn file, never going back.
                if (n < last) ++bad;
                last = n;
                if (ProfileGetString(dir / ("other" + std::to_string(r)), "s", "k", "d") != "d")
                    ++bad;
            }
        });
    }
    for (int i = 1; i <= 200; ++i) ASSERT_TRUE(ProfileWriteNumber(path, "s", "n", i));
    stop = true;
    for (std::thread& t : readers) t.join();
    EXPECT_EQ(bad, 0);
    EXPECT_EQ(ProfileGetNumber(path, "s", "n", -1), 200);
}

}  // namespace
}  // namespace velt::platform
