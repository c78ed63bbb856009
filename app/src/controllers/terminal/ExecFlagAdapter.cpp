#include "controllers/terminal/ExecFlagAdapter.hpp"

#include <utility>

#include "controllers/terminal/LoginShell.hpp"

namespace tavelin::app {

std::vector<std::string> ExecFlagAdapter::arguments(const std::vector<std::string>& loginShell) {
  std::vector<std::string> arguments{"-e"};
  arguments.insert(arguments.end(), loginShell.begin(), loginShell.end());
  return arguments;
}

void ExecFlagAdapter::run(const std::string& command, const Terminal& /*terminal*/, const std::string& url,
                          std::function<void(RunOutcome)> completion) {
  launch_.open(url, arguments(LoginShell::arguments(command, launch_.environment("SHELL"))), true,
               std::move(completion));
}

}  // namespace tavelin::app
