#include "analysis/function_list.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <unordered_map>

#include "analysis/c_scanner.h"
#include "editor/document_io.h"
#include "editor/editing.h"
#include "editor/language.h"
#include "editor/regex.h"
#include "shell/messages.h"
#include "shell/msgbox.h"

namespace velt {

bool gFunctionRescanSuspended = false;

namespace {

// Lists are kept beside the documents; the sentinel tells a reused address apart.
struct StoredList {
    const Line* head = nullptr;
    FunctionEntry* first = nullptr;
};
std::unordered_map<const Document*, StoredList>& Lists() {
    static std::unordered_map<const Document*, StoredList> lists;
    return lists;
}

FunctionEntry* gCurrentFunction = nullptr;

constexpr int kStaleLineLength = 1000;

bool ReadFile(const std::string& name, std::string& bytes) {
    std::ifstream in(name, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// The open document of `name`, else a temporary one loaded from the file (released by the
// destructor).
class SourceDocument {
  public:
    explicit SourceDocument(const std::string& name) {
        doc_ = FindDocument(name, false);
        if (doc_) return;
        std::string bytes;
        if (!ReadFile(name, bytes)) return;
        doc_ = NewDocument(name);
        temporary_ = true;
        if (LoadDocumentFromText(name, bytes, *doc_) != kLoadOk) {
            ReleaseDocument(doc_);
            doc_ = nullptr;
        }
    }
    ~SourceDocument() {
        if (temporary_ && doc_) {
            ReleaseFunctionList(*doc_);
            ReleaseDocument(doc_);
        }
    }
    SourceDocument(const SourceDocument&) = delete;
    SourceDocument& operator=(const SourceDocument&) = delete;
    Document* get() const { return doc_; }

  private:
    Document* doc_ = nullptr;
    bool temporary_ = false;
};

}  // namespace

FunctionEntry* FunctionListOf(const Document& doc) {
    auto it = Lists().find(&doc);
    return it != Lists().end() && it->second.head == doc.head ? it->second.first : nullptr;
}

void FreeFunctionEntries(FunctionEntry* first) {
    while (first) {
        FunctionEntry* next = first->next;
        if (gCurrentFunction == first) gCurrentFunction = nullptr;
        delete first;
        first = next;
    }
}

void SetFunctionList(Document& doc, FunctionEntry* first) {
    StoredList& s = Lists()[&doc];
    if (s.first != first) FreeFunctionEntries(s.first);
    s = {doc.head, first};
}

void ReleaseFunctionList(Document& doc) {
    auto it = Lists().find(&doc);
    if (it == Lists().end()) return;
    FreeFunctionEntries(it->second.first);
    Lists().erase(it);
    doc.flags &= static_cast<std::uint16_t>(~kDocFunctionListValid);
}

bool EnsureFunctionList(Document* doc) {
    if (!doc) doc = CurrentDocument();
    if (!doc) return false;
    if (gFunctionRescanSuspended) return true;
    if ((doc->flags & kDocFunctionListValid) && FunctionListOf(*doc)) return true;
    if ((doc->flags & kDocInternalBuffer) || !doc->language || !doc->language->ops.scanFunctions)
        return false;
    ReleaseFunctionList(*doc);
    return doc->language->ops.scanFunctions(*doc);
}

FunctionEntry* FunctionAtCursor() {
    EditView* view = CurrentView();
    if (!view || !view->document || !view->cursor) return nullptr;
    Document& doc = *view->document;
    if (!EnsureFunctionList(&doc)) return nullptr;
    const int n = CursorLineNumber(*view);
    for (FunctionEntry* e = FunctionListOf(doc); e; e = e->next) {
        if (e->startLine > n || n > e->endLine || !e->declarationLine) continue;
        for (Line* l = e->declarationLine;; l = l->next) {
            if (l == doc.head || l->length > kStaleLineLength) {
                doc.flags &= static_cast<std::uint16_t>(~kDocFunctionListValid);
                EnsureFunctionList(&doc);
                return nullptr;
            }
            if (l == view->cursor) return e;
            if (l == e->endNode) break;
        }
    }
    return nullptr;
}

bool NextFunction(bool forward) {
    EditView* view = CurrentView();
    if (!view || !view->document || !EnsureFunctionList(view->document)) return false;
    FunctionEntry* at = FunctionAtCursor();
    const int n = CursorLineNumber(*view);
    FunctionEntry* target = nullptr;
    for (FunctionEntry* e = FunctionListOf(*view->document); e; e = e->next) {
        if (at) {
            if (forward && e == at) {
                target = e->next;
                break;
            }
            if (!forward) {
                if (e == at) break;
                target = e;
            }
        } else if (forward && e->startLine > n) {
            target = e;
            break;
        } else if (!forward && e->startLine < n) {
            target = e;
        }
    }
    if (!target) return false;
    const int top = TopLineNumber(*view);
    const bool visible =
        view->rows > 0 && target->startLine >= top && target->startLine < top + view->rows;
    GotoLine(target->startLine);
    if (!visible) Recenter();
    return true;
}

FunctionEntry* FindFunction(Document& doc, const std::string& name) {
    if (!EnsureFunctionList(&doc)) return nullptr;
    const auto hash = static_cast<std::uint16_t>(NameBucket(name));
    for (FunctionEntry* e = FunctionListOf(doc); e; e = e->next)
        if (e->hash == hash && e->name == name) return gCurrentFunction = e;
    return nullptr;
}

FunctionEntry* CurrentFunction() {
    return gCurrentFunction;
}

FunctionEntry* FindByName(FunctionEntry* list, const std::string& name) {
    for (FunctionEntry* e = list; e; e = e->next)
        if (!e->name.empty() && !name.empty() && e->name[0] == name[0] && e->name == name) return e;
    return nullptr;
}

bool ScanFunctionsRegex(Document& doc) {
    const Language* lang = doc.language;
    SetFunctionList(doc, nullptr);
    doc.flags |= kDocFunctionListValid;
    if (!lang || lang->startFunction.empty()) return false;
    const bool upper = lang->caseInsensitive();
    auto prepare = [upper](std::string s) {
        if (upper)
            for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    };
    CompiledRegex start, end;
    if (start.Compile(prepare(lang->startFunction)) != kRegexOk) return false;
    const bool hasEnd =
        !lang->endFunction.empty() && end.Compile(prepare(lang->endFunction)) == kRegexOk;
    const char comment = lang->commentChars.empty() ? '\0' : lang->commentChars[0];
    FunctionEntry* first = nullptr;
    FunctionEntry* last = nullptr;
    bool open = false;
    int number = 0;
    std::string buffer;
    for (Line* l : Lines(doc)) {
        ++number;
        if (comment && l->length > 0 && l->text()[0] == comment) continue;
        const char* t = l->text();
        if (upper) {
            buffer = prepare(LineString(l));
            t = buffer.data();
        }
        if (open) {
            if (end.Exec(t, l->length)) {
                last->endNode = l;
                last->endLine = number;
                open = false;
            }
            continue;
        }
        if (!start.Exec(t, l->length)) continue;
        if (last && !last->endNode) {
            last->endNode = l->prev;
            last->endLine = number - 1;
        }
        auto* e = new FunctionEntry;
        // The name keeps the spelling of the text, not the upper-cased copy matched.
        e->name.assign(l->text() + start.GroupStart(0), l->text() + start.GroupEnd(0));
        for (char& c : e->name)
            if (c == '\t') c = ' ';
        e->hash = static_cast<std::uint16_t>(NameBucket(e->name));
        e->declarationLine = e->bodyLine = l;
        e->braceLineNumber = static_cast<std::int16_t>(number - 1);
        e->startLine = number;
        (last ? last->next : first) = e;
        last = e;
        open = hasEnd;
    }
    if (last && !last->endNode) {
        if (open) ShowMessage(FormatText("%s: open function definition", doc.name.c_str()));
        last->endNode = doc.Last();
        last->endLine = number;
    }
    SetFunctionList(doc, first);
    return first != nullptr;
}

bool ExtractFunction(const std::string& name, const std::string& source,
                     const std::string& output) {
    SourceDocument src(source);
    Document* doc = src.get();
    if (!doc) return false;
    ScanFunctionsC(*doc);
    FunctionEntry* e = FunctionListOf(*doc);
    while (e && e->name != name) e = e->next;
    if (!e || !e->declarationLine) return false;
    std::FILE* f = std::fopen(output.c_str(), "wb");
    if (!f) {
        ShowCannotOpen(output);
        return false;
    }
    bool ok = true;
    for (Line* l = e->declarationLine; l != doc->head; l = l->next) {
        ok = ok && std::fwrite(l->text(), 1, static_cast<std::size_t>(l->length), f) ==
                       static_cast<std::size_t>(l->length);
        ok = ok && std::fputc('\n', f) != EOF;
        if (l == e->endNode) break;
    }
    return std::fclose(f) == 0 && ok;
}

namespace {

// Reads the text token by token, as the scanner's reader does, and writes it with the layout
// normalised. Map entries are set when a source line gives its first token (or its first
// piece of a literal or directive); a line that gives nothing takes the entry before it.
class Normaliser {
  public:
    Normaliser(const Document& doc, int lines)
        : head_(doc.head), line_(doc.First()), map_(static_cast<std::size_t>(lines) + 1, 0) {
        map_[0] = lines;
        if (line_ != head_) EnterLine();
    }

    void Run() {
        while (line_ != head_) {
            const char* t = line_->text();
            const int n = line_->length;
            if (col_ >= n) {
                NextLine();
            } else if (inComment_) {
                col_ = EndComment(t, n, col_);
            } else {
                Token(t, n);
            }
        }
    }

    std::string out;
    const std::vector<int>& map() const { return map_; }

  private:
    static bool IdentChar(char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_';
    }
    static bool Digit(char c) { return c >= '0' && c <= '9'; }

    void EnterLine() {
        map_[static_cast<std::size_t>(number_)] =
            number_ > 1 ? map_[static_cast<std::size_t>(number_) - 1] : 1;
        contributed_ = false;
        lineStart_ = true;
        blank_ = true;  // the line end before it
    }
    void NextLine() {
        line_ = line_->next;
        col_ = 0;
        ++number_;
        if (line_ != head_) EnterLine();
    }
    void Contributed() {
        if (!contributed_) {
            map_[static_cast<std::size_t>(number_)] = lineOut_;
            contributed_ = true;
        }
        lineStart_ = false;
    }
    void Put(char c) {
        out += c;
        if (c == '\n') ++lineOut_;
        atStart_ = c == '\n';
    }
    void Put(const char* s, int n) {
        for (int k = 0; k < n; ++k) Put(s[k]);
    }
    int EndComment(const char* t, int n, int i) {
        for (; i + 1 < n; ++i)
            if (t[i] == '*' && t[i + 1] == '/') {
                inComment_ = false;
                return i + 2;
            }
        return n;
    }

    void Token(const char* t, int n) {
        const int i = col_;
        const char c = t[i];
        if (c == ' ' || c == '\t') {
            blank_ = true;
            ++col_;
            return;
        }
        if (c == '/' && i + 1 < n && t[i + 1] == '*') {
            inComment_ = true;
            blank_ = true;
            col_ = EndComment(t, n, i + 2);
            return;
        }
        if (c == '/' && i + 1 < n && t[i + 1] == '/') {
            col_ = n;
            return;
        }
        if (c == '#' && lineStart_) {
            Directive();
            return;
        }
        Contributed();
        if (c == '"' || c == '\'') {
            Literal(c);
            lastWord_ = false;
            blank_ = false;
            return;
        }
        const bool number = Digit(c) || (c == '.' && i + 1 < n && Digit(t[i + 1]));
        if (number || IdentChar(c)) {
            int j = i + 1;
            while (j < n && (IdentChar(t[j]) || (number && t[j] == '.'))) ++j;
            if (lastWord_ && blank_) Put(' ');
            Put(t + i, j - i);
            lastWord_ = true;
            blank_ = false;
            col_ = j;
            return;
        }
        lastWord_ = false;
        blank_ = false;
        if (c == ':' && i + 1 < n && t[i + 1] == ':') {
            Put("::", 2);
            col_ = i + 2;
            return;
        }
        Put(c);
        if (c == ';' || c == '{' || c == '}' || c == ':') Put('\n');
        col_ = i + 1;
    }

    // At the opening quote: copies the literal unchanged up to its closing quote. A
    // backslash ending a line continues it on the next line (the line end is copied too);
    // otherwise an unfinished literal ends with its line.
    void Literal(char quote) {
        Put(quote);
        ++col_;
        while (line_ != head_) {
            const char* t = line_->text();
            const int n = line_->length;
            const int from = col_;
            bool continued = false;
            while (col_ < n) {
                const char c = t[col_++];
                if (c == quote) {
                    Put(t + from, col_ - from);
                    return;
                }
                if (c == '\\') {
                    if (col_ == n) {
                        continued = true;
                        break;
                    }
                    ++col_;
                }
            }
            Put(t + from, col_ - from);
            if (!continued) return;
            Put('\n');
            NextLine();
            if (line_ != head_) Contributed();
        }
    }

    // Whether a block comment is open at the end of t[i, n), given the state at i.
    static bool CommentOpenAtEnd(const char* t, int n, int i, bool open) {
        char quote = 0;
        for (; i < n; ++i) {
            const char c = t[i];
            if (open) {
                if (c == '*' && i + 1 < n && t[i + 1] == '/') {
                    open = false;
                    ++i;
                }
            } else if (quote) {
                if (c == '\\')
                    ++i;
                else if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '/' && i + 1 < n && t[i + 1] == '*') {
                open = true;
                ++i;
            } else if (c == '/' && i + 1 < n && t[i + 1] == '/') {
                return false;
            }
        }
        return open;
    }

    // At a "#" opening a line: the directive on a line of its own, written as it stands with
    // the lines it runs on to (a final backslash, or a comment still open).
    void Directive() {
        if (!atStart_) Put('\n');
        Contributed();
        for (;;) {
            const char* t = line_->text();
            const int n = line_->length;
            inComment_ = CommentOpenAtEnd(t, n, col_, inComment_);
            Put(t + col_, n - col_);
            Put('\n');
            const bool continued = inComment_ || (n > 0 && t[n - 1] == '\\');
            NextLine();
            if (!continued || line_ == head_) break;
            Contributed();
        }
        inComment_ = false;
        lastWord_ = false;
    }

    Line* head_;
    Line* line_;
    int col_ = 0;
    int number_ = 1;  // of line_
    std::vector<int> map_;
    int lineOut_ = 1;
    bool atStart_ = true;    // the output is at a line start
    bool lineStart_ = true;  // only blanks and comments read on this source line
    bool blank_ = false;
    bool lastWord_ = false;
    bool inComment_ = false;
    bool contributed_ = false;
};

}  // namespace

std::vector<int> NormalizeC(const std::string& source, const std::string& output) {
    SourceDocument src(source);
    Document* doc = src.get();
    if (!doc) return {};
    Normaliser norm(*doc, CountLines(*doc));
    norm.Run();
    std::FILE* f = std::fopen(output.c_str(), "wb");
    if (!f) {
        ShowCannotOpen("temporary file");
        return {};
    }
    const bool ok = std::fwrite(norm.out.data(), 1, norm.out.size(), f) == norm.out.size();
    if (std::fclose(f) != 0 || !ok) return {};
    return norm.map();
}

}  // namespace velt
