#include <tavelin/terminal.hpp>

#include <algorithm>

namespace tavelin {
namespace {

constexpr std::string_view apple_terminal = "com.apple.Terminal";

constexpr char fold_ascii(char c) noexcept {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::vector<TerminalOption> terminal_options() {
  return {
      {"Apple Terminal", std::string(apple_terminal), TerminalDriver::AppleTerminal},
      {"Alacritty", "org.alacritty", TerminalDriver::Alacritty},
      {"Ghostty", "com.mitchellh.ghostty", TerminalDriver::ExecFlag},
      {"iTerm2", "com.googlecode.iterm2", TerminalDriver::ITerm},
      {"kitty", "net.kovidgoyal.kitty", TerminalDriver::Kitty},
      {"Rio", "com.raphaelamorim.rio", TerminalDriver::ExecFlag},
      {"WezTerm", "com.github.wez.wezterm", TerminalDriver::WezTerm},
  };
}

std::string fallback_terminal() { return std::string(apple_terminal); }

bool same_bundle_id(std::string_view a, std::string_view b) noexcept {
  // Only A to Z fold, as the system's application registry does; any other
  // byte, including non-ASCII letters, must match exactly.
  return std::ranges::equal(a, b, [](char x, char y) { return fold_ascii(x) == fold_ascii(y); });
}

std::optional<TerminalOption> recognised_terminal(std::string_view bundle_id) {
  for (auto& option : terminal_options()) {
    if (same_bundle_id(option.bundle_id, bundle_id)) return std::move(option);
  }
  return std::nullopt;
}

TerminalDriver terminal_driver(std::string_view bundle_id) {
  const auto option = recognised_terminal(bundle_id);
  return option ? option->driver : TerminalDriver::ExecFlag;
}

}  // namespace tavelin
