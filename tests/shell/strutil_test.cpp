#include <gtest/gtest.h>

#include "shell/strutil.h"

namespace {

TEST(WildcardMatch, ExtensionsAndCase) {
    EXPECT_EQ(velt::WildcardMatch("*.C", "main.c"), 1);
    EXPECT_EQ(velt::WildcardMatch("*.c", "MAIN.C"), 1);
    EXPECT_EQ(velt::WildcardMatch("*.c", "Makefile"), 0);
    EXPECT_EQ(velt::WildcardMatch("*.c", "main.cpp"), 0);
    EXPECT_EQ(velt::WildcardMatch("*.c", "main.h"), 0);
    // The last extension decides: the star jumps to the name's last dot.
    EXPECT_EQ(velt::WildcardMatch("*.c", "archive.tar.c"), 1);
    EXPECT_EQ(velt::WildcardMatch("*.tar.c", "x.tar.c"), 0);
    EXPECT_EQ(velt::WildcardMatch("*.~c", "main.~c"), 1);
}

TEST(WildcardMatch, QuestionMarksAndLiterals) {
    EXPECT_EQ(velt::WildcardMatch("ma?n.c", "main.c"), 1);
    EXPECT_EQ(velt::WildcardMatch("ma?n.c", "man.c"), 0);
    EXPECT_EQ(velt::WildcardMatch("main.?", "main."), 0);  // '?' needs a character
    EXPECT_EQ(velt::WildcardMatch("main.c", "main.c"), 1);
    EXPECT_EQ(velt::WildcardMatch("main.c", "main.cc"), 0);  // the name must be used up
    EXPECT_EQ(velt::WildcardMatch("main.cc", "main.c"), 0);
    EXPECT_EQ(velt::WildcardMatch("", ""), 1);
    EXPECT_EQ(velt::WildcardMatch("", "a"), 0);
    // Only letters fold; other characters compare exactly.
    EXPECT_EQ(velt::WildcardMatch("[a].c", "[A].C"), 1);
    EXPECT_EQ(velt::WildcardMatch("_.c", "-.c"), 0);
}

TEST(WildcardMatch, TrailingStarMatchesNothing) {
    EXPECT_EQ(velt::WildcardMatch("main*", "main"), 0);
    EXPECT_EQ(velt::WildcardMatch("main*", "main.c"), 0);
    EXPECT_EQ(velt::WildcardMatch("*", "anything"), 0);
    EXPECT_EQ(velt::WildcardMatch("*.*", "a.b"), 0);
    // A star in the middle jumps to the name's last dot from where the name stands.
    EXPECT_EQ(velt::WildcardMatch("m*.c", "main.c"), 1);
    EXPECT_EQ(velt::WildcardMatch("x*.c", "main.c"), 0);
}

TEST(StrUpper, AsciiOnlyAndReturnsLastRead) {
    char s[] = "abc-xyz\xe9";
    EXPECT_EQ(velt::StrUpper(s), 0);
    EXPECT_STREQ(s, "ABC-XYZ\xe9");
    std::string t = "main.c";
    EXPECT_EQ(velt::StrUpper(t), 'C');
    EXPECT_EQ(t, "MAIN.C");
    EXPECT_TRUE(velt::EqualsNoCase("Hello.C", "hELLO.c"));
    EXPECT_FALSE(velt::EqualsNoCase("a", "ab"));
}

}  // namespace
