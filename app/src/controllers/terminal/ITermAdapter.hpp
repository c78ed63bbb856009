#pragma once

#include <string_view>

#include "controllers/ScriptRunner.hpp"
#include "controllers/terminal/TerminalAdapter.hpp"

namespace tavelin::app {

// Drives the application named "iTerm" by AppleScript: with no window, a new
// window with the default profile gets the command; otherwise a new tab in the
// current window. The command goes to iTerm's own shell, unwrapped.
class ITermAdapter final : public TerminalAdapter {
 public:
  explicit ITermAdapter(ScriptRunner& scripts) : scripts_(scripts) {}

  static std::string script(std::string_view command);

  // AppleScript finds iTerm by name; the record and location play no part.
  void run(const std::string& command, const Terminal& terminal, const std::string& url,
           std::function<void(RunOutcome)> completion) override;

 private:
  ScriptRunner& scripts_;
};

}  // namespace tavelin::app
