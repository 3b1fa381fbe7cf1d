// The editor's regular expressions: a compiler to a compact node program and a backtracking
// matcher. Syntax: branches separated by "|", pieces (an atom with an optional "*", "+" or
// "?"), atoms "^", "$", ".", bracket sets, "(" groups ")" (at most 9), backslash escapes and
// runs of ordinary characters. No classes, counts, back-references or case folding.
//
// Program layout: the check byte "S", then nodes of an opcode byte, a 16-bit big-endian
// offset to the next node (0: none; BACK's points backwards) and the operand (NUL-terminated
// characters for literal runs and sets; the operand node for STAR and PLUS and BRANCH).
//
// The search uses the one global expression (RegCompile ...); languages and find-in-files,
// which need several at once, use CompiledRegex directly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

class CompiledRegex {
  public:
    CompiledRegex() = default;
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
    const std::string& Source() const { return source_; }

  private:
    friend class RegexMatcher;
    bool Try(const char* text, int length, int at);
    bool Scan(const char* text, int length, int from);
    void ClearGroups();

    std::uint8_t* program_ = nullptr;  // MemAlloc(size + 100)
    int size_ = 0;
    int firstChar_ = -1;
    bool anchored_ = false;
    const char* required_ = nullptr;  // inside the program
    int requiredLength_ = 0;
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
