#include "makefile_text.h"

#include <gtest/gtest.h>

namespace nimra {
namespace {

TEST(MakefileText, PathsQuotesContinuationsAndLineEnds) {
    std::string in =
        "CFLAGS=-I\"c:\\my dir\\include\" -g2 \r\n"
        "OBJS=\\\r\n"
        "\t\"my a.obj\" \\\r\n"
        "\tb.obj\r\n"
        "hello.exe:\t$(OBJS) Makefile\r\n"
        "\t$(LINKER) -o \"my prog.exe\" src\\x.c -DS=\\\"s\\\" \\\r\n"
        "\t  \"tail dir\\y\"\r\n"
        "X_C=\\\n"
        "\t/usr/include/stdio.h\\\n"
        "\n"
        "a\\#b: c\\%d e\\ f\n"
        "last\\line";
    std::string out =
        "CFLAGS=-Ic:/my\\ dir/include -g2 \n"
        "OBJS=\\\n"
        "\tmy\\ a.obj \\\n"
        "\tb.obj\n"
        "hello.exe:\t$(OBJS) Makefile\n"
        // Recipe lines, also continued ones, keep their quotes for the shell.
        "\t$(LINKER) -o \"my prog.exe\" src/x.c -DS=\\\"s\\\" \\\n"
        "\t  \"tail dir/y\"\n"
        // Continued lines of a variable are not recipes although they begin with a tab.
        "X_C=\\\n"
        "\t/usr/include/stdio.h\\\n"
        "\n"
        "a\\#b: c\\%d e\\ f\n"
        "last/line";
    EXPECT_EQ(out, TranslateMakefile(in));
}

TEST(MakefileText, AnEscapedBackslashBeforeTheLineEndIsNoContinuation) {
    // Two backslashes end the line: a path separator each, and the next line stands alone.
    EXPECT_EQ("a=x//\n\tb \"c d\"\n", TranslateMakefile("a=x\\\\\n\tb \"c d\"\n"));
    // An unclosed quote does not carry over into the next line.
    EXPECT_EQ("a=b\\ c\nd=e\\ f\n", TranslateMakefile("a=\"b c\nd=\"e f\"\n"));
}

}  // namespace
}  // namespace nimra
