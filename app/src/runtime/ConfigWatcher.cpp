#include "runtime/ConfigWatcher.hpp"

#include <cstring>

#include "runtime/Log.hpp"

namespace tavelin::app {

ConfigWatcher::ConfigWatcher(std::string directory, std::function<void()> onChange, MainQueue& main,
                             FolderWatch& folders)
    : directory_(std::move(directory)), onChange_(std::move(onChange)), main_(main), folders_(folders) {}

// The watcher owns its watch and its delayed calls, so none of them can call
// back into it once it is gone.
void ConfigWatcher::arm() {
  auto source = folders_.watch(directory_, [this](FolderEvents events) { fired(events); });
  if (!source) {
    Log::warn("Config directory " + directory_ + " cannot be watched: " + std::strerror(source.error()));
    return;
  }
  source_ = std::move(*source);
}

void ConfigWatcher::fired(FolderEvents events) {
  if (!source_) return;
  if (events.folderRenamed || events.folderDeleted) {
    source_.reset();
    rearm_ = main_.after(kRearmSeconds, [this] { arm(); });
  }
  schedule();
}

void ConfigWatcher::schedule() {
  pending_ = main_.after(kSettleSeconds, [this] { onChange_(); });
}

}  // namespace tavelin::app
