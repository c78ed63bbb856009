#pragma once

#include <expected>
#include <functional>
#include <optional>
#include <string>

#include "controllers/RunOutcome.hpp"
#include "platform/AppleScriptEngine.hpp"
#include "platform/Environment.hpp"
#include "platform/MainQueue.hpp"
#include "platform/Processes.hpp"

namespace tavelin::app {

// What a finished (or unstartable) shell command means for the person who
// bound it.
RunOutcome shellOutcome(const std::expected<ProcessResult, std::string>& result);

// What an executed AppleScript means for the person who bound it.
RunOutcome appleScriptOutcome(const AppleScriptResult& result);

// Runs shell commands and AppleScript off the main thread. Each call reports
// exactly once, through the main queue; calls are independent and may overlap.
// The queue, the processes and the engine must outlive every run started.
class ScriptRunner {
 public:
  // Reads one variable of the environment the shell is chosen from.
  using Environment = app::Environment;

  // This process's own environment.
  static Environment processEnvironment();

  ScriptRunner(MainQueue& main, Processes& processes, AppleScriptEngine& appleScript,
               Environment environment = processEnvironment());

  // Runs `command` as `$SHELL -c command` (no login or interactive flag).
  void runShell(std::string command, std::function<void(RunOutcome)> completion);

  void runAppleScript(std::string source, std::function<void(RunOutcome)> completion);

 private:
  MainQueue& main_;
  Processes& processes_;
  AppleScriptEngine& appleScript_;
  Environment environment_;
};

}  // namespace tavelin::app
