#include "analysis/word_completion.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "editor/document.h"
#include "editor/document_commands.h"
#include "editor/editing.h"
#include "editor/language.h"
#include "editor/undo.h"
#include "shell/commands.h"
#include "shell/ui.h"

namespace velt {
namespace {

bool IsC(const Document& doc) {
    return doc.language && doc.language->name == kCLanguageName;
}

bool IsIdentStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// The identifier class as a table: the lexer asks for every character of every document.
struct IdentTable {
    bool ident[256] = {};
    IdentTable() {
        for (int c = 0; c < 256; ++c) ident[c] = IsIdentifierChar(static_cast<char>(c));
    }
};
const IdentTable kIdent;

inline bool IsIdent(char c) {
    return kIdent.ident[static_cast<unsigned char>(c)];
}

// Deeper nesting of declarators, structure bodies or expression parts is not followed: a
// line of a thousand "(" must not exhaust the stack.
constexpr int kMaxNesting = 64;

// Counts one level of nesting for as long as it lives.
class Nested {
  public:
    explicit Nested(int& depth) : depth_(depth) { ++depth_; }
    ~Nested() { --depth_; }
    bool TooDeep() const { return depth_ > kMaxNesting; }

  private:
    int& depth_;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// ---- Tokens of a C document

enum class Kind : std::uint8_t { End, Ident, Number, Punct };

struct Token {
    Kind kind = Kind::End;
    std::string_view text;  // inside the line's text
    int line = 0;           // 1-based
    int column = 0;
    bool preprocessor = false;  // part of a preprocessor line

    bool Is(std::string_view s) const { return kind != Kind::End && text == s; }
    bool IsIdent() const { return kind == Kind::Ident; }
};

// Reads a document's tokens in order straight from its lines. Comments, string literals and
// character constants are skipped (a backslash at a line end continues a literal); so are
// the directive word of a preprocessor line and the whole of an #include line, whose header
// name is no identifier. The rest of a preprocessor line (with its continuations) comes
// marked.
class Lexer {
  public:
    explicit Lexer(const Document& doc) : head_(doc.head), line_(doc.head->next) { StartLine(); }

    Token Next() {
        while (line_ != head_) {
            const char* t = line_->text();
            const int n = line_->length;
            if (literal_) col_ = SkipLiteral(t, n, col_, literal_);
            while (col_ < n) {
                const char c = t[col_];
                if (comment_) {
                    int i = col_;
                    while (i + 1 < n && !(t[i] == '*' && t[i + 1] == '/')) ++i;
                    if (i + 1 < n) {
                        comment_ = false;
                        col_ = i + 2;
                    } else {
                        col_ = n;
                    }
                    continue;
                }
                if (IsBlank(c)) {
                    ++col_;
                    continue;
                }
                if (c == '/' && col_ + 1 < n && t[col_ + 1] == '*') {
                    comment_ = true;
                    col_ += 2;
                    continue;
                }
                if (c == '/' && col_ + 1 < n && t[col_ + 1] == '/') {
                    col_ = n;
                    continue;
                }
                if (c == '"' || c == '\'') {
                    col_ = SkipLiteral(t, n, col_ + 1, c);
                    continue;
                }
                Token tok;
                tok.line = number_;
                tok.column = col_;
                tok.preprocessor = preprocessor_;
                const int start = col_++;
                if (IsIdentStart(c)) {
                    tok.kind = Kind::Ident;
                    while (col_ < n && IsIdent(t[col_])) ++col_;
                } else if (IsDigit(c) || (c == '.' && col_ < n && IsDigit(t[col_]))) {
                    tok.kind = Kind::Number;
                    while (col_ < n && (IsIdent(t[col_]) || t[col_] == '.')) ++col_;
                } else {
                    tok.kind = Kind::Punct;
                    if (col_ < n && ((c == '-' && t[col_] == '>') || (c == ':' && t[col_] == ':')))
                        ++col_;
                }
                tok.text = std::string_view(t + start, static_cast<std::size_t>(col_ - start));
                return tok;
            }
            NextLine();
        }
        return Token{};
    }

  private:
    // From `i` past the closing `quote`; at a backslash ending the line the literal goes on
    // in the next line. An unclosed literal ends with its line.
    int SkipLiteral(const char* t, int n, int i, char quote) {
        literal_ = 0;
        while (i < n) {
            const char c = t[i];
            if (c == '\\') {
                if (i + 1 >= n) {
                    literal_ = quote;
                    return n;
                }
                i += 2;
                continue;
            }
            ++i;
            if (c == quote) return i;
        }
        return n;
    }

    void StartLine() {
        col_ = 0;
        if (line_ == head_ || comment_ || literal_ || preprocessor_) return;
        const char* t = line_->text();
        const int n = line_->length;
        int i = 0;
        while (i < n && IsBlank(t[i])) ++i;
        if (i >= n || t[i] != '#') return;
        preprocessor_ = true;
        ++i;
        while (i < n && IsBlank(t[i])) ++i;
        const int word = i;
        while (i < n && IsIdent(t[i])) ++i;
        const std::string_view directive(t + word, static_cast<std::size_t>(i - word));
        col_ = directive == "include" || directive == "import" ? n : i;
    }

    void NextLine() {
        const bool continued =
            preprocessor_ && line_->length > 0 && line_->text()[line_->length - 1] == '\\';
        line_ = line_->next;
        ++number_;
        preprocessor_ = continued;
        StartLine();
    }

    const Line* head_;
    const Line* line_;
    int number_ = 1;
    int col_ = 0;
    bool comment_ = false;
    char literal_ = 0;  // the quote of a literal continued from the line before
    bool preprocessor_ = false;
};

// The tokens outside preprocessor lines, with a few of look-ahead.
class Tokens {
  public:
    explicit Tokens(const Document& doc) : lexer_(doc) {}

    const Token& Peek(int k = 0) {
        while (count_ <= k) {
            Token t;
            do t = lexer_.Next();
            while (t.kind != Kind::End && t.preprocessor);
            buffer_[(first_ + count_) % kLook] = t;
            ++count_;
        }
        return buffer_[(first_ + k) % kLook];
    }
    Token Take() {
        Token t = Peek();
        first_ = (first_ + 1) % kLook;
        --count_;
        return t;
    }
    bool AtEnd() { return Peek().kind == Kind::End; }

  private:
    static constexpr int kLook = 4;
    Lexer lexer_;
    Token buffer_[kLook];
    int first_ = 0;
    int count_ = 0;
};

// ---- Types

struct StringHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
template <class T>
using NameMap = std::unordered_map<std::string, T, StringHash, std::equal_to<>>;

// A type as far as member lookup cares: a structure named by its tag, by a typedef name, or
// a definition itself; pointers and arrays are left out, so "." and "->" are both accepted.
struct TypeRef {
    enum class Kind : std::uint8_t { None, Tag, Name, Record };
    Kind kind = Kind::None;
    std::string name;
    int record = -1;
};

struct Member {
    std::string name;
    TypeRef type;
};

struct Record {
    bool tagged = false;
    std::vector<Member> members;
};

struct Types {
    std::vector<Record> records;
    NameMap<int> tags;          // the first definition of each tag
    NameMap<TypeRef> typedefs;  // the first typedef of each name
    // The "{" of every definition, so that a second reading finds the record it made.
    std::unordered_map<const char*, int> bodies;

    bool IsTypeName(std::string_view name) const {
        return typedefs.find(name) != typedefs.end() || tags.find(name) != tags.end();
    }
    // The record a type stands for, or -1.
    int Resolve(TypeRef t) const {
        for (int hops = 0; hops < 32; ++hops) {
            switch (t.kind) {
                case TypeRef::Kind::Record:
                    return t.record;
                case TypeRef::Kind::Tag: {
                    const auto it = tags.find(t.name);
                    return it == tags.end() ? -1 : it->second;
                }
                case TypeRef::Kind::Name: {
                    const auto it = typedefs.find(t.name);
                    if (it != typedefs.end()) {
                        t = it->second;
                        continue;
                    }
                    // A C++ header names a structure by its tag alone.
                    const auto tag = tags.find(t.name);
                    return tag == tags.end() ? -1 : tag->second;
                }
                case TypeRef::Kind::None:
                    return -1;
            }
        }
        return -1;  // a typedef cycle
    }
};

bool IsQualifier(std::string_view w) {
    static const std::unordered_set<std::string_view> words = {
        "const",    "volatile",   "static",   "extern",  "register",  "auto",       "inline",
        "restrict", "__restrict", "__inline", "__cdecl", "__stdcall", "__fastcall", "_Thread_local",
        "mutable",  "far",        "near",     "__far",   "__near",    "virtual",    "explicit"};
    return words.count(w) != 0;
}

bool IsBaseType(std::string_view w) {
    static const std::unordered_set<std::string_view> words = {
        "void",   "char",     "short", "int",      "long", "float",  "double",
        "signed", "unsigned", "_Bool", "_Complex", "bool", "wchar_t"};
    return words.count(w) != 0;
}

// Reads declarations from a document's tokens. Defining: structure bodies become records
// and typedefs are filed; otherwise the records made before are looked up by their "{".
class DeclParser {
  public:
    DeclParser(const Document& doc, Types& types, bool defining)
        : tokens_(doc), types_(types), defining_(defining) {}

    Tokens& tokens() { return tokens_; }

    // The declaration specifiers at the current token; false when there are none.
    bool Specifiers(TypeRef& type) {
        bool seen = false;
        bool base = false;
        for (;;) {
            const Token& t = tokens_.Peek();
            if (!t.IsIdent()) break;
            const std::string_view w = t.text;
            if (w == "struct" || w == "union" || w == "class") {
                tokens_.Take();
                seen = base = true;
                SkipAttributes();
                std::string_view tag;
                if (tokens_.Peek().IsIdent()) tag = tokens_.Take().text;
                if (tokens_.Peek().Is("{")) {
                    type = TypeRef{TypeRef::Kind::Record, {}, Body(tag)};
                } else if (!tag.empty()) {
                    type = TypeRef{TypeRef::Kind::Tag, std::string(tag), -1};
                }
                continue;
            }
            if (w == "enum") {
                tokens_.Take();
                seen = base = true;
                if (tokens_.Peek().IsIdent()) tokens_.Take();
                if (tokens_.Peek().Is("{")) SkipBalanced();
                continue;
            }
            if (w == "__declspec" || w == "__attribute__") {
                SkipAttributes();
                continue;
            }
            if (IsQualifier(w)) {
                tokens_.Take();
                seen = true;
                continue;
            }
            if (IsBaseType(w)) {
                tokens_.Take();
                seen = base = true;
                continue;
            }
            if (!base && types_.IsTypeName(w)) {
                type = TypeRef{TypeRef::Kind::Name, std::string(w), -1};
                tokens_.Take();
                seen = base = true;
                continue;
            }
            break;
        }
        return seen;
    }

    // One declarator: its name (empty for an abstract one) and whether a parameter list
    // follows it, which is left unread. False when the tokens are no declarator.
    bool Declarator(std::string_view& name, bool& function, Token* at = nullptr) {
        function = false;
        const Nested level(nesting_);
        if (level.TooDeep()) return false;
        while (tokens_.Peek().Is("*") || tokens_.Peek().Is("&") ||
               (tokens_.Peek().IsIdent() && IsQualifier(tokens_.Peek().text)))
            tokens_.Take();
        if (tokens_.Peek().Is("(")) {
            // A grouped declarator, as in a pointer to a function: (*name)(...).
            tokens_.Take();
            bool inner = false;
            if (!Declarator(name, inner, at) || !tokens_.Peek().Is(")")) return false;
            tokens_.Take();
        } else if (tokens_.Peek().IsIdent() && !IsBaseType(tokens_.Peek().text)) {
            if (at) *at = tokens_.Peek();
            name = tokens_.Take().text;
        } else {
            name = {};
        }
        for (;;) {
            if (tokens_.Peek().Is("[")) {
                SkipBalanced();
            } else if (tokens_.Peek().Is("(")) {
                function = true;
                return true;
            } else {
                return true;
            }
        }
    }

    // Skips a balanced group starting at the current "(", "[" or "{".
    void SkipBalanced() {
        int depth = 0;
        do {
            const Token t = tokens_.Take();
            if (t.kind == Kind::End) return;
            if (t.Is("(") || t.Is("[") || t.Is("{"))
                ++depth;
            else if (t.Is(")") || t.Is("]") || t.Is("}"))
                --depth;
        } while (depth > 0);
    }

    // Skips an initializer or bit width up to the "," or ";" (or the closing bracket of the
    // surrounding group) that ends it, which is left unread.
    void SkipInitializer() {
        if (!tokens_.Peek().Is("=") && !tokens_.Peek().Is(":")) return;
        tokens_.Take();
        for (;;) {
            const Token& t = tokens_.Peek();
            if (t.kind == Kind::End || t.Is(",") || t.Is(";") || t.Is(")") || t.Is("]") ||
                t.Is("}"))
                return;
            if (t.Is("(") || t.Is("[") || t.Is("{"))
                SkipBalanced();
            else
                tokens_.Take();
        }
    }

    // Skips to the end of a statement: past its ";", or up to a "}" closing the group.
    void SkipStatement() {
        for (;;) {
            const Token& t = tokens_.Peek();
            if (t.kind == Kind::End || t.Is("}")) return;
            if (t.Is(";")) {
                tokens_.Take();
                return;
            }
            if (t.Is("(") || t.Is("[") || t.Is("{"))
                SkipBalanced();
            else
                tokens_.Take();
        }
    }

    // typedef (the keyword is current): every declarator's name is filed with the type.
    void Typedef() {
        tokens_.Take();
        TypeRef type;
        Specifiers(type);
        for (;;) {
            std::string_view name;
            bool function = false;
            if (!Declarator(name, function)) break;
            if (function) SkipBalanced();
            if (!name.empty() && defining_) types_.typedefs.emplace(std::string(name), type);
            if (!tokens_.Peek().Is(",")) break;
            tokens_.Take();
        }
        SkipStatement();
    }

  private:
    void SkipAttributes() {
        while (tokens_.Peek().Is("__declspec") || tokens_.Peek().Is("__attribute__")) {
            tokens_.Take();
            if (tokens_.Peek().Is("(")) SkipBalanced();
        }
    }

    // A structure body at the current "{": the record it defines.
    int Body(std::string_view tag) {
        const char* key = tokens_.Peek().text.data();
        const Nested level(nesting_);
        if (!defining_ || level.TooDeep()) {
            SkipBalanced();
            const auto it = types_.bodies.find(key);
            return it == types_.bodies.end() ? -1 : it->second;
        }
        tokens_.Take();
        const int index = static_cast<int>(types_.records.size());
        types_.records.emplace_back();
        types_.records.back().tagged = !tag.empty();
        types_.bodies.emplace(key, index);
        if (!tag.empty()) types_.tags.emplace(std::string(tag), index);
        Members(index);
        return index;
    }

    // The member declarations of record `index`, through the closing "}".
    void Members(int index) {
        for (;;) {
            const Token& t = tokens_.Peek();
            if (t.kind == Kind::End) return;
            if (t.Is("}")) {
                tokens_.Take();
                return;
            }
            if (t.Is(";")) {
                tokens_.Take();
                continue;
            }
            // An access label of a C++ header.
            if (t.IsIdent() && tokens_.Peek(1).Is(":")) {
                tokens_.Take();
                tokens_.Take();
                continue;
            }
            TypeRef type;
            if (!Specifiers(type)) {
                SkipStatement();
                continue;
            }
            if (tokens_.Peek().Is(";")) {
                // An unnamed structure inside another: its members are the outer one's.
                const int inner = type.kind == TypeRef::Kind::Record ? type.record : -1;
                if (inner >= 0 && inner != index && !types_.records[inner].tagged) {
                    const std::vector<Member> copy = types_.records[inner].members;
                    auto& members = types_.records[index].members;
                    members.insert(members.end(), copy.begin(), copy.end());
                }
                tokens_.Take();
                continue;
            }
            for (;;) {
                std::string_view name;
                bool function = false;
                if (!Declarator(name, function)) {
                    SkipStatement();
                    break;
                }
                if (!name.empty())
                    types_.records[index].members.push_back(Member{std::string(name), type});
                if (function) {
                    // A member function of a C++ header, perhaps with its body.
                    SkipBalanced();
                    while (tokens_.Peek().IsIdent() && IsQualifier(tokens_.Peek().text))
                        tokens_.Take();
                    if (tokens_.Peek().Is("{")) {
                        SkipBalanced();
                        break;
                    }
                }
                SkipInitializer();
                if (tokens_.Peek().Is(",")) {
                    tokens_.Take();
                    continue;
                }
                if (tokens_.Peek().Is(";")) {
                    tokens_.Take();
                } else {
                    SkipStatement();
                }
                break;
            }
        }
    }

    Tokens tokens_;
    Types& types_;
    bool defining_;
    int nesting_ = 0;
};

// Files the structures and typedefs of a document.
void CollectTypes(const Document& doc, Types& types) {
    DeclParser parser(doc, types, true);
    Tokens& tokens = parser.tokens();
    while (!tokens.AtEnd()) {
        const Token& t = tokens.Peek();
        if (t.Is("typedef")) {
            parser.Typedef();
        } else if (t.Is("struct") || t.Is("union") || t.Is("class")) {
            TypeRef type;
            parser.Specifiers(type);
        } else {
            tokens.Take();
        }
    }
}

struct Position {
    int line = 0;
    int column = 0;
    bool operator<(const Position& o) const {
        return line != o.line ? line < o.line : column < o.column;
    }
};

// A declaration of the name looked for.
struct Declaration {
    TypeRef type;
    Position at;
    int depth = 0;   // brace depth
    int block = -1;  // the outermost brace block it lies in (parameters: their body's)
    bool parameter = false;
};

struct Block {
    Position start;
    Position end{INT_MAX, INT_MAX};
};

// The declarations of `name` with a structure type in a document, and its outermost brace
// blocks (function bodies, mostly).
void FindDeclarations(const Document& doc, Types& types, std::string_view name,
                      std::vector<Declaration>& found, std::vector<Block>& blocks) {
    DeclParser parser(doc, types, false);
    Tokens& tokens = parser.tokens();
    int depth = 0;
    int parens = 0;
    int block = -1;
    bool start = true;
    // Parameters seen since the last top-level statement: they belong to the body that
    // follows, or to nothing when a ";" shows that it was only a prototype.
    std::vector<std::size_t> pending;
    while (!tokens.AtEnd()) {
        const Token& t = tokens.Peek();
        if (start && t.IsIdent() && t.text != "typedef" &&
            (t.Is("struct") || t.Is("union") || t.Is("class") || IsQualifier(t.text) ||
             types.IsTypeName(t.text))) {
            // In a parameter list every declarator has its own specifiers.
            const bool list = parens > 0;
            const bool parameter = list && depth == 0;
            TypeRef type;
            parser.Specifiers(type);
            start = false;
            if (type.kind == TypeRef::Kind::None) continue;
            for (;;) {
                std::string_view declared;
                bool function = false;
                Token at;
                if (!parser.Declarator(declared, function, &at) || function) break;
                if (declared == name) {
                    Declaration d;
                    d.type = type;
                    d.at = {at.line, at.column};
                    d.depth = depth;
                    d.parameter = parameter;
                    d.block = parameter ? static_cast<int>(blocks.size()) : block;
                    if (parameter) pending.push_back(found.size());
                    found.push_back(std::move(d));
                }
                if (list) break;
                parser.SkipInitializer();
                if (!tokens.Peek().Is(",")) break;
                tokens.Take();
            }
            continue;
        }
        const Token tok = tokens.Take();
        start = false;
        if (tok.kind != Kind::Punct) continue;
        switch (tok.text[0]) {
            case '{':
                if (depth == 0) {
                    blocks.push_back(Block{{tok.line, tok.column}});
                    block = static_cast<int>(blocks.size()) - 1;
                    pending.clear();
                }
                ++depth;
                parens = 0;
                start = true;
                break;
            case '}':
                if (depth > 0 && --depth == 0 && block >= 0)
                    blocks[static_cast<std::size_t>(block)].end = {tok.line, tok.column};
                parens = 0;
                start = true;
                break;
            case ';':
                if (depth == 0) {
                    for (std::size_t i : pending) found[i].block = -1;
                    pending.clear();
                }
                parens = 0;
                start = true;
                break;
            case '(':
                ++parens;
                start = true;
                break;
            case ')':
                if (parens > 0) --parens;
                break;
            case ',':
                start = true;
                break;
            default:
                break;
        }
    }
}

// ---- The expression before "." or "->"

std::vector<std::string_view> SplitExpression(std::string_view s) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (IsBlank(c)) {
            ++i;
            continue;
        }
        const std::size_t start = i++;
        if (IsIdent(c)) {
            while (i < s.size() && IsIdent(s[i])) ++i;
        } else if (c == '-' && i < s.size() && s[i] == '>') {
            ++i;
        }
        out.push_back(s.substr(start, i - start));
    }
    return out;
}

// Where the postfix expression ending at `end` (exclusive) of `t` begins: identifiers joined
// by "." and "->", with subscripts and parenthesised parts.
int ExpressionStart(const char* t, int end) {
    int i = end;
    for (;;) {
        int j = i;
        while (j > 0 && IsBlank(t[j - 1])) --j;
        if (j == 0) return i;
        const char c = t[j - 1];
        if (IsIdent(c)) {
            int k = j;
            while (k > 0 && IsIdent(t[k - 1])) --k;
            i = k;
            int m = k;
            while (m > 0 && IsBlank(t[m - 1])) --m;
            if (m > 0 && t[m - 1] == '.') {
                i = m - 1;
                continue;
            }
            if (m > 1 && t[m - 1] == '>' && t[m - 2] == '-') {
                i = m - 2;
                continue;
            }
            return i;
        }
        if (c == ']' || c == ')') {
            int depth = 0;
            int k = j;
            while (k > 0) {
                const char d = t[--k];
                if (d == ']' || d == ')') ++depth;
                if ((d == '[' || d == '(') && --depth == 0) break;
            }
            if (depth != 0) return i;
            i = k;
            continue;
        }
        return i;
    }
}

// Resolves the type of an expression from the declarations of the open C documents.
class Resolver {
  public:
    Resolver(EditView& view) : view_(view) {
        for (Document* d = FirstDocument(); d; d = d->next)
            if (IsC(*d)) CollectTypes(*d, types_);
    }

    // The record of the expression's structure type, or -1.
    int RecordOf(std::string_view expression) {
        tokens_ = SplitExpression(expression);
        next_ = 0;
        TypeRef type;
        if (!Unary(type) || next_ != tokens_.size()) return -1;
        return types_.Resolve(type);
    }

    const Record& record(int i) const { return types_.records[static_cast<std::size_t>(i)]; }

  private:
    bool At(std::string_view s) const { return next_ < tokens_.size() && tokens_[next_] == s; }
    bool AtIdent() const { return next_ < tokens_.size() && IsIdentStart(tokens_[next_][0]); }

    bool Unary(TypeRef& type) {
        const Nested level(nesting_);
        if (level.TooDeep()) return false;
        if (At("*") || At("&")) {
            ++next_;
            return Unary(type);
        }
        if (At("(") && next_ + 1 < tokens_.size() && StartsType(tokens_[next_ + 1])) {
            // A cast: its type counts, whatever the operand is.
            ++next_;
            if (!CastType(type)) return false;
            TypeRef operand;
            return Unary(operand);
        }
        return Postfix(type);
    }

    bool StartsType(std::string_view w) const {
        return w == "struct" || w == "union" || w == "const" || types_.IsTypeName(w);
    }

    // The type of a cast up to and past its ")".
    bool CastType(TypeRef& type) {
        while (At("const") || At("volatile")) ++next_;
        if (At("struct") || At("union")) {
            ++next_;
            if (!AtIdent()) return false;
            type = TypeRef{TypeRef::Kind::Tag, std::string(tokens_[next_++]), -1};
        } else if (AtIdent()) {
            type = TypeRef{TypeRef::Kind::Name, std::string(tokens_[next_++]), -1};
        } else {
            return false;
        }
        while (next_ < tokens_.size() && !At(")")) ++next_;
        if (!At(")")) return false;
        ++next_;
        return true;
    }

    bool Postfix(TypeRef& type) {
        if (AtIdent()) {
            type = Variable(tokens_[next_++]);
        } else if (next_ < tokens_.size() && IsDigit(tokens_[next_][0])) {
            type = {};  // a constant, as the operand of a cast
            ++next_;
        } else if (At("(")) {
            ++next_;
            if (!Unary(type) || !At(")")) return false;
            ++next_;
        } else {
            return false;
        }
        for (;;) {
            if (At("[")) {
                int depth = 0;
                do {
                    if (At("[")) ++depth;
                    if (At("]")) --depth;
                    ++next_;
                } while (depth > 0 && next_ < tokens_.size());
                if (depth != 0) return false;
            } else if (At(".") || At("->")) {
                ++next_;
                if (!AtIdent()) return false;
                type = MemberType(type, tokens_[next_++]);
                if (type.kind == TypeRef::Kind::None) return false;
            } else {
                // A call, or the end.
                return !At("(");
            }
        }
    }

    TypeRef MemberType(const TypeRef& of, std::string_view name) const {
        const int r = types_.Resolve(of);
        if (r < 0) return {};
        for (const Member& m : record(r).members)
            if (m.name == name) return m.type;
        return {};
    }

    // The type a variable is declared with: a local or parameter of the function around
    // the cursor (the last declaration before the cursor), else a global of the current
    // document (the last before the cursor, else the first after it), else a global of
    // another open C document.
    TypeRef Variable(std::string_view name) {
        Document* current = view_.document;
        if (current && IsC(*current)) {
            std::vector<Declaration> found;
            std::vector<Block> blocks;
            FindDeclarations(*current, types_, name, found, blocks);
            const Position cursor{CursorLineNumber(view_), view_.cursorColumn};
            int around = -1;
            for (std::size_t b = 0; b < blocks.size(); ++b)
                if (blocks[b].start < cursor && cursor < blocks[b].end)
                    around = static_cast<int>(b);
            const Declaration* local = nullptr;
            const Declaration* before = nullptr;
            const Declaration* after = nullptr;
            for (const Declaration& d : found) {
                const bool inside =
                    around >= 0 && d.block == around && (d.depth > 0 || d.parameter);
                if (inside && d.at < cursor) local = &d;
                if (d.depth == 0 && !d.parameter) {
                    if (d.at < cursor)
                        before = &d;
                    else if (!after)
                        after = &d;
                }
            }
            if (local) return local->type;
            if (before) return before->type;
            if (after) return after->type;
        }
        for (Document* d = FirstDocument(); d; d = d->next) {
            if (d == current || !IsC(*d)) continue;
            std::vector<Declaration> found;
            std::vector<Block> blocks;
            FindDeclarations(*d, types_, name, found, blocks);
            for (const Declaration& decl : found)
                if (decl.depth == 0 && !decl.parameter) return decl.type;
        }
        return {};
    }

    EditView& view_;
    Types types_;
    std::vector<std::string_view> tokens_;
    std::size_t next_ = 0;
    int nesting_ = 0;
};

void SortDistinct(std::vector<std::string>& words) {
    std::sort(words.begin(), words.end(),
              [](const std::string& a, const std::string& b) { return WordOrderLess(a, b); });
    words.erase(std::unique(words.begin(), words.end()), words.end());
}

bool Extends(std::string_view word, std::string_view typed) {
    return word.size() > typed.size() && word.compare(0, typed.size(), typed) == 0;
}

void RepaintViewsOf(Document& doc) {
    for (EditView* v = FirstView(); v; v = v->next) {
        if (v->document != &doc) continue;
        v->flags |= kViewRepaintAll;
        CurrentUi().RepaintDocumentWindow(v);
    }
}

}  // namespace

bool WordOrderLess(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        const int lx = x >= 'A' && x <= 'Z' ? x + 32 : x;
        const int ly = y >= 'A' && y <= 'Z' ? y + 32 : y;
        if (lx != ly) return lx < ly;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

Completion CompletionAt(EditView& view) {
    Completion c;
    Document* doc = view.document;
    if (!doc || !view.cursor || view.cursor == doc->head) return c;
    const Line* line = view.cursor;
    const char* t = line->text();
    const int column = view.cursorColumn;
    if (column > line->length) return c;
    int begin = column;
    while (begin > 0 && IsIdent(t[begin - 1])) --begin;
    // A number is no identifier to complete.
    if (begin < column && IsDigit(t[begin])) return c;
    c.typed.assign(t + begin, static_cast<std::size_t>(column - begin));

    int op = begin;
    while (op > 0 && IsBlank(t[op - 1])) --op;
    if (op > 0 && t[op - 1] == '.' && !(op > 1 && t[op - 2] == '.')) {
        c.member = true;
        --op;
    } else if (op > 1 && t[op - 1] == '>' && t[op - 2] == '-') {
        c.member = true;
        op -= 2;
    }

    if (c.member) {
        const int start = ExpressionStart(t, op);
        if (start >= op) return c;
        Resolver resolver(view);
        const int record =
            resolver.RecordOf(std::string_view(t + start, static_cast<std::size_t>(op - start)));
        if (record < 0) return c;
        for (const Member& m : resolver.record(record).members)
            if (Extends(m.name, c.typed)) c.candidates.push_back(m.name);
        SortDistinct(c.candidates);
        return c;
    }

    // Nothing typed: there is no word to complete.
    if (c.typed.empty()) return c;
    std::unordered_set<std::string_view> seen;
    for (Document* d = FirstDocument(); d; d = d->next) {
        if (!IsC(*d)) continue;
        Lexer lexer(*d);
        for (Token tok = lexer.Next(); tok.kind != Kind::End; tok = lexer.Next())
            if (tok.kind == Kind::Ident && Extends(tok.text, c.typed)) seen.insert(tok.text);
    }
    c.candidates.reserve(seen.size());
    for (std::string_view w : seen) c.candidates.emplace_back(w);
    SortDistinct(c.candidates);
    return c;
}

bool CompleteWord() {
    EditView* view = CurrentView();
    if (!view || !view->document) return false;
    Document& doc = *view->document;
    Ui& ui = CurrentUi();
    if (doc.flags & kDocReadOnly) {
        ui.Beep();
        return false;
    }
    const Completion c = CompletionAt(*view);
    if (c.candidates.empty()) {
        ui.Beep();
        return false;
    }
    int chosen = 0;
    if (c.candidates.size() > kCompletionMenuMaximum)
        chosen = ui.ChooseFromList(kCompletionListCaption, c.candidates);
    else if (c.candidates.size() > 1)
        chosen = ui.ChooseFromPopupMenu(c.candidates);
    if (chosen < 0 || static_cast<std::size_t>(chosen) >= c.candidates.size()) return false;
    const std::string rest = c.candidates[static_cast<std::size_t>(chosen)].substr(c.typed.size());
    UndoRecord* record = RecordEvent(kUndoCommand, kCmdWordCompletion, 0);
    const std::size_t inserted = InsertText(rest.data(), rest.size());
    if (record && LastRecord() == record) {
        if (inserted > 0) {
            record->inserted = inserted;
            SetRecordText(*record, rest);
        } else {
            DropLastRecord();
        }
    }
    RepaintViewsOf(doc);
    UpdatePositionText();
    return inserted > 0;
}

}  // namespace velt
