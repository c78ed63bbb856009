#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/FolderWatch.hpp"
#include "platform/MainQueue.hpp"

namespace tavelin::app {

// Watches the configuration's folder and runs `onChange` once a burst of
// changes has settled. When the folder itself is moved or deleted the watch is
// dropped and armed again a second later.
class ConfigWatcher {
 public:
  static constexpr double kSettleSeconds = 0.3;
  static constexpr double kRearmSeconds = 1.0;

  ConfigWatcher(std::string directory, std::function<void()> onChange, MainQueue& main, FolderWatch& folders);
  ConfigWatcher(const ConfigWatcher&) = delete;
  ConfigWatcher& operator=(const ConfigWatcher&) = delete;

  const std::string& directory() const { return directory_; }
  bool isWatching() const { return source_ != nullptr; }

  void arm();

 private:
  void fired(FolderEvents events);
  void schedule();

  std::string directory_;
  std::function<void()> onChange_;
  MainQueue& main_;
  FolderWatch& folders_;
  std::unique_ptr<FolderWatchHandle> source_;
  std::unique_ptr<DelayedCall> pending_;
  std::unique_ptr<DelayedCall> rearm_;
};

}  // namespace tavelin::app
