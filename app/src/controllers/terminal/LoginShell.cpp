#include "controllers/terminal/LoginShell.hpp"

#include <algorithm>
#include <string_view>

namespace tavelin::app {
namespace {

bool isPlainWordCharacter(char c) {
  const bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  return letterOrDigit || std::string_view("/._+-,:@").find(c) != std::string_view::npos;
}

// The shell's path is pasted into shell code on the exec line. A path the
// shell would read as more than one plain word (a space, a quote, a `;`) is
// single-quoted, so it still names one program and cannot add commands of its
// own; ordinary paths stay exactly as they are.
std::string asShellWord(const std::string& path) {
  if (!path.empty() && std::ranges::all_of(path, isPlainWordCharacter)) return path;
  std::string quoted = "'";
  for (const char c : path) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

}  // namespace

// An empty SHELL names no program at all, so it counts as unset, as it does
// for shell commands.
std::string LoginShell::shellFrom(const std::optional<std::string>& shell) {
  return shell && !shell->empty() ? *shell : "/bin/zsh";
}

std::vector<std::string> LoginShell::arguments(const std::string& command, const std::optional<std::string>& shell) {
  const std::string program = shellFrom(shell);
  return {program, "-lc", command + "\nexec " + asShellWord(program) + " -l"};
}

}  // namespace tavelin::app
