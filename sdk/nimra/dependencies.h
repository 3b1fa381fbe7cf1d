// The dependency list of -M: the files a source includes, one name per line.
#pragma once

#include <string>
#include <vector>

namespace nimra {

// Reads the host compiler's make rule ("target: source header ... \" lines, with '\ ' for a
// blank and "$$" for '$') and returns its prerequisites after the first (the source itself).
std::vector<std::string> PrerequisitesOfRule(const std::string& rule);

}  // namespace nimra
