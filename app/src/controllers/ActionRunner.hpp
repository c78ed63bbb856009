#pragma once

#include <functional>
#include <optional>
#include <string>

#include <tavelin/config.hpp>

#include "controllers/RunOutcome.hpp"
#include "platform/Workspace.hpp"
#include "runtime/Status.hpp"

namespace tavelin::app {

class AppLauncher;
class ScriptRunner;
class TerminalAdapters;
class WindowManager;

// Carries out any action from one call, writes the one log line that says what
// ran or why it failed, and reports back once, on the main thread.
class ActionRunner {
 public:
  // What a failed run reports to whoever fired it.
  struct Failure {
    Status status = Status::failed;
    std::string message;
    bool operator==(const Failure&) const = default;
  };
  using Completion = std::function<void(std::optional<Failure>)>;

  // The bundle id of the default terminal, read when a terminal action runs.
  using DefaultTerminal = std::function<std::string()>;

  ActionRunner(ScriptRunner& scripts, AppLauncher& apps, WindowManager& windows, TerminalAdapters& terminals,
               DefaultTerminal defaultTerminal);

  // `targetApp` is the application that was in front when the binding fired;
  // only window actions look at it.
  void run(const KeyAction& action, RunningApplicationRef targetApp, Completion completion);

 private:
  void report(const std::string& summary, const RunOutcome& outcome, const Completion& completion);
  void report(const std::string& summary, const std::optional<std::string>& failure, const Completion& completion);

  ScriptRunner& scripts_;
  AppLauncher& apps_;
  WindowManager& windows_;
  TerminalAdapters& terminals_;
  DefaultTerminal defaultTerminal_;
};

// The way controllers reach the runner, so they can be tested without one.
using RunAction = std::function<void(const KeyAction&, RunningApplicationRef, ActionRunner::Completion)>;

}  // namespace tavelin::app
