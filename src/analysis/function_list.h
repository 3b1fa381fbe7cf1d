// The per-document list of function definitions: the entries the scanners produce, the
// lazy rebuild, and the queries and navigation built on them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "editor/document.h"

namespace velt {

// A chained table of 13 buckets; later analyses fill it, the entry releases it.
struct SymbolTable {
    std::array<std::vector<std::string>, 13> buckets;
};

struct FunctionEntry {
    FunctionEntry* next = nullptr;  // source order
    std::string name;
    std::uint16_t hash = 0;              // NameBucket(name), 0..12
    Line* declarationLine = nullptr;     // where the return type (or the match) starts
    std::int16_t declarationColumn = 0;  // 0 for the line scanners
    std::int16_t braceLineNumber = 0;    // 0-based line counter when the body opened
    std::int32_t startLine = 0;          // 1-based line of the parameter list's "("
    std::int32_t endLine = 0;            // 1-based line of the closing "}"; 0 until found
    Line* bodyLine = nullptr;            // line of the opening "{"
    SymbolTable symbols[2];
    Line* endNode = nullptr;  // line of the closing "}"; null until found
    std::int16_t nesting = 0;
};

// The document's list (null when none was built or the document changed its text ring).
FunctionEntry* FunctionListOf(const Document& doc);
// Replaces the document's list, releasing the previous one.
void SetFunctionList(Document& doc, FunctionEntry* first);
void ReleaseFunctionList(Document& doc);
void FreeFunctionEntries(FunctionEntry* first);

// While set, EnsureFunctionList keeps whatever list a document has.
extern bool gFunctionRescanSuspended;

// Makes the list of `doc` (the current document when null) current: false with no
// document, no language, an internal buffer or no scanner; else whether a function exists.
bool EnsureFunctionList(Document* doc = nullptr);

// The function holding the cursor of the current view, or null. A list whose lines no
// longer lead to its end (or pass a line longer than 1000 characters) is stale: it is
// rebuilt and the answer is null.
FunctionEntry* FunctionAtCursor();
// Moves the cursor to the start line of the following (forward) or preceding function,
// recentring when it lies outside the window. False when there is none.
bool NextFunction(bool forward);
// The entry named exactly `name` in `doc` (hash first); it becomes the current function.
FunctionEntry* FindFunction(Document& doc, const std::string& name);
FunctionEntry* CurrentFunction();
// The entry named exactly `name` in a list (first character first), or null.
FunctionEntry* FindByName(FunctionEntry* list, const std::string& name);

// The regular-expression scanner: the language's start and (optional) end expressions.
bool ScanFunctionsRegex(Document& doc);

// Writes the definition of `name` in `source` (the open document, else the file) from its
// declaration line through its closing brace to `output`. False when it is not found or the
// output cannot be written.
bool ExtractFunction(const std::string& name, const std::string& source, const std::string& output);

// Writes `source` with its layout normalised to `output`. The map gives for each source
// line (1-based) the output line (1-based) of its first token; element 0 is the number of
// source lines. Empty when the source cannot be read or the output cannot be created.
std::vector<int> NormalizeC(const std::string& source, const std::string& output);

}  // namespace velt
