// "velt-cli prefs ROOT": the global settings as the program sees them at start-up.
#pragma once

#include <iosfwd>
#include <string>

namespace velt {

// Prints every global setting read from ROOT as "Key=value", in reading order, with the
// defaults and rules applied; lists appear in their stored key form. Reads without writing
// anything. Returns the exit code: 1 when ROOT is not a directory.
int RunPrefsCommand(const std::string& root, std::ostream& out);

}  // namespace velt
