#pragma once

#include <functional>
#include <string>

#include <tavelin/terminal.hpp>

#include "controllers/RunOutcome.hpp"
#include "controllers/ScriptRunner.hpp"
#include "controllers/terminal/AlacrittyAdapter.hpp"
#include "controllers/terminal/AppleTerminalAdapter.hpp"
#include "controllers/terminal/ExecFlagAdapter.hpp"
#include "controllers/terminal/ITermAdapter.hpp"
#include "controllers/terminal/KittyAdapter.hpp"
#include "controllers/terminal/TerminalAdapter.hpp"
#include "controllers/terminal/TerminalLaunch.hpp"
#include "controllers/terminal/WezTermAdapter.hpp"

namespace tavelin::app {

// Hands a command to the default terminal, or to the fallback terminal when
// the default is not installed. Keeps nothing between runs; main thread only.
// The launch and the script runner must outlive every run in flight.
class TerminalAdapters {
 public:
  TerminalAdapters(TerminalLaunch& launch, ScriptRunner& scripts);

  // Runs `command` in the terminal `preferredBundleId`. `completion` is called
  // exactly once on the main thread: at once when no terminal is installed
  // (or the wezterm program is missing), otherwise from the main queue.
  void run(const std::string& command, const std::string& preferredBundleId,
           std::function<void(RunOutcome)> completion);

  TerminalAdapter& adapter(TerminalDriver driver);

 private:
  TerminalLaunch& launch_;
  AppleTerminalAdapter appleTerminal_;
  ITermAdapter iTerm_;
  WezTermAdapter wezTerm_;
  AlacrittyAdapter alacritty_;
  KittyAdapter kitty_;
  ExecFlagAdapter execFlag_;
};

}  // namespace tavelin::app
