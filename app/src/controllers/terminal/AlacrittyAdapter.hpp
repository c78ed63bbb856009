#pragma once

#include <string>
#include <vector>

#include "controllers/terminal/TerminalAdapter.hpp"
#include "controllers/terminal/TerminalLaunch.hpp"

namespace tavelin::app {

// Drives Alacritty: a running one is asked over its message socket for a new
// window (then brought forward); otherwise, or when the message fails, a new
// instance is launched with the command.
class AlacrittyAdapter final : public TerminalAdapter {
 public:
  explicit AlacrittyAdapter(TerminalLaunch& launch) : launch_(launch) {}

  // The command-line program inside the application at `url`.
  static std::string program(const std::string& url);
  // "msg", "create-window", "-e", then the login-shell arguments.
  static std::vector<std::string> messageArguments(const std::vector<std::string>& loginShell);
  // "-e", then the login-shell arguments.
  static std::vector<std::string> launchArguments(const std::vector<std::string>& loginShell);

  void run(const std::string& command, const Terminal& terminal, const std::string& url,
           std::function<void(RunOutcome)> completion) override;

 private:
  TerminalLaunch& launch_;
};

}  // namespace tavelin::app
