// Command macros: words between '$' signs in the names, arguments and start directories of
// the programs the editor runs, replaced by the editor's current state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velt {

struct EditView;

// The longest macro word kept; the rest of a longer word is dropped.
inline constexpr std::size_t kMacroWordLength = 30;
// The longest identifier at the cursor that a macro passes.
inline constexpr std::size_t kCursorIdentifierLength = 40;

// What EXE needs of the open project.
struct ProjectExeInfo {
    std::string outputFile;     // the file the project builds
    std::string makeDirectory;  // where it is built; may be empty
};
// Asks the open project; nothing when no project is open. Filled by the projects code;
// unset means no project.
extern std::function<std::optional<ProjectExeInfo>()> gProjectExeQuery;

// The project's program: the output file, placed in the make directory when it names no
// directory of its own (neither '/' nor '\' in it) and there is one.
std::string ProjectProgramName(const ProjectExeInfo& project);

// The identifier at the cursor of `view`: from the cursor column left to the nearest
// identifier character, to the start of that identifier, and right to its end; at most 40
// characters. Empty when there is none.
std::string IdentifierAtCursor(const EditView& view);

// The number HWND passes for `view`: the front end's id of its window when it set one,
// otherwise the view's serial, which no other view shares.
std::uintptr_t EditorWindowNumber(const EditView& view);

// Expands `text`. Each '$' starts a word running to the next '$' (its first 30 characters
// kept, upper-cased) that is replaced, a blank following every replacement (an unknown word
// is replaced by nothing). A word without a closing '$' runs to the end of the text, which
// ends the expansion. `askTitle` titles the question of ASK; without it ASK fails. Nothing
// when the expansion failed: a selection over several lines ("Impossible to send multi-line
// selection" is shown) or a cancelled or impossible question.
std::optional<std::string> ExpandMacros(std::string_view text,
                                        const std::optional<std::string>& askTitle = {});

}  // namespace velt
