#include "controllers/AppLauncher.hpp"

#include "platform/Environment.hpp"

#include <algorithm>

namespace tavelin::app {

AppLauncher::AppLauncher(Workspace& workspace, MainQueue& main, HomeFolder home)
    : workspace_(workspace), main_(main), home_(std::move(home)) {}

AppLauncher::HomeFolder AppLauncher::environmentHome() {
  return [environment = processEnvironment()] { return environment("HOME").value_or(""); };
}

void AppLauncher::observeActivations() {
  // The launcher lives as long as the process, as the observer does.
  workspace_.onDidActivateApplication([this](RunningApplicationRef application) { appActivated(application); });
}

std::string AppLauncher::expandTilde(const std::string& path) const {
  if (path == "~") return home_();
  if (path.starts_with("~/")) return home_() + path.substr(1);
  return path;
}

void AppLauncher::open(const std::string& identifier, Completion completion) {
  auto finish = [this, completion](std::optional<std::string> failure) {
    main_.post([completion, failure = std::move(failure)] { completion(failure); });
  };

  std::string url;
  if (identifier.find('/') != std::string::npos) {
    url = expandTilde(identifier);
    if (!workspace_.isApplicationBundle(url)) return finish(url + " is not an application.");
  } else {
    auto found = workspace_.urlForApplication(identifier);
    if (!found) return finish("No application on this Mac has the bundle id " + identifier + ".");
    url = *found;
  }

  workspace_.openApplication(url, OpenConfiguration{}, [finish, identifier](OpenResult result) {
    if (result.error) return finish("Could not open " + identifier + ": " + *result.error);
    finish(std::nullopt);
  });
}

std::optional<std::string> AppLauncher::toggle(RunningApplicationRef front) {
  if (!front) front = workspace_.frontmostApplication();
  const auto candidate = std::ranges::find_if(recent_, [&](const RunningApplicationRef& application) {
    return !application->isTerminated() && application != front;
  });
  if (candidate == recent_.end()) return "There is no other application to switch to yet.";
  const RunningApplicationRef target = *candidate;
  if (target->activate()) return std::nullopt;
  return "Could not bring " + target->localizedName().value_or("that application") + " forward.";
}

void AppLauncher::appActivated(const RunningApplicationRef& application) {
  if (!application || application == workspace_.currentApplication()) return;
  std::erase_if(recent_, [&](const RunningApplicationRef& entry) {
    return entry == application || entry->isTerminated();
  });
  recent_.insert(recent_.begin(), application);
  if (recent_.size() > kRecentLimit) recent_.resize(kRecentLimit);
}

}  // namespace tavelin::app
