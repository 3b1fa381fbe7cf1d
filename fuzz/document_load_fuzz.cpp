// Any bytes open as a document: the text written back is the input without CR, every line
// cut into pieces of at most 497 characters, trailing blanks and tabs removed from each
// piece, each piece ended by CR LF; and loading that text again gives it back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "editor/document.h"
#include "editor/document_io.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

std::string Stripped(std::string piece) {
    while (!piece.empty() && (piece.back() == ' ' || piece.back() == '\t')) piece.pop_back();
    return piece;
}

// The written text, worked out without the loader.
std::string Expected(std::string_view bytes, int& lines, int& broken) {
    std::string out;
    std::string cur;
    bool pending = false;
    auto flush = [&]() {
        std::size_t at = 0;
        while (cur.size() - at > static_cast<std::size_t>(velt::kLoadLineBreak)) {
            out += Stripped(cur.substr(at, velt::kLoadLineBreak)) + "\r\n";
            at += velt::kLoadLineBreak;
            ++lines;
            ++broken;
        }
        out += Stripped(cur.substr(at)) + "\r\n";
        ++lines;
        cur.clear();
        pending = false;
    };
    for (char c : bytes) {
        if (c == '\r') continue;
        if (c == '\n') {
            flush();
        } else {
            cur += c;
            pending = true;
        }
    }
    if (pending) flush();
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    velt::Document* doc = velt::NewDocument("/fuzz/input.c");
    Check(doc != nullptr);
    int status = velt::LoadDocumentFromText(doc->name, bytes, *doc);
    Check(status == velt::kLoadOk);

    int lines = 0;
    int broken = 0;
    std::string want = Expected(bytes, lines, broken);
    Check(doc->lineCount == lines);
    Check(velt::CountLines(*doc) == lines);
    Check(((doc->flags & velt::kDocIncomplete) != 0) == (broken > 0));
    for (velt::Line* l : velt::Lines(*doc)) {
        Check(l->length <= velt::kLoadLineBreak);
        Check(l->capacity == velt::LineCapacityFor(l->length));
        Check(l->next->prev == l && l->prev->next == l);
    }

    std::string written;
    velt::AppendDocumentText(*doc, written);
    Check(written == want);

    // What was written loads back as the same text, with nothing left to break.
    status = velt::LoadDocumentFromText(doc->name, written, *doc);
    Check(status == velt::kLoadOk);
    Check((doc->flags & velt::kDocIncomplete) == 0);
    std::string again;
    velt::AppendDocumentText(*doc, again);
    Check(again == written);

    velt::ReleaseDocument(doc);
    return 0;
}
