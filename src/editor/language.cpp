#include "editor/language.h"

#include <algorithm>
#include <ostream>

#include "analysis/c_scanner.h"
#include "analysis/function_list.h"
#include "analysis/keyword_scanners.h"
#include "analysis/syntax_check.h"
#include "editor/comment_scan.h"
#include "editor/document.h"
#include "editor/document_io.h"
#include "platform/profile_store.h"
#include "shell/messages.h"
#include "shell/settings.h"
#include "shell/strutil.h"

namespace velt {

namespace pf = velt::platform;

namespace {

// The first catalogue text of the C keywords; the list ends at the first empty text.
constexpr unsigned kFirstCKeyword = 996;
// Keywords per "Language%dKeywords%d" line.
constexpr std::size_t kKeywordsPerLine = 7;
// No stored value can hold a line break, so this default marks a missing key.
constexpr std::string_view kMissing = "\n";

std::vector<std::unique_ptr<Language>> gLanguages;  // registry order: front first

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::vector<std::string> SplitWords(std::string_view text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        std::size_t j = i;
        while (j < text.size() && text[j] != ' ' && text[j] != '\t') ++j;
        if (j > i) words.emplace_back(text.substr(i, j - i));
        i = j;
    }
    return words;
}

std::unique_ptr<Language> MakeLanguage(std::string name, std::int32_t code, std::string extensions,
                                       std::string comment, std::string strings,
                                       std::uint16_t flags, std::string startFunction,
                                       std::string endFunction, std::vector<std::string> keywords,
                                       LanguageOps ops) {
    auto lang = std::make_unique<Language>();
    lang->name = std::move(name);
    lang->code = code;
    lang->extensions = std::move(extensions);
    lang->commentChars = std::move(comment);
    lang->stringChars = std::move(strings);
    lang->flags = flags;
    lang->startFunction = std::move(startFunction);
    lang->endFunction = std::move(endFunction);
    lang->ops = ops;
    SetKeywords(*lang, std::move(keywords));
    return lang;
}

std::vector<std::string> CKeywords() {
    std::vector<std::string> words;
    for (unsigned id = kFirstCKeyword;; ++id) {
        const char* w = GetMessageText(id);
        if (!*w) break;
        words.emplace_back(w);
    }
    return words;
}

LanguageOps ScannerOps(void (*scan)(Document&), void (*changed)(Document&, Line*),
                       bool (*functions)(Document&) = nullptr) {
    LanguageOps ops;
    ops.scanComments = scan;
    ops.lineChanged = changed;
    ops.scanFunctions = functions;
    return ops;
}

class KeyReader {
  public:
    KeyReader(const std::string& file, std::string_view section) : file_(file), section_(section) {}
    bool Text(const std::string& key, std::string& value) const {
        std::string v = pf::ProfileGetString(file_, section_, key, kMissing);
        if (v == kMissing) return false;
        value = std::move(v);
        return true;
    }
    long Number(const std::string& key, long def) const {
        return pf::ProfileGetNumber(file_, section_, key, def);
    }

  private:
    const std::string& file_;
    std::string_view section_;
};

bool SyntaxCheckThroughLanguage(Document& doc, std::string& message) {
    if (!doc.language || !doc.language->ops.checkSyntax) return false;
    return doc.language->ops.checkSyntax(doc, message);
}

}  // namespace

// ---- Hash and keyword table

std::int32_t NameHash(std::string_view word) {
    // Unsigned arithmetic gives the 32-bit wrap-around of the shifts without overflow.
    std::uint32_t h = 0;
    for (char c : word)
        h = (h << 2) ^
            static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)));
    return static_cast<std::int32_t>(h);
}

int NameBucket(std::string_view word) {
    const std::int32_t r = NameHash(word) % KeywordTable::kBuckets;
    return r < 0 ? -r : r;
}

void KeywordTable::Assign(std::vector<std::string> words, bool caseInsensitive) {
    words_ = std::move(words);
    filed_.clear();
    for (auto& b : buckets_) b.clear();
    for (const std::string& w : words_) {
        std::string key = caseInsensitive ? AsciiLower(w) : w;
        if (key.empty()) continue;
        buckets_[static_cast<std::size_t>(NameBucket(key))].push_back(
            static_cast<std::uint32_t>(filed_.size()));
        filed_.push_back(std::move(key));
    }
}

std::vector<std::string> KeywordTable::Bucket(int i) const {
    std::vector<std::string> out;
    if (i < 0 || i >= kBuckets) return out;
    const auto& b = buckets_[static_cast<std::size_t>(i)];
    for (auto it = b.rbegin(); it != b.rend(); ++it) out.push_back(filed_[*it]);
    return out;
}

bool KeywordTable::Contains(std::string_view word) const {
    if (word.empty() || filed_.empty()) return false;
    const auto& b = buckets_[static_cast<std::size_t>(NameBucket(word))];
    for (auto it = b.rbegin(); it != b.rend(); ++it) {
        const std::string& k = filed_[*it];
        if (k[0] == word[0] && k == word) return true;
    }
    return false;
}

void SetKeywords(Language& lang, std::vector<std::string> words) {
    lang.keywords.Assign(std::move(words), lang.caseInsensitive());
    lang.wordChars.reset();
    lang.wordChars.set('_');
    for (const std::string& w : lang.keywords.words()) {
        for (char c : w) {
            lang.wordChars.set(static_cast<unsigned char>(c));
            if (lang.caseInsensitive()) {
                lang.wordChars.set(static_cast<unsigned char>(Lower(c)));
                lang.wordChars.set(static_cast<unsigned char>(Upper(c)));
            }
        }
    }
}

void RebuildKeywords(Language& lang) {
    std::vector<std::string> words = lang.keywords.words();
    SetKeywords(lang, std::move(words));
}

bool IsIdentifierChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsSeparatorChar(char c) {
    if (IsIdentifierChar(c)) return false;
    switch (c) {
        case ';':
        case '\t':
        case ' ':
        case ',':
        case '*':
        case ']':
        case '[':
        case ')':
        case '(':
            return false;
        default:
            return true;
    }
}

// ---- Registry

void ResetLanguages() {
    gLanguages.clear();
    AddLanguage(MakeLanguage(kCLanguageName, 0, "C;H;CPP;HPP", "/*", "'\"", kLanguageFlag1, "", "",
                             CKeywords(), ScannerOps(ScanCommentsC, LineChangedC, ScanFunctionsC)));
    AddLanguage(MakeLanguage("Assembly", 5, "ASM", ";", "'", 7,
                             "^[A-Za-z_][_A-Za-z0-9]+[ \t]+PROC[ \t]",
                             "^[A-Za-z_][A-Za-z0-9]+[ \t]+ENDP[ \t]", {},
                             ScannerOps(ScanCommentsGeneric, LineChangedGeneric,
                                        ScanFunctionsRegex)));
    AddLanguage(
        MakeLanguage("Fortran", 3, "F", ";", "'", 7, "", "",
                     {"if",        "do",     "continue",   "parameter", "else",    "common",
                      "return",    "end",    "subroutine", "go",        "to",      "data",
                      "dimension", "format", "enddo",      "call",      "endif",   "integer",
                      "real",      "double", "precision",  "complex",   "logical", "character",
                      ".gt.",      ".ne.",   ".le.",       "then",      "stop"},
                     ScannerOps(ScanCommentsFortran, LineChangedFortran, ScanFunctionsFortran)));
    AddLanguage(
        MakeLanguage("Pascal", 4, "PAS", "{}(*)", "'", 5, "", "",
                     {"repeat",   "file",      "else",    "with",     "true",    "pointer",
                      "function", "type",      "case",    "while",    "var",     "implementation",
                      "until",    "unit",      "if",      "external", "end",     "const",
                      "or",       "and",       "string",  "of",       "boolean", "to",
                      "then",     "uses",      "longint", "do",       "array",   "for",
                      "integer",  "interface", "begin",   "record",   "real",    "procedure",
                      "function", "program",   "nil",     "div",      "downto",  "forward",
                      "label",    "shl",       "shr",     "packed",   "forward"},
                     ScannerOps(ScanCommentsPascal, LineChangedPascal, ScanFunctionsPascal)));
    AddLanguage(MakeLanguage(
        "eiffel", 6, "e", "-", "'\"", 5, "", "",
        {"alias",     "all",      "and",      "as",       "check",    "class",   "creation",
         "current",   "debug",    "deferred", "do",       "else",     "elseif",  "end",
         "ensure",    "expanded", "export",   "external", "false",    "feature", "from",
         "frozen",    "if",       "implies",  "indexing", "infix",    "inherit", "inspect",
         "invariant", "is",       "like",     "local",    "loop",     "not",     "obsolete",
         "old",       "once",     "or",       "prefix",   "redefine", "rename",  "require",
         "rescue",    "result",   "retry",    "select",   "separate", "strip",   "then",
         "true",      "undefine", "unique",   "until",    "variant",  "when",    "xor"},
        ScannerOps(ScanCommentsEiffel, LineChangedEiffel)));
}

std::size_t LanguageCount() {
    return gLanguages.size();
}

Language* LanguageAt(std::size_t i) {
    return i < gLanguages.size() ? gLanguages[i].get() : nullptr;
}

Language* FindLanguage(std::string_view name) {
    for (auto& l : gLanguages)
        if (l->name == name) return l.get();
    return nullptr;
}

Language* AddLanguage(std::unique_ptr<Language> lang) {
    Language* p = lang.get();
    gLanguages.insert(gLanguages.begin(), std::move(lang));
    return p;
}

std::unique_ptr<Language> NewUserLanguage(std::string name) {
    auto lang = std::make_unique<Language>();
    lang->name = std::move(name);
    lang->ops = ScannerOps(ScanCommentsGeneric, LineChangedGeneric, ScanFunctionsRegex);
    SetKeywords(*lang, {});
    return lang;
}

namespace {

bool ExtensionListHas(std::string_view list, std::string_view ext) {
    std::size_t i = 0;
    while (i <= list.size()) {
        std::size_t j = list.find(';', i);
        if (j == std::string_view::npos) j = list.size();
        std::string_view item = list.substr(i, j - i);
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
        if (!item.empty() && EqualsNoCase(item, ext)) return true;
        i = j + 1;
    }
    return false;
}

}  // namespace

const Language* LanguageForExtension(std::string_view ext) {
    if (ext.empty()) return nullptr;
    for (const auto& l : gLanguages)
        if (ExtensionListHas(l->extensions, ext)) return l.get();
    return nullptr;
}

const Language* LanguageForFile(std::string_view name) {
    const std::size_t slash = name.find_last_of("/\\");
    std::string_view base = slash == std::string_view::npos ? name : name.substr(slash + 1);
    const std::size_t dot = base.rfind('.');
    if (dot == std::string_view::npos) return nullptr;
    return LanguageForExtension(base.substr(dot + 1));
}

void ChooseDocumentLanguage(Document& doc) {
    doc.language = LanguageForFile(doc.name);
    if (doc.language && doc.language->name == kCLanguageName)
        doc.flags |= kDocCLanguage;
    else
        doc.flags &= static_cast<std::uint16_t>(~kDocCLanguage);
    MarkCommentRangesStale(doc);
}

bool IsKeyword(const Language* lang, std::string_view word) {
    if (!lang || lang->keywords.empty()) return false;
    if (lang->caseInsensitive()) return lang->keywords.Contains(AsciiLower(word));
    return lang->keywords.Contains(word);
}

bool IsKeyword(std::string_view word) {
    const Document* doc = CurrentDocument();
    return doc && IsKeyword(doc->language, word);
}

// ---- Preferences

std::vector<LanguageKey> LanguageKeys() {
    std::vector<LanguageKey> keys;
    auto text = [&keys](std::string key, std::string value) {
        keys.push_back({std::move(key), false, std::move(value)});
    };
    text("Languages", std::to_string(gLanguages.size()));
    int i = 0;
    for (const auto& l : gLanguages) {
        ++i;
        text(FormatText("Language%d", i), l->name);
        text(FormatText("Language%dExtension", i), l->extensions);
        text(FormatText("Language%dStartFunction", i), l->startFunction);
        text(FormatText("Language%dEndFunction", i), l->endFunction);
        text(FormatText("Language%dCommentChar", i), l->commentChars);
        text(FormatText("Language%dStringChars", i), l->stringChars);
        // An icon taken away must not come back from the file at the next start.
        if (l->icon.empty())
            keys.push_back({FormatText("Language%dIcon", i), true, {}});
        else
            text(FormatText("Language%dIcon", i), l->icon);
        text(FormatText("Language%dFlags", i), std::to_string(l->flags));
        text(FormatText("Language%dCode", i), std::to_string(l->code));
        const std::vector<std::string>& words = l->keywords.words();
        text(FormatText("Language%dKeywordCount", i), std::to_string(words.size()));
        for (std::size_t k = 0; k < words.size(); k += kKeywordsPerLine) {
            std::string line;
            for (std::size_t m = k; m < words.size() && m < k + kKeywordsPerLine; ++m) {
                if (m > k) line += ' ';
                line += words[m];
            }
            text(FormatText("Language%dKeywords%zu", i, k / kKeywordsPerLine + 1), line);
        }
    }
    return keys;
}

void ReadLanguages(const std::string& file, std::string_view section) {
    const KeyReader r(file, section);
    const long n = r.Number("Languages", -1);
    // New languages go to the front in the file's order, so that the registry reads as it
    // was written and the first language for an extension stays the same from run to run.
    std::size_t added = 0;
    for (long i = 1; i <= n; ++i) {
        std::string name;
        // A definition without a name cannot be recognised again; it is skipped.
        if (!r.Text(FormatText("Language%ld", i), name) || name.empty()) continue;
        Language* lang = FindLanguage(name);
        if (!lang) {
            auto made = NewUserLanguage(name);
            lang = made.get();
            gLanguages.insert(gLanguages.begin() + static_cast<std::ptrdiff_t>(added++),
                              std::move(made));
            lang->code = static_cast<std::int32_t>(r.Number(FormatText("Language%ldCode", i), 0));
        }
        // A missing key keeps what the language has.
        r.Text(FormatText("Language%ldExtension", i), lang->extensions);
        r.Text(FormatText("Language%ldCommentChar", i), lang->commentChars);
        r.Text(FormatText("Language%ldStartFunction", i), lang->startFunction);
        r.Text(FormatText("Language%ldEndFunction", i), lang->endFunction);
        r.Text(FormatText("Language%ldStringChars", i), lang->stringChars);
        r.Text(FormatText("Language%ldIcon", i), lang->icon);
        const std::uint16_t oldFlags = lang->flags;
        lang->flags =
            static_cast<std::uint16_t>(r.Number(FormatText("Language%ldFlags", i), lang->flags));

        const long count = r.Number(FormatText("Language%ldKeywordCount", i), 0);
        std::vector<std::string> words;
        if (count > 0) {
            const long lines = count / static_cast<long>(kKeywordsPerLine) + 1;
            for (long j = 1; j <= lines && static_cast<long>(words.size()) < count; ++j) {
                std::string line;
                if (!r.Text(FormatText("Language%ldKeywords%ld", i, j), line) || line.empty())
                    break;
                for (std::string& w : SplitWords(line)) {
                    if (static_cast<long>(words.size()) == count) break;
                    words.push_back(std::move(w));
                }
            }
        }
        if (!words.empty())
            SetKeywords(*lang, std::move(words));
        else if (lang->flags != oldFlags)
            RebuildKeywords(*lang);  // the letter case of the lookup may have changed
    }
}

bool WriteLanguages(const std::string& file, std::string_view section) {
    for (const LanguageKey& k : LanguageKeys()) {
        const bool ok =
            k.remove ? pf::ProfileWriteString(file, section, k.key, nullptr)
                     : pf::ProfileWriteString(file, section, k.key, std::string_view(k.value));
        if (!ok) return false;
    }
    return true;
}

void RegisterLanguageSettings() {
    RegisterSettingsPart(
        SettingsSlot::Languages,
        [](const SettingsLocation& loc) { ReadLanguages(loc.file, loc.section); },
        [](const SettingsLocation& loc) { return WriteLanguages(loc.file, loc.section); },
        [](std::ostream& out) {
            for (const LanguageKey& k : LanguageKeys())
                if (!k.remove) out << k.key << '=' << k.value << '\n';
        });
}

void InstallLanguageHooks() {
    gChooseLanguageHook = ChooseDocumentLanguage;
    gSyntaxCheckHook = SyntaxCheckThroughLanguage;
    InstallSyntaxCheckers();
    InstallCommentHooks();
}

}  // namespace velt
