#pragma once

#include <expected>
#include <functional>
#include <memory>
#include <string>

namespace tavelin::app {

// What happened in or to a watched folder since the last delivery.
struct FolderEvents {
  bool entriesChanged = false;  // an entry was added, removed or moved
  bool folderRenamed = false;   // the folder itself was moved
  bool folderDeleted = false;   // the folder itself was removed
};

// A live watch; dropping it stops the watch.
class FolderWatchHandle {
 public:
  virtual ~FolderWatchHandle() = default;
};

class FolderWatch {
 public:
  virtual ~FolderWatch() = default;

  // Starts watching `directory`; events are delivered on the main thread.
  // The error is the errno value of the failure.
  virtual std::expected<std::unique_ptr<FolderWatchHandle>, int> watch(
      const std::string& directory, std::function<void(FolderEvents)> onEvents) = 0;
};

}  // namespace tavelin::app
