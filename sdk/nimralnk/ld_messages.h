// The host compiler driver's and linker's messages, rewritten in the compiler system's format:
//   Error <file>: <line>  undefined reference to <symbol>
//   Error <file>: undefined reference to <symbol>
//   Error nimralnk: <text>        Warning nimralnk: <text>
// The symbol ends the line: the IDE takes whatever follows "undefined reference to" as the name
// to look up in the API index.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nimra {

std::vector<std::string> TranslateLinkerMessages(std::string_view output);

}  // namespace nimra
