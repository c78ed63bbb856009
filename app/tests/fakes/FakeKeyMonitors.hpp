#pragma once

// Key monitors the test presses keys through, as the application would
// deliver them to its windows.

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/KeyMonitors.hpp"

namespace tavelin::app::testing {

class FakeKeyMonitors final : public KeyMonitors {
 public:
  std::unique_ptr<KeyMonitorToken> addLocalKeyDownMonitor(Handler handler) override {
    auto slot = std::make_shared<Handler>(std::move(handler));
    slots_.push_back(slot);
    return std::make_unique<Token>(std::move(slot));
  }

  // Newest monitor first; true when one consumed the event. Each handler is
  // kept alive while it runs, even if it drops its own token.
  bool press(const KeyEvent& event) {
    std::erase_if(slots_, [](const std::weak_ptr<Handler>& slot) { return slot.expired(); });
    const auto slots = slots_;
    for (auto it = slots.rbegin(); it != slots.rend(); ++it) {
      if (auto handler = it->lock(); handler && (*handler)(event)) return true;
    }
    return false;
  }

  std::size_t liveCount() const {
    return static_cast<std::size_t>(
        std::ranges::count_if(slots_, [](const std::weak_ptr<Handler>& slot) { return !slot.expired(); }));
  }

 private:
  struct Token final : KeyMonitorToken {
    explicit Token(std::shared_ptr<Handler> h) : handler(std::move(h)) {}
    std::shared_ptr<Handler> handler;
  };
  std::vector<std::weak_ptr<Handler>> slots_;
};

}  // namespace tavelin::app::testing
