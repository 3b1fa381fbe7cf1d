#include "editor/regex.h"

#include <string.h>

#include <cstring>

#include "shell/memory.h"
#include "shell/messages.h"
#include "shell/msgbox.h"

namespace velt {

namespace {

constexpr char kNothingToRepeatText[] = "?*+ followed by nothing";

// What the parser knows about a piece of the program.
enum : int {
    kHasWidth = 1,  // never matches the empty string
    kSimple = 2,    // exactly one character: STAR and PLUS can count it directly
};

bool IsRepeatOp(char c) {
    return c == '*' || c == '+' || c == '?';
}

bool IsMeta(char c) {
    return std::strchr("^$.[()|?*+\\", c) != nullptr;
}

int NextOffset(const std::uint8_t* p, int node) {
    return (p[node + 1] << 8) | p[node + 2];
}

// The pattern is parsed twice with the same code: once with no output, counting the bytes,
// then into a block of that size.
class Compiler {
  public:
    Compiler(std::string_view pattern, std::uint8_t* out) : p_(pattern), out_(out) {}

    // The whole pattern; the expression's flags in `flags`. -1 on error.
    int Run(int& flags) {
        Byte(kRegexCheckByte);
        return Reg(false, flags);
    }
    unsigned error() const { return error_; }
    int size() const { return end_; }

  private:
    bool More() const { return at_ < p_.size(); }
    char Peek() const { return More() ? p_[at_] : '\0'; }
    int Fail(unsigned e) {
        if (!error_) error_ = e;
        return -1;
    }

    void Byte(std::uint8_t c) {
        if (out_) out_[end_] = c;
        ++end_;
    }
    int Node(std::uint8_t op) {
        const int at = end_;
        Byte(op);
        Byte(0);
        Byte(0);
        return at;
    }
    // Puts a node of `op` in front of the operand that starts at `at` (the last thing made).
    void Insert(std::uint8_t op, int at) {
        if (out_) {
            std::memmove(out_ + at + 3, out_ + at, static_cast<std::size_t>(end_ - at));
            out_[at] = op;
            out_[at + 1] = 0;
            out_[at + 2] = 0;
        }
        end_ += 3;
    }
    int Next(int node) const {
        const int off = NextOffset(out_, node);
        if (off == 0) return -1;
        return out_[node] == kRxBack ? node - off : node + off;
    }
    // Links the last node of the chain starting at `node` to `target`.
    void Tail(int node, int target) {
        if (!out_) return;
        int last = node;
        for (int n = Next(last); n >= 0; n = Next(last)) last = n;
        const int off = out_[last] == kRxBack ? last - target : target - last;
        out_[last + 1] = static_cast<std::uint8_t>(off >> 8);
        out_[last + 2] = static_cast<std::uint8_t>(off & 0xFF);
    }
    // The same for the operand of a BRANCH node; other nodes have none to link.
    void OperandTail(int node, int target) {
        if (!out_ || node < 0 || out_[node] != kRxBranch) return;
        Tail(node + 3, target);
    }

    int Reg(bool paren, int& flags) {
        flags = kHasWidth;
        int ret = -1;
        int group = 0;
        if (paren) {
            if (groups_ >= kRegexGroups - 1) return Fail(kRegexTooManyGroups);
            group = ++groups_;
            ret = Node(static_cast<std::uint8_t>(kRxOpen + group));
        }
        int branchFlags = 0;
        int br = Branch(branchFlags);
        if (br < 0) return -1;
        if (ret >= 0)
            Tail(ret, br);
        else
            ret = br;
        if (!(branchFlags & kHasWidth)) flags &= ~kHasWidth;
        while (Peek() == '|') {
            ++at_;
            br = Branch(branchFlags);
            if (br < 0) return -1;
            Tail(ret, br);
            if (!(branchFlags & kHasWidth)) flags &= ~kHasWidth;
        }
        const int ender = Node(static_cast<std::uint8_t>(paren ? kRxClose + group : kRxEnd));
        Tail(ret, ender);
        // Every alternative ends where the whole ends.
        if (out_)
            for (int n = ret; n >= 0 && n != ender; n = Next(n)) OperandTail(n, ender);
        if (paren) {
            if (Peek() != ')') return Fail(kRegexMismatchedParens);
            ++at_;
        } else if (More()) {
            return Fail(Peek() == ')' ? kRegexMismatchedParens : kRegexBad);
        }
        return ret;
    }

    // One alternative: a BRANCH node whose operand is the chain of its pieces.
    int Branch(int& flags) {
        flags = 0;
        const int ret = Node(kRxBranch);
        int chain = -1;
        while (More() && Peek() != '|' && Peek() != ')') {
            int pieceFlags = 0;
            const int latest = Piece(pieceFlags);
            if (latest < 0) return -1;
            flags |= pieceFlags & kHasWidth;
            if (chain >= 0) Tail(chain, latest);
            chain = latest;
        }
        if (chain < 0) Node(kRxNothing);
        return ret;
    }

    int Piece(int& flags) {
        int atomFlags = 0;
        const int ret = Atom(atomFlags);
        if (ret < 0) return -1;
        const char op = Peek();
        if (!IsRepeatOp(op)) {
            flags = atomFlags;
            return ret;
        }
        if (!(atomFlags & kHasWidth) && op != '?') return Fail(kRegexEmptyOperand);
        flags = op == '+' ? kHasWidth : 0;
        if (op == '*' && (atomFlags & kSimple)) {
            Insert(kRxStar, ret);
        } else if (op == '*') {
            // BRANCH (x BACK to the BRANCH) BRANCH (NOTHING)
            Insert(kRxBranch, ret);
            OperandTail(ret, Node(kRxBack));
            OperandTail(ret, ret);
            Tail(ret, Node(kRxBranch));
            Tail(ret, Node(kRxNothing));
        } else if (op == '+' && (atomFlags & kSimple)) {
            Insert(kRxPlus, ret);
        } else if (op == '+') {
            // x BRANCH (BACK to x) BRANCH (NOTHING)
            const int loop = Node(kRxBranch);
            Tail(ret, loop);
            Tail(Node(kRxBack), ret);
            Tail(loop, Node(kRxBranch));
            Tail(ret, Node(kRxNothing));
        } else {
            // BRANCH (x) BRANCH (NOTHING), both ending at the NOTHING
            Insert(kRxBranch, ret);
            Tail(ret, Node(kRxBranch));
            const int nothing = Node(kRxNothing);
            Tail(ret, nothing);
            OperandTail(ret, nothing);
        }
        ++at_;
        if (IsRepeatOp(Peek())) return Fail(kRegexBad);
        return ret;
    }

    int Atom(int& flags) {
        flags = 0;
        const char c = p_[at_++];
        switch (c) {
            case '^':
                return Node(kRxBol);
            case '$':
                return Node(kRxEol);
            case '.':
                flags = kHasWidth | kSimple;
                return Node(kRxAny);
            case '[':
                return Set(flags);
            case '(': {
                int groupFlags = 0;
                const int ret = Reg(true, groupFlags);
                flags = groupFlags & kHasWidth;
                return ret;
            }
            case '|':
            case ')':
                return Fail(kRegexBad);
            case '?':
            case '*':
            case '+':
                return Fail(kRegexNothingToRepeat);
            case '\\': {
                if (!More()) return Fail(kRegexTrailingBackslash);
                const int ret = Node(kRxExactly);
                Byte(static_cast<std::uint8_t>(p_[at_++]));
                Byte(0);
                flags = kHasWidth | kSimple;
                return ret;
            }
            default: {
                --at_;
                std::size_t n = 0;
                while (at_ + n < p_.size() && !IsMeta(p_[at_ + n])) ++n;
                // The last character of a run belongs to a repetition operator after it.
                if (n > 1 && at_ + n < p_.size() && IsRepeatOp(p_[at_ + n])) --n;
                const int ret = Node(kRxExactly);
                for (std::size_t i = 0; i < n; ++i) Byte(static_cast<std::uint8_t>(p_[at_ + i]));
                Byte(0);
                at_ += n;
                flags = kHasWidth | (n == 1 ? kSimple : 0);
                return ret;
            }
        }
    }

    int Set(int& flags) {
        const bool negated = Peek() == '^';
        if (negated) ++at_;
        const int ret = Node(negated ? kRxAnyBut : kRxAnyOf);
        // A "]" or "-" first is itself.
        if (Peek() == ']' || Peek() == '-') Byte(static_cast<std::uint8_t>(p_[at_++]));
        while (More() && Peek() != ']') {
            if (Peek() != '-') {
                Byte(static_cast<std::uint8_t>(p_[at_++]));
                continue;
            }
            ++at_;
            if (!More() || Peek() == ']') {  // a "-" last is itself
                Byte('-');
                continue;
            }
            const int lo = static_cast<unsigned char>(p_[at_ - 2]);
            const int hi = static_cast<unsigned char>(p_[at_]);
            if (lo > hi) return Fail(kRegexInvalidRange);
            for (int ch = lo + 1; ch <= hi; ++ch) Byte(static_cast<std::uint8_t>(ch));
            ++at_;
        }
        Byte(0);
        if (!More()) return Fail(kRegexTrailingBackslash);
        ++at_;
        flags = kHasWidth | kSimple;
        return ret;
    }

    std::string_view p_;
    std::size_t at_ = 0;
    std::uint8_t* out_;
    int end_ = 0;
    int groups_ = 0;
    unsigned error_ = 0;
};

}  // namespace

std::string RegexErrorText(unsigned error) {
    if (error == kRegexOk) return {};
    if (error == kRegexNothingToRepeat) return kNothingToRepeatText;
    return GetMessageText(error);
}

// ---- Compiling

CompiledRegex::~CompiledRegex() {
    Release();
}

void CompiledRegex::Release() {
    MemFree(program_);
    program_ = nullptr;
    size_ = 0;
    firstChar_ = -1;
    anchored_ = false;
    required_ = nullptr;
    requiredLength_ = 0;
    source_.clear();
}

unsigned CompiledRegex::Compile(std::string_view pattern) {
    Release();
    if (const std::size_t nul = pattern.find('\0'); nul != std::string_view::npos)
        pattern = pattern.substr(0, nul);

    int flags = 0;
    Compiler counter(pattern, nullptr);
    if (counter.Run(flags) < 0) return counter.error();
    if (counter.size() > kRegexMaxProgram) return kRegexBad;

    auto* program =
        static_cast<std::uint8_t*>(MemAlloc(static_cast<std::uint32_t>(counter.size() + 100)));
    if (!program) return kRegexBad;
    Compiler emitter(pattern, program);
    if (emitter.Run(flags) < 0 || emitter.size() != counter.size()) {
        MemFree(program);
        return emitter.error() ? emitter.error() : kRegexBad;
    }
    program_ = program;
    size_ = emitter.size();
    source_.assign(pattern);

    // Hints for the matcher, from the only top-level alternative when there is just one.
    const int first = 1;
    const int after = first + NextOffset(program_, first);
    if (program_[after] == kRxEnd) {
        int scan = first + 3;
        if (program_[scan] == kRxExactly)
            firstChar_ = program_[scan + 3];
        else if (program_[scan] == kRxBol)
            anchored_ = true;
        // A match that must be non-empty and starts with something else than a literal: the
        // longest literal it must contain is looked for before any matching is tried.
        if ((flags & kHasWidth) && program_[scan] != kRxExactly) {
            for (; scan > 0 && program_[scan] != kRxEnd && program_[scan] != kRxBack;) {
                if (program_[scan] == kRxExactly) {
                    const char* s = reinterpret_cast<const char*>(program_ + scan + 3);
                    const int n = static_cast<int>(std::strlen(s));
                    if (n > requiredLength_) {
                        required_ = s;
                        requiredLength_ = n;
                    }
                }
                const int off = NextOffset(program_, scan);
                if (off == 0) break;
                scan += off;
            }
        }
    }
    return kRegexOk;
}

// ---- Matching

class RegexMatcher {
  public:
    RegexMatcher(CompiledRegex& rx, const char* text, int length)
        : rx_(rx), p_(rx.program_), size_(rx.size_), text_(text), length_(length) {}

    // Whether the program matches at `at`; the end of the match in end().
    bool Run(int at) { return Match(1, at); }
    int end() const { return matchEnd_; }

  private:
    bool Stop() const { return rx_.hitLimit_ || rx_.damaged_; }
    bool Damaged() {
        rx_.damaged_ = true;
        return false;
    }
    bool Count(long n = 1) {
        rx_.work_ += n;
        if (rx_.work_ <= rx_.workLimit_) return true;
        rx_.hitLimit_ = true;
        return false;
    }
    bool ValidNode(int node) const { return node > 0 && node + 3 <= size_; }
    int Next(int node) const {
        const int off = NextOffset(p_, node);
        if (off == 0) return -1;
        return p_[node] == kRxBack ? node - off : node + off;
    }
    static bool InSet(const std::uint8_t* set, char c) {
        return c != '\0' && std::strchr(reinterpret_cast<const char*>(set), c) != nullptr;
    }
    // How many characters from `pos` the one-character operand matches.
    int Repeat(int operand, int pos) {
        if (!ValidNode(operand)) return Damaged();
        const std::uint8_t* arg = p_ + operand + 3;
        int i = pos;
        switch (p_[operand]) {
            case kRxAny:
                i = length_;
                break;
            case kRxExactly:
                while (i < length_ && text_[i] == static_cast<char>(arg[0])) ++i;
                break;
            case kRxAnyOf:
                while (i < length_ && InSet(arg, text_[i])) ++i;
                break;
            case kRxAnyBut:
                while (i < length_ && !InSet(arg, text_[i])) ++i;
                break;
            default:
                Damaged();
                return 0;
        }
        Count(i - pos);
        return i - pos;
    }

    struct Depth {
        explicit Depth(int& d) : d_(d) { ++d_; }
        ~Depth() { --d_; }
        int& d_;
    };

    bool Match(int node, int pos) {
        Depth depth(depth_);
        if (depth_ > kRegexDepthLimit) {
            rx_.hitLimit_ = true;
            return false;
        }
        for (;;) {
            if (!Count()) return false;
            if (!ValidNode(node)) return Damaged();
            const std::uint8_t op = p_[node];
            const int next = Next(node);
            const std::uint8_t* arg = p_ + node + 3;
            switch (op) {
                case kRxEnd:
                    matchEnd_ = pos;
                    return true;
                case kRxBol:
                    if (pos != 0) return false;
                    break;
                case kRxEol:
                    if (pos != length_) return false;
                    break;
                case kRxAny:
                    if (pos >= length_) return false;
                    ++pos;
                    break;
                case kRxExactly: {
                    if (pos >= length_ || text_[pos] != static_cast<char>(arg[0])) return false;
                    const int n = static_cast<int>(std::strlen(reinterpret_cast<const char*>(arg)));
                    if (n > length_ - pos ||
                        std::memcmp(text_ + pos, arg, static_cast<std::size_t>(n)) != 0)
                        return false;
                    pos += n;
                    break;
                }
                case kRxAnyOf:
                    if (pos >= length_ || !InSet(arg, text_[pos])) return false;
                    ++pos;
                    break;
                case kRxAnyBut:
                    if (pos >= length_ || InSet(arg, text_[pos])) return false;
                    ++pos;
                    break;
                case kRxNothing:
                case kRxBack:
                    break;
                case kRxBranch: {
                    if (next < 0 || !ValidNode(next)) return Damaged();
                    if (p_[next] != kRxBranch) {
                        node += 3;  // no alternative: just the operand
                        continue;
                    }
                    for (int b = node; b >= 0 && ValidNode(b) && p_[b] == kRxBranch; b = Next(b)) {
                        if (Match(b + 3, pos)) return true;
                        if (Stop()) return false;
                    }
                    return false;
                }
                case kRxStar:
                case kRxPlus: {
                    if (next < 0 || !ValidNode(next)) return Damaged();
                    const int least = op == kRxStar ? 0 : 1;
                    int n = Repeat(node + 3, pos);
                    if (Stop()) return false;
                    // Only lengths after which the literal that follows can start.
                    const int lead = p_[next] == kRxExactly ? p_[next + 3] : -1;
                    for (; n >= least; --n) {
                        if (lead < 0 || (pos + n < length_ &&
                                         static_cast<unsigned char>(text_[pos + n]) == lead)) {
                            if (Match(next, pos + n)) return true;
                            if (Stop()) return false;
                        }
                        if (!Count()) return false;
                    }
                    return false;
                }
                default:
                    if (op > kRxOpen && op < kRxOpen + kRegexGroups) {
                        if (!Match(next, pos)) return false;
                        // Set on the way back from success: the earliest entry is left last.
                        rx_.start_[op - kRxOpen] = pos;
                        return true;
                    }
                    if (op > kRxClose && op < kRxClose + kRegexGroups) {
                        if (!Match(next, pos)) return false;
                        rx_.end_[op - kRxClose] = pos;
                        return true;
                    }
                    return Damaged();
            }
            if (next < 0) return Damaged();
            node = next;
        }
    }

    CompiledRegex& rx_;
    const std::uint8_t* p_;
    int size_;
    const char* text_;
    int length_;
    int depth_ = 0;
    int matchEnd_ = -1;
};

void CompiledRegex::ClearGroups() {
    for (int i = 0; i < kRegexGroups; ++i) start_[i] = end_[i] = -1;
}

bool CompiledRegex::Try(const char* text, int length, int at) {
    ClearGroups();
    RegexMatcher m(*this, text, length);
    if (!m.Run(at)) return false;
    start_[0] = at;
    end_[0] = m.end();
    return true;
}

// Tries the program at the positions from `from` on that the hints leave.
bool CompiledRegex::Scan(const char* text, int length, int from) {
    hitLimit_ = false;
    damaged_ = false;
    work_ = 0;
    ClearGroups();
    if (!program_ || length < 0 || from < 0 || from > length) return false;
    if (!text) text = "";
    if (program_[0] != kRegexCheckByte) {
        damaged_ = true;
        return false;
    }
    if (requiredLength_ > 0 && !::memmem(text + from, static_cast<std::size_t>(length - from),
                                         required_, static_cast<std::size_t>(requiredLength_)))
        return false;
    if (anchored_) return from == 0 && Try(text, length, 0);
    if (firstChar_ >= 0) {
        const char* end = text + length;
        for (const char* s = text + from; s < end; ++s) {
            s = static_cast<const char*>(
                std::memchr(s, firstChar_, static_cast<std::size_t>(end - s)));
            if (!s) break;
            if (Try(text, length, static_cast<int>(s - text))) return true;
            if (hitLimit_ || damaged_) break;
        }
    } else {
        for (int at = from; at <= length; ++at) {
            if (Try(text, length, at)) return true;
            if (hitLimit_ || damaged_) break;
        }
    }
    ClearGroups();
    return false;
}

bool CompiledRegex::Exec(const char* text, int length) {
    return Scan(text, length, 0);
}

bool CompiledRegex::Find(const char* text, int length, int startColumn, int& start,
                         int& matchLength) {
    start = -1;
    matchLength = 0;
    if (!text) text = "";
    if (startColumn < 0 || startColumn > length) return false;
    if (!Scan(text + startColumn, length - startColumn, 0)) return false;
    for (int i = 0; i < kRegexGroups; ++i)
        if (start_[i] >= 0) {
            start_[i] += startColumn;
            end_[i] += startColumn;
        }
    if (start_[0] >= length) return false;
    start = start_[0];
    matchLength = end_[0] - start_[0];
    return true;
}

bool CompiledRegex::FindAfter(const char* text, int length, int from, int& start,
                              int& matchLength) {
    start = -1;
    matchLength = 0;
    if (!Scan(text, length, from) || start_[0] >= length) return false;
    start = start_[0];
    matchLength = end_[0] - start_[0];
    return true;
}

// ---- The global expression

namespace {
bool gNoticeShown = false;

void NoticeOnce(const CompiledRegex& rx) {
    if ((rx.HitLimit() || rx.Damaged()) && !gNoticeShown) {
        gNoticeShown = true;
        ShowMessageId(kRegexBad);
    }
}
}  // namespace

CompiledRegex& GlobalRegex() {
    static CompiledRegex rx;
    return rx;
}

void RegRearmNotice() {
    gNoticeShown = false;
}

bool RegCompile(const char* pattern) {
    const unsigned e = GlobalRegex().Compile(pattern ? pattern : "");
    if (e == kRegexNothingToRepeat)
        ShowMessage(kNothingToRepeatText);
    else if (e != kRegexOk)
        ShowMessageId(e);
    if (e != kRegexOk) return false;
    RegRearmNotice();
    return true;
}

bool RegExec(const char* text, int length) {
    CompiledRegex& rx = GlobalRegex();
    const bool found = rx.Exec(text, length);
    NoticeOnce(rx);
    return found;
}

bool RegFindInLine(const char* text, int length, int startColumn, int& start, int& matchLength) {
    CompiledRegex& rx = GlobalRegex();
    const bool found = rx.Find(text, length, startColumn, start, matchLength);
    NoticeOnce(rx);
    return found;
}

bool RegFindAfter(const char* text, int length, int from, int& start, int& matchLength) {
    CompiledRegex& rx = GlobalRegex();
    const bool found = rx.FindAfter(text, length, from, start, matchLength);
    NoticeOnce(rx);
    return found;
}

int RegGroupStart(int n) {
    return GlobalRegex().GroupStart(n);
}

int RegGroupEnd(int n) {
    return GlobalRegex().GroupEnd(n);
}

}  // namespace velt
