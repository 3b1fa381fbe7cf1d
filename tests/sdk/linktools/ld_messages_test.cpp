#include "ld_messages.h"

#include <gtest/gtest.h>

#include "link_options.h"

namespace nimra {
namespace {

using Lines = std::vector<std::string>;

TEST(LinkerMessages, UndefinedReferencesEndWithTheBareSymbol) {
    // With line information, without it (the object from the "in function" line), and a
    // source path with a blank.
    std::string ld =
        "/usr/bin/ld: /tmp/p/a.obj: in function `main':\n"
        "/tmp/p/a.c:3: undefined reference to `twice'\n"
        "/usr/bin/ld: /tmp/p/a.c:5: more undefined references to `twice' follow\n"
        "/usr/bin/x86_64-linux-gnu-ld.bfd: m.obj: in function `main':\n"
        "m.c:(.text+0x2b): undefined reference to `sqrt'\n"
        "/usr/bin/ld: /tmp/my dir/b.c:12: undefined reference to `cos'\r\n"
        "collect2: error: ld returned 1 exit status\n";
    EXPECT_EQ((Lines{"Error /tmp/p/a.c: 3  undefined reference to twice",
                     "Error m.obj: undefined reference to sqrt",
                     "Error \"/tmp/my dir/b.c\": 12  undefined reference to cos"}),
              TranslateLinkerMessages(ld));
}

TEST(LinkerMessages, OtherMessagesKeepTheirTextAndKind) {
    std::string ld =
        "/usr/bin/ld: cannot find -lfoo: No such file or directory\n"
        "/usr/bin/ld: warning: creating DT_TEXTREL in a shared object\n"
        "/usr/bin/ld: /tmp/b.c:4: multiple definition of `twice'; a.obj:/tmp/a.c:1: first defined "
        "here\n"
        "gcc: error: x.obj: No such file or directory\n"
        "/usr/bin/ld: x.obj: file not recognized: file format not recognized";
    EXPECT_EQ((Lines{"Error nimralnk: cannot find -lfoo: No such file or directory",
                     "Warning nimralnk: creating DT_TEXTREL in a shared object",
                     "Error /tmp/b.c: 4  multiple definition of `twice'; a.obj:/tmp/a.c:1: first "
                     "defined here",
                     "Error nimralnk: x.obj: No such file or directory",
                     "Error nimralnk: x.obj: file not recognized: file format not recognized"}),
              TranslateLinkerMessages(ld));
    EXPECT_TRUE(TranslateLinkerMessages("\n\n").empty());
}

TEST(LinkOptions, TheMakefilesLinkCommand) {
    LinkOptions o;
    std::string error;
    ASSERT_TRUE(ParseLinkOptions(
        {"-s", "-SUBSYSTEM", "Windows", "-map", "hello.map", "-o", "out\\hello.exe", "a.obj",
         "B.OBJ", "libm.lib", "app.res", "-nounderscores"},
        o, error))
        << error;
    EXPECT_TRUE(o.strip);
    EXPECT_EQ("windows", o.subsystem);
    EXPECT_EQ("out/hello.exe", o.output);
    EXPECT_EQ((Lines{"a.obj", "B.OBJ"}), o.objects);
    EXPECT_EQ((Lines{"libm.lib"}), o.libraries);
    EXPECT_EQ((Lines{"app.res"}), o.resources);

    ASSERT_TRUE(ParseLinkOptions({"-dll", "-entry", "Start", "x.obj"}, o, error));
    EXPECT_EQ("x.dll", o.output);
    EXPECT_EQ("Start", o.entry);

    EXPECT_FALSE(ParseLinkOptions({"-o"}, o, error));
    EXPECT_FALSE(ParseLinkOptions({"-subsystem", "native", "a.obj"}, o, error));
    EXPECT_FALSE(ParseLinkOptions({"-stack", "a.obj"}, o, error));
    EXPECT_EQ("unknown option -stack", error);
    EXPECT_FALSE(ParseLinkOptions({"a.obj", "notes.txt"}, o, error));
    EXPECT_FALSE(ParseLinkOptions({"-o", "x.exe", "libm.lib"}, o, error));
}

}  // namespace
}  // namespace nimra
