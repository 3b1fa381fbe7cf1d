// The dispatcher commands built on the function lists: next and previous function and the
// search of a function by name across the open documents; and the name of the function
// holding the cursor, shown in the position text.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace velt {

struct Document;
struct FunctionEntry;

// Registers 1209 Next function, 1210 Previous function, 1185 Search a function, 1168
// Functions list and 1280 word completion (InstallEditor calls it). Rows registered before
// are replaced.
void InstallFunctionCommands();
void UninstallFunctionCommands();

// Search a function (1185): asks for a name, then looks for it in every open document in
// window order; the first document holding it is activated and its cursor goes to the
// function's start line. "Function not found" when none holds it (or the name is empty).
// True when the function was found; false as well when the question was cancelled.
bool SearchFunctionByName();
// Goes to `name` without asking (the search's second half).
bool GotoFunctionNamed(const std::string& name);

// The name of the function holding the cursor of the current view, for the position text.
// Empty unless the document's language has a function scanner and its list is valid and
// built, so moving the cursor never causes a rescan of a changed document.
std::string PositionFunctionName();

// ---- The functions list dialog (F12)

struct FunctionsDialogRecord {
    std::string title;               // the document's path in lower case
    std::vector<std::string> names;  // the functions in source order
    bool sorted = false;             // the sort check box, as it was left last time
    int chosen = -1;                 // index into `names` of the function chosen

    // The list box's rows as indices into `names`: source order, or alphabetical (as word
    // completion orders its words) when sorted.
    std::vector<int> Rows() const;
    // "%d functions"
    std::string Status() const;
};

// Shows the dialog; true when a function was chosen (`chosen` set). The check box is read
// back either way. Unset: the dialog counts as cancelled.
extern std::function<bool(FunctionsDialogRecord&)> gFunctionsDialog;

// Asks for a function of the current document in the functions list dialog. Without
// functions shows "No functions defined in this file". Null when none was chosen.
FunctionEntry* ChooseFunction();
// Functions list (1168): the chosen function's start line becomes the cursor line,
// recentred when it lies outside the window. True when the cursor went there.
bool ShowFunctionsList();

}  // namespace velt
