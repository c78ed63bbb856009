#pragma once

// A folder watch the test drives: it records what is watched and lets the
// test deliver events, or refuse the next watch with an errno value.

#include <cerrno>
#include <memory>
#include <optional>
#include <vector>

#include "platform/FolderWatch.hpp"

namespace tavelin::app::testing {

class FakeFolderWatch final : public FolderWatch {
 public:
  std::expected<std::unique_ptr<FolderWatchHandle>, int> watch(const std::string& directory,
                                                               std::function<void(FolderEvents)> onEvents) override {
    watched.push_back(directory);
    if (refuseWith) return std::unexpected(*refuseWith);
    auto live = std::make_shared<std::function<void(FolderEvents)>>(std::move(onEvents));
    current_ = live;
    return std::make_unique<Handle>(std::move(live));
  }

  bool isWatching() const { return !current_.expired(); }

  // Delivers events as the main thread would receive them.
  void deliver(FolderEvents events) {
    if (auto live = current_.lock()) (*live)(events);
  }
  void entriesChanged() { deliver({.entriesChanged = true}); }
  void folderDeleted() { deliver({.folderDeleted = true}); }

  std::vector<std::string> watched;
  std::optional<int> refuseWith;

 private:
  struct Handle final : FolderWatchHandle {
    explicit Handle(std::shared_ptr<std::function<void(FolderEvents)>> live) : live_(std::move(live)) {}
    std::shared_ptr<std::function<void(FolderEvents)>> live_;
  };
  std::weak_ptr<std::function<void(FolderEvents)>> current_;
};

}  // namespace tavelin::app::testing
