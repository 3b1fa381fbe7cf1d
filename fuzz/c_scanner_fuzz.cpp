// Any text opened as a C, Fortran or Pascal source gives a function list the commands can
// rely on: names never empty, each entry's lines in the document and in order (declaration,
// start, body, end), entries in source order not overlapping, and the cursor queries answer
// within them. NormalizeC on the same text as a file gives a map of every source line to a
// line of its output, never decreasing.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/c_scanner.h"
#include "analysis/function_list.h"
#include "analysis/keyword_scanners.h"
#include "editor/document.h"
#include "editor/document_io.h"
#include "editor/editing.h"
#include "editor/language.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// 1-based number of each line of the document.
std::unordered_map<const velt::Line*, int> Numbers(const velt::Document& doc) {
    std::unordered_map<const velt::Line*, int> n;
    int i = 0;
    for (velt::Line* l : velt::Lines(doc)) n[l] = ++i;
    return n;
}

int NumberOf(const std::unordered_map<const velt::Line*, int>& numbers, const velt::Line* l) {
    auto it = numbers.find(l);
    Check(it != numbers.end());
    return it->second;
}

// `mayStayOpen`: a Pascal routine that never opened a body keeps no end.
void CheckList(velt::Document& doc, bool mayStayOpen) {
    Check((doc.flags & velt::kDocFunctionListValid) != 0);
    const auto numbers = Numbers(doc);
    int previousEnd = 0;
    int previousStart = 0;
    for (const velt::FunctionEntry* e = velt::FunctionListOf(doc); e; e = e->next) {
        Check(!e->name.empty());
        Check(e->hash == velt::NameBucket(e->name));
        const int decl = NumberOf(numbers, e->declarationLine);
        const int body = NumberOf(numbers, e->bodyLine);
        Check(e->declarationColumn >= 0 && e->declarationColumn <= e->declarationLine->length);
        Check(decl <= e->startLine && e->startLine <= body);
        Check(e->startLine >= previousStart);
        previousStart = e->startLine;
        if (body <= 32767) Check(e->braceLineNumber == body - 1);
        if (!e->endNode) {
            Check(mayStayOpen && e->endLine == 0);
            continue;
        }
        Check(NumberOf(numbers, e->endNode) == e->endLine);
        Check(body <= e->endLine);
        if (!mayStayOpen) {  // nested Pascal routines end inside the routine holding them
            Check(e->startLine >= previousEnd);
            previousEnd = e->endLine;
        }
    }
}

// The cursor on every line (the first 100): the function reported holds it; the next and
// previous function commands move to a function's start line.
void CheckCursorQueries(velt::Document& doc, int lines) {
    velt::EditView* view = velt::NewView(&doc, 0);
    velt::SetCurrentView(view);
    for (int n = 1; n <= lines && n <= 100; ++n) {
        velt::PlaceCursor(*view, n, 0);
        if (const velt::FunctionEntry* e = velt::FunctionAtCursor())
            Check(e->startLine <= n && n <= e->endLine);
        if (n % 7 == 0 && velt::NextFunction(n % 14 == 0)) {
            bool atStart = false;
            const int at = velt::CursorLineNumber(*view);
            for (const velt::FunctionEntry* e = velt::FunctionListOf(doc); e; e = e->next)
                atStart = atStart || e->startLine == at;
            Check(atStart);
        }
    }
    velt::ReleaseView(view);
}

void CheckNormalise(std::string_view bytes, int lines) {
    static const std::string dir = [] {
        char tmpl[] = "/tmp/velt-scanner-fuzz-XXXXXX";
        const char* made = mkdtemp(tmpl);
        Check(made != nullptr);
        return std::string(made);
    }();
    const std::string src = dir + "/in.c";
    const std::string out = dir + "/out.c";
    {
        std::ofstream f(src, std::ios::binary | std::ios::trunc);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const std::vector<int> map = velt::NormalizeC(src, out);
    Check(map.size() == static_cast<std::size_t>(lines) + 1);
    Check(map[0] == lines);
    std::ifstream f(out, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    int outLines = 1;
    for (char c : text) outLines += c == '\n';
    for (int i = 1; i <= lines; ++i) {
        Check(map[static_cast<std::size_t>(i)] >= 1 &&
              map[static_cast<std::size_t>(i)] <= outLines);
        if (i > 1) Check(map[static_cast<std::size_t>(i)] >= map[static_cast<std::size_t>(i) - 1]);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = [] {
        velt::ResetLanguages();
        return true;
    }();
    (void)ready;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    velt::Document* doc = velt::NewDocument("/fuzz/input.c");
    Check(velt::LoadDocumentFromText(doc->name, bytes, *doc) == velt::kLoadOk);
    const int lines = velt::CountLines(*doc);

    doc->language = velt::FindLanguage(velt::kCLanguageName);
    const bool any = velt::ScanFunctionsC(*doc);
    Check(any == (velt::FunctionListOf(*doc) != nullptr));
    CheckList(*doc, false);
    CheckCursorQueries(*doc, lines);

    doc->language = velt::FindLanguage("Fortran");
    velt::ScanFunctionsFortran(*doc);
    CheckList(*doc, false);
    doc->language = velt::FindLanguage("Pascal");
    velt::ScanFunctionsPascal(*doc);
    CheckList(*doc, true);

    velt::ReleaseDocument(doc);
    CheckNormalise(bytes, lines);
    return 0;
}
