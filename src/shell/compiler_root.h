// The root directory of the compiler system (it holds bin, lib and include): where it is
// recorded per user, how it is checked and changed, and the two small entry checks that the
// configuration pages share (directories, numbers).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velt {

// Per-user key paths and value names of the compiler system.
inline constexpr char kCompilerKeyPath[] = "Software\\nimra\\Compiler";
inline constexpr char kLinkerKeyPath[] = "Software\\nimra\\nimralnk";
inline constexpr char kIncludePathValue[] = "includepath";
inline constexpr char kLibPathValue[] = "libpath";

// A path under the root ("lib/velt.prj"). An empty root gives the relative name, so that an
// unknown root never turns into the file system's own /bin or /lib.
std::string UnderRoot(const std::string& root, std::string_view rest);

// The root named by an include path: the value without its last component (trailing
// separators are dropped first). False when the value holds no separator at all.
bool RootFromIncludePath(const std::string& includePath, std::string& root);

// Reads includepath. On success sets `root` and returns the value. A value without a
// separator shows "Incorrect path for compiler in registry" and leaves `root` as it was; a
// missing value returns nothing silently.
std::optional<std::string> ReadCompilerLocation(std::string& root);

// The start-up reading: a missing value or one without a separator shows "Incorrect value
// for Include path in the registry\nKey: includePath" (once) and leaves `root` unchanged.
bool LoadCompilerRootAtStartup(std::string& root);

// Checks a new root: every ';'-part must be an existing directory, then bin/nimra.exe and
// lib/kernel32.lib must be there. Shows a message for each failure; true when all pass.
bool ValidateRoot(const std::string& text);

// Makes `text` the compiler root: validates it, records includepath and libpath for the
// user and then sets `root`. Nothing to do when it equals `root`. A failed write shows
// "Error %d writing to the registry" and leaves `root` unchanged.
bool ChangeCompilerRoot(const std::string& text, std::string& root);

// Records `root` for a user who has no includepath yet (a first run of an installed tree).
// True when the user has one already or both values were written.
bool RegisterDefaultRoot(const std::string& root);

// Checks each ';'-part of `text` in turn and stops at the first failing one. A directory
// exists when it can be made the current directory (the current directory is restored).
// With `offerCreation` the user is asked whether to create a missing one.
bool CheckDirectory(const std::string& text, bool offerCreation);

// A number typed into a field: an optional sign, then decimal digits only. Anything else,
// an empty text and a number beyond the int range show "Incorrect number '%s'".
bool ParseNumberEntry(const std::string& text, int& out);

}  // namespace velt
