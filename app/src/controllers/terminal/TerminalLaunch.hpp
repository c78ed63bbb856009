#pragma once

#include <expected>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "controllers/RunOutcome.hpp"
#include "platform/MainQueue.hpp"
#include "platform/Processes.hpp"
#include "platform/Workspace.hpp"

namespace tavelin::app {

// The desktop operations the terminal adapters share: open an application,
// tell whether one runs, run a command-line program to completion. Called on
// the main thread; every completion arrives through the main queue. The queue,
// the workspace and the processes must outlive every call in flight.
class TerminalLaunch {
 public:
  // What terminal launch reads of the system beyond the workspace, injected so
  // that tests decide it.
  struct System {
    // One variable of this process's environment: SHELL, PATH, HOME.
    std::function<std::optional<std::string>(const std::string& name)> environment;
    // Whether `path` is a file this process may execute.
    std::function<bool(const std::string& path)> isExecutableFile;
    // How a file is named to a person.
    std::function<std::string(const std::string& path)> displayName;

    // This process's environment, access(2) on regular files, and
    // displayNameAtPath.
    static System current();
  };

  TerminalLaunch(MainQueue& main, Workspace& workspace, Processes& processes, System system = System::current());

  // Opens the application at `url` with `arguments` (a new instance exactly
  // when `newInstance` is set; never added to the recent items). Completes
  // with ran("") or "Could not open " + display name + ": " + the reason.
  void open(const std::string& url, std::vector<std::string> arguments, bool newInstance,
            std::function<void(RunOutcome)> completion);

  // True when a copy with this bundle id runs and has not terminated.
  bool isRunning(const std::string& bundleId) const;

  // Runs the program at `path` off the main thread, since it waits for the
  // child; completes with its processOutcome.
  void process(std::string path, std::vector<std::string> arguments, std::function<void(RunOutcome)> completion);

  const System& system() const { return system_; }
  std::optional<std::string> environment(const std::string& name) const { return system_.environment(name); }
  const Workspace& workspace() const { return workspace_; }

 private:
  MainQueue& main_;
  Workspace& workspace_;
  Processes& processes_;
  System system_;
};

// What a finished, or unstartable, run of the program at `path` means: its
// standard output as it stands on status 0 (bad UTF-8 replaced); otherwise its
// trimmed standard error, or "<name> exited <status>." when that is empty.
RunOutcome processOutcome(const std::string& path, const std::expected<ProcessResult, std::string>& result);

// The file's last path component, less the ".app" of an application bundle
// or the ".desktop" of an application entry: people know applications by
// name, not by the form they are stored in.
std::string displayNameAtPath(const std::string& path);

// `base` + "/" + `component`, with no doubled slash when `base` ends in one.
std::string appendingPathComponent(std::string_view base, std::string_view component);

}  // namespace tavelin::app
