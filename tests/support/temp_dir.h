// A fresh directory per test, removed with everything in it afterwards. It also points
// XDG_CONFIG_HOME into itself so that no test touches the real per-user store.
#pragma once

#include <string>

namespace velt::testing {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    // Writes a file (creating parent directories) and returns its full name.
    std::string Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;

private:
    std::string path_;
    std::string oldConfig_;
    bool hadConfig_ = false;
};

}  // namespace velt::testing
