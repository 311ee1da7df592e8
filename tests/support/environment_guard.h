#pragma once
// Sets (or clears) an environment variable for the life of the object and
// puts the previous value back afterwards.

#include <cstdlib>
#include <optional>
#include <string>

namespace tlvx::test {

class EnvironmentGuard {
public:
    EnvironmentGuard(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) previous_ = old;
        if (value) {
            setenv(name, value->c_str(), 1);
        } else {
            unsetenv(name);
        }
    }
    ~EnvironmentGuard() {
        if (previous_) {
            setenv(name_, previous_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

private:
    const char* name_;
    std::optional<std::string> previous_;
};

}  // namespace tlvx::test
