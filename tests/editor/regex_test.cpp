// The regular-expression compiler and matcher: the errors, the node program, the hints and
// the matching rules, and the bound on the matcher's work.
#include "editor/regex.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "scripted_ui.h"

namespace velt::testing {
namespace {

struct Found {
    int start = -1;
    int length = 0;
    bool operator==(const Found&) const = default;
};

// The first match of `pattern` in `text` from `column` (start -1: none).
Found FindIn(const std::string& pattern, const std::string& text, int column = 0) {
    CompiledRegex rx;
    EXPECT_EQ(rx.Compile(pattern), kRegexOk) << pattern;
    Found f;
    if (!rx.Find(text.data(), static_cast<int>(text.size()), column, f.start, f.length)) f = {};
    return f;
}

unsigned ErrorOf(const std::string& pattern) {
    CompiledRegex rx;
    const unsigned e = rx.Compile(pattern);
    EXPECT_EQ(rx.Compiled(), e == kRegexOk);
    return e;
}

TEST(RegexCompile, EveryErrorHasItsMessage) {
    struct Case {
        const char* pattern;
        unsigned error;
    };
    const std::vector<Case> cases = {
        {"*a", kRegexNothingToRepeat},
        {"+", kRegexNothingToRepeat},
        {"a|?b", kRegexNothingToRepeat},
        {"(*a)", kRegexNothingToRepeat},
        {"(((((((((x)))))))))", kRegexOk},  // nine groups
        {"((((((((((x))))))))))", kRegexTooManyGroups},
        {"(a", kRegexMismatchedParens},
        {"a)", kRegexMismatchedParens},
        {"(a))", kRegexMismatchedParens},
        {"(x*)*", kRegexEmptyOperand},
        {"()+", kRegexEmptyOperand},
        {"^*", kRegexEmptyOperand},
        {"(a|)*", kRegexEmptyOperand},
        {"(x*)?", kRegexOk},  // "?" may repeat what can be empty
        {"[z-a]", kRegexInvalidRange},
        {"[a-a]", kRegexOk},
        {"[abc", kRegexTrailingBackslash},
        {"[]", kRegexTrailingBackslash},  // the "]" right after "[" is a member
        {"ab\\", kRegexTrailingBackslash},
        {"a**", kRegexBad},
        {"a*?", kRegexBad},
        {"(a)+*", kRegexBad},
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.pattern), c.error) << c.pattern;

    EXPECT_EQ(RegexErrorText(kRegexNothingToRepeat), "?*+ followed by nothing");
    EXPECT_EQ(RegexErrorText(kRegexTooManyGroups), "Too many () in reg exp");
    EXPECT_EQ(RegexErrorText(kRegexMismatchedParens), "Mismatched () in regular expression");
    EXPECT_EQ(RegexErrorText(kRegexEmptyOperand), "Operand of +? could be empty");
    EXPECT_EQ(RegexErrorText(kRegexInvalidRange), "Invalid [] range");
    EXPECT_EQ(RegexErrorText(kRegexTrailingBackslash), "Trailing backslash");
    EXPECT_EQ(RegexErrorText(kRegexBad), "Bad regular expression");
}

TEST(RegexCompile, TheProgramHasItsSizeLimit) {
    // A literal run of n characters takes 3 + n + 1 bytes: with "S", BRANCH and END, 11 + n.
    CompiledRegex rx;
    EXPECT_EQ(rx.Compile(std::string(kRegexMaxProgram - 11, 'x')), kRegexOk);
    EXPECT_EQ(rx.ProgramSize(), kRegexMaxProgram);
    EXPECT_EQ(rx.Compile(std::string(kRegexMaxProgram - 10, 'x')), kRegexBad);
    EXPECT_FALSE(rx.Compiled());
    // Sets grow with their ranges.
    EXPECT_EQ(rx.Compile(std::string(200, '.') + "[\x01-\xff]"), kRegexOk);
    std::string many;
    for (int i = 0; i < 130; ++i) many += "[\x01-\xff]";
    EXPECT_EQ(rx.Compile(many), kRegexBad);
}

TEST(RegexCompile, NodesAreOpcodeBigEndianNextAndOperand) {
    CompiledRegex rx;
    ASSERT_EQ(rx.Compile("ab*c"), kRegexOk);
    const std::vector<std::uint8_t> expected = {
        'S',                        //
        kRxBranch,  0, 21,          // 1: the only alternative, next: END at 22
        kRxExactly, 0, 5,  'a', 0,  // 4
        kRxStar,    0, 8,           // 9: next is 17, its operand follows
        kRxExactly, 0, 0,  'b', 0,  // 12
        kRxExactly, 0, 5,  'c', 0,  // 17
        kRxEnd,     0, 0,           // 22
    };
    ASSERT_EQ(rx.ProgramSize(), static_cast<int>(expected.size()));
    EXPECT_EQ(std::vector<std::uint8_t>(rx.Program(), rx.Program() + rx.ProgramSize()), expected);
    EXPECT_EQ(rx.FirstChar(), 'a');
    EXPECT_FALSE(rx.Anchored());

    // Operators on anything but one character are loops of BRANCH and BACK; "?" is a BRANCH
    // with a NOTHING alternative.
    auto ops = [&rx](const char* pattern) {
        EXPECT_EQ(rx.Compile(pattern), kRegexOk);
        std::vector<int> out;
        for (int i = 1; i < rx.ProgramSize();) {
            const std::uint8_t op = rx.Program()[i];
            out.push_back(op);
            i += 3;
            if (op == kRxExactly || op == kRxAnyOf || op == kRxAnyBut) {
                while (rx.Program()[i]) ++i;
                ++i;
            }
        }
        return out;
    };
    EXPECT_EQ(ops("(ab)*"),
              (std::vector<int>{kRxBranch, kRxBranch, kRxOpen + 1, kRxBranch, kRxExactly,
                                kRxClose + 1, kRxBack, kRxBranch, kRxNothing, kRxEnd}));
    EXPECT_EQ(ops("(ab)+"),
              (std::vector<int>{kRxBranch, kRxOpen + 1, kRxBranch, kRxExactly, kRxClose + 1,
                                kRxBranch, kRxBack, kRxBranch, kRxNothing, kRxEnd}));
    EXPECT_EQ(ops("x?"),
              (std::vector<int>{kRxBranch, kRxBranch, kRxExactly, kRxBranch, kRxNothing, kRxEnd}));
    EXPECT_EQ(ops("[a-c]+."), (std::vector<int>{kRxBranch, kRxPlus, kRxAnyOf, kRxAny, kRxEnd}));
    // A run before an operator gives its last character up to it.
    EXPECT_EQ(ops("abc+"), (std::vector<int>{kRxBranch, kRxExactly, kRxPlus, kRxExactly, kRxEnd}));
}

TEST(RegexCompile, HintsComeFromTheOnlyAlternative) {
    CompiledRegex rx;
    ASSERT_EQ(rx.Compile("^int"), kRegexOk);
    EXPECT_TRUE(rx.Anchored());
    EXPECT_EQ(rx.FirstChar(), -1);
    EXPECT_EQ(rx.Required(), "int");
    ASSERT_EQ(rx.Compile("abc|d"), kRegexOk);  // two alternatives: no hints
    EXPECT_EQ(rx.FirstChar(), -1);
    EXPECT_FALSE(rx.Anchored());
    EXPECT_EQ(rx.Required(), "");
    ASSERT_EQ(rx.Compile("[ \t]*static(x)?long"), kRegexOk);
    EXPECT_EQ(rx.Required(), "static");     // the longest literal of the top level
    ASSERT_EQ(rx.Compile("x*"), kRegexOk);  // may match nothing: nothing is required
    EXPECT_EQ(rx.Required(), "");
    ASSERT_EQ(rx.Compile("(abcdef)?xy"), kRegexOk);  // an optional literal is not required
    EXPECT_EQ(rx.Required(), "xy");
    // The hints never lose a match.
    EXPECT_EQ(FindIn("[ \t]*static(x)?long", "  staticxlong"), (Found{0, 13}));
    EXPECT_EQ(FindIn("(abcdef)?xy", "--xy"), (Found{2, 2}));
}

TEST(RegexMatch, PiecesAndAlternatives) {
    EXPECT_EQ(ErrorOf("a|b*"), kRegexOk);
    EXPECT_EQ(FindIn("a|b*", "xa"), (Found{0, 0}));  // b* matches nothing at 0
    EXPECT_EQ(FindIn("a|b*", "bba"), (Found{0, 2}));
    EXPECT_EQ(FindIn("ab*c", "ac"), (Found{0, 2}));
    EXPECT_EQ(FindIn("ab*c", "abbbc"), (Found{0, 5}));
    EXPECT_EQ(FindIn("ab*c", "abbd"), Found{});
    EXPECT_EQ(FindIn("ab+c", "xac abc"), (Found{4, 3}));
    EXPECT_EQ(FindIn("colou?r", "color colour"), (Found{0, 5}));
    EXPECT_EQ(FindIn("abc+", "abcabccc"), (Found{0, 3}));
    EXPECT_EQ(FindIn("abc*", "ab"), (Found{0, 2}));
    EXPECT_EQ(FindIn("a.c", "a\tc"), (Found{0, 3}));
    EXPECT_EQ(FindIn("x(ab|cd)*y", "qxabcdaby"), (Found{1, 8}));
    EXPECT_EQ(FindIn("((a|b)c|d)+e", "zzacbcde"), (Found{2, 6}));
    EXPECT_EQ(FindIn("(a|ab)(c|bcd)(d*)", "abcd"), (Found{0, 4}));
    EXPECT_EQ(FindIn("a\\*b\\.", "a*b. axb"), (Found{0, 4}));
    EXPECT_EQ(FindIn("\\(.*\\)", "f(x) (y)"), (Found{1, 7}));  // greedy
    EXPECT_EQ(FindIn(".*x", std::string(30000, 'y') + "x"), (Found{0, 30001}));
    EXPECT_EQ(FindIn("\xe9+", "caf\xe9\xe9!"), (Found{3, 2}));  // any byte is a character
}

TEST(RegexMatch, SetsWithRangesAndTheirLiteralCharacters) {
    EXPECT_EQ(FindIn("[]a]+", "xx]a]b"), (Found{2, 3}));
    EXPECT_EQ(FindIn("[^]a]+", "]a]bc]"), (Found{3, 2}));
    EXPECT_EQ(FindIn("[-a]+", "x-a-b"), (Found{1, 3}));
    EXPECT_EQ(FindIn("[a-]+", "x-a-b"), (Found{1, 3}));
    EXPECT_EQ(FindIn("[a-cx-z]+", "mmbyczq"), (Found{2, 4}));
    EXPECT_EQ(FindIn("[0-9-]+", "tel 555-12"), (Found{4, 6}));
    EXPECT_EQ(FindIn("[^a-c]+", "abcxyzab"), (Found{3, 3}));
    EXPECT_EQ(FindIn("[.]", "a.b"), (Found{1, 1}));  // no metacharacters inside
    EXPECT_EQ(FindIn("[\\]", "a\\b"), (Found{1, 1}));
    // A set never matches at the end of the text, negated or not.
    EXPECT_EQ(FindIn("x[^a]", "x"), Found{});
    EXPECT_EQ(FindIn("x[a]*$", "xaa"), (Found{0, 3}));
    // A NUL in the text belongs to no set.
    EXPECT_EQ(FindIn("[^b]", std::string("\0", 1)), (Found{0, 1}));
    EXPECT_EQ(FindIn("[a]", std::string("\0a", 2)), (Found{1, 1}));
}

TEST(RegexMatch, AnchorsAndTheStartColumn) {
    EXPECT_EQ(FindIn("^abc", "12345abc", 5), (Found{5, 3}));  // "^" is where the search starts
    EXPECT_EQ(FindIn("^abc", "12345abc", 0), Found{});
    EXPECT_EQ(FindIn("abc", "abc abc", 1), (Found{4, 3}));
    EXPECT_EQ(FindIn("c$", "abc"), (Found{2, 1}));
    EXPECT_EQ(FindIn("^$", ""), Found{});
    EXPECT_EQ(FindIn("a^b", "a^b ab"), Found{});
    // A match that begins at the end of the text is none: a lone "$" finds nothing.
    EXPECT_EQ(FindIn("$", "abc"), Found{});
    EXPECT_EQ(FindIn("x*", ""), Found{});
    EXPECT_EQ(FindIn("x*", "ab", 1), (Found{1, 0}));
    // After a replacement the line goes on with "^" still at its start.
    CompiledRegex rx;
    ASSERT_EQ(rx.Compile("^a"), kRegexOk);
    int start = 0;
    int length = 0;
    EXPECT_FALSE(rx.FindAfter("aaa", 3, 1, start, length));
    ASSERT_EQ(rx.Compile("a"), kRegexOk);
    EXPECT_TRUE(rx.FindAfter("aaa", 3, 1, start, length));
    EXPECT_EQ(start, 1);
}

TEST(RegexMatch, GroupsHoldWhereTheyMatched) {
    CompiledRegex rx;
    ASSERT_EQ(rx.Compile("(a|ab)(c|bcd)(d*)"), kRegexOk);
    ASSERT_TRUE(rx.Exec("xabcd", 5));
    EXPECT_EQ(rx.GroupStart(0), 1);
    EXPECT_EQ(rx.GroupEnd(0), 5);
    EXPECT_EQ(rx.GroupStart(1), 1);  // "a": the first alternative that leads to a match
    EXPECT_EQ(rx.GroupEnd(1), 2);
    EXPECT_EQ(rx.GroupStart(2), 2);  // "bcd"
    EXPECT_EQ(rx.GroupEnd(2), 5);
    EXPECT_EQ(rx.GroupStart(3), 5);  // empty at the end
    EXPECT_EQ(rx.GroupEnd(3), 5);
    EXPECT_EQ(rx.GroupStart(4), -1);

    ASSERT_EQ(rx.Compile("(x)?(b+)"), kRegexOk);
    ASSERT_TRUE(rx.Exec("abbb", 4));
    EXPECT_EQ(rx.GroupStart(1), -1);  // took no part
    EXPECT_EQ(rx.GroupStart(2), 1);
    EXPECT_EQ(rx.GroupEnd(2), 4);
    // A failed alternative leaves nothing behind.
    ASSERT_EQ(rx.Compile("(ab)c|a(bd)"), kRegexOk);
    ASSERT_TRUE(rx.Exec("abd", 3));
    EXPECT_EQ(rx.GroupStart(1), -1);
    EXPECT_EQ(rx.GroupStart(2), 1);
    // Find reports columns of the whole line.
    ASSERT_EQ(rx.Compile("(b)"), kRegexOk);
    int start = 0;
    int length = 0;
    ASSERT_TRUE(rx.Find("abab", 4, 2, start, length));
    EXPECT_EQ(rx.GroupStart(1), 3);
}

TEST(RegexMatch, TheWorkBoundStopsRunawayPatternsOnly) {
    ScriptedUi ui;
    ASSERT_TRUE(RegCompile("(a+)+b"));
    const std::string text = "b" + std::string(40, 'a') + "c";
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(RegExec(text.data(), static_cast<int>(text.size())));
    EXPECT_TRUE(GlobalRegex().HitLimit());
    EXPECT_FALSE(RegExec(text.data(), static_cast<int>(text.size())));
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 5.0);
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"Bad regular expression"}));  // once
    // A match the bound did not cut short is still found.
    EXPECT_TRUE(RegExec("aab", 3));
    EXPECT_FALSE(GlobalRegex().HitLimit());
    // A new compilation may tell again.
    ASSERT_TRUE(RegCompile("(a|aa)+c"));
    const std::string other = "c" + std::string(40, 'a') + "b";
    int start = 0;
    int length = 0;
    EXPECT_FALSE(RegFindInLine(other.data(), static_cast<int>(other.size()), 0, start, length));
    EXPECT_EQ(ui.Texts().size(), 2u);

    // Ordinary patterns on long lines stay well inside it.
    CompiledRegex rx;
    std::string pairs;
    for (int i = 0; i < 2000; ++i) pairs += "ab";
    ASSERT_EQ(rx.Compile("(ab)*$"), kRegexOk);
    EXPECT_TRUE(rx.Exec(pairs.data(), static_cast<int>(pairs.size())));
    EXPECT_EQ(rx.GroupEnd(0), 4000);
    const std::string line = std::string(8000, ' ') + "int main(void) { return 0; }";
    ASSERT_EQ(rx.Compile("[a-z_]+[ \t]*\\(.*\\)"), kRegexOk);
    EXPECT_TRUE(rx.Exec(line.data(), static_cast<int>(line.size())));
    EXPECT_FALSE(rx.HitLimit());
}

TEST(RegexGlobal, CompileShowsTheErrorAndKeepsOneExpression) {
    ScriptedUi ui;
    ASSERT_TRUE(RegCompile("b+"));
    EXPECT_TRUE(RegExec("abb", 3));
    EXPECT_EQ(RegGroupStart(0), 1);
    EXPECT_FALSE(RegCompile("*b"));
    EXPECT_FALSE(RegCompile("[b-a]"));
    EXPECT_EQ(ui.Texts(),
              (std::vector<std::string>{"?*+ followed by nothing", "Invalid [] range"}));
    EXPECT_EQ(ui.boxes[1].caption, "Error");
    // The failed compilation released the previous expression.
    EXPECT_FALSE(GlobalRegex().Compiled());
    EXPECT_FALSE(RegExec("abb", 3));

    // A damaged program counts as no match and says so.
    ASSERT_TRUE(RegCompile("ab"));
    auto* program = const_cast<std::uint8_t*>(GlobalRegex().Program());
    program[4] = 77;
    ui.Clear();
    EXPECT_FALSE(RegExec("ab", 2));
    EXPECT_TRUE(GlobalRegex().Damaged());
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"Bad regular expression"}));
    program[0] = 'X';
    EXPECT_FALSE(RegExec("ab", 2));
    EXPECT_TRUE(GlobalRegex().Damaged());
    GlobalRegex().Release();
}

}  // namespace
}  // namespace velt::testing
