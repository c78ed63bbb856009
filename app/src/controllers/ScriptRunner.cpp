#include "controllers/ScriptRunner.hpp"

#include <tavelin/text.hpp>

#include <cstdlib>
#include <utility>
#include <vector>

namespace tavelin::app {
namespace {

// Decoded as UTF-8 (bad bytes become U+FFFD) and trimmed at both ends.
std::string cleaned(const std::string& bytes) {
  const std::string valid = text::to_valid_utf8(bytes);
  return std::string(text::trim(valid));
}

// An empty SHELL names no program at all, so it counts as unset rather than
// turning every command into "could not start".
std::string shellFrom(const ScriptRunner::Environment& environment) {
  auto shell = environment("SHELL");
  if (shell && !shell->empty()) return std::move(*shell);
  return "/bin/zsh";
}

}  // namespace

RunOutcome shellOutcome(const std::expected<ProcessResult, std::string>& result) {
  if (!result) return RunOutcome::failed("Could not start the command: " + result.error());
  if (result->status == 0) return RunOutcome::ran(cleaned(result->standardOutput));
  std::string error = cleaned(result->standardError);
  if (error.empty()) return RunOutcome::failed("Exited " + std::to_string(result->status) + ".");
  return RunOutcome::failed(std::move(error));
}

RunOutcome appleScriptOutcome(const AppleScriptResult& result) {
  if (std::holds_alternative<AppleScriptResult::NotCompiled>(result.value)) {
    return RunOutcome::failed("That AppleScript could not be compiled.");
  }
  if (const auto* ran = std::get_if<AppleScriptResult::Ran>(&result.value)) {
    return RunOutcome::ran(ran->text.value_or(""));
  }
  const auto& error = std::get<AppleScriptResult::Error>(result.value);
  const std::string name = error.applicationName.value_or("AppleScript");
  if (error.number == -1743) {
    return RunOutcome::failed("macOS has not let Tavelin control " + name +
                              ". Switch it on under System Settings \u203A Privacy & Security \u203A Automation"
                              " (-1743).");
  }
  std::string text = name + ": " + error.message.value_or("no reason given");
  if (error.number) text += " (" + std::to_string(*error.number) + ")";
  return RunOutcome::failed(std::move(text));
}

ScriptRunner::Environment ScriptRunner::processEnvironment() { return app::processEnvironment(); }

ScriptRunner::ScriptRunner(MainQueue& main, Processes& processes, AppleScriptEngine& appleScript,
                           Environment environment)
    : main_(main), processes_(processes), appleScript_(appleScript), environment_(std::move(environment)) {}

// The shell is looked up on the caller's thread, so the environment is never
// read from a background thread.
void ScriptRunner::runShell(std::string command, std::function<void(RunOutcome)> completion) {
  main_.background([&main = main_, &processes = processes_, shell = shellFrom(environment_),
                    command = std::move(command), completion = std::move(completion)] {
    RunOutcome outcome = shellOutcome(processes.run(shell, {"-c", command}));
    main.post([completion, outcome = std::move(outcome)] { completion(outcome); });
  });
}

void ScriptRunner::runAppleScript(std::string source, std::function<void(RunOutcome)> completion) {
  main_.background([&main = main_, &engine = appleScript_, source = std::move(source),
                    completion = std::move(completion)] {
    RunOutcome outcome = appleScriptOutcome(engine.execute(source));
    main.post([completion, outcome = std::move(outcome)] { completion(outcome); });
  });
}

}  // namespace tavelin::app
