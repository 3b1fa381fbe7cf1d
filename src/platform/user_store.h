// The per-user store that stands in for the registry values of the compiler system. Values
// live in $XDG_CONFIG_HOME/nimra/registry.ini (~/.config when unset), one section per key
// path ("Software\nimra\Compiler"), read and written with the profile store.
#pragma once

#include <string>

namespace velt::platform {

std::string UserStorePath();

// Reads a value; false when the key path or the value does not exist.
bool UserStoreRead(const std::string& keyPath, const std::string& valueName, std::string& out);

// Writes a value, creating the store's directory when needed. False when it cannot be
// written; `error` then holds the system error code.
bool UserStoreWrite(const std::string& keyPath, const std::string& valueName,
                    const std::string& value, int* error = nullptr);

}  // namespace velt::platform
