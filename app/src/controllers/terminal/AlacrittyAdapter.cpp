#include "controllers/terminal/AlacrittyAdapter.hpp"

#include <utility>

#include "controllers/terminal/LoginShell.hpp"

namespace tavelin::app {

std::string AlacrittyAdapter::program(const std::string& url) {
  return appendingPathComponent(url, "Contents/MacOS/alacritty");
}

std::vector<std::string> AlacrittyAdapter::messageArguments(const std::vector<std::string>& loginShell) {
  std::vector<std::string> arguments{"msg", "create-window", "-e"};
  arguments.insert(arguments.end(), loginShell.begin(), loginShell.end());
  return arguments;
}

std::vector<std::string> AlacrittyAdapter::launchArguments(const std::vector<std::string>& loginShell) {
  std::vector<std::string> arguments{"-e"};
  arguments.insert(arguments.end(), loginShell.begin(), loginShell.end());
  return arguments;
}

// Whether it runs is asked here, on the main thread, where the workspace
// lives; only the message itself waits in the background.
void AlacrittyAdapter::run(const std::string& command, const Terminal& terminal, const std::string& url,
                           std::function<void(RunOutcome)> completion) {
  auto loginShell = LoginShell::arguments(command, launch_.environment("SHELL"));
  if (!launch_.isRunning(terminal.bundleId)) {
    launch_.open(url, launchArguments(loginShell), true, std::move(completion));
    return;
  }
  launch_.process(program(url), messageArguments(loginShell),
                  [&launch = launch_, url, loginShell, completion = std::move(completion)](RunOutcome message) {
                    // A refused message is not reported: a new instance runs
                    // the command just as well.
                    if (message.kind == RunOutcome::Kind::ran) {
                      launch.open(url, {}, false, completion);
                    } else {
                      launch.open(url, launchArguments(loginShell), true, completion);
                    }
                  });
}

}  // namespace tavelin::app
