#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Workspace.hpp"
#include "platform/linux/x11/ClientWindows.hpp"

namespace tavelin::app {

// A process that owns top-level windows (or that we just started). There is
// one handle per process, made by X11Workspace, so handles compare by
// identity. Once terminated a handle stays so; a process that maps a window
// again gets a fresh handle.
class X11RunningApplication final : public RunningApplication {
 public:
  struct Identity {
    std::optional<std::string> name;
    std::optional<std::string> bundleId;
  };

  // `self` marks this very process, which never counts as terminated.
  X11RunningApplication(std::weak_ptr<ClientWindows> windows, int pid, bool self);

  std::optional<std::string> localizedName() const override { return identity_.name; }
  int processIdentifier() const override { return pid_; }
  std::optional<std::string> bundleIdentifier() const override { return identity_.bundleId; }
  // The process is gone (or its id now names another process), or the last
  // of its windows is: an application without windows cannot be brought
  // forward, so it no longer counts as running.
  bool isTerminated() const override;
  // Asks the window manager to activate its topmost window; false when it has
  // no window.
  bool activate() override;

  // What the workspace learned of it; the first identity found is kept.
  bool hasIdentity() const { return identityKnown_; }
  void setIdentity(Identity identity);
  // isTerminated, told whether the process owns a window now instead of
  // asking the server: a handle that loses its last window is terminated.
  bool refresh(bool hasWindow) const;

 private:
  bool processAlive() const;

  std::weak_ptr<ClientWindows> windows_;
  int pid_;
  bool self_;
  std::optional<unsigned long long> startTime_;
  Identity identity_;
  bool identityKnown_ = false;
  mutable bool sawWindow_ = false;
  mutable bool terminated_ = false;
};

// The start time of a process (clock ticks since boot, /proc/<pid>/stat),
// which tells a process from a later one given the same id; none when it is
// gone or a zombie.
std::optional<unsigned long long> processStartTime(int pid);

}  // namespace tavelin::app
