#include "editor/regex.h"

#include <string.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <unordered_map>

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

// The node after `node` as the matcher follows it; -1 when none.
int FollowNext(const std::uint8_t* p, int node) {
    const int off = NextOffset(p, node);
    if (off == 0) return -1;
    return p[node] == kRxBack ? node - off : node + off;
}

bool IsGroupOp(std::uint8_t op) {
    return (op > kRxOpen && op < kRxOpen + kRegexGroups) ||
           (op > kRxClose && op < kRxClose + kRegexGroups);
}

// The first column in [at, length) whose byte is in `table`, `only` when that is its one
// byte (-1 otherwise); length when there is none.
int FindIn(const std::uint8_t* table, int only, const char* text, int at, int length) {
    if (only >= 0) {
        const void* s = std::memchr(text + at, only, static_cast<std::size_t>(length - at));
        return s ? static_cast<int>(static_cast<const char*>(s) - text) : length;
    }
    const auto* s = reinterpret_cast<const unsigned char*>(text) + at;
    const auto* end = reinterpret_cast<const unsigned char*>(text) + length;
    for (; end - s >= 4; s += 4)
        if (table[s[0]] | table[s[1]] | table[s[2]] | table[s[3]]) break;
    while (s < end && !table[*s]) ++s;
    return static_cast<int>(s - reinterpret_cast<const unsigned char*>(text));
}

// Walks from node `from` through the nodes that take no character, the way the matcher
// would at one column: "^" passes only when `bol`, "$" only when `eol`. `stop(node)` is told
// of each node where a path ends: one that takes characters (for STAR and PLUS, their
// operand; past a STAR the path also goes on), END, or a "^" or "$" that does not hold.
// False when `stop` returns false or the program is not one the compiler makes.
template <class Stop>
bool WalkEmpty(const std::uint8_t* p, int size, int from, bool bol, bool eol, Stop stop) {
    auto valid = [size](int node) { return node > 0 && node + 3 <= size; };
    std::vector<std::uint8_t> seen(static_cast<std::size_t>(size), 0);
    std::vector<int> todo{from};
    while (!todo.empty()) {
        const int node = todo.back();
        todo.pop_back();
        if (!valid(node)) return false;
        if (seen[static_cast<std::size_t>(node)]) continue;
        seen[static_cast<std::size_t>(node)] = 1;
        const std::uint8_t op = p[node];
        const int after = FollowNext(p, node);
        switch (op) {
            case kRxBol:
            case kRxEol:
                if (op == kRxBol ? bol : eol)
                    todo.push_back(after);
                else if (!stop(node))
                    return false;
                break;
            case kRxEnd:
            case kRxAny:
            case kRxExactly:
            case kRxAnyOf:
            case kRxAnyBut:
                if (!stop(node)) return false;
                break;
            case kRxStar:
            case kRxPlus:
                if (!valid(node + 3) || !stop(node + 3)) return false;
                if (op == kRxStar) todo.push_back(after);
                break;
            case kRxBranch:
                if (after < 0 || !valid(after)) return false;
                if (p[after] != kRxBranch) {
                    todo.push_back(node + 3);  // no alternative: just the operand
                } else {
                    for (int b = node; b >= 0 && valid(b) && p[b] == kRxBranch;
                         b = FollowNext(p, b))
                        todo.push_back(b + 3);
                }
                break;
            default:
                if (op != kRxNothing && op != kRxBack && !IsGroupOp(op)) return false;
                todo.push_back(after);
                break;
        }
    }
    return true;
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

CompiledRegex::CompiledRegex() = default;

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
    literal_ = nullptr;
    literalLength_ = 0;
    startKind_ = StartKind::kEvery;
    startByte_ = -1;
    startBol_ = false;
    startEol_ = false;
    std::memset(startTable_, 0, sizeof startTable_);
    innerCost_ = -1;
    endCost_ = -1;
    automaton_.reset();
    automatonTried_ = false;
    setTables_.clear();
    setAt_.clear();
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
        const int lead = first + 3;
        if (program_[lead] == kRxExactly)
            firstChar_ = program_[lead + 3];
        else if (program_[lead] == kRxBol)
            anchored_ = true;
        // The longest literal on the alternative's chain: a repeated or optional part hangs
        // off the chain as an operand, so every match holds what is on it.
        for (int scan = lead; scan > 0 && program_[scan] != kRxEnd && program_[scan] != kRxBack;) {
            if (program_[scan] == kRxExactly) {
                const char* s = reinterpret_cast<const char*>(program_ + scan + 3);
                const int n = static_cast<int>(std::strlen(s));
                if (n > literalLength_) {
                    literal_ = s;
                    literalLength_ = n;
                }
            }
            const int off = NextOffset(program_, scan);
            if (off == 0) break;
            scan += off;
        }
        // A match that must be non-empty and starts with something else than a literal: the
        // literal is looked for before any matching is tried.
        if ((flags & kHasWidth) && program_[lead] != kRxExactly) {
            required_ = literal_;
            requiredLength_ = literalLength_;
        }
    }
    FindStarts();
    BuildSetTables();
    return kRegexOk;
}

// The first characters of the nodes the matcher can reach from the program's start without
// taking one. At an inner column "^" and "$" fail, so they end a path (noted, for the first
// and last column); a path reaching END means an empty match, and then every column has to
// be tried. So it is for anything not understood.
void CompiledRegex::FindStarts() {
    std::uint8_t table[256] = {};
    bool bol = false;
    bool eol = false;
    const std::uint8_t* p = program_;
    const bool understood = WalkEmpty(p, size_, 1, false, false, [&](int node) {
        const std::uint8_t* arg = p + node + 3;
        switch (p[node]) {
            case kRxBol:
                bol = true;
                return true;
            case kRxEol:
                eol = true;
                return true;
            case kRxAny:
                std::memset(table, 1, sizeof table);
                return true;
            case kRxExactly:
                table[arg[0]] = 1;
                return arg[0] != 0;
            case kRxAnyOf:
                for (; *arg; ++arg) table[*arg] = 1;
                return true;
            case kRxAnyBut: {
                std::uint8_t in[256] = {};
                for (; *arg; ++arg) in[*arg] = 1;
                for (int c = 0; c < 256; ++c)
                    if (!in[c]) table[c] = 1;
                return true;
            }
            default:  // END, or not understood
                return false;
        }
    });

    int count = 0;
    for (int c = 0; c < 256; ++c) count += table[c];
    if (!understood || count == 256) return;  // kEvery
    std::memcpy(startTable_, table, sizeof startTable_);
    startBol_ = bol;
    startEol_ = eol;
    startKind_ = count == 0 ? StartKind::kNone : count == 1 ? StartKind::kByte : StartKind::kTable;
    if (count == 1)
        for (int c = 0; c < 256; ++c)
            if (table[c]) startByte_ = c;
}

void CompiledRegex::BuildSetTables() {
    setAt_.assign(static_cast<std::size_t>(size_), 0);
    // The nodes lie one after the other, each with its operand.
    for (int node = 1; node + 3 <= size_;) {
        const std::uint8_t op = program_[node];
        node += 3;
        if (op != kRxExactly && op != kRxAnyOf && op != kRxAnyBut) continue;
        const int operand = node;
        while (node < size_ && program_[node]) ++node;
        ++node;
        if (op == kRxExactly) continue;
        const std::size_t tables = setTables_.size() / 256;
        if (tables >= kMaxSetTables) continue;
        setTables_.resize(setTables_.size() + 256, 0);
        std::uint8_t* t = setTables_.data() + tables * 256;
        for (int i = operand; i < size_ && program_[i]; ++i) t[program_[i]] = 1;
        setAt_[static_cast<std::size_t>(operand - 3)] = static_cast<std::uint16_t>(tables + 1);
    }
}

// ---- Ruling out texts without a match

// The program seen as one-character steps ("positions": each character of a literal run,
// each ANY, each set, each repeated operand) joined by the nodes that take no character. A
// text is read once, byte by byte, keeping the set of positions that a match begun at any
// column could stand at; the sets met are numbered and their moves kept (an automaton made
// as the bytes ask for it). It answers only "no match can begin anywhere"; every other text
// goes to the matcher.
//
// It stands in for the matcher only where the matcher's answer would be the same in every
// respect: no match, and work that could not have reached either limit. For that it keeps,
// for each length of text, a bound on the matcher's work over all the columns of such a text
// that holds for any text (and whether the depth limit is out of reach).
class RegexAutomaton {
  public:
    // Null when the expression does not suit: more positions than bits in a set, a match of
    // the empty string away from the first and last column, or something not understood.
    static std::unique_ptr<RegexAutomaton> Make(const std::uint8_t* program, int size);

    // False when no match can begin at a column in [from, length] (length > 0).
    bool MayMatch(const char* text, int length, int from);
    // Whether the matcher's work over all the columns of any text of `length` stays within
    // `limit` (and its depth within kRegexDepthLimit).
    bool Bounded(int length, long limit);

  private:
    static constexpr int kMaxPositions = 64;
    static constexpr int kMaxStates = 1024;
    static constexpr int kMaxNodes = 256;
    static constexpr int kMaxBoundLength = 512;
    static constexpr std::int32_t kUnknown = -1;
    static constexpr std::int32_t kAccept = -2;
    static constexpr std::uint64_t kHuge = std::uint64_t{1} << 62;

    RegexAutomaton(const std::uint8_t* p, int size) : p_(p), size_(size) {}
    bool Valid(int node) const { return node > 0 && node + 3 <= size_; }
    int Next(int node) const { return FollowNext(p_, node); }
    bool Positions();
    bool Closure(int from, bool bol, bool eol, std::uint64_t& mask, bool& accepts) const;
    bool Moves();
    bool Nodes();
    void Grow();
    int State(std::uint64_t mask);
    std::int32_t Move(int state, unsigned char c);

    const std::uint8_t* p_;  // the expression's program
    int size_;
    std::vector<int> positionOf_;  // by node: its (first) position, -1 if none
    std::vector<int> ownerOf_;     // by node: the STAR or PLUS whose operand it is, -1 if none
    std::vector<int> nodeOf_;      // by position
    std::vector<int> charOf_;      // by position: which character of a literal run
    int positions_ = 0;
    std::uint64_t takes_[256] = {};             // by byte: the positions that take it
    std::uint64_t follow_[kMaxPositions] = {};  // by position: where a match goes on
    std::uint64_t followAccepts_ = 0;           // positions after which the match can end
    std::uint64_t endAccepts_ = 0;              // "$" positions after which it can end at the end
    std::uint64_t inner_ = 0;                   // where a match begun at an inner column stands
    std::uint64_t first_ = 0;                   // the same at column 0, where "^" holds
    bool firstAccepts_ = false;
    std::uint8_t startTable_[256] = {};
    int startByte_ = -1;  // the only byte of startTable_, or -1
    int idleState_ = 0;   // the state of inner_
    int firstState_ = 0;  // the state of first_
    std::vector<std::uint64_t> states_;
    std::unordered_map<std::uint64_t, int> stateOf_;
    std::vector<std::int32_t> moves_;  // state * 256 + byte
    // The bound on the matcher's work, by length of text, grown as longer texts come.
    std::vector<std::uint64_t> bound_;
    bool growing_ = true;
    std::vector<int> nodes_;      // the program's nodes in order
    std::vector<int> nodeIndex_;  // by node: its place in nodes_
    std::vector<bool> operand_;   // by place: the operand of a STAR or PLUS (never called)
    // By length and node (length * nodes + node): a call's steps and depth, and their sum and
    // maximum over the lengths up to it.
    std::vector<std::uint64_t> steps_;
    std::vector<std::uint64_t> stepsSum_;
    std::vector<std::uint32_t> depth_;
    std::vector<std::uint32_t> depthMax_;
};

std::unique_ptr<RegexAutomaton> RegexAutomaton::Make(const std::uint8_t* program, int size) {
    std::unique_ptr<RegexAutomaton> a(new RegexAutomaton(program, size));
    const bool ok = a->Positions() && a->Moves() && a->Nodes();
    a->positionOf_ = {};
    a->ownerOf_ = {};
    if (!ok) return nullptr;
    return a;
}

// Numbers the positions, in the order of the program, and notes the bytes each takes. A
// "$" counts as a position that takes nothing: a match waiting there can only end at the
// end of the text.
bool RegexAutomaton::Positions() {
    positionOf_.assign(static_cast<std::size_t>(size_), -1);
    ownerOf_.assign(static_cast<std::size_t>(size_), -1);
    auto add = [this](int node, int ch) {
        if (positions_ >= kMaxPositions) return false;
        nodeOf_.push_back(node);
        charOf_.push_back(ch);
        ++positions_;
        return true;
    };
    for (int node = 1; node + 3 <= size_;) {
        const std::uint8_t op = p_[node];
        const std::uint8_t* arg = p_ + node + 3;
        const std::uint64_t bit = std::uint64_t{1} << (positions_ & (kMaxPositions - 1));
        switch (op) {
            case kRxStar:
            case kRxPlus:
                ownerOf_[static_cast<std::size_t>(node + 3)] = node;
                break;
            case kRxEol:
                positionOf_[static_cast<std::size_t>(node)] = positions_;
                if (!add(node, 0)) return false;
                break;
            case kRxAny:
                positionOf_[static_cast<std::size_t>(node)] = positions_;
                if (!add(node, 0)) return false;
                for (auto& t : takes_) t |= bit;
                break;
            case kRxAnyOf:
            case kRxAnyBut: {
                positionOf_[static_cast<std::size_t>(node)] = positions_;
                if (!add(node, 0)) return false;
                bool in[256] = {};
                for (const std::uint8_t* c = arg; c < p_ + size_ && *c; ++c) in[*c] = true;
                for (int c = 0; c < 256; ++c)
                    if ((op == kRxAnyOf) == in[c] && (c != 0 || op == kRxAnyBut)) takes_[c] |= bit;
                break;
            }
            case kRxExactly: {
                positionOf_[static_cast<std::size_t>(node)] = positions_;
                if (!arg[0]) return false;
                for (int j = 0; node + 3 + j < size_ && arg[j]; ++j) {
                    takes_[arg[j]] |= std::uint64_t{1} << (positions_ & (kMaxPositions - 1));
                    if (!add(node, j)) return false;
                }
                break;
            }
            default:
                break;
        }
        node += 3;
        if (op == kRxExactly || op == kRxAnyOf || op == kRxAnyBut) {
            while (node < size_ && p_[node]) ++node;
            ++node;
        }
    }
    return true;
}

// The positions reached from node `from` without taking a character, "^" holding when `bol`
// and "$" when `eol`; `accepts` when END is reached.
bool RegexAutomaton::Closure(int from, bool bol, bool eol, std::uint64_t& mask,
                             bool& accepts) const {
    mask = 0;
    accepts = false;
    return WalkEmpty(p_, size_, from, bol, eol, [&](int node) {
        switch (p_[node]) {
            case kRxEnd:
                accepts = true;
                return true;
            case kRxBol:  // fails here
                return true;
            default: {  // takes a character, or "$" waiting for the end
                const int pos = positionOf_[static_cast<std::size_t>(node)];
                if (pos < 0) return false;
                mask |= std::uint64_t{1} << pos;
                return true;
            }
        }
    });
}

// Where a match goes on after each position, and where it begins.
bool RegexAutomaton::Moves() {
    for (int i = 0; i < positions_; ++i) {
        const int node = nodeOf_[static_cast<std::size_t>(i)];
        const std::uint64_t bit = std::uint64_t{1} << i;
        std::uint64_t mask = 0;
        bool accepts = false;
        if (p_[node] == kRxEol) {
            // Waiting at "$": at the end of the text it holds and the match goes on.
            if (!Closure(Next(node), false, true, mask, accepts)) return false;
            if (accepts) endAccepts_ |= bit;
            continue;
        }
        const int owner = ownerOf_[static_cast<std::size_t>(node)];
        if (p_[node] == kRxExactly && p_[node + 3 + charOf_[static_cast<std::size_t>(i)] + 1]) {
            mask = bit << 1;  // the next character of the run
        } else if (owner >= 0) {
            if (!Closure(Next(owner), false, false, mask, accepts)) return false;
            mask |= bit;  // once more
        } else if (!Closure(Next(node), false, false, mask, accepts)) {
            return false;
        }
        follow_[i] = mask;
        if (accepts) followAccepts_ |= bit;
    }
    bool innerAccepts = false;
    if (!Closure(1, false, false, inner_, innerAccepts) || innerAccepts) return false;
    if (!Closure(1, true, false, first_, firstAccepts_)) return false;

    int count = 0;
    for (int c = 0; c < 256; ++c) {
        startTable_[c] = (takes_[c] & inner_) != 0;
        if (startTable_[c]) {
            ++count;
            startByte_ = c;
        }
    }
    if (count != 1) startByte_ = -1;
    idleState_ = State(inner_);
    firstState_ = State(first_);
    return true;
}

int RegexAutomaton::State(std::uint64_t mask) {
    if (const auto it = stateOf_.find(mask); it != stateOf_.end()) return it->second;
    if (static_cast<int>(states_.size()) >= kMaxStates) return -1;
    const int state = static_cast<int>(states_.size());
    states_.push_back(mask);
    stateOf_.emplace(mask, state);
    moves_.resize(moves_.size() + 256, kUnknown);
    return state;
}

std::int32_t RegexAutomaton::Move(int state, unsigned char c) {
    const std::uint64_t taking = states_[static_cast<std::size_t>(state)] & takes_[c];
    std::int32_t to = kAccept;
    if (!(taking & followAccepts_)) {
        std::uint64_t mask = inner_;  // a match may also begin at the next column
        for (std::uint64_t m = taking; m; m &= m - 1) mask |= follow_[std::countr_zero(m)];
        to = State(mask);
        if (to < 0) return kAccept;  // too many states: let the matcher decide
    }
    moves_[static_cast<std::size_t>(state) * 256 + c] = to;
    return to;
}

bool RegexAutomaton::MayMatch(const char* text, int length, int from) {
    if (from == 0 && firstAccepts_) return true;
    const auto* t = reinterpret_cast<const unsigned char*>(text);
    int state = from == 0 ? firstState_ : idleState_;
    for (int pos = from; pos < length; ++pos) {
        if (state == idleState_) {
            pos = FindIn(startTable_, startByte_, text, pos, length);
            if (pos >= length) break;
        }
        std::int32_t to = moves_[static_cast<std::size_t>(state) * 256 + t[pos]];
        if (to == kUnknown) to = Move(state, t[pos]);
        if (to == kAccept) return true;
        state = to;
    }
    return (states_[static_cast<std::size_t>(state)] & endAccepts_) != 0;
}

// The nodes, for the bound on the matcher's work.
bool RegexAutomaton::Nodes() {
    nodeIndex_.assign(static_cast<std::size_t>(size_), -1);
    bool operand = false;
    for (int node = 1; node + 3 <= size_;) {
        nodeIndex_[static_cast<std::size_t>(node)] = static_cast<int>(nodes_.size());
        nodes_.push_back(node);
        operand_.push_back(operand);
        const std::uint8_t op = p_[node];
        operand = op == kRxStar || op == kRxPlus;
        node += 3;
        if (op == kRxExactly || op == kRxAnyOf || op == kRxAnyBut) {
            while (node < size_ && p_[node]) ++node;
            ++node;
        }
    }
    return static_cast<int>(nodes_.size()) <= kMaxNodes && nodeIndex_[1] == 0;
}

bool RegexAutomaton::Bounded(int length, long limit) {
    while (growing_ && static_cast<int>(bound_.size()) <= length) Grow();
    return limit >= 0 && length < static_cast<int>(bound_.size()) &&
           bound_[static_cast<std::size_t>(length)] <= static_cast<std::uint64_t>(limit);
}

// Adds the bound for texts one character longer: the matcher's work (its counted steps)
// over all the columns of any text of that length. Per node and remaining length r it keeps
// what a call of the matcher there can cost (steps) and how deep its calls can nest (depth),
// node kind by node kind as the matcher counts them; those of smaller r are known. A length
// whose depth could pass the limit ends the bound there.
void RegexAutomaton::Grow() {
    const int n = static_cast<int>(nodes_.size());
    const int r = static_cast<int>(bound_.size());
    const auto cell = [n](int k, int at) {
        return static_cast<std::size_t>(at) * static_cast<std::size_t>(n) +
               static_cast<std::size_t>(k);
    };
    steps_.resize(steps_.size() + static_cast<std::size_t>(n), 0);
    stepsSum_.resize(steps_.size(), 0);  // over lengths up to r
    depth_.resize(steps_.size(), 0);
    depthMax_.resize(steps_.size(), 0);  // over lengths up to r
    std::vector<std::uint8_t> state(static_cast<std::size_t>(n), 0);
    auto add = [](std::uint64_t a, std::uint64_t b) { return std::min(a + b, kHuge); };
    bool ok = true;

    auto eval = [&](auto& self, int k) -> void {
        std::uint8_t& st = state[static_cast<std::size_t>(k)];
        if (st == 2 || !ok) return;
        if (st == 1) {  // a loop that takes no character: not a program of the compiler
            ok = false;
            return;
        }
        st = 1;
        const int node = nodes_[static_cast<std::size_t>(k)];
        const std::uint8_t op =
            operand_[static_cast<std::size_t>(k)] ? std::uint8_t{kRxEnd} : p_[node];
        const int after = Next(node);
        auto index = [&](int to) {
            const int j = Valid(to) ? nodeIndex_[static_cast<std::size_t>(to)] : -1;
            if (j < 0) ok = false;
            return std::max(j, 0);
        };
        auto now = [&](int to) {  // a node reached without taking a character
            const int j = index(to);
            if (ok) self(self, j);
            return j;
        };
        std::uint64_t w = 1;
        std::uint32_t d = 1;
        switch (op) {
            case kRxEnd:
                break;
            case kRxEol:
                if (r == 0) {
                    const int j = now(after);
                    w = add(w, steps_[cell(j, r)]);
                    d = depth_[cell(j, r)];
                }
                break;
            case kRxAny:
            case kRxAnyOf:
            case kRxAnyBut:
            case kRxExactly: {
                const int len = op == kRxExactly
                                    ? static_cast<int>(
                                          std::strlen(reinterpret_cast<const char*>(p_ + node + 3)))
                                    : 1;
                if (r >= len) {
                    const int j = index(after);
                    w = add(w, steps_[cell(j, r - len)]);
                    d = depth_[cell(j, r - len)];
                }
                break;
            }
            case kRxStar:
            case kRxPlus: {
                // The run is counted, then each length down to the least, with a call for
                // the rest after it.
                const int least = op == kRxStar ? 0 : 1;
                w = add(w, static_cast<std::uint64_t>(r));
                if (r >= least) {
                    const int j = least == 0 ? now(after) : index(after);
                    w = add(w, static_cast<std::uint64_t>(r - least + 1));
                    w = add(w, stepsSum_[cell(j, r - least)]);
                    d = 1 + depthMax_[cell(j, r - least)];
                }
                break;
            }
            case kRxBranch: {
                if (after < 0 || !Valid(after)) {
                    ok = false;
                    break;
                }
                if (p_[after] != kRxBranch) {  // the operand, in the same call
                    const int j = now(node + 3);
                    w = add(w, steps_[cell(j, r)]);
                    d = depth_[cell(j, r)];
                    break;
                }
                std::uint32_t deepest = 0;  // each alternative is a call of its own
                for (int b = node; b >= 0 && Valid(b) && p_[b] == kRxBranch; b = Next(b)) {
                    const int j = now(b + 3);
                    w = add(w, steps_[cell(j, r)]);
                    deepest = std::max(deepest, depth_[cell(j, r)]);
                }
                d = 1 + deepest;
                break;
            }
            default: {
                const bool group = IsGroupOp(op);
                if (!group && op != kRxBol && op != kRxNothing && op != kRxBack) {
                    ok = false;
                    break;
                }
                const int j = now(after);
                w = add(w, steps_[cell(j, r)]);
                d = (group ? 1 : 0) + depth_[cell(j, r)];  // a group's rest is a call
                break;
            }
        }
        const std::size_t c = cell(k, r);
        steps_[c] = w;
        depth_[c] = std::min<std::uint32_t>(std::max<std::uint32_t>(d, 1), 1u << 30);
        stepsSum_[c] = r > 0 ? add(stepsSum_[cell(k, r - 1)], w) : w;
        depthMax_[c] = r > 0 ? std::max(depthMax_[cell(k, r - 1)], depth_[c]) : depth_[c];
        st = 2;
    };
    for (int k = 0; k < n && ok; ++k) eval(eval, k);

    // A try at each column of a text of length r: r, r - 1, ..., 0 characters left.
    const std::uint64_t total = add(bound_.empty() ? 0 : bound_.back(), steps_[cell(0, r)]);
    if (ok && depthMax_[cell(0, r)] <= static_cast<std::uint32_t>(kRegexDepthLimit))
        bound_.push_back(total);
    else
        ok = false;
    if (!ok || total >= kHuge || static_cast<int>(bound_.size()) > kMaxBoundLength) {
        growing_ = false;
        steps_ = {};
        stepsSum_ = {};
        depth_ = {};
        depthMax_ = {};
    }
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
    // The membership table of the set node `node`, if it has one.
    const std::uint8_t* Table(int node) const {
        const std::uint16_t t = rx_.setAt_[static_cast<std::size_t>(node)];
        return t ? rx_.setTables_.data() + (t - 1) * 256 : nullptr;
    }
    bool Member(int node, char c) const {
        if (const std::uint8_t* t = Table(node)) return t[static_cast<unsigned char>(c)] != 0;
        return InSet(p_ + node + 3, c);
    }
    // The length of the run from `pos` whose members are (or are not) in the set node's set.
    int SetRun(int node, int pos, bool member) const {
        int i = pos;
        if (const std::uint8_t* t = Table(node)) {
            while (i < length_ && (t[static_cast<unsigned char>(text_[i])] != 0) == member) ++i;
        } else {
            while (i < length_ && InSet(p_ + node + 3, text_[i]) == member) ++i;
        }
        return i;
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
                i = SetRun(operand, pos, true);
                break;
            case kRxAnyBut:
                i = SetRun(operand, pos, false);
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
                    if (pos >= length_ || !Member(node, text_[pos])) return false;
                    ++pos;
                    break;
                case kRxAnyBut:
                    if (pos >= length_ || Member(node, text_[pos])) return false;
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

// Tries the program at the columns from `from` on that the hints leave.
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
    // Without a first character: a text ruled out needs no try at all, and otherwise only
    // the columns whose byte can start a match are tried.
    const bool filtered = firstChar_ < 0 && startFilter_;
    if (filtered && RuledOut(text, length, from)) return false;
    if (filtered && startKind_ != StartKind::kEvery) {
        if (ScanStarts(text, length, from)) return true;
    } else if (firstChar_ >= 0) {
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

// Whether the text certainly holds no match and the matcher, had it looked, would neither
// have found one nor reached a limit: then it need not look.
bool CompiledRegex::RuledOut(const char* text, int length, int from) {
    if (length == 0) return false;
    if (!automatonTried_) {
        automatonTried_ = true;
        automaton_ = RegexAutomaton::Make(program_, size_);
    }
    return automaton_ && automaton_->Bounded(length, workLimit_) &&
           !automaton_->MayMatch(text, length, from);
}

// Counts the work of `positions` tries of `cost` each that were not made; false (at the
// limit) when one of them would have reached it.
bool CompiledRegex::Charge(long cost, long positions) {
    if (cost <= 0 || positions <= 0) return true;
    if (positions > (workLimit_ - work_) / cost) {
        hitLimit_ = true;
        return false;
    }
    work_ += cost * positions;
    return true;
}

// Scan for an expression whose start bytes are known. A try at an inner column whose byte
// is not among them fails before it takes a character, on the same path every time, so it
// always costs the same: the first such try is made to learn that cost, the others are
// counted without being made. The first column is tried when "^" can hold there, the end
// of the text when "$" can; otherwise they go the same way.
bool CompiledRegex::ScanStarts(const char* text, int length, int from) {
    int at = from;
    if (at == 0 && length > 0 && startBol_) {
        if (Try(text, length, 0)) return true;
        if (hitLimit_ || damaged_) return false;
        at = 1;
    }
    while (at < length) {
        const int next = startKind_ == StartKind::kNone
                             ? length
                             : FindIn(startTable_, startByte_, text, at, length);
        if (next > at) {
            if (innerCost_ < 0) {
                const long before = work_;
                if (Try(text, length, at)) return true;
                if (hitLimit_ || damaged_) return false;
                innerCost_ = work_ - before;
                ++at;
                continue;
            }
            if (!Charge(innerCost_, next - at)) return false;
            at = next;
            if (at == length) break;
        }
        if (Try(text, length, at)) return true;
        if (hitLimit_ || damaged_) return false;
        ++at;
    }
    if (startEol_ || (length == 0 && startBol_) || endCost_ < 0) {
        const long before = work_;
        if (Try(text, length, length)) return true;
        if (hitLimit_ || damaged_) return false;
        if (!startEol_ && !(length == 0 && startBol_)) endCost_ = work_ - before;
        return false;
    }
    Charge(endCost_, 1);
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
