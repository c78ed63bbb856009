#pragma once

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

namespace tavelin::app {

// One variable of the process environment (SHELL, PATH, HOME, …), or nothing
// when it is not set. Injected so tests can give their own.
using Environment = std::function<std::optional<std::string>(const std::string& name)>;

// The login shell of the user database's entry for this process's user, or
// nothing when there is no entry or it names no shell.
inline std::optional<std::string> userDatabaseShell() {
  const passwd* entry = getpwuid(getuid());
  if (entry == nullptr || entry->pw_shell == nullptr || *entry->pw_shell == '\0') return std::nullopt;
  return std::string(entry->pw_shell);
}

// A session started without SHELL (a service manager, an autostart entry, a
// bare `env -i`) still has a login shell: the one the user database records.
// Falling through to a fixed path instead would make every command fail on a
// machine where that shell is not installed.
inline Environment processEnvironment() {
  return [](const std::string& name) -> std::optional<std::string> {
    const char* value = std::getenv(name.c_str());
    if (name == "SHELL" && (value == nullptr || *value == '\0')) return userDatabaseShell();
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  };
}

}  // namespace tavelin::app
