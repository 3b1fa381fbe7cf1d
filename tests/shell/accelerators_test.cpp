#include <gtest/gtest.h>

#include "platform/profile_store.h"
#include "shell/accelerators.h"
#include "temp_dir.h"

namespace pf = velt::platform;
using velt::AccelEntry;
using velt::AccelRecord;
using velt::kAccelChanged;
using velt::testing::TempDir;

namespace {

TEST(Accelerators, EncodingAndTheFormsItIsReadBackIn) {
    EXPECT_EQ(velt::EncodeAccel({5, {112, 40, 9}}), "   5 112  40   9");

    AccelRecord r;
    ASSERT_TRUE(velt::DecodeAccel("   5 112  40   9", r));
    EXPECT_EQ(r.index, 5);
    EXPECT_EQ(r.entry.key, 112);
    EXPECT_EQ(r.entry.command, 40);
    EXPECT_EQ(r.entry.flags, 9);

    // Leading blanks dropped by an initialisation-file reader.
    ASSERT_TRUE(velt::DecodeAccel("5 112  40   9", r));
    EXPECT_EQ(r.index, 5);
    EXPECT_EQ(r.entry.key, 112);
    EXPECT_EQ(r.entry.flags, 9);

    // A five-digit command must not push the flags out of their columns.
    const std::string wide = velt::EncodeAccel({12, {65, 14000, 0x1b}});
    EXPECT_EQ(wide, "  12  6514000  27");
    ASSERT_TRUE(velt::DecodeAccel(wide, r));
    EXPECT_EQ(r.index, 12);
    EXPECT_EQ(r.entry.key, 65);
    EXPECT_EQ(r.entry.command, 14000);
    EXPECT_EQ(r.entry.flags, 0x1b);
    ASSERT_TRUE(velt::DecodeAccel("12  6514000  27", r));
    EXPECT_EQ(r.entry.key, 65);
    EXPECT_EQ(r.entry.flags, 0x1b);

    // Four-digit fields touch each other.
    ASSERT_TRUE(velt::DecodeAccel("12341000 100 255", r));
    EXPECT_EQ(r.index, 1234);
    EXPECT_EQ(r.entry.key, 1000);

    for (const char* bad : {"", "rubbish", "   5 112  40", "   a 112  40   9", "   5 112  40 300",
                            "   5  -1  40   9", "   5 112  4x   9"})
        EXPECT_FALSE(velt::DecodeAccel(bad, r)) << bad;
}

class AcceleratorsFile : public ::testing::Test {
  protected:
    void SetUp() override { pf::ProfileForgetCache(); }
    void WriteFile(const std::string& content) {
        t.Write("a.ini", content);
        pf::ProfileForgetCache();
    }
    TempDir t;
    std::string file = t / "a.ini";
};

TEST_F(AcceleratorsFile, ReadingAppliesKeyAndFlagsLaterKeysWinning) {
    WriteFile(
        "[velt]\nAccelerators=6\n"
        "Accel1=   1 100 999   1\n"
        "Accel2=   3 100   0   1\n"
        "Accel3=   3  50   0   3\n"  // same index, higher key number: wins
        "Accel4=  99  70   0   1\n"  // beyond the table
        "Accel5=nonsense\n");
    std::vector<AccelEntry> table = {{1, 10, 0}, {2, 20, 0}, {3, 30, 0}, {4, 40, 0x10}};
    velt::ReadAccelerators(file, "velt", table);
    EXPECT_EQ(table[0].key, 1);
    EXPECT_EQ(table[0].flags, 0);
    EXPECT_EQ(table[1].key, 100);
    EXPECT_EQ(table[1].command, 20);  // the command stays the table's
    EXPECT_EQ(table[1].flags, 1 | kAccelChanged);
    EXPECT_EQ(table[3].key, 50);
    EXPECT_EQ(table[3].command, 40);
    EXPECT_EQ(table[3].flags, 3 | kAccelChanged);

    const auto records = velt::ReadAcceleratorRecords(file, "velt");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].index, 3);
    EXPECT_EQ(records[1].entry.key, 50);
    EXPECT_EQ(records[2].index, 99);

    // A damaged count costs nothing beyond the keys that exist.
    WriteFile("[velt]\nAccelerators=2147483647\nAccel1=   0   7   0   0\n");
    velt::ReadAccelerators(file, "velt", table);
    EXPECT_EQ(table[0].key, 7);
}

TEST_F(AcceleratorsFile, WritingStoresTheChangedEntriesAndReadsBack) {
    const std::vector<AccelEntry> table = {
        {65, 100, 0x1}, {66, 200, 0x1 | kAccelChanged}, {67, 14000, 0x13 | kAccelChanged}};
    ASSERT_TRUE(velt::WriteAccelerators(file, "velt", table));
    EXPECT_EQ(pf::ProfileGetString(file, "velt", "Accelerators", ""), "2");
    EXPECT_EQ(pf::ProfileGetString(file, "velt", "Accel1", ""), "   1  66 200   9");
    EXPECT_EQ(pf::ProfileGetString(file, "velt", "Accel2", ""), "   2  6714000  27");
    EXPECT_EQ(pf::ProfileGetString(file, "velt", "Accel3", "none"), "none");

    std::vector<AccelEntry> back = {{1, 100, 0}, {2, 200, 0}, {3, 14000, 0}};
    velt::ReadAccelerators(file, "velt", back);
    EXPECT_EQ(back[0].key, 1);
    EXPECT_EQ(back[1].key, 66);
    EXPECT_EQ(back[1].flags, 0x9);
    EXPECT_EQ(back[2].key, 67);
    EXPECT_EQ(back[2].flags, 0x1b);
}

}  // namespace
