// The editor's regular expressions: a compiler to a compact node program and a backtracking
// matcher. Syntax: branches separated by "|", pieces (an atom with an optional "*", "+" or
// "?"), atoms "^", "$", ".", bracket sets, "(" groups ")" (at most 9), backslash escapes and
// runs of ordinary characters. No classes, counts, back-references or case folding.
//
// Program layout: the check byte "S", then nodes of an opcode byte, a 16-bit big-endian
// offset to the next node (0: none; BACK's points backwards) and the operand (NUL-terminated
// characters for literal runs and sets; the operand node for STAR and PLUS and BRANCH).
//
// Matching tries the program column by column. Without a first character to look for, only
// the columns whose byte can begin a match are tried, and a text that cannot hold one at all
// is ruled out in one pass over its bytes; both only where the answer, the groups and the
// work limit come out as if every column had been tried.
//
// The search uses the one global expression (RegCompile ...); languages and find-in-files,
// which need several at once, use CompiledRegex directly.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velt {

// Opcodes of the node program.
enum RegexOp : std::uint8_t {
    kRxEnd = 0,
    kRxBol = 1,
    kRxEol = 2,
    kRxAny = 3,
    kRxAnyOf = 4,
    kRxAnyBut = 5,
    kRxBranch = 6,
    kRxBack = 7,
    kRxExactly = 8,
    kRxNothing = 9,
    kRxStar = 10,
    kRxPlus = 11,
    kRxOpen = 20,   // + n: start of group n (21 ... 29)
    kRxClose = 30,  // + n: end of group n (31 ... 39)
};

inline constexpr std::uint8_t kRegexCheckByte = 'S';
// The largest program accepted; one of 32,767 bytes or more is refused.
inline constexpr int kRegexMaxProgram = 32766;
inline constexpr int kRegexGroups = 10;  // the whole match and groups 1-9

// Compilation results: 0, a catalogue id, or kRegexNothingToRepeat (a text without a number).
enum : unsigned {
    kRegexOk = 0,
    kRegexNothingToRepeat = 1,  // "?*+ followed by nothing"
    kRegexBad = 4553,           // "Bad regular expression"
    kRegexTooManyGroups = 4554,
    kRegexMismatchedParens = 4555,
    kRegexEmptyOperand = 4556,
    kRegexInvalidRange = 4557,
    kRegexTrailingBackslash = 4558,
};

// The text shown for a compilation result (empty for kRegexOk).
std::string RegexErrorText(unsigned error);

// Work the matcher may do on one text before it gives up (node steps, and the depth of its
// backtracking). No ordinary pattern on an ordinary line comes near either.
inline constexpr long kRegexWorkLimit = 20'000'000;
inline constexpr int kRegexDepthLimit = 15000;

class RegexAutomaton;

class CompiledRegex {
  public:
    CompiledRegex();
    ~CompiledRegex();
    CompiledRegex(const CompiledRegex&) = delete;
    CompiledRegex& operator=(const CompiledRegex&) = delete;

    // Compiles `pattern` (it ends at its first NUL, if any), replacing the expression held.
    // Returns kRegexOk or the error; on error nothing is held. Shows nothing.
    unsigned Compile(std::string_view pattern);
    bool Compiled() const { return program_ != nullptr; }
    void Release();

    // Whether the expression matches somewhere in text[0, length): the leftmost match, the
    // groups filled. "^" matches only at text[0], "$" only at text[length].
    bool Exec(const char* text, int length);
    // The first match in text[startColumn, length) seen as a text of its own (so "^" matches
    // at startColumn): its start (a column of `text`) and length. False when there is none
    // or it begins at the end of the text.
    bool Find(const char* text, int length, int startColumn, int& start, int& matchLength);
    // The first match of the whole text that starts at `from` or later ("^" still means
    // text[0]): the continuation of a line after a replacement. Same results as Find.
    bool FindAfter(const char* text, int length, int from, int& start, int& matchLength);

    // Group n (0: the whole match) of the last successful Exec or Find, as columns of the
    // text given; -1 when the group took no part. A repeated group holds its first repetition.
    int GroupStart(int n) const { return n >= 0 && n < kRegexGroups ? start_[n] : -1; }
    int GroupEnd(int n) const { return n >= 0 && n < kRegexGroups ? end_[n] : -1; }

    // Lowers (or raises) the work limit of this expression (the fuzzer keeps it small).
    void SetWorkLimit(long steps) { workLimit_ = steps; }
    // The last Exec or Find gave up at the work or depth limit (counted as no match).
    bool HitLimit() const { return hitLimit_; }
    // The last Exec or Find met a damaged program (counted as no match).
    bool Damaged() const { return damaged_; }

    // What the compiler found out, for tests and for the curious.
    const std::uint8_t* Program() const { return program_; }
    int ProgramSize() const { return size_; }
    int FirstChar() const { return firstChar_; }  // -1: no hint
    bool Anchored() const { return anchored_; }
    std::string_view Required() const {
        return {required_, static_cast<std::size_t>(requiredLength_)};
    }
    // The longest literal run every match contains, whatever the expression starts with
    // (empty when there is none): a caller may look for it before handing text over. When
    // Required() is set it is this run.
    std::string_view Literal() const {
        return {literal_, static_cast<std::size_t>(literalLength_)};
    }
    // Whether a match may begin with byte c at a column other than the first and the last:
    // true for every byte when the expression can match the empty string there (or its start
    // is not understood). Columns whose byte is not among them are skipped without a try;
    // the work they would have cost is still counted, so the limit falls where it did.
    bool MayStartWith(unsigned char c) const {
        return startKind_ == StartKind::kEvery || startTable_[c] != 0;
    }
    bool TriesEveryColumn() const { return startKind_ == StartKind::kEvery; }
    const std::string& Source() const { return source_; }

    // Off: every column is tried, as the matcher did before it knew its start bytes and
    // before texts without a match were ruled out at once. The tests compare the two;
    // nothing else needs it.
    void SetStartFilter(bool on) { startFilter_ = on; }

  private:
    friend class RegexMatcher;
    enum class StartKind : std::uint8_t { kEvery, kNone, kByte, kTable };
    static constexpr int kMaxSetTables = 255;

    bool Try(const char* text, int length, int at);
    bool Scan(const char* text, int length, int from);
    bool ScanStarts(const char* text, int length, int from);
    bool Charge(long cost, long positions);
    bool RuledOut(const char* text, int length, int from);
    void ClearGroups();
    void FindStarts();
    void BuildSetTables();

    std::uint8_t* program_ = nullptr;  // MemAlloc(size + 100)
    int size_ = 0;
    int firstChar_ = -1;
    bool anchored_ = false;
    const char* required_ = nullptr;  // inside the program
    int requiredLength_ = 0;
    const char* literal_ = nullptr;  // inside the program
    int literalLength_ = 0;

    // The bytes a match can begin with at an inner column (neither "^" nor "$" can hold
    // there), and whether a "^" or "$" is reachable before the first character is taken.
    StartKind startKind_ = StartKind::kEvery;
    int startByte_ = -1;  // kByte: the only one
    bool startBol_ = false;
    bool startEol_ = false;
    bool startFilter_ = true;
    std::uint8_t startTable_[256] = {};
    // The work a failed try costs at an inner column whose byte cannot start a match, and at
    // the end of the text: the same every time, measured by the first such try (-1: not yet).
    long innerCost_ = -1;
    long endCost_ = -1;
    // Rules out texts without a match in one pass over their bytes; made at the first use
    // (null when the expression does not suit it).
    std::unique_ptr<RegexAutomaton> automaton_;
    bool automatonTried_ = false;

    // Membership tables of the ANYOF and ANYBUT nodes (256 bytes each; NUL never a member),
    // found through setAt_[node] (0: none, else index + 1). Only the first kMaxSetTables sets
    // get one; the others are looked up in the program.
    std::vector<std::uint8_t> setTables_;
    std::vector<std::uint16_t> setAt_;
    std::string source_;
    int start_[kRegexGroups] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    int end_[kRegexGroups] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    long work_ = 0;
    long workLimit_ = kRegexWorkLimit;
    bool hitLimit_ = false;
    bool damaged_ = false;
};

// ---- The global expression of the search (one at a time)

// Compiles `pattern` into the global expression, releasing the previous one. On error shows
// the message and returns false. A successful compilation also re-arms the "Bad regular
// expression" notice of the matcher.
bool RegCompile(const char* pattern);
// Whether the global expression matches in text[0, length); groups as CompiledRegex.
bool RegExec(const char* text, int length);
// RegFindInLine: the first match from startColumn (see CompiledRegex::Find).
bool RegFindInLine(const char* text, int length, int startColumn, int& start, int& matchLength);
// The global expression's CompiledRegex::FindAfter.
bool RegFindAfter(const char* text, int length, int from, int& start, int& matchLength);
// Groups of the last global match.
int RegGroupStart(int n);
int RegGroupEnd(int n);
// The global expression (null program when none or the last compilation failed).
CompiledRegex& GlobalRegex();
// When the global matcher gives up at its limit or meets a damaged program it counts as no
// match and 4553 is shown, once until the next RegCompile or RegRearmNotice.
void RegRearmNotice();

}  // namespace velt
