#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavelin::app {

// The platform's handle on another process. Handles are shared: two handles
// denote the same application when they are the same object.
class RunningApplication {
 public:
  virtual ~RunningApplication() = default;
  virtual std::optional<std::string> localizedName() const = 0;
  virtual int processIdentifier() const = 0;
  virtual std::optional<std::string> bundleIdentifier() const = 0;
  virtual bool isTerminated() const = 0;
  // Brings the application to the front; false when the request was refused.
  virtual bool activate() = 0;
};

using RunningApplicationRef = std::shared_ptr<RunningApplication>;

struct OpenConfiguration {
  std::vector<std::string> arguments;
  bool createsNewInstance = false;
  bool addsToRecentItems = true;
};

// The result of opening an application: the running copy, or the reason it
// could not be opened, written for a person.
struct OpenResult {
  RunningApplicationRef application;
  std::optional<std::string> error;
};

class Workspace {
 public:
  virtual ~Workspace() = default;

  // Where the installed application with this bundle id lives, or nothing:
  // not on this machine.
  virtual std::optional<std::string> urlForApplication(const std::string& bundleId) const = 0;
  // Every installed copy with this bundle id.
  virtual std::vector<std::string> urlsForApplications(const std::string& bundleId) const = 0;
  virtual bool isApplicationBundle(const std::string& path) const = 0;

  // Launches the application at `url`, or brings forward the running copy.
  // The completion may run on any thread.
  virtual void openApplication(const std::string& url, const OpenConfiguration& configuration,
                               std::function<void(OpenResult)> completion) = 0;

  virtual RunningApplicationRef frontmostApplication() const = 0;
  virtual RunningApplicationRef currentApplication() const = 0;
  virtual std::vector<RunningApplicationRef> runningApplications(const std::string& bundleId) const = 0;

  // Called on the main thread each time an application becomes active; kept
  // for the life of the process.
  virtual void onDidActivateApplication(std::function<void(RunningApplicationRef)> observer) = 0;

  // Called on the main thread each time this application itself becomes
  // active; kept for the life of the process. By default, an activation whose
  // process is ours: handles may be fresh objects, so the process decides.
  virtual void onDidBecomeActive(std::function<void()> observer) {
    onDidActivateApplication([this, observer = std::move(observer)](const RunningApplicationRef& application) {
      const RunningApplicationRef self = currentApplication();
      if (application && self && application->processIdentifier() == self->processIdentifier()) observer();
    });
  }

  // Brings this application itself to the front.
  virtual void activateSelf() = 0;
  virtual void revealInFileManager(const std::vector<std::string>& paths) = 0;
  virtual void openURL(const std::string& url) = 0;
};

}  // namespace tavelin::app
