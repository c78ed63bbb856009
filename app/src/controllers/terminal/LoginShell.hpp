#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tavelin::app {

// Wraps a command for the user's login shell, so that the terminal window it
// runs in stays usable once the command has finished.
class LoginShell {
 public:
  // The shell named by `shell` (the value of SHELL), or "/bin/zsh" when that
  // is unset or empty.
  static std::string shellFrom(const std::optional<std::string>& shell);

  // Three arguments: the shell, "-lc", and `command` followed by a line feed,
  // "exec ", the shell and " -l". The command runs with the user's profile
  // (and so their PATH); then the shell replaces itself with an interactive
  // login shell, which keeps the window open at a prompt.
  static std::vector<std::string> arguments(const std::string& command, const std::optional<std::string>& shell);
};

}  // namespace tavelin::app
