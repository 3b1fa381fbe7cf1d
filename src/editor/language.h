// Language definitions: which files a language is chosen for, its keywords (a 13-bucket hash
// table), comment and string characters, function patterns, flags and the operations other
// parts plug in (comment scanning, the line-changed hook, function scanning, definition
// lookup, the syntax check). Five languages are built in; the preferences add or change
// others under the "Language%d" keys.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velt {

struct Document;
struct Line;
struct FunctionEntry;  // one entry of a document's function list (source analysis)

// Language flags.
enum : std::uint16_t {
    kLanguageFlag1 = 0x1,            // set on every built-in language
    kLanguageFlag2 = 0x2,            // set on Assembly and Fortran
    kLanguageCaseInsensitive = 0x4,  // keywords compare lower-cased
};

// The name hash shared by keyword tables, function lists and symbol lists:
// h = (h << 2) XOR c over the characters taken as signed bytes, in 32 bits.
std::int32_t NameHash(std::string_view word);
// |h mod 13|, the remainder taken with the sign of h.
int NameBucket(std::string_view word);

class KeywordTable {
  public:
    static constexpr int kBuckets = 13;

    // Replaces the table with `words`, kept in the order given (the order they are written
    // back in). A case-insensitive table is searched with lower-cased words, so it files
    // its words lower-cased.
    void Assign(std::vector<std::string> words, bool caseInsensitive);
    void Clear() { Assign({}, false); }

    bool empty() const { return words_.empty(); }
    std::size_t size() const { return words_.size(); }
    // The words as defined.
    const std::vector<std::string>& words() const { return words_; }
    // The words filed in bucket i, the one pushed last first.
    std::vector<std::string> Bucket(int i) const;

    // Exact lookup of a word as filed (the caller lower-cases for case-insensitive tables):
    // the first character is compared before the whole word.
    bool Contains(std::string_view word) const;

  private:
    std::vector<std::string> words_;
    std::vector<std::string> filed_;                            // words_ as looked up
    std::array<std::vector<std::uint32_t>, kBuckets> buckets_;  // indices into filed_
};

// What a language does beyond its data. Every slot may be empty.
struct LanguageOps {
    // Builds the document's comment ranges and marks them current.
    void (*scanComments)(Document& doc) = nullptr;
    // A line was edited (null: lines were inserted or removed, or more than one changed):
    // decides whether the comment ranges became stale.
    void (*lineChanged)(Document& doc, Line* line) = nullptr;
    // Builds the document's function list; true when at least one function was found.
    bool (*scanFunctions)(Document& doc) = nullptr;
    // The function around `line`, or null.
    const FunctionEntry* (*functionAround)(Document& doc, const Line* line) = nullptr;
    // Parses the document for the language services (identifiers, types).
    bool (*parse)(Document& doc) = nullptr;
    // Finds the definition of `word`; true when it was shown.
    bool (*findDefinition)(Document& doc, const std::string& word) = nullptr;
    // The check before saving: true and the problem's text when one was found.
    bool (*checkSyntax)(Document& doc, std::string& message) = nullptr;
};

struct Language {
    std::string name;  // shown; also how a language is recognised
    std::int32_t code = 0;
    KeywordTable keywords;      // empty: no keyword colouring
    std::string commentChars;   // comment introducer(s)
    std::string stringChars;    // characters that open and close strings
    std::string extensions;     // separated by ";", compared without regard to case
    std::string startFunction;  // regular expressions finding a function's first and last line
    std::string endFunction;
    std::string icon;  // optional
    std::uint16_t flags = 0;
    // Characters that can occur in a keyword: every character of every keyword, both cases
    // for a case-insensitive language, and "_".
    std::bitset<256> wordChars;
    LanguageOps ops;

    bool caseInsensitive() const { return (flags & kLanguageCaseInsensitive) != 0; }
    bool IsWordChar(char c) const { return wordChars[static_cast<unsigned char>(c)]; }
};

inline constexpr char kCLanguageName[] = "C Language";

// Replaces the keywords (rebuilding the table and the word characters).
void SetKeywords(Language& lang, std::vector<std::string> words);
// Rebuilds the table and word characters from the words held, after the flags changed.
void RebuildKeywords(Language& lang);

// Fixed character classes: identifier characters (a-z, A-Z, 0-9, "_") and separators (every
// byte except letters, digits, ";", tab, blank, ",", "*", "_", "]", "[", ")" and "(").
bool IsIdentifierChar(char c);
bool IsSeparatorChar(char c);

// ---- The registry (front first: the languages made last come first)

// Empties the registry and creates the five built-in languages. Documents holding a
// language of the old registry must not be used afterwards (start-up; tests).
void ResetLanguages();
std::size_t LanguageCount();
// The i-th language in registry order, null beyond the end.
Language* LanguageAt(std::size_t i);
Language* FindLanguage(std::string_view name);
// Pushes a language at the registry's front; it lives until the registry is reset.
Language* AddLanguage(std::unique_ptr<Language> lang);
// A language made from the preferences or the configuration page: generic comment scanner
// and line-changed hook, nothing else.
std::unique_ptr<Language> NewUserLanguage(std::string name);

// The first language in registry order whose extension list holds `ext` (no dot), compared
// without regard to case; null for none.
const Language* LanguageForExtension(std::string_view ext);
// The language of a file name: its extension is the text after the last "." of the last
// path component. Null when there is none.
const Language* LanguageForFile(std::string_view name);
// Sets doc.language from the document's name and the kDocCLanguage flag with it; the
// comment ranges become stale.
void ChooseDocumentLanguage(Document& doc);

// Whether `word` is a keyword of `lang` (lower-cased first for case-insensitive languages).
bool IsKeyword(const Language* lang, std::string_view word);
// The same for the current document's language.
bool IsKeyword(std::string_view word);

// ---- Preferences

// A key of the language definitions; no value removes the key.
struct LanguageKey {
    std::string key;
    bool remove = false;
    std::string value;
};

// The keys WriteLanguages writes, in order: "Languages", then per language (registry order,
// numbered from 1) name, extension, start and end function, comment and string characters,
// icon (removed when unset), flags, code, keyword count and the keywords seven a line.
std::vector<LanguageKey> LanguageKeys();
// Reads the definitions from a settings section: a name already in the registry updates
// that language, another name makes a new one at the registry's front.
void ReadLanguages(const std::string& file, std::string_view section);
// False when a key could not be written (the writing stops there).
bool WriteLanguages(const std::string& file, std::string_view section);

// Makes the global settings read, write and dump the language keys at their place. Once at
// start-up, after ResetLanguages.
void RegisterLanguageSettings();

// Connects the editor's hooks to the languages: the language chosen at load, the syntax
// check before saving (with the C and eiffel checkers in their records), and the
// comment-range upkeep on edits. Once at start-up, after the registry is filled.
void InstallLanguageHooks();

}  // namespace velt
