#include "platform/environment.h"

#include <cstdlib>

namespace velt::platform {

std::optional<std::string> GetEnvironment(const std::string& name) {
    const char* v = std::getenv(name.c_str());
    if (!v) return std::nullopt;
    return std::string(v);
}

bool SetEnvironment(const std::string& name, const std::string& value) {
    return ::setenv(name.c_str(), value.c_str(), 1) == 0;
}

}  // namespace velt::platform
