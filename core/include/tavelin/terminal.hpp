#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavelin {

// How a terminal is handed a command; each driver has one adapter in the
// application.
enum class TerminalDriver { AppleTerminal, ITerm, WezTerm, Alacritty, Kitty, ExecFlag };

struct TerminalOption {
  std::string name;
  std::string bundle_id;
  TerminalDriver driver;
  bool operator==(const TerminalOption&) const = default;
};

// The recognised terminals, the fallback first and the rest by name.
std::vector<TerminalOption> terminal_options();

// "com.apple.Terminal": where terminal actions go when the default is missing.
std::string fallback_terminal();

// Bundle ids compare equal ignoring the case of ASCII letters only.
bool same_bundle_id(std::string_view a, std::string_view b) noexcept;

std::optional<TerminalOption> recognised_terminal(std::string_view bundle_id);

// The catalogue's driver, or ExecFlag for any other application.
TerminalDriver terminal_driver(std::string_view bundle_id);

}  // namespace tavelin
