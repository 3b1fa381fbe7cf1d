// The regular-expression compiler and matcher: the errors, the node program, the hints and
// the matching rules, and the bound on the matcher's work.
#include "editor/regex.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
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

// Everything a search reports: the answer, the groups and whether the matcher gave up.
struct Outcome {
    bool found = false;
    int start = -1;
    int length = 0;
    std::vector<int> groups;
    bool hitLimit = false;
    bool damaged = false;
    bool operator==(const Outcome&) const = default;
};

Outcome Record(CompiledRegex& rx, bool found, int start, int length) {
    Outcome o{found, start, length, {}, rx.HitLimit(), rx.Damaged()};
    for (int g = 0; g < kRegexGroups; ++g) {
        o.groups.push_back(rx.GroupStart(g));
        o.groups.push_back(rx.GroupEnd(g));
    }
    return o;
}

// Exec, Find from `column` and FindAfter from `column`, as one list.
std::vector<Outcome> RunAll(CompiledRegex& rx, const std::string& text, int column) {
    const int n = static_cast<int>(text.size());
    std::vector<Outcome> out;
    const bool found = rx.Exec(text.data(), n);
    out.push_back(Record(rx, found, rx.GroupStart(0), rx.GroupEnd(0)));
    int start = 0;
    int length = 0;
    bool f = rx.Find(text.data(), n, column, start, length);
    out.push_back(Record(rx, f, start, length));
    f = rx.FindAfter(text.data(), n, column, start, length);
    out.push_back(Record(rx, f, start, length));
    return out;
}

// The same expression with and without skipping the columns that cannot start a match.
struct Pair {
    CompiledRegex on;
    CompiledRegex off;
    unsigned Compile(const std::string& pattern) {
        off.SetStartFilter(false);
        const unsigned e = on.Compile(pattern);
        EXPECT_EQ(off.Compile(pattern), e);
        return e;
    }
    void SetWorkLimit(long steps) {
        on.SetWorkLimit(steps);
        off.SetWorkLimit(steps);
    }
    // Whether both report the same for every entry point; the filtered outcome in `seen`.
    bool Agree(const std::string& text, int column, std::vector<Outcome>* seen = nullptr) {
        const std::vector<Outcome> a = RunAll(on, text, column);
        const std::vector<Outcome> b = RunAll(off, text, column);
        if (seen) *seen = a;
        return a == b;
    }
};

// Random expressions of the whole grammar over a small alphabet, so that they match often.
class PatternMaker {
  public:
    explicit PatternMaker(unsigned seed) : rng_(seed) {}
    std::string Pattern() {
        groups_ = 0;
        return Alternatives(0);
    }
    std::string Text() {
        static const char kChars[] = "abcxyzAB_0-]^. \t\\*";
        std::string t;
        const int n = Pick(0, Pick(0, 1) ? 12 : 60);
        for (int i = 0; i < n; ++i) {
            const int r = Pick(0, 99);
            t += r == 0 ? '\0' : r == 1 ? '\xe9' : kChars[Pick(0, sizeof kChars - 2)];
        }
        return t;
    }
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  private:
    std::string Alternatives(int depth) {
        std::string s = Branch(depth);
        while (Pick(0, 5) == 0) s += "|" + Branch(depth);
        return s;
    }
    std::string Branch(int depth) {
        std::string s;
        const int pieces = Pick(1, 4);
        for (int i = 0; i < pieces; ++i) {
            s += Atom(depth);
            const int r = Pick(0, 9);
            if (r < 2)
                s += '*';
            else if (r < 3)
                s += '+';
            else if (r < 5)
                s += '?';
        }
        return s;
    }
    std::string Atom(int depth) {
        static const char* const kEscapes[] = {"\\.", "\\*", "\\[", "\\\\", "\\a", "\\^", "\\$"};
        switch (Pick(0, 11)) {
            case 0:
                return ".";
            case 1:
                return "^";
            case 2:
                return "$";
            case 3:
            case 4:
                return Set();
            case 5:
                return kEscapes[Pick(0, 6)];
            case 6:
            case 7:
                if (depth < 3 && groups_ < 9) {
                    ++groups_;
                    return "(" + Alternatives(depth + 1) + ")";
                }
                [[fallthrough]];
            default: {
                static const char kLiteral[] = "abcxAB_0 -]";
                std::string run;
                for (int n = Pick(1, 3); n > 0; --n) run += kLiteral[Pick(0, sizeof kLiteral - 2)];
                return run;
            }
        }
    }
    std::string Set() {
        static const char* const kItems[] = {"a",   "b", "x", "a-c", "A-Z",
                                             "0-9", "_", " ", "^",   "."};
        std::string s = Pick(0, 2) ? "[" : "[^";
        if (Pick(0, 5) == 0) s += Pick(0, 1) ? "]" : "-";  // members when first
        for (int n = Pick(1, 3); n > 0; --n) s += kItems[Pick(0, 9)];
        if (Pick(0, 7) == 0) s += '-';  // a member when last
        return s + "]";
    }

    std::mt19937 rng_;
    int groups_ = 0;
};

// Find in files folds case by upper-casing the expression and the text alike.
std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

TEST(RegexStart, SkippingColumnsChangesNoResult) {
    PatternMaker make(20240611);
    int compiled = 0;
    int filtered = 0;  // expressions that skip columns
    int found = 0;
    int gaveUp = 0;
    while (compiled < 3000) {
        const bool folded = make.Pick(0, 3) == 0;
        std::string pattern = make.Pattern();
        if (folded) pattern = Upper(pattern);
        Pair rx;
        if (rx.Compile(pattern) != kRegexOk) continue;
        ++compiled;
        if (!rx.on.TriesEveryColumn() && rx.on.FirstChar() < 0 && !rx.on.Anchored()) ++filtered;
        for (int i = 0; i < 12; ++i) {
            std::string text = make.Text();
            if (folded) text = Upper(text);
            // Now and then a small bound, so that the limit falls inside skipped columns;
            // otherwise one that runaway expressions reach soon.
            rx.SetWorkLimit(make.Pick(0, 3) == 0 ? make.Pick(1, 400) : 100'000);
            const int column = make.Pick(0, static_cast<int>(text.size()));
            std::vector<Outcome> seen;
            ASSERT_TRUE(rx.Agree(text, column, &seen))
                << "pattern '" << pattern << "' text '" << text << "' column " << column;
            for (const Outcome& o : seen) {
                found += o.found;
                gaveUp += o.hitLimit;
            }
        }
    }
    // The comparison meant something: many expressions skipped, matched and gave up.
    EXPECT_GT(filtered, 600);
    EXPECT_GT(found, 10000);
    EXPECT_GT(gaveUp, 500);
}

TEST(RegexStart, ATextRuledOutAtOnceWouldNotHaveReachedTheLimit) {
    // A text without a match may be answered without the matcher only when the matcher's
    // work on it stays within the limit. Its work is the least limit it does not reach:
    // one step less must still give up, filtered or not.
    PatternMaker make(77);
    int checked = 0;
    for (int i = 0; i < 1500; ++i) {
        const std::string pattern = make.Pattern();
        Pair rx;
        if (rx.Compile(pattern) != kRegexOk) continue;
        const std::string text = make.Text();
        const int n = static_cast<int>(text.size());
        auto givesUp = [&](long limit) {
            rx.off.SetWorkLimit(limit);
            return !rx.off.Exec(text.data(), n) && rx.off.HitLimit();
        };
        rx.SetWorkLimit(100'000);
        if (rx.off.Exec(text.data(), n) || rx.off.HitLimit()) continue;
        long lo = 0;  // the least limit not reached lies in [lo, hi]
        long hi = 100'000;
        while (lo < hi) {
            const long mid = (lo + hi) / 2;
            if (givesUp(mid))
                lo = mid + 1;
            else
                hi = mid;
        }
        for (long limit : {lo - 1, lo}) {
            if (limit < 0) continue;
            rx.SetWorkLimit(limit);
            ASSERT_TRUE(rx.Agree(text, 0))
                << "pattern '" << pattern << "' text '" << text << "' limit " << limit;
        }
        ++checked;
    }
    EXPECT_GT(checked, 500);
}

TEST(RegexStart, TheStartBytesAllowEveryWayAMatchCanBegin) {
    struct Case {
        const char* pattern;
        std::string text;
        Found expected;
    };
    const std::vector<Case> cases = {
        {"a?b", "xxb", {2, 1}},                   // an optional first piece: what follows may start
        {"a*b", "xb", {1, 1}},                    //
        {"(a|)b", "cb", {1, 1}},                  // an empty alternative
        {"(x)?(y)?z", "--z", {2, 1}},             // a chain of optional groups
        {"(ab)*c", "abac", {3, 1}},               // a loop that may be left at once
        {"(ab)+c", "cabc", {1, 3}},               //
        {"[^x]", "xxa", {2, 1}},                  // a negated set: nearly every byte
        {"[^x]", std::string("x\0", 2), {1, 1}},  // NUL is outside every set, so [^x] takes it
        {"[x]|.q", std::string("\0q", 2), {0, 2}},  // and so does "."
        {"[]a]x", "a]x", {1, 2}},                   // "]" first in a set is a member
        {"[a-]+", "x-a", {1, 2}},                   // so is a "-" last
        {"b[c-e]|[\\]", "z\\", {1, 1}},
        {"^b|c", "bc", {0, 1}},  // "^" only at the first column
        {"^b|c", "xbc", {2, 1}},
        {"x|^", "ab", {0, 0}},  // an empty match at the first column only
        {"(^a|b)c", "ac", {0, 2}},
        {"(^a|b)c", "xac", {}},
        {"c|$", "ab", {}},  // an empty match at the end is none for Find
        {"$x|y", "xy", {1, 1}},
        {"$x", "x", {}},                // no column can start it
        {"[A-C][0-9]", "ZB7", {1, 2}},  // folded: upper-case expression and text
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(FindIn(c.pattern, c.text), c.expected);
        Pair rx;
        ASSERT_EQ(rx.Compile(c.pattern), kRegexOk);
        for (int column = 0; column <= static_cast<int>(c.text.size()); ++column)
            EXPECT_TRUE(rx.Agree(c.text, column)) << column;
    }

    CompiledRegex rx;
    ASSERT_EQ(rx.Compile("a?b"), kRegexOk);
    EXPECT_TRUE(rx.MayStartWith('a') && rx.MayStartWith('b'));
    EXPECT_FALSE(rx.MayStartWith('c') || rx.TriesEveryColumn());
    ASSERT_EQ(rx.Compile("[^x]"), kRegexOk);
    EXPECT_TRUE(rx.MayStartWith('\0') && rx.MayStartWith('y'));
    EXPECT_FALSE(rx.MayStartWith('x'));
    ASSERT_EQ(rx.Compile("x*"), kRegexOk);  // matches the empty string anywhere
    EXPECT_TRUE(rx.TriesEveryColumn());
    ASSERT_EQ(rx.Compile("(b|.)c"), kRegexOk);  // "." takes anything
    EXPECT_TRUE(rx.TriesEveryColumn());
    ASSERT_EQ(rx.Compile("(^a|b)c"), kRegexOk);  // "^" can only hold at the first column
    EXPECT_FALSE(rx.MayStartWith('a'));
    EXPECT_TRUE(rx.MayStartWith('b'));
    EXPECT_EQ(FindIn("(^a|b)c", "ac"), (Found{0, 2}));
}

TEST(RegexStart, TheWorkOfSkippedColumnsStillCounts) {
    // Each skipped column is charged what a failed try there costs, so the bound gives up
    // at the same column, for every bound, as when every column is tried.
    const std::string text = std::string(60, 'z') + std::string(9, 'x') + "z" + "xxy";
    int gaveUp = 0;
    int found = 0;
    for (const char* pattern : {"(x|xx)+y", "(q|[xy])+y", "(x?)(x|xx)+y"}) {
        Pair rx;
        ASSERT_EQ(rx.Compile(pattern), kRegexOk);
        ASSERT_FALSE(rx.on.TriesEveryColumn());
        for (long limit = 1; limit <= 3000; ++limit) {
            rx.SetWorkLimit(limit);
            std::vector<Outcome> seen;
            ASSERT_TRUE(rx.Agree(text, 0, &seen)) << pattern << " limit " << limit;
            gaveUp += seen[0].hitLimit;
            found += seen[0].found;
        }
    }
    EXPECT_GT(gaveUp, 100);
    EXPECT_GT(found, 100);
}

TEST(RegexStart, TheLiteralEveryMatchHolds) {
    CompiledRegex rx;
    ASSERT_EQ(rx.Compile("int[ \t]+main"), kRegexOk);  // starts with a literal: only the hint
    EXPECT_EQ(rx.Literal(), "main");
    EXPECT_EQ(rx.Required(), "");
    ASSERT_EQ(rx.Compile("[a-z]+_MAX(x)?"), kRegexOk);
    EXPECT_EQ(rx.Literal(), "_MAX");
    EXPECT_EQ(rx.Required(), rx.Literal());
    ASSERT_EQ(rx.Compile("(abcdef)?xy|z"), kRegexOk);  // two alternatives: nothing is certain
    EXPECT_EQ(rx.Literal(), "");
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
