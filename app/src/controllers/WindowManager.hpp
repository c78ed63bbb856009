#pragma once

#include <optional>
#include <string>

#include <tavelin/config.hpp>

#include "controllers/WindowGeometry.hpp"
#include "platform/Accessibility.hpp"
#include "platform/Screens.hpp"
#include "platform/Workspace.hpp"

namespace tavelin::app {

// Moves and resizes the front standard window of another application. The
// size cycle is shared by every application and window for the life of the
// manager; main thread only.
class WindowManager {
 public:
  WindowManager(Workspace& workspace, Accessibility& accessibility, Screens& screens);

  // Carries out `action` on `targetApp`, or on the frontmost application when
  // none is given. None on success, otherwise a sentence for the user; a
  // failed action leaves the size cycle as it was.
  std::optional<std::string> perform(WindowAction action, RunningApplicationRef targetApp);

  // The focused window, the main window, or the first of all windows, the
  // first of them that is a standard window.
  ElementRef focusedWindow(const RunningApplication& application);
  // The subrole decides; the role only when there is no subrole to read.
  bool isStandardWindow(const ElementRef& element);
  // The window's frame in bottom-left coordinates; none when unreadable or
  // empty.
  std::optional<Rect> cocoaFrame(const ElementRef& window);
  // Moves first, then resizes; an application that refuses keeps its window.
  void setCocoaFrame(const Rect& frame, const ElementRef& window);
  // The screen the window is mostly on, or the main screen when its frame
  // cannot be read.
  std::optional<Screen> screen(const ElementRef& window);

 private:
  Workspace& workspace_;
  Accessibility& accessibility_;
  Screens& screens_;
  WindowGeometry geometry_;
};

}  // namespace tavelin::app
