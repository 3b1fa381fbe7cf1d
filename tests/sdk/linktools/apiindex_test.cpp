#include "apiindex.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "temp_dir.h"

namespace {

std::string WriteIndex(const velt::testing::TempDir& dir, const std::string& text) {
    std::string path = dir.path() + "/apiindex.idx";
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

TEST(ApiIndex, BuiltIndexNamesTheMathLibraryForSqrt) {
    ASSERT_EQ(1, OpenApiIndex(NIMRA_TEST_ROOT));
    char lib[256], text[256];
    ASSERT_GE(FindApi("sqrt", lib, text), 0);
    EXPECT_STREQ("libm.lib", lib);
    EXPECT_STREQ("math library", text);
    ASSERT_GE(FindApi("printf", lib, text), 0);
    EXPECT_STREQ("libc.lib", lib);
    // Defined by both libraries: the C library, which every link includes, wins.
    ASSERT_GE(FindApi("ldexp", lib, text), 0);
    EXPECT_STREQ("libc.lib", lib);
    EXPECT_LT(FindApi("sqrt@@GLIBC_2.0", lib, text), 0);
    EXPECT_LT(FindApi("GLIBC_2.0", lib, text), 0);
    CloseApiIndex();
    EXPECT_LT(FindApi("sqrt", lib, text), 0);
}

TEST(ApiIndex, LooksUpUnsortedFilesAndLeavesBuffersAloneWhenUnknown) {
    velt::testing::TempDir dir;
    std::string path = WriteIndex(dir,
                                  "nimra api index 1\r\n"
                                  "zeta\tlibz.lib\tlast\r\n"
                                  "alpha\tliba.lib\tfirst\r\n"
                                  "mid\tliba.lib\tfirst\n"
                                  "alpha\tlibx.lib\tduplicate\n"
                                  "broken line without tabs\n"
                                  "\tlibq.lib\tno symbol\n");
    ASSERT_EQ(1, OpenApiIndexFile(path.c_str()));
    char lib[256] = "untouched", text[256] = "untouched";
    EXPECT_LT(FindApi("beta", lib, text), 0);
    EXPECT_STREQ("untouched", lib);
    EXPECT_STREQ("untouched", text);
    EXPECT_EQ(0, FindApi("alpha", lib, text));
    EXPECT_STREQ("liba.lib", lib);
    EXPECT_STREQ("first", text);
    EXPECT_EQ(2, FindApi("zeta", lib, text));
    EXPECT_STREQ("libz.lib", lib);
    EXPECT_STREQ("last", text);
    EXPECT_LT(FindApi("", lib, text), 0);
    EXPECT_LT(FindApi(nullptr, lib, text), 0);
    CloseApiIndex();
}

TEST(ApiIndex, RefusesFilesThatAreNotIndexesAndTextsThatDoNotFit) {
    velt::testing::TempDir dir;
    EXPECT_EQ(0, OpenApiIndex(dir.path().c_str()));  // no bin/apiindex.idx
    std::string path = WriteIndex(dir, "sqrt\tlibm.lib\tmath library\n");
    EXPECT_EQ(0, OpenApiIndexFile(path.c_str()));
    char lib[256], text[256];
    EXPECT_LT(FindApi("sqrt", lib, text), 0);

    // A text of 256 characters cannot go into its buffer with its terminator.
    std::string longText(256, 'x');
    path = WriteIndex(dir, "nimra api index 1\nlong\tlibl.lib\t" + longText +
                               "\nshort\tlibs.lib\t" + longText.substr(1) + "\n");
    ASSERT_EQ(1, OpenApiIndexFile(path.c_str()));
    EXPECT_LT(FindApi("long", lib, text), 0);
    ASSERT_GE(FindApi("short", lib, text), 0);
    EXPECT_EQ(255u, std::strlen(text));
    CloseApiIndex();
}

}  // namespace
