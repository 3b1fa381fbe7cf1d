// Small string helpers shared by every subsystem.
#pragma once

#include <string>
#include <string_view>

namespace velt {

// Upper-cases ASCII a-z in place; returns the last character read (the terminating NUL for a
// C string, the last character or NUL for an empty std::string).
char StrUpper(char* s);
char StrUpper(std::string& s);

// The system's own file-name wildcard walk (not the host's pattern search): '?' takes one
// character, '*' jumps the pattern to its next '.' and the name to its last '.' from the
// current position, letters compare without regard to case. "*.c" matches every name whose
// last extension is c; a pattern that ends in '*' matches nothing.
int WildcardMatch(std::string_view pattern, std::string_view name);

// ASCII lower/upper-case copies and comparison without regard to case.
std::string AsciiLower(std::string_view s);
std::string AsciiUpper(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace velt
