// Puts an environment variable or the current directory back when a test ends.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/files.h"

namespace velt::testing {

class ScopedEnv {
  public:
    // Sets `name` to `value`, or unsets it when there is no value.
    ScopedEnv(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str())) old_ = old;
        if (value)
            setenv(name_.c_str(), value->c_str(), 1);
        else
            unsetenv(name_.c_str());
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_.c_str(), old_->c_str(), 1);
        else
            unsetenv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    std::optional<std::string> old_;
};

class ScopedCurrentDirectory {
  public:
    ScopedCurrentDirectory() : saved_(platform::CurrentDirectory()) {}
    ~ScopedCurrentDirectory() { platform::SetCurrentDirectory(saved_); }
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

  private:
    std::string saved_;
};

}  // namespace velt::testing
