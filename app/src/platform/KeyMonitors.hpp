#pragma once

#include <functional>
#include <memory>

#include "platform/KeyEvent.hpp"

namespace tavelin::app {

// Removes its monitor when dropped.
class KeyMonitorToken {
 public:
  virtual ~KeyMonitorToken() = default;
};

// Application-wide monitors of key-down events on their way to our windows.
class KeyMonitors {
 public:
  // Answers true when the event is consumed (no window sees it), false to pass
  // it on unchanged.
  using Handler = std::function<bool(const KeyEvent&)>;

  virtual ~KeyMonitors() = default;

  // The handler runs on the main thread for every key-down while the token
  // lives. It may drop its own token while it runs (a key that closes the
  // window does): implementations keep the handler alive until it returns.
  [[nodiscard]] virtual std::unique_ptr<KeyMonitorToken> addLocalKeyDownMonitor(Handler handler) = 0;
};

}  // namespace tavelin::app
