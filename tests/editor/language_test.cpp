#include <filesystem>
#include <sstream>

#include "editor/language.h"
#include "editor/language_page.h"
#include "language_fixture.h"
#include "platform/profile_store.h"
#include "shell/config_dialog.h"
#include "shell/settings.h"
#include "temp_dir.h"

namespace pf = velt::platform;
using namespace velt;
using velt::testing::LanguageTest;
using velt::testing::TempDir;

namespace {

std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < LanguageCount(); ++i) names.push_back(LanguageAt(i)->name);
    return names;
}

// Every field that is stored, for comparing registries.
std::string Describe(const Language& l) {
    std::ostringstream s;
    s << l.name << '|' << l.code << '|' << l.extensions << '|' << l.commentChars << '|'
      << l.stringChars << '|' << l.startFunction << '|' << l.endFunction << '|' << l.icon << '|'
      << l.flags << '|';
    for (const std::string& w : l.keywords.words()) s << w << ' ';
    s << '|' << l.wordChars.to_string();
    return s.str();
}

std::vector<std::string> DescribeAll() {
    std::vector<std::string> all;
    for (std::size_t i = 0; i < LanguageCount(); ++i) all.push_back(Describe(*LanguageAt(i)));
    return all;
}

TEST(KeywordHash, ShiftsTwoAndXorsSignedBytesInThirtyTwoBits) {
    EXPECT_EQ(NameHash("int"), 1884);
    EXPECT_EQ(NameBucket("int"), 12);
    EXPECT_EQ(NameBucket("sizeof"), 2);
    EXPECT_EQ(NameBucket("end"), 8);
    // A byte above 127 counts negative, and the remainder is made positive.
    EXPECT_EQ(NameHash("\xE9"), -23);
    EXPECT_EQ(NameBucket("\xE9"), 10);
    // Long words wrap around in 32 bits, possibly to a negative hash.
    EXPECT_EQ(NameHash("implementation"), -769193150);
    EXPECT_EQ(NameBucket("implementation"), 11);
    EXPECT_EQ(NameHash("abcdefghijklmnopq"), 1529147841);
}

TEST(KeywordHash, BucketsHoldTheirWordsNewestFirst) {
    KeywordTable t;
    // Buckets worked out by hand.
    t.Assign({"int", "end", "while", "sizeof"}, false);
    EXPECT_EQ(t.Bucket(12), (std::vector<std::string>{"int"}));
    EXPECT_EQ(t.Bucket(8), (std::vector<std::string>{"end"}));
    EXPECT_EQ(t.Bucket(9), (std::vector<std::string>{"while"}));
    EXPECT_EQ(t.Bucket(2), (std::vector<std::string>{"sizeof"}));
    t.Assign({"int", "int2", "x"}, false);
    // Two words in one bucket: the later one is in front.
    const int b = NameBucket("int");
    std::vector<std::string> expected;
    for (const char* w : {"x", "int2", "int"})
        if (NameBucket(w) == b) expected.push_back(w);
    EXPECT_EQ(t.Bucket(b), expected);
    EXPECT_TRUE(t.Contains("int"));
    EXPECT_FALSE(t.Contains("in"));
    EXPECT_FALSE(t.Contains(""));
    // Words of a case-insensitive table are filed lower-cased.
    t.Assign({"BEGIN"}, true);
    EXPECT_TRUE(t.Contains("begin"));
    EXPECT_EQ(t.words(), (std::vector<std::string>{"BEGIN"}));
}

TEST_F(LanguageTest, BuiltInLanguagesInRegistryOrderWithTheirData) {
    EXPECT_EQ(Names(),
              (std::vector<std::string>{"eiffel", "Pascal", "Fortran", "Assembly", "C Language"}));
    const Language* c = FindLanguage("C Language");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->code, 0);
    EXPECT_EQ(c->extensions, "C;H;CPP;HPP");
    EXPECT_EQ(c->commentChars, "/*");
    EXPECT_EQ(c->stringChars, "'\"");
    EXPECT_EQ(c->flags, 1);
    ASSERT_EQ(c->keywords.size(), 36u);
    EXPECT_EQ(c->keywords.words().front(), "new");
    EXPECT_EQ(c->keywords.words().back(), "const");

    const Language* a = FindLanguage("Assembly");
    EXPECT_EQ(a->code, 5);
    EXPECT_EQ(a->extensions, "ASM");
    EXPECT_EQ(a->commentChars, ";");
    EXPECT_EQ(a->stringChars, "'");
    EXPECT_EQ(a->flags, 7);
    EXPECT_TRUE(a->keywords.empty());
    EXPECT_EQ(a->startFunction, "^[A-Za-z_][_A-Za-z0-9]+[ \t]+PROC[ \t]");
    EXPECT_EQ(a->endFunction, "^[A-Za-z_][A-Za-z0-9]+[ \t]+ENDP[ \t]");

    const Language* f = FindLanguage("Fortran");
    EXPECT_EQ(f->code, 3);
    EXPECT_EQ(f->extensions, "F");
    EXPECT_EQ(f->flags, 7);
    EXPECT_EQ(f->keywords.size(), 29u);
    EXPECT_EQ(f->keywords.words()[9], "go");
    EXPECT_EQ(f->keywords.words()[10], "to");

    const Language* p = FindLanguage("Pascal");
    EXPECT_EQ(p->code, 4);
    EXPECT_EQ(p->commentChars, "{}(*)");
    EXPECT_EQ(p->flags, 5);
    EXPECT_EQ(p->keywords.size(), 47u);

    const Language* e = FindLanguage("eiffel");
    EXPECT_EQ(e->code, 6);
    EXPECT_EQ(e->extensions, "e");
    EXPECT_EQ(e->commentChars, "-");
    EXPECT_EQ(e->stringChars, "'\"");
    EXPECT_EQ(e->flags, 5);
    EXPECT_EQ(e->keywords.size(), 56u);
}

TEST_F(LanguageTest, ExtensionsChooseTheLanguage) {
    EXPECT_EQ(LanguageForFile("x.C"), FindLanguage("C Language"));
    EXPECT_EQ(LanguageForFile("x.cpp"), FindLanguage("C Language"));
    EXPECT_EQ(LanguageForFile("/src/x.hpp"), FindLanguage("C Language"));
    EXPECT_EQ(LanguageForFile("x.c2"), nullptr);
    EXPECT_EQ(LanguageForFile("x.asm"), FindLanguage("Assembly"));
    EXPECT_EQ(LanguageForFile("x.E"), FindLanguage("eiffel"));
    EXPECT_EQ(LanguageForFile("x.tar.f"), FindLanguage("Fortran"));
    // Only the last component has an extension; a name without one has no language.
    EXPECT_EQ(LanguageForFile("/src.c/makefile"), nullptr);
    EXPECT_EQ(LanguageForFile("x."), nullptr);

    Document& c = Doc("/tmp/x.C", {"int a;"});
    EXPECT_EQ(c.language, FindLanguage("C Language"));
    EXPECT_TRUE(c.flags & kDocCLanguage);
    Document& none = Doc("/tmp/x.c2", {"int a;"});
    EXPECT_EQ(none.language, nullptr);
    EXPECT_FALSE(none.flags & kDocCLanguage);
    // Renamed to another language, the C flag goes.
    c.name = "/tmp/x.pas";
    ChooseDocumentLanguage(c);
    EXPECT_EQ(c.language, FindLanguage("Pascal"));
    EXPECT_FALSE(c.flags & kDocCLanguage);

    // The first language in registry order wins.
    auto mine = NewUserLanguage("Mine");
    mine->extensions = "h;x";
    AddLanguage(std::move(mine));
    EXPECT_EQ(LanguageForFile("a.H")->name, "Mine");
}

TEST_F(LanguageTest, KeywordsAndWordCharacters) {
    const Language* c = FindLanguage("C Language");
    EXPECT_TRUE(IsKeyword(c, "int"));
    EXPECT_TRUE(IsKeyword(c, "sizeof"));
    EXPECT_FALSE(IsKeyword(c, "Int"));
    EXPECT_FALSE(IsKeyword(c, "int2"));
    EXPECT_TRUE(c->IsWordChar('_'));
    EXPECT_TRUE(c->IsWordChar('z'));  // from "sizeof"
    EXPECT_FALSE(c->IsWordChar('2'));
    EXPECT_FALSE(c->IsWordChar('I'));

    const Language* p = FindLanguage("Pascal");
    EXPECT_TRUE(IsKeyword(p, "END"));
    EXPECT_TRUE(IsKeyword(p, "Begin"));
    EXPECT_TRUE(p->IsWordChar('E'));
    EXPECT_TRUE(p->IsWordChar('e'));
    EXPECT_FALSE(IsKeyword(FindLanguage("Assembly"), "mov"));
    EXPECT_FALSE(IsKeyword(nullptr, "int"));

    // The current document's language answers the short form.
    Document& d = Doc("/tmp/k.pas", {"begin"});
    SetCurrentDocument(&d);
    EXPECT_TRUE(IsKeyword("BEGIN"));
    SetCurrentDocument(nullptr);
    EXPECT_FALSE(IsKeyword("begin"));
}

class LanguageKeysTest : public LanguageTest {
  protected:
    void SetUp() override {
        LanguageTest::SetUp();
        file = t.Write("velt.prj", "[velt]\n");
        pf::ProfileForgetCache();
    }
    std::string Key(const std::string& key) {
        return pf::ProfileGetString(file, "velt", key, "<missing>");
    }
    TempDir t;
    std::string file;
};

TEST_F(LanguageKeysTest, KeywordsAreWrittenSevenALine) {
    auto mine = NewUserLanguage("Mine");
    mine->code = 9;
    mine->extensions = "MN;MNH";
    mine->commentChars = "#";
    std::vector<std::string> words;
    for (int i = 1; i <= 15; ++i) words.push_back("w" + std::to_string(i));
    SetKeywords(*mine, words);
    AddLanguage(std::move(mine));
    ASSERT_TRUE(WriteLanguages(file, "velt"));

    EXPECT_EQ(Key("Languages"), "6");
    EXPECT_EQ(Key("Language1"), "Mine");
    EXPECT_EQ(Key("Language1Extension"), "MN;MNH");
    EXPECT_EQ(Key("Language1CommentChar"), "#");
    EXPECT_EQ(Key("Language1Code"), "9");
    EXPECT_EQ(Key("Language1KeywordCount"), "15");
    EXPECT_EQ(Key("Language1Keywords1"), "w1 w2 w3 w4 w5 w6 w7");
    EXPECT_EQ(Key("Language1Keywords2"), "w8 w9 w10 w11 w12 w13 w14");
    EXPECT_EQ(Key("Language1Keywords3"), "w15");
    EXPECT_EQ(Key("Language1Keywords4"), "<missing>");
    EXPECT_EQ(Key("Language1Icon"), "<missing>");  // only written when set
    EXPECT_EQ(Key("Language6"), "C Language");
    EXPECT_EQ(Key("Language6Flags"), "1");
    EXPECT_EQ(Key("Language6KeywordCount"), "36");
    EXPECT_EQ(Key("Language5StartFunction"), "^[A-Za-z_][_A-Za-z0-9]+[ \t]+PROC[ \t]");
    EXPECT_EQ(Key("Language2StringChars"), "'\"");

    // The key order of one language.
    std::vector<std::string> keys = pf::ProfileKeys(file, "velt");
    std::vector<std::string> first(keys.begin(), keys.begin() + 13);
    EXPECT_EQ(first, (std::vector<std::string>{
                         "Languages", "Language1", "Language1Extension", "Language1StartFunction",
                         "Language1EndFunction", "Language1CommentChar", "Language1StringChars",
                         "Language1Flags", "Language1Code", "Language1KeywordCount",
                         "Language1Keywords1", "Language1Keywords2", "Language1Keywords3"}));
}

TEST_F(LanguageKeysTest, ReadingTakesCountWordsFromCountBySevenPlusOneLines) {
    t.Write("velt.prj",
            "[velt]\nLanguages=2\n"
            "Language1=Mine\nLanguage1Code=12\nLanguage1Extension=mn\nLanguage1Flags=65541\n"
            "Language1KeywordCount=15\n"
            "Language1Keywords1=a1 a2 a3 a4 a5 a6 a7\n"
            "Language1Keywords2=b1 b2 b3 b4 b5 b6 b7\n"
            "Language1Keywords3=c1 stale\n"
            "Language1Keywords4=never\n"
            "Language2=Pascal\nLanguage2Code=99\nLanguage2KeywordCount=14\n"
            "Language2Keywords1=one two\n"
            "Language2Keywords2=\n"
            "Language2Keywords3=three\n");
    pf::ProfileForgetCache();
    ReadLanguages(file, "velt");

    const Language* mine = FindLanguage("Mine");
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(LanguageAt(0), mine);
    EXPECT_EQ(mine->code, 12);
    EXPECT_EQ(mine->flags, 5);  // kept to 16 bits
    ASSERT_EQ(mine->keywords.size(), 15u);
    EXPECT_EQ(mine->keywords.words().back(), "c1");
    // Flag 4: case-insensitive, so both cases are word characters.
    EXPECT_TRUE(IsKeyword(mine, "C1"));
    EXPECT_TRUE(mine->IsWordChar('A'));
    EXPECT_EQ(LanguageForFile("x.MN"), mine);

    // An existing language keeps its code; reading stops at an empty line.
    const Language* p = FindLanguage("Pascal");
    EXPECT_EQ(p->code, 4);
    EXPECT_EQ(p->keywords.words(), (std::vector<std::string>{"one", "two"}));
    EXPECT_FALSE(IsKeyword(p, "begin"));
    EXPECT_EQ(p->extensions, "PAS");  // missing keys keep what the language has
}

TEST_F(LanguageKeysTest, ZeroOrMissingLanguagesReadNothing) {
    t.Write("velt.prj", "[velt]\nLanguage1=Ghost\n");
    pf::ProfileForgetCache();
    ReadLanguages(file, "velt");
    EXPECT_EQ(LanguageCount(), 5u);
    EXPECT_EQ(FindLanguage("Ghost"), nullptr);
}

TEST_F(LanguageKeysTest, RoundTripThroughTheSettingsFile) {
    // The languages take their place in the global settings.
    ClearSettingsParts();
    RegisterLanguageSettings();
    std::filesystem::create_directories(t / "root/lib");
    const std::string root = t / "root";

    auto first = NewUserLanguage("First");
    first->code = 20;
    first->extensions = "one;shared";
    first->commentChars = "%";
    first->icon = "first.ico";
    first->flags = 4;
    SetKeywords(*first, {"Alpha", "beta", "gamma", "delta", "eps", "zeta", "eta", "theta"});
    AddLanguage(std::move(first));
    auto second = NewUserLanguage("Second");
    second->code = 21;
    second->extensions = "two;shared";
    AddLanguage(std::move(second));
    Language* c = FindLanguage("C Language");
    c->extensions = "C;H;CC";
    SetKeywords(*c, {"int", "char"});
    const std::vector<std::string> before = DescribeAll();

    GlobalSettings s;
    ASSERT_TRUE(SaveGlobalSettings(root, s, SaveContext{}));
    ResetLanguages();
    pf::ProfileForgetCache();
    GlobalSettings loaded;
    LoadGlobalSettings(root, loaded);
    EXPECT_EQ(DescribeAll(), before);
    // The registry order survives, so the same language still wins a shared extension.
    EXPECT_EQ(LanguageForFile("z.shared")->name, "Second");

    // The icon taken away is removed from the file, not read back.
    FindLanguage("First")->icon.clear();
    ASSERT_TRUE(SaveGlobalSettings(root, s, SaveContext{}));
    ResetLanguages();
    pf::ProfileForgetCache();
    LoadGlobalSettings(root, loaded);
    EXPECT_EQ(FindLanguage("First")->icon, "");

    std::ostringstream dump;
    DumpSettingsParts(SettingsSlot::Languages, dump);
    EXPECT_NE(dump.str().find("Language2=First\n"), std::string::npos) << dump.str();
    EXPECT_NE(dump.str().find("Language7KeywordCount=2\n"), std::string::npos);
    ClearSettingsParts();
}

class LanguagePageTest : public LanguageTest {
  protected:
    GlobalSettings settings;
    std::string root;
    ConfigContext ctx{settings, root};
    LanguagePage page;
};

TEST_F(LanguagePageTest, EditsReachTheRegistryAndTheOpenDocuments) {
    Document& d = Doc("/t/a.mn", {"foo bar"});
    Document& e = Doc("/t/b.ee", {"x"});
    EXPECT_EQ(d.language, nullptr);
    page.Load(ctx);
    EXPECT_EQ(page.Names(),
              (std::vector<std::string>{"eiffel", "Pascal", "Fortran", "Assembly", "C Language"}));
    // The keyword field holds seven words a line, as they are stored.
    EXPECT_EQ(page.languages[4].keywords.substr(0, page.languages[4].keywords.find('\n')),
              "new class public private if for else");

    EXPECT_EQ(page.Add(), 0);
    LanguageEntry& mine = page.languages[0];
    EXPECT_EQ(mine.code, 7);  // one above every code in use
    mine.name = "Mine";
    mine.extensions = " .mn ; x";
    mine.commentChars = "#";
    mine.keywords = "foo\nBAR  baz";
    mine.SetCaseInsensitive(true);
    page.languages[1].extensions = "e;ee";  // eiffel
    ASSERT_TRUE(page.Validate(ctx));
    ASSERT_TRUE(page.Apply(ctx));

    const Language* l = LanguageAt(0);
    EXPECT_EQ(l->name, "Mine");
    EXPECT_EQ(l->extensions, "mn;x");
    EXPECT_EQ(l->keywords.words(), (std::vector<std::string>{"foo", "BAR", "baz"}));
    EXPECT_EQ(d.language, l);
    EXPECT_EQ(RunsOf(d, 1), "keyword|foo\ntext| \nkeyword|bar\n");
    EXPECT_EQ(e.language, FindLanguage("eiffel"));
    EXPECT_EQ(LanguageCount(), 6u);
}

TEST_F(LanguagePageTest, RefusedNamesChangeNothing) {
    page.Load(ctx);
    page.Add();
    page.languages[0].name = "Pascal";
    page.languages[0].extensions = "pp";
    EXPECT_FALSE(page.Validate(ctx));
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"Name already used"}));
    EXPECT_EQ(page.selected, 2);  // the second "Pascal"
    EXPECT_EQ(LanguageForFile("a.pp"), nullptr);

    page.languages[0].name = "";
    EXPECT_FALSE(page.Validate(ctx));
    EXPECT_EQ(page.selected, 0);
    EXPECT_EQ(ui.beeps, 1);

    // The built-in languages are recognised by their names.
    page.languages[0].name = "New";
    EXPECT_FALSE(page.NameEditable(5));
    EXPECT_TRUE(page.NameEditable(0));
    page.languages[5].name = "C";
    EXPECT_FALSE(page.Validate(ctx));
    EXPECT_EQ(page.selected, 5);
    page.languages[5].name = "C Language";
    EXPECT_TRUE(page.Validate(ctx));

    // Only a language added on the page can be taken away.
    EXPECT_FALSE(page.Remove(1));
    EXPECT_TRUE(page.Remove(0));
    EXPECT_EQ(page.languages.size(), 5u);
}

}  // namespace
