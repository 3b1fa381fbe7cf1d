// "velt-cli project ROOT NAME [--resave]": a project as the program loads it.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace velt {

// Loads NAME through ROOT's projects table, file list included, and prints the record as the
// keys of a project save ("Key=value", in save order, with the recorded windows and files
// toolbar), then the file list's keys in memory order. With `resave` the project and its
// file list are then saved back as a save without open windows writes them. Returns the exit
// code: 1 when ROOT is not a directory, the name is not in its table, or the save failed.
int RunProjectCommand(const std::string& root, const std::string& name, bool resave,
                      std::ostream& out);

// What the command-line tools do first: makes ROOT (absolute, its spelling on disk) the
// projects root and loads NAME with its file list as the current project. The root's
// directory; nothing, with the reason on standard error, when ROOT is not a directory, its
// table cannot be read or NAME is not in it.
std::optional<std::string> LoadProjectForTool(const std::string& root, const std::string& name);

}  // namespace velt
