// Any text expanded against a document whose lines, cursor and marked block come from the
// input: the expansion never fails but for a block over several lines or ASK (nobody answers
// here), answers the same twice, and copies the text outside the '$' words unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "editor/document.h"
#include "project/command_macros.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    // Four bytes place the cursor and the block; the rest is "text\0line\nline...".
    const int cursorLine = data[0] % 8, cursorColumn = data[1] % 64;
    const int blockLine = data[2] % 9 - 1, blockColumn = data[3] % 64;
    std::string_view rest(reinterpret_cast<const char*>(data) + 4, size - 4);
    const std::size_t cut = rest.find('\0');
    const std::string_view text = rest.substr(0, cut);
    const std::string_view body = cut == std::string_view::npos ? "" : rest.substr(cut + 1);

    velt::ReleaseAllDocuments();
    velt::Document* doc = velt::FindDocument("/src/fuzz.c", true);
    std::size_t start = 0;
    while (start <= body.size()) {
        std::size_t end = body.find('\n', start);
        if (end == std::string_view::npos) end = body.size();
        std::string_view line = body.substr(start, std::min<std::size_t>(end - start, 400));
        velt::AppendLine(*doc, velt::NewLine(line.data(), static_cast<int>(line.size())));
        start = end + 1;
    }
    velt::EditView* view = velt::NewView(doc, 0);
    velt::Line* at = velt::LineAt(*doc, 1 + cursorLine);
    if (at) {
        view->cursor = at;
        view->cursorColumn = static_cast<std::int16_t>(cursorColumn);
    }
    if (blockLine >= 0 && at) {
        if (velt::Line* b = velt::LineAt(*doc, 1 + blockLine)) {
            view->block = b;
            view->blockColumn = static_cast<std::int16_t>(blockColumn);
        }
    }
    velt::SetCurrentView(view);

    const auto first = velt::ExpandMacros(text, std::string("Fuzz"));
    const auto second = velt::ExpandMacros(text, std::string("Fuzz"));
    Check(first == second);
    if (text.find('$') == std::string_view::npos) {
        Check(first && *first == text);
    } else if (first) {
        // What precedes the first word is copied as it stands.
        const std::size_t dollar = text.find('$');
        Check(first->compare(0, dollar, text.substr(0, dollar)) == 0);
    }
    velt::ReleaseAllDocuments();
    return 0;
}
