// The dispatcher commands built on the function lists: next and previous function and the
// search of a function by name across the open documents; and the name of the function
// holding the cursor, shown in the position text.
#pragma once

#include <string>

namespace velt {

// Registers 1209 Next function, 1210 Previous function and 1185 Search a function
// (InstallEditor calls it). Rows registered before are replaced.
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

}  // namespace velt
