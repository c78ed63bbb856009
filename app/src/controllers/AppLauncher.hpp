#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/MainQueue.hpp"
#include "platform/Workspace.hpp"

namespace tavelin::app {

// Opens or focuses applications, and switches back to the one used before
// the current one from a short list of recently active applications.
class AppLauncher {
 public:
  using Completion = std::function<void(std::optional<std::string> failure)>;
  using HomeFolder = std::function<std::string()>;

  static constexpr std::size_t kRecentLimit = 2;

  AppLauncher(Workspace& workspace, MainQueue& main, HomeFolder home = environmentHome());

  // Starts observing activations, for the life of the process.
  void observeActivations();

  // A bundle id, or a path (a leading "~" is the home folder). Completes once,
  // on the main queue.
  void open(const std::string& identifier, Completion completion);

  // Brings forward the most recent application other than the one in front;
  // the failure sentence when there is none or it refused. `front` is the
  // application the user was in when the binding fired, when known: the
  // typing window has only just handed the focus back to it, and the desktop
  // may not say so yet.
  std::optional<std::string> toggle(RunningApplicationRef front = nullptr);

  void appActivated(const RunningApplicationRef& application);

  const std::vector<RunningApplicationRef>& recent() const { return recent_; }

  static HomeFolder environmentHome();

 private:
  std::string expandTilde(const std::string& path) const;

  Workspace& workspace_;
  MainQueue& main_;
  HomeFolder home_;
  std::vector<RunningApplicationRef> recent_;
};

}  // namespace tavelin::app
