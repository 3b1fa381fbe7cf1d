#include "analysis/word_completion.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "../editor/editing_fixture.h"
#include "editor/language.h"
#include "shell/commands.h"

namespace velt {
namespace {

using testing::Strings;

class WordCompletionTest : public testing::EditingTest {
  protected:
    void SetUp() override {
        EditingTest::SetUp();
        ResetLanguages();
    }
    // Opens `lines` in a window of its own written in `language` (null: none).
    EditView* OpenAs(const char* language, const Strings& lines, const std::string& name) {
        EditView* v = Open(lines, name);
        v->document->language = language ? FindLanguage(language) : nullptr;
        return v;
    }
    EditView* OpenC(const Strings& lines, const std::string& name = "t.c") {
        return OpenAs(kCLanguageName, lines, name);
    }
    // The candidates with the cursor at the end of line `n`.
    Strings AtEndOf(int n) {
        At(n, LineLength(n));
        return CompletionAt(*view).candidates;
    }
    int LineLength(int n) { return static_cast<int>(Line1(n).size()); }
};

TEST_F(WordCompletionTest, PrefixCandidatesComeFromTheOpenCDocumentsOnly) {
    OpenC({"int countTotal, counter;", "/* countInComment */ char *s = \"countInString\";",
           "char c = 'count'; // countAfterSlashes", "#define COUNT_MAX 10",
           "#include <countheader.h>", "int Count3 = 0x1count;", "/* countOpen", "countStill */"},
          "one.c");
    OpenC({"void countDown(void) { counter--; }", "int count;", "char *t = \"a\\", "countCont\";"},
          "three.c");
    // Typed in a Pascal window: the words come from the C documents all the same.
    OpenAs("Pascal", {"var countPascal: integer;", ""}, "two.pas");
    At(2, 0);
    Type("coun");
    const Completion c = CompletionAt(*view);
    EXPECT_EQ(c.typed, "coun");
    EXPECT_FALSE(c.member);
    EXPECT_EQ(c.candidates, (Strings{"count", "countDown", "counter", "countTotal"}));
    // Letter case is part of the prefix; the macro name of a #define line counts.
    Type(" COU");
    EXPECT_EQ(CompletionAt(*view).candidates, (Strings{"COUNT_MAX"}));
    Type(" Cou");
    EXPECT_EQ(CompletionAt(*view).candidates, (Strings{"Count3"}));
    // The whole word typed already: nothing longer is left.
    Type(" countTotal");
    EXPECT_TRUE(CompletionAt(*view).candidates.empty());
    // Nothing typed, or a number: there is no word to complete.
    Type(" ");
    EXPECT_TRUE(CompletionAt(*view).candidates.empty());
    Type("0x1cou");
    EXPECT_TRUE(CompletionAt(*view).candidates.empty());
}

TEST_F(WordCompletionTest, NoCandidateBeepsAndChangesNothing) {
    OpenC({"int alpha;", "zz"});
    At(2, 2);
    Command(kCmdWordCompletion);
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(Text(), (Strings{"int alpha;", "zz"}));
    EXPECT_FALSE(doc->flags & kDocModified);
    EXPECT_EQ(UndoCount(), 0);
    EXPECT_TRUE(ui.popupMenus.empty());
    EXPECT_TRUE(ui.lists.empty());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(WordCompletionTest, OneCandidateIsInsertedAndOneUndoTakesItBack) {
    OpenC({"static int uniqueName;", "int x = uni + 1;"});
    At(2, 11);
    Command(kCmdWordCompletion);
    EXPECT_EQ(Line1(2), "int x = uniqueName + 1;");
    EXPECT_EQ(Cursor(), (std::pair<int, int>{2, 18}));
    EXPECT_EQ(ui.beeps, 0);
    EXPECT_TRUE(ui.popupMenus.empty());
    ASSERT_NE(LastRecord(), nullptr);
    EXPECT_EQ(LastRecord()->wparam, static_cast<std::uint32_t>(kCmdWordCompletion));
    EXPECT_EQ(std::string(LastRecord()->text, LastRecord()->textLength), "queName");

    Command(kCmdUndo);
    EXPECT_EQ(Line1(2), "int x = uni + 1;");
    EXPECT_EQ(Cursor(), (std::pair<int, int>{2, 11}));
    Command(kCmdUndo);  // nothing else was recorded
    EXPECT_EQ(Line1(2), "int x = uni + 1;");
}

TEST_F(WordCompletionTest, EscInTheEditorCompletes) {
    OpenC({"int longWordHere;", "lon"});
    At(2, 3);
    Key(kVkEscape);
    Char(27);
    EXPECT_EQ(Line1(2), "longWordHere");
}

TEST_F(WordCompletionTest, SeveralCandidatesGoToThePopupAndManyToTheList) {
    Strings lines;
    for (int i = 0; i < 3; ++i) lines.push_back("int pick" + std::to_string(i) + ";");
    lines.push_back("pi");
    OpenC(lines);
    At(4, 2);
    ui.popupAnswers.push_back(1);
    Command(kCmdWordCompletion);
    ASSERT_EQ(ui.popupMenus.size(), 1u);
    EXPECT_EQ(ui.popupMenus[0], (Strings{"pick0", "pick1", "pick2"}));
    EXPECT_EQ(Line1(4), "pick1");

    // Dismissed: nothing inserted, nothing recorded.
    const int records = UndoCount();
    At(4, 2);
    Command(kCmdWordCompletion);
    EXPECT_EQ(ui.popupMenus.size(), 2u);
    EXPECT_EQ(Line1(4), "pick1");
    EXPECT_EQ(UndoCount(), records);
    EXPECT_EQ(ui.beeps, 0);

    // 24 still fit the menu; 25 go to the list, whose choice is inserted.
    Strings many;
    for (int i = 10; i < 34; ++i) many.push_back("word" + std::to_string(i) + ";");
    many.push_back("wo");
    OpenC(many, "many.c");
    At(25, 2);
    Command(kCmdWordCompletion);
    EXPECT_EQ(ui.popupMenus.size(), 3u);
    EXPECT_EQ(ui.popupMenus.back().size(), 24u);
    EXPECT_TRUE(ui.lists.empty());

    Type("\nint word34;");
    At(25, 2);
    ui.listAnswers.push_back(24);
    Command(kCmdWordCompletion);
    EXPECT_EQ(ui.popupMenus.size(), 3u);
    ASSERT_EQ(ui.lists.size(), 1u);
    EXPECT_EQ(ui.lists[0].size(), 25u);
    EXPECT_EQ(ui.lists[0].front(), "word10");
    EXPECT_EQ(ui.lists[0].back(), "word34");
    EXPECT_EQ(Line1(25), "word34");
}

TEST_F(WordCompletionTest, OrderIsAlphabeticalWithoutRegardToCase) {
    OpenC({"struct s { int Zeta, alpha, Beta, beta, alpha; } v;", "v."});
    // Byte order would put "Beta" and "Zeta" before "alpha"; the repeated member comes once.
    EXPECT_EQ(AtEndOf(2), (Strings{"alpha", "Beta", "beta", "Zeta"}));
    EXPECT_TRUE(WordOrderLess("ALPHA2", "alpha3"));
    EXPECT_TRUE(WordOrderLess("Beta", "beta"));
    EXPECT_FALSE(WordOrderLess("beta", "Beta"));
    EXPECT_TRUE(WordOrderLess("be", "Beta"));
}

TEST_F(WordCompletionTest, ReadOnlyDocumentsBeepAndStayUnchanged) {
    OpenC({"int readable;", "rea"});
    doc->flags |= kDocReadOnly;
    At(2, 3);
    Command(kCmdWordCompletion);
    EXPECT_EQ(Line1(2), "rea");
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(UndoCount(), 0);
}

// The expression is typed on line 12, inside area().
const Strings kStructs = {
    "struct point { int x, y; };",
    "typedef struct { struct point origin; int width; } Rect;",
    "typedef struct node { int value; struct node *next; Rect box[4]; } Node, *NodePtr;",
    "union number { long whole; double real; };",
    "struct point origin;",
    "Node list[10];",
    "/* struct point commented; */",
    "int area(Rect *r, NodePtr head)",
    "{",
    "    union number n;",
    "    struct point *corners[2], single;",
    "",
    "}",
    "void other(Node r) { }",
};

TEST_F(WordCompletionTest, MembersOfTheTypeBeforeTheDotOrArrow) {
    OpenC(kStructs, "shapes.c");
    // Line 12 becomes `text`, the cursor at its end.
    auto members = [&](const std::string& text) {
        At(12, 0);
        DeleteChars(LineLength(12));
        Type(text);
        return CompletionAt(*view).candidates;
    };
    EXPECT_EQ(members("origin."), (Strings{"x", "y"}));       // a global
    EXPECT_EQ(members("r->"), (Strings{"origin", "width"}));  // a typedef'd pointer parameter
    EXPECT_EQ(members("r->w"), (Strings{"width"}));
    EXPECT_EQ(members("head->"), (Strings{"box", "next", "value"}));        // pointer typedef
    EXPECT_EQ(members("head->next->box[1].origin."), (Strings{"x", "y"}));  // a chain
    EXPECT_EQ(members("list[3].next -> v"), (Strings{"value"}));
    EXPECT_EQ(members("(*head).box->"), (Strings{"origin", "width"}));
    EXPECT_EQ(members("n."), (Strings{"real", "whole"}));  // a local union
    EXPECT_EQ(members("corners[0]->"), (Strings{"x", "y"}));
    EXPECT_EQ(members("single."), (Strings{"x", "y"}));
    EXPECT_EQ(members("((struct node *)0)->"), (Strings{"box", "next", "value"}));
    // Unknown names, members that are no structures, calls, and numbers give nothing.
    EXPECT_TRUE(members("commented.").empty());
    EXPECT_TRUE(members("origin.x.").empty());
    EXPECT_TRUE(members("area(0)->").empty());
    EXPECT_TRUE(members("head->nothing.").empty());
    EXPECT_TRUE(members("x = 3.").empty());

    // One member left: taken at once.
    members("r->wi");
    Command(kCmdWordCompletion);
    EXPECT_EQ(Line1(12), "r->width");
    EXPECT_EQ(ui.beeps, 0);
}

TEST_F(WordCompletionTest, ParametersAndLocalsBelongToTheirFunction) {
    OpenC({"struct a { int inA; };", "struct b { int inB; };", "struct a v;", "void f(struct b v)",
           "{", "    ", "}", "void g(void)", "{", "    struct b w;", "    ", "}",
           "void h(void) { struct b v; }", "void proto(struct b v);", "void k(void)", "{", "    ",
           "}"});
    At(6, 4);
    Type("v.");
    EXPECT_EQ(CompletionAt(*view).candidates, (Strings{"inB"}));  // the parameter
    At(11, 4);
    Type("w.");
    EXPECT_EQ(CompletionAt(*view).candidates, (Strings{"inB"}));  // the local
    At(17, 4);
    Type("v.");
    // Neither another function's local nor the prototype's parameter: the global.
    EXPECT_EQ(CompletionAt(*view).candidates, (Strings{"inA"}));
}

TEST_F(WordCompletionTest, TypesAndGlobalsOfAnotherOpenDocument) {
    OpenC({"typedef struct { int r, g, b; } Colour;", "extern Colour paper;"}, "colour.h");
    OpenAs("Pascal", {"type Colour = record ignored: integer; end;"}, "colour.pas");
    OpenC({"#include \"colour.h\"", "int main(void)", "{", "    paper.", "}"}, "main.c");
    At(4, 10);
    EXPECT_EQ(CompletionAt(*view).candidates, (Strings{"b", "g", "r"}));
    ui.popupAnswers.push_back(1);
    Command(kCmdWordCompletion);
    EXPECT_EQ(Line1(4), "    paper.g");
    Command(kCmdUndo);
    EXPECT_EQ(Line1(4), "    paper.");
}

TEST_F(WordCompletionTest, DeepNestingIsNotFollowedIntoTheStack) {
    std::string bodies;
    for (int i = 0; i < 2000; ++i) bodies += "struct s" + std::to_string(i) + " { ";
    std::string deref;
    for (int i = 0; i < 10000; ++i) deref += "(*";
    const Strings lines = {"struct t { int " + std::string(16000, '(') + "a" +
                               std::string(16000, ')') + "; int b; } v;",
                           bodies, std::string(16000, '(') + "v" + std::string(16000, ')') + ".",
                           deref + "v" + std::string(10000, ')') + ".", "v."};
    // Set in place: loading would break the long lines.
    OpenC(Strings(lines.size(), ""));
    for (std::size_t i = 0; i < lines.size(); ++i)
        SetLineText(*doc, LineAt(*doc, static_cast<int>(i) + 1), lines[i].data(),
                    static_cast<int>(lines[i].size()));
    At(3, LineLength(3));
    EXPECT_TRUE(CompletionAt(*view).candidates.empty());
    At(4, LineLength(4));
    EXPECT_TRUE(CompletionAt(*view).candidates.empty());
    // Too deep to follow, but a shallow expression still works beside them.
    At(5, 2);
    EXPECT_EQ(CompletionAt(*view).candidates, (Strings{"b"}));
}

TEST_F(WordCompletionTest, AMillionLinesCompleteInLinearTime) {
    Document* big = Make("big.c", {});
    big->language = FindLanguage(kCLanguageName);
    for (int i = 0; i < 1000000; ++i) {
        const std::string l = "    total += value_" + std::to_string(i % 1000) + " * 2; /* v */";
        AppendLine(*big, NewLine(l.data(), static_cast<int>(l.size())));
    }
    AppendLine(*big, NewLine("valu", 4));
    EditView* v = NewView(big, 0);
    PlaceCursor(*v, 1000001, 4);
    const auto start = std::chrono::steady_clock::now();
    const Completion c = CompletionAt(*v);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    EXPECT_EQ(c.candidates.size(), 1000u);
    EXPECT_EQ(c.candidates.front(), "value_0");
    EXPECT_EQ(c.candidates.back(), "value_999");
    // Generous enough for an unoptimised build; a scan that is not linear takes minutes.
    EXPECT_LT(ms, 5000);
    std::printf("word completion over 1,000,001 lines: %lld ms\n", static_cast<long long>(ms));

    // Members: the structures and the declarations of the variable are looked for in all.
    const std::string s = "struct wide { int left, right; } far_away;";
    InsertLineAfter(*big, big->head, NewLine(s.data(), static_cast<int>(s.size())));
    const std::string last = "far_away.";
    SetLineText(*big, big->Last(), last.data(), static_cast<int>(last.size()));
    PlaceCursor(*v, 1000002, 9);
    const auto again = std::chrono::steady_clock::now();
    EXPECT_EQ(CompletionAt(*v).candidates, (Strings{"left", "right"}));
    const auto memberMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now() - again)
                              .count();
    EXPECT_LT(memberMs, 5000);
    std::printf("member completion over 1,000,002 lines: %lld ms\n",
                static_cast<long long>(memberMs));
}

}  // namespace
}  // namespace velt
