#pragma once

#include <string>
#include <vector>

#include "controllers/terminal/TerminalAdapter.hpp"
#include "controllers/terminal/TerminalLaunch.hpp"

namespace tavelin::app {

// Launches kitty with the program as its trailing arguments; the two options
// gather every such window into one kitty process of its own group.
class KittyAdapter final : public TerminalAdapter {
 public:
  explicit KittyAdapter(TerminalLaunch& launch) : launch_(launch) {}

  // "--single-instance", "--instance-group=tavelin", then the login-shell
  // arguments.
  static std::vector<std::string> arguments(const std::vector<std::string>& loginShell);

  void run(const std::string& command, const Terminal& terminal, const std::string& url,
           std::function<void(RunOutcome)> completion) override;

 private:
  TerminalLaunch& launch_;
};

}  // namespace tavelin::app
