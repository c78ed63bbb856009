#pragma once

#include <string>
#include <vector>

#include "controllers/terminal/TerminalAdapter.hpp"
#include "controllers/terminal/TerminalLaunch.hpp"

namespace tavelin::app {

// Any other terminal: a new instance with the command after `-e`, the most
// common convention among terminal applications.
class ExecFlagAdapter final : public TerminalAdapter {
 public:
  explicit ExecFlagAdapter(TerminalLaunch& launch) : launch_(launch) {}

  // "-e", then the login-shell arguments.
  static std::vector<std::string> arguments(const std::vector<std::string>& loginShell);

  void run(const std::string& command, const Terminal& terminal, const std::string& url,
           std::function<void(RunOutcome)> completion) override;

 private:
  TerminalLaunch& launch_;
};

}  // namespace tavelin::app
