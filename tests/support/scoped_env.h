#pragma once

#include <stdlib.h>

#include <optional>
#include <string>

// Sets (or, given nullptr, clears) an environment variable for a scope, then
// puts back what was there.
class ScopedEnv {
  public:
    ScopedEnv(std::string name, const char* value) : name_(std::move(name)) {
        if (const char* old = getenv(name_.c_str())) old_ = old;
        Set(value);
    }
    ~ScopedEnv() { Set(old_ ? old_->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    void Set(const char* value) {
        value ? setenv(name_.c_str(), value, 1) : unsetenv(name_.c_str());
    }

    std::string name_;
    std::optional<std::string> old_;
};
