// File names as the compiler system's tools receive them: written for Windows (with '\' and
// in any letter case) but opened on a case-sensitive host.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace nimra {

// '\' becomes '/', and a name that does not exist as spelt becomes the existing file whose
// name differs only in letter case (components that exist nowhere are kept as given).
std::string HostPath(std::string_view name);

// The part after the last '/'.
std::string BaseName(const std::string& path);
// The name with the extension of its last component (from its last '.') replaced.
std::string ReplaceExtension(const std::string& path, const std::string& extension);
// The extension of the last component without its '.', lower-cased; "" when none.
std::string LowerExtension(const std::string& path);

std::string ToUpperAscii(std::string text);
std::string ToLowerAscii(std::string text);

// Absolute and without "." or ".." components, against the current directory.
std::string AbsoluteNormal(const std::string& path);

// A name written in double quotes by the makefile reaches us with its quotes when no shell
// took them off: without them.
std::string Unquote(std::string text);

// The value of the switch args[i]: what follows its first `prefix` characters, or else the
// next argument (then `i` moves to it), unquoted. False, with `error` set, when it is empty.
bool SwitchValue(const std::vector<std::string>& args, std::size_t& i, std::size_t prefix,
                 std::string& value, std::string& error);

}  // namespace nimra
