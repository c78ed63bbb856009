#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace tavelin::app {

// What executing a piece of AppleScript gave.
struct AppleScriptResult {
  // The source could not even be turned into a script object.
  struct NotCompiled {};
  struct Ran {
    std::optional<std::string> text;  // the result's string value, if it has one
  };
  // The error dictionary; each entry may be missing or of another type.
  struct Error {
    std::optional<std::string> applicationName;
    std::optional<std::string> message;
    std::optional<std::int64_t> number;
  };
  std::variant<NotCompiled, Ran, Error> value;
};

// The system's AppleScript interpreter. Blocking: callers run it off the main
// thread.
class AppleScriptEngine {
 public:
  virtual ~AppleScriptEngine() = default;
  virtual AppleScriptResult execute(const std::string& source) = 0;
};

}  // namespace tavelin::app
