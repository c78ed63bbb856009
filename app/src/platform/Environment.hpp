#pragma once

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

namespace tavelin::app {

// One variable of the process environment (SHELL, PATH, HOME, …), or nothing
// when it is not set. Injected so tests can give their own.
using Environment = std::function<std::optional<std::string>(const std::string& name)>;

inline Environment processEnvironment() {
  return [](const std::string& name) -> std::optional<std::string> {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  };
}

}  // namespace tavelin::app
