#pragma once

#include <cstdint>

namespace tavelin::app {

// What a window of ours asks of the X window manager directly, where Qt has
// no word for it. Each does nothing (and answers false) when the application
// does not run on X11.
struct XcbWindowRequests {
  // Asks the window manager to activate `window` as on the user's behalf
  // (_NET_ACTIVE_WINDOW from a pager), which focus-stealing rules let through.
  static bool activate(std::uint32_t window);
};

}  // namespace tavelin::app
