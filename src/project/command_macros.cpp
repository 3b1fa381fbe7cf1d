#include "project/command_macros.h"

#include <algorithm>

#include "editor/document.h"
#include "editor/language.h"
#include "platform/files.h"
#include "shell/messages.h"
#include "shell/msgbox.h"
#include "shell/strutil.h"
#include "shell/ui.h"

namespace velt {

namespace pf = velt::platform;

std::function<std::optional<ProjectExeInfo>()> gProjectExeQuery;

namespace {

constexpr char kAskPrompt[] = "Program arguments";

// The block's text when it lies within one line; `multiLine` when it spans several.
std::string SingleLineSelection(const EditView& v, bool& multiLine) {
    multiLine = false;
    if (!v.block || !v.cursor || !v.document || v.cursor == v.document->head) return {};
    if (v.block != v.cursor) {
        multiLine = true;
        return {};
    }
    const Line* l = v.cursor;
    const int from = std::clamp<int>(std::min(v.blockColumn, v.cursorColumn), 0, l->length);
    const int to = std::clamp<int>(std::max(v.blockColumn, v.cursorColumn), 0, l->length);
    return std::string(l->text() + from, static_cast<std::size_t>(to - from));
}

bool HasDirectory(const std::string& name) {
    return name.find_first_of("/\\") != std::string::npos;
}

}  // namespace

std::string ProjectProgramName(const ProjectExeInfo& project) {
    if (HasDirectory(project.outputFile) || project.makeDirectory.empty())
        return project.outputFile;
    return pf::JoinPath(project.makeDirectory, project.outputFile);
}

std::string IdentifierAtCursor(const EditView& view) {
    const Line* l = view.cursor;
    if (!l || !view.document || l == view.document->head || l->length == 0) return {};
    const char* s = l->text();
    int at = std::min<int>(view.cursorColumn, l->length - 1);
    while (at >= 0 && !IsIdentifierChar(s[at])) --at;
    if (at < 0) return {};
    int from = at;
    while (from > 0 && IsIdentifierChar(s[from - 1])) --from;
    int to = at + 1;
    while (to < l->length && IsIdentifierChar(s[to])) ++to;
    const auto n =
        std::min<std::size_t>(static_cast<std::size_t>(to - from), kCursorIdentifierLength);
    return std::string(s + from, n);
}

std::uintptr_t EditorWindowNumber(const EditView& view) {
    return view.window ? view.window : static_cast<std::uintptr_t>(view.serial);
}

std::optional<std::string> ExpandMacros(std::string_view text,
                                        const std::optional<std::string>& askTitle) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '$') {
            out += text[i++];
            continue;
        }
        const std::size_t start = i + 1;
        std::size_t end = text.find('$', start);
        const bool closed = end != std::string_view::npos;
        if (!closed) end = text.size();
        const std::string word =
            AsciiUpper(text.substr(start, std::min(end - start, kMacroWordLength)));
        i = closed ? end + 1 : end;

        const EditView* view = CurrentView();
        if (view && !view->document) view = nullptr;
        if (word == "FILE") {
            if (const Document* doc = CurrentDocument()) out += doc->name;
        } else if (word == "HWND") {
            out += FormatText(
                "0x%llx", static_cast<unsigned long long>(view ? EditorWindowNumber(*view) : 0));
        } else if (word == "CURRENT_TEXT" || word == "CURSOR") {
            if (view) out += IdentifierAtCursor(*view);
        } else if (word == "SELECTION") {
            if (view) {
                bool multiLine = false;
                const std::string selected = SingleLineSelection(*view, multiLine);
                if (multiLine) {
                    ShowMessage("Impossible to send multi-line selection");
                    return std::nullopt;
                }
                out += selected;
            }
        } else if (word == "EXE") {
            if (gProjectExeQuery)
                if (const std::optional<ProjectExeInfo> project = gProjectExeQuery())
                    out += ProjectProgramName(*project);
        } else if (word == "DIR") {
            out += pf::CurrentDirectory();
        } else if (word == "ASK") {
            if (!askTitle) return std::nullopt;
            std::string typed;
            if (!CurrentUi().AskText(*askTitle, kAskPrompt, typed)) return std::nullopt;
            out += typed;
        }
        out += ' ';
    }
    return out;
}

}  // namespace velt
