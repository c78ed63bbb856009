#pragma once

#include <xcb/xcb.h>

#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/linux/x11/EwmhConnection.hpp"

namespace tavelin::app {

// The top-level windows the window manager manages and the processes that own
// them (_NET_WM_PID). A window's process never changes, so it is asked once.
// Windows that name no process belong to no application and are left out.
class ClientWindows {
 public:
  ClientWindows(xcb_connection_t* connection, int screenNumber);

  EwmhConnection& ewmh() { return ewmh_; }

  struct Client {
    xcb_window_t window = XCB_NONE;
    int pid = 0;
  };
  // Topmost first.
  std::vector<Client> topFirst();
  std::vector<xcb_window_t> windowsOf(int pid);
  std::optional<int> pidOf(xcb_window_t window);

  // Asks the window manager to activate `window` and waits until the request
  // is with the server. The request carries the time of the latest event
  // noted, which lets the window manager weigh it against other activity.
  void activate(xcb_window_t window);
  void noteTime(xcb_timestamp_t time);

 private:
  EwmhConnection ewmh_;
  std::unordered_map<xcb_window_t, int> pids_;
  xcb_timestamp_t lastTime_ = XCB_CURRENT_TIME;
};

}  // namespace tavelin::app
