#include "controllers/terminal/TerminalLaunch.hpp"

#include "platform/Environment.hpp"

#include <unistd.h>

#include <tavelin/text.hpp>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

namespace tavelin::app {
namespace {

std::string_view lastPathComponent(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos || path.size() == 1 ? path : path.substr(slash + 1);
}

}  // namespace

TerminalLaunch::System TerminalLaunch::System::current() {
  return {
      .environment = processEnvironment(),
      .isExecutableFile =
          [](const std::string& path) {
            std::error_code ignored;
            return std::filesystem::is_regular_file(path, ignored) && ::access(path.c_str(), X_OK) == 0;
          },
      .displayName = displayNameAtPath,
  };
}

TerminalLaunch::TerminalLaunch(MainQueue& main, Workspace& workspace, Processes& processes, System system)
    : main_(main), workspace_(workspace), processes_(processes), system_(std::move(system)) {}

// The workspace may report on any thread: the handler only posts, and the name
// for the message is worked out beforehand, here on the main thread.
void TerminalLaunch::open(const std::string& url, std::vector<std::string> arguments, bool newInstance,
                          std::function<void(RunOutcome)> completion) {
  const OpenConfiguration configuration{
      .arguments = std::move(arguments), .createsNewInstance = newInstance, .addsToRecentItems = false};
  workspace_.openApplication(
      url, configuration,
      [&main = main_, name = system_.displayName(url), completion = std::move(completion)](OpenResult result) {
        RunOutcome outcome = result.error ? RunOutcome::failed("Could not open " + name + ": " + *result.error)
                                          : RunOutcome::ran("");
        main.post([completion, outcome = std::move(outcome)] { completion(outcome); });
      });
}

bool TerminalLaunch::isRunning(const std::string& bundleId) const {
  for (const auto& application : workspace_.runningApplications(bundleId)) {
    if (application && !application->isTerminated()) return true;
  }
  return false;
}

void TerminalLaunch::process(std::string path, std::vector<std::string> arguments,
                             std::function<void(RunOutcome)> completion) {
  main_.background([&main = main_, &processes = processes_, path = std::move(path), arguments = std::move(arguments),
                    completion = std::move(completion)] {
    RunOutcome outcome = processOutcome(path, processes.run(path, arguments));
    main.post([completion, outcome = std::move(outcome)] { completion(outcome); });
  });
}

RunOutcome processOutcome(const std::string& path, const std::expected<ProcessResult, std::string>& result) {
  const std::string name(lastPathComponent(path));
  if (!result) return RunOutcome::failed("Could not run " + name + ": " + result.error());
  if (result->status == 0) return RunOutcome::ran(text::to_valid_utf8(result->standardOutput));
  const std::string error = text::to_valid_utf8(result->standardError);
  const std::string_view trimmed = text::trim(error);
  if (!trimmed.empty()) return RunOutcome::failed(std::string(trimmed));
  return RunOutcome::failed(name + " exited " + std::to_string(result->status) + ".");
}

std::string displayNameAtPath(const std::string& path) {
  std::string_view name = lastPathComponent(path);
  for (const std::string_view hidden : {".app", ".desktop"}) {
    if (name.size() > hidden.size() && name.ends_with(hidden)) {
      name.remove_suffix(hidden.size());
      break;
    }
  }
  return std::string(name);
}

std::string appendingPathComponent(std::string_view base, std::string_view component) {
  std::string joined(base);
  if (joined.empty() || joined.back() != '/') joined += '/';
  return joined.append(component);
}

}  // namespace tavelin::app
