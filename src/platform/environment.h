// The process environment, for the few variables the core reads or changes (PATH).
#pragma once

#include <optional>
#include <string>

namespace velt::platform {

// The host's separator between the directories of a search list such as PATH (';' on the
// system the formats come from, ':' here).
inline constexpr char kPathListSeparator = ':';

// The value of a variable; nothing when it is not set.
std::optional<std::string> GetEnvironment(const std::string& name);
// Sets (replacing) a variable for this process and the programs it starts.
bool SetEnvironment(const std::string& name, const std::string& value);

}  // namespace velt::platform
