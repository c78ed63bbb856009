#pragma once

#include "platform/FolderWatch.hpp"
#include "platform/MainQueue.hpp"

namespace tavelin::app {

// Watches a folder with inotify: entries created, deleted or moved in or out,
// and the folder itself moved or deleted. A reader thread per watch collects
// events and posts them, coalesced, to the main queue.
class InotifyFolderWatch final : public FolderWatch {
 public:
  explicit InotifyFolderWatch(MainQueue& main) : main_(main) {}

  std::expected<std::unique_ptr<FolderWatchHandle>, int> watch(const std::string& directory,
                                                               std::function<void(FolderEvents)> onEvents) override;

 private:
  MainQueue& main_;
};

}  // namespace tavelin::app
