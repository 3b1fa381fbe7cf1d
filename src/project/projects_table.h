// The projects table "<root>/lib/projects.ini": section "Projects" maps each project name to
// the path of its project file. Beside it the subsystem keeps the list of known names (read
// from the table at start-up, newest first), how many entries the table had, the compiler
// root and the name of the current project.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velt {

inline constexpr char kProjectsSection[] = "Projects";

// The first line of a project file; an imported file must begin with its first 7 characters,
// "; Velt " (letter case ignored).
inline constexpr char kProjectFileHeader[] = "; Velt project file. Syntax: Name = value\n";

// The root all project paths hang off; set by the settings reader and the tools.
const std::string& ProjectsRoot();
void SetProjectsRoot(const std::string& root);
// "<root>/lib/projects.ini", spelt as found on disk.
std::string ProjectsTableFile();

// The known project names in memory order (the last added first); no duplicates.
const std::deque<std::string>& ProjectNames();
// The entries counted when the table was read, plus those registered since. Saving a project
// and choosing one at start-up need at least one.
int ProjectsTableEntries();
// Puts a name at the head of the names list unless it is there, counting a table entry.
void AddProjectName(const std::string& name);
// Takes a name out of the names list.
void RemoveProjectName(const std::string& name);
// Moves the name (the list's own spelling, found without regard to case when it is not there
// as given) to the head of the list, so that the list runs from the most recently used.
// Returns the list's spelling; empty when the name is not in the list.
std::string MoveProjectNameToFront(const std::string& name);
// Puts the names of `order` that are in the list at its head, in that order; the others
// follow in their present order.
void OrderProjectNames(const std::vector<std::string>& order);
// Forgets the names, the count and the current name (tests, tools).
void ResetProjectsTable();

// The name of the current project: the one loading and saving work on.
const std::string& CurrentProjectName();
void SetCurrentProjectName(const std::string& name);

// Reads the table line by line for the names list: every line that does not begin with ';'
// or '[' counts as an entry, and the text before its first '=' (without surrounding blanks)
// is a name, added once. When the file does not exist and `createWhenMissing` is set, it is
// created holding "[Projects]\n" and the user is told so. False when there is no table.
bool ReadProjectsTable(bool createWhenMissing);

// The project file registered for `name` (found without regard to case, as the profile
// calls find keys), spelt as found on disk; nothing when the name is not in the table.
std::optional<std::string> ProjectFileOf(const std::string& name);

// Writes "<directory>/<name>.prj" for `name` into the table, then creates that file with its
// two header lines when it does not exist yet. False when the table could not be written.
bool RegisterProject(const std::string& name, const std::string& directory);
// Removes the name's line from the table (the project file stays). False when the table
// could not be written.
bool UnregisterProject(const std::string& name);

// The project name of a project file's first bytes: they must begin with "; Velt " (letter
// case ignored) and hold a '[' with a later ']'; the name is the text between them. Nothing
// when the text is not a project file or the name could not be a section name.
std::optional<std::string> ProjectNameFromHeader(std::string_view head);

}  // namespace velt
