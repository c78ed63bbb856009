#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "controllers/terminal/TerminalAdapter.hpp"
#include "controllers/terminal/TerminalLaunch.hpp"

namespace tavelin::app {

// Drives WezTerm through its command-line program: a running WezTerm gets a
// new tab beside the pane the user last worked in (`cli spawn`), and then is
// brought forward; otherwise a new instance starts with the command.
class WezTermAdapter final : public TerminalAdapter {
 public:
  explicit WezTermAdapter(TerminalLaunch& launch) : launch_(launch) {}

  // The first executable of: each non-empty directory of `path` + "/wezterm",
  // then "/opt/homebrew/bin/wezterm", "/usr/local/bin/wezterm",
  // `home` + "/.local/bin/wezterm", and the program inside the application at
  // `url`. An empty PATH piece is skipped, never read as the current folder.
  static std::optional<std::string> findExecutable(const std::optional<std::string>& path,
                                                   const std::optional<std::string>& home, const std::string& url,
                                                   const std::function<bool(const std::string&)>& isExecutableFile);

  // The pane in front from the `cli list --format json` text: the first one
  // both active and in the focused window, else the first active one. None
  // when the text is not an array of objects or that pane's `pane_id` is not a
  // whole number that fits 64 signed bits.
  static std::optional<std::int64_t> paneInFront(std::string_view listing);

  static std::vector<std::string> listArguments();
  // "cli", "spawn", ["--pane-id", N,] "--", then the login-shell arguments.
  static std::vector<std::string> spawnArguments(std::optional<std::int64_t> pane,
                                                 const std::vector<std::string>& loginShell);
  // "start", "--", then the login-shell arguments.
  static std::vector<std::string> startArguments(const std::vector<std::string>& loginShell);

  void run(const std::string& command, const Terminal& terminal, const std::string& url,
           std::function<void(RunOutcome)> completion) override;

 private:
  TerminalLaunch& launch_;
};

}  // namespace tavelin::app
