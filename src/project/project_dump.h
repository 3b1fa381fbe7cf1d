// "velt-cli project ROOT NAME [--resave]": a project as the program loads it.
#pragma once

#include <iosfwd>
#include <string>

namespace velt {

// Loads NAME through ROOT's projects table, file list included, and prints the record as the
// keys of a project save ("Key=value", in save order, with the recorded windows and files
// toolbar), then the file list's keys in memory order. With `resave` the project and its
// file list are then saved back as a save without open windows writes them. Returns the exit
// code: 1 when ROOT is not a directory, the name is not in its table, or the save failed.
int RunProjectCommand(const std::string& root, const std::string& name, bool resave,
                      std::ostream& out);

}  // namespace velt
