// "velt-cli makefile ROOT PROJECT": the makefile of a registered project, written without a
// window (every question answered No, the "File processor" question cancelled).
#pragma once

#include <iosfwd>
#include <string>

namespace velt {

// Loads PROJECT through ROOT's projects table, file list included, and generates its makefile
// with ROOT as the compiler root; prints the makefile's name. Returns the exit code: 1 when
// ROOT is not a directory, the project is not in its table, or the generation failed.
int RunMakefileCommand(const std::string& root, const std::string& name, std::ostream& out);

}  // namespace velt
