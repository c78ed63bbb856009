#pragma once

#include <functional>
#include <memory>

#include <tavelin/config.hpp>

namespace tavelin::app {

class SequenceSession;

// How the typing window sits on the desktop. The controller chooses; the
// window only carries it out.
struct TypingWindowStyle {
  bool borderless = true;           // no title bar, no frame, transparent behind the rounded content
  bool floating = true;             // above ordinary windows
  bool onAllWorkspaces = true;      // follows the user to every workspace
  bool besideFullScreen = true;     // may appear over a full-screen application
  bool hasShadow = true;
  bool movableByBackground = true;  // dragged by any part of its content
  double cornerRadius = 12;         // the content is clipped to it
  bool operator==(const TypingWindowStyle&) const = default;
};

// The typing window as its controller drives it. Sizes are in points.
class TypingWindow {
 public:
  virtual ~TypingWindow() = default;
  virtual bool isVisible() const = 0;
  virtual void setContentSize(WindowSize size) = 0;
  // Centres the window on the screen it belongs to.
  virtual void center() = 0;
  // Shows the window in front of every other and gives it the keystrokes.
  virtual void makeKeyAndOrderFront() = 0;
  // Hides the window; it can be shown again.
  virtual void orderOut() = 0;
};

// What the window reports back to its controller, on the main thread.
struct TypingWindowEvents {
  // The window stopped receiving keystrokes (another window took them).
  std::function<void(const TypingWindow&)> didResignKey;
  // The view's layout switch was used: the same change as ⌘1 to ⌘3.
  std::function<void(ViewType)> chooseViewType;
};

class TypingWindowFactory {
 public:
  virtual ~TypingWindowFactory() = default;
  // Makes the window, hidden, its content the typing view drawing `session`
  // and the published settings.
  virtual std::unique_ptr<TypingWindow> build(WindowSize contentSize, const TypingWindowStyle& style,
                                              std::shared_ptr<SequenceSession> session,
                                              TypingWindowEvents events) = 0;
};

}  // namespace tavelin::app
