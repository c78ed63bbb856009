#pragma once

#include <string_view>

#include "controllers/ScriptRunner.hpp"
#include "controllers/terminal/TerminalAdapter.hpp"

namespace tavelin::app {

// Drives the application named "Terminal" by AppleScript: the command goes to
// the first tab, in window order, that is not busy, or to a new window. The
// command goes to Terminal's own shell, so it is not wrapped for a login shell.
class AppleTerminalAdapter final : public TerminalAdapter {
 public:
  explicit AppleTerminalAdapter(ScriptRunner& scripts) : scripts_(scripts) {}

  static std::string script(std::string_view command);

  // The terminal record and its location play no part: AppleScript finds
  // Terminal by name.
  void run(const std::string& command, const Terminal& terminal, const std::string& url,
           std::function<void(RunOutcome)> completion) override;

 private:
  ScriptRunner& scripts_;
};

}  // namespace tavelin::app
