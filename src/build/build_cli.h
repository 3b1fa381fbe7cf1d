// "velt-cli build ROOT PROJECT": the build of a project without a window.
#pragma once

#include <iosfwd>
#include <string>

namespace velt {

// Opens PROJECT through ROOT's projects table, runs Make as the IDE does (every question
// answered by the registered Ui; a headless one says No), waits for the build and prints the
// build page's lines. Returns 0 when the build ran and its return code is 0, else 1.
int RunBuildCommand(const std::string& root, const std::string& name, std::ostream& out);

}  // namespace velt
