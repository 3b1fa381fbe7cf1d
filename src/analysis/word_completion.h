// Word completion (Esc, command 1280): the identifier that ends at the cursor is completed
// from the identifiers of the open C documents, or, after "." or "->", from the members of
// the structure the expression before it has as its type.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velt {

struct EditView;

// What the cursor of a view offers.
struct Completion {
    std::string typed;    // the identifier part before the cursor (may be empty)
    bool member = false;  // it follows "." or "->"
    // Distinct words that start with `typed` and are longer, in WordOrderLess order.
    std::vector<std::string> candidates;
};

// The candidates at the cursor of `view`. Identifiers come from every open document whose
// language is C, outside comments, strings and character constants; members from the
// structure and union definitions, typedefs and declarations found there.
Completion CompletionAt(EditView& view);

// The order of the candidates (and of sorted function lists): letters compared without
// regard to case, ties broken by the bytes.
bool WordOrderLess(std::string_view a, std::string_view b);

// Up to this many candidates are offered in a pop-up menu, more in a list dialog.
inline constexpr std::size_t kCompletionMenuMaximum = 24;
inline constexpr char kCompletionListCaption[] = "Word completion";

// Command 1280 on the current view: no candidate (or a read-only document) beeps; one is
// taken at once; otherwise the user picks one. The rest of the word is inserted at the
// cursor and recorded so that one Undo removes it. True when text was inserted.
bool CompleteWord();

}  // namespace velt
