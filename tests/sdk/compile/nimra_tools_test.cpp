// The parts of nimra.exe and nimrarc that read and write formats: the resource script's binary
// forms, the rewriting of the host compiler's messages, its make rules, the compiler's
// switches and the letter-case links for headers.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/diagnostics.h"
#include "common/include_case.h"
#include "nimra/dependencies.h"
#include "nimra/options.h"
#include "nimrarc/resources.h"
#include "nimrarc/script.h"
#include "nimrarc/tokens.h"

namespace fs = std::filesystem;

namespace {

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string Utf16Hex(const std::string& ascii) {
    std::string out;
    for (char c : ascii) out += Hex(std::string(1, c)) + "00";
    return out;
}

nimrarc::ScriptResult Compile(const std::string& script, std::vector<std::string> dirs = {}) {
    nimrarc::ScriptContext context;
    context.searchDirs = std::move(dirs);
    return nimrarc::CompileScript(nimrarc::Tokenize(script), context);
}

// The only resource a script compiles to.
nimrarc::Resource Only(const std::string& script) {
    nimrarc::ScriptResult r = Compile(script);
    EXPECT_TRUE(r.ok) << r.message << " at line " << r.line;
    EXPECT_EQ(r.resources.size(), 1u);
    return r.resources.empty() ? nimrarc::Resource{} : r.resources.front();
}

class TempDir {
  public:
    TempDir() {
        std::string templ = (fs::temp_directory_path() / "nimra-test-XXXXXX").string();
        path_ = ::mkdtemp(templ.data());
    }
    ~TempDir() { fs::remove_all(path_); }
    std::string Write(const std::string& name, const std::string& bytes) const {
        const fs::path p = path_ / name;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

}  // namespace

TEST(NimraRcScript, MenuExItemsAlignAndCarryTheirFields) {
    nimrarc::Resource r = Only(
        "1 MENUEX\nBEGIN\n  POPUP \"F\", 10, 0, 0, 99\n  BEGIN\n    MENUITEM \"O\", 11\n"
        "    MENUITEM SEPARATOR\n  END\nEND\n");
    EXPECT_EQ(r.type, nimrarc::ResId::Number(nimrarc::kRtMenu));
    EXPECT_EQ(Hex(r.data),
              "01000400"
              "00000000"
              // the popup: type, state, id, flags (popup, last), text, padding, help id
              "00000000000000000a000000810046000000000063000000"
              // its items; the separator is the last
              "00000000000000000b00000000004f0000000000"
              "0008000000000000000000008000"
              "0000");
}

TEST(NimraRcScript, DialogTemplateWithCaptionMenuAndOwnClass) {
    nimrarc::Resource r = Only(
        "5 DIALOG 1, 2, 30, 40\nCAPTION \"T\"\nMENU 7\nBEGIN\n"
        "  CONTROL \"x\", 3, \"MyClass\", 0x1, 4, 5, 6, 7\nEND\n");
    EXPECT_EQ(r.type, nimrarc::ResId::Number(nimrarc::kRtDialog));
    EXPECT_EQ(Hex(r.data),
              // popup, border and system menu by default, and the caption's title bar
              "0000c880"
              "00000000"
              "0100"              // one control
              "010002001e002800"  // x, y, cx, cy
              "ffff0700"          // menu 7
              "0000"              // the default class
              "54000000"          // "T"
              // the control, aligned: its style gains child and visible
              "01000050"
              "00000000"
              "0400050006000700"
              "0300" +
                  Utf16Hex("MyClass") + "0000" + "78000000" + "0000");
}

TEST(NimraRcScript, DialogExControlsKeepTheirDefaultsAndTakeNot) {
    nimrarc::Resource r = Only(
        "9 DIALOGEX 0, 0, 10, 10, 77\nSTYLE 0x80000000\nFONT 8, \"F\", 700, 1, 2\nBEGIN\n"
        "  GROUPBOX \"g\", -1, 1, 1, 1, 1\n"
        "  LISTBOX 5, 1, 1, 1, 1, NOT 0x00800000 | 0x2, 0x200, 42\nEND\n");
    const std::string hex = Hex(r.data);
    // version 1, signature, help id 77, no extended style, the style with the font flag
    EXPECT_EQ(hex.substr(0, 32), "0100ffff4d0000000000000040000080");
    // point size, weight, italic, character set, face
    EXPECT_NE(hex.find("0800bc02010246000000"), std::string::npos);
    // the group box: help 0, no extended style, child visible group box; id -1 as 32 bits
    EXPECT_NE(hex.find("000000000000000007000050"
                       "0100010001000100"
                       "ffffffff"
                       "ffff8000"),
              std::string::npos);
    // the list box: help 42, extended style, notify without the border, sorted
    EXPECT_NE(hex.find("2a0000000002000003000050"
                       "0100010001000100"
                       "05000000"
                       "ffff8300"),
              std::string::npos);
}

TEST(NimraRcScript, VersionInfoNodesAndLengths) {
    nimrarc::Resource r =
        Only("1 VERSIONINFO\nFILEVERSION 1,2\nFILEFLAGS 3\nBEGIN\n  VALUE \"A\", \"b\"\nEND\n");
    EXPECT_EQ(r.type, nimrarc::ResId::Number(nimrarc::kRtVersion));
    EXPECT_EQ(Hex(r.data), "6c0034000000" + Utf16Hex("VS_VERSION_INFO") + "0000" + "0000" +
                               "bd04effe00000100020001000000000000000000000000000000000003000000" +
                               "0000000000000000000000000000000000000000" +
                               // the value: length, characters with the zero, text, key
                               "100002000100410000000000" + "62000000");
}

TEST(NimraRcScript, StringTablesEscapesLanguagesAndText) {
    nimrarc::ScriptResult r = Compile(
        "LANGUAGE 7, 1\nSTRINGTABLE DISCARDABLE\nBEGIN\n"
        "  16 \"a\\tb\\x41\\101\"\"\"\n"
        "  17, L\"\xC3\xA9\"\n"        // UTF-8
        "  18 \"\\xE9\"\n"             // not UTF-8: taken as Latin-1
        "  19 \"\xF0\x9F\x98\x80\"\n"  // beyond 16 bits: two units
        "END\n");
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(r.resources.size(), 1u);
    const nimrarc::Resource& s = r.resources[0];
    EXPECT_EQ(s.type, nimrarc::ResId::Number(nimrarc::kRtString));
    EXPECT_EQ(s.name, nimrarc::ResId::Number(2));  // strings 16 to 31
    EXPECT_EQ(s.language, 0x0407);
    EXPECT_EQ(s.memoryFlags, 0x1030);
    EXPECT_EQ(Hex(s.data), "0600" + Utf16Hex("a\tbAA\"") + "0100e900" + "0100e900" +
                               "02003dd800de" + std::string(12 * 4, '0'));
}

TEST(NimraRcScript, MemoryOptionsDataItemsNamesAndTypes) {
    nimrarc::ScriptResult r = Compile(
        "5 RCDATA PRELOAD FIXED IMPURE BEGIN 1, 2L, \"ab\", L\"c\" END\n"
        "name MyType BEGIN 0x4142 END\n"
        "\"Quoted\" 300 { 7 }\n");
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(r.resources.size(), 3u);
    EXPECT_EQ(r.resources[0].memoryFlags, 0x0040);
    EXPECT_EQ(Hex(r.resources[0].data),
              "0100"
              "02000000"
              "6162"
              "6300");
    EXPECT_EQ(r.resources[1].type, nimrarc::ResId::Name(u"MYTYPE"));
    EXPECT_EQ(r.resources[1].name, nimrarc::ResId::Name(u"NAME"));
    EXPECT_EQ(r.resources[2].type, nimrarc::ResId::Number(300));
    EXPECT_EQ(r.resources[2].name, nimrarc::ResId::Name(u"QUOTED"));

    // The file: the empty entry, then a named type and name with their padding.
    const std::string file = nimrarc::ResFileImage({r.resources[1]});
    EXPECT_EQ(Hex(file.substr(32)),
              "02000000"
              "30000000" +
                  Utf16Hex("MYTYPE") + "0000" + Utf16Hex("NAME") + "0000" +
                  "00000000"
                  "30000904"
                  "00000000"
                  "00000000"
                  "42410000");
}

TEST(NimraRcScript, CursorsBitmapsAndBrokenImageFiles) {
    TempDir t;
    std::string image(40, '\0');
    image[0] = 40;  // an information header: size 40, one plane, one bit
    image[12] = 1;
    image[14] = 1;
    std::string cur = std::string("\0\0\2\0\1\0", 6) +
                      std::string("\x20\x20\0\0\3\0\4\0\x28\0\0\0\x16\0\0\0", 16) + image;
    t.Write("pointer.cur", cur);
    t.Write("pic.bmp", "BM" + std::string(12, 'h') + std::string(40, 'i'));
    nimrarc::ScriptResult r = Compile("P CURSOR \"pointer.cur\"\nB BITMAP pic.bmp\n", {t / ""});
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(r.resources.size(), 3u);
    EXPECT_EQ(r.resources[0].type, nimrarc::ResId::Number(nimrarc::kRtCursor));
    EXPECT_EQ(r.resources[0].memoryFlags, 0x1010);
    EXPECT_EQ(Hex(r.resources[0].data), "03000400" + Hex(image));
    EXPECT_EQ(r.resources[1].type, nimrarc::ResId::Number(nimrarc::kRtGroupCursor));
    // width, height doubled for the mask, planes, bits, size with the hot spot, image id
    EXPECT_EQ(Hex(r.resources[1].data),
              "000002000100"
              "2000400001000100"
              "2c000000"
              "0100");
    EXPECT_EQ(r.resources[2].data, std::string(40, 'i'));

    std::string shortIcon = std::string("\0\0\1\0\1\0", 6) +
                            std::string("\x10\x10\0\0\1\0\x20\0\xff\0\0\0\x16\0\0\0", 16);
    t.Write("short.ico", shortIcon);
    t.Write("text.ico", "not an icon");
    r = Compile("\n1 ICON \"short.ico\"\n", {t / ""});
    EXPECT_EQ(r.message, "image 1 of short.ico lies outside the file");
    EXPECT_EQ(r.line, 2);
    r = Compile("1 ICON \"text.ico\"\n", {t / ""});
    EXPECT_EQ(r.message, "text.ico is not an icon file");
    r = Compile("1 BITMAP \"text.ico\"\n", {t / ""});
    EXPECT_EQ(r.message, "text.ico is not a bitmap file");
}

TEST(NimraRcScript, ErrorsNameTheirLine) {
    struct Case {
        const char* script;
        int line;
        const char* message;
    };
    const Case cases[] = {
        {"1 MENU\nBEGIN\n  POPUP \"a\"\n  BEGIN\n    FOO \"x\", 1\n  END\nEND\n", 5,
         "expected MENUITEM or POPUP, found 'FOO'"},
        {"1 DIALOG 0,0,1,1\nBEGIN\n  BADCONTROL 1\nEND\n", 3,
         "unknown control statement 'BADCONTROL'"},
        {"1 DIALOG 0,0,1,1\nBEGIN\n  LTEXT \"a\" 1, 1, 1, 1, 1\nEND\n", 3,
         "expected ',' before '1'"},
        {"1 ACCELERATORS\nBEGIN\n  \"abc\", 1\nEND\n", 3,
         "an accelerator's key is one character or ^ and a letter"},
        {"1 ACCELERATORS\nBEGIN\n  \"a\", 1, SHIFTY\nEND\n", 3,
         "unknown accelerator option 'SHIFTY'"},
        {"1 RCDATA\nBEGIN\n  1 / 0\nEND\n", 3, "division by zero"},
        {"1 VERSIONINFO\nBEGIN\n  VALUE \"a\", 1, \"b\"\nEND\n", 3,
         "a VALUE holds either texts or numbers"},
        {"\n1 FONT \"x.fnt\"\n", 2, "FONT resources are not supported"},
        {"1 RCDATA BEGIN 1 END\n1 RCDATA BEGIN 2 END\n", 2, "the resource is defined twice"},
        {"STRINGTABLE\nBEGIN\n  1 \"abc\nEND\n", 3, "string without its closing quote"},
        {"1 MENU\nBEGIN\n  MENUITEM \"x\", 1\n", 2, "this block has no END"},
        {"IDD DAILOG 0, 0, 10, 10\n", 1, "unknown resource type 'DAILOG'"},
        {"1 RCDATA\nBEGIN\n  UNDEFINED_ID\nEND\n", 3, "undefined symbol 'UNDEFINED_ID'"},
        {"70000 RCDATA BEGIN 1 END\n", 1, "the resource number does not fit in 16 bits"},
    };
    for (const Case& c : cases) {
        nimrarc::ScriptResult r = Compile(c.script);
        EXPECT_FALSE(r.ok) << c.script;
        EXPECT_EQ(r.message, c.message) << c.script;
        EXPECT_EQ(r.line, c.line) << c.script;
    }
    // The same resource in two languages is two resources.
    EXPECT_TRUE(Compile("1 RCDATA BEGIN 1 END\nLANGUAGE 7, 1\n1 RCDATA BEGIN 2 END\n").ok);
    // Nesting is bounded rather than exhausting the stack.
    nimrarc::ScriptResult deep = Compile("1 RCDATA BEGIN " + std::string(100000, '(') + "1 END\n");
    EXPECT_EQ(deep.message, "nested too deeply");
}

TEST(NimraRcScript, PreprocessorMarkersGiveFileAndLineAndHeadersAreSkipped) {
    const std::string preprocessed =
        "# 1 \"dir/app.rc\"\nSTRINGTABLE\n"
        "# 1 \"dir/ids.h\" 1\nint not_for_the_script;\n#pragma once\n"
        "# 3 \"dir/app.rc\" 2\nBEGIN\n  1 \"x\"\n\n  1 \"y\"\nEND\n";
    nimrarc::TokenizedScript tokens = nimrarc::Tokenize(preprocessed);
    nimrarc::ScriptResult r = nimrarc::CompileScript(tokens, {});
    EXPECT_EQ(r.message, "the string number 1 is used twice");
    EXPECT_EQ(tokens.files[r.file], "dir/app.rc");
    EXPECT_EQ(r.line, 6);
}

TEST(NimraDiagnostics, HostMessagesBecomeTheIdesForm) {
    const nimra::RewriteResult r = nimra::RewriteHostDiagnostics(
        "a.c: In function 'main':\n"
        "a.c:5:3: error: 'y' undeclared\n"
        "a.c:5: note: each undeclared identifier\n"
        "In file included from a.c:1:\n"
        "                 from b.c:2:\n"
        "my dir/b.h:2: warning: unused\r\n"
        "x.asm:3: Error: no such instruction\n"
        "cc1: error: bad thing\n"
        "<command-line>: warning: \"X\" redefined\n"
        "x.asm: Assembler messages:\n"
        "compilation terminated.\n"
        "something else\n");
    EXPECT_EQ(r.text,
              "Error a.c: 5  'y' undeclared\n"
              "Note a.c: 5  each undeclared identifier\n"
              "Warning \"my dir/b.h\": 2  unused\n"
              "Error x.asm: 3  no such instruction\n"
              "Error nimra.exe: bad thing\n"
              "Warning nimra.exe: \"X\" redefined\n"
              "something else\n");
    EXPECT_EQ(r.errors, 3);
    EXPECT_EQ(r.warnings, 2);
    EXPECT_EQ(nimra::NimraLine(nimra::Severity::Error, "c:x.c", 0, "t"), "Error \"c:x.c\": t\n");
}

TEST(NimraDependencies, PrerequisitesAfterTheSource) {
    EXPECT_EQ(nimra::PrerequisitesOfRule(
                  "nimra-target: src/a.c my\\ dir/b.h \\\n  c$$.h \\#x.h\\\r\n last.h\n"),
              (std::vector<std::string>{"my dir/b.h", "c$.h", "#x.h", "last.h"}));
    EXPECT_TRUE(nimra::PrerequisitesOfRule("nimra-target: src/a.c\n").empty());
    EXPECT_TRUE(nimra::PrerequisitesOfRule("").empty());
}

TEST(NimraOptions, EverySwitchOfTheMakefileIsMapped) {
    nimra::CompileOptions o;
    std::string error;
    ASSERT_TRUE(nimra::ParseCompileOptions(
        {"-c", "-Ifoo\\bar", "-I", "\"baz qux\"", "-DX=1", "-UY", "-O", "-g4", "-A", "-Zp2",
         "-ansic", "-p6", "-x", "-z", "-unused", "-S", "-Fo", "out\\x.obj", "src\\A.c"},
        o, error))
        << error;
    EXPECT_EQ(o.hostFlags, (std::vector<std::string>{
                               "-Ifoo/bar", "-Ibaz qux", "-DX=1", "-UY", "-O2", "-g", "-Wall",
                               "-fpack-struct=2", "-std=c99", "-pedantic", "-march=pentiumpro"}));
    EXPECT_EQ(o.includeDirs, (std::vector<std::string>{"foo/bar", "baz qux"}));
    EXPECT_TRUE(o.assemblyListing);
    EXPECT_FALSE(o.dependencies);
    EXPECT_EQ(o.output, "out/x.obj");
    ASSERT_EQ(o.sources.size(), 1u);
    EXPECT_EQ(o.sources[0].given, "src/A.c");

    struct Bad {
        std::vector<std::string> args;
        const char* error;
    };
    const Bad bad[] = {
        {{"-Zp3", "a.c"}, "unknown option -Zp3"},
        {{"-c"}, "no source file given"},
        {{"-I"}, "missing value after -I"},
        {{"-Fo", "x.obj", "a.c", "b.c"},
         "-Fo names one output, but more than one source was given"},
    };
    for (const Bad& b : bad) {
        nimra::CompileOptions ignored;
        EXPECT_FALSE(nimra::ParseCompileOptions(b.args, ignored, error));
        EXPECT_EQ(error, b.error);
    }
}

TEST(NimraIncludeCase, HeadersInAnotherLetterCaseAreLinked) {
    TempDir t;
    const std::string main = t.Write("main.c", "");
    const std::string deep = t.Write("inc/deep.h", "");
    const std::string sibling = t.Write("a.h", "");
    std::string dir;
    {
        nimra::IncludeCaseShadow shadow;
        EXPECT_EQ(shadow.SearchFlag(), "");
        const std::string missing =
            main + ":3: fatal error: Inc/Deep.h: No such file or directory\n";
        ASSERT_TRUE(shadow.LinkMissing("In file included from x:\n" + missing, {}));
        dir = shadow.SearchFlag().substr(2);
        const std::string link = dir + "/Inc/Deep.h";
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(shadow.RealName(link), fs::canonical(deep).string());
        EXPECT_EQ(shadow.RealNamesIn(link + ":1: error: x"),
                  fs::canonical(deep).string() + ":1: error: x");
        EXPECT_FALSE(shadow.LinkMissing(missing, {}));  // nothing new: no endless retries

        // A header the linked one includes beside itself is linked beside the link.
        ASSERT_TRUE(
            shadow.LinkMissing(link + ":1: fatal error: ../A.H: No such file or directory\n", {}));
        EXPECT_EQ(shadow.RealName(dir + "/A.H"), fs::canonical(sibling).string());
        // Found nowhere, or outside our directory: nothing to link.
        EXPECT_FALSE(
            shadow.LinkMissing(main + ":1: fatal error: none.h: No such file or directory", {}));
        EXPECT_FALSE(
            shadow.LinkMissing(main + ":1: fatal error: ../../x.h: No such file or directory", {}));
    }
    // The links go with the shadow; the headers stay.
    EXPECT_FALSE(fs::exists(dir));
    EXPECT_TRUE(fs::exists(deep));
    EXPECT_TRUE(fs::exists(sibling));
}
