#include "controllers/ActionRunner.hpp"

#include <tavelin/action.hpp>

#include "controllers/AppLauncher.hpp"
#include "controllers/ScriptRunner.hpp"
#include "controllers/WindowManager.hpp"
#include "controllers/terminal/TerminalAdapters.hpp"
#include "runtime/Log.hpp"

namespace tavelin::app {

ActionRunner::ActionRunner(ScriptRunner& scripts, AppLauncher& apps, WindowManager& windows,
                           TerminalAdapters& terminals, DefaultTerminal defaultTerminal)
    : scripts_(scripts),
      apps_(apps),
      windows_(windows),
      terminals_(terminals),
      defaultTerminal_(std::move(defaultTerminal)) {}

void ActionRunner::run(const KeyAction& action, RunningApplicationRef targetApp, Completion completion) {
  const std::string summary = action_summary(action);
  auto outcome = [this, summary, completion](RunOutcome result) { report(summary, result, completion); };
  auto answer = [this, summary, completion](std::optional<std::string> failure) {
    report(summary, failure, completion);
  };

  struct Dispatch {
    ActionRunner& runner;
    const RunningApplicationRef& target;
    decltype(outcome)& onOutcome;
    decltype(answer)& onAnswer;

    void operator()(const KeyAction::AppleScript& a) const { runner.scripts_.runAppleScript(a.script, onOutcome); }
    void operator()(const KeyAction::Command& a) const { runner.scripts_.runShell(a.command, onOutcome); }
    void operator()(const KeyAction::TerminalCommand& a) const {
      runner.terminals_.run(a.command, runner.defaultTerminal_(), onOutcome);
    }
    void operator()(const KeyAction::Window& a) const { onAnswer(runner.windows_.perform(a.action, target)); }
    void operator()(const KeyAction::App& a) const {
      if (const auto* open = std::get_if<AppAction::Open>(&a.action.value)) {
        runner.apps_.open(open->identifier, onAnswer);
      } else {
        onAnswer(runner.apps_.toggle(target));
      }
    }
  };
  std::visit(Dispatch{*this, targetApp, outcome, answer}, action.value);
}

void ActionRunner::report(const std::string& summary, const RunOutcome& outcome, const Completion& completion) {
  if (outcome.kind == RunOutcome::Kind::failed) {
    Log::error("failed " + summary + " · " + outcome.text);
    completion(Failure{Status::failed, outcome.text});
    return;
  }
  Log::info("ran " + summary + (outcome.text.empty() ? "" : " · " + outcome.text));
  completion(std::nullopt);
}

void ActionRunner::report(const std::string& summary, const std::optional<std::string>& failure,
                          const Completion& completion) {
  report(summary, failure ? RunOutcome::failed(*failure) : RunOutcome::ran(""), completion);
}

}  // namespace tavelin::app
