// Any text checked before saving, as C and as eiffel: the check answers the same twice,
// passes exactly when it gives no message, names a line of the document in a message of one
// of its known forms, and leaves the document as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "analysis/syntax_check.h"
#include "editor/document.h"
#include "editor/document_io.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

std::string Text(const velt::Document& doc) {
    std::string t;
    for (velt::Line* l : velt::Lines(doc)) t += velt::LineString(l) + "\n";
    return t;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// The message's form without its name and line, and its line number.
bool Parse(std::string_view message, std::string_view name, std::string& form, long& line) {
    const std::size_t digits = message.find_last_not_of("0123456789");
    if (digits == std::string_view::npos || digits + 1 == message.size()) return false;
    line = std::strtol(std::string(message.substr(digits + 1)).c_str(), nullptr, 10);
    form = std::string(message.substr(0, digits + 1));
    if (StartsWith(form, std::string(name) + ": ")) form = form.substr(name.size() + 2);
    return true;
}

void CheckOne(const velt::Document& doc, bool (*check)(const velt::Document&, std::string&),
              const std::string& before, int lines, bool eiffel) {
    std::string message;
    const bool passed = check(doc, message);
    Check(passed == message.empty());
    std::string again;
    Check(check(doc, again) == passed && again == message);
    Check(Text(doc) == before);
    if (passed) return;
    std::string form;
    long line = 0;
    Check(Parse(message, doc.name, form, line));
    Check(line >= 1 && line <= lines);
    static const char* const kC[] = {"unfinished string line ",
                                     "incorrect char constant line ",
                                     "#endif without matching #if line ",
                                     "too many ')' at line ",
                                     "Syntax error line ",
                                     "too many ']' at line ",
                                     "Mismatched () after line ",
                                     "too many } at line ",
                                     "mismatched { } after line ",
                                     "#if without matching #endif line "};
    static const char* const kEiffel[] = {"unfinished string line ", "too many ')' at line ",
                                          "too many ']' at line ", "Mismatched () after line "};
    bool known = false;
    if (eiffel) {
        for (const char* f : kEiffel) known = known || form == f;
    } else {
        for (const char* f : kC) known = known || form == f;
    }
    Check(known);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    velt::Document* doc = velt::NewDocument("/fuzz/input.c");
    Check(velt::LoadDocumentFromText(doc->name, bytes, *doc) == velt::kLoadOk);
    const int lines = velt::CountLines(*doc);
    const std::string before = Text(*doc);
    CheckOne(*doc, velt::CheckC, before, lines, false);
    CheckOne(*doc, velt::CheckEiffel, before, lines, true);
    velt::ReleaseDocument(doc);
    return 0;
}
