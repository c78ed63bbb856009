#pragma once

// A typing window that only records what its controller asked of it.

#include <memory>
#include <vector>

#include "platform/TypingWindow.hpp"

namespace tavelin::app::testing {

class FakeTypingWindow final : public TypingWindow {
 public:
  bool isVisible() const override { return visible; }
  void setContentSize(WindowSize size) override { contentSize = size; }
  void center() override { ++centerings; }
  void makeKeyAndOrderFront() override { visible = key = true; }
  void orderOut() override { visible = key = false; }

  // Another window takes the keystrokes.
  void resignKey() {
    key = false;
    if (events.didResignKey) events.didResignKey(*this);
  }

  WindowSize contentSize;
  TypingWindowStyle style;
  std::shared_ptr<SequenceSession> session;
  TypingWindowEvents events;
  bool visible = false;
  bool key = false;
  int centerings = 0;
};

class FakeTypingWindows final : public TypingWindowFactory {
 public:
  std::unique_ptr<TypingWindow> build(WindowSize contentSize, const TypingWindowStyle& style,
                                      std::shared_ptr<SequenceSession> session, TypingWindowEvents events) override {
    auto window = std::make_unique<FakeTypingWindow>();
    window->contentSize = contentSize;
    window->style = style;
    window->session = std::move(session);
    window->events = std::move(events);
    built.push_back(window.get());
    return window;
  }

  FakeTypingWindow* last() const { return built.empty() ? nullptr : built.back(); }

  std::vector<FakeTypingWindow*> built;  // owned by their controllers
};

}  // namespace tavelin::app::testing
